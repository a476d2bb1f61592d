#include "storage/shared_datasets.h"
#include "printing/report_feeds.h"
#include "report/variables.h"
#include "testdb.h"
#include "ui/platform.h"

#include <QFile>
#include <QLineEdit>
#include <QTest>

class ReportFeedsTest : public QObject {
    Q_OBJECT
private slots:
    void earTagListFourToALine_data();
    void earTagListFourToALine();
    void rangeCounts_data();
    void rangeCounts();
    void failureEndsPreparationWithoutPreview_data();
    void failureEndsPreparationWithoutPreview();
    void feedsLiveAndDieWithTheDataModule();
};

void ReportFeedsTest::earTagListFourToALine_data()
{
    QTest::addColumn<int>("tags");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("none") << 0 << QStringList();
    QTest::newRow("one") << 1 << QStringList({"1:T01 2: 3: 4:"});
    QTest::newRow("three") << 3 << QStringList({"1:T01 2:T02 3:T03 4:"});
    QTest::newRow("four") << 4 << QStringList({"1:T01 2:T02 3:T03 4:T04"});
    QTest::newRow("five") << 5 << QStringList({"1:T01 2:T02 3:T03 4:T04", "5:T05 6: 7: 8:"});
    QTest::newRow("six") << 6 << QStringList({"1:T01 2:T02 3:T03 4:T04", "5:T05 6:T06 7: 8:"});
    QTest::newRow("eight") << 8 << QStringList({"1:T01 2:T02 3:T03 4:T04", "5:T05 6:T06 7:T07 8:T08"});
}

void ReportFeedsTest::earTagListFourToALine()
{
    QFETCH(int, tags);
    QFETCH(QStringList, lines);
    TestDatabase db;
    for (int i = 1; i <= tags; ++i)
        db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam, kikelt) VALUES ('T%1', '2011-03-15')").arg(i, 2, 10, QChar(u'0')));
    // Another day's departure stays out of the list.
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam, kikelt) VALUES ('T00', '2011-03-14')"));
    ReportFeeds& feeds = ReportFeeds::of(*Data);
    Data->ZQ22.setSql({QStringLiteral("SELECT kfulszam FROM kiszall"), QStringLiteral("WHERE kikelt = :p1"),
                       QStringLiteral("ORDER BY kfulszam")});
    Data->ZQ22.setParamDate(QStringLiteral("p1"), QDate(2011, 3, 15));
    Data->ZQ22.open();
    QVERIFY(db.install(QFINDTESTDATA(QStringLiteral("templates/Fulszamlista_proba.frf"))));
    QVERIFY(ReportFeeds::loadReport(feeds.frReport6, QStringLiteral("Fulszamlista_proba.frf"), nullptr));

    const report::PreparedReport r = feeds.frReport6.prepare();
    QCOMPARE(r.pageCount(), 1);
    QCOMPARE(r.lines(0), lines);
    // The numbers went on counting through the empty slots of the last line.
    QCOMPARE(feeds.ListSlotNumber[3], qint64(lines.size() * 4 + 4));
    QVERIFY(feeds.ListSlotTag[0].isEmpty());
}

void ReportFeedsTest::rangeCounts_data()
{
    QTest::addColumn<bool>("incoming");
    QTest::newRow("incoming") << true;
    QTest::newRow("outgoing") << false;
}

void ReportFeedsTest::rangeCounts()
{
    QFETCH(bool, incoming);
    TestDatabase db;
    const QString insert = incoming ? QStringLiteral("INSERT INTO beszall (bfulszam, bszkelt) VALUES ('%1', '%2')")
                                    : QStringLiteral("INSERT INTO kiszall (kfulszam, kikelt) VALUES ('%1', '%2')");
    for (const char* tag : {"101", "102", "103", "107", "99", "100", "1000", "10", "11", "0012", "12A"})
        db.exec(insert.arg(QString::fromLatin1(tag), QStringLiteral("2011-03-15")));
    db.exec(insert.arg(QStringLiteral("102"), QStringLiteral("2011-03-14")));
    for (const auto& [from, to] : {std::pair{"101", "103"}, std::pair{"107", "107"}, std::pair{"99", "100"},
                                   std::pair{"10", "11"}, std::pair{"11", "12"}})
        db.exec(QStringLiteral("INSERT INTO fulszam (ufultol, ufulig) VALUES ('%1', '%2')").arg(QString::fromLatin1(from), QString::fromLatin1(to)));

    ReportFeeds& feeds = ReportFeeds::of(*Data);
    QLineEdit day;
    day.setText(QStringLiteral("2011.03.14"));
    incoming ? feeds.setIncomingDayField(&day) : feeds.setOutgoingDayField(&day);
    report::Report& r = incoming ? feeds.frReport1 : feeds.frReport3;
    const QString file = incoming ? QStringLiteral("Be_tartomany.frf") : QStringLiteral("Ki_tartomany.frf");
    QVERIFY(db.install(QFINDTESTDATA(QStringLiteral("templates/") + file)));
    QVERIFY(ReportFeeds::loadReport(r, file, nullptr));
    Data->ZQ60.setSql({QStringLiteral("SELECT ufultol, ufulig, IDu FROM fulszam ORDER BY IDu")});
    // The field is read while the report is prepared, not when it was handed over.
    day.setText(QStringLiteral("2011.03.15"));

    const report::PreparedReport pages = r.prepare();
    // The day's ear tags whose numbers lie in the range: 99 and 100 in 99-100 (as text nothing lies
    // between them), neither 100 nor 1000 in 10-11, 0012 (twelve) in 11-12, and no tag that is no
    // number; 102 of the day before does not count.
    QCOMPARE(pages.lines(0), QStringList({QStringLiteral("1. 101-103: 3"), QStringLiteral("2. 107-107: 1"),
                                          QStringLiteral("3. 99-100: 2"), QStringLiteral("4. 10-11: 2"),
                                          QStringLiteral("5. 11-12: 2")}));
    QCOMPARE(report::variables().value(QStringLiteral("v_db"))->toInt(), 2);
    QVERIFY(Data->ZQ60.active());
}

void ReportFeedsTest::failureEndsPreparationWithoutPreview_data()
{
    QTest::addColumn<bool>("incoming");
    QTest::addColumn<QString>("day");
    QTest::addColumn<QStringList>("ranges");
    QTest::addColumn<QString>("message");

    // The second range's first ear tag is longer than the column it is compared with: the
    // database refuses the count.
    QTest::newRow("database error in a count")
        << true << "2011.03.15"
        << QStringList({"SELECT CAST(ufultol AS VARCHAR(40)) AS ufultol, ufulig FROM fulszam", "UNION ALL",
                        "SELECT '1234567890123456789012345678901', '2' FROM rdb$database"})
        << "A szöveg hosszabb, mint amit az oszlopa tárol";
    QTest::newRow("day that is no date") << false << "2011.13.45" << QStringList({"SELECT ufultol, ufulig FROM fulszam"})
                                         << "Érvénytelen dátum: „2011.13.45”";
}

void ReportFeedsTest::failureEndsPreparationWithoutPreview()
{
    QFETCH(bool, incoming);
    QFETCH(QString, day);
    QFETCH(QStringList, ranges);
    QFETCH(QString, message);
    TestDatabase db;
    platform::TestDoubles doubles;
    db.exec(QStringLiteral("INSERT INTO fulszam (ufultol, ufulig) VALUES ('101', '103')"));
    ReportFeeds& feeds = ReportFeeds::of(*Data);
    QLineEdit dayField(day);
    incoming ? feeds.setIncomingDayField(&dayField) : feeds.setOutgoingDayField(&dayField);
    report::Report& r = incoming ? feeds.frReport1 : feeds.frReport3;
    const QString file = incoming ? QStringLiteral("Be_tartomany.frf") : QStringLiteral("Ki_tartomany.frf");
    QVERIFY(db.install(QFINDTESTDATA(QStringLiteral("templates/") + file)));
    QVERIFY(ReportFeeds::loadReport(r, file, nullptr));
    Data->ZQ60.setSql(ranges);
    r.modalPreview = true;
    QVERIFY(!ReportFeeds::showReport(r, nullptr));
    QVERIFY(doubles.reportsShown.isEmpty());
    QCOMPARE(doubles.messages.size(), 1);
    QVERIFY2(doubles.lastMessage().contains(message), qPrintable(doubles.lastMessage()));
}

void ReportFeedsTest::feedsLiveAndDieWithTheDataModule()
{
    {
        TestDatabase db;
        ReportFeeds& feeds = ReportFeeds::of(*Data);
        QCOMPARE(&ReportFeeds::of(*Data), &feeds);
        QCOMPARE(feeds.ReportRowNumber, qint64(0));
        QCOMPARE(report::catalog().dataset(QStringLiteral("frDBFulszamlista")), &feeds.frDBFulszamlista);
        QVERIFY(report::catalog().source(QStringLiteral("company")).has_value());
    }
    QCOMPARE(report::catalog().dataset(QStringLiteral("frDBFulszamlista")), nullptr);
    QVERIFY(!report::catalog().source(QStringLiteral("company")).has_value());
}

QTEST_MAIN(ReportFeedsTest)
#include "test_report_feeds.moc"
