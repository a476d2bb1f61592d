#include "app/mainwindow.h"
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
QStringList listed(IncomingListDialog& list, const QString& field)
{
    QStringList out;
    Dataset& q = list.listRows();
    const int keep = q.recNo();
    for (int r = 0; q.moveTo(r); ++r)
        out << q.fieldText(field);
    q.moveTo(keep);
    return out;
}

// A field of the current arrival, as the list's panels show it.
QString current(const QWidget& list, const QString& field)
{
    return child<QLabel>(&list, qPrintable(fieldTextName(field)))->text();
}

// The list has been rebuilt: open on the statement that reads the codes the database gave.
bool rebuilt(IncomingListDialog& list)
{
    return list.listRows().active() && list.listRows().hasField(QStringLiteral("Bkod"));
}

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
    void ctrlEndAndCtrlHomeInALongList_data();
    void ctrlEndAndCtrlHomeInALongList();
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
        QCOMPARE(d->objectName(), QStringLiteral("incomingListDialog"));
        shownList = d;
        auto* list = qobject_cast<IncomingListDialog*>(d);
        QVERIFY(list);
        QCOMPARE(d->windowTitle(), QStringLiteral("Beszállítás"));
        QTRY_VERIFY(rebuilt(*list));
        QVERIFY(child<QRadioButton>(d, "inEntryOrderButton")->isChecked());
        QCOMPARE(child<DBGrid>(d, "arrivalsGrid")->titles(),
                 (QStringList{"Fülszám", "Beszállítás", "Feladó neve", "Szállító neve", "Vásárlás ",
                              "Hasznositási kat.", "Eü. biz. be", "Száll.kód", "Feladókód", "ID", "Kód", "Rendszám",
                              "Szállítócim", "Jóváhagy.száma", "Feladó cime", "Feladó teny.kód"}));
        QCOMPARE(listed(*list, QStringLiteral("bfulszam")), (QStringList{"11", "14"}));
        // Ends on the last row; the panels show it.
        QCOMPARE(list->listRows().fieldText(QStringLiteral("bfulszam")), QStringLiteral("14"));
        auto text = [d](const char* name) { return shown(d, name); };
        QCOMPARE(text("srendszamText"), QStringLiteral("AAA-111"));
        QCOMPARE(text("scimText"), QStringLiteral("Szeged"));
        QCOMPARE(text("fnevText"), QStringLiteral("Alfa Kft"));
        QCOMPARE(text("ftenykodText"), QStringLiteral("TK-1"));
        QCOMPARE(text("bfulszamText"), QStringLiteral("14"));
        QCOMPARE(text("bszkeltText"), QStringLiteral("2011.02.01"));
        QCOMPARE(text("idbText"), QStringLiteral("4"));  // IDb
        QCOMPARE(text("bskodText"), r.carrierA);
        QCOMPARE(QApplication::focusWidget(), child<DBGrid>(d, "arrivalsGrid"));
        button(d, "cancelButton")->click();  // "Mégsem"
        QVERIFY(!d->isVisible());
    };
    child<QAction>(&main, "j1")->trigger();
    QVERIFY(ran);
    QCOMPARE(doubles.modalsShown, QStringList{QStringLiteral("incomingListDialog")});
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
    IncomingListDialog list(db.session());
    list.rebuild();
    QCOMPARE(listed(list, QStringLiteral("bfulszam")), (QStringList{"30", "10", "20", "05"}));
    auto* byDate = child<QRadioButton>(&list, "byDateAndEarTagButton");
    auto* inEntryOrder = child<QRadioButton>(&list, "inEntryOrderButton");

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
        db.session().handOver().incomingId = QString::fromLatin1(s.remembered);
        child<DBNavigator>(&list, "arrivalsNavigator")->button(DBNavigator::First)->click();
        s.option->click();
        QVERIFY(s.option->isChecked());
        QCOMPARE(listed(list, QStringLiteral("bfulszam")), s.order);
        QCOMPARE(current(list, QStringLiteral("IDb")), QString::fromLatin1(s.currentId));
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
    IncomingListDialog list(db.session());
    list.rebuild();
    QVERIFY(list.listRows().locate(QStringLiteral("bfulszam"), QStringLiteral("40")));
    list.deleteCurrentEarTag();
    QCOMPARE(doubles.messages.size(), 1);
    QCOMPARE(doubles.messages.first().kind, platform::BoxKind::ConfirmYes);
    QCOMPARE(doubles.messages.first().text, QStringLiteral("Kiszállitásban szerepel a fülszám!"));
    QCOMPARE(db.count(QStringLiteral("beszall")), 2);
    QCOMPARE(db.session().handOver().incomingId, QString());
    // Rebuilt all the same: back on the last row.
    QCOMPARE(current(list, QStringLiteral("bfulszam")), QStringLiteral("41"));
}

void IncomingListTest::deleteRemovesEveryRowOfTheEarTag()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const Registers r = addRegisters(db);
    for (const char* tag : {"1", "2", "3", "2", "5"})
        insertArrival(db, r.carrierA, r.senderA, QString::fromLatin1(tag));
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam) VALUES ('3')"));
    IncomingListDialog list(db.session());
    list.rebuild();
    QVERIFY(list.listRows().locate(QStringLiteral("IDb"), QStringLiteral("4")));
    list.deleteCurrentEarTag();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("A beszállitás sor törölve!")});
    QCOMPARE(doubles.messages.first().kind, platform::BoxKind::Plain);
    QCOMPARE(db.rows(QStringLiteral("SELECT idb FROM beszall ORDER BY idb")), (QList<QStringList>{{"1"}, {"3"}, {"5"}}));
    // The list ends on the arrival entered before the first one with that ear tag.
    QCOMPARE(db.session().handOver().incomingId, QStringLiteral("1"));
    QCOMPARE(current(list, QStringLiteral("IDb")), QStringLiteral("1"));
    QCOMPARE(listed(list, QStringLiteral("bfulszam")), (QStringList{"1", "3", "5"}));

    // The first arrival has none before it: it remembers itself, which is gone, so the last row.
    list.deleteCurrentEarTag();
    QCOMPARE(db.rows(QStringLiteral("SELECT idb FROM beszall ORDER BY idb")), (QList<QStringList>{{"3"}, {"5"}}));
    QCOMPARE(db.session().handOver().incomingId, QStringLiteral("1"));
    QCOMPARE(current(list, QStringLiteral("IDb")), QStringLiteral("5"));
}

void IncomingListTest::deleteOnEmptyListDoesNothing()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const Registers r = addRegisters(db);
    // An arrival with an empty ear tag that the list does not show (its carrier is unknown).
    db.exec(QStringLiteral("INSERT INTO beszall (bskod, bfkod, bfulszam) VALUES ('999', '%1', '')").arg(r.senderA));
    IncomingListDialog list(db.session());
    list.rebuild();
    QVERIFY(list.listRows().isEmpty());
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
    IncomingListDialog list(db.session());
    list.rebuild();
    list.deleteCurrentEarTag();  // the last row: ear tag 62
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba81: Beszállitás DELETE törlésekor")});
    QCOMPARE(db.count(QStringLiteral("beszall")), 3);
    // The rollback closed the list; the rebuild opened it again.
    QVERIFY(list.listRows().active());
    QCOMPARE(listed(list, QStringLiteral("bfulszam")), (QStringList{"61", "62", "62"}));
    QCOMPARE(current(list, QStringLiteral("IDb")), QStringLiteral("1"));  // remembered before the failure
}

void IncomingListTest::newArrivalsAppearWhenEntryCloses()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const Registers r = addRegisters(db);
    insertArrival(db, r.carrierA, r.senderA, QStringLiteral("70"));
    IncomingListDialog list(db.session());
    list.show();
    QVERIFY(QTest::qWaitForWindowActive(&list));
    QTRY_VERIFY(rebuilt(list));
    doubles.modalHandlers << [&](QDialog* d) {
        QCOMPARE(d->objectName(), QStringLiteral("incomingEntryDialog"));
        auto* f = qobject_cast<IncomingEntryDialog*>(d);
        QCOMPARE(f->mode(), EntryMode::New);
        QCOMPARE(f->windowTitle(), QStringLiteral("Fülszám bevitel (beszállítás)"));
        button(f, "chooseCarrierButton")->click();  // carrier picker
        button(f, "chooseSenderButton")->click();   // sender picker
        QCOMPARE(edit(f, "carrierCodeEdit")->text(), r.carrierB);
        QCOMPARE(edit(f, "senderCodeEdit")->text(), r.senderB);
        edit(f, "arrivalDateEdit")->setText(QStringLiteral("2011.06.01"));
        edit(f, "purchaseDateEdit")->setText(QStringLiteral("2011.06.01"));
        edit(f, "earTagEdit")->setText(QStringLiteral("71"));
        edit(f, "certificateEdit")->setText(QStringLiteral("EU-6"));
        button(f, "okButton")->click();
        button(f, "newButton")->click();
        button(f, "okButton")->click();
        QVERIFY(doubles.messages.isEmpty());
        // The commits closed the list behind the entry screen.
        QVERIFY(!list.listRows().active());
        button(f, "cancelButton")->click();
    };
    doubles.modalHandlers << [&](QDialog*) {
        QVERIFY(db.session().carriers().list().locate(QStringLiteral("skod"), r.carrierB));
    };
    doubles.modalHandlers << [&](QDialog*) {
        QVERIFY(db.session().partners().list().locate(QStringLiteral("fkod"), r.senderB));
    };
    button(&list, "newButton")->click();
    QCOMPARE(doubles.modalsShown, (QStringList{"incomingEntryDialog", "carrierListDialog", "partnerListDialog"}));
    // No explicit rebuild: the list window, unblocked when the modal entry screen closes,
    // rebuilds itself.
    QTRY_VERIFY(list.listRows().active());
    QCOMPARE(listed(list, QStringLiteral("bfulszam")), (QStringList{"70", "71", "72"}));
    QCOMPARE(current(list, QStringLiteral("bfulszam")), QStringLiteral("72"));
    QCOMPARE(current(list, QStringLiteral("snev")), QStringLiteral("Nagy Fuvar"));
}

void IncomingListTest::changeThroughTheList()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const Registers r = addRegisters(db);
    for (const char* tag : {"80", "81", "82"})
        insertArrival(db, r.carrierA, r.senderA, QString::fromLatin1(tag));
    IncomingListDialog list(db.session());
    list.rebuild();
    QVERIFY(list.listRows().locate(QStringLiteral("bfulszam"), QStringLiteral("81")));
    QPointer<QDialog> entry;
    doubles.modalHandlers << [&](QDialog* d) {
        auto* f = qobject_cast<IncomingEntryDialog*>(d);
        QCOMPARE(f->mode(), EntryMode::Change);
        entry = f;
        QCOMPARE(f->windowTitle(), QStringLiteral("Fülszám módositás"));
        QCOMPARE(edit(f, "earTagEdit")->text(), QStringLiteral("81"));
        edit(f, "earTagEdit")->setText(QStringLiteral("810"));
        button(f, "okButton")->click();
    };
    button(&list, "changeButton")->click();
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(db.value(QStringLiteral("SELECT bfulszam FROM beszall WHERE idb = 2")), QStringLiteral("810"));
    // Rebuilt at once and standing on the changed arrival.
    QVERIFY(list.listRows().active());
    QCOMPARE(db.session().handOver().incomingId, QStringLiteral("2"));
    QCOMPARE(current(list, QStringLiteral("bfulszam")), QStringLiteral("810"));
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
    IncomingListDialog list(db.session());
    list.resize(920, 660);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QTRY_VERIFY(rebuilt(list));
    db.session().handOver().incomingId = remembered;
    child<QRadioButton>(&list, byDate ? "byDateAndEarTagButton" : "inEntryOrderButton")->click();
    const QString expected = ids.contains(remembered) ? remembered : ids.last();
    QCOMPARE(current(list, QStringLiteral("IDb")), expected);
    // Only the rows around it were read, and they are the list's rows there.
    Dataset& q = list.listRows();
    QVERIFY(q.fetchedCount() < 300);
    const int at = static_cast<int>(ids.indexOf(expected));
    QCOMPARE(q.startsAtTop(), at == q.recNo());
    QStringList around;
    for (int row = 0; row < q.fetchedCount(); ++row)
        around << q.cellText(row, q.fieldIndex(QStringLiteral("IDb")));
    QCOMPARE(around, ids.mid(at - q.recNo(), around.size()));
    // The grid and the panels show that row.
    auto* grid = child<DBGrid>(&list, "arrivalsGrid");
    QCOMPARE(grid->currentIndex().row(), q.recNo());
    QApplication::processEvents();
    QVERIFY(grid->visualRect(grid->currentIndex()).intersects(grid->viewport()->rect()));
    QCOMPARE(q.fieldText(QStringLiteral("IDb")), expected);
    // The whole list, read from there up and down, is the list.
    QCOMPARE(q.recordCount(), ids.size());
    QCOMPARE(listed(list, QStringLiteral("IDb")), ids);
    QCOMPARE(current(list, QStringLiteral("IDb")), expected);
}

void IncomingListTest::ctrlEndAndCtrlHomeInALongList_data()
{
    QTest::addColumn<bool>("byDate");
    QTest::newRow("entry order") << false;
    QTest::newRow("date order") << true;
}

void IncomingListTest::ctrlEndAndCtrlHomeInALongList()
{
    QFETCH(bool, byDate);
    TestDatabase db;
    platform::TestDoubles doubles;
    const Registers r = addRegisters(db);
    manyArrivals(db, r, 3000);
    const QStringList ids = idsInOrder(db, byDate ? QStringLiteral("ORDER BY bszkelt, bfulszam, IDb")
                                                  : QStringLiteral("ORDER BY IDb"));
    IncomingListDialog list(db.session());
    list.resize(920, 660);
    list.show();
    QVERIFY(QTest::qWaitForWindowActive(&list));
    QTRY_VERIFY(rebuilt(list));
    child<QRadioButton>(&list, byDate ? "byDateAndEarTagButton" : "inEntryOrderButton")->click();
    auto* grid = child<DBGrid>(&list, "arrivalsGrid");
    const auto idShown = [grid] {
        const int idColumn = static_cast<int>(grid->titles().indexOf(QStringLiteral("ID")));
        return grid->model()->index(grid->currentIndex().row(), idColumn).data().toString();
    };
    grid->setFocus();
    QApplication::processEvents();
    // Ctrl+Home from the last row: the first row of the list in one press, in the same column.
    grid->setCurrentIndex(grid->model()->index(grid->currentIndex().row(), 3));
    QCOMPARE(current(list, QStringLiteral("IDb")), ids.last());
    QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
    QApplication::processEvents();
    QCOMPARE(current(list, QStringLiteral("IDb")), ids.first());
    QCOMPARE(idShown(), ids.first());
    QCOMPARE(grid->currentIndex().column(), 3);
    // Down a few rows, then Ctrl+End: the last row in one press, as "Utolsó" lands on it.
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(current(list, QStringLiteral("IDb")), ids.at(5));
    QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
    QApplication::processEvents();
    QCOMPARE(current(list, QStringLiteral("IDb")), ids.last());
    QCOMPARE(idShown(), ids.last());
    QCOMPARE(grid->currentIndex().column(), 3);
    QVERIFY(grid->visualRect(grid->currentIndex()).intersects(grid->viewport()->rect()));
    QVERIFY(list.listRows().fetchedCount() < 500);  // landing there read the tail, not the list
    // The panels follow.
    QCOMPARE(shown(&list, "idbText"), ids.last());
}

void IncomingListTest::eachActionRebuildsOnce()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const Registers r = addRegisters(db);
    for (const char* tag : {"90", "91", "92"})
        insertArrival(db, r.carrierA, r.senderA, QString::fromLatin1(tag));
    IncomingListDialog list(db.session());
    list.show();
    QVERIFY(QTest::qWaitForWindowActive(&list));
    QTRY_VERIFY(rebuilt(list));
    QTest::qWait(30);
    int rebuilds = 0;
    QObject::connect(&list.listRows(), &Dataset::opened, &list, [&] { ++rebuilds; });
    const auto settle = [] {
        QTest::qWait(50);
        QApplication::processEvents();
    };

    // "Módosít": the entry screen is shown over the list and saves a change.
    doubles.modalHandlers << [](QDialog* d) {
        edit(d, "certificateEdit")->setText(QStringLiteral("EU-CHANGED"));
        button(d, "okButton")->click();
        button(d, "cancelButton")->click();
    };
    button(&list, "changeButton")->click();
    settle();
    QCOMPARE(rebuilds, 1);
    QCOMPARE(current(list, QStringLiteral("beubiz")), QStringLiteral("EU-CHANGED"));

    // "Új": the entry screen is shown and closed.
    rebuilds = 0;
    button(&list, "newButton")->click();
    settle();
    QCOMPARE(rebuilds, 1);

    // The order options.
    rebuilds = 0;
    child<QRadioButton>(&list, "byDateAndEarTagButton")->click();
    settle();
    QCOMPARE(rebuilds, 1);

    // "Töröl".
    rebuilds = 0;
    QVERIFY(list.listRows().locate(QStringLiteral("bfulszam"), QStringLiteral("91")));
    button(&list, "deleteButton")->click();
    settle();
    QCOMPARE(rebuilds, 1);
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("A beszállitás sor törölve!")});
    QCOMPARE(listed(list, QStringLiteral("bfulszam")), (QStringList{"90", "92"}));
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
    IncomingListDialog list(db.session());
    list.rebuild();
    QVERIFY(list.listRows().locate(
        QStringLiteral("IDb"), db.value(QStringLiteral("SELECT MAX(IDb) FROM beszall WHERE bfulszam = '1037'"))));
    list.deleteCurrentEarTag();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("A beszállitás sor törölve!")});
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM beszall WHERE bfulszam = '%1'").arg(tag)),
             QStringLiteral("0"));
    QCOMPARE(db.session().handOver().incomingId, before);
    QCOMPARE(current(list, QStringLiteral("IDb")), before);

    // An arrival without an ear tag: the missing and the blank ones are the same ear tag here.
    doubles.messages.clear();
    db.exec(QStringLiteral("UPDATE beszall SET bfulszam = '' WHERE IDb = 100"));
    const QString firstWithout = db.value(QStringLiteral("SELECT MIN(IDb) FROM beszall WHERE bfulszam IS NULL"));
    QVERIFY(firstWithout.toInt() < 100);
    const QString beforeWithout =
        db.value(QStringLiteral("SELECT MAX(IDb) FROM beszall WHERE IDb < %1").arg(firstWithout));
    db.session().transaction().commit();
    list.rebuild();
    QVERIFY(list.listRows().locate(QStringLiteral("IDb"), QStringLiteral("100")));
    list.deleteCurrentEarTag();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("A beszállitás sor törölve!")});
    QCOMPARE(db.session().handOver().incomingId, beforeWithout);
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM beszall WHERE IDb = 100")), QStringLiteral("0"));
}

QTEST_MAIN(IncomingListTest)
#include "test_incoming_list.moc"
