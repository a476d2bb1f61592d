#include "app/mainwindow.h"
#include "storage/shared_datasets.h"
#include "core/handover.h"
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
QStringList listedEarTags()
{
    QStringList out;
    Dataset& q = Data->ZQ22;
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
    OutgoingListDialog list;
    list.rebuildList();
    QCOMPARE(listedEarTags(), QStringList{QStringLiteral("1001")});
    QCOMPARE(panelText(child<QGroupBox>(&list, "GroupBox2"), QStringLiteral("snev")), QStringLiteral("Kiss Fuvar"));
    QCOMPARE(panelText(child<QGroupBox>(&list, "GroupBox1"), QStringLiteral("fnev")), QStringLiteral("Vágóhíd Kft"));
    QCOMPARE(panelText(child<QGroupBox>(&list, "GroupBox3"), QStringLiteral("kfulszam")), QStringLiteral("1001"));
    QCOMPARE(child<DBGrid>(&list, "DBGrid1")->titles().first(), QStringLiteral("Fülszám"));

    // Completing the row without codes brings it into the list.
    {
        OutgoingCompletionDialog completion;
        completion.show();
        choose(doubles, &Data->ZQ30, QStringLiteral("skod"), r.carrier);
        button(&completion, "Button1")->click();
        choose(doubles, &Data->ZQ40, QStringLiteral("fkod"), r.buyer);
        button(&completion, "Button2")->click();
        edit(&completion, "Edit8")->setText(QStringLiteral("KI-5"));
        button(&completion, "Button5")->click();
        QVERIFY(doubles.messages.isEmpty());
    }
    list.rebuildList();
    QCOMPARE(listedEarTags(), QStringList({QStringLiteral("1001"), QStringLiteral("1002")}));
}

void OutgoingListTest::orderAndRepositioning()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Registers r(db);
    departure(db, QStringLiteral("30"), r.carrier, r.buyer, QStringLiteral("2011-03-02"));
    departure(db, QStringLiteral("20"), r.carrier, r.buyer, QStringLiteral("2011-03-01"));
    departure(db, QStringLiteral("10"), r.carrier, r.buyer, QStringLiteral("2011-03-02"));
    OutgoingListDialog list;
    list.rebuildList();
    QCOMPARE(listedEarTags(), QStringList({"30", "20", "10"}));  // entry order
    QCOMPARE(Data->ZQ22.fieldText(QStringLiteral("kfulszam")), QStringLiteral("10"));  // last row

    checkBox(&list, "CheckBox1")->click();
    QCOMPARE(listedEarTags(), QStringList({"20", "10", "30"}));  // date, then ear tag
    QCOMPARE(Data->ZQ22.fieldText(QStringLiteral("kfulszam")), QStringLiteral("30"));

    // A remembered dispatch wins over the last row, in either order.
    handOver().outgoingId = db.value(QStringLiteral("SELECT idk FROM kiszall WHERE kfulszam = '20'"));
    checkBox(&list, "CheckBox1")->click();
    QCOMPARE(listedEarTags(), QStringList({"30", "20", "10"}));
    QCOMPARE(Data->ZQ22.fieldText(QStringLiteral("kfulszam")), QStringLiteral("20"));
    checkBox(&list, "CheckBox1")->click();
    QCOMPARE(Data->ZQ22.fieldText(QStringLiteral("kfulszam")), QStringLiteral("20"));
}

void OutgoingListTest::rebuildsWhenShownAndReactivated()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Registers r(db);
    departure(db, QStringLiteral("1001"), r.carrier, r.buyer);
    OutgoingListDialog list;
    showActive(&list);
    QTRY_COMPARE(listedEarTags(), QStringList{QStringLiteral("1001")});
    // A commit elsewhere closes the list; coming back to the window rebuilds it.
    departure(db, QStringLiteral("1002"), r.carrier, r.buyer);
    Data->IBTrans1.commit();
    QVERIFY(!Data->ZQ22.active());
    QWidget other;
    showActive(&other);
    showActive(&list);
    QTRY_COMPARE(listedEarTags(), QStringList({QStringLiteral("1001"), QStringLiteral("1002")}));
    QCOMPARE(Data->ZQ22.fieldText(QStringLiteral("kfulszam")), QStringLiteral("1002"));
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
    QVERIFY(Data->ZQ22.locate(QStringLiteral("kfulszam"), QStringLiteral("500")));
    button(&list, "Button4")->click();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("A kiszállitás sor törlölve!")});
    // Gone at once from the program's own reads...
    QCOMPARE(listedEarTags(), QStringList{QStringLiteral("600")});
    QVERIFY(Data->IBTrans1.inTransaction());
    // ...but not committed: another connection still sees both rows.
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE kfulszam = '500'")), QStringLiteral("2"));
}
}  // namespace

void OutgoingListTest::pendingDeleteKeptByLaterCommit()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    OutgoingListDialog list;
    deleteEarTag500(db, doubles, list);
    // The next save anywhere commits the shared transaction, and the deletion with it.
    arrival(db, QStringLiteral("700"));
    {
        OutgoingEntryDialog entry(EntryMode::New);
        edit(&entry, "Edit2")->setText(db.value(QStringLiteral("SELECT skod FROM szallito")));
        edit(&entry, "Edit3")->setText(db.value(QStringLiteral("SELECT fkod FROM felado")));
        edit(&entry, "Edit4")->setText(QStringLiteral("700"));
        edit(&entry, "Edit5")->setText(QStringLiteral("2011.03.20"));
        edit(&entry, "Edit6")->setText(QStringLiteral("BE-1"));
        edit(&entry, "Edit8")->setText(QStringLiteral("KI-1"));
        button(&entry, "Button5")->click();
    }
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE kfulszam = '500'")), QStringLiteral("0"));
    QCOMPARE(db.count(QStringLiteral("kiszall")), 2);
    Data->IBTrans1.startTransaction();
    Data->IBTrans1.rollback();
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE kfulszam = '500'")), QStringLiteral("0"));
}

void OutgoingListTest::pendingDeleteUndoneByRollback()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    OutgoingListDialog list;
    deleteEarTag500(db, doubles, list);
    Data->IBTrans1.rollback();
    list.rebuildList();
    QCOMPARE(listedEarTags(), QStringList({QStringLiteral("500"), QStringLiteral("600")}));
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE kfulszam = '500'")), QStringLiteral("2"));
}

void OutgoingListTest::pendingDeleteKeptWhenProgramCloses()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    {
        OutgoingListDialog list;
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
    Data->IBTrans1.commit();
    OutgoingListDialog list;
    list.rebuildList();
    QVERIFY(Data->ZQ22.locate(QStringLiteral("kfulszam"), QStringLiteral("500")));
    button(&list, "Button4")->click();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("A kiszállitás sor törlölve!")});
    QCOMPARE(listedEarTags(), QStringList{QStringLiteral("600")});
    checkBox(&list, "CheckBox1")->click();  // any further rebuild keeps it pending too
    QCOMPARE(listedEarTags(), QStringList{QStringLiteral("600")});
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE kfulszam = '500'")), QStringLiteral("1"));
    Data->IBTrans1.rollback();
    list.rebuildList();
    QCOMPARE(listedEarTags(), QStringList({QStringLiteral("500"), QStringLiteral("600")}));
}

void OutgoingListTest::deleteAndChangeOnEmptyListDoNothing()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    // A row with an empty ear tag must survive a "Töröl" on an empty list.
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam) VALUES ('')"));
    OutgoingListDialog list;
    list.rebuildList();
    QVERIFY(Data->ZQ22.isEmpty());
    button(&list, "Button4")->click();
    QVERIFY(doubles.messages.isEmpty());
    button(&list, "Button3")->click();  // nothing to change either
    QVERIFY(doubles.modalsShown.isEmpty());
    Data->IBTrans1.commit();
    QCOMPARE(db.count(QStringLiteral("kiszall")), 1);
}

void OutgoingListTest::failedDeleteReportedAndNothingRolledBack()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    OutgoingListDialog list;
    deleteEarTag500(db, doubles, list);  // pending
    doubles.messages.clear();
    QVERIFY(Data->ZQ22.locate(QStringLiteral("kfulszam"), QStringLiteral("600")));
    {
        ForeignChange other(db, QStringLiteral("UPDATE kiszall SET khkat = 'más' WHERE kfulszam = '600'"));
        button(&list, "Button4")->click();
    }
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba101: Kiszállitás DELETE törlésekor")});
    // The earlier pending deletion is still pending, and the list was rebuilt.
    QVERIFY(Data->IBTrans1.inTransaction());
    QCOMPARE(listedEarTags(), QStringList{QStringLiteral("600")});
    Data->IBTrans1.commit();
    QCOMPARE(db.rows(QStringLiteral("SELECT kfulszam FROM kiszall")), QList<QStringList>{{QStringLiteral("600")}});
}

void OutgoingListTest::changeFromListReopensOnChangedRow()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    threeDispatchedAnimals(db);
    OutgoingListDialog list;
    showActive(&list);
    QTRY_COMPARE(Data->ZQ22.fieldText(QStringLiteral("kfulszam")), QStringLiteral("3"));
    Data->ZQ22.first();
    QPointer<QDialog> shownEntry;
    doubles.modalHandlers << [&shownEntry](QDialog* d) {
        shownEntry = d;
        QCOMPARE(qobject_cast<OutgoingEntryDialog*>(d)->mode(), EntryMode::Change);
        QCOMPARE(edit(d, "Edit4")->text(), QStringLiteral("1"));
        edit(d, "Edit8")->setText(QStringLiteral("KI-CHANGED"));
        button(d, "Button5")->click();
        button(d, "Button6")->click();
    };
    button(&list, "Button3")->click();
    QCOMPARE(doubles.modalsShown, QStringList{QStringLiteral("Form11")});
    QVERIFY(doubles.messages.isEmpty());
    QVERIFY(!shownEntry);  // destroyed when it closed
    QCOMPARE(db.value(QStringLiteral("SELECT keubizki FROM kiszall WHERE kfulszam = '1'")), QStringLiteral("KI-CHANGED"));
    // The save's commit closed the list; the list, unblocked when the entry screen closes,
    // rebuilds itself.
    QVERIFY(!Data->ZQ22.active());
    QTRY_VERIFY(Data->ZQ22.active());
    QCOMPARE(Data->ZQ22.fieldText(QStringLiteral("kfulszam")), QStringLiteral("1"));
}

void OutgoingListTest::menuOpensScreens()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    MainWindow main;
    QList<QPointer<QDialog>> shown;
    doubles.modalHandlers << [&](QDialog* d) { shown << d; } << [&](QDialog* d) { shown << d; };
    child<QAction>(&main, "Mdosits1")->trigger();
    child<QAction>(&main, "Bekiszllits1")->trigger();
    QCOMPARE(doubles.modalsShown, QStringList({QStringLiteral("Form10"), QStringLiteral("Form13")}));
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
    OutgoingListDialog list;
    showActive(&list);
    QTRY_VERIFY(Data->ZQ22.active());
    handOver().outgoingId = remembered;
    if (byDate)
        checkBox(&list, "CheckBox1")->click();
    else
        list.refresher()->trigger();
    const QString expected = ids.contains(remembered) ? remembered : ids.last();
    QCOMPARE(Data->ZQ22.fieldText(QStringLiteral("IDk")), expected);
    QVERIFY(Data->ZQ22.fetchedCount() < 300);
    QCOMPARE(panelText(child<QGroupBox>(&list, "GroupBox3"), QStringLiteral("IDk")), expected);
    auto* grid = child<DBGrid>(&list, "DBGrid1");
    QCOMPARE(grid->currentIndex().row(), Data->ZQ22.recNo());
    // Every departure listed, in order, around it.
    QCOMPARE(listedEarTags().size(), ids.size());
    QStringList all;
    for (int row = 0; row < Data->ZQ22.fetchedCount(); ++row)
        all << Data->ZQ22.cellText(row, Data->ZQ22.fieldIndex(QStringLiteral("IDk")));
    QCOMPARE(all, ids);
    QCOMPARE(Data->ZQ22.fieldText(QStringLiteral("IDk")), expected);
}

void OutgoingListTest::eachActionRebuildsOnce()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    threeDispatchedAnimals(db);
    OutgoingListDialog list;
    showActive(&list);
    QTRY_VERIFY(Data->ZQ22.active());
    QTest::qWait(30);
    int rebuilds = 0;
    QObject::connect(&Data->ZQ22, &Dataset::opened, &list, [&] { ++rebuilds; });
    const auto settle = [] {
        QTest::qWait(50);
        QApplication::processEvents();
    };

    doubles.modalHandlers << [](QDialog* d) {
        edit(d, "Edit8")->setText(QStringLiteral("KI-CHANGED"));
        button(d, "Button5")->click();
        button(d, "Button6")->click();
    };
    button(&list, "Button3")->click();  // "Módosít"
    settle();
    QCOMPARE(rebuilds, 1);
    QCOMPARE(Data->ZQ22.fieldText(QStringLiteral("keubizki")), QStringLiteral("KI-CHANGED"));

    rebuilds = 0;
    button(&list, "Button2")->click();  // "Új", closed at once
    settle();
    QCOMPARE(rebuilds, 1);

    rebuilds = 0;
    checkBox(&list, "CheckBox1")->click();
    settle();
    QCOMPARE(rebuilds, 1);

    rebuilds = 0;
    button(&list, "Button4")->click();  // "Töröl"
    settle();
    QCOMPARE(rebuilds, 1);
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("A kiszállitás sor törlölve!")});
}

QTEST_MAIN(OutgoingListTest)
#include "test_outgoing_list.moc"
