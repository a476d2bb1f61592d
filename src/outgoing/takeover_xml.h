#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QDomNodeList;

// Reading the takeover file written by the separate ear-tag program: every element named
// "Records", at any depth and in document order, is one record; its values are the texts below it.
namespace takeover {

// The values of every record of the file. A missing, unreadable or malformed file gives no
// records: the caller treats it as an empty file.
QList<QStringList> readRecordFile(const QString& fileName);
QList<QStringList> readRecords(const QByteArray& content);

// Appends the values found below nodes, depth first in document order: elements and entity
// references are descended into, each text node gives its text trimmed of blanks and control
// characters; comments, CDATA sections, attributes and processing instructions give nothing.
void travelChildren(const QDomNodeList& nodes, QStringList& values);

// Leading and trailing blanks and control characters removed (every character up to U+0020).
QString trimBlanksAndControls(const QString& text);

}  // namespace takeover
