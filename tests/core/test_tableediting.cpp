#include "../outgoing/outgoing_fixture.h"
#include "storage/shared_datasets.h"
#include "testdb.h"

#include <QSet>
#include <QSignalSpy>
#include <QTest>

// Rows of the table datasets changed in place: saved and committed at once, refused without
// losing what was typed or anything else of the shared transaction.
class TableEditingTest : public QObject {
    Q_OBJECT
private slots:
    void savedChangeIsCommittedAndKeepsEverythingOpen();
    void refusedSaveKeepsRowAndTransaction_data();
    void refusedSaveKeepsRowAndTransaction();
    void reopeningLeavesATableWithAnUnsavedRowAlone();
    void insertedRowTakesItsKeyAndIsNotFetchedTwice();
    void deleteAndCancel();
    void readOnlyTableOffersNoEditing();
    void rowDeletedMeanwhileIsReportedNotIgnored();
};

namespace {
int column(Dataset& ds, const char* name) { return ds.fieldIndex(QString::fromLatin1(name)); }

// An unrelated change waiting in the shared transaction: it must survive whatever the editing does.
void pendingDeletion()
{
    Data->ZQ23.setSql({QStringLiteral("DELETE FROM kiszall")});
    Data->ZQ23.execSql();
}
}  // namespace

void TableEditingTest::savedChangeIsCommittedAndKeepsEverythingOpen()
{
    TestDatabase db;
    db.addCarrier(QStringLiteral("AAA-111"), QStringLiteral("Kiss"));
    db.addCarrier(QStringLiteral("BBB-222"), QStringLiteral("Nagy"));
    TableDataset& t = Data->IBTable3;
    t.setReadOnly(false);
    Data->reopenTables();
    QVERIFY(t.canModify());
    t.next();
    t.setEditText(column(t, "SNEV"), QStringLiteral("Nagy és Fia"));
    QCOMPARE(t.state(), TableDataset::State::Edit);
    QCOMPARE(t.shownText(1, column(t, "SNEV")), QStringLiteral("Nagy és Fia"));
    QCOMPARE(db.value(QStringLiteral("SELECT snev FROM szallito WHERE srendszam = 'BBB-222'")), QStringLiteral("Nagy"));
    QSignalSpy closed(&Data->IBTable1, &Dataset::closed);
    t.post();
    QCOMPARE(t.state(), TableDataset::State::Browse);
    QCOMPARE(t.fieldText(QStringLiteral("SNEV")), QStringLiteral("Nagy és Fia"));
    QCOMPARE(t.recNo(), 1);
    // Committed with retaining: nothing closed, and another connection already sees it.
    QCOMPARE(closed.count(), 0);
    QVERIFY(t.active());
    QCOMPARE(db.value(QStringLiteral("SELECT snev FROM szallito WHERE srendszam = 'BBB-222'")),
             QStringLiteral("Nagy és Fia"));
    // The program's attachment goes (what it had not committed is rolled back): the row stays.
    Data->ZCon1.close();
    QCOMPARE(db.rows(QStringLiteral("SELECT srendszam, snev FROM szallito ORDER BY ids")),
             QList<QStringList>({{QStringLiteral("AAA-111"), QStringLiteral("Kiss")},
                                 {QStringLiteral("BBB-222"), QStringLiteral("Nagy és Fia")}}));
}

void TableEditingTest::refusedSaveKeepsRowAndTransaction_data()
{
    QTest::addColumn<QString>("table");      // IBTable name
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("held");       // what another connection holds, "" for nothing
    QTest::addColumn<QString>("engineSays");
    QTest::addColumn<QString>("corrected");
    QTest::newRow("duplicate code") << "carriers" << "SKOD" << "1" << "" << "UX_SZALLITO_SKOD" << "77";
    QTest::newRow("duplicate identifier") << "carriers" << "IDS" << "1" << "" << "PK_SZALLITO" << "90";
    QTest::newRow("value too long") << "carriers" << "SRENDSZAM" << QString(26, u'R') << ""
                                    << "A szöveg hosszabb, mint amit az oszlopa tárol: legfeljebb 25 karakter fér el, a szöveg 26 karakteres." << QString(25, u'R');
    QTest::newRow("date that is no date") << "arrivals" << "BSZKELT" << "2011.02.30" << ""
                                          << "Érvénytelen szám vagy dátum: „2011.02.30”" << "2011.2.28";
    QTest::newRow("number that is no number") << "arrivals" << "IDB" << "1a" << "" << "Érvénytelen szám vagy dátum: „1a”" << "500";
    QTest::newRow("row held by another connection")
        << "carriers" << "SNEV" << "Mine" << "UPDATE szallito SET snev = 'theirs' WHERE srendszam = 'BBB-222'"
        << "most egy másik felhasználó (vagy egy másik gép) módosítja" << "Mine";
}

void TableEditingTest::refusedSaveKeepsRowAndTransaction()
{
    QFETCH(QString, table);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, held);
    QFETCH(QString, engineSays);
    QFETCH(QString, corrected);
    TestDatabase db;
    db.addCarrier(QStringLiteral("AAA-111"), QStringLiteral("Kiss"));
    db.addCarrier(QStringLiteral("BBB-222"), QStringLiteral("Nagy"));
    fixture::arrival(db, QStringLiteral("100"));
    fixture::arrival(db, QStringLiteral("200"));
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam) VALUES ('100')"));
    for (TableDataset* t : Data->tables())
        t->setReadOnly(false);
    Data->reopenTables();
    pendingDeletion();
    auto& t = *static_cast<TableDataset*>(Data->dataset(table));
    t.next();  // the second row: the first one's code and identifier are there to collide with
    std::unique_ptr<fixture::ForeignChange> other;
    if (!held.isEmpty())
        other = std::make_unique<fixture::ForeignChange>(db, held);

    const int col = t.fieldIndex(field);
    t.setEditText(col, typed);
    try {
        t.post();
        QFAIL("the database must refuse the row");
    } catch (const fb::Error& e) {
        QVERIFY2(e.message().contains(engineSays), qPrintable(e.message()));
    }
    // What was typed is still there, unsaved, on its row.
    QCOMPARE(t.state(), TableDataset::State::Edit);
    QCOMPARE(t.unsavedRow(), 1);
    QCOMPARE(t.shownText(1, col), typed);
    // Nothing was rolled back: every set is still open, the earlier pending deletion still pending.
    QVERIFY(Data->IBTrans1.inTransaction());
    for (TableDataset* other : Data->tables())
        QVERIFY2(other->active(), qPrintable(other->name()));
    Data->ZQ23.setSql({QStringLiteral("SELECT COUNT(*) AS n FROM kiszall")});
    Data->ZQ23.open();
    QCOMPARE(Data->ZQ23.fieldInt(QStringLiteral("n")), 0);
    Data->ZQ23.close();
    QCOMPARE(db.count(QStringLiteral("kiszall")), 1);

    // Corrected (or the other connection gone), the same row saves.
    other.reset();
    t.setEditText(col, corrected);
    t.post();
    QCOMPARE(t.state(), TableDataset::State::Browse);
    QCOMPARE(t.recNo(), 1);
    QCOMPARE(t.fieldText(field), t.shownText(1, col));
    const QString key = table == u"arrivals" ? QStringLiteral("IDB") : QStringLiteral("IDS");
    QCOMPARE(db.value(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = %4").arg(field, t.tableName(), key, t.fieldText(key))),
             t.fieldText(field));
}

void TableEditingTest::reopeningLeavesATableWithAnUnsavedRowAlone()
{
    TestDatabase db;
    db.addCarrier(QStringLiteral("AAA-111"), QStringLiteral("Kiss"));
    for (TableDataset* t : Data->tables())
        t->setReadOnly(false);
    Data->reopenTables();
    Data->IBTable3.setEditText(column(Data->IBTable3, "SNEV"), QStringLiteral("Kiss Fuvar"));
    db.addCarrier(QStringLiteral("CCC-333"), QStringLiteral("Új"));
    fixture::arrival(db, QStringLiteral("300"));
    QSignalSpy carriersClosed(&Data->IBTable3, &Dataset::closed);
    QSignalSpy arrivalsClosed(&Data->IBTable1, &Dataset::closed);

    Data->reopenTables();
    QCOMPARE(carriersClosed.count(), 0);
    QCOMPARE(arrivalsClosed.count(), 1);
    QCOMPARE(Data->IBTable1.fieldText(QStringLiteral("BFULSZAM")), QStringLiteral("300"));
    QCOMPARE(Data->IBTable3.state(), TableDataset::State::Edit);
    QCOMPARE(Data->IBTable3.shownText(0, column(Data->IBTable3, "SNEV")), QStringLiteral("Kiss Fuvar"));

    // Once saved, the next reopening reads it again like the others.
    Data->IBTable3.post();
    Data->reopenTables();
    QCOMPARE(carriersClosed.count(), 1);
    QCOMPARE(Data->IBTable3.recordCount(), 2);
    QCOMPARE(Data->IBTable3.fieldText(QStringLiteral("SNEV")), QStringLiteral("Kiss Fuvar"));
}

void TableEditingTest::insertedRowTakesItsKeyAndIsNotFetchedTwice()
{
    TestDatabase db;
    db.exec(QStringLiteral("EXECUTE BLOCK AS DECLARE I INT = 0; BEGIN WHILE (I < 2000) DO BEGIN "
                           "INSERT INTO beszall (bfulszam) VALUES (:I); I = I + 1; END END"));
    TableDataset& t = Data->IBTable1;
    t.setReadOnly(false);
    Data->reopenTables();
    QCOMPARE(t.fetchedCount(), 1);
    t.insert();
    QCOMPARE(t.state(), TableDataset::State::Insert);
    QCOMPARE(t.recNo(), 0);
    QCOMPARE(t.fetchedCount(), 2);
    QCOMPARE(t.shownText(0, column(t, "BFULSZAM")), QString());
    t.setEditText(column(t, "BFULSZAM"), QStringLiteral("999999"));
    t.setEditText(column(t, "BSZKELT"), QStringLiteral("2011.3.5"));
    t.post();
    // The database gave identifier and code; the row stands where it was inserted.
    QCOMPARE(t.recNo(), 0);
    QCOMPARE(t.fieldText(QStringLiteral("IDB")), QStringLiteral("2001"));
    QCOMPARE(t.fieldText(QStringLiteral("BKOD")), QStringLiteral("2001"));
    QCOMPARE(t.fieldText(QStringLiteral("BSZKELT")), QStringLiteral("2011.03.05"));
    // The cursor, still reading, meets the new row too: it is shown once.
    QCOMPARE(t.recordCount(), 2001);
    QSet<QString> ids;
    for (int r = 0; r < t.recordCount(); ++r)
        ids.insert(t.cellText(r, column(t, "IDB")));
    QCOMPARE(ids.size(), 2001);
    QCOMPARE(db.count(QStringLiteral("beszall")), 2001);
}

void TableEditingTest::deleteAndCancel()
{
    TestDatabase db;
    for (const char* tag : {"1", "2", "3"})
        fixture::arrival(db, QString::fromLatin1(tag));
    TableDataset& t = Data->IBTable1;
    t.setReadOnly(false);
    Data->reopenTables();
    const int tag = column(t, "BFULSZAM");
    t.next();
    t.deleteCurrent();
    QCOMPARE(t.recordCount(), 2);
    QCOMPARE(t.recNo(), 1);
    QCOMPARE(t.fieldText(QStringLiteral("BFULSZAM")), QStringLiteral("3"));
    QCOMPARE(db.count(QStringLiteral("beszall")), 2);  // committed at once

    // A cancelled change goes back to what is stored; a cancelled new row disappears.
    t.setEditText(tag, QStringLiteral("33"));
    t.cancel();
    QCOMPARE(t.shownText(1, tag), QStringLiteral("3"));
    t.insert();
    QCOMPARE(t.recordCount(), 3);
    t.setEditText(tag, QStringLiteral("new"));
    t.cancel();
    QCOMPARE(t.recordCount(), 2);
    QCOMPARE(t.fieldText(QStringLiteral("BFULSZAM")), QStringLiteral("3"));
    // Deleting an unsaved new row only drops it.
    t.insert();
    t.deleteCurrent();
    QCOMPARE(t.recordCount(), 2);
    QCOMPARE(db.count(QStringLiteral("beszall")), 2);

    // Refreshing reads what others committed and stays on the same row.
    fixture::arrival(db, QStringLiteral("4"));
    QCOMPARE(t.recNo(), 1);
    t.refresh();
    QCOMPARE(t.fieldText(QStringLiteral("BFULSZAM")), QStringLiteral("3"));
    QCOMPARE(t.recordCount(), 3);
}

void TableEditingTest::readOnlyTableOffersNoEditing()
{
    TestDatabase db;
    fixture::arrival(db, QStringLiteral("1"));
    Data->reopenTables();
    TableDataset& t = Data->IBTable10;
    QVERIFY(t.readOnly());
    QVERIFY(!t.canModify());
    QVERIFY_THROWS_EXCEPTION(fb::Error, Data->IBTable1.edit());
    QVERIFY_THROWS_EXCEPTION(fb::Error, Data->IBTable1.insert());
    QVERIFY_THROWS_EXCEPTION(fb::Error, Data->IBTable1.deleteCurrent());
    QVERIFY_THROWS_EXCEPTION(fb::Error, Data->IBTable1.setEditText(0, QStringLiteral("5")));
    QVERIFY(!Data->IBTable1.hasUnsavedRow());
    QCOMPARE(db.count(QStringLiteral("beszall")), 1);
}

void TableEditingTest::rowDeletedMeanwhileIsReportedNotIgnored()
{
    TestDatabase db;
    fixture::arrival(db, QStringLiteral("1"));
    TableDataset& t = Data->IBTable1;
    t.setReadOnly(false);
    Data->reopenTables();
    t.setEditText(column(t, "BFULSZAM"), QStringLiteral("2"));
    db.exec(QStringLiteral("DELETE FROM beszall"));
    QVERIFY_THROWS_EXCEPTION(fb::Error, t.post());
    QCOMPARE(t.state(), TableDataset::State::Edit);
    t.cancel();
    t.refresh();
    QCOMPARE(t.recordCount(), 0);
}

QTEST_MAIN(TableEditingTest)
#include "test_tableediting.moc"
