#pragma once

#include <QString>
#include <QStringList>

#include <stdexcept>
#include <vector>

// Ear tags packed into runs of consecutive numbers, as the delivery papers and the sender's ranges
// list them. An ear tag is a whole number written in digits, of any length: it is compared exactly,
// digit by digit, never through a floating-point or fixed-width integer, so two different 21-digit
// tags never look equal or consecutive. Leading zeros do not count ("0099" and "100" are
// consecutive, "0012" and "12" are the same number).
namespace eartag {

// One run: its first and last ear tag as they were given (the same tag for a run of one).
struct Range {
    QString first;
    QString last;
    bool operator==(const Range&) const = default;
};

// An ear tag that is not a whole number written in digits; the message names the text.
class NotANumber : public std::runtime_error {
public:
    explicit NotANumber(const QString& text);
    const QString& text() const { return m_text; }
    // For the standard error box.
    QString message() const;

private:
    QString m_text;
};

// True when every character is one of 0-9 and there is at least one.
bool isNumber(const QString& tag);

// The number without its leading zeros ("0" for zero). Raises NotANumber.
QString canonical(const QString& tag);

// True when next's value is exactly previous's value plus one. Raises NotANumber for either.
bool follows(const QString& previous, const QString& next);

// Cuts the tags, in the order given, into maximal runs in which each tag's value is the previous
// one's plus exactly one; a repeated tag starts a new run. Raises NotANumber at the first tag that
// is not a number (no ranges are returned then).
std::vector<Range> ranges(const QStringList& tags);

}  // namespace eartag
