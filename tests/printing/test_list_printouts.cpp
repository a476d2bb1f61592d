#include "storage/shared_datasets.h"
#include "printing/eartag_list_printout.h"
#include "printing/onsite_printout.h"
#include "printouts_fixture.h"
#include "report/variables.h"
#include "screens.h"
#include "testdb.h"
#include "ui/dbwidgets.h"
#include "ui/platform.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace fixture;

namespace {

QRadioButton* radio(QWidget* screen, const char* name) { return child<QRadioButton>(screen, name); }
DBGrid* grid(QWidget* screen) { return child<DBGrid>(screen, "DBGrid1"); }

void show(QWidget* screen)
{
    screen->show();
    QVERIFY(QTest::qWaitForWindowExposed(screen));
}

// The ear tags of the report's data rows: the texts in the ear-tag column of every page's body.
QStringList printedEarTags(const report::PreparedReport& pages, int column)
{
    QStringList out;
    for (int p = 0; p < pages.pageCount(); ++p)
        for (const QString& line : pages.lines(p)) {
            const QStringList cells = line.split(QStringLiteral(" | "));
            if (cells.size() > column && cells[0].endsWith(u'.') && cells[0].chopped(1).toInt() > 0)
                out << cells[column];
        }
    return out;
}

}  // namespace

class ListPrintoutsTest : public QObject {
    Q_OBJECT
private slots:
    void onSiteGridShowsAnimalsNotLeft();
    void onSiteLists_data();
    void onSiteLists();
    void onSiteListsInBothOrders_data();
    void onSiteListsInBothOrders();
    void simpleListNeedsADay_data();
    void simpleListNeedsADay();
    void detailedListNumbersFromOneEveryTime();
    void earTagListOfTheSelectedDay();
    void earTagListPrintBeforeSelectTakesTheTypedDay();
    void earTagListPrintBeforeSelectWithBadDay();
    void earTagListHeadingAsTyped();
};

void ListPrintoutsTest::onSiteGridShowsAnimalsNotLeft()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Site site(db);
    // Arrived, left and arrived again: the departure row keeps it off the list.
    arrival(db, QStringLiteral("3600101"), QStringLiteral("2011-03-20"), site.kissFuvar, site.szabo);
    OnSiteListPrintoutDialog screen;
    show(&screen);
    QStringList tags = gridColumn(grid(&screen), 0);
    tags.sort();
    QCOMPARE(tags, QStringList({"0012345", "3600103", "3600200"}));
    QVERIFY(radio(&screen, "RadioButton2")->isChecked());
    QVERIFY(radio(&screen, "RadioButton4")->isChecked());
    QVERIFY(edit(&screen, "Edit1")->text().isEmpty());
}

void ListPrintoutsTest::onSiteLists_data()
{
    QTest::addColumn<bool>("simple");
    QTest::addColumn<QString>("expected");
    QTest::newRow("simple, by days on site") << true << "Telepennap.txt";
    QTest::newRow("detailed, by days on site") << false << "Telepen.txt";
}

void ListPrintoutsTest::onSiteLists()
{
    QFETCH(bool, simple);
    QFETCH(QString, expected);
    PrintingSite world;
    auto& [db, doubles, site] = world;
    OnSiteListPrintoutDialog screen;
    show(&screen);
    if (simple)
        radio(&screen, "RadioButton1")->click();
    edit(&screen, "Edit1")->setText(QStringLiteral("2011.03.20"));
    QTest::mouseClick(button(&screen, "Button2"), Qt::LeftButton);
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'\n')));
    QCOMPARE(doubles.reportsShown.size(), 1);
    QVERIFY(doubles.reportsShown[0].options.modal);
    QVERIFY(samePages(doubles.reportsShown[0].pages, expected));
}

void ListPrintoutsTest::onSiteListsInBothOrders_data()
{
    QTest::addColumn<bool>("simple");
    QTest::addColumn<bool>("byEarTag");
    QTest::addColumn<QStringList>("printed");
    QTest::addColumn<QStringList>("listed");

    const QStringList byEarTag{"0012345", "3600103", "3600200"};
    // Most days on site first: the oldest arrival leads.
    const QStringList byDays{"0012345", "3600200", "3600103"};
    // The simple list re-runs the grid's query in the chosen order; the detailed one leaves it.
    QTest::newRow("simple by ear tag") << true << true << byEarTag << byEarTag;
    QTest::newRow("simple by days") << true << false << byDays << byDays;
    QTest::newRow("detailed by ear tag") << false << true << byEarTag << QStringList();
    QTest::newRow("detailed by days") << false << false << byDays << QStringList();
}

void ListPrintoutsTest::onSiteListsInBothOrders()
{
    QFETCH(bool, simple);
    QFETCH(bool, byEarTag);
    QFETCH(QStringList, printed);
    QFETCH(QStringList, listed);
    PrintingSite world;
    auto& [db, doubles, site] = world;
    OnSiteListPrintoutDialog screen;
    show(&screen);
    const QStringList before = gridColumn(grid(&screen), 0);
    (simple ? radio(&screen, "RadioButton1") : radio(&screen, "RadioButton2"))->click();
    (byEarTag ? radio(&screen, "RadioButton3") : radio(&screen, "RadioButton4"))->click();
    edit(&screen, "Edit1")->setText(QStringLiteral("2011.03.20"));
    QTest::mouseClick(button(&screen, "Button2"), Qt::LeftButton);
    QCOMPARE(doubles.reportsShown.size(), 1);
    QCOMPARE(printedEarTags(doubles.reportsShown[0].pages, 1), printed);
    QCOMPARE(gridColumn(grid(&screen), 0), listed.isEmpty() ? before : listed);
}

void ListPrintoutsTest::simpleListNeedsADay_data()
{
    QTest::addColumn<QString>("day");
    QTest::newRow("empty") << "";
    QTest::newRow("no such day") << "2011.02.29";
    QTest::newRow("half typed") << "2011.03";
}

void ListPrintoutsTest::simpleListNeedsADay()
{
    QFETCH(QString, day);
    PrintingSite world;
    auto& [db, doubles, site] = world;
    OnSiteListPrintoutDialog screen;
    show(&screen);
    radio(&screen, "RadioButton1")->click();
    edit(&screen, "Edit1")->setText(day);
    QTest::mouseClick(button(&screen, "Button2"), Qt::LeftButton);
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("A dátum formátuma nem megfelelő!")});
    QVERIFY(doubles.reportsShown.isEmpty());
    QTRY_COMPARE(QApplication::focusWidget(), edit(&screen, "Edit1"));

    // The detailed list needs no day.
    doubles.messages.clear();
    radio(&screen, "RadioButton2")->click();
    QTest::mouseClick(button(&screen, "Button2"), Qt::LeftButton);
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(doubles.reportsShown.size(), 1);
}

void ListPrintoutsTest::detailedListNumbersFromOneEveryTime()
{
    PrintingSite world;
    auto& [db, doubles, site] = world;
    OnSiteListPrintoutDialog screen;
    show(&screen);
    QTest::mouseClick(button(&screen, "Button2"), Qt::LeftButton);
    QTest::mouseClick(button(&screen, "Button2"), Qt::LeftButton);
    QCOMPARE(doubles.reportsShown.size(), 2);
    QCOMPARE(doubles.reportsShown[1].pages.plainText(), doubles.reportsShown[0].pages.plainText());
    QVERIFY(doubles.reportsShown[1].pages.plainText().contains(QStringLiteral("\n1. | 0012345 |")));
}

void ListPrintoutsTest::earTagListOfTheSelectedDay()
{
    PrintingSite world;
    auto& [db, doubles, site] = world;
    EarTagListPrintoutDialog screen;
    show(&screen);
    QCOMPARE(edit(&screen, "Edit1")->text(), QStringLiteral("2011.03.15"));  // today
    QTRY_COMPARE(QApplication::focusWidget(), edit(&screen, "Edit1"));
    edit(&screen, "Edit1")->setText(kDispatchDay);
    edit(&screen, "Edit2")->setText(QStringLiteral("Újfehértó, telep"));
    edit(&screen, "Edit3")->setText(QStringLiteral("Gerundo Állatforgalmi Kft."));
    QTest::mouseClick(button(&screen, "Button1"), Qt::LeftButton);
    QCOMPARE(gridColumn(grid(&screen), 0), QStringList({"3600101", "3600102", "3600104", "3600105", "3600110"}));
    QTest::mouseClick(button(&screen, "Button2"), Qt::LeftButton);
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'\n')));
    QCOMPARE(doubles.reportsShown.size(), 1);
    QVERIFY(doubles.reportsShown[0].options.buttons & report::PreviewButton::Print);
    QVERIFY(samePages(doubles.reportsShown[0].pages, QStringLiteral("Fulszamlista.txt")));
    // The heading values stay for later reports.
    QCOMPARE(report::variables().value(QStringLiteral("v_hely"))->toText(), QStringLiteral("Újfehértó, telep"));
}

void ListPrintoutsTest::earTagListPrintBeforeSelectTakesTheTypedDay()
{
    PrintingSite world;
    auto& [db, doubles, site] = world;
    // Another screen left other departures in the shared query.
    Data->ZQ22.setSql({QStringLiteral("SELECT kfulszam FROM kiszall WHERE kikelt = '2011-03-17'")});
    Data->ZQ22.open();
    EarTagListPrintoutDialog screen;
    show(&screen);
    edit(&screen, "Edit1")->setText(kDispatchDay);
    QTest::mouseClick(button(&screen, "Button2"), Qt::LeftButton);
    QCOMPARE(doubles.reportsShown.size(), 1);
    const QString text = doubles.reportsShown[0].pages.plainText();
    QVERIFY2(text.contains(QStringLiteral("1. | 3600101 | 2. | 3600102 | 3. | 3600104 | 4. | 3600105\n5. | 3600110\n")),
             qPrintable(text));
    QVERIFY(!text.contains(QStringLiteral("3600099")));
    QCOMPARE(gridColumn(grid(&screen), 0).size(), 5);
}

void ListPrintoutsTest::earTagListPrintBeforeSelectWithBadDay()
{
    PrintingSite world;
    auto& [db, doubles, site] = world;
    EarTagListPrintoutDialog screen;
    show(&screen);
    edit(&screen, "Edit1")->setText(QStringLiteral("2011.16.03"));
    QTest::mouseClick(button(&screen, "Button2"), Qt::LeftButton);
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("A dátum formátuma nem megfelelő!")});
    QVERIFY(doubles.reportsShown.isEmpty());
}

void ListPrintoutsTest::earTagListHeadingAsTyped()
{
    PrintingSite world;
    auto& [db, doubles, site] = world;
    EarTagListPrintoutDialog screen;
    show(&screen);
    edit(&screen, "Edit1")->setText(kDispatchDay);
    QTest::mouseClick(button(&screen, "Button1"), Qt::LeftButton);
    // Changed after the selection: the heading shows the new text, the list keeps the selected day.
    edit(&screen, "Edit1")->setText(QStringLiteral("2011.03.17"));
    QTest::mouseClick(button(&screen, "Button2"), Qt::LeftButton);
    QCOMPARE(doubles.reportsShown.size(), 1);
    const QString text = doubles.reportsShown[0].pages.plainText();
    QVERIFY(text.contains(QStringLiteral("Kiszállítás napja: | 2011.03.17")));
    QVERIFY(text.contains(QStringLiteral("1. | 3600101")));
    QVERIFY(!text.contains(QStringLiteral("3600099")));
}

QTEST_MAIN(ListPrintoutsTest)
#include "test_list_printouts.moc"
