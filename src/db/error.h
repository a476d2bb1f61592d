#pragma once

#include <QString>
#include <stdexcept>
#include <vector>

namespace fb {

// The one error type of the database layer: the engine's own text and its status codes.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message, long code = 0, std::vector<long> codes = {});

    const QString& message() const { return m_message; }
    // First gds code of the status vector (0 for errors raised by the program itself).
    long code() const { return m_code; }
    const std::vector<long>& codes() const { return m_codes; }
    bool hasCode(long code) const;
    // Another connection holds the row or table (nowait transaction collided).
    bool isLockConflict() const;

private:
    QString m_message;
    long m_code;
    std::vector<long> m_codes;
};

}  // namespace fb
