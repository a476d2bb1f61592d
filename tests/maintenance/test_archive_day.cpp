#include "app/mainwindow.h"
#include "storage/shared_datasets.h"
#include "maintenance/archive_day.h"
#include "maintenance/day_transfer.h"
#include "storage/session.h"
#include "testdb.h"
#include "ui/dbwidgets.h"
#include "ui/platform.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <memory>

using maintenance::DayTransfer;
using maintenance::TransferDirection;

namespace {

const QString kDay = QStringLiteral("2011.03.10");

// Rows of a delivery table as comparable text, every data column the moves carry, sorted.
QStringList departures(TestDatabase& db, const QString& table, const QString& where = QString())
{
    QStringList out;
    for (const QStringList& r : db.rows(QStringLiteral("SELECT kfulszam, kikelt, kskod, kfkod, khkat, keubizbe, keubizki "
                                                       "FROM %1 %2 ORDER BY 1, 2, 3, 4, 5, 6, 7")
                                            .arg(table, where)))
        out << r.join(u'|');
    return out;
}

// Short forms for the table of cases: "ear tag date" and, for departures, "/" after the date when
// the row has neither carrier nor buyer code.
QStringList tagsAndDates(TestDatabase& db, const QString& sql)
{
    QStringList out;
    for (const QStringList& r : db.rows(sql))
        out << r.join(u' ').trimmed();
    return out;
}
QStringList departureKeys(TestDatabase& db, const QString& table)
{
    return tagsAndDates(db, QStringLiteral("SELECT kfulszam, kikelt, IIF(kskod = '' AND kfkod = '', '/', '') FROM %1 "
                                           "ORDER BY 1, 2, 3")
                                .arg(table));
}
QStringList arrivalKeys(TestDatabase& db, const QString& table)
{
    return tagsAndDates(db, QStringLiteral("SELECT bfulszam, bszkelt FROM %1 ORDER BY 1, 2").arg(table));
}

QString sqlDate(const QString& dotted) { return QString(dotted).replace(u'.', u'-'); }

void addArrival(TestDatabase& db, const QString& table, const QString& tag, const QString& date,
                const QString& carrier, const QString& sender, int n)
{
    db.exec(QStringLiteral("INSERT INTO %1 (bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod) "
                           "VALUES ('%2', '%3', '%3', 'gyüjtés', 'BE-%4', '%5', '%6')")
                .arg(table, tag, sqlDate(date))
                .arg(n)
                .arg(carrier, sender));
}

void addDeparture(TestDatabase& db, const QString& table, const QString& tag, const QString& date,
                  const QString& carrier, const QString& buyer, int n)
{
    db.exec(QStringLiteral("INSERT INTO %1 (kfulszam, kikelt, khkat, keubizbe, keubizki, kskod, kfkod) "
                           "VALUES ('%2', '%3', 'vágás', 'BE-%4', 'KI-%4', '%5', '%6')")
                .arg(table, tag, sqlDate(date))
                .arg(n)
                .arg(carrier, buyer));
}

// "100 2011.03.01" for an arrival, "100 2011.03.10" or "100 2011.03.10 /" (no codes) for a departure.
void addRows(TestDatabase& db, const QStringList& arrivalRows, const QStringList& departureRows, bool archived,
             const QString& carrier, const QString& partner)
{
    int n = 0;
    for (const QString& a : arrivalRows) {
        const QStringList p = a.split(u' ');
        addArrival(db, archived ? QStringLiteral("beszall0") : QStringLiteral("beszall"), p.at(0), p.at(1), carrier,
                   partner, ++n);
    }
    for (const QString& d : departureRows) {
        const QStringList p = d.split(u' ');
        const bool noCodes = p.size() > 2;
        addDeparture(db, archived ? QStringLiteral("kiszall0") : QStringLiteral("kiszall"), p.at(0), p.at(1),
                     noCodes ? QString() : carrier, noCodes ? QString() : partner, ++n);
    }
}

template <typename T>
T* child(QWidget* screen, const char* name)
{
    T* w = screen->findChild<T*>(QString::fromLatin1(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

// A click as the window system delivers it: the focus moves on the press, and what the move sets
// off (leaving the date field) runs before the release.
void click(QPushButton* button)
{
    QTest::mousePress(button, Qt::LeftButton);
    QApplication::processEvents();
    QTest::mouseRelease(button, Qt::LeftButton);
}

// Types the day, selects it and runs the move, through clicks as a user does.
void selectAndRun(DayTransferDialog& screen, const QString& day = kDay)
{
    child<QLineEdit>(&screen, "Edit1")->setText(day);
    click(child<QPushButton>(&screen, "Button1"));
    click(child<QPushButton>(&screen, "Button2"));
}

void showScreen(QWidget* w)
{
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
}

QString messageLine(QWidget* screen) { return child<QLabel>(screen, "Label2")->text(); }

// Raises an error at the row written or deleted by any of the moves, or at the commit of the
// transaction that wrote them, at which the counter FAULT_COUNT reaches FAULT_AT.N. The counter is
// a sequence, so a rollback does not take it back.
void injectFaults(TestDatabase& db)
{
    db.exec(QStringLiteral("CREATE EXCEPTION FAULT_INJECTED 'injected fault'"));
    db.exec(QStringLiteral("CREATE SEQUENCE FAULT_COUNT"));
    db.exec(QStringLiteral("CREATE TABLE FAULT_AT (N BIGINT)"));
    db.exec(QStringLiteral("INSERT INTO FAULT_AT (N) VALUES (0)"));
    const QList<QPair<QString, QString>> events = {
        {"fulszam", "DELETE"},  {"fulszam", "INSERT"},  {"kiszall0", "INSERT"}, {"beszall0", "INSERT"},
        {"kiszall", "DELETE"},  {"beszall", "DELETE"},  {"kiszall", "INSERT"},  {"beszall", "INSERT"},
        {"kiszall0", "DELETE"}, {"beszall0", "DELETE"},
    };
    int i = 0;
    for (const auto& [table, event] : events)
        db.exec(QStringLiteral("CREATE TRIGGER FAULT_%1 FOR %2 ACTIVE BEFORE %3 POSITION 10 AS "
                               "DECLARE R INTEGER; BEGIN R = RDB$SET_CONTEXT('USER_TRANSACTION', 'MOVE', '1'); "
                               "IF (GEN_ID(FAULT_COUNT, 1) = (SELECT N FROM FAULT_AT)) THEN EXCEPTION FAULT_INJECTED; END")
                    .arg(++i)
                    .arg(table, event));
    db.exec(QStringLiteral("CREATE TRIGGER FAULT_COMMIT ACTIVE ON TRANSACTION COMMIT AS BEGIN "
                           "IF (RDB$GET_CONTEXT('USER_TRANSACTION', 'MOVE') = '1') THEN "
                           "IF (GEN_ID(FAULT_COUNT, 1) = (SELECT N FROM FAULT_AT)) THEN EXCEPTION FAULT_INJECTED; END"));
}

// The n-th row operation from now on fails.
void failAt(TestDatabase& db, int n)
{
    db.exec(QStringLiteral("UPDATE FAULT_AT SET N = GEN_ID(FAULT_COUNT, 0) + %1").arg(n));
}

// Every statement on one table fails.
void failOn(TestDatabase& db, const QString& table, const QString& event)
{
    db.exec(QStringLiteral("CREATE EXCEPTION FAULT_INJECTED 'injected fault'"));
    db.exec(QStringLiteral("CREATE TRIGGER FAULT_1 FOR %1 ACTIVE BEFORE %2 POSITION 10 AS "
                           "BEGIN EXCEPTION FAULT_INJECTED; END")
                .arg(table, event));
}

struct Snapshot {
    QStringList liveOut, liveIn, archivedOut, archivedIn, workList;
    bool operator==(const Snapshot&) const = default;
};
Snapshot snapshot(TestDatabase& db)
{
    // One query: every connection of the test costs an attachment.
    const QString out = QStringLiteral("kfulszam, kikelt, kskod, kfkod, khkat, keubizbe, keubizki");
    const QString in = QStringLiteral("bfulszam, bszkelt, bvkelt, bskod, bfkod, bhkat, beubiz");
    Snapshot s;
    for (const QStringList& r : db.rows(QStringLiteral("SELECT 1, %1 FROM kiszall UNION ALL SELECT 2, %2 FROM beszall "
                                                       "UNION ALL SELECT 3, %1 FROM kiszall0 UNION ALL SELECT 4, %2 FROM beszall0 "
                                                       "UNION ALL SELECT 5, ufultol, NULL, NULL, NULL, NULL, NULL, NULL FROM fulszam "
                                                       "ORDER BY 1, 2, 3, 4, 5, 6, 7, 8")
                                            .arg(out, in))) {
        QStringList* lists[] = {&s.liveOut, &s.liveIn, &s.archivedOut, &s.archivedIn, &s.workList};
        *lists[r.first().toInt() - 1] << (r.first() == QLatin1String("5") ? r.at(1) : r.mid(1).join(u'|'));
    }
    return s;
}

}  // namespace

class ArchiveDayTest : public QObject {
    Q_OBJECT
private slots:
    void menuOpensTheScreens();
    void screensShowTheirTexts_data();
    void screensShowTheirTexts();
    void dateFieldRules_data();
    void dateFieldRules();
    void movesWhatTheDayTouches_data();
    void movesWhatTheDayTouches();
    void archiveThenWithdrawGivesBackTheSameRows();
    void withdrawnDayArchivedAgain();
    void failureAtEachStepLosesNothing_data();
    void failureAtEachStepLosesNothing();
    void failedRollbackGivesTheNextMessage_data();
    void failedRollbackGivesTheNextMessage();
    void runLocksTheScreen();
    void messageLineCountsRows_data();
    void messageLineCountsRows();
};

void ArchiveDayTest::menuOpensTheScreens()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    MainWindow mainWindow;
    mainWindow.findChild<QAction*>(QStringLiteral("Arhivbattel1"))->trigger();
    mainWindow.findChild<QAction*>(QStringLiteral("Visszavons1"))->trigger();
    QCOMPARE(doubles.modalsShown, (QStringList{"Form20", "Form21"}));
}

void ArchiveDayTest::screensShowTheirTexts_data()
{
    QTest::addColumn<int>("direction");
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("run");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("listLabel");
    QTest::addColumn<QString>("ninthTitle");
    QTest::newRow("archive") << int(TransferDirection::Archive) << "Form20" << "Archiválás" << "Arhiválás"
                             << "Üzenet: Arhiváláskor várja meg a \"vége\" üzenetet." << "Arhiválásra kerülö tételek:"
                             << "Jóváhagy.száma";
    QTest::newRow("withdraw") << int(TransferDirection::Withdraw) << "Form21" << "Arhiválás visszavonása"
                              << "Visszavonás" << "Üzenet: Visszavonáskor várja meg a \"vége\" üzenetet."
                              << "Visszavonásra kerülö tételek:" << "Jóváhagy. száma";
}

void ArchiveDayTest::screensShowTheirTexts()
{
    QFETCH(int, direction);
    QFETCH(QString, form);
    QFETCH(QString, caption);
    QFETCH(QString, run);
    QFETCH(QString, message);
    QFETCH(QString, listLabel);
    QFETCH(QString, ninthTitle);
    TestDatabase db;
    platform::TestDoubles doubles;
    auto screen = std::make_unique<DayTransferDialog>(nullptr, TransferDirection(direction));
    showScreen(screen.get());
    QCOMPARE(screen->objectName(), form);
    QCOMPARE(screen->windowTitle(), caption);
    QCOMPARE(child<QLabel>(screen.get(), "Label1")->text(), QStringLiteral("Kiszállítás dátuma: "));
    QCOMPARE(child<QLabel>(screen.get(), "Label1")->buddy(), child<QLineEdit>(screen.get(), "Edit1"));
    QCOMPARE(messageLine(screen.get()), message);
    QCOMPARE(child<QLabel>(screen.get(), "Label4")->text(), listLabel);
    QCOMPARE(child<QPushButton>(screen.get(), "Button2")->text(), run);
    QCOMPARE(child<QPushButton>(screen.get(), "Button1")->text(), QStringLiteral("Kiválaszt"));
    QCOMPARE(child<QPushButton>(screen.get(), "Button3")->text(), QStringLiteral("Mégsem"));
    const QStringList titles = child<DBGrid>(screen.get(), "DBGrid1")->titles();
    QCOMPARE(titles.size(), 17);
    QCOMPARE(titles.at(8), ninthTitle);
    QCOMPARE(titles.last(), QStringLiteral("ID"));
    QTest::mouseClick(child<QPushButton>(screen.get(), "Button3"), Qt::LeftButton);
    QVERIFY(!screen->isVisible());
}

void ArchiveDayTest::dateFieldRules_data()
{
    QTest::addColumn<int>("direction");
    QTest::newRow("archive") << int(TransferDirection::Archive);
    QTest::newRow("withdraw") << int(TransferDirection::Withdraw);
}

void ArchiveDayTest::dateFieldRules()
{
    QFETCH(int, direction);
    TestDatabase db;
    platform::TestDoubles doubles;
    auto screen = std::make_unique<DayTransferDialog>(nullptr, TransferDirection(direction));
    showScreen(screen.get());
    auto* date = child<QLineEdit>(screen.get(), "Edit1");
    auto* select = child<QPushButton>(screen.get(), "Button1");
    auto* run = child<QPushButton>(screen.get(), "Button2");
    QCOMPARE(date->text(), QStringLiteral("2011.03.15"));  // today
    QVERIFY(!run->isEnabled());

    // Only digits, "." and Backspace are typed; Enter does nothing at all.
    date->setFocus();
    date->clear();
    QTest::keyClicks(date, QStringLiteral("2011a.0-3. 10"));
    QCOMPARE(date->text(), QStringLiteral("2011.03.10"));
    QTest::keyClick(date, Qt::Key_Return);
    QApplication::processEvents();
    QCOMPARE(QApplication::focusWidget(), date);
    QVERIFY(doubles.messages.isEmpty());

    // An impossible day is refused and the field gets the focus back.
    date->setText(QStringLiteral("2011.02.30"));
    click(select);
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("A dátum formátuma nem megfelelő!")});
    QVERIFY(!run->isEnabled());
    QApplication::processEvents();
    QCOMPARE(QApplication::focusWidget(), date);

    // A good day enables the run; leaving the date field takes it back.
    date->setText(kDay);
    click(select);
    QVERIFY(run->isEnabled());
    QVERIFY(Data->ZQ22.active());
    date->setFocus(Qt::MouseFocusReason);
    select->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    QVERIFY(!run->isEnabled());
    QVERIFY(select->isEnabled());

    // So does typing in it: the run moves only the day whose list was shown.
    click(select);
    QVERIFY(run->isEnabled());
    date->setFocus();
    QTest::keyClick(date, Qt::Key_Backspace);
    QVERIFY(!run->isEnabled());
}

void ArchiveDayTest::movesWhatTheDayTouches_data()
{
    QTest::addColumn<QStringList>("liveArrivals");
    QTest::addColumn<QStringList>("liveDepartures");
    QTest::addColumn<QStringList>("arrivalsLeft");
    QTest::addColumn<QStringList>("departuresLeft");
    QTest::addColumn<QStringList>("arrivalsArchived");
    QTest::addColumn<QStringList>("departuresArchived");
    QTest::addColumn<int>("listed");  // rows the day's list shows before the run

    for (int batch : {1, 0}) {
        const auto name = [batch](const char* what) {
            return QStringLiteral("%1, %2").arg(QLatin1String(what), batch ? "one row a statement" : "default batches");
        };
        QTest::newRow(qPrintable(name("arrived twice")))
            << QStringList{"100 2011.03.01", "100 2011.03.05", "200 2011.03.01"} << QStringList{"100 2011.03.10"}
            << QStringList{"200 2011.03.01"} << QStringList{} << QStringList{"100 2011.03.01", "100 2011.03.05"}
            << QStringList{"100 2011.03.10"} << 1;
        QTest::newRow(qPrintable(name("departure on another day stays live")))
            << QStringList{"100 2011.03.01"} << QStringList{"100 2011.03.10", "100 2011.03.12"} << QStringList{}
            << QStringList{"100 2011.03.12"} << QStringList{"100 2011.03.01"} << QStringList{"100 2011.03.10"} << 1;
        QTest::newRow(qPrintable(name("no carrier and no buyer")))
            << QStringList{"300 2011.03.01"} << QStringList{"300 2011.03.10 /", "301 2011.03.10"} << QStringList{}
            << QStringList{} << QStringList{"300 2011.03.01"} << QStringList{"300 2011.03.10 /", "301 2011.03.10"}
            << 1;
        QTest::newRow(qPrintable(name("left twice on the day, arrived once")))
            << QStringList{"500 2011.03.01", "501 2011.03.02"} << QStringList{"500 2011.03.10", "500 2011.03.10", "501 2011.03.10"}
            << QStringList{} << QStringList{} << QStringList{"500 2011.03.01", "501 2011.03.02"}
            << QStringList{"500 2011.03.10", "500 2011.03.10", "501 2011.03.10"} << 3;
        QTest::newRow(qPrintable(name("no arrival")))
            << QStringList{"600 2011.03.01"} << QStringList{"400 2011.03.10"} << QStringList{"600 2011.03.01"}
            << QStringList{} << QStringList{} << QStringList{"400 2011.03.10"} << 1;
        QTest::newRow(qPrintable(name("nothing on the day")))
            << QStringList{"100 2011.03.01"} << QStringList{"100 2011.03.11"} << QStringList{"100 2011.03.01"}
            << QStringList{"100 2011.03.11"} << QStringList{} << QStringList{} << 0;
    }
}

void ArchiveDayTest::movesWhatTheDayTouches()
{
    QFETCH(QStringList, liveArrivals);
    QFETCH(QStringList, liveDepartures);
    QFETCH(QStringList, arrivalsLeft);
    QFETCH(QStringList, departuresLeft);
    QFETCH(QStringList, arrivalsArchived);
    QFETCH(QStringList, departuresArchived);
    QFETCH(int, listed);
    const int batch = QString::fromLatin1(QTest::currentDataTag()).endsWith("statement") ? 1 : 0;
    TestDatabase db;
    platform::TestDoubles doubles;
    const QString carrier = db.addCarrier(QStringLiteral("ABC-123"), QStringLiteral("Kiss Fuvar"));
    const QString partner = db.addPartner(QStringLiteral("Vágóhíd Kft"));
    addRows(db, liveArrivals, liveDepartures, false, carrier, partner);

    ArchiveDialog screen;
    screen.setBatchRows(batch);
    showScreen(&screen);
    child<QLineEdit>(&screen, "Edit1")->setText(kDay);
    click(child<QPushButton>(&screen, "Button1"));
    QCOMPARE(Data->ZQ22.recordCount(), listed);
    click(child<QPushButton>(&screen, "Button2"));

    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'\n')));
    QCOMPARE(arrivalKeys(db, QStringLiteral("beszall")), arrivalsLeft);
    QCOMPARE(departureKeys(db, QStringLiteral("kiszall")), departuresLeft);
    QCOMPARE(arrivalKeys(db, QStringLiteral("beszall0")), arrivalsArchived);
    QCOMPARE(departureKeys(db, QStringLiteral("kiszall0")), departuresArchived);
    QVERIFY(messageLine(&screen).startsWith(QStringLiteral("Vége. Arhiválás befejezödött.")));
    QVERIFY(Data->ZQ22.active());
    QVERIFY(Data->ZQ22.isEmpty());  // the day's list, reopened, is empty
    QVERIFY(!child<QPushButton>(&screen, "Button2")->isEnabled());
    // The work list keeps the day's ear tags.
    QStringList tags;
    for (const QString& d : departuresArchived)
        tags << d.section(u' ', 0, 0);
    QCOMPARE(tagsAndDates(db, QStringLiteral("SELECT ufultol FROM fulszam ORDER BY 1")), tags);
}

void ArchiveDayTest::archiveThenWithdrawGivesBackTheSameRows()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const QString carrier = db.addCarrier(QStringLiteral("ABC-123"), QStringLiteral("Kiss Fuvar"));
    const QString partner = db.addPartner(QStringLiteral("Vágóhíd Kft"));
    addRows(db, {"100 2011.03.01", "100 2011.03.05", "101 2011.03.01", "102 2011.03.02", "900 2011.03.02"},
            {"100 2011.03.10", "101 2011.03.10 /", "102 2011.03.11", "103 2011.03.10"}, false, carrier, partner);
    // An archived day before: stays as it is through both runs.
    addRows(db, {"700 2010.01.01"}, {"700 2010.02.01"}, true, carrier, partner);
    const Snapshot before = snapshot(db);
    const QString maxOut = db.value(QStringLiteral("SELECT MAX(idk) FROM kiszall"));
    const QString maxIn = db.value(QStringLiteral("SELECT MAX(idb) FROM beszall"));
    const QString dayOut = QStringLiteral("WHERE kikelt = '2011-03-10'");

    {
        ArchiveDialog screen;
        showScreen(&screen);
        selectAndRun(screen);
    }
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(departures(db, QStringLiteral("kiszall0"), dayOut), before.liveOut.filter(QStringLiteral("|2011.03.10|")));
    QCOMPARE(departureKeys(db, QStringLiteral("kiszall")), QStringList{"102 2011.03.11"});
    QCOMPARE(arrivalKeys(db, QStringLiteral("beszall")), (QStringList{"102 2011.03.02", "900 2011.03.02"}));

    ArchiveWithdrawalDialog screen;
    showScreen(&screen);
    child<QLineEdit>(&screen, "Edit1")->setText(kDay);
    click(child<QPushButton>(&screen, "Button1"));
    QCOMPARE(Data->ZQ22.recordCount(), 2);  // the archived day, without the row that has no codes
    click(child<QPushButton>(&screen, "Button2"));
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'\n')));
    QVERIFY(messageLine(&screen).startsWith(QStringLiteral("Vége. Visszarakás befejezödött.")));

    // Same values everywhere, new identifiers for the rows that went and came back.
    QCOMPARE(snapshot(db).liveOut, before.liveOut);
    QCOMPARE(snapshot(db).liveIn, before.liveIn);
    QCOMPARE(snapshot(db).archivedOut, before.archivedOut);
    QCOMPARE(snapshot(db).archivedIn, before.archivedIn);
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE idk > %1").arg(maxOut)), QStringLiteral("3"));
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM beszall WHERE idb > %1").arg(maxIn)), QStringLiteral("3"));
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(DISTINCT kkod) FROM kiszall")), QStringLiteral("4"));
    // The list shows the live rows just moved back (those with a registered carrier and buyer).
    QCOMPARE(Data->ZQ22.recordCount(), 2);
    QCOMPARE(Data->ZQ22.fieldText(QStringLiteral("kfulszam")), QStringLiteral("100"));
}

void ArchiveDayTest::withdrawnDayArchivedAgain()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const QString carrier = db.addCarrier(QStringLiteral("ABC-123"), QStringLiteral("Kiss Fuvar"));
    const QString partner = db.addPartner(QStringLiteral("Vágóhíd Kft"));
    addRows(db, {"100 2011.03.01", "100 2011.03.05", "101 2011.03.01"}, {"100 2011.03.10", "101 2011.03.10"}, false,
            carrier, partner);
    const Snapshot live = snapshot(db);
    Snapshot firstArchive;
    for (TransferDirection direction :
         {TransferDirection::Archive, TransferDirection::Withdraw, TransferDirection::Archive}) {
        auto screen = std::make_unique<DayTransferDialog>(nullptr, direction);
        screen->setBatchRows(1);
        showScreen(screen.get());
        selectAndRun(*screen);
        QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'\n')));
        if (firstArchive.archivedOut.isEmpty())
            firstArchive = snapshot(db);
    }
    // One copy of each row in the archive, none left live: as after the first archiving.
    const Snapshot now = snapshot(db);
    QCOMPARE(now, firstArchive);
    QVERIFY(now.liveOut.isEmpty());
    QVERIFY(now.liveIn.isEmpty());
    QCOMPARE(now.archivedOut, live.liveOut);
    QCOMPARE(now.archivedIn, live.liveIn);
}

void ArchiveDayTest::failureAtEachStepLosesNothing_data()
{
    QTest::addColumn<int>("direction");
    QTest::addColumn<QStringList>("numbered");  // the messages that must each be met once
    QTest::newRow("archive") << int(TransferDirection::Archive)
                             << QStringList{"Hiba201: Segédállomány fulszam-ban, INSERT! ",
                                            "Hiba203: Arhiválás kiszall-ban, INSERT-SELECT ! ",
                                            "Hiba205: Arhiválás beszall-ban, INSERT-SELECT ! ",
                                            "Hiba207: az insert közben a fulszam -ban!"};
    QTest::newRow("withdraw") << int(TransferDirection::Withdraw)
                              << QStringList{"Hiba211: Segédállomány fulszam-ban, INSERT! ",
                                             "Hiba213: Arhiválás kiszall-ban, INSERT-SELECT ! ",
                                             "Hiba215: Arhiválás beszall-ban, INSERT-SELECT ! ",
                                             "Hiba217: az insert közben a fulszam -ban!"};
}

// The n-th row operation of the run fails, for n = 1, 2, ... until a run gets through: every
// failure leaves every table as it was, with nothing pending in the program's transaction, and the
// user may simply try again.
void ArchiveDayTest::failureAtEachStepLosesNothing()
{
    QFETCH(int, direction);
    QFETCH(QStringList, numbered);
    const bool archive = TransferDirection(direction) == TransferDirection::Archive;
    TestDatabase db(false);
    const QString carrier = db.addCarrier(QStringLiteral("ABC-123"), QStringLiteral("Kiss Fuvar"));
    const QString partner = db.addPartner(QStringLiteral("Vágóhíd Kft"));
    addRows(db, {"100 2011.03.01", "100 2011.03.05", "101 2011.03.01", "102 2011.03.02", "900 2011.03.02"},
            {"100 2011.03.10", "101 2011.03.10 /", "102 2011.03.10", "103 2011.03.10", "900 2011.03.11"}, !archive,
            carrier, partner);
    addRows(db, {"800 2011.03.01"}, {"800 2011.03.10"}, archive, carrier, partner);  // the other side
    db.exec(QStringLiteral("INSERT INTO fulszam (ufultol) VALUES ('55')"));          // another screen's list
    db.exec(QStringLiteral("INSERT INTO fulszam (ufultol) VALUES ('56')"));
    const Snapshot before = snapshot(db);
    injectFaults(db);
    db.openSession();

    QStringList met;  // in the order of the runs
    for (int n = 1;; ++n) {
        QVERIFY2(n < 100, "the run never got through");
        platform::TestDoubles doubles;
        failAt(db, n);
        auto screen = std::make_unique<DayTransferDialog>(nullptr, TransferDirection(direction));
        screen->setBatchRows(2);
        showScreen(screen.get());
        selectAndRun(*screen);
        if (doubles.messages.isEmpty()) {
            // The run that met no fault: the day moved, every row once.
            const Snapshot after = snapshot(db);
            QCOMPARE(after.liveOut.size() + after.archivedOut.size(), before.liveOut.size() + before.archivedOut.size());
            QCOMPARE(after.liveIn.size() + after.archivedIn.size(), before.liveIn.size() + before.archivedIn.size());
            QCOMPARE((archive ? after.liveOut : after.archivedOut).size(), 1);
            QVERIFY(n > 20);
            break;
        }
        QCOMPARE(doubles.messages.size(), 1);
        const QString shown = doubles.messages.first().text;
        if (met.isEmpty() || met.last() != shown)
            met << shown;
        QCOMPARE(snapshot(db), before);
        QVERIFY(!Data->IBTrans1.inTransaction());  // rolled back: no deletion waits for a later commit
        QVERIFY(!Data->ZQ22.active());             // the list is not reopened
        QVERIFY(!child<QPushButton>(screen.get(), "Button2")->isEnabled());
        QVERIFY(!messageLine(screen.get()).startsWith(QStringLiteral("Vége")));
        // Nothing of the run is left for the next commit to make permanent.
        Data->IBTrans1.startTransaction();
        Data->IBTrans1.commit();
        QCOMPARE(snapshot(db), before);
    }
    // The failures met each step in turn, starting with the emptying of the work list, whose
    // failure shows the engine's own message.
    QCOMPARE(met.size(), numbered.size() + 1);
    QVERIFY2(met.first().contains(QStringLiteral("FAULT_INJECTED")), qPrintable(met.first()));
    QCOMPARE(met.mid(1), numbered);
}

void ArchiveDayTest::failedRollbackGivesTheNextMessage_data()
{
    QTest::addColumn<int>("direction");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("event");
    QTest::addColumn<QString>("failed");
    QTest::addColumn<QString>("guard");  // empty: the engine's own message follows
    const int archive = int(TransferDirection::Archive);
    const int withdraw = int(TransferDirection::Withdraw);
    QTest::newRow("archive: work list") << archive << "fulszam" << "INSERT"
                                        << "Hiba201: Segédállomány fulszam-ban, INSERT! "
                                        << "Hiba202: az insert közben a fulszam -ban!";
    QTest::newRow("archive: departures") << archive << "kiszall0" << "INSERT"
                                         << "Hiba203: Arhiválás kiszall-ban, INSERT-SELECT ! "
                                         << "Hiba204: az insert közben a fulszam -ban!";
    QTest::newRow("archive: arrivals") << archive << "beszall0" << "INSERT"
                                       << "Hiba205: Arhiválás beszall-ban, INSERT-SELECT ! "
                                       << "Hiba206: az insert közben a fulszam -ban!";
    QTest::newRow("archive: deletion") << archive << "beszall" << "DELETE"
                                       << "Hiba207: az insert közben a fulszam -ban!" << "";
    QTest::newRow("withdraw: work list") << withdraw << "fulszam" << "INSERT"
                                         << "Hiba211: Segédállomány fulszam-ban, INSERT! "
                                         << "Hiba212: az insert közben a fulszam -ban!";
    QTest::newRow("withdraw: departures") << withdraw << "kiszall" << "INSERT"
                                          << "Hiba213: Arhiválás kiszall-ban, INSERT-SELECT ! "
                                          << "Hiba214: az insert közben a fulszam -ban!";
    QTest::newRow("withdraw: arrivals") << withdraw << "beszall" << "INSERT"
                                        << "Hiba215: Arhiválás beszall-ban, INSERT-SELECT ! "
                                        << "Hiba216: az insert közben a fulszam -ban!";
    QTest::newRow("withdraw: deletion") << withdraw << "kiszall0" << "DELETE"
                                        << "Hiba217: az insert közben a fulszam -ban!" << "";
}

// The connection is lost while the failure message is shown, so the rollback that follows fails.
void ArchiveDayTest::failedRollbackGivesTheNextMessage()
{
    QFETCH(int, direction);
    QFETCH(QString, table);
    QFETCH(QString, event);
    QFETCH(QString, failed);
    QFETCH(QString, guard);
    TestDatabase db(false);
    platform::TestDoubles doubles;
    const QString carrier = db.addCarrier(QStringLiteral("ABC-123"), QStringLiteral("Kiss Fuvar"));
    const QString partner = db.addPartner(QStringLiteral("Vágóhíd Kft"));
    addRows(db, {"100 2011.03.01"}, {"100 2011.03.10"}, TransferDirection(direction) == TransferDirection::Withdraw,
            carrier, partner);
    const Snapshot before = snapshot(db);
    failOn(db, table, event);
    db.openSession();
    doubles.onMessage = [&db](const platform::ShownMessage& m) {
        if (m.text.startsWith(QStringLiteral("Hiba2")))
            db.exec(QStringLiteral("DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID <> CURRENT_CONNECTION"));
    };
    DayTransferDialog screen(nullptr, TransferDirection(direction));
    showScreen(&screen);
    selectAndRun(screen);
    const QStringList shown = doubles.messageTexts();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.at(0), failed);
    if (guard.isEmpty())
        QVERIFY(!shown.at(1).startsWith(QStringLiteral("Hiba")));
    else
        QCOMPARE(shown.at(1), guard);
    QVERIFY(!Data->ZQ22.active());
    QCOMPARE(snapshot(db), before);  // the lost connection's work never became permanent
}

// While a run goes, the screen takes no input and cannot be closed, and its message line moves on.
void ArchiveDayTest::runLocksTheScreen()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const QString carrier = db.addCarrier(QStringLiteral("ABC-123"), QStringLiteral("Kiss Fuvar"));
    const QString partner = db.addPartner(QStringLiteral("Vágóhíd Kft"));
    addRows(db, {"100 2011.03.01", "101 2011.03.01", "102 2011.03.01"}, {"100 2011.03.10", "101 2011.03.10", "102 2011.03.10"},
            false, carrier, partner);
    ArchiveDialog screen;
    screen.setBatchRows(1);
    showScreen(&screen);
    auto* date = child<QLineEdit>(&screen, "Edit1");
    date->setText(kDay);
    click(child<QPushButton>(&screen, "Button1"));
    const QString idle = messageLine(&screen);

    QStringList seen;
    QTimer sampler;
    sampler.setInterval(0);
    connect(&sampler, &QTimer::timeout, &screen, [&] {
        if (messageLine(&screen) == idle || !seen.isEmpty())
            return;
        seen << messageLine(&screen);
        // In the middle of the run: the date cannot change, the screen cannot close.
        QVERIFY(!child<QPushButton>(&screen, "Button3")->isEnabled());
        QVERIFY(!child<QPushButton>(&screen, "Button1")->isEnabled());
        QTest::keyClicks(date, QStringLiteral("1"));
        QTest::keyClick(&screen, Qt::Key_Escape);
        QVERIFY(!screen.close());
        QVERIFY(screen.isVisible());
        QCOMPARE(date->text(), kDay);
    });
    sampler.start();
    click(child<QPushButton>(&screen, "Button2"));
    sampler.stop();
    QCOMPARE(seen, QStringList{DayTransfer::texts(TransferDirection::Archive).copyingDepartures + " 0 / 3 tétel"});
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(db.count(QStringLiteral("kiszall0")), 3);

    // Afterwards the screen is the user's again.
    QVERIFY(child<QPushButton>(&screen, "Button3")->isEnabled());
    QVERIFY(!date->isReadOnly());
    QTest::mouseClick(child<QPushButton>(&screen, "Button3"), Qt::LeftButton);
    QVERIFY(!screen.isVisible());
}

// The message line shows every step in its order, counting the rows as the statements go.
void ArchiveDayTest::messageLineCountsRows_data()
{
    QTest::addColumn<int>("direction");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("archive") << int(TransferDirection::Archive)
                             << QStringList{"Kiszállitott adatok átrakása. Kérem várjon... 0 / 3 tétel",
                                            "Kiszállitott adatok átrakása. Kérem várjon... 2 / 3 tétel",
                                            "Kiszállitott adatok átrakása. Kérem várjon... 3 / 3 tétel",
                                            "Kiszállitott átrakva. 3 tétel",
                                            "Beszállitott adatok átrakása. Kérem várjon... 0 tétel",
                                            "Beszállitott adatok átrakása. Kérem várjon... 3 tétel",
                                            "Beszállitott adatok átrakása. Kérem várjon... 4 tétel",
                                            "Beszállitott átrakva. 4 tétel",
                                            "Kiszállitottból az átrakott adatok törlése. Kérem várjon... 0 / 3 tétel",
                                            "Kiszállitottból az átrakott adatok törlése. Kérem várjon... 2 / 3 tétel",
                                            "Kiszállitottból az átrakott adatok törlése. Kérem várjon... 3 / 3 tétel",
                                            "Beszállitottból az átrakott adatok törlése. Kérem várjon... 0 / 4 tétel",
                                            "Beszállitottból az átrakott adatok törlése. Kérem várjon... 3 / 4 tétel",
                                            "Beszállitottból az átrakott adatok törlése. Kérem várjon... 4 / 4 tétel",
                                            "Vége. Arhiválás befejezödött. 3 kiszállitott, 4 beszállitott tétel."};
    QTest::newRow("withdraw") << int(TransferDirection::Withdraw)
                              << QStringList{"Kiszállitott adatok átrakása. Kérem várjon... 0 / 3 tétel",
                                             "Kiszállitott adatok átrakása. Kérem várjon... 2 / 3 tétel",
                                             "Kiszállitott adatok átrakása. Kérem várjon... 3 / 3 tétel",
                                             "Kiszállitott visszarakva. 3 tétel",
                                             "Beszállitott adatok visszarakása. Kérem várjon... 0 tétel",
                                             "Beszállitott adatok visszarakása. Kérem várjon... 3 tétel",
                                             "Beszállitott adatok visszarakása. Kérem várjon... 4 tétel",
                                             "Beszállitott visszarakva. 4 tétel",
                                             "Archiv kiszállitottból az visszarakott adatok törlése. Kérem várjon... 0 / 3 tétel",
                                             "Archiv kiszállitottból az visszarakott adatok törlése. Kérem várjon... 2 / 3 tétel",
                                             "Archiv kiszállitottból az visszarakott adatok törlése. Kérem várjon... 3 / 3 tétel",
                                             "Beszállitottból az átrakott adatok törlése. Kérem várjon... 0 / 4 tétel",
                                             "Beszállitottból az átrakott adatok törlése. Kérem várjon... 3 / 4 tétel",
                                             "Beszállitottból az átrakott adatok törlése. Kérem várjon... 4 / 4 tétel",
                                             "Vége. Visszarakás befejezödött. 3 kiszállitott, 4 beszállitott tétel."};
}

void ArchiveDayTest::messageLineCountsRows()
{
    QFETCH(int, direction);
    QFETCH(QStringList, expected);
    const bool archive = TransferDirection(direction) == TransferDirection::Archive;
    TestDatabase db;
    // Two statements a step: ear tags 100 and 101 (three arrivals), then 102 (one arrival).
    addRows(db, {"100 2011.03.01", "100 2011.03.05", "101 2011.03.01", "102 2011.03.01"},
            {"100 2011.03.10", "101 2011.03.10", "102 2011.03.10"}, !archive, QStringLiteral("1"), QStringLiteral("1"));
    QStringList lines, boxes;
    int pumps = 0;
    DayTransfer transfer(*Data, TransferDirection(direction), QDate(2011, 3, 10),
                         {[&](const QString& text) { lines << text; }, [&](const QString& text) { boxes << text; },
                          [&](const QString& text) { boxes << text; }, [&](bool) { ++pumps; }});
    transfer.setBatchRows(2);
    QVERIFY(transfer.run());
    QVERIFY(boxes.isEmpty());
    QCOMPARE(lines, expected);
    QCOMPARE(pumps, expected.size() + 2);  // a chance to repaint after every text and both work list steps
    QCOMPARE(transfer.departuresMoved(), 3);
    QCOMPARE(transfer.arrivalsMoved(), 4);
}

QTEST_MAIN(ArchiveDayTest)
#include "test_archive_day.moc"
