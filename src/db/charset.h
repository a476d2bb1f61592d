#pragma once

#include <QByteArray>
#include <QString>

namespace fb {

// The connection character set is WIN1250; every text crossing the client layer goes through these.
QString fromWin1250(const char* data, int length);
// A character WIN1250 has no place for becomes "?" (the program's own statement texts).
QByteArray toWin1250(const QString& text);
// Where text holds the first character WIN1250 has no place for (the index of its first UTF-16
// unit); -1 when every character can be stored.
qsizetype firstUnstorable(const QString& text);

}  // namespace fb
