// Creates an empty Gerundo database from the schema compiled into the program, or brings an
// existing one up to the schema's tables and indexes.
//   gerundo-mkdb [DATABASE]
//   gerundo-mkdb --upgrade [DATABASE]
// DATABASE is a file or a database on a server ("host:/path/Dudoz.fdb"); without it, the one the
// program opens (GERUNDO_DATABASE, or Dudoz.fdb). On a server the user and password are the
// program's (GERUNDO_USER, GERUNDO_PASSWORD).
#include "db/database_settings.h"
#include "core/dbcreate.h"
#include "db/error.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>

namespace {

int create(const QString& path)
{
    if (!dbsettings::isOnServer(path) && QFile::exists(path)) {
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
    for (const QString& name : result.createdTables)
        std::printf("%s: table %s created\n", qPrintable(path), qPrintable(name));
    for (const QString& name : result.created)
        std::printf("%s: index %s created\n", qPrintable(path), qPrintable(name));
    const QStringList tables = dbcreate::schemaTablesWithRows();
    for (const auto& [name, message] : result.refused)
        std::fprintf(stderr, "%s: %s %s not created: %s\n", qPrintable(path), tables.contains(name) ? "table" : "index",
                     qPrintable(name), qPrintable(message));
    if (result.createdTables.isEmpty() && result.created.isEmpty() && result.refused.isEmpty())
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
        std::fprintf(stderr, "usage: gerundo-mkdb [--upgrade] [DATABASE]\n");
        return 2;
    }
    const QString path = args.isEmpty() ? dbsettings::database() : args.first();
    return upgrading ? upgrade(path) : create(path);
}
