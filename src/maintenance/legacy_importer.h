#pragma once

#include "core/dataset.h"
#include "maintenance/legacy_format.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class TData;

namespace legacy {

enum class FileState {
    NotReached,     // the import ended before this file
    Done,           // every line was dealt with and the closing message shown
    Stopped,        // the person stopped the import in this file
    Unreadable,     // missing or unreadable: the import ended here
    Broken,         // the transaction could not go on: the import ended here
    WrongEncoding,  // written in UTF-8: refused before anything was imported
};

struct LineNote {
    int line = 0;  // counted from 1
    QString text;
};

struct FileSummary {
    // What is being done with the file: its encoding checked (every file, before any line is
    // imported), its lines read into the box, or its lines imported.
    enum class Phase { Checking, Reading, Importing };
    QString fileName;
    QString path;
    FileState state = FileState::NotReached;
    Phase phase = Phase::Checking;
    qint64 size = 0;      // bytes in the file
    qint64 position = 0;  // bytes read through in the current phase
    int lines = 0;        // lines in the file
    int read = 0;         // lines dealt with
    int imported = 0;     // lines committed as rows
    int refused = 0;      // lines that became no row although they held something
    int skipped = 0;      // blank lines of a delivery file and the DOS end-of-file mark: nothing to import
    QList<LineNote> notes;  // the lines refused, skipped or stored with changes, and why (the first 1000)
    int notesLeftOut = 0;   // notes past those
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
// True when the file's lines were counted (it was opened and read through).
bool wasRead(const FileSummary& file);

// What the import tells the person and asks of them; the screen shows it, a command-line run prints it.
class ImportObserver {
public:
    virtual ~ImportObserver() = default;
    // A message that only needs reading: closing messages, stop messages, an unreadable file.
    virtual void tell(const QString& text) = 0;
    // A line did not go in as it stands: the file's failure message or the import's own words.
    // Returns true when the person wants the import to stop after this line.
    virtual bool lineRefused(const QString& text) = 0;
    // Reading goes on in a file (checking, reading or importing it): called after every chunk of the
    // file read and every line imported; progress.position and .size tell how far. The moment to
    // stay responsive: a huge line or a long file never keeps the caller from it for long.
    virtual void progressed(const FileLayout&, const FileSummary& progress) {}
    // A file is about to be read into the box and imported line by line.
    virtual void fileOpened(const FileLayout&, const FileSummary& file) {}
    // While the file is read into the box: each line as the layout keeps it (up to its last column;
    // cut tells that the line went on past it).
    virtual void lineRead(const FileLayout&, QByteArrayView kept, bool cut) {}
    // The box holds the file; its lines are imported next.
    virtual void fileRead(const FileLayout&, const FileSummary& file) {}
    // The file is done and its closing message shown; the next one follows.
    virtual void fileLeft(const FileLayout&) {}
    // Called after every line: progress, and the moment the screen stays responsive.
    virtual void lineDone(const FileLayout&, const FileSummary& progress) {}
    // Asked before every line.
    virtual bool stopRequested() { return false; }
};

// Reads the six legacy files from a directory and appends their lines to the live and archive
// delivery tables and the two registers, one transaction and commit per line.
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
    // Every file that can be opened is read through for UTF-8 before any line is imported: a
    // refused file would otherwise leave the files before it imported. False when one is refused.
    bool checkEncodings(ImportSummary& summary);
    bool importFile(const FileLayout& layout, FileSummary& file, ImportSummary& summary);
    LineEnd importLine(const FileLayout& layout, FileSummary& file, QByteArrayView line, int lineNumber, bool lastLine,
                       QString& breakReason);
    // Tells the person of a line left out for what it holds, and notes it. Stop when asked to.
    LineEnd refuseLine(const FileLayout& layout, FileSummary& file, int lineNumber, const QString& why);
    // The date the database would store for a date field's text, or nothing when it cannot tell (the
    // insert then says so).
    std::optional<QDate> storedDate(const QString& text);

    TData& m_data;
    ImportObserver& m_observer;
    QStringList m_parameterNames;
    Dataset m_dateCheck;
};

}  // namespace legacy
