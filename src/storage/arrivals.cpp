#include "storage/arrivals.h"

#include "storage/statements.h"

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
