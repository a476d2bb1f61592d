#include "core/day_counts.h"

namespace daycounts {

Day countDay(fb::Attachment& att, const QDate& day)
{
    const auto v = fb::readIntegers(att,
                                    QStringLiteral("SELECT (SELECT COUNT(*) FROM BESZALL WHERE BSZKELT = :day), "
                                                   "(SELECT COUNT(*) FROM KISZALL WHERE KIKELT = :day) "
                                                   "FROM RDB$DATABASE"),
                                    {{QStringLiteral("day"), fb::Value::fromDate(day)}});
    return v.size() == 2 ? Day{v[0], v[1]} : Day{};
}

qint64 countOnSite(fb::Attachment& att)
{
    const auto v = fb::readIntegers(att, QStringLiteral("SELECT COUNT(DISTINCT b.BFULSZAM) FROM BESZALL b "
                                                        "WHERE NOT EXISTS (SELECT 1 FROM KISZALL k "
                                                        "WHERE k.KFULSZAM = b.BFULSZAM)"));
    return v.empty() ? 0 : v[0];
}

}  // namespace daycounts
