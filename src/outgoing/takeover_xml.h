#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Reading the takeover file written by the separate ear-tag program: every element named
// "Records", at any depth and in document order, is one record; its values are the texts below it,
// depth first in document order (entities resolved; comments, CDATA sections, attributes and
// processing instructions give nothing; text of white space only is layout, not a value). The
// file is read as a stream that keeps no tree: time grows with the file's length, and no depth of
// nesting exhausts the stack.
namespace takeover {

// What a file gave: every record's values, or why it could not be read.
struct RecordFile {
    QList<QStringList> records;
    // Empty when the whole file was read. Otherwise the message for the person, naming the file
    // and, for a file that is no well-formed XML, the line and column where reading failed; the
    // records are then empty: a file read halfway is not taken over.
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// Every value of a record beyond maxValues is dropped (a negative maxValues keeps all): a caller
// that can store n values needs n + 1 to know a record has too many, and records nested in records
// then cannot multiply what is kept.
RecordFile readRecordFile(const QString& fileName, int maxValues = -1);
// The same for a file's content; name is how messages name the file.
RecordFile readRecords(const QByteArray& content, const QString& name = QStringLiteral("fulszam.xml"),
                       int maxValues = -1);

// Leading and trailing blanks and control characters removed (every character up to U+0020).
QString trimBlanksAndControls(const QString& text);

}  // namespace takeover
