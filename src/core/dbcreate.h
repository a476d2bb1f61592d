#pragma once

#include "core/day_counts.h"

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

// A sequence, exception, function, procedure or trigger the schema creates: its kind ("SEQUENCE",
// "TRIGGER" ...), its name as the database stores it, and its statement.
struct ObjectDefinition {
    QString kind;
    QString name;
    QString statement;
};
QList<ObjectDefinition> schemaObjects(const QString& schema = builtinSchema());

// What an upgrade did: the tables, indexes and other objects it created, those the database
// refused (name, message), and the comparison of the on-site count with the tables.
struct UpgradeResult {
    QStringList createdTables;
    QStringList created;
    QStringList createdObjects;  // "TRIGGER BESZALL_ONSITE"
    QList<QPair<QString, QString>> refused;
    daycounts::OnSiteCheck onSite;
};

// Brings a database made from an older schema up to this one: creates every table of the schema
// that the file lacks, with the rows the schema puts in it (the desks' claims, GERUNDO_LOCK), every
// index it lacks, then every sequence, procedure and trigger it lacks (by name, in the schema's
// order), each committed on its own, and leaves the others alone, so it can run any number of
// times. Last it compares the on-site count with the tables and repairs it (which fills it the first
// time). The program itself never changes the schema; this is for the person
// who installs a new version. The database is a file or one on a server, as the program names it
// (db/database_settings.h). Raises fb::Error when it cannot be opened.
UpgradeResult upgradeDatabase(const QString& path, const QString& schema = builtinSchema());

}  // namespace dbcreate
