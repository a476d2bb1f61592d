// Reading a list by its order key: landing on the last row, or on a row found by its identifier,
// reads only the rows around it, and whatever is fetched from there on, in either direction, is
// the list a full read from the top gives, row for row.
#include "storage/shared_datasets.h"
#include "testdb.h"

#include <QSignalSpy>
#include <QTest>

namespace {

const QStringList kJoinedList = {
    QStringLiteral("SELECT bfulszam, bszkelt, fnev, snev, bvkelt, bhkat, beubiz, bskod, bfkod, IDb, Bkod,"),
    QStringLiteral("srendszam,  scim, sjovaszam, skod, IDs,"),
    QStringLiteral("fcim, ftenykod, fsznev, fszcim, fkod, IDf"),
    QStringLiteral("FROM beszall"),
    QStringLiteral("JOIN szallito ON szallito.skod = beszall.bskod"),
    QStringLiteral("JOIN felado ON felado.fkod = beszall.bfkod")};
const QString kJoins = QStringLiteral(
    " FROM beszall JOIN szallito ON szallito.skod = beszall.bskod JOIN felado ON felado.fkod = beszall.bfkod ");

// n arrivals over seven days with fifty ear tags, so dates and whole (date, ear tag) pairs repeat;
// every 13th without a date and every 17th without an ear tag (imported rows), every 31st with an
// empty one; every 29th with a carrier that is not registered (left out by the join).
void fillArrivals(TestDatabase& db, int n)
{
    const QString carrier = db.addCarrier(QStringLiteral("ABC-1"), QStringLiteral("Kiss"));
    const QString sender = db.addPartner(QStringLiteral("Alfa"));
    db.exec(QStringLiteral("EXECUTE BLOCK AS DECLARE I INT = 0; BEGIN WHILE (I < %1) DO BEGIN "
                           "INSERT INTO beszall (bskod, bfkod, bfulszam, bszkelt, bvkelt, bhkat, beubiz) VALUES ("
                           "CASE WHEN MOD(:I, 29) = 5 THEN '999' ELSE '%2' END, '%3', "
                           "CASE WHEN MOD(:I, 17) = 3 THEN NULL WHEN MOD(:I, 31) = 7 THEN '' "
                           "ELSE MOD(:I * 37, 50) END, "
                           "CASE WHEN MOD(:I, 13) = 4 THEN NULL ELSE DATEADD(MOD(:I, 7) DAY TO DATE '2011-03-01') END, "
                           "DATE '2011-03-01', 'gyüjtés', 'EU'); I = I + 1; END END")
                .arg(n)
                .arg(carrier, sender));
}

// The identifiers of the fetched rows, top to bottom.
QStringList fetchedIds(Dataset& q)
{
    QStringList out;
    const int col = q.fieldIndex(QStringLiteral("IDb"));
    for (int r = 0; r < q.fetchedCount(); ++r)
        out << q.cellText(r, col);
    return out;
}

// Everything before and after the fetched rows, fetched through the two directions.
QStringList everyId(Dataset& q)
{
    while (!q.startsAtTop())
        q.fetchBefore(37);
    while (!q.allFetched())
        q.fetchMore(41);
    return fetchedIds(q);
}

QStringList column(const QList<QStringList>& rows)
{
    QStringList out;
    for (const QStringList& r : rows)
        out << r.first();
    return out;
}

void openList(Dataset& q, const QString& order)
{
    q.close();
    q.setSql(QStringList(kJoinedList) << order);
    q.open();
}

}  // namespace

class OrderKeyTest : public QObject {
    Q_OBJECT
private slots:
    void landsOnTheLastRowReadingOnlyTheTail_data();
    void landsOnTheLastRowReadingOnlyTheTail();
    void locatesAnyRowAndReadsOnFromIt_data();
    void locatesAnyRowAndReadsOnFromIt();
    void firstReturnsToTheTop();
    void countsStayExact();
    void tiesFollowTheIdentifier();
    void conditionsAndParametersStay();
    void missingKeyKeepsTheRows();
    void otherLocatesSearchFromTheTop();
    void priorStepsAboveTheFetchedRows();
    void statementsReadFromTheTopWhenTheyCannotBeKeyed_data();
    void statementsReadFromTheTopWhenTheyCannotBeKeyed();
    void listsWalkTheirDeliveryTablesIndex_data();
    void listsWalkTheirDeliveryTablesIndex();
};

void OrderKeyTest::landsOnTheLastRowReadingOnlyTheTail_data()
{
    QTest::addColumn<QString>("order");
    QTest::addColumn<QString>("full");
    QTest::newRow("entry order") << "ORDER BY IDb" << "ORDER BY IDb";
    QTest::newRow("date and ear tag") << "ORDER BY bszkelt, bfulszam" << "ORDER BY bszkelt, bfulszam, IDb";
    QTest::newRow("descending date") << "ORDER BY bszkelt DESC, bfulszam" << "ORDER BY bszkelt DESC, bfulszam, IDb";
    QTest::newRow("qualified, descending id") << "ORDER BY beszall.bfulszam DESC, beszall.IDb DESC"
                                              << "ORDER BY beszall.bfulszam DESC, beszall.IDb DESC";
}

void OrderKeyTest::landsOnTheLastRowReadingOnlyTheTail()
{
    QFETCH(QString, order);
    QFETCH(QString, full);
    TestDatabase db;
    fillArrivals(db, 700);
    const QStringList expected = column(db.rows(QStringLiteral("SELECT IDb") + kJoins + full));
    QVERIFY(expected.size() > 600);

    Dataset& q = Data->ZQ12;
    openList(q, order);
    QSignalSpy reset(&q, &Dataset::rowsReset);
    q.last();
    QVERIFY(q.keyedPlan());
    QCOMPARE(reset.count(), 1);
    QVERIFY(q.eof());
    QCOMPARE(q.recNo(), q.fetchedCount() - 1);
    QVERIFY(q.fetchedCount() < 200);  // the tail only
    QVERIFY(q.allFetched());
    QVERIFY(!q.startsAtTop());
    QCOMPARE(q.fieldText(QStringLiteral("IDb")), expected.last());
    QCOMPARE(fetchedIds(q), expected.mid(expected.size() - q.fetchedCount()));

    // Reading up past the tail, the current row stays the last one.
    QSignalSpy prepended(&q, &Dataset::rowsPrepended);
    QCOMPARE(everyId(q), expected);
    QVERIFY(prepended.count() > 1);
    QCOMPARE(q.fieldText(QStringLiteral("IDb")), expected.last());
    QCOMPARE(q.recNo(), expected.size() - 1);
}

void OrderKeyTest::locatesAnyRowAndReadsOnFromIt_data()
{
    QTest::addColumn<QString>("order");
    QTest::addColumn<QString>("full");
    QTest::newRow("entry order") << "ORDER BY IDb" << "ORDER BY IDb";
    QTest::newRow("date and ear tag") << "ORDER BY bszkelt, bfulszam" << "ORDER BY bszkelt, bfulszam, IDb";
    QTest::newRow("ear tag descending") << "ORDER BY bfulszam DESC, bszkelt"
                                        << "ORDER BY bfulszam DESC, bszkelt, IDb";
}

void OrderKeyTest::locatesAnyRowAndReadsOnFromIt()
{
    QFETCH(QString, order);
    QFETCH(QString, full);
    TestDatabase db;
    fillArrivals(db, 700);
    const QStringList expected = column(db.rows(QStringLiteral("SELECT IDb") + kJoins + full));
    Dataset& q = Data->ZQ12;
    // Rows at both ends, in the middle, without a date, without an ear tag, without both, and
    // ties of date and ear tag.
    QStringList targets = {expected.first(), expected.at(1), expected.at(350), expected.at(expected.size() - 2),
                           expected.last()};
    targets << db.value(QStringLiteral("SELECT MAX(IDb)") + kJoins + QStringLiteral("WHERE bszkelt IS NULL"))
            << db.value(QStringLiteral("SELECT MIN(IDb)") + kJoins + QStringLiteral("WHERE bfulszam IS NULL"))
            << db.value(QStringLiteral("SELECT MIN(IDb)") + kJoins +
                        QStringLiteral("WHERE bfulszam IS NULL AND bszkelt IS NULL"))
            << db.value(QStringLiteral("SELECT MAX(b.IDb) FROM beszall b WHERE b.bskod <> '999' AND EXISTS ("
                                       "SELECT 1 FROM beszall c WHERE c.bskod <> '999' AND c.bszkelt = b.bszkelt AND "
                                       "c.bfulszam = b.bfulszam AND c.IDb < b.IDb)"));
    for (const QString& id : targets) {
        QVERIFY(!id.isEmpty());
        openList(q, order);
        q.last();
        QVERIFY2(q.locate(QStringLiteral("IDb"), id), qPrintable(id));
        QCOMPARE(q.fieldText(QStringLiteral("IDb")), id);
        const int at = static_cast<int>(expected.indexOf(id));
        QVERIFY(q.fetchedCount() < 250);
        // The fetched rows are the list's rows around it.
        const QStringList around = fetchedIds(q);
        QCOMPARE(around, expected.mid(at - q.recNo(), around.size()));
        QCOMPARE(q.startsAtTop(), at - q.recNo() == 0);
        QCOMPARE(q.allFetched(), at - q.recNo() + around.size() == expected.size());
        QCOMPARE(q.bof(), at == 0);
        QCOMPARE(everyId(q), expected);
        QCOMPARE(q.recNo(), at);
        QCOMPARE(q.fieldText(QStringLiteral("IDb")), id);
    }
}

void OrderKeyTest::firstReturnsToTheTop()
{
    TestDatabase db;
    fillArrivals(db, 700);
    const QStringList expected =
        column(db.rows(QStringLiteral("SELECT IDb") + kJoins + QStringLiteral("ORDER BY bszkelt, bfulszam, IDb")));
    Dataset& q = Data->ZQ12;
    openList(q, QStringLiteral("ORDER BY bszkelt, bfulszam"));
    q.last();
    QSignalSpy reset(&q, &Dataset::rowsReset);
    q.first();
    QCOMPARE(reset.count(), 1);
    QVERIFY(q.startsAtTop());
    QVERIFY(q.bof());
    QCOMPARE(q.recNo(), 0);
    QCOMPARE(q.fieldText(QStringLiteral("IDb")), expected.first());
    QCOMPARE(everyId(q), expected);
    // At the top already: first() moves, it does not read again.
    q.moveTo(5);
    q.first();
    QCOMPARE(reset.count(), 1);
    QCOMPARE(q.recNo(), 0);
}

void OrderKeyTest::countsStayExact()
{
    TestDatabase db;
    fillArrivals(db, 700);
    const int listed = db.value(QStringLiteral("SELECT COUNT(*)") + kJoins).toInt();
    Dataset& q = Data->ZQ12;
    openList(q, QStringLiteral("ORDER BY IDb"));
    q.last();
    const QString lastId = q.fieldText(QStringLiteral("IDb"));
    QVERIFY(q.fetchedCount() < listed);
    QCOMPARE(q.recordCount(), listed);
    QCOMPARE(q.fetchedCount(), listed);
    QVERIFY(q.startsAtTop());
    QCOMPARE(q.fieldText(QStringLiteral("IDb")), lastId);
    QCOMPARE(q.recNo(), listed - 1);

    // From a located row as well.
    openList(q, QStringLiteral("ORDER BY bszkelt, bfulszam"));
    QVERIFY(q.locate(QStringLiteral("IDb"), QStringLiteral("300")));
    QCOMPARE(q.recordCount(), listed);
    QCOMPARE(q.fieldText(QStringLiteral("IDb")), QStringLiteral("300"));
}

void OrderKeyTest::tiesFollowTheIdentifier()
{
    TestDatabase db;
    const QString carrier = db.addCarrier(QStringLiteral("ABC-1"), QStringLiteral("Kiss"));
    const QString sender = db.addPartner(QStringLiteral("Alfa"));
    // 300 arrivals on one day with three ear tags, entered in turn: ties everywhere.
    db.exec(QStringLiteral("EXECUTE BLOCK AS DECLARE I INT = 0; BEGIN WHILE (I < 300) DO BEGIN "
                           "INSERT INTO beszall (bskod, bfkod, bfulszam, bszkelt) VALUES ('%1', '%2', "
                           "MOD(:I, 3), DATE '2011-03-01'); I = I + 1; END END")
                .arg(carrier, sender));
    QStringList expected;
    for (int tag = 0; tag < 3; ++tag)
        for (int id = tag + 1; id <= 300; id += 3)
            expected << QString::number(id);
    Dataset& q = Data->ZQ12;
    openList(q, QStringLiteral("ORDER BY bszkelt, bfulszam"));
    QCOMPARE(everyId(q), expected);  // read from the top in the same order
    openList(q, QStringLiteral("ORDER BY bszkelt, bfulszam"));
    q.last();
    QVERIFY(q.keyedPlan() && q.keyedPlan()->keyAdded);
    // Ear tag 2, identifiers 3, 6, ..., 300: the last row is the last one entered.
    QCOMPARE(q.fieldText(QStringLiteral("IDb")), QStringLiteral("300"));
    QCOMPARE(everyId(q), expected);
    QVERIFY(q.locate(QStringLiteral("IDb"), QStringLiteral("151")));  // ear tag 0, in the middle
    QCOMPARE(everyId(q), expected);
    QCOMPARE(q.recNo(), static_cast<int>(expected.indexOf(QStringLiteral("151"))));
}

void OrderKeyTest::conditionsAndParametersStay()
{
    TestDatabase db;
    fillArrivals(db, 700);
    const QStringList expected =
        column(db.rows(QStringLiteral("SELECT IDb") + kJoins +
                       QStringLiteral("WHERE bszkelt >= '2011-03-03' OR bszkelt IS NULL ORDER BY bfulszam, IDb")));
    Dataset& q = Data->ZQ12;
    q.close();
    q.setSql(QStringList(kJoinedList) << QStringLiteral("WHERE bszkelt >= :p1 OR bszkelt IS NULL")
                                      << QStringLiteral("ORDER BY bfulszam"));
    q.setParamDate(QStringLiteral("p1"), QDate(2011, 3, 3));
    q.open();
    q.last();
    QVERIFY(q.keyedPlan());
    QCOMPARE(q.fieldText(QStringLiteral("IDb")), expected.last());
    QCOMPARE(everyId(q), expected);
    // A row the condition leaves out is not found by its identifier either.
    const QString outside = db.value(QStringLiteral("SELECT MIN(IDb)") + kJoins +
                                     QStringLiteral("WHERE bszkelt < '2011-03-03' AND bfulszam IS NOT NULL"));
    q.last();
    QVERIFY(!q.locate(QStringLiteral("IDb"), outside));
    QVERIFY(q.locate(QStringLiteral("IDb"), expected.at(200)));
    QCOMPARE(everyId(q), expected);
}

void OrderKeyTest::missingKeyKeepsTheRows()
{
    TestDatabase db;
    fillArrivals(db, 700);
    const QString unlisted = db.value(QStringLiteral("SELECT MIN(IDb) FROM beszall WHERE bskod = '999'"));
    Dataset& q = Data->ZQ12;
    openList(q, QStringLiteral("ORDER BY bszkelt, bfulszam"));
    q.last();
    const QStringList before = fetchedIds(q);
    const int current = q.recNo();
    QSignalSpy reset(&q, &Dataset::rowsReset);
    for (const QString& key : {QStringLiteral("77777"), unlisted, QString(), QStringLiteral("0012"),
                               QStringLiteral("99999999999"), QStringLiteral("abc")}) {
        QVERIFY2(!q.locate(QStringLiteral("IDb"), key), qPrintable(key));
        QCOMPARE(q.recNo(), current);
    }
    QCOMPARE(fetchedIds(q), before);
    QCOMPARE(reset.count(), 0);
}

void OrderKeyTest::otherLocatesSearchFromTheTop()
{
    TestDatabase db;
    fillArrivals(db, 700);
    const QStringList expected = column(
        db.rows(QStringLiteral("SELECT IDb, bfulszam") + kJoins + QStringLiteral("ORDER BY bszkelt, bfulszam, IDb")));
    const QString firstOf7 = db.value(QStringLiteral("SELECT FIRST 1 IDb") + kJoins +
                                      QStringLiteral("WHERE bfulszam = '7' ORDER BY bszkelt, bfulszam, IDb"));
    Dataset& q = Data->ZQ12;
    openList(q, QStringLiteral("ORDER BY bszkelt, bfulszam"));
    q.last();
    const QString lastId = q.fieldText(QStringLiteral("IDb"));
    // An ear tag stands on several rows: the first one from the top is found.
    QVERIFY(q.locate(QStringLiteral("bfulszam"), QStringLiteral("7")));
    QCOMPARE(q.fieldText(QStringLiteral("IDb")), firstOf7);
    QVERIFY(q.startsAtTop());
    // No match anywhere: the current row stays.
    q.last();
    QVERIFY(!q.locate(QStringLiteral("bfulszam"), QStringLiteral("no such tag")));
    QCOMPARE(q.fieldText(QStringLiteral("IDb")), lastId);
    QCOMPARE(everyId(q), expected);
}

void OrderKeyTest::priorStepsAboveTheFetchedRows()
{
    TestDatabase db;
    fillArrivals(db, 700);
    const QStringList expected =
        column(db.rows(QStringLiteral("SELECT IDb") + kJoins + QStringLiteral("ORDER BY IDb")));
    Dataset& q = Data->ZQ12;
    openList(q, QStringLiteral("ORDER BY IDb"));
    QVERIFY(q.locate(QStringLiteral("IDb"), expected.at(300)));
    const int top = 300 - q.recNo();  // the list row the fetched rows begin with
    QVERIFY(top > 0);
    q.moveTo(0);
    QVERIFY(!q.bof());
    const int fetched = q.fetchedCount();
    q.prior();
    QVERIFY(q.fetchedCount() > fetched);
    QVERIFY(!q.bof());
    QCOMPARE(q.fieldText(QStringLiteral("IDb")), expected.at(top - 1));
    // Stepping up to the very first row, one row at a time.
    int at = top - 1;
    for (q.prior(); !q.bof(); q.prior())
        QCOMPARE(q.fieldText(QStringLiteral("IDb")), expected.at(--at));
    QCOMPARE(at, 0);
    QCOMPARE(q.fieldText(QStringLiteral("IDb")), expected.first());
    QVERIFY(q.startsAtTop());
    QCOMPARE(q.recNo(), 0);
}

void OrderKeyTest::statementsReadFromTheTopWhenTheyCannotBeKeyed_data()
{
    QTest::addColumn<QString>("sql");
    QTest::newRow("no order") << "SELECT IDb, bfulszam FROM beszall";
    QTest::newRow("no row key") << "SELECT bfulszam, bszkelt FROM beszall ORDER BY bszkelt";
    QTest::newRow("outer join") << "SELECT IDb, snev FROM beszall LEFT JOIN szallito ON szallito.skod = beszall.bskod "
                                   "ORDER BY IDb";
    QTest::newRow("join on a column that repeats")
        << "SELECT b.IDb, k.IDk FROM beszall b JOIN kiszall k ON k.kfulszam = b.bfulszam ORDER BY b.IDb";
    QTest::newRow("grouped") << "SELECT MIN(IDb) AS IDb, bfulszam FROM beszall GROUP BY bfulszam ORDER BY 1";
    QTest::newRow("distinct") << "SELECT DISTINCT IDb, bfulszam FROM beszall ORDER BY IDb";
    QTest::newRow("order by an expression") << "SELECT IDb, bfulszam FROM beszall ORDER BY UPPER(bfulszam)";
    QTest::newRow("order by an alias") << "SELECT IDb, bfulszam AS tag FROM beszall ORDER BY tag";
    QTest::newRow("order by position") << "SELECT IDb, bfulszam FROM beszall ORDER BY 2";
    QTest::newRow("derived table") << "SELECT IDb, bfulszam FROM (SELECT IDb, bfulszam FROM beszall) ORDER BY IDb";
    QTest::newRow("first rows") << "SELECT FIRST 50 IDb, bfulszam FROM beszall ORDER BY IDb";
}

void OrderKeyTest::statementsReadFromTheTopWhenTheyCannotBeKeyed()
{
    QFETCH(QString, sql);
    TestDatabase db;
    fillArrivals(db, 300);
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam) SELECT bfulszam FROM beszall WHERE IDb < 20"));
    const QList<QStringList> expected = db.rows(sql);
    Dataset& q = Data->ZQ12;
    q.close();
    q.setSql({sql});
    q.open();
    q.last();
    QVERIFY(!q.keyedPlan());
    QVERIFY(q.startsAtTop());
    QCOMPARE(q.fetchedCount(), expected.size());
    QCOMPARE(q.recNo(), expected.size() - 1);
    QCOMPARE(q.cellText(q.recNo(), 0), expected.last().first());
}

void OrderKeyTest::listsWalkTheirDeliveryTablesIndex_data()
{
    QTest::addColumn<QStringList>("sql");
    QTest::addColumn<QString>("table");
    const QStringList outgoing = {
        QStringLiteral("SELECT kfulszam, kikelt, khkat, keubizki, keubizbe, kskod, kfkod, IDk, kKod,"),
        QStringLiteral("srendszam, snev, scim, sjovaszam, skod, IDs,"),
        QStringLiteral("fnev, fcim, ftenykod, fsznev, fszcim, fkod, IDf"), QStringLiteral("FROM kiszall"),
        QStringLiteral("JOIN szallito ON szallito.skod = kiszall.kskod"),
        QStringLiteral("JOIN felado ON felado.fkod = kiszall.kfkod")};
    QTest::newRow("incoming list, entry order") << (QStringList(kJoinedList) << "ORDER BY IDb") << "BESZALL";
    QTest::newRow("incoming list, date order") << (QStringList(kJoinedList) << "ORDER BY bszkelt, bfulszam")
                                               << "BESZALL";
    QTest::newRow("incoming entry list")
        << QStringList{"SELECT bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod, IDb, Bkod", "FROM beszall",
                       "ORDER BY IDb"}
        << "BESZALL";
    QTest::newRow("outgoing list, entry order") << (QStringList(outgoing) << "ORDER BY IDk") << "KISZALL";
    QTest::newRow("outgoing list, date order") << (QStringList(outgoing) << "ORDER BY kikelt, kfulszam")
                                               << "KISZALL";
    QTest::newRow("outgoing entry list")
        << QStringList{"SELECT kfulszam, kikelt, khkat, keubizki, keubizbe, kskod, kfkod, IDk, kkod", "FROM kiszall",
                       "ORDER BY IDk"}
        << "KISZALL";
}

// Every statement a list is read by walks an index of the delivery table, from which the registers
// are joined by their codes: nothing is sorted, also on a database whose index statistics were
// never computed (the schema's indexes were made on empty tables).
void OrderKeyTest::listsWalkTheirDeliveryTablesIndex()
{
    QFETCH(QStringList, sql);
    QFETCH(QString, table);
    TestDatabase db;
    fillArrivals(db, 300);
    db.exec(QStringLiteral("INSERT INTO kiszall (kskod, kfkod, kfulszam, kikelt) "
                           "SELECT bskod, bfkod, bfulszam, bszkelt FROM beszall"));
    Dataset& q = Data->ZQ12;
    q.close();
    q.setSql(sql);
    q.open();
    q.last();
    const keyset::Plan* plan = q.keyedPlan();
    QVERIFY(plan);
    std::vector<keyset::Step> steps = {keyset::whole(*plan, keyset::Walk::Forward),
                                       keyset::whole(*plan, keyset::Walk::Backward)};
    // From a row with every value, and from one whose order values are all missing but its key
    // (only the statements' texts matter here, not what the values find).
    const std::vector<fb::Value> full(plan->segments.size(), fb::Value::fromInt(1));
    std::vector<fb::Value> missing(plan->segments.size());
    missing.back() = fb::Value::fromInt(1);
    for (const auto& key : {full, missing})
        for (const keyset::Walk walk : {keyset::Walk::Forward, keyset::Walk::Backward})
            for (keyset::Step& step : keyset::beyond(*plan, q.columns(), key, walk))
                steps.push_back(std::move(step));
    QVERIFY(steps.size() >= 4);
    for (const keyset::Step& step : steps) {
        fb::Statement stmt(Data->ZCon1.attachment(), Data->IBTrans1.raw(), step.sql);
        const QString p = stmt.plan();
        QVERIFY2(!p.contains(QStringLiteral("SORT")), qPrintable(step.sql + u'\n' + p));
        QVERIFY2(p.startsWith(QStringLiteral("PLAN JOIN (%1 ORDER ").arg(table)) ||
                     p.startsWith(QStringLiteral("PLAN (%1 ORDER ").arg(table)),
                 qPrintable(step.sql + u'\n' + p));
    }
    const keyset::Step probe = keyset::probe(*plan, fb::Value::fromInt(1));
    fb::Statement stmt(Data->ZCon1.attachment(), Data->IBTrans1.raw(), probe.sql);
    QVERIFY2(stmt.plan().contains(QStringLiteral("%1 INDEX (PK_%1)").arg(table)), qPrintable(stmt.plan()));
}

QTEST_MAIN(OrderKeyTest)
#include "test_orderkey.moc"
