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
// running count of arrivals minus departures (total), lifted by the departures that found the stack
// empty (each took the total to a value below zero it had not reached before). An arrival that
// brings the stack to height h and the departure that takes it from h follow each other among the
// events at height h, so within a height an arrival's next event is its departure (LEAD), or there
// is none and it is on site. The pairing works on the events' keys alone (table and row id, packed
// as 2 * id + live); the rows are read by their keys at the end.
QStringList storyStatement()
{
    return {
        QStringLiteral("WITH events AS ("),
        QStringLiteral("  SELECT 0 AS kind, 0 AS live, idb AS id, bszkelt AS happened FROM beszall0 ") +
            sameEarTag("bfulszam"),
        QStringLiteral("  UNION ALL SELECT 0, 1, idb, bszkelt FROM beszall ") + sameEarTag("bfulszam"),
        QStringLiteral("  UNION ALL SELECT 1, 0, idk, kikelt FROM kiszall0 ") + sameEarTag("kfulszam"),
        QStringLiteral("  UNION ALL SELECT 1, 1, idk, kikelt FROM kiszall ") + sameEarTag("kfulszam"),
        QStringLiteral("), ordered AS ("),
        QStringLiteral("  SELECT kind, 2 * id + live AS event, ROW_NUMBER() OVER (ORDER BY happened, kind, live, id) AS seq,"),
        QStringLiteral("         SUM(1 - 2 * kind) OVER (ORDER BY happened, kind, live, id) AS total"),
        QStringLiteral("    FROM events"),
        QStringLiteral("), heights AS ("),
        QStringLiteral("  SELECT kind, event, seq,"),
        QStringLiteral("         IIF(total < 0 AND ROW_NUMBER() OVER (PARTITION BY total ORDER BY seq) = 1, 1, 0) AS orphan,"),
        QStringLiteral("         total - MINVALUE(0, MIN(total) OVER (ORDER BY seq)) + kind AS height"),
        QStringLiteral("    FROM ordered"),
        QStringLiteral("), passes AS ("),
        QStringLiteral("  SELECT kind, seq, orphan, IIF(kind = 0, event, NULL) AS arrival,"),
        QStringLiteral("         IIF(kind = 0, LEAD(event) OVER (PARTITION BY orphan, height ORDER BY seq), event) AS departure"),
        QStringLiteral("    FROM heights"),
        QStringLiteral("), keyed AS ("),
        QStringLiteral("  SELECT seq, kind, MOD(arrival, 2) AS arrival_live, arrival / 2 AS arrival_id,"),
        QStringLiteral("         MOD(departure, 2) AS departure_live, departure / 2 AS departure_id"),
        QStringLiteral("    FROM passes WHERE kind = 0 OR orphan = 1"),
        QStringLiteral("), rowed AS ("),
        QStringLiteral("  SELECT k.seq, k.kind, k.arrival_live, k.departure_live,"),
        QStringLiteral("         COALESCE(a1.bszkelt, a0.bszkelt) AS bszkelt, COALESCE(a1.bvkelt, a0.bvkelt) AS bvkelt,"),
        QStringLiteral("         COALESCE(a1.bskod, a0.bskod) AS bskod, COALESCE(a1.bfkod, a0.bfkod) AS bfkod,"),
        QStringLiteral("         COALESCE(a1.beubiz, a0.beubiz) AS beubiz, COALESCE(a1.bhkat, a0.bhkat) AS bhkat,"),
        QStringLiteral("         COALESCE(d1.kikelt, d0.kikelt) AS kikelt, COALESCE(d1.kskod, d0.kskod) AS kskod,"),
        QStringLiteral("         COALESCE(d1.kfkod, d0.kfkod) AS kfkod, COALESCE(d1.keubizbe, d0.keubizbe) AS keubizbe,"),
        QStringLiteral("         COALESCE(d1.keubizki, d0.keubizki) AS keubizki, COALESCE(d1.khkat, d0.khkat) AS khkat"),
        QStringLiteral("    FROM keyed k"),
        QStringLiteral("    LEFT JOIN beszall a1 ON k.arrival_live = 1 AND a1.idb = k.arrival_id"),
        QStringLiteral("    LEFT JOIN beszall0 a0 ON k.arrival_live = 0 AND a0.idb = k.arrival_id"),
        QStringLiteral("    LEFT JOIN kiszall d1 ON k.departure_live = 1 AND d1.idk = k.departure_id"),
        QStringLiteral("    LEFT JOIN kiszall0 d0 ON k.departure_live = 0 AND d0.idk = k.departure_id"),
        QStringLiteral(")"),
        QStringLiteral("SELECT ROW_NUMBER() OVER (ORDER BY r.seq) AS sor,"),
        QStringLiteral("       r.bszkelt, r.bvkelt, sender.fnev AS felado_nev, sender.ftenykod AS felado_tenykod,"),
        QStringLiteral("       carrier_in.snev AS szallito_be, IIF(r.kind = 0, r.beubiz, r.keubizbe) AS eubiz_be,"),
        QStringLiteral("       r.kikelt, buyer.fnev AS vevo_nev, carrier_out.snev AS szallito_ki, r.keubizki AS eubiz_ki,"),
        QStringLiteral("       IIF(r.departure_live IS NULL, r.bhkat, r.khkat) AS hkat,"),
        QStringLiteral("       IIF(r.kind = 0, DATEDIFF(DAY FROM r.bszkelt TO IIF(r.departure_live IS NULL, :today, r.kikelt)),"),
        QStringLiteral("           NULL) AS napok,"),
        QStringLiteral("       TRIM(CASE WHEN r.kind = 1 THEN 'nincs beérkezés' WHEN r.departure_live IS NULL THEN 'telepen'"),
        QStringLiteral("            ELSE '' END) AS allapot,"),
        QStringLiteral("       TRIM(CASE WHEN r.arrival_live IS NULL THEN IIF(r.departure_live = 1, 'élő', 'archivált')"),
        QStringLiteral("                 WHEN r.departure_live IS NULL OR r.departure_live = r.arrival_live"),
        QStringLiteral("                   THEN IIF(r.arrival_live = 1, 'élő', 'archivált')"),
        QStringLiteral("                 ELSE IIF(r.arrival_live = 1, 'élő', 'archivált') || ' / '"),
        QStringLiteral("                      || IIF(r.departure_live = 1, 'élő', 'archivált')"),
        QStringLiteral("            END) AS hely"),
        QStringLiteral("  FROM rowed r"),
        QStringLiteral("  LEFT JOIN felado sender ON sender.fkod = r.bfkod"),
        QStringLiteral("  LEFT JOIN szallito carrier_in ON carrier_in.skod = r.bskod"),
        QStringLiteral("  LEFT JOIN felado buyer ON buyer.fkod = r.kfkod"),
        QStringLiteral("  LEFT JOIN szallito carrier_out ON carrier_out.skod = r.kskod"),
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
