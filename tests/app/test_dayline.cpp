#include "app/dayline.h"
#include "app/mainwindow.h"
#include "app/splash.h"
#include "storage/shared_datasets.h"
#include "core/day_counts.h"
#include "testdb.h"
#include "ui/platform.h"

#include <QAction>
#include <QLabel>
#include <QTest>

namespace {
// The test doubles' today.
const QDate kToday(2011, 3, 15);

void arrive(TestDatabase& db, const QString& tag, const QDate& day)
{
    db.exec(QStringLiteral("INSERT INTO beszall (bfulszam, bszkelt) VALUES (%1, %2)")
                .arg(tag.isNull() ? QStringLiteral("NULL") : u'\'' + tag + u'\'',
                     day.isValid() ? day.toString(QStringLiteral("''yyyy-MM-dd''")) : QStringLiteral("NULL")));
}

void depart(TestDatabase& db, const QString& tag, const QDate& day)
{
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam, kikelt) VALUES (%1, %2)")
                .arg(tag.isNull() ? QStringLiteral("NULL") : u'\'' + tag + u'\'',
                     day.isValid() ? day.toString(QStringLiteral("''yyyy-MM-dd''")) : QStringLiteral("NULL")));
}

// "HU1@0" = ear tag HU1 on today + 0 days; "HU1@-" = without a date; "-@0" = without an ear tag.
void load(TestDatabase& db, const QStringList& entries, void (*add)(TestDatabase&, const QString&, const QDate&))
{
    for (const QString& e : entries) {
        const QString tag = e.section(u'@', 0, 0);
        const QString day = e.section(u'@', 1, 1);
        add(db, tag == QLatin1String("-") ? QString() : tag,
            day == QLatin1String("-") ? QDate() : kToday.addDays(day.toInt()));
    }
}

QString shown(const MainWindow& form, const char* name)
{
    auto* label = form.findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<none>");
}

// Starts the main window as the program does (with a short splash) and shows it.
bool startShown(MainWindow& form)
{
    LoadingSplash::setIntervalForTests(20);
    if (!form.startUp())
        return false;
    form.show();
    return true;
}
}  // namespace

class DayLineTest : public QObject {
    Q_OBJECT
private slots:
    void counts_data();
    void counts();
    void mainWindowShowsTheDay();
    void onSiteRecountedAfterAWritingScreenOnly();
};

void DayLineTest::counts_data()
{
    QTest::addColumn<QStringList>("arrivals");
    QTest::addColumn<QStringList>("departures");
    QTest::addColumn<qint64>("arrivedToday");
    QTest::addColumn<qint64>("departedToday");
    QTest::addColumn<qint64>("onSite");
    QTest::newRow("empty") << QStringList{} << QStringList{} << 0LL << 0LL << 0LL;
    QTest::newRow("arrived today, on site") << QStringList{"HU1@0"} << QStringList{} << 1LL << 0LL << 1LL;
    QTest::newRow("other days do not count for today")
        << QStringList{"HU1@-1", "HU2@1", "HU3@-365", "HU4@-"} << QStringList{"HU1@-1", "HU2@1", "HU3@-"} << 0LL
        << 0LL << 1LL;
    QTest::newRow("departed the day it came") << QStringList{"HU1@0"} << QStringList{"HU1@0"} << 1LL << 1LL << 0LL;
    QTest::newRow("departed another day") << QStringList{"HU1@-3"} << QStringList{"HU1@-1"} << 0LL << 0LL << 0LL;
    QTest::newRow("arrived twice, still here: one animal")
        << QStringList{"HU1@-10", "HU1@0"} << QStringList{} << 1LL << 0LL << 1LL;
    QTest::newRow("arrived twice, departed") << QStringList{"HU1@-10", "HU1@0"} << QStringList{"HU1@0"} << 1LL << 1LL
                                             << 0LL;
    QTest::newRow("departure without arrival takes nobody away")
        << QStringList{"HU1@0", "HU2@0"} << QStringList{"HU9@0"} << 2LL << 1LL << 2LL;
    QTest::newRow("rows without an ear tag are no animal") << QStringList{"-@0"} << QStringList{"-@0"} << 1LL << 1LL
                                                           << 0LL;
    QTest::newRow("a busy day") << QStringList{"HU1@0", "HU2@0", "HU3@0", "HU4@-2", "HU5@-2"}
                                << QStringList{"HU4@0", "HU5@0", "HU1@0", "HU6@-1"} << 3LL << 3LL << 2LL;
}

void DayLineTest::counts()
{
    QFETCH(QStringList, arrivals);
    QFETCH(QStringList, departures);
    TestDatabase db;
    load(db, arrivals, arrive);
    load(db, departures, depart);
    const daycounts::Day day = daycounts::countDay(Data->ZCon1.attachment(), kToday);
    QTEST(day.arrivals, "arrivedToday");
    QTEST(day.departures, "departedToday");
    QTEST(daycounts::countOnSite(Data->ZCon1.attachment()), "onSite");
}

void DayLineTest::mainWindowShowsTheDay()
{
    TestDatabase db(false);
    load(db, {"HU1@0", "HU2@0", "HU3@-1"}, arrive);
    load(db, {"HU3@0"}, depart);
    platform::TestDoubles doubles;
    MainWindow form;
    QVERIFY(startShown(form));
    QCOMPARE(shown(form, "Today"), QStringLiteral("2011.03.15"));
    QCOMPARE(shown(form, "TodayArrivals"), QStringLiteral("2"));
    QCOMPARE(shown(form, "TodayDepartures"), QStringLiteral("1"));
    QCOMPARE(shown(form, "AnimalsOnSite"), QStringLiteral("2"));
    // Each value is named by its label, for a screen reader as for the eye.
    const struct {
        const char* value;
        const char* caption;
    } pairs[] = {{"Today", "Mai nap:"},
                 {"TodayArrivals", "Beérkezett:"},
                 {"TodayDepartures", "Kiszállított:"},
                 {"AnimalsOnSite", "Telepen lévő állatok:"}};
    for (const auto& p : pairs) {
        auto* value = form.findChild<QLabel*>(QString::fromLatin1(p.value));
        auto* caption = form.findChild<QLabel*>(QString::fromLatin1(p.value) + QStringLiteral("Label"));
        QVERIFY(value && caption);
        QCOMPARE(caption->text(), QString::fromUtf8(p.caption));
        QCOMPARE(caption->buddy(), value);
        QVERIFY(!value->accessibleName().isEmpty());
        QVERIFY(value->isVisible());
    }
    // Thousands apart.
    db.exec(QStringLiteral("EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < 1234) DO BEGIN "
                           "INSERT INTO beszall (bfulszam, bszkelt) VALUES ('T' || :I, '2011-03-15'); I = I + 1; "
                           "END END"));
    form.refreshTables();
    QCOMPARE(shown(form, "TodayArrivals"), QStringLiteral("1\u00a0236"));
}

void DayLineTest::onSiteRecountedAfterAWritingScreenOnly()
{
    TestDatabase db(false);
    load(db, {"HU1@-1"}, arrive);
    platform::TestDoubles doubles;
    MainWindow form;
    QVERIFY(startShown(form));
    QCOMPARE(shown(form, "AnimalsOnSite"), QStringLiteral("1"));

    // Another desk records an arrival: a plain refresh renews the day, not the on-site count.
    load(db, {"HU2@0"}, arrive);
    form.refreshTables();
    QCOMPARE(shown(form, "TodayArrivals"), QStringLiteral("1"));
    QCOMPARE(shown(form, "AnimalsOnSite"), QStringLiteral("1"));
    // Nor does a screen that only reads.
    form.findChild<QAction*>(QStringLiteral("Flszm1"))->trigger();
    QCOMPARE(doubles.modalsShown.size(), 1);
    QCOMPARE(shown(form, "AnimalsOnSite"), QStringLiteral("1"));

    // A screen that writes: after it closes, both are counted again.
    const struct {
        const char* action;
        const char* arrival;
    } writers[] = {{"j1", "HU3@0"}, {"Mdosits1", "HU4@0"}, {"Beszllitott1", "HU5@0"}};
    int expected = 2;
    for (const auto& w : writers) {
        load(db, {QString::fromLatin1(w.arrival)}, arrive);
        form.findChild<QAction*>(QString::fromLatin1(w.action))->trigger();
        QCOMPARE(shown(form, "AnimalsOnSite"), QString::number(++expected));
        QCOMPARE(shown(form, "TodayArrivals"), QString::number(expected - 1));
    }
    QCOMPARE(doubles.modalsShown.size(), 4);
}

QTEST_MAIN(DayLineTest)
#include "test_dayline.moc"
