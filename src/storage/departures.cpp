#include "storage/departures.h"

#include "storage/statements.h"

Departures::Departures(Database& database)
    : m_database(database),
      m_counts(database, QStringLiteral("departureCounts")),
      m_changes(database, QStringLiteral("departureChanges"))
{
}

qint64 Departures::countWithCarrier(const QString& carrierCode)
{
    return statements::count(m_counts, {QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE kskod = :code")},
                             {{QStringLiteral("code"), carrierCode}});
}

qint64 Departures::countWithBuyer(const QString& buyerCode)
{
    return statements::count(m_counts, {QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE kfkod = :code")},
                             {{QStringLiteral("code"), buyerCode}});
}

qint64 Departures::countForEarTag(const QString& earTag)
{
    return statements::count(m_counts, {QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE kfulszam = :earTag")},
                             {{QStringLiteral("earTag"), earTag}});
}

// ---------------------------------------------------------------- written by the incoming entry screen

void Departures::insertWithArrival(const DepartureWithArrival& departure)
{
    statements::prepare(
        m_changes,
        {QStringLiteral("INSERT INTO kiszall (kskod, kfkod, kfulszam, kikelt, keubizbe, khkat, keubizki)"),
         QStringLiteral("VALUES ('', '', :earTag, :dispatchDate, :certificateIn, :category, '')")},
        {{QStringLiteral("earTag"), departure.earTag},
         {QStringLiteral("certificateIn"), departure.certificateIn},
         {QStringLiteral("category"), departure.category}});
    m_changes.setParamDate(QStringLiteral("dispatchDate"), departure.dispatchDate);
    m_changes.execSql();
}
