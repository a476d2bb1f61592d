// Creates an empty Gerundo database from the schema compiled into the program, or brings an
// existing one up to the schema's indexes.
//   gerundo-mkdb [Dudoz.fdb]
//   gerundo-mkdb --upgrade [Dudoz.fdb]
#include "core/dbcreate.h"
#include "db/error.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>

namespace {

int create(const QString& path)
{
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

int upgrade(const QString& path)
{
    dbcreate::UpgradeResult result;
    try {
        result = dbcreate::upgradeDatabase(path);
    } catch (const fb::Error& e) {
        std::fprintf(stderr, "cannot upgrade %s: %s\n", qPrintable(path), qPrintable(e.message()));
        return 1;
    }
    for (const QString& name : result.created)
        std::printf("%s: index %s created\n", qPrintable(path), qPrintable(name));
    for (const auto& [name, message] : result.refused)
        std::fprintf(stderr, "%s: index %s not created: %s\n", qPrintable(path), qPrintable(name), qPrintable(message));
    if (result.created.isEmpty() && result.refused.isEmpty())
        std::printf("%s already has every index; nothing done\n", qPrintable(path));
    return result.refused.isEmpty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool upgrading = !args.isEmpty() && args.first() == QLatin1String("--upgrade");
    if (upgrading)
        args.removeFirst();
    if (args.size() > 1 || (!args.isEmpty() && args.first().startsWith(QLatin1String("--")))) {
        std::fprintf(stderr, "usage: gerundo-mkdb [--upgrade] [Dudoz.fdb]\n");
        return 2;
    }
    const QString path = args.isEmpty() ? QStringLiteral("Dudoz.fdb") : args.first();
    return upgrading ? upgrade(path) : create(path);
}
