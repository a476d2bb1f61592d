#include "core/day_counts.h"

namespace daycounts {

namespace {
std::vector<qint64> readOneRow(fb::Attachment& att, const QString& sql, const QDate& day = {})
{
    fb::Transaction tra;
    tra.startReadOnly(att);
    std::vector<qint64> values;
    {
        fb::Statement st(att, tra, sql);
        if (day.isValid())
            st.bind(QStringLiteral("day"), fb::Value::fromDate(day));
        auto cursor = st.openCursor();
        std::vector<unsigned char> row(cursor->columns().messageLength() + 8);
        if (cursor->fetchNext(row.data()))
            for (int i = 0; i < cursor->columns().count(); ++i)
                values.push_back(cursor->columns().integer(row.data(), i));
    }
    tra.commit();
    return values;
}
}  // namespace

Day countDay(fb::Attachment& att, const QDate& day)
{
    const auto v = readOneRow(att,
                              QStringLiteral("SELECT (SELECT COUNT(*) FROM BESZALL WHERE BSZKELT = :day), "
                                             "(SELECT COUNT(*) FROM KISZALL WHERE KIKELT = :day) FROM RDB$DATABASE"),
                              day);
    return v.size() == 2 ? Day{v[0], v[1]} : Day{};
}

qint64 countOnSite(fb::Attachment& att)
{
    const auto v = readOneRow(att, QStringLiteral("SELECT COUNT(DISTINCT b.BFULSZAM) FROM BESZALL b "
                                                  "WHERE NOT EXISTS (SELECT 1 FROM KISZALL k "
                                                  "WHERE k.KFULSZAM = b.BFULSZAM)"));
    return v.empty() ? 0 : v[0];
}

}  // namespace daycounts
