// Exporting the incoming list (its statement and its 16 columns) of 100,000 and 1,000,000 arrivals
// (or the sizes given on the command line): to .xlsx against libxlsxwriter alone writing the same
// values in a bare loop (constant-memory mode, no database), and to CSV against a bare loop that
// fetches the rows with the client library and writes them as text. Also the memory the export
// adds while it runs (sampled at every progress call) and the longest stretch between two progress
// calls, which is the longest the window would go without being painted.
#include "benchsupport.h"
#include "storage/shared_datasets.h"
#include "export/dataset_rows.h"
#include "export/spreadsheet.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

const QStringList kStatement = {
    QStringLiteral("SELECT bfulszam, bszkelt, fnev, snev, bvkelt, bhkat, beubiz, bskod, bfkod, IDb, Bkod,"),
    QStringLiteral("srendszam,  scim, sjovaszam, skod, IDs,"), QStringLiteral("fcim, ftenykod, fsznev, fszcim, fkod, IDf"),
    QStringLiteral("FROM beszall"), QStringLiteral("JOIN szallito ON szallito.skod = beszall.bskod"),
    QStringLiteral("JOIN felado ON felado.fkod = beszall.bfkod"), QStringLiteral("ORDER BY IDb")};

// The incoming list's columns and titles.
const std::vector<spreadsheet::DatasetField> kFields = {
    {QStringLiteral("BFULSZAM"), QStringLiteral("Fülszám")},      {QStringLiteral("BSZKELT"), QStringLiteral("Beszállítás")},
    {QStringLiteral("FNEV"), QStringLiteral("Feladó neve")},      {QStringLiteral("SNEV"), QStringLiteral("Szállító neve")},
    {QStringLiteral("BVKELT"), QStringLiteral("Vásárlás")},       {QStringLiteral("BHKAT"), QStringLiteral("Hasznositási kat.")},
    {QStringLiteral("BEUBIZ"), QStringLiteral("Eü. biz. be")},    {QStringLiteral("BSKOD"), QStringLiteral("Száll.kód")},
    {QStringLiteral("BFKOD"), QStringLiteral("Feladókód")},       {QStringLiteral("IDB"), QStringLiteral("ID")},
    {QStringLiteral("BKOD"), QStringLiteral("Kód")},              {QStringLiteral("SRENDSZAM"), QStringLiteral("Rendszám")},
    {QStringLiteral("SCIM"), QStringLiteral("Szállítócim")},      {QStringLiteral("SJOVASZAM"), QStringLiteral("Jóváhagy.száma")},
    {QStringLiteral("FCIM"), QStringLiteral("Feladó cime")},      {QStringLiteral("FTENYKOD"), QStringLiteral("Feladó teny.kód")}};

const char* const kSender = "Őrségi Állattartó és Kereskedő Kft.";
const char* const kSenderAddress = "Körmend, Rákóczi út 5.";
const char* const kCarrier = "Dél-alföldi Fuvarozó Bt.";
const char* const kCarrierAddress = "Szeged, Fő utca 1.";

// The code the database gives the n-th row (GERUNDO_CODE of the schema).
std::string codeOf(long n)
{
    if (n <= 99999)
        return std::to_string(n);
    static const char digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    long m = n - 100000;
    std::string s(4, '0');
    for (int i = 3; i >= 0; --i, m /= 36)
        s[static_cast<size_t>(i)] = digits[m % 36];
    return std::string(1, digits[m + 10]) + s;
}

// The values of arrival i (from 0) exactly as the fill below stores them.
struct Arrival {
    char earTag[16];
    char certificate[24];
    double day;  // Excel's serial number
};
Arrival arrival(long i)
{
    Arrival a{};
    std::snprintf(a.earTag, sizeof a.earTag, "00%ld", 3000000000L + i);
    std::snprintf(a.certificate, sizeof a.certificate, "EU-%ld", i);
    a.day = static_cast<double>(QDate(2011, 1, 1).addDays(i % 300).toJulianDay() - QDate(1899, 12, 30).toJulianDay());
    return a;
}

// libxlsxwriter alone: the same header and values, in constant-memory mode.
double bareXlsx(long rows, const QString& path)
{
    QElapsedTimer t;
    t.start();
    lxw_workbook_options o{};
    o.constant_memory = LXW_TRUE;
    lxw_workbook* wb = workbook_new_opt(QFile::encodeName(path).constData(), &o);
    lxw_worksheet* ws = workbook_add_worksheet(wb, "Beszállítás");
    lxw_format* bold = workbook_add_format(wb);
    format_set_bold(bold);
    lxw_format* text = workbook_add_format(wb);
    format_set_num_format(text, "@");
    lxw_format* date = workbook_add_format(wb);
    format_set_num_format(date, "yyyy.mm.dd");
    for (size_t c = 0; c < kFields.size(); ++c)
        worksheet_write_string(ws, 0, static_cast<lxw_col_t>(c), kFields[c].title.toUtf8().constData(), bold);
    for (long i = 0; i < rows; ++i) {
        const Arrival a = arrival(i);
        const std::string code = codeOf(i + 1);
        const auto r = static_cast<lxw_row_t>(i + 1);
        worksheet_write_string(ws, r, 0, a.earTag, text);
        worksheet_write_number(ws, r, 1, a.day, date);
        worksheet_write_string(ws, r, 2, kSender, text);
        worksheet_write_string(ws, r, 3, kCarrier, text);
        worksheet_write_number(ws, r, 4, a.day, date);
        worksheet_write_string(ws, r, 5, "gyüjtés", text);
        worksheet_write_string(ws, r, 6, a.certificate, text);
        worksheet_write_string(ws, r, 7, "1", text);
        worksheet_write_string(ws, r, 8, "1", text);
        worksheet_write_number(ws, r, 9, static_cast<double>(i + 1), nullptr);
        worksheet_write_string(ws, r, 10, code.c_str(), text);
        worksheet_write_string(ws, r, 11, "ABC-123", text);
        worksheet_write_string(ws, r, 12, kCarrierAddress, text);
        worksheet_write_string(ws, r, 13, "J-77", text);
        worksheet_write_string(ws, r, 14, kSenderAddress, text);
        worksheet_write_string(ws, r, 15, "HU1234567", text);
    }
    workbook_close(wb);
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

// The client library's fetch of the statement, each row written as UTF-8 text with ";" between
// the values (the client layer's own conversions, no quoting), through a buffer.
struct Timed {
    double ms = 0;
    double addedMb = 0;
};

Timed bareCsv(const QString& database, const QString& path)
{
    const size_t before = residentBytes();
    size_t peak = before;
    long rows = 0;
    QElapsedTimer t;
    t.start();
    fb::Attachment att;
    att.attach(connectParams(database));
    fb::Transaction tra;
    tra.start(att);
    {
        fb::Statement st(att, tra, kStatement.join(u'\n'));
        auto cur = st.openCursor();
        const fb::Columns& cols = cur->columns();
        std::vector<int> index;
        for (const auto& f : kFields)
            index.push_back(cols.indexOf(f.field));
        std::vector<unsigned char> buf(cols.messageLength() + 8);
        std::FILE* out = std::fopen(QFile::encodeName(path).constData(), "wb");
        std::string line;
        while (cur->fetchNext(buf.data())) {
            line.clear();
            for (size_t c = 0; c < index.size(); ++c) {
                if (c > 0)
                    line.push_back(';');
                line += cols.text(buf.data(), index[c]).toStdString();
            }
            line += "\r\n";
            std::fwrite(line.data(), 1, line.size(), out);
            if ((++rows & 4095) == 0)
                peak = std::max(peak, residentBytes());
        }
        std::fclose(out);
    }
    tra.commit();
    return {static_cast<double>(t.nsecsElapsed()) / 1e6, static_cast<double>(peak - before) / (1 << 20)};
}

struct Run {
    double ms = 0;
    double addedMb = 0;     // resident memory above what was there before, at its highest
    double longestGap = 0;  // ms between two progress calls, at most
    bool gapWhilePacking = false;
    qint64 rows = 0;
    double fileMb = 0;
};

Run exportList(spreadsheet::Format format, const QString& path)
{
    Run run;
    Dataset& list = Data->ZQ21;
    list.close();
    list.setSql(kStatement);
    list.open();
    const size_t before = residentBytes();
    size_t peak = before;
    QElapsedTimer t, gap;
    t.start();
    gap.start();
    spreadsheet::DatasetRows source(list, kFields);
    const auto result = spreadsheet::write(source, path, format, {QStringLiteral("Beszállítás")},
                                           [&](const spreadsheet::Progress& p) {
                                               if (gap.nsecsElapsed() / 1e6 > run.longestGap) {
                                                   run.longestGap = gap.nsecsElapsed() / 1e6;
                                                   run.gapWhilePacking = p.finishing;
                                               }
                                               gap.restart();
                                               peak = std::max(peak, residentBytes());
                                               return true;
                                           });
    run.ms = static_cast<double>(t.nsecsElapsed()) / 1e6;
    if (!result.ok())
        std::printf("  export failed: %s\n", qPrintable(result.message));
    run.rows = result.rows;
    run.addedMb = static_cast<double>(peak - before) / (1 << 20);
    run.fileMb = static_cast<double>(QFileInfo(path).size()) / (1 << 20);
    list.close();
    return run;
}

template <typename F>
auto median(int runs, F f)
{
    std::vector<decltype(f())> all;
    for (int i = 0; i < runs; ++i)
        all.push_back(f());
    std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.ms < b.ms; });
    return all[all.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        if (const int n = QString::fromLocal8Bit(argv[i]).toInt(); n > 0)
            sizes.push_back(n);
    if (sizes.empty())
        sizes = {100000, 1000000};
    std::sort(sizes.begin(), sizes.end());

    BenchDatabase db;
    db.exec(QStringLiteral("INSERT INTO szallito (srendszam, snev, scim, sjovaszam) VALUES "
                           "('ABC-123', '%1', '%2', 'J-77')")
                .arg(QString::fromUtf8(kCarrier), QString::fromUtf8(kCarrierAddress)));
    db.exec(QStringLiteral("INSERT INTO felado (fnev, fcim, ftenykod) VALUES ('%1', '%2', 'HU1234567')")
                .arg(QString::fromUtf8(kSender), QString::fromUtf8(kSenderAddress)));
    const QString xlsxPath = QFileInfo(QStringLiteral("bench.xlsx")).absoluteFilePath();
    const QString csvPath = QFileInfo(QStringLiteral("bench.csv")).absoluteFilePath();
    const QString barePath = QFileInfo(QStringLiteral("bare.out")).absoluteFilePath();

    int filled = 0;
    for (const int size : sizes) {
        std::printf("\nfilling to %s arrivals ...\n", qPrintable(grouped(size)));
        std::fflush(stdout);
        db.fill(QStringLiteral("beszall"), QStringLiteral("bskod, bfkod, bfulszam, bszkelt, bvkelt, bhkat, beubiz"),
                QStringLiteral("'1', '1', '00' || (3000000000 + :I), DATE '2011-01-01' + MOD(:I, 300), "
                               "DATE '2011-01-01' + MOD(:I, 300), 'gyüjtés', 'EU-' || :I"),
                filled, size);
        filled = size;
        const int runs = size >= 1000000 ? 3 : 5;
        openBenchSession();

        const RawFetch fetch = rawFetchAll(db.file(), kStatement.join(u'\n'));
        const double fetchMs = timeMs([&] { rawFetchAll(db.file(), kStatement.join(u'\n')); }, runs);
        std::printf("%s arrivals, median of %d runs (bare fetch of the %ld joined rows: %.0f ms)\n",
                    qPrintable(grouped(size)), runs, fetch.rows, fetchMs);

        const Run xlsx = median(runs, [&] { return exportList(spreadsheet::Format::Xlsx, xlsxPath); });
        const Timed bareX = median(runs, [&] { return Timed{bareXlsx(size, barePath), 0}; });
        const double bareXMb = static_cast<double>(QFileInfo(barePath).size()) / (1 << 20);
        std::printf("  .xlsx export          %9.0f ms  (%lld rows, %.1f MB file, +%.1f MB resident at most, "
                    "longest between progress calls %.0f ms%s)\n",
                    xlsx.ms, static_cast<long long>(xlsx.rows), xlsx.fileMb, xlsx.addedMb, xlsx.longestGap,
                    xlsx.gapWhilePacking ? ", while packing" : "");
        std::printf("  libxlsxwriter alone   %9.0f ms  (%.1f MB file)   ratio %.2f (target <= 2)\n", bareX.ms, bareXMb,
                    xlsx.ms / bareX.ms);

        const Run csv = median(runs, [&] { return exportList(spreadsheet::Format::Csv, csvPath); });
        const Timed bareC = median(runs, [&] { return bareCsv(db.file(), barePath); });
        std::printf("  CSV export            %9.0f ms  (%.1f MB file, +%.1f MB resident at most, longest between "
                    "progress calls %.0f ms)\n",
                    csv.ms, csv.fileMb, csv.addedMb, csv.longestGap);
        std::printf("  bare fetch and write  %9.0f ms  (+%.1f MB resident at most)   ratio %.2f (target <= 1.5)\n",
                    bareC.ms, bareC.addedMb, csv.ms / bareC.ms);
        std::fflush(stdout);
        QFile::remove(xlsxPath);
        QFile::remove(csvPath);
        QFile::remove(barePath);
        closeBenchSession();
    }
    return 0;
}
