#include "storage/shared_datasets.h"
#include "printing/report_feeds.h"
#include "report/engine.h"
#include "report/variables.h"
#include "testdb.h"
#include "ui/platform.h"

#include <QDir>
#include <QFile>
#include <QTest>

class EngineTest : public QObject {
    Q_OBJECT
private slots:
    void eventOrderForThreeRows();
    void rowNumberUsedTwiceAndFromOneEachTime();
    void variablesSurviveBetweenReports();
    void bandThatDoesNotFitMovesToNextPage();
    void bandAsTallAsThePageStillEnds();
    void companyHeadingOpensItsClosedTable();
    void showingHandsThePreparedPagesToTheSeam();
    void missingTemplate();
    void folderInsteadOfTemplate();
    void malformedTemplate_data();
    void malformedTemplate();
    void loadingReplacesTheTemplate();
    void compositeReportJoinsItsReports();
    void unknownDatasetEndsPreparation();
};

namespace {

void addArrivals(TestDatabase& db, const QStringList& tags, const QString& day = QStringLiteral("2011-03-01"))
{
    for (const QString& t : tags)
        db.exec(QStringLiteral("INSERT INTO beszall (bfulszam, bszkelt) VALUES ('%1', '%2')").arg(t, day));
}

}  // namespace

void EngineTest::eventOrderForThreeRows()
{
    TestDatabase db;
    addArrivals(db, {QStringLiteral("101"), QStringLiteral("102"), QStringLiteral("103")});
    Data->ZQ11.setSql({QStringLiteral("SELECT bfulszam FROM beszall ORDER BY bfulszam")});
    QVERIFY(!Data->ZQ11.active());

    DatasetRows rows(Data->ZQ11);
    report::ReportDataset dataset(QStringLiteral("frDBTeszt"), &rows);
    QStringList log;
    const auto here = [&] { return Data->ZQ11.eof() ? QStringLiteral("eof") : Data->ZQ11.fieldText(QStringLiteral("bfulszam")); };
    dataset.onOpen = [&] { log << QStringLiteral("open %1").arg(Data->ZQ11.active() ? QStringLiteral("(query open)") : QString()); };
    dataset.onFirst = [&] { log << QStringLiteral("first ") + here(); };
    dataset.onNext = [&] { log << QStringLiteral("next ") + here(); };

    QVERIFY(db.install(QFINDTESTDATA(QStringLiteral("templates/Esemenyek.frf"))));
    report::Report r(QStringLiteral("teszt"));
    r.onGetValue = [&](const QString& name, std::optional<report::Value>&) { log << QStringLiteral("print %1 (%2)").arg(here(), name); };
    r.loadFromFile(QStringLiteral("Esemenyek.frf"));
    const report::PreparedReport pages = r.prepare();

    QCOMPARE(log, QStringList({QStringLiteral("open (query open)"), QStringLiteral("first 101"),
                               QStringLiteral("print 101 (bfulszam)"), QStringLiteral("next 102"),
                               QStringLiteral("print 102 (bfulszam)"), QStringLiteral("next 103"),
                               QStringLiteral("print 103 (bfulszam)"), QStringLiteral("next eof")}));
    QCOMPARE(pages.lines(0), QStringList({QStringLiteral("101"), QStringLiteral("102"), QStringLiteral("103")}));
    // The query stays open after the report, on its last row.
    QVERIFY(Data->ZQ11.active());
}

void EngineTest::rowNumberUsedTwiceAndFromOneEachTime()
{
    TestDatabase db;
    addArrivals(db, {QStringLiteral("300"), QStringLiteral("100")}, QStringLiteral("2011-03-02"));
    addArrivals(db, {QStringLiteral("200")}, QStringLiteral("2011-03-01"));
    ReportFeeds& feeds = ReportFeeds::of(*Data);
    QVERIFY(db.install(QFINDTESTDATA(QStringLiteral("templates/Sorszam.frf"))));
    QVERIFY(ReportFeeds::loadReport(feeds.frReport5, QStringLiteral("Sorszam.frf"), nullptr));
    const QStringList expected = {QStringLiteral("1 | (1.) | 100"), QStringLiteral("2 | (2.) | 200"),
                                  QStringLiteral("3 | (3.) | 300"), QStringLiteral("Első érkezés: 200")};
    for (int run = 0; run < 2; ++run) {
        Data->ZQ12.setSql({QStringLiteral("SELECT bfulszam FROM beszall ORDER BY bfulszam")});
        QCOMPARE(feeds.frReport5.prepare().lines(0), expected);
        // The open event left every live arrival, by arrival date, in ZQ13 for the template.
        QVERIFY(Data->ZQ13.active());
        QCOMPARE(Data->ZQ13.recordCount(), 3);
    }
}

void EngineTest::variablesSurviveBetweenReports()
{
    TestDatabase db;
    ReportFeeds& feeds = ReportFeeds::of(*Data);
    QVERIFY(db.install(QFINDTESTDATA(QStringLiteral("templates/Kelt1.frf"))));
    QVERIFY(db.install(QFINDTESTDATA(QStringLiteral("templates/Kelt2.frf"))));
    report::variables().setText(QStringLiteral("v_kelt"), QStringLiteral("2011.03.15"));
    report::variables().setText(QStringLiteral("v_hely"), QStringLiteral("Újfehértó"));
    // The range list's callback leaves its count in the table too.
    feeds.RangeTagCount = 17;
    QVERIFY(ReportFeeds::loadReport(feeds.frReport1, QStringLiteral("Kelt1.frf"), nullptr));
    QCOMPARE(feeds.frReport1.prepare().lines(0), QStringList({QStringLiteral("Kelt: 2011.03.15, hely: Újfehértó, db: 17")}));

    // A later report without a callback of its own sees the same values.
    QVERIFY(ReportFeeds::loadReport(feeds.frReport2, QStringLiteral("Kelt2.frf"), nullptr));
    QCOMPARE(feeds.frReport2.prepare().lines(0), QStringList({QStringLiteral("2011.03.15 / Újfehértó / 17")}));
    report::variables().setText(QStringLiteral("v_hely"), QStringLiteral("Debrecen"));
    QCOMPARE(feeds.frReport2.prepare().lines(0), QStringList({QStringLiteral("2011.03.15 / Debrecen / 17")}));
}

void EngineTest::bandThatDoesNotFitMovesToNextPage()
{
    TestDatabase db;
    addArrivals(db, {QStringLiteral("A1"), QStringLiteral("A2"), QStringLiteral("A3")});
    ReportFeeds& feeds = ReportFeeds::of(*Data);
    Data->ZQ11.setSql({QStringLiteral("SELECT bfulszam FROM beszall ORDER BY bfulszam")});
    QVERIFY(db.install(QFINDTESTDATA(QStringLiteral("templates/Oldaltores.frf"))));
    QVERIFY(ReportFeeds::loadReport(feeds.frReport5, QStringLiteral("Oldaltores.frf"), nullptr));
    const report::PreparedReport r = feeds.frReport5.prepare();

    QCOMPARE(r.pageCount(), 3);
    QCOMPARE(r.plainText(), QStringLiteral("=== 1. oldal ===\nFej 1\n1. A1\n2. A2\nOldal 1 / 3\n"
                                           "=== 2. oldal ===\nFej 2\n3. A3\nOldal 2 / 3\n"
                                           "=== 3. oldal ===\nFej 3\nÖsszesen: 3\nOldal 3 / 3\n"));
    // Rows start under the header; the footer stands at the bottom margin of every page.
    const auto top = [&](int page, const QString& text) {
        for (const auto& t : r.pages[static_cast<size_t>(page)].texts)
            if (t.text == text)
                return t.rect.top();
        return -1.0;
    };
    QCOMPARE(top(0, QStringLiteral("1. A1")), 20.0);
    QCOMPARE(top(0, QStringLiteral("2. A2")), 35.0);
    QCOMPARE(top(1, QStringLiteral("3. A3")), 20.0);
    QCOMPARE(top(2, QStringLiteral("Összesen: 3")), 20.0);
    QCOMPARE(top(1, QStringLiteral("Oldal 2 / 3")), 60.0);
    QCOMPARE(r.pages[0].size, QSizeF(100, 80));
}

void EngineTest::bandAsTallAsThePageStillEnds()
{
    TestDatabase db;
    addArrivals(db, {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});
    ReportFeeds& feeds = ReportFeeds::of(*Data);
    Data->ZQ11.setSql({QStringLiteral("SELECT bfulszam FROM beszall ORDER BY bfulszam")});
    QVERIFY(db.install(QFINDTESTDATA(QStringLiteral("templates/Magas.frf"))));
    QVERIFY(ReportFeeds::loadReport(feeds.frReport5, QStringLiteral("Magas.frf"), nullptr));
    const report::PreparedReport r = feeds.frReport5.prepare();
    QCOMPARE(r.pageCount(), 3);
    for (int p = 0; p < 3; ++p)
        QCOMPARE(r.lines(p), QStringList({QString::number(p + 1)}));
}

void EngineTest::companyHeadingOpensItsClosedTable()
{
    TestDatabase db;
    db.exec(QStringLiteral("INSERT INTO partner (pnev, pirszam, phelyseg) VALUES ('Gerundo Állatforgalmi Kft.', '4244', "
                           "'Újfehértó')"));
    ReportFeeds& feeds = ReportFeeds::of(*Data);
    QVERIFY(!Data->IBTable10.active());
    QVERIFY(db.install(QFINDTESTDATA(QStringLiteral("templates/Ceg.frf"))));
    QVERIFY(ReportFeeds::loadReport(feeds.frReport2, QStringLiteral("Ceg.frf"), nullptr));
    QCOMPARE(feeds.frReport2.prepare().lines(0),
             QStringList({QStringLiteral("Gerundo Állatforgalmi Kft."), QStringLiteral("4244 Újfehértó")}));
}

void EngineTest::showingHandsThePreparedPagesToTheSeam()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    ReportFeeds& feeds = ReportFeeds::of(*Data);
    QVERIFY(db.install(QFINDTESTDATA(QStringLiteral("templates/Kelt2.frf"))));
    report::variables().setText(QStringLiteral("v_kelt"), QStringLiteral("2011.04.01"));
    QVERIFY(ReportFeeds::loadReport(feeds.frReport6, QStringLiteral("Kelt2.frf"), nullptr));
    feeds.frReport6.modalPreview = true;
    QVERIFY(ReportFeeds::showReport(feeds.frReport6, nullptr));
    QCOMPARE(doubles.reportsShown.size(), 1);
    const platform::ShownReport& shown = doubles.reportsShown.first();
    QVERIFY(shown.options.modal);
    QVERIFY(shown.options.buttons.testFlag(report::PreviewButton::Print));
    QCOMPARE(shown.pages.title, QStringLiteral("Második"));
    QVERIFY(shown.pages.lines(0).first().startsWith(QStringLiteral("2011.04.01 / ")));

    // The other report objects offer every button but Print.
    QVERIFY(ReportFeeds::loadReport(feeds.frReport1, QStringLiteral("Kelt2.frf"), nullptr));
    QVERIFY(ReportFeeds::showReport(feeds.frReport1, nullptr));
    QCOMPARE(doubles.reportsShown.last().options.buttons, report::kStandardButtons);
    QVERIFY(doubles.messages.isEmpty());
}

void EngineTest::missingTemplate()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    ReportFeeds& feeds = ReportFeeds::of(*Data);
    QVERIFY(db.install(QFINDTESTDATA(QStringLiteral("templates/Kelt1.frf"))));
    QVERIFY(ReportFeeds::loadReport(feeds.frReport1, QStringLiteral("Kelt1.frf"), nullptr));
    QVERIFY(!ReportFeeds::loadReport(feeds.frReport1, QStringLiteral("Fulszambe1.frf"), nullptr));
    QCOMPARE(doubles.messageTexts(),
             QStringList({QStringLiteral("Nem lehet megnyitni a(z) \"Fulszambe1.frf\" fájlt. A rendszer nem találja a megadott fájlt.")}));
    QVERIFY(doubles.reportsShown.isEmpty());
    // What the object held before stays.
    QCOMPARE(feeds.frReport1.layout().title, QStringLiteral("Első"));
}

void EngineTest::folderInsteadOfTemplate()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    QVERIFY(QDir().mkdir(QStringLiteral("Telepen.frf")));
    QVERIFY(!ReportFeeds::loadReport(ReportFeeds::of(*Data).frReport5, QStringLiteral("Telepen.frf"), nullptr));
    QCOMPARE(doubles.lastMessage(), QStringLiteral("Nem lehet megnyitni a(z) \"Telepen.frf\" fájlt. Ez nem fájl, hanem mappa."));
}

void EngineTest::malformedTemplate_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("detail");

    QTest::newRow("unknown attribute (file)") << QByteArray() << "7. sor: ismeretlen tulajdonság: „vastag”";
    QTest::newRow("unknown section") << QByteArray("[report]\n[fejlec]\n") << "2. sor: ismeretlen szakasz: [fejlec] "
                                                                             "(report, expressions, columns, title, "
                                                                             "pageheader, masterdata, pagefooter, summary)";
    QTest::newRow("line outside a section") << QByteArray("# megjegyzés\nheight = 5\n")
                                            << "2. sor: a sor nem tartozik szakaszhoz; az első szakasz például [report]";
    QTest::newRow("not UTF-8") << QByteArray("[report]\ntitle = F\xfcl\n") << "2. sor: a sor nem UTF-8 kódolású";
    QTest::newRow("text outside its band") << QByteArray("[title]\nheight = 5\ntext 0 2 10 5 : 1\n")
                                           << "3. sor: a szövegmező kilóg a sávból (a sáv magassága 5 mm)";
    QTest::newRow("text wider than the page") << QByteArray("[title]\nheight = 5\ntext 100 0 100 5 : 1\n")
                                              << "3. sor: a szövegmező kilóg a nyomtatható szélességből (190 mm)";
    QTest::newRow("data band without dataset") << QByteArray("[report]\n\n[masterdata]\nheight = 5\n")
                                               << "3. sor: a [masterdata] sávnak adatkészlet kell (dataset = …)";
    QTest::newRow("band without height") << QByteArray("[summary]\n") << "1. sor: hiányzik a sáv magassága (height = … mm)";
    QTest::newRow("two page headers") << QByteArray("[pageheader]\nheight=5\n[pageheader]\nheight=5\n")
                                      << "3. sor: a [pageheader] sáv kétszer szerepel";
    QTest::newRow("expressions in a circle") << QByteArray("[expressions]\na = [b] + 1\nb = [a] + 1\n")
                                             << "2. sor: a(z) „a” kifejezés önmagára hivatkozik";
    QTest::newRow("unknown paper") << QByteArray("[report]\npaper = B7\n") << "2. sor: ismeretlen papírméret: „B7”";
    QTest::newRow("cell of no column") << QByteArray("[columns]\nnev = 20\n[title]\nheight = 5\ncell kod 0 5 : 1\n")
                                       << "5. sor: ismeretlen oszlop: „kod” (a [columns] szakaszban megadottak egyike)";
    QTest::newRow("columns wider than the page") << QByteArray("[columns]\na = 100\nb = min=100 share=1\n")
                                                 << "3. sor: az oszlopok legkisebb szélessége együtt 200 mm, több a "
                                                    "nyomtatható szélességnél (190 mm)";
    QTest::newRow("columns after a band") << QByteArray("[title]\nheight = 5\n[columns]\na = 10\n")
                                          << "3. sor: a [columns] szakasz a sávok előtt álljon";
    QTest::newRow("column width that is no number") << QByteArray("[columns]\na = széles\n")
                                                    << "2. sor: oszlopszélesség: nem szám: „széles”";
    QTest::newRow("unknown way to fit") << QByteArray("[title]\nheight = 5\ntext 0 0 10 5 fit=kicsi : 1\n")
                                        << "3. sor: ismeretlen illesztés: „kicsi” (wrap, shrink, elide)";
    QTest::newRow("text without content") << QByteArray("[title]\nheight = 5\ntext 0 0 10 5\n")
                                          << "3. sor: a szövegmező tartalma hiányzik: text x y szélesség magasság "
                                             "[tulajdonságok] : kifejezés";
}

void EngineTest::malformedTemplate()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, detail);
    TestDatabase db;
    platform::TestDoubles doubles;
    QString name = QStringLiteral("Hibas.frf");
    if (content.isEmpty()) {
        QVERIFY(db.install(QFINDTESTDATA(QStringLiteral("templates/") + name)));
    } else {
        name = QStringLiteral("Rossz.frf");
        QFile f(name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    ReportFeeds& feeds = ReportFeeds::of(*Data);
    QVERIFY(!ReportFeeds::loadReport(feeds.frReport3, name, nullptr));
    QCOMPARE(doubles.messageTexts(),
             QStringList({QStringLiteral("Nem lehet megnyitni a(z) \"%1\" fájlt. Hibás jelentéssablon, %2").arg(name, detail)}));
    QVERIFY(!feeds.frReport3.hasTemplate());
}

void EngineTest::loadingReplacesTheTemplate()
{
    TestDatabase db;
    ReportFeeds& feeds = ReportFeeds::of(*Data);
    QVERIFY(db.install(QFINDTESTDATA(QStringLiteral("templates/Kelt1.frf"))));
    QVERIFY(db.install(QFINDTESTDATA(QStringLiteral("templates/Kelt2.frf"))));
    report::variables().setText(QStringLiteral("v_kelt"), QStringLiteral("K"));
    report::variables().setText(QStringLiteral("v_hely"), QStringLiteral("H"));
    report::variables().setInt(QStringLiteral("v_db"), 2);
    QVERIFY(ReportFeeds::loadReport(feeds.frReport4, QStringLiteral("Kelt1.frf"), nullptr));
    QVERIFY(ReportFeeds::loadReport(feeds.frReport4, QStringLiteral("Kelt2.frf"), nullptr));
    QCOMPARE(feeds.frReport4.prepare().plainText(), QStringLiteral("=== 1. oldal ===\nK / H / 2\n"));
}

void EngineTest::compositeReportJoinsItsReports()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    ReportFeeds& feeds = ReportFeeds::of(*Data);
    QVERIFY(db.install(QFINDTESTDATA(QStringLiteral("templates/Kelt1.frf"))));
    QVERIFY(db.install(QFINDTESTDATA(QStringLiteral("templates/Oldaltores.frf"))));
    addArrivals(db, {QStringLiteral("A1"), QStringLiteral("A2"), QStringLiteral("A3")});
    Data->ZQ11.setSql({QStringLiteral("SELECT bfulszam FROM beszall ORDER BY bfulszam")});
    report::variables().setText(QStringLiteral("v_kelt"), QStringLiteral("K"));
    report::variables().setText(QStringLiteral("v_hely"), QStringLiteral("H"));
    report::variables().setInt(QStringLiteral("v_db"), 1);
    QVERIFY(ReportFeeds::loadReport(feeds.frReport2, QStringLiteral("Kelt1.frf"), nullptr));
    QVERIFY(ReportFeeds::loadReport(feeds.frReport5, QStringLiteral("Oldaltores.frf"), nullptr));
    feeds.frCompositeReport1.reports = {&feeds.frReport2, &feeds.frReport5};
    feeds.frCompositeReport1.showReport(nullptr);
    QCOMPARE(doubles.reportsShown.size(), 1);
    const report::PreparedReport& pages = doubles.reportsShown.first().pages;
    QCOMPARE(pages.pageCount(), 4);
    QCOMPARE(pages.lines(0), QStringList({QStringLiteral("Kelt: K, hely: H, db: 1")}));
    // Each report keeps its own page numbers and sizes.
    QCOMPARE(pages.lines(3), QStringList({QStringLiteral("Fej 3"), QStringLiteral("Összesen: 3"), QStringLiteral("Oldal 3 / 3")}));
    QCOMPARE(pages.pages[3].size, QSizeF(100, 80));
    QCOMPARE(pages.pages[0].size, QSizeF(210, 297));
    QVERIFY(doubles.reportsShown.first().options.buttons.testFlag(report::PreviewButton::Print));
}

void EngineTest::unknownDatasetEndsPreparation()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    ReportFeeds& feeds = ReportFeeds::of(*Data);
    feeds.frReport2.setTemplate(report::parseTemplate("[masterdata]\ndataset = frDBNincs\nheight = 5\n", QStringLiteral("X.frf")));
    QVERIFY(!ReportFeeds::showReport(feeds.frReport2, nullptr));
    QCOMPARE(doubles.messageTexts(),
             QStringList({QStringLiteral("A(z) \"X.frf\" sablon a(z) \"frDBNincs\" adatkészletre hivatkozik, de ilyen "
                                         "adatkészlet nincs.")}));
    QVERIFY(doubles.reportsShown.isEmpty());
}

QTEST_MAIN(EngineTest)
#include "test_engine.moc"
