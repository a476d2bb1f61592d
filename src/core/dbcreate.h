#pragma once

#include <QString>
#include <QStringList>

namespace dbcreate {

// Splits an isql script into statements, honouring SET TERM; drops isql-only commands (SET ...,
// COMMIT) since every statement is executed and committed on its own.
QStringList splitScript(const QString& script);

// The schema shipped with the program (db/schema.sql, compiled in).
QString builtinSchema();

// Creates a new database file with the program's connection settings and runs the schema in it.
// Raises fb::Error; a file that already exists is an error too.
void createDatabase(const QString& path, const QString& schema = builtinSchema());

// An index the schema creates: its name as the database stores it, and its statement.
struct IndexDefinition {
    QString name;
    QString statement;
};
QList<IndexDefinition> schemaIndexes(const QString& schema = builtinSchema());

// What an upgrade did: the indexes it created, and those the database refused (name, message).
struct UpgradeResult {
    QStringList created;
    QList<QPair<QString, QString>> refused;
};

// Brings a database made from an older schema up to this one's indexes: creates every index of
// the schema that the file lacks (by name), each committed on its own, and leaves the others
// alone, so it can run any number of times. The program itself never changes the schema; this is
// for the person who installs a new version. Raises fb::Error when the file cannot be opened.
UpgradeResult upgradeDatabase(const QString& path, const QString& schema = builtinSchema());

}  // namespace dbcreate
