#include "ui/textfile.h"

#include <QSaveFile>

namespace textfile {

std::optional<QString> writeUtf8(const QString& path, const QString& text)
{
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return file.errorString();
    return std::nullopt;
}

}  // namespace textfile
