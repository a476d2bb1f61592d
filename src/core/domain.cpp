#include "core/domain.h"

#include "core/dataset.h"

namespace domain {

QString nextCategory(const QString& category)
{
    return category == QStringLiteral("hizlalás") ? QStringLiteral("vágás") : QStringLiteral("hizlalás");
}

bool isEarTagColumn(const QString& name)
{
    const QString n = name.toUpper();
    return n.endsWith(QLatin1String("FULSZAM")) || n == QLatin1String("UFULTOL") || n == QLatin1String("UFULIG");
}

qint64 departureCount(Dataset& query, const QString& earTag)
{
    query.close();
    query.clearSql();
    query.addSql(QStringLiteral("SELECT Kfulszam, count(Kfulszam) as db"));
    query.addSql(QStringLiteral("FROM kiszall"));
    query.addSql(QStringLiteral("WHERE Kfulszam = :p1"));
    query.addSql(QStringLiteral("GROUP BY Kfulszam"));
    query.setParamText(QStringLiteral("p1"), earTag);
    query.open();
    // An ear tag that never left gives no row, which reads as 0.
    return query.fieldInt(QStringLiteral("db"));
}

}  // namespace domain
