#include "storage/departures.h"

#include "db/error.h"
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

Departures::Departures(Database& database)
    : m_database(database),
      m_counts(database, QStringLiteral("departureCounts")),
      m_changes(database, QStringLiteral("departureChanges")),
      m_writes(database, QStringLiteral("departureWrites"))
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

// ---------------------------------------------------------------- the outgoing list

void Departures::openList(Dataset& rows, ListOrder order)
{
    // The text stays as it is: the order key of the statement is worked out from it (keyset.h),
    // which lets the list land on its last or a remembered row without reading every row before.
    statements::open(rows,
                     {QStringLiteral("SELECT kfulszam, kikelt, khkat, keubizki, keubizbe, kskod, kfkod, IDk, kKod,"),
                      QStringLiteral("srendszam, snev, scim, sjovaszam, skod, IDs,"),
                      QStringLiteral("fnev, fcim, ftenykod, fsznev, fszcim, fkod, IDf"),
                      QStringLiteral("FROM kiszall"),
                      QStringLiteral("JOIN szallito ON szallito.skod = kiszall.kskod"),
                      QStringLiteral("JOIN felado ON felado.fkod = kiszall.kfkod"),
                      order == ListOrder::DateAndEarTag ? QStringLiteral("ORDER BY kikelt, kfulszam")
                                                        : QStringLiteral("ORDER BY IDk")});
}

ListedDeparture Departures::listedDeparture(const Dataset& rows)
{
    const auto text = [&rows](const char* field) { return rows.fieldText(QString::fromLatin1(field)); };
    return {text("IDk"),      text("kskod"),    text("kfkod"),    text("kfulszam"), text("kikelt"),
            text("keubizbe"), text("khkat"),    text("keubizki"), text("skod"),     text("fkod")};
}

void Departures::removeEarTag(const QString& earTag)
{
    statements::execute(m_writes, {QStringLiteral("DELETE FROM kiszall"), QStringLiteral("WHERE kfulszam = :earTag")},
                        {{QStringLiteral("earTag"), earTag}});
}

// ---------------------------------------------------------------- the outgoing entry screen

void Departures::openEntryList(Dataset& rows, bool withCode)
{
    const QString columns = QStringLiteral("SELECT kfulszam, kikelt, khkat, keubizki, keubizbe, kskod, kfkod, IDk");
    statements::open(rows, {withCode ? columns + QStringLiteral(", kKod") : columns, QStringLiteral("FROM kiszall"),
                            QStringLiteral("ORDER BY IDk")});
}

qint64 Departures::countForEarTagInDeparture(const QString& earTag, const QString& id)
{
    // The identifier is bound as the text the screen holds, as it was typed into the statement.
    return statements::count(m_counts,
                             {QStringLiteral("SELECT COUNT(kfulszam) FROM kiszall"),
                              QStringLiteral("WHERE kfulszam = :earTag AND IDk = :id")},
                             {{QStringLiteral("earTag"), earTag}, {QStringLiteral("id"), id}});
}

namespace {

void bindDeparture(Dataset& w, const Departure& departure)
{
    if (!departure.dispatchDate.isValid())
        throw fb::Error(QStringLiteral("Nincs megadva a kiszállitás kelte!"));
    w.setParamText(QStringLiteral("carrierCode"), departure.carrierCode);
    w.setParamText(QStringLiteral("buyerCode"), departure.buyerCode);
    w.setParamText(QStringLiteral("earTag"), departure.earTag);
    w.setParamDate(QStringLiteral("dispatchDate"), departure.dispatchDate);
    w.setParamText(QStringLiteral("certificateIn"), departure.certificateIn);
    w.setParamText(QStringLiteral("category"), departure.category);
    w.setParamText(QStringLiteral("certificateOut"), departure.certificateOut);
}

}  // namespace

void Departures::insert(const Departure& departure)
{
    statements::prepare(
        m_writes,
        {QStringLiteral("INSERT INTO kiszall (kskod, kfkod, kfulszam, kikelt, keubizbe, khkat, keubizki)"),
         QStringLiteral("VALUES (:carrierCode, :buyerCode, :earTag, :dispatchDate, :certificateIn, :category, "
                        ":certificateOut)")});
    bindDeparture(m_writes, departure);
    m_writes.execSql();
}

void Departures::update(const QString& id, const Departure& departure)
{
    statements::prepare(m_writes, {QStringLiteral("UPDATE kiszall"),
                                   QStringLiteral("SET kskod = :carrierCode, kfkod = :buyerCode, kfulszam = :earTag,"),
                                   QStringLiteral("    kikelt = :dispatchDate, keubizbe = :certificateIn,"),
                                   QStringLiteral("    khkat = :category, keubizki = :certificateOut"),
                                   QStringLiteral("WHERE IDk = :id")},
                        {{QStringLiteral("id"), id}});
    bindDeparture(m_writes, departure);
    m_writes.execSql();
}

// ---------------------------------------------------------------- the data completion

void Departures::openIncomplete(Dataset& rows)
{
    statements::open(rows,
                     {QStringLiteral("SELECT kfulszam, kikelt, khkat, keubizki, keubizbe, kskod, kfkod, IDk, kKod"),
                      QStringLiteral("FROM kiszall"), QStringLiteral("WHERE kskod = :none AND kfkod = :none")},
                     {{QStringLiteral("none"), QString()}});
}

void Departures::complete(const DepartureCompletion& completion)
{
    statements::execute(m_writes,
                        {QStringLiteral("UPDATE kiszall"),
                         QStringLiteral("SET kskod = :carrierCode, kfkod = :buyerCode, keubizki = :certificateOut,"),
                         QStringLiteral("    khkat = :category"),
                         QStringLiteral("WHERE kskod = :none AND kfkod = :none")},
                        {{QStringLiteral("carrierCode"), completion.carrierCode},
                         {QStringLiteral("buyerCode"), completion.buyerCode},
                         {QStringLiteral("certificateOut"), completion.certificateOut},
                         {QStringLiteral("category"), completion.category},
                         {QStringLiteral("none"), QString()}});
}

// ---------------------------------------------------------------- the takeover

void Departures::insertStaged()
{
    statements::execute(m_writes, {QStringLiteral("INSERT INTO kiszall (kfulszam, kikelt, keubizbe, khkat)"),
                                   QStringLiteral("SELECT kfulszam, kikelt, beubiz, bhkat"),
                                   QStringLiteral("FROM kiszall1"),
                                   QStringLiteral("LEFT JOIN beszall ON bfulszam = kfulszam")});
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
