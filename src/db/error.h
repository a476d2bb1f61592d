#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>
#include <vector>

namespace fb {

// One entry of the engine's status: an error code and the texts and numbers given with it.
struct StatusEntry {
    long code = 0;
    QStringList arguments;
};

// The one error type of the database layer. Its message is what a person reads: Hungarian, for
// the program's own errors and for the engine's (made from the engine's error codes, see
// engineMessage); the engine's own English text is kept apart for support.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message, long code = 0, std::vector<long> codes = {});
    // An error the engine reported, with its status entries and its own formatted text.
    Error(std::vector<StatusEntry> entries, const QString& engineText);

    const QString& message() const { return m_message; }
    // The engine's own words (English), empty for the program's own errors. Never shown.
    const QString& engineText() const { return m_engineText; }
    // First gds code of the status vector (0 for errors raised by the program itself).
    long code() const { return m_code; }
    const std::vector<long>& codes() const { return m_codes; }
    bool hasCode(long code) const;
    // The index-th text or number the engine gave with code, empty when there is none.
    QString argument(long code, int index = 0) const;
    // Another connection holds the row or table (nowait transaction collided).
    bool isLockConflict() const;

private:
    QString m_message;
    QString m_engineText;
    long m_code;
    std::vector<long> m_codes;
    std::vector<StatusEntry> m_entries;
};

// The Hungarian sentence for an error the engine reported: the error codes the program can meet
// (rows held by another desk, duplicate keys, texts too long, values that do not convert, files and
// connections lost, ...) in words a person can act on, with the values and names the engine gave;
// any other code in a general sentence that names it.
QString engineMessage(const std::vector<StatusEntry>& entries);

// "Érvénytelen egész szám: „Y” (mező: IDK)": a value that does not convert, and where it stood.
QString invalidIntegerMessage(const QString& value, const QString& field);
QString invalidDateMessage(const QString& value, const QString& field);
// A statement or transaction asked of a connection that is closed (or was never opened).
QString notConnectedMessage();

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
