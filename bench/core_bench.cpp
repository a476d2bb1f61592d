// The data module at 100, 100,000 and 1,000,000 rows (or the sizes given on the command line): the
// main window's refresh (ten tables closed and reopened), its day line (a day's arrivals and
// departures, the animals on site), a dataset over an ordered statement
// landing on its last row, on a remembered row and back on its first row, and a dataset over an
// unordered statement read to its end against the bare client library (time and memory).
#include "benchsupport.h"
#include "storage/shared_datasets.h"
#include "core/day_counts.h"

#include <QCoreApplication>

#include <cstdio>

namespace {
double refreshMs()
{
    return timeMs([] {
        for (TableDataset* t : Data->tables())
            t->close();
        for (TableDataset* t : Data->tables())
            t->open();
    }, 21);
}

void line(const char* what, double ms) { std::printf("  %-58s %9.2f ms\n", what, ms); }

const QString kDeparturesInOrder = QStringLiteral("SELECT * FROM kiszall ORDER BY IDk");
const QString kDeparturesByDate = QStringLiteral("SELECT * FROM kiszall ORDER BY kikelt, kfulszam");
const QString kDepartures = QStringLiteral("SELECT * FROM kiszall");
}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    BenchDatabase db;

    openBenchSession();
    const double empty = refreshMs();
    closeBenchSession();
    Data = nullptr;
    std::printf("main window refresh (close and reopen ten tables), empty database: %.2f ms\n", empty);

    int filled = 0;
    for (const int size : benchSizes(argc, argv)) {
        std::printf("\nfilling to %s rows in BESZALL, KISZALL and KISZALL0 ...\n", qPrintable(grouped(size)));
        std::fflush(stdout);
        db.fill(QStringLiteral("beszall"), QStringLiteral("bskod, bfkod, bfulszam, bszkelt, bvkelt, bhkat, beubiz"),
                QStringLiteral("'1', '1', 1000000000 + :I, DATE '2011-01-01' + MOD(:I, 300), DATE '2011-01-01', "
                               "'gyüjtés', 'EU-' || :I"),
                filled, size);
        db.fill(QStringLiteral("kiszall0"), QStringLiteral("kskod, kfkod, kfulszam, kikelt, khkat, keubizbe, keubizki"),
                QStringLiteral("'1', '1', 1000000000 + :I, DATE '2011-01-01' + MOD(:I, 300), 'vágás', 'EU-' || :I, "
                               "'KI'"),
                filled, size);
        // Every 997th departure imported without a date, every 991st without an ear tag.
        db.fill(QStringLiteral("kiszall"), QStringLiteral("kskod, kfkod, kfulszam, kikelt, khkat, keubizbe, keubizki"),
                QStringLiteral("'1', '1', CASE WHEN MOD(:I, 991) = 0 THEN NULL ELSE 2000000000 + :I END, "
                               "CASE WHEN MOD(:I, 997) = 0 THEN NULL ELSE DATE '2011-01-01' + MOD(:I, 300) END, "
                               "'vágás', 'EU-' || :I, 'KI'"),
                filled, size);
        filled = size;
        const int runs = runsAt(size);

        openBenchSession();
        std::printf("%s rows (median of %d runs):\n", qPrintable(grouped(size)), runs);
        const double refresh = refreshMs();
        std::printf("  %-58s %9.2f ms   ratio to empty %.2f\n", "main window refresh (ten tables)", refresh,
                    refresh / empty);
        // The day line: a day's counts with every refresh, the animals on site now and then.
        const QDate day = QDate(2011, 1, 1).addDays(size % 300);
        daycounts::Day counted;
        const double dayCounts = timeMs([&] { counted = daycounts::countDay(Data->ZCon1.attachment(), day); }, 21);
        line("day line: a day's arrivals and departures", dayCounts);
        std::printf("    (%s arrivals, %s departures that day)\n", qPrintable(grouped(static_cast<long>(counted.arrivals))),
                    qPrintable(grouped(static_cast<long>(counted.departures))));
        const double refreshWithDay = timeMs([&] {
            for (TableDataset* t : Data->tables())
                t->close();
            for (TableDataset* t : Data->tables())
                t->open();
            daycounts::countDay(Data->ZCon1.attachment(), day);
        }, 21);
        std::printf("  %-58s %9.2f ms   ratio to empty %.2f\n", "main window refresh with the day's counts",
                    refreshWithDay, refreshWithDay / empty);
        qint64 onSite = 0;
        const double onSiteMs = timeMs([&] { onSite = daycounts::countOnSite(Data->ZCon1.attachment()); }, runs);
        line("day line: animals on site (arrived, not departed)", onSiteMs);
        std::printf("    (%s animals on site)\n", qPrintable(grouped(static_cast<long>(onSite))));

        Dataset& q = Data->ZQ21;
        const QString middle = QString::number(size / 2 + 1);
        for (const QString& sql : {kDeparturesInOrder, kDeparturesByDate}) {
            const bool byDate = sql == kDeparturesByDate;
            q.close();
            q.setSql({sql});
            const double last = timeMs([&] {
                q.close();
                q.open();
                q.last();
            }, runs);
            line(byDate ? "open + last row, by date and ear tag" : "open + last row, in entry order", last);
            const double remembered = timeMs([&] {
                q.close();
                q.open();
                q.last();
                q.locate(QStringLiteral("IDk"), middle);
            }, runs);
            line(byDate ? "open + last row + remembered row, by date and ear tag"
                        : "open + last row + remembered row, in entry order",
                 remembered);
            if (q.fieldText(QStringLiteral("IDk")) != middle)
                std::printf("  !! not on row %s\n", qPrintable(middle));
            const double backToFirst = timeMs([&] {
                q.last();
                q.first();
            }, runs);
            line(byDate ? "from the last row back to the first, by date and ear tag"
                        : "from the last row back to the first, in entry order",
                 backToFirst);
        }

        // Reading an unordered statement to its end: every row, as a table or a printout reads it.
        const double raw = timeMs([&] { rawFetchAll(db.file(), kDepartures); }, runs);
        const RawFetch rf = rawFetchAll(db.file(), kDepartures);
        q.close();
        q.setSql({kDepartures});
        const double all = timeMs([&] {
            q.close();
            q.open();
            q.last();
        }, runs);
        q.close();
        const size_t before = residentBytes();
        q.open();
        q.last();
        const size_t after = residentBytes();
        std::printf("  %-58s %9.2f ms   bare %8.2f ms   ratio %.2f\n", "unordered statement read to its last row", all,
                    raw, all / raw);
        std::printf("    fetched data %.1f MiB, dataset rows %.1f MiB, resident growth %.1f MiB   ratio %.2f\n",
                    rf.bytes / 1048576.0, q.fetchedBytes() / 1048576.0, (after - before) / 1048576.0,
                    static_cast<double>(after - before) / static_cast<double>(rf.bytes));
        q.close();
        closeBenchSession();
        Data = nullptr;
    }
    return 0;
}
