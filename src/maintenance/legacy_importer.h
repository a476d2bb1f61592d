#pragma once

#include "maintenance/legacy_format.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QStringList>

class TData;

namespace legacy {

enum class FileState {
    NotReached,  // the import ended before this file
    Done,        // every line was dealt with and the closing message shown
    Stopped,     // the person stopped the import in this file
    Unreadable,  // missing or unreadable: the import ended here
    Broken,      // the transaction could not go on: the import ended here
};

struct LineNote {
    int line = 0;  // counted from 1
    QString text;
};

struct FileSummary {
    QString fileName;
    QString path;
    FileState state = FileState::NotReached;
    int lines = 0;     // lines in the file
    int read = 0;      // lines dealt with
    int imported = 0;  // lines committed as rows
    int refused = 0;   // lines that became no row
    QList<LineNote> notes;  // every line refused or stored with changes, and why
};

struct ImportSummary {
    QString directory;
    QDateTime started;
    QStringList filledBefore;  // descriptions of the target tables that already held rows
    QList<FileSummary> files;  // all six, in import order
    QString ending;            // how the run ended, one sentence
    bool completed = false;    // every file was read to its end
};

// The summary as plain text, for the file the site keeps: the counts per file, then the remarks.
QString summaryText(const ImportSummary& summary);
// How the run ended, the warning about tables that were not empty, and every line refused or
// stored with changes.
QStringList summaryRemarks(const ImportSummary& summary);
// The state of one file in a few words ("kész", "nem került sorra").
QString stateText(const FileSummary& file);

// What the import tells the person and asks of them; the screen shows it, a command-line run prints it.
class ImportObserver {
public:
    virtual ~ImportObserver() = default;
    // A message that only needs reading: closing messages, stop messages, an unreadable file.
    virtual void tell(const QString& text) = 0;
    // A line did not go in as it stands: the file's failure message or the import's own words.
    // Returns true when the person wants the import to stop after this line.
    virtual bool lineRefused(const QString& text) = 0;
    // A file was read and is about to be imported line by line.
    virtual void fileLoaded(const FileLayout&, const QString& path, QByteArrayView content, const QList<LineSpan>& lines) {}
    // The file is done and its closing message shown; the next one follows.
    virtual void fileLeft(const FileLayout&) {}
    // Called after every line: progress, and the moment the screen stays responsive.
    virtual void lineDone(const FileLayout&, const FileSummary& progress) {}
    // Asked before every line.
    virtual bool stopRequested() { return false; }
};

// Reads the six legacy files from a directory and appends their lines to the live and archive
// delivery tables and the two registers. Lines are committed in groups (twenty lines, or fewer after a
// quarter of a second), and always before anything is said to the person or the run ends: the
// counts of imported lines are committed lines.
class LegacyImporter {
public:
    LegacyImporter(TData& data, ImportObserver& observer);

    // The target tables that already hold rows, as the person knows them ("Szállító (SZALLITO)").
    static QStringList filledTables(TData& data);
    // True when one of those is a register: then the imported carriers and partners cannot get the
    // codes the delivery lines refer to.
    static bool registersFilled(const QStringList& filledTables);

    // directoryText is used as typed: each file name is appended to it.
    ImportSummary run(const QString& directoryText, const QStringList& filledBefore = {});

private:
    enum class LineEnd { Next, Stop, Break };
    bool importFile(const FileLayout& layout, FileSummary& file, ImportSummary& summary);
    LineEnd importLine(const FileLayout& layout, FileSummary& file, QByteArrayView line, int lineNumber,
                       QString& breakReason);

    // Commits the lines written since the last commit and counts them as imported; on failure
    // they are lost, the reason noted (and said), and the run must break.
    bool commitWritten(const FileLayout& layout, FileSummary& file, int lineNumber, QString& breakReason);

    TData& m_data;
    ImportObserver& m_observer;
    QStringList m_parameterNames;
    int m_written = 0;  // lines of the file in hand written since the last commit
    QElapsedTimer m_sinceCommit;
};

}  // namespace legacy
