#include "storage/shared_datasets.h"
#include "db/error.h"
#include "testdb.h"

#include <QSignalSpy>
#include <QTest>

class DataModuleTest : public QObject {
    Q_OBJECT
private slots:
    void connectsWithTransactionActive();
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

void DataModuleTest::connectsWithTransactionActive()
{
    TestDatabase db;
    QVERIFY(Data->ZCon1.connected());
    QVERIFY(Data->IBTrans1.inTransaction());
    QCOMPARE(Data->tables().size(), size_t(10));
    QCOMPARE(Data->IBTable11.tableName(), QStringLiteral("KISZALL1"));
    QVERIFY(!Data->IBTable11.readOnly());
    QVERIFY(Data->IBTable1.readOnly());
    for (const char* name : {"ZQ11", "ZQ12", "ZQ13", "ZQ14", "ZQ21", "ZQ22", "ZQ23", "carrierList", "ZQ31",
                             "partnerList", "ZQ41", "ZQ60", "ZQ61", "ZQ70", "ZQ111", "ZQ112"})
        QVERIFY2(Data->dataset(QString::fromLatin1(name)), name);
}

void DataModuleTest::commitClosesEveryDataset()
{
    TestDatabase db;
    db.addCarrier(QStringLiteral("AAA-111"), QStringLiteral("Kiss"));
    Data->ZQ30.setSql({QStringLiteral("SELECT * FROM szallito")});
    Data->ZQ30.open();
    Data->IBTable1.open();
    QSignalSpy closed(&Data->ZQ30, &Dataset::closed);
    Data->ZQ31.setSql({QStringLiteral("INSERT INTO szallito (snev) VALUES (:p1)")});
    Data->ZQ31.setParamText(QStringLiteral("p1"), QStringLiteral("Nagy"));
    Data->ZQ31.execSql();
    QVERIFY(Data->ZQ30.active());
    Data->IBTrans1.commit();
    QVERIFY(!Data->IBTrans1.inTransaction());
    QVERIFY(!Data->ZQ30.active());
    QVERIFY(!Data->IBTable1.active());
    QCOMPARE(closed.count(), 1);
    QCOMPARE(Data->ZQ30.fieldText(QStringLiteral("snev")), QString());
    QCOMPARE(db.count(QStringLiteral("szallito")), 2);
}

void DataModuleTest::rollbackClosesAndUndoes()
{
    TestDatabase db;
    Data->ZQ31.setSql({QStringLiteral("INSERT INTO szallito (snev) VALUES ('X')")});
    Data->ZQ31.execSql();
    Data->ZQ30.setSql({QStringLiteral("SELECT * FROM szallito")});
    Data->ZQ30.open();
    QCOMPARE(Data->ZQ30.recordCount(), 1);  // own uncommitted insert is visible
    Data->IBTrans1.rollback();
    QVERIFY(!Data->ZQ30.active());
    Data->ZQ30.open();  // starts the transaction again
    QVERIFY(Data->IBTrans1.inTransaction());
    QCOMPARE(Data->ZQ30.recordCount(), 0);
}

void DataModuleTest::repeatedNamedParameter()
{
    TestDatabase db;
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam) VALUES ('1')"));
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam, kskod) VALUES ('2', '5')"));
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam, kskod, kfkod) VALUES ('3', '5', '6')"));
    Data->ZQ21.clearSql();
    Data->ZQ21.addSql(QStringLiteral("SELECT kfulszam, kikelt, khkat, keubizki, keubizbe, kskod, kfkod, IDk, kKod  "));
    Data->ZQ21.addSql(QStringLiteral("       FROM kiszall "));
    Data->ZQ21.addSql(QStringLiteral("       WHERE kskod = :p1 AND kfkod = :p1 "));
    Data->ZQ21.setParamText(QStringLiteral("p1"), QString());
    Data->ZQ21.open();
    QCOMPARE(Data->ZQ21.recordCount(), 1);
    QCOMPARE(Data->ZQ21.fieldText(QStringLiteral("KFULSZAM")), QStringLiteral("1"));
    // A name inside a literal is no parameter.
    const auto t = fb::translateNamedParameters(QStringLiteral("SELECT ':p9' FROM x WHERE a = :P1 -- :p2\n AND b = :p1"));
    QCOMPARE(t.names, QStringList({QStringLiteral("p1"), QStringLiteral("p1")}));
    QCOMPARE(t.sql, QStringLiteral("SELECT ':p9' FROM x WHERE a = ? -- :p2\n AND b = ?"));
}

void DataModuleTest::missingValuesReadEmpty()
{
    TestDatabase db;
    db.exec(QStringLiteral("INSERT INTO beszall (bfulszam) VALUES ('77')"));
    Data->ZQ11.setSql({QStringLiteral("SELECT * FROM beszall")});
    Data->ZQ11.open();
    QCOMPARE(Data->ZQ11.fieldText(QStringLiteral("bszkelt")), QString());
    QCOMPARE(Data->ZQ11.fieldText(QStringLiteral("BHKAT")), QString());
    QCOMPARE(Data->ZQ11.fieldInt(QStringLiteral("bskod")), 0);
    QCOMPARE(Data->ZQ11.fieldText(QStringLiteral("bFulszam")), QStringLiteral("77"));
    // A count over no rows gives no row: it reads as 0.
    Data->ZQ13.setSql({QStringLiteral("SELECT Bfkod, count(Bfkod) as dbbe FROM beszall WHERE Bfkod = :p1 GROUP BY Bfkod")});
    Data->ZQ13.setParamText(QStringLiteral("p1"), QStringLiteral("nincs"));
    Data->ZQ13.open();
    QVERIFY(Data->ZQ13.isEmpty());
    QCOMPARE(Data->ZQ13.fieldInt(QStringLiteral("dbbe")), 0);
    // The KISZALL codes of a row inserted without them are empty text, not null.
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam) VALUES ('77')"));
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE kskod = '' AND kfkod = ''")), QStringLiteral("1"));
}

void DataModuleTest::locateVariants()
{
    TestDatabase db;
    for (const char* n : {"Alma", "alfa", "Beta", "Al"})
        db.addPartner(QString::fromUtf8(n));
    auto reload = [] {
        Data->ZQ40.close();
        Data->ZQ40.setSql({QStringLiteral("SELECT fnev, fkod FROM felado ORDER BY idf")});
        Data->ZQ40.open();
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
        Data->ZQ40.moveTo(1);  // alfa
        const bool found = Data->ZQ40.locate(QStringLiteral("fnev"), QString::fromUtf8(c.key), c.opt);
        QCOMPARE(found, c.found);
        QCOMPARE(Data->ZQ40.fieldText(QStringLiteral("fnev")), QString::fromUtf8(c.expectName));
    }
}

void DataModuleTest::locateWithEmptyKeyLandsOnFirstRow()
{
    TestDatabase db;
    db.addCarrier(QStringLiteral("B"), QStringLiteral("x"));
    db.addCarrier(QStringLiteral("A"), QStringLiteral("y"));
    Data->ZQ30.setSql({QStringLiteral("SELECT srendszam, skod FROM szallito ORDER BY srendszam")});
    Data->ZQ30.open();
    Data->ZQ30.last();
    QVERIFY(Data->ZQ30.locate(QStringLiteral("skod"), QString(), {true, true}));
    QCOMPARE(Data->ZQ30.fieldText(QStringLiteral("srendszam")), QStringLiteral("A"));
}

void DataModuleTest::autoCommitWhenDatasetStartedTransaction()
{
    TestDatabase db;
    Data->IBTrans1.commit();
    QVERIFY(!Data->IBTrans1.inTransaction());
    Data->ZQ30.setSql({QStringLiteral("SELECT * FROM szallito")});
    Data->ZQ30.open();  // starts it
    QVERIFY(Data->IBTrans1.inTransaction());
    Data->ZQ31.setSql({QStringLiteral("INSERT INTO szallito (snev) VALUES ('auto')")});
    Data->ZQ31.execSql();
    QCOMPARE(db.count(QStringLiteral("szallito")), 0);
    Data->ZQ30.close();  // the starter closes, nothing else open: committed
    QVERIFY(!Data->IBTrans1.inTransaction());
    QCOMPARE(db.count(QStringLiteral("szallito")), 1);
}

void DataModuleTest::autoCommitWhenStatementStartedTransaction()
{
    TestDatabase db;
    Data->IBTrans1.commit();
    Data->ZQ31.setSql({QStringLiteral("INSERT INTO szallito (snev) VALUES ('auto')")});
    Data->ZQ31.execSql();
    QVERIFY(!Data->IBTrans1.inTransaction());
    QCOMPARE(db.count(QStringLiteral("szallito")), 1);
}

void DataModuleTest::noAutoCommitWhileAnotherDatasetIsOpen()
{
    TestDatabase db;
    Data->IBTrans1.commit();
    Data->ZQ30.setSql({QStringLiteral("SELECT * FROM szallito")});
    Data->ZQ30.open();
    Data->IBTable1.open();
    Data->ZQ31.setSql({QStringLiteral("DELETE FROM szallito")});
    Data->ZQ31.execSql();
    Data->ZQ30.close();  // IBTable1 still reads: no commit
    QVERIFY(Data->IBTrans1.inTransaction());
    // A statement that did not start the transaction never commits it either.
    Data->ZQ31.setSql({QStringLiteral("INSERT INTO szallito (snev) VALUES ('pending')")});
    Data->ZQ31.execSql();
    QVERIFY(Data->IBTrans1.inTransaction());
    QCOMPARE(db.count(QStringLiteral("szallito")), 0);
    Data->IBTrans1.commitRetaining();
    QVERIFY(Data->IBTrans1.inTransaction());
    QVERIFY(Data->IBTable1.active());
    QCOMPARE(db.count(QStringLiteral("szallito")), 1);
}

void DataModuleTest::textRoundTripsInWin1250()
{
    TestDatabase db;
    const QString name = QStringLiteral("Őrségi Ügyes Árpád űző");
    Data->ZQ41.setSql({QStringLiteral("INSERT INTO felado (fnev, fcim) VALUES (:p2, :p3)")});
    Data->ZQ41.setParamText(QStringLiteral("p2"), name);
    Data->ZQ41.setParamText(QStringLiteral("p3"), QStringLiteral("  leading blanks kept"));
    Data->ZQ41.execSql();
    Data->IBTrans1.commit();
    Data->ZQ40.setSql({QStringLiteral("SELECT fnev, fcim FROM felado")});
    Data->ZQ40.open();
    QCOMPARE(Data->ZQ40.fieldText(QStringLiteral("fnev")), name);
    QCOMPARE(Data->ZQ40.fieldText(QStringLiteral("fcim")), QStringLiteral("  leading blanks kept"));
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

void DataModuleTest::textOutsideWin1250IsRefused_data()
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

void DataModuleTest::textOutsideWin1250IsRefused()
{
    QFETCH(QString, text);
    QFETCH(QString, named);
    QFETCH(QString, field);
    QFETCH(QString, namedField);
    TestDatabase db;
    Data->ZQ41.setSql({QStringLiteral("INSERT INTO felado (fnev, fcim) VALUES (:p2, :p3)")});
    Data->ZQ41.setParamText(QStringLiteral("p2"), QStringLiteral("Ő Ű € – „” ©"), QStringLiteral("Név"));
    Data->ZQ41.setParamText(QStringLiteral("p3"), text, field);
    if (field.isEmpty()) {
        Data->ZQ41.setParamText(QStringLiteral("p2"), text);
        Data->ZQ41.setParamText(QStringLiteral("p3"), QStringLiteral("x"));
    }
    try {
        Data->ZQ41.execSql();
        QFAIL("stored");
    } catch (const fb::UnstorableText& e) {
        QCOMPARE(e.message(), QStringLiteral("A(z) \"%1\" mezőben álló %2 karaktert az adatbázis nem tudja tárolni. "
                                             "Semmi sem került mentésre; javítsa a mezőt, és mentse újra!")
                                  .arg(namedField, named));
        QCOMPARE(e.field(), namedField);
    }
    if (Data->IBTrans1.inTransaction())
        Data->IBTrans1.commit();
    QCOMPARE(db.count(QStringLiteral("felado")), 0);  // nothing written, not even with "?"
    // Every letter WIN1250 has is stored as it is.
    Data->ZQ41.setParamText(QStringLiteral("p2"), QStringLiteral("Ő Ű € – „” ©"));
    Data->ZQ41.setParamText(QStringLiteral("p3"), QStringLiteral("őű"));
    Data->ZQ41.execSql();
    Data->IBTrans1.commit();
    QCOMPARE(db.rows(QStringLiteral("SELECT fnev, fcim FROM felado")),
             QList<QStringList>({{QStringLiteral("Ő Ű € – „” ©"), QStringLiteral("őű")}}));
}

void DataModuleTest::datesBindAndReadInProgramForm()
{
    TestDatabase db;
    Data->ZQ11.setSql({QStringLiteral("INSERT INTO beszall (bfulszam, bszkelt, bvkelt) VALUES (:p1, :p2, :p3)")});
    Data->ZQ11.setParamText(QStringLiteral("p1"), QStringLiteral("1"));
    Data->ZQ11.setParamDateText(QStringLiteral("p2"), QStringLiteral("2011.03.05"));
    Data->ZQ11.setParamDateText(QStringLiteral("p3"), QStringLiteral("2011.3.6"));
    Data->ZQ11.execSql();
    QVERIFY_THROWS_EXCEPTION(fb::Error, Data->ZQ11.setParamDateText(QStringLiteral("p2"), QStringLiteral("2011.02.30")));
    Data->IBTrans1.commit();
    QCOMPARE(db.rows(QStringLiteral("SELECT bszkelt, bvkelt FROM beszall")),
             QList<QStringList>({{QStringLiteral("2011.03.05"), QStringLiteral("2011.03.06")}}));
}

void DataModuleTest::errorsCarryEngineTextAndLockConflict()
{
    TestDatabase db;
    db.addCarrier(QStringLiteral("R"), QStringLiteral("N"));
    Data->ZQ31.setSql({QStringLiteral("INSERT INTO szallito (snev) VALUES (:p1)")});
    Data->ZQ31.setParamText(QStringLiteral("p1"), QString(76, u'x'));
    try {
        Data->ZQ31.execSql();
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
    fb::Attachment other;
    fb::ConnectParams p;
    p.database = db.file();
    other.attach(p);
    fb::Transaction otherTra;
    otherTra.start(other);
    fb::Statement hold(other, otherTra, QStringLiteral("UPDATE szallito SET snev = 'held'"));
    hold.execute();
    Data->ZQ31.setSql({QStringLiteral("UPDATE szallito SET snev = 'mine'")});
    try {
        Data->ZQ31.execSql();
        QFAIL("the update must collide");
    } catch (const fb::Error& e) {
        QVERIFY2(e.isLockConflict(), qPrintable(e.message()));
        QCOMPARE(e.message(), QStringLiteral("A sort vagy a táblát most egy másik felhasználó (vagy egy másik gép) "
                                             "módosítja, ezért a változtatás nem menthető. Próbálja újra később!"));
    }
    otherTra.rollback();
}

void DataModuleTest::lazyOpenFetchesOneRow()
{
    TestDatabase db;
    db.exec(QStringLiteral("EXECUTE BLOCK AS DECLARE I INT = 0; BEGIN WHILE (I < 3000) DO BEGIN "
                           "INSERT INTO beszall (bfulszam) VALUES (:I); I = I + 1; END END"));
    Data->IBTable1.close();
    Data->IBTable1.open();
    QCOMPARE(Data->IBTable1.fetchedCount(), 1);
    QVERIFY(!Data->IBTable1.allFetched());
    Data->IBTable1.last();
    QCOMPARE(Data->IBTable1.recNo(), 2999);
    QVERIFY(Data->IBTable1.eof());
    QCOMPARE(Data->IBTable1.recordCount(), 3000);
    Data->IBTable1.next();
    QVERIFY(Data->IBTable1.eof());
    QCOMPARE(Data->IBTable1.recNo(), 2999);
    Data->IBTable1.first();
    Data->IBTable1.prior();
    QVERIFY(Data->IBTable1.bof());
    QCOMPARE(Data->IBTable1.recNo(), 0);
}

void DataModuleTest::bofAndEofAtTheEnds_data()
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

void DataModuleTest::bofAndEofAtTheEnds()
{
    QFETCH(int, rows);
    QFETCH(QString, moves);
    QFETCH(int, recNo);
    QFETCH(bool, bof);
    QFETCH(bool, eof);
    TestDatabase db;
    for (int i = 0; i < rows; ++i)
        db.addCarrier(QString::number(i), QStringLiteral("n"));
    Data->ZQ30.setSql({QStringLiteral("SELECT * FROM szallito ORDER BY ids")});
    Data->ZQ30.open();
    for (const QChar m : moves) {
        if (m == u'f')
            Data->ZQ30.first();
        else if (m == u'p')
            Data->ZQ30.prior();
        else if (m == u'n')
            Data->ZQ30.next();
        else
            Data->ZQ30.last();
    }
    QCOMPARE(Data->ZQ30.recNo(), recNo);
    QCOMPARE(Data->ZQ30.bof(), bof);
    QCOMPARE(Data->ZQ30.eof(), eof);
}

void DataModuleTest::engineTextKeepsHungarianValues()
{
    TestDatabase db;
    // The engine quotes the colliding value in the connection character set.
    db.exec(QStringLiteral("INSERT INTO szallito (snev, skod) VALUES ('a', 'Őrű')"));
    Data->ZQ31.setSql({QStringLiteral("INSERT INTO szallito (snev, skod) VALUES ('b', :p1)")});
    Data->ZQ31.setParamText(QStringLiteral("p1"), QStringLiteral("Őrű"));
    try {
        Data->ZQ31.execSql();
        QFAIL("a second row with the same code must fail");
    } catch (const fb::Error& e) {
        QCOMPARE(e.message(), QStringLiteral("Ez az érték már szerepel, és itt nem lehet két egyforma (egyedi index: "
                                             "UX_SZALLITO_SKOD). Ütköző érték: SKOD = Őrű."));
        QVERIFY2(e.engineText().contains(QStringLiteral("'Őrű'")), qPrintable(e.engineText()));
    }
}

void DataModuleTest::workWithoutAConnectionFailsAsAnError()
{
    TestDatabase db;
    Data->ZCon1.close();
    Data->ZQ30.setSql({QStringLiteral("SELECT * FROM szallito")});
    QVERIFY_THROWS_EXCEPTION(fb::Error, Data->ZQ30.open());
    QVERIFY(!Data->ZQ30.active());
    fb::Attachment none;
    fb::Transaction tra;
    QVERIFY_THROWS_EXCEPTION(fb::Error, tra.start(none));
    QVERIFY_THROWS_EXCEPTION(fb::Error, fb::Statement(none, tra, QStringLiteral("SELECT 1 FROM rdb$database")));
    QVERIFY_THROWS_EXCEPTION(fb::Error, none.executeImmediate(QStringLiteral("CREATE TABLE T1 (A INTEGER)")));
}

void DataModuleTest::openFailingOnItsFirstRowLeavesTheSetClosed()
{
    TestDatabase db;
    db.exec(QStringLiteral("INSERT INTO beszall (bfulszam) VALUES ('12a')"));
    // The conversion fails only when the row is fetched.
    Data->ZQ11.setSql({QStringLiteral("SELECT CAST(bfulszam AS INTEGER) AS n FROM beszall")});
    QVERIFY_THROWS_EXCEPTION(fb::Error, Data->ZQ11.open());
    QVERIFY(!Data->ZQ11.active());
    QVERIFY(!Data->anyDatasetOpen());
    Data->ZQ11.setSql({QStringLiteral("SELECT bfulszam FROM beszall")});
    Data->ZQ11.open();
    QCOMPARE(Data->ZQ11.fieldText(QStringLiteral("bfulszam")), QStringLiteral("12a"));
}

void DataModuleTest::tableAppendByPosition()
{
    TestDatabase db;
    TableDataset& t = Data->IBTable11;
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
    Data->IBTrans1.commit();
    QCOMPARE(db.rows(QStringLiteral("SELECT kikelt, kfulszam, kvkod, idk, kkod FROM kiszall1")),
             QList<QStringList>({{QStringLiteral("2011.04.01"), QStringLiteral("0012"), QStringLiteral("V1"),
                                  QStringLiteral("1"), QStringLiteral("1")}}));
}

void DataModuleTest::readOnlyTableRefusesAppend()
{
    TestDatabase db;
    QVERIFY_THROWS_EXCEPTION(fb::Error, Data->IBTable1.append());
}

QTEST_MAIN(DataModuleTest)
#include "test_datamodule.moc"
