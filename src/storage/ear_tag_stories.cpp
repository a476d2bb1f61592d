#include "storage/ear_tag_stories.h"

#include "storage/statements.h"

namespace {

// The rows of one table for the ear tag, found through its numeric ear-tag index: the tag padded
// with leading zeros to the columns' width compares as its number does.
QString sameEarTag(const char* column)
{
    return QStringLiteral("WHERE LPAD(%1, 25, '0') = LPAD(CAST(:earTag AS VARCHAR(25)), 25, '0')")
        .arg(QLatin1String(column));
}

// Every arrival and departure of the ear tag is an event; in date order (arrivals of a day before
// its departures, archived rows before live ones, then entry order) the pairing rule is that of a
// stack: an arrival is pushed, a departure takes the arrival on top, and a departure that finds the
// stack empty has no arrival. The statement keeps the stack's height instead of the stack: the
// running count of arrivals minus departures, lifted by the departures that found it empty
// (lowest). An arrival that brings the stack to height h and the departure that takes it from h
// follow each other among the events at height h, so within a height an arrival's next event is
// its departure (LEAD), or there is none and it is on site.
QStringList storyStatement()
{
    return {
        QStringLiteral("WITH events AS ("),
        QStringLiteral("  SELECT 0 AS kind, 0 AS live, idb AS id, bszkelt AS happened,"),
        QStringLiteral("         bszkelt, bvkelt, bskod, bfkod, beubiz, bhkat,"),
        QStringLiteral("         CAST(NULL AS DATE) AS kikelt, CAST(NULL AS VARCHAR(5)) AS kskod,"),
        QStringLiteral("         CAST(NULL AS VARCHAR(5)) AS kfkod, CAST(NULL AS VARCHAR(45)) AS keubizbe,"),
        QStringLiteral("         CAST(NULL AS VARCHAR(45)) AS keubizki, CAST(NULL AS VARCHAR(25)) AS khkat"),
        QStringLiteral("    FROM beszall0 ") + sameEarTag("bfulszam"),
        QStringLiteral("  UNION ALL"),
        QStringLiteral("  SELECT 0, 1, idb, bszkelt, bszkelt, bvkelt, bskod, bfkod, beubiz, bhkat,"),
        QStringLiteral("         NULL, NULL, NULL, NULL, NULL, NULL"),
        QStringLiteral("    FROM beszall ") + sameEarTag("bfulszam"),
        QStringLiteral("  UNION ALL"),
        QStringLiteral("  SELECT 1, 0, idk, kikelt, NULL, NULL, NULL, NULL, NULL, NULL,"),
        QStringLiteral("         kikelt, kskod, kfkod, keubizbe, keubizki, khkat"),
        QStringLiteral("    FROM kiszall0 ") + sameEarTag("kfulszam"),
        QStringLiteral("  UNION ALL"),
        QStringLiteral("  SELECT 1, 1, idk, kikelt, NULL, NULL, NULL, NULL, NULL, NULL,"),
        QStringLiteral("         kikelt, kskod, kfkod, keubizbe, keubizki, khkat"),
        QStringLiteral("    FROM kiszall ") + sameEarTag("kfulszam"),
        QStringLiteral("), ordered AS ("),
        QStringLiteral("  SELECT e.*, ROW_NUMBER() OVER (ORDER BY happened, kind, live, id) AS seq,"),
        QStringLiteral("         SUM(1 - 2 * kind) OVER (ORDER BY happened, kind, live, id) AS total"),
        QStringLiteral("    FROM events e"),
        QStringLiteral("), lifted AS ("),
        QStringLiteral("  SELECT o.*, MINVALUE(0, MIN(total) OVER (ORDER BY seq)) AS lowest FROM ordered o"),
        QStringLiteral("), heights AS ("),
        QStringLiteral("  SELECT l.*, IIF(kind = 1 AND lowest < LAG(lowest, 1, 0) OVER (ORDER BY seq), 1, 0) AS orphan,"),
        QStringLiteral("         total - lowest + kind AS height"),
        QStringLiteral("    FROM lifted l"),
        QStringLiteral("), paired AS ("),
        QStringLiteral("  SELECT h.*,"),
        QStringLiteral("         LEAD(kind) OVER (PARTITION BY orphan, height ORDER BY seq) AS next_kind,"),
        QStringLiteral("         LEAD(live) OVER (PARTITION BY orphan, height ORDER BY seq) AS next_live,"),
        QStringLiteral("         LEAD(kikelt) OVER (PARTITION BY orphan, height ORDER BY seq) AS next_kikelt,"),
        QStringLiteral("         LEAD(kskod) OVER (PARTITION BY orphan, height ORDER BY seq) AS next_kskod,"),
        QStringLiteral("         LEAD(kfkod) OVER (PARTITION BY orphan, height ORDER BY seq) AS next_kfkod,"),
        QStringLiteral("         LEAD(keubizki) OVER (PARTITION BY orphan, height ORDER BY seq) AS next_keubizki,"),
        QStringLiteral("         LEAD(khkat) OVER (PARTITION BY orphan, height ORDER BY seq) AS next_khkat"),
        QStringLiteral("    FROM heights h"),
        QStringLiteral("), passes AS ("),
        QStringLiteral("  SELECT seq, kind, IIF(kind = 0 AND next_kind IS NULL, 1, 0) AS on_site,"),
        QStringLiteral("         IIF(kind = 0, live, NULL) AS arrival_live, IIF(kind = 0, next_live, live) AS departure_live,"),
        QStringLiteral("         bszkelt, bvkelt, bskod, bfkod, bhkat, IIF(kind = 0, beubiz, keubizbe) AS certificate_in,"),
        QStringLiteral("         IIF(kind = 0, next_kikelt, kikelt) AS departed, IIF(kind = 0, next_kskod, kskod) AS carrier_out,"),
        QStringLiteral("         IIF(kind = 0, next_kfkod, kfkod) AS buyer, IIF(kind = 0, next_keubizki, keubizki) AS certificate_out,"),
        QStringLiteral("         IIF(kind = 0, next_khkat, khkat) AS category_out"),
        QStringLiteral("    FROM paired WHERE kind = 0 OR orphan = 1"),
        QStringLiteral(")"),
        QStringLiteral("SELECT ROW_NUMBER() OVER (ORDER BY p.seq) AS sor,"),
        QStringLiteral("       p.bszkelt, p.bvkelt, sender.fnev AS felado_nev, sender.ftenykod AS felado_tenykod,"),
        QStringLiteral("       carrier_in.snev AS szallito_be, p.certificate_in AS eubiz_be,"),
        QStringLiteral("       p.departed AS kikelt, buyer.fnev AS vevo_nev, carrier_out.snev AS szallito_ki,"),
        QStringLiteral("       p.certificate_out AS eubiz_ki, IIF(p.on_site = 1, p.bhkat, p.category_out) AS hkat,"),
        QStringLiteral("       IIF(p.kind = 0, DATEDIFF(DAY FROM p.bszkelt TO IIF(p.on_site = 1, CAST(:today AS DATE), p.departed)),"),
        QStringLiteral("           NULL) AS napok,"),
        QStringLiteral("       TRIM(CASE WHEN p.kind = 1 THEN 'nincs beérkezés' WHEN p.on_site = 1 THEN 'telepen' ELSE ''"),
        QStringLiteral("            END) AS allapot,"),
        QStringLiteral("       TRIM(CASE WHEN p.arrival_live IS NULL THEN IIF(p.departure_live = 1, 'élő', 'archivált')"),
        QStringLiteral("                 WHEN p.departure_live IS NULL OR p.departure_live = p.arrival_live"),
        QStringLiteral("                   THEN IIF(p.arrival_live = 1, 'élő', 'archivált')"),
        QStringLiteral("                 ELSE IIF(p.arrival_live = 1, 'élő', 'archivált') || ' / '"),
        QStringLiteral("                      || IIF(p.departure_live = 1, 'élő', 'archivált')"),
        QStringLiteral("            END) AS hely"),
        QStringLiteral("  FROM passes p"),
        QStringLiteral("  LEFT JOIN felado sender ON sender.fkod = p.bfkod"),
        QStringLiteral("  LEFT JOIN szallito carrier_in ON carrier_in.skod = p.bskod"),
        QStringLiteral("  LEFT JOIN felado buyer ON buyer.fkod = p.buyer"),
        QStringLiteral("  LEFT JOIN szallito carrier_out ON carrier_out.skod = p.carrier_out"),
        QStringLiteral(" ORDER BY 1"),
    };
}

}  // namespace

EarTagStories::EarTagStories(Database& database) : m_database(database) {}

void EarTagStories::openStory(Dataset& rows, const QString& earTag, const QDate& today)
{
    statements::prepare(rows, storyStatement(), {{QStringLiteral("earTag"), earTag}});
    rows.setParamDate(QStringLiteral("today"), today);
    rows.open();
}
