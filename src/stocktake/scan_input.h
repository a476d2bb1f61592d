#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <variant>

// What a person, a hand-held reader or a reader's export file gives the stock-take as ear tags.
// Readers type what is printed on the tag ("HU 31 0046 0000 3"): the country letters in front and
// the blanks, dashes, dots or slashes between the digit groups are dropped, the digits are the ear
// tag as the register writes it. Anything else (a letter among the digits, a semicolon, a date
// after the tag) is no ear tag: joining its digits would make up a tag nobody read.
namespace stocktake {

// The ear-tag columns' width: a longer number cannot be in the register.
inline constexpr int kMaxEarTagDigits = 25;

struct Reading {
    enum class Kind { Blank, EarTag, NotEarTag };
    Kind kind = Kind::Blank;
    QString earTag;  // the digits, for an ear tag
    QString reason;  // why it is none, for the person: "nincs benne számjegy"
};

// The text as an ear tag: blank (nothing but blanks), the ear tag's digits, or why it is no ear tag.
Reading readEarTag(QStringView text);

// A line of a file that was no ear tag: its number (from 1), its text as far as it is kept (a line
// longer than that ends in "…"), and why.
struct RefusedLine {
    qint64 line = 0;
    QString text;
    QString reason;
};

// The ear tags of a reader's export file: one a line; blank lines are passed over, and so is a
// first line that holds letters and is no ear tag (a header).
struct TagFile {
    QStringList earTags;         // in the file's order, as many times as they stand in it
    QList<RefusedLine> refused;  // the first kMaxRefusedKept refused lines
    qint64 refusedCount = 0;     // every refused line
    qint64 lines = 0;
    qint64 blankLines = 0;
    qint64 headerLine = 0;  // the line passed over as a header, 0 when there was none
};
inline constexpr int kMaxRefusedKept = 1000;

// Reads bytesRead of bytesTotal so far; answers false to stop reading (the person cancelled).
using ReadProgress = std::function<bool(qint64 bytesRead, qint64 bytesTotal)>;

// Why a file gives no ear tags: a sentence naming the file, for the person.
struct FileRefusal {
    QString message;
    bool cancelled = false;
};

// Reads the file as a stream, a chunk at a time (a file of any size or shape costs little memory):
// UTF-8, Windows-1250 or UTF-16 with its byte-order mark, lines ended by CR LF, LF or CR. A file
// that cannot be read, is empty, is no text (control characters such as NUL bytes: a spreadsheet,
// a picture) or holds no ear tag at all is refused whole, naming the file.
std::variant<TagFile, FileRefusal> readTagFile(const QString& path, const ReadProgress& progress = {});

}  // namespace stocktake
