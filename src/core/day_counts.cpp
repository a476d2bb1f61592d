#include "core/day_counts.h"

#include <QStringList>

#include <vector>

namespace daycounts {

namespace {

// Every arrival +1 and every departure -1 under its ear tag; rows without an ear tag (NULL, or
// blanks, which equal '') are no animal. Grouped, the sums are the ear tags' balances.
const QString kSteps = QStringLiteral(
    "(SELECT BFULSZAM AS TAG, 1 AS STEP FROM BESZALL "
    "UNION ALL SELECT KFULSZAM, -1 FROM KISZALL) AS STEPS WHERE STEPS.TAG <> ''");

// What keeps the count, by the names the schema gives it.
const QStringList kKeeping = {QStringLiteral("GERUNDO_ONSITE_TAG"), QStringLiteral("GERUNDO_ONSITE_COUNT"),
                              QStringLiteral("GERUNDO_ONSITE_STATE"), QStringLiteral("GERUNDO_ONSITE_MOVE"),
                              QStringLiteral("BESZALL_ONSITE"), QStringLiteral("KISZALL_ONSITE")};

// The first row's columns as integers, in the transaction given.
std::vector<qint64> firstRow(fb::Attachment& att, fb::Transaction& tra, const QString& sql, bool namedParams = true)
{
    fb::Statement st(att, tra, sql, namedParams);
    auto cursor = st.openCursor();
    std::vector<unsigned char> buffer(cursor->columns().messageLength() + 8);
    std::vector<qint64> row;
    if (cursor->fetchNext(buffer.data()))
        for (int i = 0; i < cursor->columns().count(); ++i)
            row.push_back(cursor->columns().integer(buffer.data(), i));
    return row;
}

// What of the keeping is missing or switched off, by name; empty when all of it is in place.
QStringList missingKeeping(fb::Attachment& att, fb::Transaction& tra)
{
    const QString names = u'\'' + kKeeping.join(QStringLiteral("', '")) + u'\'';
    fb::Statement st(att, tra,
                     QStringLiteral("SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME IN (%1) "
                                    "UNION ALL SELECT TRIM(RDB$PROCEDURE_NAME) FROM RDB$PROCEDURES "
                                    "WHERE RDB$PROCEDURE_NAME IN (%1) "
                                    "UNION ALL SELECT TRIM(RDB$TRIGGER_NAME) FROM RDB$TRIGGERS "
                                    "WHERE RDB$TRIGGER_NAME IN (%1) AND COALESCE(RDB$TRIGGER_INACTIVE, 0) = 0")
                         .arg(names));
    auto cursor = st.openCursor();
    std::vector<unsigned char> buffer(cursor->columns().messageLength() + 8);
    QStringList missing = kKeeping;
    while (cursor->fetchNext(buffer.data()))
        missing.removeAll(cursor->columns().text(buffer.data(), 0));
    return missing;
}

// The kept count and whether it may be trusted (nothing altered around it since it was compared).
struct Kept {
    qint64 animals = 0;
    bool stale = false;
};

Kept readKept(fb::Attachment& att, fb::Transaction& tra)
{
    const auto v = firstRow(att, tra,
                            QStringLiteral("SELECT (SELECT COALESCE(SUM(ANIMALS), 0) FROM GERUNDO_ONSITE_COUNT), "
                                           "(SELECT COALESCE(MAX(FLAG), 1) FROM GERUNDO_ONSITE_STATE WHERE NAME = 'STALE') "
                                           "FROM RDB$DATABASE"));
    return v.size() == 2 ? Kept{v[0], v[1] != 0} : Kept{0, true};
}

qint64 countFromTables(fb::Attachment& att, fb::Transaction& tra)
{
    const auto v = firstRow(att, tra,
                            QStringLiteral("SELECT COUNT(*) FROM (SELECT STEPS.TAG FROM %1 "
                                           "GROUP BY STEPS.TAG HAVING SUM(STEPS.STEP) > 0)")
                                .arg(kSteps));
    return v.empty() ? 0 : v[0];
}

// Compares every ear tag's kept balance with the tables and puts right those that differ, then the
// count; all in the caller's snapshot, so the tables and the kept rows are read as of one moment.
// One grouping of the arrivals, the departures and the kept rows together finds the ear tags that
// differ (a sort, no lookup per ear tag): the balance the tables give, and whether a row is kept.
// A kept row another transaction changed since is not overwritten: the snapshot refuses it.
QString repairStatement()
{
    return QStringLiteral(
        "EXECUTE BLOCK RETURNS (REPAIRED BIGINT, KEPT BIGINT, COUNTED BIGINT) AS "
        "  DECLARE TAG VARCHAR(25); "
        "  DECLARE SHOULD INTEGER; "
        "  DECLARE HAS_ROW INTEGER; "
        "BEGIN "
        "  REPAIRED = 0; "
        "  SELECT COALESCE(SUM(ANIMALS), 0) FROM GERUNDO_ONSITE_COUNT INTO :KEPT; "
        "  FOR SELECT S.TAG, SUM(S.STEP), SUM(S.HAS_ROW) "
        "      FROM (SELECT BFULSZAM AS TAG, 1 AS STEP, 0 AS KEPT, 0 AS HAS_ROW FROM BESZALL WHERE BFULSZAM <> '' "
        "            UNION ALL SELECT KFULSZAM, -1, 0, 0 FROM KISZALL WHERE KFULSZAM <> '' "
        "            UNION ALL SELECT FULSZAM, 0, BALANCE, 1 FROM GERUNDO_ONSITE_TAG) S "
        "      GROUP BY S.TAG "
        // A balance that differs, a kept row of zero, a kept blank ear tag.
        "      HAVING SUM(S.STEP) <> SUM(S.KEPT) OR (SUM(S.HAS_ROW) > 0 AND SUM(S.STEP) = 0) "
        "      INTO :TAG, :SHOULD, :HAS_ROW DO "
        "  BEGIN "
        "    REPAIRED = REPAIRED + 1; "
        "    IF (HAS_ROW = 0) THEN "
        "      INSERT INTO GERUNDO_ONSITE_TAG (FULSZAM, BALANCE) VALUES (:TAG, :SHOULD); "
        "    ELSE IF (SHOULD = 0) THEN "
        "      DELETE FROM GERUNDO_ONSITE_TAG WHERE FULSZAM = :TAG; "
        "    ELSE "
        "      UPDATE GERUNDO_ONSITE_TAG SET BALANCE = :SHOULD WHERE FULSZAM = :TAG; "
        "  END "
        "  SELECT COUNT(*) FROM GERUNDO_ONSITE_TAG WHERE BALANCE > 0 INTO :COUNTED; "
        "  IF (COUNTED <> KEPT) THEN "
        "    INSERT INTO GERUNDO_ONSITE_COUNT (PART, ANIMALS) "
        "      VALUES (NEXT VALUE FOR GEN_GERUNDO_ONSITE_COUNT, :COUNTED - :KEPT); "
        "  UPDATE GERUNDO_ONSITE_STATE SET FLAG = 0 WHERE NAME = 'STALE' AND FLAG <> 0; "
        "  SUSPEND; "
        "END");
}

}  // namespace

Day countDay(fb::Attachment& att, const QDate& day)
{
    const auto v = fb::readIntegers(att,
                                    QStringLiteral("SELECT (SELECT COUNT(*) FROM BESZALL WHERE BSZKELT = :day), "
                                                   "(SELECT COUNT(*) FROM KISZALL WHERE KIKELT = :day) "
                                                   "FROM RDB$DATABASE"),
                                    {{QStringLiteral("day"), fb::Value::fromDate(day)}});
    return v.size() == 2 ? Day{v[0], v[1]} : Day{};
}

qint64 countOnSite(fb::Attachment& att)
{
    // A snapshot: the count's rows are read as of one moment, never half before and half after a
    // fold of them that another transaction commits meanwhile.
    fb::Transaction tra;
    tra.startReadOnlySnapshot(att);
    qint64 animals = 0;
    if (!missingKeeping(att, tra).isEmpty()) {
        animals = countFromTables(att, tra);
    } else {
        const Kept kept = readKept(att, tra);
        animals = kept.stale ? countFromTables(att, tra) : kept.animals;
    }
    tra.commit();
    return animals;
}

qint64 countOnSiteFromTables(fb::Attachment& att)
{
    fb::Transaction tra;
    tra.startReadOnlySnapshot(att);
    const qint64 animals = countFromTables(att, tra);
    tra.commit();
    return animals;
}

OnSiteCheck checkOnSite(fb::Attachment& att, bool always)
{
    OnSiteCheck check;
    fb::Transaction tra;
    try {
        tra.start(att);
        const QStringList missing = missingKeeping(att, tra);
        if (!missing.isEmpty()) {
            check.outcome = OnSiteCheck::Outcome::NotKept;
            check.missing = missing.join(QStringLiteral(", "));
            tra.commit();
            return check;
        }
        // Marked first, committed on its own: should the comparison fail, the program still counts
        // from the tables and compares again at its next start.
        if (always) {
            fb::Statement mark(att, tra,
                               QStringLiteral("UPDATE GERUNDO_ONSITE_STATE SET FLAG = 1 WHERE NAME = 'STALE'"));
            mark.execute();
        }
        tra.commit();

        tra.startSnapshot(att);
        const Kept kept = readKept(att, tra);
        check.keptBefore = kept.animals;
        if (!kept.stale) {
            tra.commit();
            return check;
        }
        const auto v = firstRow(att, tra, repairStatement(), false);
        if (v.size() != 3)
            throw fb::Error(QStringLiteral("Az összevetés nem adott eredményt."));
        check.earTagsRepaired = v[0];
        check.keptBefore = v[1];
        check.counted = v[2];
        tra.commit();
    } catch (const fb::Error& e) {
        // Nothing of the comparison is written: the count stays as it was kept.
        if (tra.isActive()) {
            try {
                tra.rollback();
            } catch (const fb::Error&) {
            }
        }
        check.outcome = OnSiteCheck::Outcome::Failed;
        check.error = e.message();
        return check;
    }
    check.outcome = check.earTagsRepaired > 0 || check.counted != check.keptBefore ? OnSiteCheck::Outcome::Repaired
                                                                                  : OnSiteCheck::Outcome::Agreed;
    return check;
}

QString describe(const OnSiteCheck& check)
{
    switch (check.outcome) {
    case OnSiteCheck::Outcome::Trusted:
        return {};
    case OnSiteCheck::Outcome::Agreed:
        return QStringLiteral("A telepen lévő állatok nyilvántartott száma egyezik a táblákkal (%1 állat).")
            .arg(check.counted);
    case OnSiteCheck::Outcome::Repaired:
        if (check.keptBefore == check.counted)
            return QStringLiteral("A telepen lévő állatok nyilvántartása nem egyezett a táblákkal: %1 fülszám "
                                  "javítva a táblák szerint, a telepen lévők száma (%2) nem változott.")
                .arg(check.earTagsRepaired)
                .arg(check.counted);
        return QStringLiteral("A telepen lévő állatok nyilvántartott száma nem egyezett a táblákkal: %1 fülszám "
                              "javítva a táblák szerint, a szám %2 helyett %3.")
            .arg(check.earTagsRepaired)
            .arg(check.keptBefore)
            .arg(check.counted);
    case OnSiteCheck::Outcome::Built:
        return QStringLiteral("A telepen lévő állatok nyilvántartása elkészült a táblákból: %1 állat.")
            .arg(check.counted);
    case OnSiteCheck::Outcome::NotKept:
        return QStringLiteral("Az adatbázis nem vezeti a telepen lévő állatok számát (hiányzik vagy ki van "
                              "kapcsolva: %1), ezért a program minden alkalommal a táblákból számolja. "
                              "Frissítse az adatbázist: gerundo-mkdb --upgrade.")
            .arg(check.missing);
    case OnSiteCheck::Outcome::Failed:
        return QStringLiteral("A telepen lévő állatok számának összevetése a táblákkal nem sikerült, semmi sem "
                              "változott; addig a program a táblákból számolja, és a következő indításkor újra "
                              "összeveti. Az adatbázis üzenete: %1")
            .arg(check.error);
    }
    return {};
}

}  // namespace daycounts
