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

// A text value holds a character the database's character set has no place for. Refused before
// anything reaches the database, so nothing is written; the message names the character and the
// field, as the person who typed it knows the field.
class UnstorableText : public Error {
public:
    // text: the value; at: where its first unstorable character begins; field: what the person
    // calls the field.
    UnstorableText(const QString& text, qsizetype at, const QString& field);
    const QString& character() const { return m_character; }
    const QString& field() const { return m_field; }

private:
    QString m_character;
    QString m_field;
};

}  // namespace fb
