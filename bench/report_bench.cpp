// The range list of a day with 5,000 ranges (about 100 pages) among 100,000 live arrivals: the bare
// fetch of its rows, the layout of its pages without events, the 5,000 count queries of the events
// against a bare loop of the same statement prepared once, the whole preparation, the PDF, and the
// time from the end of preparation to the first preview page on screen; then the same list laid out
// with columns sized from the day's values and wrapping names, its preparation and its PDF.
#include "benchsupport.h"

#include "storage/shared_datasets.h"
#include "printing/report_feeds.h"
#include "report/preview.h"
#include "report/render.h"
#include "report/variables.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>

#include <cstdio>
#include <vector>

namespace {

constexpr int kArrivals = 100000;
constexpr int kDayArrivals = 10000;  // the day's arrivals: 5,000 ranges of two ear tags
constexpr int kRanges = kDayArrivals / 2;

const QStringList kRangeListLines = {QStringLiteral("SELECT ufultol, ufulig, IDu,"),
                                     QStringLiteral("bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod, IDb,"),
                                     QStringLiteral("srendszam, snev, scim, sjovaszam, skod, IDs,"),
                                     QStringLiteral("fnev, fcim, ftenykod, fsznev, fszcim, fkod, IDf"),
                                     QStringLiteral("FROM fulszam"),
                                     QStringLiteral("JOIN beszall  ON beszall.bfulszam  = fulszam.ufultol"),
                                     QStringLiteral("JOIN szallito ON szallito.skod    = beszall.bskod"),
                                     QStringLiteral("JOIN felado   ON felado.fkod       = beszall.bfkod"),
                                     QStringLiteral("WHERE bszkelt = :p1")};
// The count the range events run: the day's ear tags whose number lies in the range.
const QString kCountSql = QStringLiteral(
    "SELECT COUNT(bfulszam) AS db\nFROM beszall\n"
    "WHERE (LPAD(bfulszam, 25, '0') >= LPAD(CAST(:p1 AS VARCHAR(25)), 25, '0'))\n"
    "AND (LPAD(bfulszam, 25, '0') <= LPAD(CAST(:p2 AS VARCHAR(25)), 25, '0'))\n"
    "AND bfulszam SIMILAR TO '[0-9]+' AND bszkelt = :p3");
const QDate kDay(2011, 3, 15);

void openRanges()
{
    Data->ZQ60.close();
    Data->ZQ60.setSql(kRangeListLines);
    Data->ZQ60.setParamDate(QStringLiteral("p1"), kDay);
    Data->ZQ60.open();
    Data->ZQ60.recordCount();
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchDatabase db;
    std::printf("filling: %d arrivals, %d of them on %s in %d ranges of two ...\n", kArrivals, kDayArrivals,
                qPrintable(kDay.toString(QStringLiteral("yyyy.MM.dd"))), kRanges);
    db.fill(QStringLiteral("szallito"), QStringLiteral("srendszam, snev, scim, sjovaszam"),
            QStringLiteral("'ABC-' || (100 + :I), 'Fuvaros ' || :I, 'Kecskemét, Fő utca ' || :I, 'JV' || :I"), 60);
    db.fill(QStringLiteral("felado"), QStringLiteral("fnev, fcim, ftenykod, fsznev, fszcim"),
            QStringLiteral("'Gazda Gábor ' || :I, 'Szeged ' || :I, 'TK' || :I, 'Tanya ' || :I, 'Dűlő ' || :I"), 800);
    db.fill(QStringLiteral("beszall"), QStringLiteral("bskod, bfkod, bfulszam, bszkelt, bvkelt, bhkat, beubiz"),
            QStringLiteral("MOD(:I, 60) + 1, MOD(:I / 20, 800) + 1, 3600000000 + :I, "
                           "IIF(:I < %1, DATE '2011-03-15', DATEADD(:I / 500 DAY TO DATE '2010-01-01')), "
                           "DATE '2011-03-01', 'gyüjtés', 'HU-EU ' || (:I / 40)")
                .arg(kDayArrivals),
            kArrivals);
    db.fill(QStringLiteral("fulszam"), QStringLiteral("ufultol, ufulig"),
            QStringLiteral("3600000000 + 2 * :I, 3600000000 + 2 * :I + 1"), kRanges);
    db.exec(
        QStringLiteral("INSERT INTO partner (pnev, pirszam, phelyseg, putca, phszam) "
                       "VALUES ('Gerundo Állatforgalmi Kft.', '4244', 'Újfehértó', 'Vasút utca', '12.')"));

    QFile::remove(QStringLiteral("range_list.frf"));
    QFile::copy(QStringLiteral(GERUNDO_BENCH_TEMPLATES "/range_list.frf"), QStringLiteral("range_list.frf"));

    openBenchSession();
    ReportFeeds& feeds = ReportFeeds::of(*Data);
    QLineEdit day(kDay.toString(QStringLiteral("yyyy.MM.dd")));
    feeds.setIncomingDayField(&day);
    report::variables().setInt(QStringLiteral("v_sumdb"), kDayArrivals);
    feeds.frReport1.loadFromFile(QStringLiteral("range_list.frf"));

    // 1. The rows: bare client fetch and the dataset's own.
    QString literal = kRangeListLines.join(u'\n');
    literal.replace(QStringLiteral(":p1"), QStringLiteral("DATE '2011-03-15'"));
    const RawFetch raw = rawFetchAll(db.file(), literal);
    const double rawFetch = timeMs([&] { rawFetchAll(db.file(), literal); }, 5);
    const double datasetFetch = timeMs(openRanges, 5);

    // 2. Layout alone: the same report without events and callback, over rows already fetched.
    auto onOpen = feeds.frDBfulszambe1.onOpen;
    auto onNext = feeds.frDBfulszambe1.onNext;
    auto onGetValue = feeds.frReport1.onGetValue;
    feeds.frDBfulszambe1.onOpen = nullptr;
    feeds.frDBfulszambe1.onNext = nullptr;
    feeds.frReport1.onGetValue = nullptr;
    openRanges();
    int pages = 0;
    const double layout = timeMs([&] { pages = feeds.frReport1.prepare().pageCount(); }, 5);
    feeds.frDBfulszambe1.onOpen = onOpen;
    feeds.frDBfulszambe1.onNext = onNext;
    feeds.frReport1.onGetValue = onGetValue;

    // 3. The events alone (open, then next for every further row), against a bare loop of the same
    //    count statement prepared once and executed with the same parameters.
    std::vector<std::pair<QString, QString>> ranges;
    Data->ZQ60.first();
    while (!Data->ZQ60.eof()) {
        ranges.emplace_back(Data->ZQ60.fieldText(QStringLiteral("ufultol")),
                            Data->ZQ60.fieldText(QStringLiteral("ufulig")));
        Data->ZQ60.next();
    }
    qint64 counted = 0;
    const double events = timeMs(
        [&] {
            counted = 0;
            Data->ZQ60.first();
            feeds.frDBfulszambe1Open();
            counted += feeds.RangeTagCount;
            for (;;) {
                Data->ZQ60.next();
                if (Data->ZQ60.eof())
                    break;
                feeds.frDBfulszambe1Next();
                counted += feeds.RangeTagCount;
            }
        },
        3);
    fb::ConnectParams params;
    params.database = db.file();
    params.password = QStringLiteral("medvehagy");
    fb::Attachment att;
    att.attach(params);
    fb::Transaction tra;
    tra.start(att);
    qint64 bareCounted = 0;
    double bare = 0;
    {
        fb::Statement count(att, tra, kCountSql);
        std::vector<unsigned char> buffer(count.columns().messageLength() + 8);
        bare = timeMs(
            [&] {
                bareCounted = 0;
                for (const auto& [from, to] : ranges) {
                    count.bind(QStringLiteral("p1"), fb::Value::fromText(from));
                    count.bind(QStringLiteral("p2"), fb::Value::fromText(to));
                    count.bind(QStringLiteral("p3"), fb::Value::fromDate(kDay));
                    auto cursor = count.openCursor();
                    cursor->fetchNext(buffer.data());
                    bareCounted += cursor->columns().integer(buffer.data(), 0);
                    cursor->close();
                }
            },
            3);
    }
    tra.commit();

    // 4. The whole preparation, as "Nyomtat" runs it (rows fetched as the bands go).
    report::PreparedReport prepared;
    const double whole = timeMs(
        [&] {
            Data->ZQ60.close();
            openRanges();
            prepared = feeds.frReport1.prepare();
        },
        3);

    // 5. PDF of every page.
    const double pdf = timeMs([&] { report::writePdf(prepared, QStringLiteral("bench.pdf")); }, 3);
    const double pdfBytes = static_cast<double>(QFile(QStringLiteral("bench.pdf")).size());

    // 5b. The same list laid out as the program's range lists are now: columns sized from the
    //     day's values, every text measured, names wrapping and ear tags shrinking where they must.
    QFile::remove(QStringLiteral("range_list_fit.frf"));
    QFile::copy(QStringLiteral(GERUNDO_BENCH_TEMPLATES "/range_list_fit.frf"), QStringLiteral("range_list_fit.frf"));
    feeds.frReport1.loadFromFile(QStringLiteral("range_list_fit.frf"));
    report::PreparedReport fitted;
    const double wholeFit = timeMs(
        [&] {
            Data->ZQ60.close();
            openRanges();
            fitted = feeds.frReport1.prepare();
        },
        3);
    const double pdfFit = timeMs([&] { report::writePdf(fitted, QStringLiteral("bench_fit.pdf")); }, 3);
    const double pdfFitBytes = static_cast<double>(QFile(QStringLiteral("bench_fit.pdf")).size());
    feeds.frReport1.loadFromFile(QStringLiteral("range_list.frf"));

    // 6. From the end of preparation to the first page painted in the preview.
    const double firstPage = timeMs(
        [&] {
            report::PreviewWindow window(prepared, report::PreviewOptions{});
            bool painted = false;
            QObject::connect(window.pageView(), &report::PageView::pagePainted, [&](int) { painted = true; });
            window.show();
            while (!painted)
                QApplication::processEvents(QEventLoop::AllEvents, 5);
            window.hide();
        },
        5);

    std::printf("\n%ld range rows (%.1f MB of raw messages), %d pages, %lld ear tags counted (bare loop %lld)\n",
                raw.rows, static_cast<double>(raw.bytes) / 1e6, prepared.pageCount(), counted, bareCounted);
    std::printf("%-62s %9.1f ms\n", "bare client fetch of the range list", rawFetch);
    std::printf("%-62s %9.1f ms  (%.2fx bare)\n", "the same rows through ZQ60", datasetFetch, datasetFetch / rawFetch);
    std::printf("%-62s %9.1f ms  (target < 500 ms, %d pages)\n", "layout without events", layout, pages);
    std::printf("%-62s %9.1f ms\n", "bare loop: count statement prepared once, 5,000 executions", bare);
    std::printf("%-62s %9.1f ms  (%.2fx bare loop, target <= 1.5x)\n", "events: open + next over 5,000 ranges", events,
                events / bare);
    std::printf("%-62s %9.1f ms\n", "whole preparation with events (fetch + counts + layout)", whole);
    std::printf("%-62s %9.1f ms  (%.1f MB)\n", "PDF of every page", pdf, pdfBytes / 1e6);
    std::printf("%-62s %9.1f ms  (%.2fx the fixed columns, %d pages, %zu not fitting)\n",
                "whole preparation, columns from the content, wrapping names", wholeFit, wholeFit / whole,
                fitted.pageCount(), fitted.fitProblems.size());
    std::printf("%-62s %9.1f ms  (%.2fx, %.1f MB)\n", "PDF of it", pdfFit, pdfFit / pdf, pdfFitBytes / 1e6);
    std::printf("%-62s %9.1f ms  (target < 300 ms)\n", "end of preparation to the first page on screen", firstPage);
    std::printf("resident memory: %.1f MB\n", static_cast<double>(residentBytes()) / 1e6);

    closeBenchSession();
    Data = nullptr;
    return 0;
}
