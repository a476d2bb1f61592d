#include "app/mainwindow.h"
#include "outgoing/completion.h"
#include "outgoing/outgoing_entry.h"
#include "outgoing/outgoing_list.h"
#include "outgoing_fixture.h"
#include "screens.h"
#include "testdb.h"
#include "ui/dbwidgets.h"
#include "ui/input.h"
#include "ui/platform.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using namespace fixture;

namespace {
// The list's own rows, which its grid and its three panels show.
Dataset& listRows(OutgoingListDialog& list) { return gridRows(&list, "departuresGrid"); }

QStringList listedEarTags(OutgoingListDialog& list)
{
    QStringList out;
    Dataset& q = listRows(list);
    if (!q.active())
        return out;
    const int col = q.fieldIndex(QStringLiteral("kfulszam"));
    for (int r = 0; r < q.recordCount(); ++r)
        out << q.cellText(r, col);
    return out;
}

QString panelText(QGroupBox* box, const QString& field)
{
    for (DBText* t : box->findChildren<DBText*>())
        if (t->property("field").toString() == field)
            return t->text();
    return QStringLiteral("<no such field>");
}

struct Registers {
    QString carrier;
    QString buyer;
    explicit Registers(TestDatabase& db)
    {
        carrier = db.addCarrier(QStringLiteral("ABC-123"), QStringLiteral("Kiss Fuvar"));
        buyer = db.addPartner(QStringLiteral("Vágóhíd Kft"));
    }
};

// Ear tags 1, 2 and 3 arrived and left, with a registered carrier and buyer.
void threeDispatchedAnimals(TestDatabase& db)
{
    Registers r(db);
    for (const char* tag : {"1", "2", "3"}) {
        arrival(db, QString::fromLatin1(tag));
        departure(db, QString::fromLatin1(tag), r.carrier, r.buyer);
    }
}
}  // namespace

class OutgoingListTest : public QObject {
    Q_OBJECT
private slots:
    void listsCompleteDispatchesOnly();
    void orderAndRepositioning();
    void rebuildsWhenShownAndReactivated();
    void pendingDeleteKeptByLaterCommit();
    void pendingDeleteUndoneByRollback();
    void pendingDeleteKeptWhenProgramCloses();
    void pendingDeleteSurvivesReloadOfListThatStartedTransaction();
    void deleteAndChangeOnEmptyListDoNothing();
    void failedDeleteReportedAndNothingRolledBack();
    void changeFromListReopensOnChangedRow();
    void menuOpensScreens();
    void longListLandsOnItsLastOrChangedRow_data();
    void longListLandsOnItsLastOrChangedRow();
    void eachActionRebuildsOnce();
};

void OutgoingListTest::listsCompleteDispatchesOnly()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Registers r(db);
    departure(db, QStringLiteral("1001"), r.carrier, r.buyer);
    departureWithoutCodes(db, QStringLiteral("1002"));               // marked for dispatch at arrival
    departure(db, QStringLiteral("1003"), r.carrier, QStringLiteral("999"));  // buyer that does not exist
    OutgoingListDialog list(db.session());
    list.rebuildList();
    QCOMPARE(listedEarTags(list), QStringList{QStringLiteral("1001")});
    QCOMPARE(panelText(child<QGroupBox>(&list, "carrierPanel"), QStringLiteral("snev")), QStringLiteral("Kiss Fuvar"));
    QCOMPARE(panelText(child<QGroupBox>(&list, "buyerPanel"), QStringLiteral("fnev")), QStringLiteral("Vágóhíd Kft"));
    QCOMPARE(panelText(child<QGroupBox>(&list, "earTagPanel"), QStringLiteral("kfulszam")), QStringLiteral("1001"));
    QCOMPARE(child<DBGrid>(&list, "departuresGrid")->titles().first(), QStringLiteral("Fülszám"));

    // Completing the row without codes brings it into the list.
    {
        OutgoingCompletionDialog completion(db.session());
        completion.show();
        choose(doubles, &db.session().carriers().list(), QStringLiteral("skod"), r.carrier);
        button(&completion, "chooseCarrierButton")->click();
        choose(doubles, &db.session().partners().list(), QStringLiteral("fkod"), r.buyer);
        button(&completion, "chooseBuyerButton")->click();
        edit(&completion, "certificateOutEdit")->setText(QStringLiteral("KI-5"));
        button(&completion, "completeButton")->click();
        QVERIFY(doubles.messages.isEmpty());
    }
    list.rebuildList();
    QCOMPARE(listedEarTags(list), QStringList({QStringLiteral("1001"), QStringLiteral("1002")}));
}

void OutgoingListTest::orderAndRepositioning()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Registers r(db);
    departure(db, QStringLiteral("30"), r.carrier, r.buyer, QStringLiteral("2011-03-02"));
    departure(db, QStringLiteral("20"), r.carrier, r.buyer, QStringLiteral("2011-03-01"));
    departure(db, QStringLiteral("10"), r.carrier, r.buyer, QStringLiteral("2011-03-02"));
    OutgoingListDialog list(db.session());
    list.rebuildList();
    QCOMPARE(listedEarTags(list), QStringList({"30", "20", "10"}));  // entry order
    QCOMPARE(listRows(list).fieldText(QStringLiteral("kfulszam")), QStringLiteral("10"));  // last row

    checkBox(&list, "byDateCheckBox")->click();
    QCOMPARE(listedEarTags(list), QStringList({"20", "10", "30"}));  // date, then ear tag
    QCOMPARE(listRows(list).fieldText(QStringLiteral("kfulszam")), QStringLiteral("30"));

    // A remembered dispatch wins over the last row, in either order.
    db.session().handOver().outgoingId = db.value(QStringLiteral("SELECT idk FROM kiszall WHERE kfulszam = '20'"));
    checkBox(&list, "byDateCheckBox")->click();
    QCOMPARE(listedEarTags(list), QStringList({"30", "20", "10"}));
    QCOMPARE(listRows(list).fieldText(QStringLiteral("kfulszam")), QStringLiteral("20"));
    checkBox(&list, "byDateCheckBox")->click();
    QCOMPARE(listRows(list).fieldText(QStringLiteral("kfulszam")), QStringLiteral("20"));
}

void OutgoingListTest::rebuildsWhenShownAndReactivated()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Registers r(db);
    departure(db, QStringLiteral("1001"), r.carrier, r.buyer);
    OutgoingListDialog list(db.session());
    showActive(&list);
    QTRY_COMPARE(listedEarTags(list), QStringList{QStringLiteral("1001")});
    // A commit elsewhere closes the list; coming back to the window rebuilds it.
    departure(db, QStringLiteral("1002"), r.carrier, r.buyer);
    db.session().transaction().commit();
    QVERIFY(!listRows(list).active());
    QWidget other;
    showActive(&other);
    showActive(&list);
    QTRY_COMPARE(listedEarTags(list), QStringList({QStringLiteral("1001"), QStringLiteral("1002")}));
    QCOMPARE(listRows(list).fieldText(QStringLiteral("kfulszam")), QStringLiteral("1002"));
}

namespace {
// Two dispatches of ear tag 500 (one of them without codes, so not listed) and one of 600; the
// list stands on 500 and "Töröl" is pressed.
void deleteEarTag500(TestDatabase& db, platform::TestDoubles& doubles, OutgoingListDialog& list)
{
    Registers r(db);
    departure(db, QStringLiteral("500"), r.carrier, r.buyer);
    departure(db, QStringLiteral("600"), r.carrier, r.buyer);
    departureWithoutCodes(db, QStringLiteral("500"));
    list.rebuildList();
    QVERIFY(listRows(list).locate(QStringLiteral("kfulszam"), QStringLiteral("500")));
    button(&list, "deleteButton")->click();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("A kiszállitás sor törlölve!")});
    // Gone at once from the program's own reads...
    QCOMPARE(listedEarTags(list), QStringList{QStringLiteral("600")});
    QVERIFY(db.session().transaction().inTransaction());
    // ...but not committed: another connection still sees both rows.
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE kfulszam = '500'")), QStringLiteral("2"));
}
}  // namespace

void OutgoingListTest::pendingDeleteKeptByLaterCommit()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    OutgoingListDialog list(db.session());
    deleteEarTag500(db, doubles, list);
    // The next save anywhere commits the shared transaction, and the deletion with it.
    arrival(db, QStringLiteral("700"));
    {
        OutgoingEntryDialog entry(db.session(), EntryMode::New);
        edit(&entry, "carrierCodeEdit")->setText(db.value(QStringLiteral("SELECT skod FROM szallito")));
        edit(&entry, "buyerCodeEdit")->setText(db.value(QStringLiteral("SELECT fkod FROM felado")));
        edit(&entry, "earTagEdit")->setText(QStringLiteral("700"));
        edit(&entry, "dispatchDateEdit")->setText(QStringLiteral("2011.03.20"));
        edit(&entry, "certificateInEdit")->setText(QStringLiteral("BE-1"));
        edit(&entry, "certificateOutEdit")->setText(QStringLiteral("KI-1"));
        button(&entry, "okButton")->click();
    }
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE kfulszam = '500'")), QStringLiteral("0"));
    QCOMPARE(db.count(QStringLiteral("kiszall")), 2);
    db.session().transaction().startTransaction();
    db.session().transaction().rollback();
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE kfulszam = '500'")), QStringLiteral("0"));
}

void OutgoingListTest::pendingDeleteUndoneByRollback()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    OutgoingListDialog list(db.session());
    deleteEarTag500(db, doubles, list);
    db.session().transaction().rollback();
    list.rebuildList();
    QCOMPARE(listedEarTags(list), QStringList({QStringLiteral("500"), QStringLiteral("600")}));
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE kfulszam = '500'")), QStringLiteral("2"));
}

void OutgoingListTest::pendingDeleteKeptWhenProgramCloses()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    {
        OutgoingListDialog list(db.session());
        deleteEarTag500(db, doubles, list);
    }
    MainWindow main(&db.session());
    main.shutDown();
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE kfulszam = '500'")), QStringLiteral("0"));
    QCOMPARE(db.count(QStringLiteral("kiszall")), 1);
}

void OutgoingListTest::pendingDeleteSurvivesReloadOfListThatStartedTransaction()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Registers r(db);
    departure(db, QStringLiteral("500"), r.carrier, r.buyer);
    departure(db, QStringLiteral("600"), r.carrier, r.buyer);
    // A save elsewhere ended the transaction; the list's own reload starts the next one, so closing
    // the list for the rebuild after "Töröl" is the moment a dataset-started transaction would end.
    db.session().transaction().commit();
    OutgoingListDialog list(db.session());
    list.rebuildList();
    QVERIFY(listRows(list).locate(QStringLiteral("kfulszam"), QStringLiteral("500")));
    button(&list, "deleteButton")->click();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("A kiszállitás sor törlölve!")});
    QCOMPARE(listedEarTags(list), QStringList{QStringLiteral("600")});
    checkBox(&list, "byDateCheckBox")->click();  // any further rebuild keeps it pending too
    QCOMPARE(listedEarTags(list), QStringList{QStringLiteral("600")});
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE kfulszam = '500'")), QStringLiteral("1"));
    db.session().transaction().rollback();
    list.rebuildList();
    QCOMPARE(listedEarTags(list), QStringList({QStringLiteral("500"), QStringLiteral("600")}));
}

void OutgoingListTest::deleteAndChangeOnEmptyListDoNothing()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    // A row with an empty ear tag must survive a "Töröl" on an empty list.
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam) VALUES ('')"));
    OutgoingListDialog list(db.session());
    list.rebuildList();
    QVERIFY(listRows(list).isEmpty());
    button(&list, "deleteButton")->click();
    QVERIFY(doubles.messages.isEmpty());
    button(&list, "changeButton")->click();  // nothing to change either
    QVERIFY(doubles.modalsShown.isEmpty());
    db.session().transaction().commit();
    QCOMPARE(db.count(QStringLiteral("kiszall")), 1);
}

void OutgoingListTest::failedDeleteReportedAndNothingRolledBack()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    OutgoingListDialog list(db.session());
    deleteEarTag500(db, doubles, list);  // pending
    doubles.messages.clear();
    QVERIFY(listRows(list).locate(QStringLiteral("kfulszam"), QStringLiteral("600")));
    {
        RowLock other(db, QStringLiteral("UPDATE kiszall SET khkat = 'más' WHERE kfulszam = '600'"));
        button(&list, "deleteButton")->click();
    }
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba101: Kiszállitás DELETE törlésekor")});
    // The earlier pending deletion is still pending, and the list was rebuilt.
    QVERIFY(db.session().transaction().inTransaction());
    QCOMPARE(listedEarTags(list), QStringList{QStringLiteral("600")});
    db.session().transaction().commit();
    QCOMPARE(db.rows(QStringLiteral("SELECT kfulszam FROM kiszall")), QList<QStringList>{{QStringLiteral("600")}});
}

void OutgoingListTest::changeFromListReopensOnChangedRow()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    threeDispatchedAnimals(db);
    OutgoingListDialog list(db.session());
    showActive(&list);
    QTRY_COMPARE(listRows(list).fieldText(QStringLiteral("kfulszam")), QStringLiteral("3"));
    listRows(list).first();
    QPointer<QDialog> shownEntry;
    doubles.modalHandlers << [&shownEntry](QDialog* d) {
        shownEntry = d;
        QCOMPARE(qobject_cast<OutgoingEntryDialog*>(d)->mode(), EntryMode::Change);
        QCOMPARE(edit(d, "earTagEdit")->text(), QStringLiteral("1"));
        edit(d, "certificateOutEdit")->setText(QStringLiteral("KI-CHANGED"));
        button(d, "okButton")->click();
        button(d, "cancelButton")->click();
    };
    button(&list, "changeButton")->click();
    QCOMPARE(doubles.modalsShown, QStringList{QStringLiteral("outgoingEntryDialog")});
    QVERIFY(doubles.messages.isEmpty());
    QVERIFY(!shownEntry);  // destroyed when it closed
    QCOMPARE(db.value(QStringLiteral("SELECT keubizki FROM kiszall WHERE kfulszam = '1'")), QStringLiteral("KI-CHANGED"));
    // The save's commit closed the list; the list, unblocked when the entry screen closes,
    // rebuilds itself.
    QVERIFY(!listRows(list).active());
    QTRY_VERIFY(listRows(list).active());
    QCOMPARE(listRows(list).fieldText(QStringLiteral("kfulszam")), QStringLiteral("1"));
}

void OutgoingListTest::menuOpensScreens()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    MainWindow main(&db.session());
    QList<QPointer<QDialog>> shown;
    doubles.modalHandlers << [&](QDialog* d) { shown << d; } << [&](QDialog* d) { shown << d; };
    child<QAction>(&main, "Mdosits1")->trigger();
    child<QAction>(&main, "Bekiszllits1")->trigger();
    QCOMPARE(doubles.modalsShown,
             QStringList({QStringLiteral("outgoingListDialog"), QStringLiteral("outgoingCompletionDialog")}));
    // Each screen was destroyed when it closed.
    QCOMPARE(shown.size(), 2);
    QVERIFY(!shown.at(0) && !shown.at(1));
}

void OutgoingListTest::longListLandsOnItsLastOrChangedRow_data()
{
    QTest::addColumn<bool>("byDate");
    QTest::addColumn<QString>("remembered");
    QTest::newRow("entry order, last row") << false << "";
    QTest::newRow("date order, last row") << true << "";
    QTest::newRow("entry order, changed row") << false << "250";
    QTest::newRow("date order, changed row") << true << "250";
    QTest::newRow("date order, changed row without a date") << true << "18";  // 17 % 11 == 6
    QTest::newRow("date order, gone") << true << "99999";
}

void OutgoingListTest::longListLandsOnItsLastOrChangedRow()
{
    QFETCH(bool, byDate);
    QFETCH(QString, remembered);
    TestDatabase db;
    platform::TestDoubles doubles;
    Registers r(db);
    // 500 departures over five days with ear tags repeating every forty, every 11th imported
    // without a date, every 19th without a buyer (not listed).
    db.exec(QStringLiteral("EXECUTE BLOCK AS DECLARE I INT = 0; BEGIN WHILE (I < 500) DO BEGIN "
                           "INSERT INTO kiszall (kskod, kfkod, kfulszam, kikelt) VALUES ('%1', "
                           "CASE WHEN MOD(:I, 19) = 2 THEN '' ELSE '%2' END, 2000 + MOD(:I * 7, 40), "
                           "CASE WHEN MOD(:I, 11) = 6 THEN NULL "
                           "ELSE DATEADD(MOD(:I, 5) DAY TO DATE '2011-03-01') END); "
                           "I = I + 1; END END")
                .arg(r.carrier, r.buyer));
    QStringList ids;
    for (const QStringList& row :
         db.rows(QStringLiteral("SELECT IDk FROM kiszall WHERE kfkod <> '' ORDER BY ") +
                 (byDate ? QStringLiteral("kikelt, kfulszam, IDk") : QStringLiteral("IDk"))))
        ids << row.first();
    OutgoingListDialog list(db.session());
    showActive(&list);
    QTRY_VERIFY(listRows(list).active());
    db.session().handOver().outgoingId = remembered;
    if (byDate)
        checkBox(&list, "byDateCheckBox")->click();
    else
        list.refresher()->trigger();
    const QString expected = ids.contains(remembered) ? remembered : ids.last();
    QCOMPARE(listRows(list).fieldText(QStringLiteral("IDk")), expected);
    QVERIFY(listRows(list).fetchedCount() < 300);
    QCOMPARE(panelText(child<QGroupBox>(&list, "earTagPanel"), QStringLiteral("IDk")), expected);
    auto* grid = child<DBGrid>(&list, "departuresGrid");
    QCOMPARE(grid->currentIndex().row(), listRows(list).recNo());
    // Every departure listed, in order, around it.
    QCOMPARE(listedEarTags(list).size(), ids.size());
    QStringList all;
    for (int row = 0; row < listRows(list).fetchedCount(); ++row)
        all << listRows(list).cellText(row, listRows(list).fieldIndex(QStringLiteral("IDk")));
    QCOMPARE(all, ids);
    QCOMPARE(listRows(list).fieldText(QStringLiteral("IDk")), expected);
}

void OutgoingListTest::eachActionRebuildsOnce()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    threeDispatchedAnimals(db);
    OutgoingListDialog list(db.session());
    showActive(&list);
    QTRY_VERIFY(listRows(list).active());
    QTest::qWait(30);
    int rebuilds = 0;
    QObject::connect(&listRows(list), &Dataset::opened, &list, [&] { ++rebuilds; });
    const auto settle = [] {
        QTest::qWait(50);
        QApplication::processEvents();
    };

    doubles.modalHandlers << [](QDialog* d) {
        edit(d, "certificateOutEdit")->setText(QStringLiteral("KI-CHANGED"));
        button(d, "okButton")->click();
        button(d, "cancelButton")->click();
    };
    button(&list, "changeButton")->click();  // "Módosít"
    settle();
    QCOMPARE(rebuilds, 1);
    QCOMPARE(listRows(list).fieldText(QStringLiteral("keubizki")), QStringLiteral("KI-CHANGED"));

    rebuilds = 0;
    button(&list, "newButton")->click();  // "Új", closed at once
    settle();
    QCOMPARE(rebuilds, 1);

    rebuilds = 0;
    checkBox(&list, "byDateCheckBox")->click();
    settle();
    QCOMPARE(rebuilds, 1);

    rebuilds = 0;
    button(&list, "deleteButton")->click();  // "Töröl"
    settle();
    QCOMPARE(rebuilds, 1);
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("A kiszállitás sor törlölve!")});
}

QTEST_MAIN(OutgoingListTest)
#include "test_outgoing_list.moc"
