#include "app/mainwindow.h"
#include "lookups/eartag_search.h"
#include "lookups_fixture.h"
#include "screens.h"
#include "testdb.h"
#include "ui/dbwidgets.h"
#include "ui/platform.h"

#include <QAction>
#include <QRadioButton>
#include <QTest>

using namespace lookups_fixture;

namespace {

const QString kHint = QStringLiteral("A lista oszlopra klikk és lista sorrendje az oszlop szerint ");

// Five arrivals in this entry order, four of them gone; 123 begins two of the ear tags, and is
// inside a third.
struct SearchSite {
    TestDatabase db;
    platform::TestDoubles doubles;
    Site site{db};
    SearchSite()
    {
        arrival(db, QStringLiteral("1234567890"), QStringLiteral("2011-03-10"), site.carrier, site.szabo);
        arrival(db, QStringLiteral("0123456789"), QStringLiteral("2011-03-01"), site.carrier, site.toth);
        arrival(db, QStringLiteral("9"), QStringLiteral("2011-03-05"), site.carrier, site.szabo);
        arrival(db, QStringLiteral("10"), QStringLiteral("2011-03-07"), site.carrier, site.toth);
        arrival(db, QStringLiteral("1230"), QStringLiteral("2011-03-02"), site.carrier, site.szabo);
        departure(db, QStringLiteral("1234567890"), QStringLiteral("2011-03-12"), site.carrier, site.buyer);
        departure(db, QStringLiteral("0123456789"), QStringLiteral("2011-03-11"), site.carrier, site.buyer);
        departure(db, QStringLiteral("10"), QStringLiteral("2011-03-14"), site.carrier, site.buyer);
        departure(db, QStringLiteral("9"), QStringLiteral("2011-03-13"), site.carrier, site.buyer);
    }
};

DBGrid* grid(QDialog* screen) { return child<DBGrid>(screen, "resultsGrid"); }
QString order(QDialog* screen) { return shown(screen, "orderLabel"); }

void showScreen(QDialog* screen)
{
    screen->show();
    QVERIFY(QTest::qWaitForWindowExposed(screen));
}

// Types into the ear-tag field and presses "Keresés", as a person does.
void searchFor(QDialog* screen, const QString& typed)
{
    QLineEdit* field = edit(screen, "earTagEdit");
    field->clear();
    QTest::keyClicks(field, typed);
    QTest::mouseClick(button(screen, "searchButton"), Qt::LeftButton);
}

void chooseDepartures(QDialog* screen)
{
    QTest::mouseClick(child<QRadioButton>(screen, "departuresRadio"), Qt::LeftButton);
}

}  // namespace

class EarTagSearchTest : public QObject {
    Q_OBJECT
private slots:
    void opensOnEveryArrivalInEntryOrder();
    void searchMatchesTheBeginning_data();
    void searchMatchesTheBeginning();
    void typedTextIsOnlyCompared();
    void onlyDigitsAreTyped();
    void titleClickListsTheChosenTableSorted_data();
    void titleClickListsTheChosenTableSorted();
    void otherTitlesDoNothing();
    void navigatorOnlyBrowsesAndRefreshes();
    void menuOpensTheFourScreens();
};

void EarTagSearchTest::opensOnEveryArrivalInEntryOrder()
{
    SearchSite s;
    EarTagSearchDialog screen(s.db.session());
    showScreen(&screen);
    QCOMPARE(grid(&screen)->titles(),
             QStringList({"BFULSZAM", "BSZKELT", "FNEV", "SNEV", "BVKELT", "BHKAT", "BEUBIZ", "BSKOD", "BFKOD", "IDB",
                          "SRENDSZAM", "SCIM", "SJOVASZAM", "SKOD", "IDS", "FCIM", "FTENYKOD", "FSZNEV", "FSZCIM",
                          "FKOD", "IDF"}));
    QCOMPARE(gridColumn(grid(&screen), 0), QStringList({"1234567890", "0123456789", "9", "10", "1230"}));
    QCOMPARE(order(&screen), kHint);
    QVERIFY(edit(&screen, "earTagEdit")->hasFocus());
    QVERIFY(s.doubles.messages.isEmpty());
    // An ear tag is never cut: its column holds 25 digits.
    const int digits = grid(&screen)->fontMetrics().horizontalAdvance(QString(25, u'0'));
    QVERIFY(grid(&screen)->columnWidth(0) >= digits);
}

void EarTagSearchTest::searchMatchesTheBeginning_data()
{
    QTest::addColumn<bool>("departures");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("firstTitle");
    QTest::addColumn<QStringList>("found");

    // The match is on the beginning of the ear tag, and the list is in text order (10 before 9).
    QTest::newRow("arrivals 123") << false << "123" << "BFULSZAM" << QStringList{"1230", "1234567890"};
    QTest::newRow("arrivals, nothing typed")
        << false << "" << "BFULSZAM" << QStringList{"0123456789", "10", "1230", "1234567890", "9"};
    QTest::newRow("arrivals, nothing begins so") << false << "5" << "BFULSZAM" << QStringList{};
    QTest::newRow("departures 123") << true << "123" << "KFULSZAM" << QStringList{"1234567890"};
    QTest::newRow("departures, nothing typed")
        << true << "" << "KFULSZAM" << QStringList{"0123456789", "10", "1234567890", "9"};
}

void EarTagSearchTest::searchMatchesTheBeginning()
{
    QFETCH(bool, departures);
    QFETCH(QString, typed);
    QFETCH(QString, firstTitle);
    QFETCH(QStringList, found);
    SearchSite s;
    EarTagSearchDialog screen(s.db.session());
    showScreen(&screen);
    if (departures)
        chooseDepartures(&screen);
    searchFor(&screen, typed);
    QVERIFY2(s.doubles.messages.isEmpty(), qPrintable(s.doubles.messageTexts().join(u'\n')));
    QCOMPARE(grid(&screen)->titles().first(), firstTitle);
    QCOMPARE(gridColumn(grid(&screen), 0), found);
    QCOMPARE(order(&screen), QStringLiteral("Lista sorrend: fülszám szerint"));
}

void EarTagSearchTest::typedTextIsOnlyCompared()
{
    SearchSite s;
    // A full-length ear tag: with the wildcard after it the pattern is longer than the column.
    arrival(s.db, QString(25, u'7'), QStringLiteral("2011-03-15"), s.site.carrier, s.site.szabo);
    EarTagSearchDialog screen(s.db.session());
    showScreen(&screen);
    searchFor(&screen, QString(25, u'7'));
    QVERIFY2(s.doubles.messages.isEmpty(), qPrintable(s.doubles.messageTexts().join(u'\n')));
    QCOMPARE(gridColumn(grid(&screen), 0), QStringList{QString(25, u'7')});

    // Pasted text passes the key filter; it is still only a value compared with the ear tags.
    edit(&screen, "earTagEdit")->setText(QStringLiteral("1' OR '1'='1"));
    QTest::mouseClick(button(&screen, "searchButton"), Qt::LeftButton);
    QVERIFY2(s.doubles.messages.isEmpty(), qPrintable(s.doubles.messageTexts().join(u'\n')));
    // The search ran (its list is open, so it can be refreshed) and found nothing.
    QVERIFY(child<DBNavigator>(&screen, "resultsNavigator")->button(DBNavigator::Refresh)->isEnabled());
    QCOMPARE(gridColumn(grid(&screen), 0), QStringList());
    QCOMPARE(s.db.count(QStringLiteral("beszall")), 6);
}

void EarTagSearchTest::onlyDigitsAreTyped()
{
    SearchSite s;
    EarTagSearchDialog screen(s.db.session());
    showScreen(&screen);
    QLineEdit* field = edit(&screen, "earTagEdit");
    QTest::keyClicks(field, QStringLiteral("1a2-3 "));
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(field->text(), QStringLiteral("123"));
    // Enter searched nothing and left the focus where it was.
    QCOMPARE(order(&screen), kHint);
    QCOMPARE(gridColumn(grid(&screen), 0).size(), 5);
    QVERIFY(field->hasFocus());
}

void EarTagSearchTest::titleClickListsTheChosenTableSorted_data()
{
    QTest::addColumn<bool>("searchFirst");
    QTest::addColumn<bool>("departures");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("column");  // the column whose values show the order
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QString>("caption");

    const QStringList entryOrder{"1234567890", "0123456789", "9", "10", "1230"};
    // After a search the grid has fewer columns: position 9 holds the sender's address, yet the
    // click lists every arrival in entry order.
    QTest::newRow("arrivals: row id after a search")
        << true << false << 9 << 0 << entryOrder << "Lista sorrend: beviteli sorrend szerint";
    QTest::newRow("arrivals: ear tag") << false << false << 0 << 0
                                       << QStringList{"0123456789", "10", "1230", "1234567890", "9"}
                                       << "Lista sorrend: fülszám szerint";
    QTest::newRow("arrivals: arrival date")
        << true << false << 1 << 0 << QStringList{"0123456789", "1230", "9", "10", "1234567890"}
        << "Lista sorrend: beérkezés kelte szerint";
    QTest::newRow("arrivals: sender") << false << false << 2 << 2
                                      << QStringList{"Szabó Gazda", "Szabó Gazda", "Szabó Gazda", "Tóth Ágnes",
                                                     "Tóth Ágnes"}
                                      << "Lista sorrend: feladó neve szerint";
    QTest::newRow("arrivals: carrier") << false << false << 3 << 3 << QStringList(5, "Kiss Fuvar Bt.")
                                       << "Lista sorrend: szállitó neve szerint";
    // The radio buttons decide, not what the grid showed: the opening list is of arrivals.
    QTest::newRow("departures: ear tag, grid showing arrivals")
        << false << true << 0 << 0 << QStringList{"0123456789", "10", "1234567890", "9"}
        << "Lista sorrend: fülszám szerint";
    QTest::newRow("departures: dispatch date after a search")
        << true << true << 1 << 0 << QStringList{"0123456789", "1234567890", "9", "10"}
        << "Lista sorrend: kiszállitás kelte szerint";
    QTest::newRow("departures: buyer") << false << true << 2 << 2 << QStringList(4, "Hús-Vágó Zrt.")
                                       << "Lista sorrend: vevö neve szerint";
    QTest::newRow("departures: row id") << true << true << 9 << 0
                                        << QStringList{"1234567890", "0123456789", "10", "9"}
                                        << "Lista sorrend: beviteli sorrend szerint";
}

void EarTagSearchTest::titleClickListsTheChosenTableSorted()
{
    QFETCH(bool, searchFirst);
    QFETCH(bool, departures);
    QFETCH(int, position);
    QFETCH(int, column);
    QFETCH(QStringList, values);
    QFETCH(QString, caption);
    SearchSite s;
    EarTagSearchDialog screen(s.db.session());
    showScreen(&screen);
    if (searchFirst)
        searchFor(&screen, QStringLiteral("123"));
    if (departures)
        chooseDepartures(&screen);
    clickTitle(grid(&screen), position);
    QVERIFY2(s.doubles.messages.isEmpty(), qPrintable(s.doubles.messageTexts().join(u'\n')));
    QCOMPARE(gridColumn(grid(&screen), column), values);
    QCOMPARE(order(&screen), caption);
    // The whole list: the row id at position 9 again.
    QCOMPARE(grid(&screen)->titles().at(9), departures ? QStringLiteral("IDK") : QStringLiteral("IDB"));
}

void EarTagSearchTest::otherTitlesDoNothing()
{
    SearchSite s;
    EarTagSearchDialog screen(s.db.session());
    showScreen(&screen);
    searchFor(&screen, QStringLiteral("123"));
    for (int position : {4, 8, 10, 14})
        clickTitle(grid(&screen), position);
    QCOMPARE(gridColumn(grid(&screen), 0), QStringList({"1230", "1234567890"}));
    QCOMPARE(order(&screen), QStringLiteral("Lista sorrend: fülszám szerint"));
}

void EarTagSearchTest::navigatorOnlyBrowsesAndRefreshes()
{
    SearchSite s;
    EarTagSearchDialog screen(s.db.session());
    showScreen(&screen);
    searchFor(&screen, QStringLiteral("123"));
    auto* navigator = child<DBNavigator>(&screen, "resultsNavigator");
    for (auto b : {DBNavigator::Delete, DBNavigator::Edit, DBNavigator::Post, DBNavigator::Cancel}) {
        QVERIFY(navigator->button(b)->isVisible());
        QVERIFY(!navigator->button(b)->isEnabled());
    }
    QVERIFY(!navigator->button(DBNavigator::Insert)->isVisible());
    QTest::mouseClick(navigator->button(DBNavigator::Last), Qt::LeftButton);
    QCOMPARE(grid(&screen)->currentIndex().row(), 1);

    // Refresh runs the search again: an arrival entered meanwhile shows.
    arrival(s.db, QStringLiteral("1235"), QStringLiteral("2011-03-15"), s.site.carrier, s.site.toth);
    QVERIFY(navigator->button(DBNavigator::Refresh)->isEnabled());
    QTest::mouseClick(navigator->button(DBNavigator::Refresh), Qt::LeftButton);
    QVERIFY2(s.doubles.messages.isEmpty(), qPrintable(s.doubles.messageTexts().join(u'\n')));
    QCOMPARE(gridColumn(grid(&screen), 0), QStringList({"1230", "1234567890", "1235"}));
    QCOMPARE(grid(&screen)->currentIndex().row(), 1);
}

void EarTagSearchTest::menuOpensTheFourScreens()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    MainWindow main(&db.session());
    for (const char* item : {"Flszm1", "Beszlltiflszmok1", "Duplaflszm1", "Beszlltsblhinyzik1"})
        main.findChild<QAction*>(QString::fromLatin1(item))->trigger();
    QCOMPARE(doubles.modalsShown, QStringList({"earTagSearchDialog", "senderEarTagRangesDialog", "duplicateEarTagsDialog",
                                             "departuresWithoutArrivalDialog"}));
    QVERIFY(doubles.messages.isEmpty());
}

QTEST_MAIN(EarTagSearchTest)
#include "test_eartag_search.moc"
