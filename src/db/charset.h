#pragma once

#include <QByteArray>
#include <QString>

namespace fb {

// The connection character set is WIN1250; every text crossing the client layer goes through these.
QString fromWin1250(const char* data, int length);
QByteArray toWin1250(const QString& text);

}  // namespace fb
