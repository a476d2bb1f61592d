#include "app/mainwindow.h"
#include "storage/shared_datasets.h"
#include "core/handover.h"
#include "incoming/incoming_entry.h"
#include "incoming/incoming_list.h"
#include "screens.h"
#include "storage/session.h"
#include "testdb.h"
#include "ui/dbwidgets.h"
#include "ui/input.h"
#include "ui/platform.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

struct Registers {
    QString carrierA, carrierB, senderA, senderB;
};

Registers addRegisters(TestDatabase& db)
{
    Registers r;
    r.carrierA = db.addCarrier(QStringLiteral("AAA-111"), QStringLiteral("Kiss Fuvar"), QStringLiteral("Szeged"),
                               QStringLiteral("JV-1"));
    r.carrierB = db.addCarrier(QStringLiteral("BBB-222"), QStringLiteral("Nagy Fuvar"));
    r.senderA = db.addPartner(QStringLiteral("Alfa Kft"), QStringLiteral("Eger"), QStringLiteral("TK-1"));
    r.senderB = db.addPartner(QStringLiteral("Béta Bt"));
    return r;
}

void insertArrival(TestDatabase& db, const QString& carrier, const QString& sender, const QString& tag,
                   const QString& date = QStringLiteral("2011-03-01"))
{
    db.exec(QStringLiteral("INSERT INTO beszall (bskod, bfkod, bfulszam, bszkelt, bvkelt, bhkat, beubiz) "
                           "VALUES ('%1', '%2', '%3', '%4', '%4', 'gyüjtés', 'EU-%3')")
                .arg(carrier, sender, tag, date));
}

// The list as the grid shows it: one column of every row, top to bottom.
QStringList listed(const QString& field)
{
    QStringList out;
    Dataset& q = Data->ZQ12;
    const int keep = q.recNo();
    for (int r = 0; q.moveTo(r); ++r)
        out << q.fieldText(field);
    q.moveTo(keep);
    return out;
}

QString current(const QString& field) { return Data->ZQ12.fieldText(field); }

// n arrivals on seven days, ear tags repeating every fifty; every 13th without a date and every
// 17th without an ear tag, as imported rows come.
void manyArrivals(TestDatabase& db, const Registers& r, int n)
{
    db.exec(QStringLiteral("EXECUTE BLOCK AS DECLARE I INT = 0; BEGIN WHILE (I < %1) DO BEGIN "
                           "INSERT INTO beszall (bskod, bfkod, bfulszam, bszkelt, bvkelt, bhkat, beubiz) VALUES ("
                           "'%2', '%3', CASE WHEN MOD(:I, 17) = 3 THEN NULL ELSE 1000 + MOD(:I * 37, 50) END, "
                           "CASE WHEN MOD(:I, 13) = 4 THEN NULL ELSE DATEADD(MOD(:I, 7) DAY TO DATE '2011-03-01') END, "
                           "DATE '2011-03-01', 'gyüjtés', 'EU'); I = I + 1; END END")
                .arg(n)
                .arg(r.carrierA, r.senderA));
}

// The arrivals' identifiers in the list's order, the way the database orders them.
QStringList idsInOrder(TestDatabase& db, const QString& order)
{
    QStringList out;
    for (const QStringList& row : db.rows(QStringLiteral("SELECT IDb FROM beszall ") + order))
        out << row.first();
    return out;
}

}  // namespace

class IncomingListTest : public QObject {
    Q_OBJECT
private slots:
    void menuOpensListOfRegisteredArrivals();
    void orderSwitchingAndRepositioning();
    void deleteRefusedForDepartedAnimal();
    void deleteRemovesEveryRowOfTheEarTag();
    void deleteOnEmptyListDoesNothing();
    void failedDeleteIsRolledBack();
    void newArrivalsAppearWhenEntryCloses();
    void changeThroughTheList();
    void longListLandsOnItsLastOrRememberedRow_data();
    void longListLandsOnItsLastOrRememberedRow();
    void eachActionRebuildsOnce();
    void deleteInALongListRemembersTheRowBefore();
};

void IncomingListTest::menuOpensListOfRegisteredArrivals()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const Registers r = addRegisters(db);
    insertArrival(db, r.carrierA, r.senderA, QStringLiteral("11"));
    insertArrival(db, QStringLiteral("999"), r.senderA, QStringLiteral("12"));  // carrier not registered
    insertArrival(db, r.carrierB, QStringLiteral("998"), QStringLiteral("13"));  // sender not registered
    insertArrival(db, r.carrierA, r.senderA, QStringLiteral("14"), QStringLiteral("2011-02-01"));
    MainWindow main(&db.session());
    bool ran = false;
    QPointer<QDialog> shownList;
    doubles.modalHandlers << [&](QDialog* d) {
        ran = true;
        QCOMPARE(d->objectName(), QStringLiteral("Form8"));
        shownList = d;
        QCOMPARE(d->windowTitle(), QStringLiteral("Beszállítás"));
        QTRY_VERIFY(Data->ZQ12.active() && Data->ZQ12.hasField(QStringLiteral("Bkod")));
        QVERIFY(child<QRadioButton>(d, "RadioButton2")->isChecked());
        QCOMPARE(child<DBGrid>(d, "DBGrid1")->titles(),
                 (QStringList{"Fülszám", "Beszállítás", "Feladó neve", "Szállító neve", "Vásárlás ",
                              "Hasznositási kat.", "Eü. biz. be", "Száll.kód", "Feladókód", "ID", "Kód", "Rendszám",
                              "Szállítócim", "Jóváhagy.száma", "Feladó cime", "Feladó teny.kód"}));
        QCOMPARE(listed(QStringLiteral("bfulszam")), (QStringList{"11", "14"}));
        // Ends on the last row; the panels show it.
        QCOMPARE(current(QStringLiteral("bfulszam")), QStringLiteral("14"));
        auto text = [d](const char* name) { return shown(d, name); };
        QCOMPARE(text("DBText1"), QStringLiteral("AAA-111"));
        QCOMPARE(text("DBText3"), QStringLiteral("Szeged"));
        QCOMPARE(text("DBText7"), QStringLiteral("Alfa Kft"));
        QCOMPARE(text("DBText9"), QStringLiteral("TK-1"));
        QCOMPARE(text("DBText14"), QStringLiteral("14"));
        QCOMPARE(text("DBText15"), QStringLiteral("2011.02.01"));
        QCOMPARE(text("DBText19"), QStringLiteral("4"));  // IDb
        QCOMPARE(text("DBText20"), r.carrierA);
        QCOMPARE(QApplication::focusWidget(), child<DBGrid>(d, "DBGrid1"));
        button(d, "Button5")->click();  // "Mégsem"
        QVERIFY(!d->isVisible());
    };
    child<QAction>(&main, "j1")->trigger();
    QVERIFY(ran);
    QCOMPARE(doubles.modalsShown, QStringList{QStringLiteral("Form8")});
    QVERIFY(!shownList);  // destroyed when it closed
}

void IncomingListTest::orderSwitchingAndRepositioning()
{
    TestDatabase db;
    const Registers r = addRegisters(db);
    insertArrival(db, r.carrierA, r.senderA, QStringLiteral("30"), QStringLiteral("2011-03-05"));  // 1
    insertArrival(db, r.carrierA, r.senderA, QStringLiteral("10"), QStringLiteral("2011-03-01"));  // 2
    insertArrival(db, r.carrierA, r.senderA, QStringLiteral("20"), QStringLiteral("2011-03-05"));  // 3
    insertArrival(db, r.carrierA, r.senderA, QStringLiteral("05"), QStringLiteral("2011-03-09"));  // 4
    IncomingListDialog list;
    list.rebuild();
    QCOMPARE(listed(QStringLiteral("bfulszam")), (QStringList{"30", "10", "20", "05"}));
    auto* byDate = child<QRadioButton>(&list, "RadioButton1");
    auto* inEntryOrder = child<QRadioButton>(&list, "RadioButton2");

    struct Step {
        QRadioButton* option;
        const char* remembered;
        QStringList order;
        const char* currentId;
    };
    const Step steps[] = {
        {byDate, "", {"10", "20", "30", "05"}, "4"},    // nothing remembered: last row
        {inEntryOrder, "3", {"30", "10", "20", "05"}, "3"},   // the remembered row
        {byDate, "3", {"10", "20", "30", "05"}, "3"},   // kept across the order change
        {byDate, "77", {"10", "20", "30", "05"}, "4"},  // gone: last row
        {inEntryOrder, "1", {"30", "10", "20", "05"}, "1"},
    };
    for (const Step& s : steps) {
        handOver().incomingId = QString::fromLatin1(s.remembered);
        Data->ZQ12.first();
        s.option->click();
        QVERIFY(s.option->isChecked());
        QCOMPARE(listed(QStringLiteral("bfulszam")), s.order);
        QCOMPARE(current(QStringLiteral("IDb")), QString::fromLatin1(s.currentId));
    }
}

void IncomingListTest::deleteRefusedForDepartedAnimal()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const Registers r = addRegisters(db);
    insertArrival(db, r.carrierA, r.senderA, QStringLiteral("40"));
    insertArrival(db, r.carrierA, r.senderA, QStringLiteral("41"));
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam) VALUES ('40')"));
    IncomingListDialog list;
    list.rebuild();
    QVERIFY(Data->ZQ12.locate(QStringLiteral("bfulszam"), QStringLiteral("40")));
    list.deleteCurrentEarTag();
    QCOMPARE(doubles.messages.size(), 1);
    QCOMPARE(doubles.messages.first().kind, platform::BoxKind::ConfirmYes);
    QCOMPARE(doubles.messages.first().text, QStringLiteral("Kiszállitásban szerepel a fülszám!"));
    QCOMPARE(db.count(QStringLiteral("beszall")), 2);
    QCOMPARE(handOver().incomingId, QString());
    // Rebuilt all the same: back on the last row.
    QCOMPARE(current(QStringLiteral("bfulszam")), QStringLiteral("41"));
}

void IncomingListTest::deleteRemovesEveryRowOfTheEarTag()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const Registers r = addRegisters(db);
    for (const char* tag : {"1", "2", "3", "2", "5"})
        insertArrival(db, r.carrierA, r.senderA, QString::fromLatin1(tag));
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam) VALUES ('3')"));
    IncomingListDialog list;
    list.rebuild();
    QVERIFY(Data->ZQ12.locate(QStringLiteral("IDb"), QStringLiteral("4")));
    list.deleteCurrentEarTag();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("A beszállitás sor törölve!")});
    QCOMPARE(doubles.messages.first().kind, platform::BoxKind::Plain);
    QCOMPARE(db.rows(QStringLiteral("SELECT idb FROM beszall ORDER BY idb")), (QList<QStringList>{{"1"}, {"3"}, {"5"}}));
    // The list ends on the arrival entered before the first one with that ear tag.
    QCOMPARE(handOver().incomingId, QStringLiteral("1"));
    QCOMPARE(current(QStringLiteral("IDb")), QStringLiteral("1"));
    QCOMPARE(listed(QStringLiteral("bfulszam")), (QStringList{"1", "3", "5"}));

    // The first arrival has none before it: it remembers itself, which is gone, so the last row.
    list.deleteCurrentEarTag();
    QCOMPARE(db.rows(QStringLiteral("SELECT idb FROM beszall ORDER BY idb")), (QList<QStringList>{{"3"}, {"5"}}));
    QCOMPARE(handOver().incomingId, QStringLiteral("1"));
    QCOMPARE(current(QStringLiteral("IDb")), QStringLiteral("5"));
}

void IncomingListTest::deleteOnEmptyListDoesNothing()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const Registers r = addRegisters(db);
    // An arrival with an empty ear tag that the list does not show (its carrier is unknown).
    db.exec(QStringLiteral("INSERT INTO beszall (bskod, bfkod, bfulszam) VALUES ('999', '%1', '')").arg(r.senderA));
    IncomingListDialog list;
    list.rebuild();
    QVERIFY(Data->ZQ12.isEmpty());
    list.deleteCurrentEarTag();
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(db.count(QStringLiteral("beszall")), 1);
    // Nor is there anything to change.
    list.changeCurrentArrival();
    QVERIFY(doubles.modalsShown.isEmpty());
    QVERIFY(doubles.messages.isEmpty());
}

void IncomingListTest::failedDeleteIsRolledBack()
{
    TestDatabase db(false);
    db.exec(QStringLiteral("CREATE EXCEPTION KEEP_ARRIVALS 'arrivals are kept'"));
    db.exec(QStringLiteral("CREATE TRIGGER BESZALL_KEEP FOR BESZALL BEFORE DELETE AS "
                           "BEGIN IF (OLD.BFULSZAM = '62') THEN EXCEPTION KEEP_ARRIVALS; END"));
    const Registers r = addRegisters(db);
    for (const char* tag : {"61", "62", "62"})
        insertArrival(db, r.carrierA, r.senderA, QString::fromLatin1(tag));
    db.openSession();
    platform::TestDoubles doubles;
    IncomingListDialog list;
    list.rebuild();
    list.deleteCurrentEarTag();  // the last row: ear tag 62
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba81: Beszállitás DELETE törlésekor")});
    QCOMPARE(db.count(QStringLiteral("beszall")), 3);
    // The rollback closed the list; the rebuild opened it again.
    QVERIFY(Data->ZQ12.active());
    QCOMPARE(listed(QStringLiteral("bfulszam")), (QStringList{"61", "62", "62"}));
    QCOMPARE(current(QStringLiteral("IDb")), QStringLiteral("1"));  // remembered before the failure
}

void IncomingListTest::newArrivalsAppearWhenEntryCloses()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const Registers r = addRegisters(db);
    insertArrival(db, r.carrierA, r.senderA, QStringLiteral("70"));
    IncomingListDialog list;
    list.show();
    QVERIFY(QTest::qWaitForWindowActive(&list));
    QTRY_VERIFY(Data->ZQ12.active() && Data->ZQ12.hasField(QStringLiteral("Bkod")));
    doubles.modalHandlers << [&](QDialog* d) {
        QCOMPARE(d->objectName(), QStringLiteral("Form9"));
        auto* f = qobject_cast<IncomingEntryDialog*>(d);
        QCOMPARE(f->mode(), EntryMode::New);
        QCOMPARE(f->windowTitle(), QStringLiteral("Fülszám bevitel (beszállítás)"));
        button(f, "Button1")->click();  // carrier picker
        button(f, "Button2")->click();  // sender picker
        QCOMPARE(edit(f, "Edit2")->text(), r.carrierB);
        QCOMPARE(edit(f, "Edit3")->text(), r.senderB);
        edit(f, "Edit5")->setText(QStringLiteral("2011.06.01"));
        edit(f, "Edit6")->setText(QStringLiteral("2011.06.01"));
        edit(f, "Edit4")->setText(QStringLiteral("71"));
        edit(f, "Edit8")->setText(QStringLiteral("EU-6"));
        button(f, "Button5")->click();
        button(f, "Button3")->click();
        button(f, "Button5")->click();
        QVERIFY(doubles.messages.isEmpty());
        // The commits closed the list behind the entry screen.
        QVERIFY(!Data->ZQ12.active());
        button(f, "Button6")->click();
    };
    doubles.modalHandlers << [&](QDialog*) { QVERIFY(Data->ZQ30.locate(QStringLiteral("skod"), r.carrierB)); };
    doubles.modalHandlers << [&](QDialog*) { QVERIFY(Data->ZQ40.locate(QStringLiteral("fkod"), r.senderB)); };
    button(&list, "Button2")->click();
    QCOMPARE(doubles.modalsShown, (QStringList{"Form9", "carrierListDialog", "partnerListDialog"}));
    // No explicit rebuild: the list window, unblocked when the modal entry screen closes,
    // rebuilds itself.
    QTRY_VERIFY(Data->ZQ12.active());
    QCOMPARE(listed(QStringLiteral("bfulszam")), (QStringList{"70", "71", "72"}));
    QCOMPARE(current(QStringLiteral("bfulszam")), QStringLiteral("72"));
    QCOMPARE(current(QStringLiteral("snev")), QStringLiteral("Nagy Fuvar"));
}

void IncomingListTest::changeThroughTheList()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const Registers r = addRegisters(db);
    for (const char* tag : {"80", "81", "82"})
        insertArrival(db, r.carrierA, r.senderA, QString::fromLatin1(tag));
    IncomingListDialog list;
    list.rebuild();
    QVERIFY(Data->ZQ12.locate(QStringLiteral("bfulszam"), QStringLiteral("81")));
    QPointer<QDialog> entry;
    doubles.modalHandlers << [&](QDialog* d) {
        auto* f = qobject_cast<IncomingEntryDialog*>(d);
        QCOMPARE(f->mode(), EntryMode::Change);
        entry = f;
        QCOMPARE(f->windowTitle(), QStringLiteral("Fülszám módositás"));
        QCOMPARE(edit(f, "Edit4")->text(), QStringLiteral("81"));
        edit(f, "Edit4")->setText(QStringLiteral("810"));
        button(f, "Button5")->click();
    };
    button(&list, "Button3")->click();
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(db.value(QStringLiteral("SELECT bfulszam FROM beszall WHERE idb = 2")), QStringLiteral("810"));
    // Rebuilt at once and standing on the changed arrival.
    QVERIFY(Data->ZQ12.active());
    QCOMPARE(handOver().incomingId, QStringLiteral("2"));
    QCOMPARE(current(QStringLiteral("bfulszam")), QStringLiteral("810"));
    QVERIFY(!entry);  // destroyed when it closed
}

void IncomingListTest::longListLandsOnItsLastOrRememberedRow_data()
{
    QTest::addColumn<bool>("byDate");
    QTest::addColumn<QString>("remembered");
    QTest::addColumn<QString>("order");
    const QString byDate = QStringLiteral("ORDER BY bszkelt, bfulszam, IDb");
    const QString inEntryOrder = QStringLiteral("ORDER BY IDb");
    QTest::newRow("entry order, last row") << false << "" << inEntryOrder;
    QTest::newRow("date order, last row") << true << "" << byDate;
    QTest::newRow("entry order, changed row") << false << "321" << inEntryOrder;
    QTest::newRow("date order, changed row") << true << "321" << byDate;
    QTest::newRow("date order, changed row without a date") << true << "161" << byDate;   // 160 % 13 == 4
    QTest::newRow("date order, changed row without an ear tag") << true << "4" << byDate;  // 3 % 17 == 3
    QTest::newRow("date order, first row") << true << "firstByDate" << byDate;
    QTest::newRow("entry order, removed row") << false << "99999" << inEntryOrder;
}

void IncomingListTest::longListLandsOnItsLastOrRememberedRow()
{
    QFETCH(bool, byDate);
    QFETCH(QString, remembered);
    QFETCH(QString, order);
    TestDatabase db;
    const Registers r = addRegisters(db);
    manyArrivals(db, r, 600);
    const QStringList ids = idsInOrder(db, order);
    if (remembered == QStringLiteral("firstByDate"))
        remembered = ids.first();
    IncomingListDialog list;
    list.resize(920, 660);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QTRY_VERIFY(Data->ZQ12.active() && Data->ZQ12.hasField(QStringLiteral("Bkod")));
    handOver().incomingId = remembered;
    child<QRadioButton>(&list, byDate ? "RadioButton1" : "RadioButton2")->click();
    const QString expected = ids.contains(remembered) ? remembered : ids.last();
    QCOMPARE(current(QStringLiteral("IDb")), expected);
    // Only the rows around it were read, and they are the list's rows there.
    Dataset& q = Data->ZQ12;
    QVERIFY(q.fetchedCount() < 300);
    const int at = static_cast<int>(ids.indexOf(expected));
    QCOMPARE(q.startsAtTop(), at == q.recNo());
    QStringList around;
    for (int row = 0; row < q.fetchedCount(); ++row)
        around << q.cellText(row, q.fieldIndex(QStringLiteral("IDb")));
    QCOMPARE(around, ids.mid(at - q.recNo(), around.size()));
    // The grid and the panels show that row.
    auto* grid = child<DBGrid>(&list, "DBGrid1");
    QCOMPARE(grid->currentIndex().row(), q.recNo());
    QApplication::processEvents();
    QVERIFY(grid->visualRect(grid->currentIndex()).intersects(grid->viewport()->rect()));
    QCOMPARE(shown(&list, "DBText19"), expected);
    // The whole list, read from there up and down, is the list.
    QCOMPARE(q.recordCount(), ids.size());
    QCOMPARE(listed(QStringLiteral("IDb")), ids);
    QCOMPARE(current(QStringLiteral("IDb")), expected);
}

void IncomingListTest::eachActionRebuildsOnce()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const Registers r = addRegisters(db);
    for (const char* tag : {"90", "91", "92"})
        insertArrival(db, r.carrierA, r.senderA, QString::fromLatin1(tag));
    IncomingListDialog list;
    list.show();
    QVERIFY(QTest::qWaitForWindowActive(&list));
    QTRY_VERIFY(Data->ZQ12.active() && Data->ZQ12.hasField(QStringLiteral("Bkod")));
    QTest::qWait(30);
    int rebuilds = 0;
    QObject::connect(&Data->ZQ12, &Dataset::opened, &list, [&] { ++rebuilds; });
    const auto settle = [] {
        QTest::qWait(50);
        QApplication::processEvents();
    };

    // "Módosít": the entry screen is shown over the list and saves a change.
    doubles.modalHandlers << [](QDialog* d) {
        edit(d, "Edit8")->setText(QStringLiteral("EU-CHANGED"));
        button(d, "Button5")->click();
        button(d, "Button6")->click();
    };
    button(&list, "Button3")->click();
    settle();
    QCOMPARE(rebuilds, 1);
    QCOMPARE(current(QStringLiteral("beubiz")), QStringLiteral("EU-CHANGED"));

    // "Új": the entry screen is shown and closed.
    rebuilds = 0;
    button(&list, "Button2")->click();
    settle();
    QCOMPARE(rebuilds, 1);

    // The order options.
    rebuilds = 0;
    child<QRadioButton>(&list, "RadioButton1")->click();
    settle();
    QCOMPARE(rebuilds, 1);

    // "Töröl".
    rebuilds = 0;
    QVERIFY(Data->ZQ12.locate(QStringLiteral("bfulszam"), QStringLiteral("91")));
    button(&list, "Button4")->click();
    settle();
    QCOMPARE(rebuilds, 1);
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("A beszállitás sor törölve!")});
    QCOMPARE(listed(QStringLiteral("bfulszam")), (QStringList{"90", "92"}));
}

void IncomingListTest::deleteInALongListRemembersTheRowBefore()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const Registers r = addRegisters(db);
    manyArrivals(db, r, 600);
    // Ear tag 1000 + (i * 37 mod 50): tag 1037 first stands on i = 1 (IDb 2), then every 50th.
    db.exec(QStringLiteral("DELETE FROM beszall WHERE IDb = 2"));
    const QString tag = QStringLiteral("1037");
    const QString first = db.value(QStringLiteral("SELECT MIN(IDb) FROM beszall WHERE bfulszam = '1037'"));
    const QString before = db.value(QStringLiteral("SELECT MAX(IDb) FROM beszall WHERE IDb < %1").arg(first));
    QVERIFY(!before.isEmpty());
    IncomingListDialog list;
    list.rebuild();
    QVERIFY(Data->ZQ12.locate(QStringLiteral("IDb"), db.value(QStringLiteral(
                                                           "SELECT MAX(IDb) FROM beszall WHERE bfulszam = '1037'"))));
    list.deleteCurrentEarTag();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("A beszállitás sor törölve!")});
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM beszall WHERE bfulszam = '%1'").arg(tag)),
             QStringLiteral("0"));
    QCOMPARE(handOver().incomingId, before);
    QCOMPARE(current(QStringLiteral("IDb")), before);

    // An arrival without an ear tag: the missing and the blank ones are the same ear tag here.
    doubles.messages.clear();
    db.exec(QStringLiteral("UPDATE beszall SET bfulszam = '' WHERE IDb = 100"));
    const QString firstWithout = db.value(QStringLiteral("SELECT MIN(IDb) FROM beszall WHERE bfulszam IS NULL"));
    QVERIFY(firstWithout.toInt() < 100);
    const QString beforeWithout =
        db.value(QStringLiteral("SELECT MAX(IDb) FROM beszall WHERE IDb < %1").arg(firstWithout));
    Data->IBTrans1.commit();
    list.rebuild();
    QVERIFY(Data->ZQ12.locate(QStringLiteral("IDb"), QStringLiteral("100")));
    list.deleteCurrentEarTag();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("A beszállitás sor törölve!")});
    QCOMPARE(handOver().incomingId, beforeWithout);
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM beszall WHERE IDb = 100")), QStringLiteral("0"));
}

QTEST_MAIN(IncomingListTest)
#include "test_incoming_list.moc"
