// The main window's refresh on an empty and on a large database, and moving a 100,000-row
// dataset to its last row, against the bare client library.
#include "benchsupport.h"
#include "core/datamodule.h"

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
}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    BenchDatabase db;

    Data = new TData();
    const double empty = refreshMs();
    delete Data;
    Data = nullptr;

    std::printf("filling 1,000,000 rows into BESZALL and KISZALL0 ...\n");
    db.fill(QStringLiteral("beszall"), QStringLiteral("bskod, bfkod, bfulszam, bszkelt, bvkelt, bhkat, beubiz"),
            QStringLiteral("'1', '1', 1000000000 + :I, DATE '2011-01-01' + MOD(:I, 300), DATE '2011-01-01', "
                           "'gyüjtés', 'EU-' || :I"),
            1000000);
    db.fill(QStringLiteral("kiszall0"), QStringLiteral("kskod, kfkod, kfulszam, kikelt, khkat, keubizbe, keubizki"),
            QStringLiteral("'1', '1', 1000000000 + :I, DATE '2011-01-01' + MOD(:I, 300), 'vágás', 'EU-' || :I, 'KI'"),
            1000000);
    db.fill(QStringLiteral("kiszall"), QStringLiteral("kskod, kfkod, kfulszam, kikelt, khkat, keubizbe, keubizki"),
            QStringLiteral("'1', '1', 2000000000 + :I, DATE '2011-01-01' + MOD(:I, 300), 'vágás', 'EU-' || :I, 'KI'"),
            100000);

    Data = new TData();
    const double large = refreshMs();
    std::printf("  (after the refresh IBTable1 is %s on ear tag %s, %d row(s) fetched)\n",
                Data->IBTable1.active() ? "open" : "closed", qPrintable(Data->IBTable1.fieldText(QStringLiteral("bfulszam"))),
                Data->IBTable1.fetchedCount());
    std::printf("main window refresh (close and reopen ten tables)\n");
    std::printf("  empty database       %8.2f ms\n", empty);
    std::printf("  1,000,000-row tables %8.2f ms   ratio %.2f\n", large, large / empty);

    // Moving a 100,000-row dataset to its last row.
    const QString sql = QStringLiteral("SELECT * FROM kiszall");
    const double raw = timeMs([&] { rawFetchAll(db.file(), sql); }, 5);
    const RawFetch rf = rawFetchAll(db.file(), sql);
    Data->ZQ21.close();
    Data->ZQ21.setSql({sql});
    const double viaDataset = timeMs([&] {
        Data->ZQ21.close();
        Data->ZQ21.open();
        Data->ZQ21.last();
    }, 5);
    Data->ZQ21.close();
    const size_t before = residentBytes();
    Data->ZQ21.open();
    Data->ZQ21.last();
    const size_t after = residentBytes();
    std::printf("moving a %ld-row dataset to its last row\n", rf.rows);
    std::printf("  bare client-library fetch %8.2f ms\n", raw);
    std::printf("  dataset open + last       %8.2f ms   ratio %.2f (goal <= 3)\n", viaDataset, viaDataset / raw);
    std::printf("  fetched data %.1f MiB, dataset rows %.1f MiB, resident growth %.1f MiB   ratio %.2f (goal <= 3)\n",
                rf.bytes / 1048576.0, Data->ZQ21.fetchedBytes() / 1048576.0, (after - before) / 1048576.0,
                static_cast<double>(after - before) / static_cast<double>(rf.bytes));
    delete Data;
    Data = nullptr;
    return 0;
}
