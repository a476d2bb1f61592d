#include "db/error.h"

#include <algorithm>

namespace fb {

namespace {
constexpr long kDeadlock = 335544336L;
constexpr long kLockConflict = 335544345L;
constexpr long kUpdateConflict = 335544451L;
constexpr long kReadConflict = 335545096L;
}  // namespace

Error::Error(const QString& message, long code, std::vector<long> codes)
    : std::runtime_error(message.toStdString()), m_message(message), m_code(code), m_codes(std::move(codes))
{
    if (m_codes.empty() && code != 0)
        m_codes.push_back(code);
}

namespace {
// The whole character at, a surrogate pair included.
QString characterAt(const QString& text, qsizetype at)
{
    const bool pair = at + 1 < text.size() && text.at(at).isHighSurrogate() && text.at(at + 1).isLowSurrogate();
    return text.mid(at, pair ? 2 : 1);
}

QString unstorableMessage(const QString& character, const QString& field)
{
    const char32_t code = character.size() == 2 ? QChar::surrogateToUcs4(character.at(0), character.at(1))
                                                : character.at(0).unicode();
    // An invisible character is named by its code alone.
    const bool visible = character.size() == 2 || (character.at(0).isPrint() && !character.at(0).isSpace());
    const QString shown = QStringLiteral("U+%1").arg(static_cast<uint>(code), 4, 16, QLatin1Char('0')).toUpper();
    return QStringLiteral("A(z) \"%1\" mezőben álló %2 karaktert az adatbázis nem tudja tárolni. "
                          "Semmi sem került mentésre; javítsa a mezőt, és mentse újra!")
        .arg(field, visible ? QStringLiteral("\"%1\" (%2)").arg(character, shown) : shown);
}
}  // namespace

UnstorableText::UnstorableText(const QString& text, qsizetype at, const QString& field)
    : Error(unstorableMessage(characterAt(text, at), field)), m_character(characterAt(text, at)), m_field(field)
{
}

bool Error::hasCode(long code) const
{
    return std::find(m_codes.begin(), m_codes.end(), code) != m_codes.end();
}

bool Error::isLockConflict() const
{
    return hasCode(kDeadlock) || hasCode(kLockConflict) || hasCode(kUpdateConflict) || hasCode(kReadConflict);
}

}  // namespace fb
