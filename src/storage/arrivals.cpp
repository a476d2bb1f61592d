#include "storage/arrivals.h"

#include "storage/statements.h"

Arrivals::Arrivals(Database& database)
    : m_database(database),
      m_counts(database, QStringLiteral("arrivalCounts")),
      m_earTagReads(database, QStringLiteral("arrivalEarTagReads"))
{
}

qint64 Arrivals::countWithCarrier(const QString& carrierCode)
{
    return statements::count(m_counts, {QStringLiteral("SELECT COUNT(*) FROM beszall WHERE bskod = :code")},
                             {{QStringLiteral("code"), carrierCode}});
}

qint64 Arrivals::countWithSender(const QString& senderCode)
{
    return statements::count(m_counts, {QStringLiteral("SELECT COUNT(*) FROM beszall WHERE bfkod = :code")},
                             {{QStringLiteral("code"), senderCode}});
}

// ---------------------------------------------------------------- an ear tag about to leave

qint64 Arrivals::countForEarTag(const QString& earTag)
{
    return statements::count(m_earTagReads, {QStringLiteral("SELECT COUNT(*) FROM beszall WHERE bfulszam = :earTag")},
                             {{QStringLiteral("earTag"), earTag}});
}

QString Arrivals::certificateOf(const QString& earTag)
{
    statements::open(m_earTagReads,
                     {QStringLiteral("SELECT bfulszam, beubiz"), QStringLiteral("FROM beszall"),
                      QStringLiteral("WHERE bfulszam = :earTag")},
                     {{QStringLiteral("earTag"), earTag}});
    return m_earTagReads.fieldText(QStringLiteral("beubiz"));
}

void Arrivals::openNotDeparted(Dataset& rows)
{
    // The engine answers NOT EXISTS through the ear-tag index of the departures (IX_KISZALL_FULSZAM).
    statements::open(rows, {QStringLiteral("SELECT bfulszam, bszkelt"), QStringLiteral("FROM beszall"),
                            QStringLiteral("WHERE NOT EXISTS"),
                            QStringLiteral("( SELECT  beszall.bfulszam FROM kiszall"),
                            QStringLiteral("WHERE beszall.bfulszam = kiszall.kfulszam )"),
                            QStringLiteral("ORDER BY beszall.bfulszam")});
}
