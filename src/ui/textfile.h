#pragma once

#include <QString>

#include <optional>

namespace textfile {

// Writes text to path as UTF-8, all or nothing: a file that cannot be written completely is left as
// it was. Returns why it failed, or nothing when the file was written.
std::optional<QString> writeUtf8(const QString& path, const QString& text);

}  // namespace textfile
