#include "app/mainwindow.h"
#include "storage/shared_datasets.h"
#include "printing/delivery_printout.h"
#include "printouts_fixture.h"
#include "report/variables.h"
#include "screens.h"
#include "storage/session.h"
#include "testdb.h"
#include "ui/dbwidgets.h"
#include "ui/platform.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace fixture;

namespace {

enum class Side { Incoming, Outgoing };

std::unique_ptr<QDialog> makeScreen(Side side)
{
    if (side == Side::Incoming)
        return std::make_unique<IncomingDeliveryPrintoutDialog>();
    return std::make_unique<OutgoingDeliveryPrintoutDialog>();
}

QLineEdit* dayField(QDialog* screen) { return edit(screen, "Edit1"); }
QPushButton* selectButton(QDialog* screen) { return button(screen, "Button1"); }
QPushButton* printButton(QDialog* screen) { return button(screen, "Button2"); }
DBGrid* grid(QDialog* screen) { return child<DBGrid>(screen, "DBGrid1"); }

// Shows the screen as the menu does, with the day typed in.
void showWithDay(QDialog* screen, const QString& day)
{
    screen->show();
    QVERIFY(QTest::qWaitForWindowExposed(screen));
    dayField(screen)->setText(day);
}

void expectFulszam(TestDatabase& db, const QStringList& ranges)
{
    // Nothing half-built may wait in the shared transaction for someone else's commit either.
    if (Data->IBTrans1.inTransaction())
        Data->IBTrans1.commit();
    QCOMPARE(fulszam(db), ranges);
}

}  // namespace

Q_DECLARE_METATYPE(Side)

class DeliveryPrintoutsTest : public QObject {
    Q_OBJECT
private slots:
    void selectListsTheDayAndStoresItsRuns_data();
    void selectListsTheDayAndStoresItsRuns();
    void printShowsRangeListThenSummary_data();
    void printShowsRangeListThenSummary();
    void refusedInsertRollsBack_data();
    void refusedInsertRollsBack();
    void earTagThatIsNoNumberChangesNothing_data();
    void earTagThatIsNoNumberChangesNothing();
    void longEarTagsCompareExactly();
    void dayThatIsNoDate();
    void emptyDayEmptiesTheRuns();
    void printOnlyForTheSelectedDay();
    void enterInTheDayFieldDoesNothing();
    void missingTemplateStopsBeforeTheSummary();
    void menuOpensTheFourScreens();
};

void DeliveryPrintoutsTest::selectListsTheDayAndStoresItsRuns_data()
{
    QTest::addColumn<Side>("side");
    QTest::addColumn<QString>("day");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QStringList>("runs");

    // By sender, then ear tag: Szabó's three, then Tóth's; the run goes on across the senders.
    QTest::newRow("incoming") << Side::Incoming << kArrivalDay
                              << QStringList{"3600101", "3600102", "3600103", "3600104", "3600105", "3600110"}
                              << QStringList{"3600101-3600105", "3600110-3600110"};
    QTest::newRow("outgoing") << Side::Outgoing << kDispatchDay
                              << QStringList{"3600101", "3600102", "3600104", "3600105", "3600110"}
                              << QStringList{"3600101-3600102", "3600104-3600105", "3600110-3600110"};
}

void DeliveryPrintoutsTest::selectListsTheDayAndStoresItsRuns()
{
    QFETCH(Side, side);
    QFETCH(QString, day);
    QFETCH(QStringList, listed);
    QFETCH(QStringList, runs);
    TestDatabase db;
    platform::TestDoubles doubles;
    Site site(db);
    db.exec(QStringLiteral("INSERT INTO fulszam (ufultol, ufulig) VALUES ('1', '9')"));  // an earlier run
    auto screen = makeScreen(side);
    showWithDay(screen.get(), day);
    QVERIFY(!printButton(screen.get())->isEnabled());

    QTest::mouseClick(selectButton(screen.get()), Qt::LeftButton);
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'\n')));
    QCOMPARE(gridColumn(grid(screen.get()), 0), listed);
    QCOMPARE(Data->dataset(side == Side::Incoming ? QStringLiteral("ZQ12") : QStringLiteral("ZQ22"))->recNo(), 0);
    QVERIFY(printButton(screen.get())->isEnabled());
    // Committed: another connection sees the runs.
    QCOMPARE(fulszam(db), runs);
}

void DeliveryPrintoutsTest::printShowsRangeListThenSummary_data()
{
    QTest::addColumn<Side>("side");
    QTest::addColumn<QString>("day");
    QTest::addColumn<QString>("rangeList");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<int>("total");

    QTest::newRow("incoming") << Side::Incoming << kArrivalDay << "Fulszambe1.txt" << "Fulszambe2.txt" << 6;
    QTest::newRow("outgoing") << Side::Outgoing << kDispatchDay << "Fulszamki1.txt" << "Fulszamki2.txt" << 5;
}

void DeliveryPrintoutsTest::printShowsRangeListThenSummary()
{
    QFETCH(Side, side);
    QFETCH(QString, day);
    QFETCH(QString, rangeList);
    QFETCH(QString, summary);
    QFETCH(int, total);
    PrintingSite world;
    auto& [db, doubles, site] = world;
    auto screen = makeScreen(side);
    showWithDay(screen.get(), day);
    QTest::mouseClick(selectButton(screen.get()), Qt::LeftButton);
    // The summary is prepared only once the range list's preview has closed.
    int reportsWhenFirstClosed = -1;
    doubles.onReport = [&](const platform::ShownReport&) {
        if (reportsWhenFirstClosed < 0)
            reportsWhenFirstClosed = doubles.reportsShown.size();
    };
    QTest::mouseClick(printButton(screen.get()), Qt::LeftButton);

    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'\n')));
    QCOMPARE(reportsWhenFirstClosed, 1);
    QCOMPARE(doubles.reportsShown.size(), 2);
    QCOMPARE(report::variables().value(QStringLiteral("v_sumdb"))->toInt(), qint64(total));
    for (const auto& shown : doubles.reportsShown) {
        QVERIFY(shown.options.modal);
        QVERIFY(!(shown.options.buttons & report::PreviewButton::Print));
    }
    QVERIFY(samePages(doubles.reportsShown[0].pages, rangeList));
    QVERIFY(samePages(doubles.reportsShown[1].pages, summary));
}

void DeliveryPrintoutsTest::refusedInsertRollsBack_data()
{
    QTest::addColumn<Side>("side");
    QTest::addColumn<QString>("day");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("incoming") << Side::Incoming << kArrivalDay
                              << QStringList{"Hiba141: Új fülsorban, INSERT-append ! ",
                                             "Hiba142: az insert közben a fulszam -ban!"};
    QTest::newRow("outgoing") << Side::Outgoing << kDispatchDay
                              << QStringList{"Hiba151: Új fülsorban, INSERT-append ! ",
                                             "Hiba152: az insert közben a fulszam -ban!"};
}

void DeliveryPrintoutsTest::refusedInsertRollsBack()
{
    QFETCH(Side, side);
    QFETCH(QString, day);
    QFETCH(QStringList, messages);
    TestDatabase db(false);
    // The last run of either day is refused, after the table was emptied and others were stored.
    db.exec(QStringLiteral("CREATE EXCEPTION NO_RUN 'no run here'"));
    db.exec(QStringLiteral("CREATE TRIGGER FULSZAM_REFUSE FOR FULSZAM BEFORE INSERT AS BEGIN "
                           "IF (NEW.UFULTOL = '3600110') THEN EXCEPTION NO_RUN; END"));
    db.exec(QStringLiteral("INSERT INTO fulszam (ufultol, ufulig) VALUES ('1', '9')"));
    db.openSession();
    platform::TestDoubles doubles;
    Site site(db);
    auto screen = makeScreen(side);
    showWithDay(screen.get(), day);

    QTest::mouseClick(selectButton(screen.get()), Qt::LeftButton);
    QCOMPARE(doubles.messageTexts(), messages);
    QVERIFY(!printButton(screen.get())->isEnabled());
    // The rollback closed the selection.
    QCOMPARE(gridColumn(grid(screen.get()), 0), QStringList());
    expectFulszam(db, {"1-9"});
}

void DeliveryPrintoutsTest::earTagThatIsNoNumberChangesNothing_data()
{
    QTest::addColumn<Side>("side");
    QTest::addColumn<QString>("day");
    QTest::newRow("incoming") << Side::Incoming << kArrivalDay;
    QTest::newRow("outgoing") << Side::Outgoing << kDispatchDay;
}

void DeliveryPrintoutsTest::earTagThatIsNoNumberChangesNothing()
{
    QFETCH(Side, side);
    QFETCH(QString, day);
    TestDatabase db;
    platform::TestDoubles doubles;
    Site site(db);
    if (side == Side::Incoming)
        arrival(db, QStringLiteral("3600106X"), QStringLiteral("2011-03-15"), site.nagySzallitas, site.toth);
    else
        departure(db, QStringLiteral("3600106X"), QStringLiteral("2011-03-16"), site.nagySzallitas, site.husVago);
    db.exec(QStringLiteral("INSERT INTO fulszam (ufultol, ufulig) VALUES ('1', '9')"));
    auto screen = makeScreen(side);
    showWithDay(screen.get(), day);

    QTest::mouseClick(selectButton(screen.get()), Qt::LeftButton);
    QCOMPARE(doubles.messageTexts(),
             QStringList{QStringLiteral("Érvénytelen fülszám: „3600106X” (a fülszám csak számjegyekből állhat).")});
    QVERIFY(!printButton(screen.get())->isEnabled());
    // The day stays listed, so the wrong ear tag can be found.
    QVERIFY(gridColumn(grid(screen.get()), 0).contains(QStringLiteral("3600106X")));
    expectFulszam(db, {"1-9"});
}

void DeliveryPrintoutsTest::longEarTagsCompareExactly()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Site site(db);
    // 21 digits differing in the last one; a 20-digit tag above 2^64 next to its successor.
    for (const char* tag : {"123456789012345678901", "123456789012345678903", "36893488147419103232",
                            "36893488147419103233"})
        departure(db, QString::fromLatin1(tag), QStringLiteral("2011-03-18"), site.kissFuvar, site.husVago);
    installTemplates(db);
    OutgoingDeliveryPrintoutDialog screen;
    showWithDay(&screen, QStringLiteral("2011.03.18"));
    QTest::mouseClick(selectButton(&screen), Qt::LeftButton);
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'\n')));
    QCOMPARE(fulszam(db), QStringList({"123456789012345678901-123456789012345678901",
                                       "123456789012345678903-123456789012345678903",
                                       "36893488147419103232-36893488147419103233"}));
    // Each range counts its own ear tags only.
    QTest::mouseClick(printButton(&screen), Qt::LeftButton);
    QCOMPARE(doubles.reportsShown.size(), 2);
    QStringList counts;
    for (const QString& line : doubles.reportsShown[0].pages.lines(0))
        if (line.startsWith(u'1') || line.startsWith(u'2') || line.startsWith(u'3'))
            counts << line.section(QStringLiteral(" | "), 0, 3);
    QCOMPARE(counts, QStringList({"1. | 123456789012345678901 | 123456789012345678901 | 1",
                                  "2. | 123456789012345678903 | 123456789012345678903 | 1",
                                  "3. | 36893488147419103232 | 36893488147419103233 | 2"}));
}

void DeliveryPrintoutsTest::dayThatIsNoDate()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Site site(db);
    db.exec(QStringLiteral("INSERT INTO fulszam (ufultol, ufulig) VALUES ('1', '9')"));
    IncomingDeliveryPrintoutDialog screen;
    showWithDay(&screen, QStringLiteral("2011.02.30"));
    QTest::mouseClick(selectButton(&screen), Qt::LeftButton);
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("A dátum formátuma nem megfelelő!")});
    QTRY_COMPARE(QApplication::focusWidget(), dayField(&screen));
    QVERIFY(!printButton(&screen)->isEnabled());
    expectFulszam(db, {"1-9"});
}

void DeliveryPrintoutsTest::emptyDayEmptiesTheRuns()
{
    PrintingSite world;
    auto& [db, doubles, site] = world;
    db.exec(QStringLiteral("INSERT INTO fulszam (ufultol, ufulig) VALUES ('1', '9')"));
    report::variables().setInt(QStringLiteral("v_sumdb"), 99);
    OutgoingDeliveryPrintoutDialog screen;
    showWithDay(&screen, QStringLiteral("2011.01.01"));
    QTest::mouseClick(selectButton(&screen), Qt::LeftButton);
    QCOMPARE(fulszam(db), QStringList());
    QVERIFY(printButton(&screen)->isEnabled());
    QTest::mouseClick(printButton(&screen), Qt::LeftButton);
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'\n')));
    QCOMPARE(doubles.reportsShown.size(), 2);
    QCOMPARE(report::variables().value(QStringLiteral("v_sumdb"))->toInt(), 0);
    QVERIFY(doubles.reportsShown[0].pages.plainText().contains(QStringLiteral("Összesen: 0 fülszám, 0 tartomány")));
    QVERIFY(doubles.reportsShown[1].pages.plainText().contains(QStringLiteral("Összesen: 0 fülszám")));
}

void DeliveryPrintoutsTest::printOnlyForTheSelectedDay()
{
    PrintingSite world;
    auto& [db, doubles, site] = world;
    IncomingDeliveryPrintoutDialog screen;
    screen.show();
    screen.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&screen));
    QLineEdit* day = dayField(&screen);
    QCOMPARE(QApplication::focusWidget(), day);
    QCOMPARE(day->text(), QStringLiteral("2011.03.15"));  // today, as the doubles have it
    QVERIFY(selectButton(&screen)->isEnabled());
    QVERIFY(!printButton(&screen)->isEnabled());

    QTest::mouseClick(selectButton(&screen), Qt::LeftButton);
    QVERIFY(printButton(&screen)->isEnabled());

    // Back into the day field and a changed day: leaving it holds printing back until selected.
    QTest::mouseClick(day, Qt::LeftButton);
    QTRY_COMPARE(QApplication::focusWidget(), day);
    day->selectAll();
    QTest::keyClicks(day, QStringLiteral("2011.03.14"));
    QTest::mousePress(printButton(&screen), Qt::LeftButton);
    QApplication::processEvents();
    QTest::mouseRelease(printButton(&screen), Qt::LeftButton);
    QVERIFY(!printButton(&screen)->isEnabled());
    QVERIFY(doubles.reportsShown.isEmpty());
    QVERIFY(selectButton(&screen)->isEnabled());
    QCOMPARE(fulszam(db), QStringList({"3600101-3600105", "3600110-3600110"}));
}

void DeliveryPrintoutsTest::enterInTheDayFieldDoesNothing()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Site site(db);
    OutgoingDeliveryPrintoutDialog screen;
    screen.show();
    screen.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&screen));
    QLineEdit* day = dayField(&screen);
    day->clear();
    QTest::keyClicks(day, QStringLiteral("2011.03.16x-/ "));
    QCOMPARE(day->text(), QStringLiteral("2011.03.16"));
    QTest::keyClick(day, Qt::Key_Return);
    QTest::keyClick(day, Qt::Key_Enter);
    QApplication::processEvents();
    QCOMPARE(QApplication::focusWidget(), day);
    QVERIFY(screen.isVisible());
    QVERIFY(doubles.messages.isEmpty());
    QVERIFY(!Data->ZQ22.active());  // nothing was selected
}

void DeliveryPrintoutsTest::missingTemplateStopsBeforeTheSummary()
{
    PrintingSite world;
    auto& [db, doubles, site] = world;
    QVERIFY(QFile::remove(QStringLiteral("Fulszambe1.frf")));
    IncomingDeliveryPrintoutDialog screen;
    showWithDay(&screen, kArrivalDay);
    QTest::mouseClick(selectButton(&screen), Qt::LeftButton);
    QTest::mouseClick(printButton(&screen), Qt::LeftButton);
    QVERIFY(doubles.reportsShown.isEmpty());
    QCOMPARE(doubles.messages.size(), 1);
    QVERIFY2(doubles.lastMessage().contains(QStringLiteral("Fulszambe1.frf")), qPrintable(doubles.lastMessage()));
    QVERIFY(screen.isVisible());
}

void DeliveryPrintoutsTest::menuOpensTheFourScreens()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    MainWindow main(&db.session());
    for (const char* item : {"Beszllts1", "Kiszllts1", "Telepen1", "Flszmlista1"})
        main.findChild<QAction*>(QString::fromLatin1(item))->trigger();
    QCOMPARE(doubles.modalsShown, QStringList({"Form14", "Form15", "Form16", "Form17"}));
}

QTEST_MAIN(DeliveryPrintoutsTest)
#include "test_delivery_printouts.moc"
