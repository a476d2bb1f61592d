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

}  // namespace dbcreate
