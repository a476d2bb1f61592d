#include "ui/textfile.h"
#include "core/file_errors.h"

#include <QSaveFile>

namespace textfile {

std::optional<QString> writeUtf8(const QString& path, const QString& text)
{
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return fileErrorText(file);
    return std::nullopt;
}

}  // namespace textfile
