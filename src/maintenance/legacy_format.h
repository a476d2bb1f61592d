#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
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

// The layout's last column: no field reads past it.
int lastColumn(const FileLayout& layout);

// Reads a file's lines one after another, a chunk of the file at a time: a line ends at CR LF, at a
// lone CR or at a lone LF, and an ending at the very end opens no further line (as splitLines). Of
// each line only its first `keep` bytes are kept (the columns the layout uses); the rest is passed
// over while reading, so one huge line costs no more memory than a short one and the memory used
// is one chunk and one kept line, whatever the file. After every chunk the hook is called with the
// bytes read so far: a screen keeps itself painted there.
class LineReader {
public:
    static constexpr qsizetype kChunk = 64 * 1024;

    LineReader(QIODevice& device, qsizetype keep, std::function<void(qint64 position)> hook = {},
               qsizetype chunk = kChunk);

    // The next line; false at the end of the file or when the device cannot be read (failed()).
    bool next();
    // The line's kept bytes, its ending not included.
    QByteArrayView line() const { return QByteArrayView(m_line); }
    // The whole line's length in bytes, its ending not included.
    qint64 length() const { return m_length; }
    bool cut() const { return m_length > m_line.size(); }
    // The line's number, counted from 1.
    int number() const { return m_number; }
    // Bytes of the file read through, the line's ending included.
    qint64 position() const { return m_chunkStart + m_pos; }
    // True when no line follows the one read last.
    bool atEnd();
    bool failed() const { return m_failed; }

    // Looks for UTF-8 in every byte of each line (its cut part included): the first valid multi-byte
    // sequence of the line read last, decoded; empty when the line has none. Off by default.
    void setFindUtf8(bool on) { m_findUtf8 = on; }
    const QString& utf8Character() const { return m_utf8Character; }

private:
    bool fill();
    void take(const char* from, const char* to);
    void scanUtf8(const unsigned char* from, const unsigned char* to);

    QIODevice& m_device;
    qsizetype m_keep;
    std::function<void(qint64)> m_hook;
    qsizetype m_chunkSize;
    QByteArray m_chunk;
    qsizetype m_pos = 0;
    qint64 m_chunkStart = 0;
    // The next CR and LF at or after m_pos in the chunk (the chunk's size when there is none): each
    // chunk is searched once for each, whatever the number of lines in it.
    qsizetype m_nextCr = -1;
    qsizetype m_nextLf = -1;
    bool m_eof = false;
    bool m_failed = false;
    bool m_skipLf = false;  // the chunk before ended with a CR: an LF opening this one ends no line
    QByteArray m_line;
    qint64 m_length = 0;
    int m_number = 0;
    bool m_findUtf8 = false;
    QString m_utf8Character;
    QByteArray m_utf8Sequence;  // a multi-byte sequence begun and not finished yet
    int m_utf8Needed = 0;
    unsigned char m_utf8Low = 0x80;
    unsigned char m_utf8High = 0xBF;
};

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
