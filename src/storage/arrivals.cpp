#include "storage/arrivals.h"

#include "storage/statements.h"

Arrivals::Arrivals(Database& database) : m_database(database), m_counts(database, QStringLiteral("arrivalCounts")) {}

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
