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

bool Error::hasCode(long code) const
{
    return std::find(m_codes.begin(), m_codes.end(), code) != m_codes.end();
}

bool Error::isLockConflict() const
{
    return hasCode(kDeadlock) || hasCode(kLockConflict) || hasCode(kUpdateConflict) || hasCode(kReadConflict);
}

}  // namespace fb
