#pragma once

#include "db/client.h"

#include <QList>
#include <QString>
#include <QStringList>

// After a run that did not end cleanly (the program killed, a power cut, a logout that killed it)
// an index of the database file may be damaged: the engine then misses rows in a lookup through it
// (a list that reads from its last row, a count of a day). The program knows such an end by a marker
// file beside the database, which it writes once it is connected and removes at a clean end; at the
// next start it has the engine validate the file and builds the damaged indexes anew.
//
// A database on a server has no marker: a desk that dies there only drops its connection, the
// server's engine goes on and undoes that desk's work, and the file is the server's to check
// (after a crash of the server itself, "gfix -v -full" or the validation service on the server).
namespace indexcheck {

// One index the validation found damaged (or missing entries, or with warnings about its pages).
struct DamagedIndex {
    QString table;
    QString index;
    bool operator==(const DamagedIndex&) const = default;
};

struct Findings {
    QList<DamagedIndex> indexes;  // in the report's order, each once
    QStringList otherDamage;      // errors outside the indexes, as "TABLE: text"
    bool finished = false;        // the report had its closing line
    bool clean() const { return finished && indexes.isEmpty() && otherDamage.isEmpty(); }
};

// Reads the validation service's report (fb::validateDatabase): lines with or without their time
// of day, "Relation N (TABLE)", "Index N (NAME)", and "Error:" / "Warning:" lines naming an index by
// its number within the table.
Findings readReport(const QStringList& lines);

// Builds an index anew from its table's rows, in one transaction, so an interruption leaves it as it
// was: a plain index is deactivated and activated again; the index of a primary key or unique
// constraint (which cannot be deactivated) by dropping and adding the constraint. Raises fb::Error.
void rebuildIndex(fb::Attachment& attachment, const QString& index);

// The marker file of a database: its path beside the file, or empty for a database on a server.
QString runMarker(const QString& database);
// The marker is there: the last run with this database did not end cleanly (or another program
// has it open right now, which the engine then refuses to share).
bool endedUncleanly(const QString& database);
// Writes the marker (the program is connected); removes it (the program ended cleanly). Failures
// to write or remove are ignored: the marker only decides whether a check runs.
void markRunning(const QString& database);
void markCleanEnd(const QString& database);

}  // namespace indexcheck
