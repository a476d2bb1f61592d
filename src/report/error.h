#pragma once

#include <QString>

#include <stdexcept>

namespace report {

// A report that cannot be prepared, or a file of pages that cannot be written or read, for a
// reason of the engine's own; message() is the text for the person.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message) : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

}  // namespace report
