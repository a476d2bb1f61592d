// Creates an empty Gerundo database from the schema compiled into the program.
//   gerundo-mkdb [Dudoz.fdb]
#include "core/dbcreate.h"
#include "db/error.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("Dudoz.fdb");
    if (QFile::exists(path)) {
        std::fprintf(stderr, "%s already exists; nothing done\n", qPrintable(path));
        return 0;
    }
    try {
        dbcreate::createDatabase(path);
    } catch (const fb::Error& e) {
        std::fprintf(stderr, "cannot create %s: %s\n", qPrintable(path), qPrintable(e.message()));
        return 1;
    }
    std::printf("created %s\n", qPrintable(path));
    return 0;
}
