#include "storage/departures.h"

#include "storage/statements.h"

namespace {

// The whole live departure list of the ear-tag search; an order line follows.
const QStringList kSearchList{
    QStringLiteral("SELECT kfulszam, kikelt,fnev, snev, khkat, keubizki, keubizbe, kskod, kfkod, IDk,"),
    QStringLiteral("srendszam, scim, sjovaszam, skod, IDs,"),
    QStringLiteral("fcim, ftenykod, fsznev, fszcim, fkod, IDf"),
    QStringLiteral("FROM kiszall"),
    QStringLiteral("JOIN szallito ON szallito.skod = kiszall.kskod"),
    QStringLiteral("JOIN felado   ON felado.fkod    = kiszall.kfkod"),
};

}  // namespace

Departures::Departures(Database& database) : m_database(database), m_counts(database, QStringLiteral("departureCounts"))
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

// ---------------------------------------------------------------- the ear-tag lookups

void Departures::openSearchList(Dataset& rows, SearchOrder order)
{
    QStringList lines = kSearchList;
    switch (order) {
    case SearchOrder::ByEarTag: lines << QStringLiteral("ORDER BY kfulszam"); break;
    case SearchOrder::ByDispatchDate: lines << QStringLiteral("ORDER BY kikelt"); break;
    case SearchOrder::ByBuyerName: lines << QStringLiteral("ORDER BY fnev"); break;
    case SearchOrder::ByCarrierName: lines << QStringLiteral("ORDER BY snev"); break;
    case SearchOrder::ByEntry: lines << QStringLiteral("ORDER BY IDk"); break;
    }
    statements::open(rows, lines);
}

void Departures::openEarTagSearch(Dataset& rows, const QString& earTagBeginning)
{
    statements::open(
        rows,
        {QStringLiteral("SELECT kfulszam, kikelt,fnev, snev, khkat, keubizki, keubizbe, kskod, kfkod, IDk,"),
         QStringLiteral("srendszam, snev, scim, sjovaszam, skod, IDs,"),
         QStringLiteral("fcim, ftenykod, fsznev, fszcim, fkod, IDf"),
         QStringLiteral("FROM kiszall"),
         QStringLiteral("JOIN szallito ON szallito.skod = kiszall.kskod"),
         QStringLiteral("JOIN felado   ON felado.fkod    = kiszall.kfkod"),
         QStringLiteral("WHERE kfulszam like :beginning"),
         QStringLiteral("ORDER BY kfulszam")},
        {{QStringLiteral("beginning"), statements::earTagBeginning(earTagBeginning)}});
}

void Departures::openByEarTag(Dataset& rows)
{
    statements::open(rows, {QStringLiteral("SELECT kfulszam, kikelt, keubizki, keubizbe, IDk"),
                            QStringLiteral("FROM kiszall"), QStringLiteral("ORDER BY kfulszam")});
}

void Departures::openWithoutArrival(Dataset& rows)
{
    statements::open(rows, {QStringLiteral("SELECT kfulszam, kikelt, kskod, kfkod, IDk"), QStringLiteral("FROM kiszall"),
                            QStringLiteral("LEFT JOIN beszall on beszall.bfulszam = kiszall.kfulszam"),
                            QStringLiteral("WHERE bfulszam  IS NULL")});
}

// ---------------------------------------------------------------- the last known pass

QString Departures::lastKnownPass(const QString& earTag, PassValue value)
{
    // lp: every movement of the ear tag (lpk 2 a departure, 1 an arrival; lpa 1 archived, so a live
    // one comes before an archived one of the same day), lpf its buyer or sender. Each text is cast
    // to its own length: a union of plain literals would pad them all to the longest.
    const QString column = value == PassValue::Kind   ? QStringLiteral("lp.lpt")
                           : value == PassValue::Date ? QStringLiteral("lp.lpd")
                                                      : QStringLiteral("lpf.fnev");
    return QStringLiteral("(SELECT FIRST 1 %2 FROM ("
                          "SELECT 2 AS lpk, 0 AS lpa, CAST('kiszállítva' AS VARCHAR(40)) AS lpt, kikelt AS lpd, "
                          "idk AS lpi, kfkod AS lpp FROM kiszall WHERE kfulszam = %1 "
                          "UNION ALL SELECT 2, 1, CAST('kiszállítva (archivált)' AS VARCHAR(40)), kikelt, idk, kfkod "
                          "FROM kiszall0 WHERE kfulszam = %1 "
                          "UNION ALL SELECT 1, 0, CAST('beszállítva' AS VARCHAR(40)), bszkelt, idb, bfkod "
                          "FROM beszall WHERE bfulszam = %1 "
                          "UNION ALL SELECT 1, 1, CAST('beszállítva (archivált)' AS VARCHAR(40)), bszkelt, idb, bfkod "
                          "FROM beszall0 WHERE bfulszam = %1) lp "
                          "LEFT JOIN felado lpf ON lpf.fkod = lp.lpp "
                          "ORDER BY lp.lpk DESC, lp.lpd DESC NULLS LAST, lp.lpa, lp.lpi DESC)")
        .arg(earTag, column);
}
