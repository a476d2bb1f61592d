#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The fixed-column text files of the program's previous version: which files there are, how their
// lines are cut into fields, and where those fields go. Pure: no database, no widgets.
namespace legacy {

// One field of a line: its columns counted from 1, both ends included. Fields are handed to the
// database as text; a date field that is empty stores no date.
struct Field {
    int first;
    int last;
    QString column;  // the table column it fills
    bool isDate = false;
};

// One legacy file: its fields in the order of the insert's parameters :p1, :p2, ...
struct FileLayout {
    QString fileName;
    QString table;
    QStringList insertStatement;
    QList<Field> fields;
    // A register file: the database gives the n-th row the n-th code, and the delivery files refer
    // to carriers and partners by those codes, so every line must become a row in its place.
    bool isRegister = false;
    QString closingMessage;     // shown when the file is done
    QString lineFailedMessage;  // shown for each line the database refuses
    QString stopMessage;        // shown when the transaction cannot go on; the import ends
};

// The six files in the order they are imported: deliveries first, then the registers.
const QList<FileLayout>& importFiles();

// Where a line starts in a file's content and how many bytes it has, its ending not included.
struct LineSpan {
    qsizetype offset = 0;
    qsizetype length = 0;
};
// A line ends at CR LF, at a lone CR or at a lone LF; an ending at the very end of the content opens
// no further line, so an empty content has no lines and "\r\n" one blank line.
QList<LineSpan> splitLines(QByteArrayView content);

// A byte inside a field's text that is not a character: a NUL, or one of the five bytes that
// Windows-1250 leaves unassigned (0x81, 0x83, 0x88, 0x90, 0x98).
struct BadByte {
    enum class Kind { Nul, NotWindows1250 };
    Kind kind = Kind::Nul;
    int column = 0;  // counted from 1
    unsigned char byte = 0;
    int field = 0;   // index into the layout's fields
};

// A line cut into its fields: the row to insert, or the reason it is not clean text.
struct ParsedLine {
    // One text per field: the bytes of its columns (the part that exists on a short line) taken as
    // Windows-1250, blanks and control characters removed from both ends. A bad byte inside the
    // text stands as "?" here, so a register line that must keep its place can still be stored.
    QStringList values;
    std::optional<BadByte> badByte;  // the first bad byte; nullopt for a clean line
};
ParsedLine parseLine(const FileLayout& layout, QByteArrayView line);

// The Hungarian description of a bad byte for the person ("a 20. oszlopban NUL bájt áll").
QString describe(const BadByte& bad);

}  // namespace legacy
