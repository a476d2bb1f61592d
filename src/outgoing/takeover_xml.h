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
//
// Only what the file itself holds is read: an entity whose value would come from another file
// (declared SYSTEM or PUBLIC, or left to an external DTD) is never fetched, and a file that refers
// to one cannot be read, as its later values would otherwise land in the wrong columns.
namespace takeover {

// A record keeps its first values only: KISZALL1's eight columns and one value more, enough to know
// that a record has too many. Records nested in records then cannot multiply what is kept.
inline constexpr int kValuesKept = 9;

// What a file gave: every record's values, or why it could not be read.
struct RecordFile {
    QList<QStringList> records;
    // Empty when the whole file was read. Otherwise the message for the person, naming the file
    // and, for a file that is no well-formed XML, the line and column where reading failed; the
    // records are then empty: a file read halfway is not taken over.
    QString error;
    bool ok() const { return error.isEmpty(); }
};

RecordFile readRecordFile(const QString& fileName);
// The same for a file's content; name is how messages name the file.
RecordFile readRecords(const QByteArray& content, const QString& name = QStringLiteral("fulszam.xml"));

// Leading and trailing blanks and control characters removed (every character up to U+0020).
QString trimBlanksAndControls(const QString& text);

// The Hungarian words for a message of Qt's XML reader, English or as Qt's translations give it;
// a message it does not know gets a general Hungarian sentence.
QString xmlReaderMessage(const QString& qtMessage);

}  // namespace takeover
