#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;
class TData;

// Backing up the database into a gbak file and putting one back in its place, from the main
// window's menu. The engine's service manager does the work (db/service.h); this part asks the
// person, names the files and swaps the database file so that nothing is lost on any failure.
namespace backup {

// "Dudoz-2026-12-10-1430.fbk" for Dudoz.fdb backed up at 14:30 on 10 December 2026.
QString backupFileName(const QString& database, const QDateTime& at);
// The name the replaced database keeps beside the restored one: "Dudoz-2026-12-10-143005.fdb".
QString keptFileName(const QString& database, const QDateTime& at);

// The tables a database must have for the program to work with it.
const QStringList& requiredTables();
// The required tables a database file lacks (empty when it has them all); raises fb::Error when
// the file cannot be opened.
QStringList missingTables(const QString& file);

// Steps of a restore, in order; a test may make any of them fail.
enum class RestoreStep { Restored, Checked, Disconnected, OriginalKept, RestoredInPlace, Reconnected };
void setRestoreStepHookForTests(std::function<void(RestoreStep)> hook);

// "Mentés": asks about pending work, offers a dated file name in the database's folder, runs the
// backup with the window kept painted, and says how it went. True when a backup was written.
bool backUp(QWidget* window, TData& data);
// "Visszatöltés": the person picks a backup file; it is restored into a new file beside the
// database and checked; only then is the connection closed, the database file renamed with the
// date and time, the restored file put in its place and the connection opened again. On any
// failure the original file stays (or is put back) and the program reconnects to it. True when
// the database was replaced.
bool restore(QWidget* window, TData& data);

}  // namespace backup
