#pragma once

#include "db/client.h"

#include <QString>

// Where the program's data lives and whom it connects as, in one place. With nothing set the
// program opens Dudoz.fdb in the working directory through the embedded engine, with the fixed
// user and password. Several desks share one database through a Firebird server:
//   GERUNDO_DATABASE  the database as Firebird names it: a file (embedded), or "host:/path/Dudoz.fdb",
//                     "host/port:/path/Dudoz.fdb" or "host:alias" on a server
//   GERUNDO_USER      the user (default SYSDBA)
//   GERUNDO_PASSWORD  the password (the embedded engine does not check it)
namespace dbsettings {

inline const QString kDefaultDatabase = QStringLiteral("Dudoz.fdb");

// The database the program and its tools open: GERUNDO_DATABASE, or Dudoz.fdb.
QString database();

// Connection settings for a database: the user and password of the environment, or the fixed ones;
// the WIN1250 connection character set and SQL dialect 3.
fb::ConnectParams params(const QString& database);

// The program's own connection: params(database()).
fb::ConnectParams programParams();

// True when the text names a database on a server ("host:path", "host/port:path", "inet://…")
// rather than a file that this process opens itself.
bool isOnServer(const QString& database);

}  // namespace dbsettings
