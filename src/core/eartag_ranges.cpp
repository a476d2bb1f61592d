#include "core/eartag_ranges.h"

#include "core/convert.h"

#include <algorithm>

namespace eartag {

NotANumber::NotANumber(const QString& text)
    : std::runtime_error(QStringLiteral("Érvénytelen fülszám: „%1” (a fülszám csak számjegyekből állhat).")
                             .arg(text)
                             .toStdString()),
      m_text(text)
{
}

QString NotANumber::message() const { return QString::fromStdString(what()); }

bool isNumber(const QString& tag)
{
    // Only ASCII digits: QChar::isDigit would let other scripts' digits through.
    return !tag.isEmpty() && std::all_of(tag.begin(), tag.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QString canonical(const QString& tag)
{
    if (!isNumber(tag))
        throw NotANumber(tag);
    return *convert::earTagNumberText(tag);
}

namespace {
// The value plus one, for a tag already known to be digits.
QString successor(const QString& digits) { return *convert::earTagPlusOne(digits); }
}  // namespace

bool follows(const QString& previous, const QString& next)
{
    const QString expected = successor(canonical(previous));
    return canonical(next) == expected;
}

std::vector<Range> ranges(const QStringList& tags)
{
    std::vector<Range> out;
    QString expectedNext;  // the value that would continue the current run
    for (const QString& tag : tags) {
        const QString value = canonical(tag);
        if (!out.empty() && value == expectedNext)
            out.back().last = tag;
        else
            out.push_back(Range{tag, tag});
        expectedNext = successor(value);
    }
    return out;
}

}  // namespace eartag
