#pragma once

#include <QString>
#include <QStringList>

namespace dbcreate {

// Splits an isql script into statements, honouring SET TERM; drops isql-only commands (SET ...,
// COMMIT) since every statement is executed and committed on its own.
QStringList splitScript(const QString& script);

// The schema shipped with the program (db/schema.sql, compiled in).
QString builtinSchema();

// Creates a new database with the program's connection settings (a file, or one on a server with the
// user and password of the settings) and runs the schema in it. Raises fb::Error, leaving nothing
// behind; a database that already exists is an error too.
void createDatabase(const QString& path, const QString& schema = builtinSchema());

// An index the schema creates: its name as the database stores it, and its statement.
struct IndexDefinition {
    QString name;
    QString statement;
};
QList<IndexDefinition> schemaIndexes(const QString& schema = builtinSchema());

// The tables the schema creates (names as stored, in capitals), and per table its statements: the
// CREATE TABLE and the INSERTs that fill it.
QStringList schemaTablesWithRows(const QString& schema = builtinSchema(), QList<QStringList>* statements = nullptr);

// What an upgrade did: the tables and indexes it created, and those the database refused (name,
// message).
struct UpgradeResult {
    QStringList createdTables;
    QStringList created;
    QList<QPair<QString, QString>> refused;
};

// Brings a database made from an older schema up to this one: creates every table of the schema
// that the file lacks, with the rows the schema puts in it (the desks' claims, GERUNDO_LOCK), and
// every index it lacks (by name), each committed on its own, and leaves the others alone, so it can
// run any number of times. The program itself never changes the schema; this is for the person
// who installs a new version. The database is a file or one on a server, as the program names it
// (db/database_settings.h). Raises fb::Error when it cannot be opened.
UpgradeResult upgradeDatabase(const QString& path, const QString& schema = builtinSchema());

}  // namespace dbcreate
