#pragma once

#include "db/client.h"

#include <QString>

#include <functional>

// Firebird's own backup and restore, run by the engine's service manager: the local one of the
// embedded engine for a database file, the server's for a database on a server. The backup file
// is gbak's format, which any Firebird installation restores.
namespace fb {

// Called with every line of the service's report while it runs (gbak's verbose output).
using ServiceProgress = std::function<void(const QString& line)>;

// Where the service manager is and how it names the database: "service_mgr" and the file for a
// local database, "host:service_mgr" and the path on the server for "host:/path".
struct ServiceTarget {
    QString serviceManager;
    QString database;
};
ServiceTarget serviceTarget(const QString& database);

// Writes a backup of the database into file (on the server's disk for a database on a server).
// A failure raises fb::Error with the engine's text.
void backupDatabase(const ConnectParams& params, const QString& file, const ServiceProgress& progress = {});

// Restores a backup file into the database params names: a new file, or with replace an existing
// database overwritten. A failure raises fb::Error with the engine's text.
void restoreDatabase(const ConnectParams& params, const QString& file, bool replace,
                     const ServiceProgress& progress = {});

// Checks the database's tables and their indexes with the engine's online validation (what
// "gfix -v -full" checks of them, while the database may stay in use): every line of its report
// goes to progress as it comes ("Relation 130 (BESZALL)", "Index 2 (IX_BESZALL_FULSZAM)",
// "Error: Index 2 is corrupt …"); returns the lines. Damage is reported in the lines, not raised; a
// database that cannot be reached raises fb::Error.
QStringList validateDatabase(const ConnectParams& params, const ServiceProgress& progress = {});

}  // namespace fb
