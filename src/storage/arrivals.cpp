#include "storage/arrivals.h"

#include "core/convert.h"
#include "storage/statements.h"

#include <algorithm>

namespace {

// The whole live arrival list of the ear-tag search; an order line follows.
const QStringList kSearchList{
    QStringLiteral("SELECT bfulszam, bszkelt, fnev, snev,"),
    QStringLiteral("bvkelt, bhkat, beubiz, bskod, bfkod, IDb,"),
    QStringLiteral("srendszam, scim, sjovaszam, skod, IDs,"),
    QStringLiteral("fcim, ftenykod, fsznev, fszcim, fkod, IDf"),
    QStringLiteral("FROM beszall"),
    QStringLiteral("JOIN szallito ON szallito.skod   = beszall.bskod"),
    QStringLiteral("JOIN felado   ON felado.fkod      = beszall.bfkod"),
};

}  // namespace

Arrivals::Arrivals(Database& database)
    : m_database(database),
      m_counts(database, QStringLiteral("arrivalCounts")),
      m_earTagUse(database, QStringLiteral("arrivalsWithEarTag")),
      m_changes(database, QStringLiteral("arrivalChanges")),
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

// ---------------------------------------------------------------- the ear-tag lookups

void Arrivals::openSearchList(Dataset& rows, SearchOrder order)
{
    QStringList lines = kSearchList;
    switch (order) {
    case SearchOrder::ByEarTag: lines << QStringLiteral("ORDER BY bfulszam"); break;
    case SearchOrder::ByArrivalDate: lines << QStringLiteral("ORDER BY bszkelt"); break;
    case SearchOrder::BySenderName: lines << QStringLiteral("ORDER BY fnev"); break;
    case SearchOrder::ByCarrierName: lines << QStringLiteral("ORDER BY snev"); break;
    case SearchOrder::ByEntry: lines << QStringLiteral("ORDER BY IDb"); break;
    }
    statements::open(rows, lines);
}

void Arrivals::openEarTagSearch(Dataset& rows, const QString& earTagBeginning)
{
    statements::open(rows,
                     {QStringLiteral("SELECT bfulszam, bszkelt, fnev, snev,"),
                      QStringLiteral("srendszam, scim, sjovaszam, skod, IDs,"),
                      QStringLiteral("fcim, ftenykod, fsznev, fszcim, fkod, IDf"),
                      QStringLiteral("FROM beszall"),
                      QStringLiteral("JOIN szallito ON szallito.skod   = beszall.bskod"),
                      QStringLiteral("JOIN felado   ON felado.fkod      = beszall.bfkod"),
                      QStringLiteral("WHERE bfulszam like :beginning"),
                      QStringLiteral("ORDER BY bfulszam")},
                     {{QStringLiteral("beginning"), statements::earTagBeginning(earTagBeginning)}});
}

void Arrivals::openByEarTag(Dataset& rows)
{
    statements::open(rows, {QStringLiteral("SELECT bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod, IDb"),
                            QStringLiteral("FROM beszall"), QStringLiteral("ORDER BY bfulszam")});
}

// ---------------------------------------------------------------- the incoming list

void Arrivals::openIncomingList(Dataset& rows, bool withCode, ListOrder order)
{
    const QString firstLine = withCode
        ? QStringLiteral("SELECT bfulszam, bszkelt, fnev, snev, bvkelt, bhkat, beubiz, bskod, bfkod, IDb, Bkod,")
        : QStringLiteral("SELECT bfulszam, bszkelt, fnev, snev, bvkelt, bhkat, beubiz, bskod, bfkod, IDb,");
    statements::open(
        rows,
        {firstLine,
         QStringLiteral("srendszam,  scim, sjovaszam, skod, IDs,"),
         QStringLiteral("fcim, ftenykod, fsznev, fszcim, fkod, IDf"),
         QStringLiteral("FROM beszall"),
         QStringLiteral("JOIN szallito ON szallito.skod = beszall.bskod"),
         QStringLiteral("JOIN felado ON felado.fkod = beszall.bfkod"),
         order == ListOrder::ByDateAndEarTag ? QStringLiteral("ORDER BY bszkelt, bfulszam")
                                             : QStringLiteral("ORDER BY IDb")});
}

ListedArrival Arrivals::listedArrival(const Dataset& incomingList)
{
    const auto field = [&incomingList](const char* name) { return incomingList.fieldText(QString::fromLatin1(name)); };
    ListedArrival a;
    a.id = field("IDb");
    a.carrierCode = field("bskod");
    a.senderCode = field("bfkod");
    a.earTag = field("bfulszam");
    a.arrivalDate = field("bszkelt");
    a.purchaseDate = field("bvkelt");
    a.category = field("bhkat");
    a.certificate = field("beubiz");
    a.registeredCarrierCode = field("skod");
    a.registeredSenderCode = field("fkod");
    return a;
}

QString Arrivals::idBeforeEarTag(const QString& earTag)
{
    statements::open(m_changes,
                     {QStringLiteral("SELECT COALESCE("),
                      QStringLiteral("  (SELECT MAX(b.IDb) FROM beszall b"),
                      QStringLiteral("    WHERE b.IDb < (SELECT MIN(t.IDb) FROM beszall t"),
                      // An ear tag compares without its trailing blanks; a blank one is also a missing one.
                      convert::isBlank(earTag) ? QStringLiteral("      WHERE t.bfulszam = :p1 OR t.bfulszam IS NULL)),")
                                               : QStringLiteral("      WHERE t.bfulszam = :p1)),"),
                      QStringLiteral("  (SELECT MIN(f.IDb) FROM beszall f)) AS IDb"),
                      QStringLiteral("FROM RDB$DATABASE")},
                     {{QStringLiteral("p1"), earTag}});
    return m_changes.fieldText(QStringLiteral("IDb"));
}

qint64 Arrivals::removeEarTag(const QString& earTag)
{
    return statements::execute(m_changes,
                               {QStringLiteral("DELETE FROM beszall"), QStringLiteral("WHERE bfulszam = :earTag")},
                               {{QStringLiteral("earTag"), earTag}});
}

// ---------------------------------------------------------------- the incoming entry screen

void Arrivals::openEntryList(Dataset& rows, bool withCode)
{
    const QString firstLine = withCode
        ? QStringLiteral("SELECT bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod, IDb, Bkod")
        : QStringLiteral("SELECT bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod, IDb");
    statements::open(rows, {firstLine, QStringLiteral("FROM beszall"), QStringLiteral("ORDER BY IDb")});
}

std::optional<qint64> Arrivals::lowestIdWithEarTag(const QString& earTag)
{
    Dataset& q = m_earTagUse;
    statements::open(q,
                     {QStringLiteral("SELECT IDb, Bfulszam, count(Bfulszam) as db"), QStringLiteral("FROM beszall"),
                      QStringLiteral("WHERE Bfulszam = :p1"), QStringLiteral("GROUP BY Bfulszam, IDb")},
                     {{QStringLiteral("p1"), earTag}});
    // No row reads as a count of 0.
    if (q.fieldInt(QStringLiteral("db")) == 0)
        return std::nullopt;
    // The rows come unordered; the lowest IDb stands for the ear tag.
    qint64 lowest = q.fieldInt(QStringLiteral("IDb"));
    for (int r = 1; q.moveTo(r); ++r)
        lowest = std::min(lowest, q.fieldInt(QStringLiteral("IDb")));
    return lowest;
}

namespace {
void bindArrival(Dataset& w, const Arrival& arrival)
{
    w.setParamText(QStringLiteral("carrierCode"), arrival.carrierCode);
    w.setParamText(QStringLiteral("senderCode"), arrival.senderCode);
    w.setParamText(QStringLiteral("earTag"), arrival.earTag);
    w.setParamDate(QStringLiteral("arrivalDate"), arrival.arrivalDate);
    w.setParamDate(QStringLiteral("purchaseDate"), arrival.purchaseDate);
    w.setParamText(QStringLiteral("category"), arrival.category);
    w.setParamText(QStringLiteral("certificate"), arrival.certificate);
}
}  // namespace

void Arrivals::insert(const Arrival& arrival)
{
    statements::prepare(m_changes,
                        {QStringLiteral("INSERT INTO beszall (bskod, bfkod, bfulszam, bszkelt, bvkelt, bhkat, beubiz)"),
                         QStringLiteral("VALUES (:carrierCode, :senderCode, :earTag, :arrivalDate, :purchaseDate,"),
                         QStringLiteral("        :category, :certificate)")});
    bindArrival(m_changes, arrival);
    m_changes.execSql();
}

void Arrivals::update(const QString& id, const Arrival& arrival)
{
    statements::prepare(m_changes,
                        {QStringLiteral("UPDATE beszall"),
                         QStringLiteral("SET bskod = :carrierCode, bfkod = :senderCode, bfulszam = :earTag,"),
                         QStringLiteral("    bszkelt = :arrivalDate, bvkelt = :purchaseDate, bhkat = :category,"),
                         QStringLiteral("    beubiz = :certificate"),
                         QStringLiteral("WHERE IDb = :id")},
                        {{QStringLiteral("id"), id}});
    bindArrival(m_changes, arrival);
    m_changes.execSql();
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

// ---------------------------------------------------------------- the animals on site

QString Arrivals::onSiteCondition(const QString& earTag)
{
    return QStringLiteral("((SELECT COUNT(*) FROM beszall onsite_b WHERE onsite_b.bfulszam = %1) > "
                          "(SELECT COUNT(*) FROM kiszall onsite_k WHERE onsite_k.kfulszam = %1))")
        .arg(earTag);
}

qint64 Arrivals::countOnSite()
{
    // Every arrival counts one up and every departure one down; an ear tag left above zero is on
    // site: the same rule as onSiteCondition, in one pass instead of two lookups per arrival.
    return statements::count(m_counts, {QStringLiteral("SELECT COUNT(*) FROM ("),
                                        QStringLiteral("SELECT tag FROM ("),
                                        QStringLiteral("SELECT bfulszam AS tag, 1 AS n FROM beszall WHERE bfulszam <> ''"),
                                        QStringLiteral("UNION ALL"),
                                        QStringLiteral("SELECT kfulszam, -1 FROM kiszall WHERE kfulszam <> '') "
                                                       "GROUP BY tag HAVING SUM(n) > 0)")});
}

QStringList Arrivals::latestArrivalsOnSite(OnSiteReading reading)
{
    if (reading == OnSiteReading::ByScreenful)
        return {QStringLiteral("FROM beszall b LEFT JOIN felado f ON f.fkod = b.bfkod"),
                QStringLiteral("WHERE b.bfulszam > ''"),
                // The identifier compared as an expression: the engine finds the ear tag's few rows
                // by the ear-tag index instead of reading the identifier index from there on.
                QStringLiteral("AND NOT EXISTS (SELECT 1 FROM beszall nb WHERE nb.bfulszam = b.bfulszam "
                               "AND nb.idb + 0 > b.idb)"),
                QStringLiteral("AND ") + onSiteCondition(QStringLiteral("b.bfulszam"))};
    // The same rule as countOnSite, each ear tag's latest arrival then found by its identifier.
    return {QStringLiteral("FROM (SELECT tag, MAX(idb) AS latest FROM ("),
            QStringLiteral("SELECT bfulszam AS tag, 1 AS n, idb FROM beszall WHERE bfulszam <> ''"),
            QStringLiteral("UNION ALL SELECT kfulszam, -1, NULL FROM kiszall WHERE kfulszam <> '') "
                           "GROUP BY tag HAVING SUM(n) > 0) g"),
            QStringLiteral("JOIN beszall b ON b.idb = g.latest LEFT JOIN felado f ON f.fkod = b.bfkod"),
            QStringLiteral("WHERE b.bfulszam > ''")};
}

QString Arrivals::latestArrivalValue(const QString& earTag, const QString& value)
{
    // Sorted by the identifier as an expression, for the same reason.
    return QStringLiteral("(SELECT FIRST 1 %2 FROM beszall la LEFT JOIN felado laf ON laf.fkod = la.bfkod "
                          "WHERE la.bfulszam = %1 ORDER BY la.idb + 0 DESC)")
        .arg(earTag, value);
}
