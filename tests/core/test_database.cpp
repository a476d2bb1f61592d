#include "db/error.h"
#include "rowlock.h"
#include "storage/session.h"
#include "testdb.h"

#include <QSet>
#include <QSignalSpy>
#include <QTest>

// The Database beneath every screen: its connection and one transaction, the datasets registered
// on it and the rules by which they start and end that transaction, and what the session offers
// on it. Each test reads through datasets of its own, named for what they hold.
class DatabaseTest : public QObject {
    Q_OBJECT
private slots:
    void sessionConnectsAndOffersItsDatasets();
    void commitClosesEveryDataset();
    void rollbackClosesAndUndoes();
    void repeatedNamedParameter();
    void missingValuesReadEmpty();
    void locateVariants();
    void locateWithEmptyKeyLandsOnFirstRow();
    void autoCommitWhenDatasetStartedTransaction();
    void autoCommitWhenStatementStartedTransaction();
    void noAutoCommitWhileAnotherDatasetIsOpen();
    void textRoundTripsInWin1250();
    void textOutsideWin1250IsRefused_data();
    void textOutsideWin1250IsRefused();
    void datesBindAndReadInProgramForm();
    void errorsCarryEngineTextAndLockConflict();
    void lazyOpenFetchesOneRow();
    void bofAndEofAtTheEnds_data();
    void bofAndEofAtTheEnds();
    void engineTextKeepsHungarianValues();
    void workWithoutAConnectionFailsAsAnError();
    void openFailingOnItsFirstRowLeavesTheSetClosed();
    void tableAppendByPosition();
    void readOnlyTableRefusesAppend();
};

void DatabaseTest::sessionConnectsAndOffersItsDatasets()
{
    TestDatabase db;
    Session& session = db.session();
    Database& database = session.database();
    QVERIFY(database.connection().connected());
    QVERIFY(session.transaction().inTransaction());

    // The ten tables the main window keeps open, in the order it reopens them, each read-only
    // with a source the grids bind to; the takeover's staging table apart from them, writable.
    Tables& tables = session.tables();
    const std::vector<TableDataset*> shown = tables.all();
    QCOMPARE(shown.size(), size_t(10));
    QStringList tableNames;
    for (TableDataset* t : shown)
        tableNames << t->tableName();
    QCOMPARE(tableNames, QStringList({"BESZALL", "KISZALL", "SZALLITO", "FELADO", "KISZALL", "FULSZAM", "BESZALL0",
                                      "KISZALL0", "FULSZAM0", "PARTNER"}));
    const DataSource* sources[] = {&tables.arrivalsSource,         &tables.departuresSource,
                                   &tables.carriersSource,         &tables.partnersSource,
                                   &tables.departuresUnshownSource, &tables.earTagRunsSource,
                                   &tables.archivedArrivalsSource, &tables.archivedDeparturesSource,
                                   &tables.senderRunsSource,       &tables.companySource};
    for (size_t i = 0; i < shown.size(); ++i) {
        QVERIFY2(shown[i]->readOnly(), qPrintable(shown[i]->name()));
        QCOMPARE(&sources[i]->dataset(), static_cast<Dataset*>(shown[i]));
    }
    QCOMPARE(tables.staging.tableName(), QStringLiteral("KISZALL1"));
    QVERIFY(!tables.staging.readOnly());
    QVERIFY(tables.arrivals.readOnly());
    QVERIFY(std::find(shown.begin(), shown.end(), &tables.staging) == shown.end());

    // The register lists the screens share: the list screens and pickers move them, the delivery
    // screens' panels show their current row.
    QCOMPARE(session.carriers().list().name(), QStringLiteral("carrierList"));
    QCOMPARE(session.partners().list().name(), QStringLiteral("partnerList"));
    QCOMPARE(&session.carriers().listSource().dataset(), &session.carriers().list());
    QCOMPARE(&session.partners().listSource().dataset(), &session.partners().list());

    // Every one of them is registered on the database (a commit closes it) and found by its name,
    // which no other dataset shares.
    std::vector<Dataset*> offered(shown.begin(), shown.end());
    offered.insert(offered.end(), {&tables.staging, &session.carriers().list(), &session.partners().list()});
    for (Dataset* ds : offered)
        QVERIFY2(database.dataset(ds->name()) == ds, qPrintable(ds->name()));
    QSet<QString> names;
    for (const Dataset* ds : database.datasets()) {
        QVERIFY2(!names.contains(ds->name()), qPrintable(ds->name()));
        names.insert(ds->name());
    }
}

void DatabaseTest::commitClosesEveryDataset()
{
    TestDatabase db;
    db.addCarrier(QStringLiteral("AAA-111"), QStringLiteral("Kiss"));
    Database& database = db.session().database();
    Dataset carrierRows{database, QStringLiteral("carrierRows")};
    Dataset carrierWrites{database, QStringLiteral("carrierWrites")};
    TableDataset& arrivals = db.session().tables().arrivals;
    carrierRows.setSql({QStringLiteral("SELECT * FROM szallito")});
    carrierRows.open();
    arrivals.open();
    QSignalSpy closed(&carrierRows, &Dataset::closed);
    carrierWrites.setSql({QStringLiteral("INSERT INTO szallito (snev) VALUES (:p1)")});
    carrierWrites.setParamText(QStringLiteral("p1"), QStringLiteral("Nagy"));
    carrierWrites.execSql();
    QVERIFY(carrierRows.active());
    db.session().transaction().commit();
    QVERIFY(!db.session().transaction().inTransaction());
    QVERIFY(!carrierRows.active());
    QVERIFY(!arrivals.active());
    QCOMPARE(closed.count(), 1);
    QCOMPARE(carrierRows.fieldText(QStringLiteral("snev")), QString());
    QCOMPARE(db.count(QStringLiteral("szallito")), 2);
}

void DatabaseTest::rollbackClosesAndUndoes()
{
    TestDatabase db;
    Database& database = db.session().database();
    Dataset carrierWrites{database, QStringLiteral("carrierWrites")};
    Dataset carrierRows{database, QStringLiteral("carrierRows")};
    carrierWrites.setSql({QStringLiteral("INSERT INTO szallito (snev) VALUES ('X')")});
    carrierWrites.execSql();
    carrierRows.setSql({QStringLiteral("SELECT * FROM szallito")});
    carrierRows.open();
    QCOMPARE(carrierRows.recordCount(), 1);  // own uncommitted insert is visible
    db.session().transaction().rollback();
    QVERIFY(!carrierRows.active());
    carrierRows.open();  // starts the transaction again
    QVERIFY(db.session().transaction().inTransaction());
    QCOMPARE(carrierRows.recordCount(), 0);
}

void DatabaseTest::repeatedNamedParameter()
{
    TestDatabase db;
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam) VALUES ('1')"));
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam, kskod) VALUES ('2', '5')"));
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam, kskod, kfkod) VALUES ('3', '5', '6')"));
    Dataset departureRows{db.session().database(), QStringLiteral("departureRows")};
    departureRows.clearSql();
    departureRows.addSql(
        QStringLiteral("SELECT kfulszam, kikelt, khkat, keubizki, keubizbe, kskod, kfkod, IDk, kKod  "));
    departureRows.addSql(QStringLiteral("       FROM kiszall "));
    departureRows.addSql(QStringLiteral("       WHERE kskod = :p1 AND kfkod = :p1 "));
    departureRows.setParamText(QStringLiteral("p1"), QString());
    departureRows.open();
    QCOMPARE(departureRows.recordCount(), 1);
    QCOMPARE(departureRows.fieldText(QStringLiteral("KFULSZAM")), QStringLiteral("1"));
    // A name inside a literal is no parameter.
    const auto t = fb::translateNamedParameters(QStringLiteral("SELECT ':p9' FROM x WHERE a = :P1 -- :p2\n AND b = :p1"));
    QCOMPARE(t.names, QStringList({QStringLiteral("p1"), QStringLiteral("p1")}));
    QCOMPARE(t.sql, QStringLiteral("SELECT ':p9' FROM x WHERE a = ? -- :p2\n AND b = ?"));
}

void DatabaseTest::missingValuesReadEmpty()
{
    TestDatabase db;
    db.exec(QStringLiteral("INSERT INTO beszall (bfulszam) VALUES ('77')"));
    Dataset arrivalRows{db.session().database(), QStringLiteral("arrivalRows")};
    Dataset senderArrivalCounts{db.session().database(), QStringLiteral("senderArrivalCounts")};
    arrivalRows.setSql({QStringLiteral("SELECT * FROM beszall")});
    arrivalRows.open();
    QCOMPARE(arrivalRows.fieldText(QStringLiteral("bszkelt")), QString());
    QCOMPARE(arrivalRows.fieldText(QStringLiteral("BHKAT")), QString());
    QCOMPARE(arrivalRows.fieldInt(QStringLiteral("bskod")), 0);
    QCOMPARE(arrivalRows.fieldText(QStringLiteral("bFulszam")), QStringLiteral("77"));
    // A count over no rows gives no row: it reads as 0.
    senderArrivalCounts.setSql(
        {QStringLiteral("SELECT Bfkod, count(Bfkod) as dbbe FROM beszall WHERE Bfkod = :p1 GROUP BY Bfkod")});
    senderArrivalCounts.setParamText(QStringLiteral("p1"), QStringLiteral("nincs"));
    senderArrivalCounts.open();
    QVERIFY(senderArrivalCounts.isEmpty());
    QCOMPARE(senderArrivalCounts.fieldInt(QStringLiteral("dbbe")), 0);
    // The KISZALL codes of a row inserted without them are empty text, not null.
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam) VALUES ('77')"));
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE kskod = '' AND kfkod = ''")), QStringLiteral("1"));
}

void DatabaseTest::locateVariants()
{
    TestDatabase db;
    for (const char* n : {"Alma", "alfa", "Beta", "Al"})
        db.addPartner(QString::fromUtf8(n));
    Dataset partnerRows{db.session().database(), QStringLiteral("partnerRows")};
    auto reload = [&partnerRows] {
        partnerRows.close();
        partnerRows.setSql({QStringLiteral("SELECT fnev, fkod FROM felado ORDER BY idf")});
        partnerRows.open();
    };
    struct Case {
        const char* key;
        LocateOptions opt;
        bool found;
        const char* expectName;
    };
    const Case cases[] = {
        {"Al", {false, false}, true, "Al"},        // exact finds the exact one, not the first prefix
        {"al", {false, false}, false, "alfa"},     // no match keeps the current row
        {"AL", {true, true}, true, "Alma"},        // case-insensitive partial: first from the top
        {"bet", {true, true}, true, "Beta"},
        {"alf", {false, true}, true, "alfa"},
        {"x", {true, true}, false, "alfa"},
    };
    for (const Case& c : cases) {
        reload();
        partnerRows.moveTo(1);  // alfa
        const bool found = partnerRows.locate(QStringLiteral("fnev"), QString::fromUtf8(c.key), c.opt);
        QCOMPARE(found, c.found);
        QCOMPARE(partnerRows.fieldText(QStringLiteral("fnev")), QString::fromUtf8(c.expectName));
    }
}

void DatabaseTest::locateWithEmptyKeyLandsOnFirstRow()
{
    TestDatabase db;
    db.addCarrier(QStringLiteral("B"), QStringLiteral("x"));
    db.addCarrier(QStringLiteral("A"), QStringLiteral("y"));
    Dataset carrierRows{db.session().database(), QStringLiteral("carrierRows")};
    carrierRows.setSql({QStringLiteral("SELECT srendszam, skod FROM szallito ORDER BY srendszam")});
    carrierRows.open();
    carrierRows.last();
    QVERIFY(carrierRows.locate(QStringLiteral("skod"), QString(), {true, true}));
    QCOMPARE(carrierRows.fieldText(QStringLiteral("srendszam")), QStringLiteral("A"));
}

void DatabaseTest::autoCommitWhenDatasetStartedTransaction()
{
    TestDatabase db;
    SharedTransaction& transaction = db.session().transaction();
    Dataset carrierRows{db.session().database(), QStringLiteral("carrierRows")};
    Dataset carrierWrites{db.session().database(), QStringLiteral("carrierWrites")};
    transaction.commit();
    QVERIFY(!transaction.inTransaction());
    carrierRows.setSql({QStringLiteral("SELECT * FROM szallito")});
    carrierRows.open();  // starts it
    QVERIFY(transaction.inTransaction());
    carrierWrites.setSql({QStringLiteral("INSERT INTO szallito (snev) VALUES ('auto')")});
    carrierWrites.execSql();
    QCOMPARE(db.count(QStringLiteral("szallito")), 0);
    carrierRows.close();  // the starter closes, nothing else open: committed
    QVERIFY(!transaction.inTransaction());
    QCOMPARE(db.count(QStringLiteral("szallito")), 1);
}

void DatabaseTest::autoCommitWhenStatementStartedTransaction()
{
    TestDatabase db;
    SharedTransaction& transaction = db.session().transaction();
    Dataset carrierWrites{db.session().database(), QStringLiteral("carrierWrites")};
    transaction.commit();
    carrierWrites.setSql({QStringLiteral("INSERT INTO szallito (snev) VALUES ('auto')")});
    carrierWrites.execSql();
    QVERIFY(!transaction.inTransaction());
    QCOMPARE(db.count(QStringLiteral("szallito")), 1);
}

void DatabaseTest::noAutoCommitWhileAnotherDatasetIsOpen()
{
    TestDatabase db;
    SharedTransaction& transaction = db.session().transaction();
    TableDataset& arrivals = db.session().tables().arrivals;
    Dataset carrierRows{db.session().database(), QStringLiteral("carrierRows")};
    Dataset carrierWrites{db.session().database(), QStringLiteral("carrierWrites")};
    transaction.commit();
    carrierRows.setSql({QStringLiteral("SELECT * FROM szallito")});
    carrierRows.open();
    arrivals.open();
    carrierWrites.setSql({QStringLiteral("DELETE FROM szallito")});
    carrierWrites.execSql();
    carrierRows.close();  // the arrivals table still reads: no commit
    QVERIFY(transaction.inTransaction());
    // A statement that did not start the transaction never commits it either.
    carrierWrites.setSql({QStringLiteral("INSERT INTO szallito (snev) VALUES ('pending')")});
    carrierWrites.execSql();
    QVERIFY(transaction.inTransaction());
    QCOMPARE(db.count(QStringLiteral("szallito")), 0);
    transaction.commitRetaining();
    QVERIFY(transaction.inTransaction());
    QVERIFY(arrivals.active());
    QCOMPARE(db.count(QStringLiteral("szallito")), 1);
}

void DatabaseTest::textRoundTripsInWin1250()
{
    TestDatabase db;
    Dataset partnerWrites{db.session().database(), QStringLiteral("partnerWrites")};
    Dataset partnerRows{db.session().database(), QStringLiteral("partnerRows")};
    const QString name = QStringLiteral("Őrségi Ügyes Árpád űző");
    partnerWrites.setSql({QStringLiteral("INSERT INTO felado (fnev, fcim) VALUES (:p2, :p3)")});
    partnerWrites.setParamText(QStringLiteral("p2"), name);
    partnerWrites.setParamText(QStringLiteral("p3"), QStringLiteral("  leading blanks kept"));
    partnerWrites.execSql();
    db.session().transaction().commit();
    partnerRows.setSql({QStringLiteral("SELECT fnev, fcim FROM felado")});
    partnerRows.open();
    QCOMPARE(partnerRows.fieldText(QStringLiteral("fnev")), name);
    QCOMPARE(partnerRows.fieldText(QStringLiteral("fcim")), QStringLiteral("  leading blanks kept"));
    // Hungarian order: "Ö" sorts after "O" and before "P", not after "Z".
    for (const char* n : {"Zala", "Pécs", "Ózd", "Orosháza"})
        db.addPartner(QString::fromUtf8(n));
    const auto r = db.rows(QStringLiteral("SELECT fnev FROM felado WHERE fnev <> 'x' ORDER BY fnev"));
    QStringList names;
    for (const auto& row : r)
        names << row.first();
    QCOMPARE(names, QStringList({QStringLiteral("Orosháza"), QStringLiteral("Ózd"), name, QStringLiteral("Pécs"),
                                 QStringLiteral("Zala")}));
}

void DatabaseTest::textOutsideWin1250IsRefused_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("named");  // how the message shows the character
    QTest::addColumn<QString>("field");  // the field's name given with the value
    QTest::addColumn<QString>("namedField");
    QTest::newRow("õ, a field named") << QStringLiteral("Kőrösi Józsõf") << QStringLiteral("\"õ\" (U+00F5)")
                                       << QStringLiteral("Tulajdonos név") << QStringLiteral("Tulajdonos név");
    QTest::newRow("û") << QStringLiteral("Bûdos") << QStringLiteral("\"û\" (U+00FB)") << QStringLiteral("Cim")
                       << QStringLiteral("Cim");
    QTest::newRow("ț, pasted") << QStringLiteral("Timișoara, str. Ț") << QStringLiteral("\"ș\" (U+0219)")
                               << QStringLiteral("Cim") << QStringLiteral("Cim");
    QTest::newRow("outside the 16-bit range") << QStringLiteral("Vevő 🐄") << QStringLiteral("\"🐄\" (U+1F404)")
                                              << QStringLiteral("Cim") << QStringLiteral("Cim");
    QTest::newRow("invisible, by its code") << QStringLiteral("AB\u200BC") << QStringLiteral("U+200B")
                                            << QStringLiteral("Cim") << QStringLiteral("Cim");
    QTest::newRow("no field given: the parameter") << QStringLiteral("õ") << QStringLiteral("\"õ\" (U+00F5)")
                                                    << QString() << QStringLiteral("p2");
}

void DatabaseTest::textOutsideWin1250IsRefused()
{
    QFETCH(QString, text);
    QFETCH(QString, named);
    QFETCH(QString, field);
    QFETCH(QString, namedField);
    TestDatabase db;
    SharedTransaction& transaction = db.session().transaction();
    Dataset partnerWrites{db.session().database(), QStringLiteral("partnerWrites")};
    partnerWrites.setSql({QStringLiteral("INSERT INTO felado (fnev, fcim) VALUES (:p2, :p3)")});
    partnerWrites.setParamText(QStringLiteral("p2"), QStringLiteral("Ő Ű € – „” ©"), QStringLiteral("Név"));
    partnerWrites.setParamText(QStringLiteral("p3"), text, field);
    if (field.isEmpty()) {
        partnerWrites.setParamText(QStringLiteral("p2"), text);
        partnerWrites.setParamText(QStringLiteral("p3"), QStringLiteral("x"));
    }
    try {
        partnerWrites.execSql();
        QFAIL("stored");
    } catch (const fb::UnstorableText& e) {
        QCOMPARE(e.message(), QStringLiteral("A(z) \"%1\" mezőben álló %2 karaktert az adatbázis nem tudja tárolni. "
                                             "Semmi sem került mentésre; javítsa a mezőt, és mentse újra!")
                                  .arg(namedField, named));
        QCOMPARE(e.field(), namedField);
    }
    if (transaction.inTransaction())
        transaction.commit();
    QCOMPARE(db.count(QStringLiteral("felado")), 0);  // nothing written, not even with "?"
    // Every letter WIN1250 has is stored as it is.
    partnerWrites.setParamText(QStringLiteral("p2"), QStringLiteral("Ő Ű € – „” ©"));
    partnerWrites.setParamText(QStringLiteral("p3"), QStringLiteral("őű"));
    partnerWrites.execSql();
    transaction.commit();
    QCOMPARE(db.rows(QStringLiteral("SELECT fnev, fcim FROM felado")),
             QList<QStringList>({{QStringLiteral("Ő Ű € – „” ©"), QStringLiteral("őű")}}));
}

void DatabaseTest::datesBindAndReadInProgramForm()
{
    TestDatabase db;
    Dataset arrivalWrites{db.session().database(), QStringLiteral("arrivalWrites")};
    arrivalWrites.setSql({QStringLiteral("INSERT INTO beszall (bfulszam, bszkelt, bvkelt) VALUES (:p1, :p2, :p3)")});
    arrivalWrites.setParamText(QStringLiteral("p1"), QStringLiteral("1"));
    arrivalWrites.setParamDateText(QStringLiteral("p2"), QStringLiteral("2011.03.05"));
    arrivalWrites.setParamDateText(QStringLiteral("p3"), QStringLiteral("2011.3.6"));
    arrivalWrites.execSql();
    QVERIFY_THROWS_EXCEPTION(fb::Error,
                             arrivalWrites.setParamDateText(QStringLiteral("p2"), QStringLiteral("2011.02.30")));
    db.session().transaction().commit();
    QCOMPARE(db.rows(QStringLiteral("SELECT bszkelt, bvkelt FROM beszall")),
             QList<QStringList>({{QStringLiteral("2011.03.05"), QStringLiteral("2011.03.06")}}));
}

void DatabaseTest::errorsCarryEngineTextAndLockConflict()
{
    TestDatabase db;
    db.addCarrier(QStringLiteral("R"), QStringLiteral("N"));
    Dataset carrierWrites{db.session().database(), QStringLiteral("carrierWrites")};
    carrierWrites.setSql({QStringLiteral("INSERT INTO szallito (snev) VALUES (:p1)")});
    carrierWrites.setParamText(QStringLiteral("p1"), QString(76, u'x'));
    try {
        carrierWrites.execSql();
        QFAIL("an over-long name must fail");
    } catch (const fb::Error& e) {
        // The person reads Hungarian; the engine's own words are kept for support.
        QVERIFY2(e.message().startsWith(QStringLiteral("A szöveg hosszabb, mint amit az oszlopa tárol: legfeljebb 75 "
                                                       "karakter fér el")),
                 qPrintable(e.message()));
        QVERIFY2(e.engineText().contains(QStringLiteral("truncation")), qPrintable(e.engineText()));
        QVERIFY(e.code() != 0);
        QVERIFY(!e.isLockConflict());
    }
    // Another connection holds the row: our nowait update fails at once, as a lock conflict.
    RowLock other(db, QStringLiteral("UPDATE szallito SET snev = 'held'"));
    carrierWrites.setSql({QStringLiteral("UPDATE szallito SET snev = 'mine'")});
    try {
        carrierWrites.execSql();
        QFAIL("the update must collide");
    } catch (const fb::Error& e) {
        QVERIFY2(e.isLockConflict(), qPrintable(e.message()));
        QCOMPARE(e.message(), QStringLiteral("A sort vagy a táblát most egy másik felhasználó (vagy egy másik gép) "
                                             "módosítja, ezért a változtatás nem menthető. Próbálja újra később!"));
    }
}

void DatabaseTest::lazyOpenFetchesOneRow()
{
    TestDatabase db;
    db.exec(QStringLiteral("EXECUTE BLOCK AS DECLARE I INT = 0; BEGIN WHILE (I < 3000) DO BEGIN "
                           "INSERT INTO beszall (bfulszam) VALUES (:I); I = I + 1; END END"));
    TableDataset& arrivals = db.session().tables().arrivals;
    arrivals.close();
    arrivals.open();
    QCOMPARE(arrivals.fetchedCount(), 1);
    QVERIFY(!arrivals.allFetched());
    arrivals.last();
    QCOMPARE(arrivals.recNo(), 2999);
    QVERIFY(arrivals.eof());
    QCOMPARE(arrivals.recordCount(), 3000);
    arrivals.next();
    QVERIFY(arrivals.eof());
    QCOMPARE(arrivals.recNo(), 2999);
    arrivals.first();
    arrivals.prior();
    QVERIFY(arrivals.bof());
    QCOMPARE(arrivals.recNo(), 0);
}

void DatabaseTest::bofAndEofAtTheEnds_data()
{
    // Moves: f first, p prior, n next, l last. Expected after the last move.
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("moves");
    QTest::addColumn<int>("recNo");
    QTest::addColumn<bool>("bof");
    QTest::addColumn<bool>("eof");
    QTest::newRow("opened") << 2 << "" << 0 << true << false;
    QTest::newRow("past the end of one row") << 1 << "n" << 0 << false << true;
    QTest::newRow("back before the start from the end") << 1 << "np" << 0 << true << false;
    QTest::newRow("last then before the start") << 1 << "lp" << 0 << true << false;
    QTest::newRow("past the end of two rows") << 2 << "nn" << 1 << false << true;
    QTest::newRow("back to the first row") << 2 << "lp" << 0 << false << false;
    QTest::newRow("before the start of two rows") << 2 << "lpp" << 0 << true << false;
    QTest::newRow("first after the end") << 2 << "lnf" << 0 << true << false;
    QTest::newRow("empty") << 0 << "nplf" << -1 << true << true;
}

void DatabaseTest::bofAndEofAtTheEnds()
{
    QFETCH(int, rows);
    QFETCH(QString, moves);
    QFETCH(int, recNo);
    QFETCH(bool, bof);
    QFETCH(bool, eof);
    TestDatabase db;
    for (int i = 0; i < rows; ++i)
        db.addCarrier(QString::number(i), QStringLiteral("n"));
    Dataset carrierRows{db.session().database(), QStringLiteral("carrierRows")};
    carrierRows.setSql({QStringLiteral("SELECT * FROM szallito ORDER BY ids")});
    carrierRows.open();
    for (const QChar m : moves) {
        if (m == u'f')
            carrierRows.first();
        else if (m == u'p')
            carrierRows.prior();
        else if (m == u'n')
            carrierRows.next();
        else
            carrierRows.last();
    }
    QCOMPARE(carrierRows.recNo(), recNo);
    QCOMPARE(carrierRows.bof(), bof);
    QCOMPARE(carrierRows.eof(), eof);
}

void DatabaseTest::engineTextKeepsHungarianValues()
{
    TestDatabase db;
    // The engine quotes the colliding value in the connection character set.
    db.exec(QStringLiteral("INSERT INTO szallito (snev, skod) VALUES ('a', 'Őrű')"));
    Dataset carrierWrites{db.session().database(), QStringLiteral("carrierWrites")};
    carrierWrites.setSql({QStringLiteral("INSERT INTO szallito (snev, skod) VALUES ('b', :p1)")});
    carrierWrites.setParamText(QStringLiteral("p1"), QStringLiteral("Őrű"));
    try {
        carrierWrites.execSql();
        QFAIL("a second row with the same code must fail");
    } catch (const fb::Error& e) {
        QCOMPARE(e.message(), QStringLiteral("Ez az érték már szerepel, és itt nem lehet két egyforma (egyedi index: "
                                             "UX_SZALLITO_SKOD). Ütköző érték: SKOD = Őrű."));
        QVERIFY2(e.engineText().contains(QStringLiteral("'Őrű'")), qPrintable(e.engineText()));
    }
}

void DatabaseTest::workWithoutAConnectionFailsAsAnError()
{
    TestDatabase db;
    Dataset carrierRows{db.session().database(), QStringLiteral("carrierRows")};
    db.session().database().connection().close();
    carrierRows.setSql({QStringLiteral("SELECT * FROM szallito")});
    QVERIFY_THROWS_EXCEPTION(fb::Error, carrierRows.open());
    QVERIFY(!carrierRows.active());
    fb::Attachment none;
    fb::Transaction tra;
    QVERIFY_THROWS_EXCEPTION(fb::Error, tra.start(none));
    QVERIFY_THROWS_EXCEPTION(fb::Error, fb::Statement(none, tra, QStringLiteral("SELECT 1 FROM rdb$database")));
    QVERIFY_THROWS_EXCEPTION(fb::Error, none.executeImmediate(QStringLiteral("CREATE TABLE T1 (A INTEGER)")));
}

void DatabaseTest::openFailingOnItsFirstRowLeavesTheSetClosed()
{
    TestDatabase db;
    db.exec(QStringLiteral("INSERT INTO beszall (bfulszam) VALUES ('12a')"));
    Dataset earTags{db.session().database(), QStringLiteral("earTags")};
    // The conversion fails only when the row is fetched.
    earTags.setSql({QStringLiteral("SELECT CAST(bfulszam AS INTEGER) AS n FROM beszall")});
    QVERIFY_THROWS_EXCEPTION(fb::Error, earTags.open());
    QVERIFY(!earTags.active());
    QVERIFY(!db.session().database().anyDatasetOpen());
    earTags.setSql({QStringLiteral("SELECT bfulszam FROM beszall")});
    earTags.open();
    QCOMPARE(earTags.fieldText(QStringLiteral("bfulszam")), QStringLiteral("12a"));
}

void DatabaseTest::tableAppendByPosition()
{
    TestDatabase db;
    TableDataset& t = db.session().tables().staging;
    t.open();
    t.append();
    t.setFieldText(0, QStringLiteral("2011.04.01"));
    t.setFieldText(1, QStringLiteral("0012"));
    t.setFieldText(2, QStringLiteral("V1"));
    t.post();
    t.append();
    QVERIFY_THROWS_EXCEPTION(fb::Error, t.setFieldText(0, QStringLiteral("nem dátum")));
    QVERIFY_THROWS_EXCEPTION(fb::Error, t.setFieldText(8, QStringLiteral("too many")));
    t.cancel();
    db.session().transaction().commit();
    QCOMPARE(db.rows(QStringLiteral("SELECT kikelt, kfulszam, kvkod, idk, kkod FROM kiszall1")),
             QList<QStringList>({{QStringLiteral("2011.04.01"), QStringLiteral("0012"), QStringLiteral("V1"),
                                  QStringLiteral("1"), QStringLiteral("1")}}));
}

void DatabaseTest::readOnlyTableRefusesAppend()
{
    TestDatabase db;
    QVERIFY_THROWS_EXCEPTION(fb::Error, db.session().tables().arrivals.append());
}

QTEST_MAIN(DatabaseTest)
#include "test_database.moc"
