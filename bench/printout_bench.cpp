// The outgoing delivery printout of a busy day: 5,000 departures among 100,000 live ones, laid out
// once as 1,000 runs of five consecutive ear tags and once as 5,000 single-tag runs. Times
// "Kiválaszt" (the day's selection, the runs cut, FULSZAM emptied and refilled in one transaction,
// the selection shown again) against a bare client-library fetch of the same selection plus a bare
// loop of the same inserts prepared once in one transaction; then "Nyomtat", the range list with
// its 1,000 or 5,000 count events and the summary, both prepared in full.
#include "benchsupport.h"

#include "storage/shared_datasets.h"
#include "printing/delivery_printout.h"
#include "ui/platform.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include <cstdio>
#include <vector>

namespace {

constexpr int kDepartures = 100000;
constexpr int kDayDepartures = 5000;
const QString kDay = QStringLiteral("2011.03.15");

const QString kSelectionSql = QStringLiteral(
    "SELECT kfulszam, kikelt, khkat, keubizki, keubizbe, kskod, kfkod, IDk,\n"
    "srendszam, snev, scim, sjovaszam, skod, IDs,\n"
    "fnev, fcim, ftenykod, fsznev, fszcim, fkod, IDf\n"
    "FROM kiszall\n"
    "JOIN szallito ON szallito.skod = kiszall.kskod\n"
    "JOIN felado   ON felado.fkod = kiszall.kfkod\n"
    "WHERE kikelt = DATE '2011-03-15'\n"
    "ORDER BY kfulszam");

struct Layout {
    const char* name;
    int runLength;  // consecutive ear tags per run
};

// The day's departures: ear tags 3600000000 + ..., in runs of runLength with a gap of one between
// runs, to 12 buyers by 6 carriers; the rest of the 100,000 on other days, with ear tags of their own.
void fill(BenchDatabase& db, const Layout& layout)
{
    db.exec(QStringLiteral("DELETE FROM kiszall"));
    db.exec(QStringLiteral("DELETE FROM fulszam"));
    const int stride = layout.runLength + 1;
    db.fill(QStringLiteral("kiszall"), QStringLiteral("kfulszam, kikelt, khkat, keubizbe, keubizki, kskod, kfkod"),
            QStringLiteral("IIF(:I < %1, 3600000000 + (:I / %2) * %3 + MOD(:I, %2), 4700000000 + :I), "
                           "IIF(:I < %1, DATE '2011-03-15', DATEADD(:I / 300 DAY TO DATE '2010-01-01')), "
                           "'vágás', 'HU-EÜ ' || (:I / 40), 'HU-EÜ KI ' || (:I / 50), "
                           "IIF(:I < %1, MOD(:I / 500, 6), MOD(:I, 60)) + 1, "
                           "IIF(:I < %1, MOD(:I / 250, 12), MOD(:I / 25, 800)) + 1")
                .arg(kDayDepartures)
                .arg(layout.runLength)
                .arg(stride),
            kDepartures);
}

struct Bare {
    fb::Attachment att;
    explicit Bare(const QString& file)
    {
        fb::ConnectParams p;
        p.database = file;
        p.password = QStringLiteral("medvehagy");
        att.attach(p);
    }

    // The same work as "Kiválaszt" without the program: fetch the selection, cut the runs as the
    // fetch goes, empty FULSZAM and insert every run through one prepared statement, commit.
    int selectAndStore()
    {
        fb::Transaction tra;
        tra.start(att);
        BareRuns runs;
        {
            fb::Statement st(att, tra, kSelectionSql);
            auto cur = st.openCursor();
            std::vector<unsigned char> buf(cur->columns().messageLength() + 8);
            while (cur->fetchNext(buf.data()))
                runs.add(cur->columns().text(buf.data(), 0));
        }
        {
            fb::Statement del(att, tra, QStringLiteral("DELETE FROM fulszam"), false);
            del.execute();
            runs.store(att, tra, QStringLiteral("fulszam"));
        }
        tra.commit();
        return runs.count();
    }
};

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchDatabase db;
    db.fill(QStringLiteral("szallito"), QStringLiteral("srendszam, snev, scim, sjovaszam"),
            QStringLiteral("'ABC-' || (100 + :I), 'Fuvaros ' || :I, 'Kecskemét, Fő utca ' || :I, 'JV' || :I"), 60);
    db.fill(QStringLiteral("felado"), QStringLiteral("fnev, fcim, ftenykod, fsznev, fszcim"),
            QStringLiteral("'Vevő Kft. ' || :I, 'Szeged ' || :I, 'TK' || :I, 'Vágóhíd ' || :I, 'Ipari út ' || :I"), 800);
    db.exec(QStringLiteral("INSERT INTO partner (pnev, pirszam, phelyseg, putca, phszam) "
                           "VALUES ('Gerundo Állatforgalmi Kft.', '4244', 'Újfehértó', 'Vasút utca', '12.')"));
    for (const QString& name : QDir(QStringLiteral(GERUNDO_TEMPLATES)).entryList({QStringLiteral("*.frf")})) {
        QFile::remove(name);
        QFile::copy(QStringLiteral(GERUNDO_TEMPLATES "/") + name, name);
    }

    // Previews are recorded instead of shown: what is timed is the preparation.
    platform::TestDoubles doubles;
    for (const Layout& layout : {Layout{"1,000 runs of five ear tags", 5}, Layout{"5,000 single-tag runs", 1}}) {
        std::printf("\n== 5,000 departures on %s among 100,000 live ones, as %s ==\n", qPrintable(kDay),
                    layout.name);
        fill(db, layout);
        openBenchSession();
        {
            OutgoingDeliveryPrintoutDialog screen;
            screen.show();
            QApplication::processEvents();
            auto* day = screen.findChild<QLineEdit*>(QStringLiteral("Edit1"));
            day->setText(kDay);
            Bare bare(db.file());

            int runs = 0;
            const double bareMs = timeMs([&] { runs = bare.selectAndStore(); }, 5);
            bool ok = true;
            const double selectMs = timeMs([&] { ok = screen.selectDay() && ok; }, 5);
            const QString stored = QString::number(runs);
            if (!ok || !doubles.messages.isEmpty())
                std::printf("Kiválaszt failed: %s\n", qPrintable(doubles.messageTexts().join(u'\n')));

            // "Nyomtat": both reports prepared in full, one after the other.
            std::vector<double> reportTimes;
            QElapsedTimer clock;
            doubles.onReport = [&](const platform::ShownReport&) {
                reportTimes.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
            };
            std::vector<double> lists, summaries;
            int pages1 = 0, pages2 = 0;
            for (int i = 0; i < 3; ++i) {
                reportTimes.clear();
                doubles.reportsShown.clear();
                clock.start();
                screen.printDay();
                if (reportTimes.size() != 2) {
                    std::printf("Nyomtat failed: %s\n", qPrintable(doubles.messageTexts().join(u'\n')));
                    break;
                }
                lists.push_back(reportTimes[0]);
                summaries.push_back(reportTimes[1] - reportTimes[0]);
                pages1 = doubles.reportsShown[0].pages.pageCount();
                pages2 = doubles.reportsShown[1].pages.pageCount();
            }
            std::sort(lists.begin(), lists.end());
            std::sort(summaries.begin(), summaries.end());

            std::printf("%-64s %9.1f ms  (%s runs)\n", "bare: fetch of the selection + inserts in one transaction",
                        bareMs, qPrintable(stored));
            std::printf("%-64s %9.1f ms  (%.2fx bare, target <= 1.5x)\n", "\"Kiválaszt\"", selectMs, selectMs / bareMs);
            if (!lists.empty()) {
                std::printf("%-64s %9.1f ms  (%d pages)\n", "\"Nyomtat\": range list with its count events",
                            lists[lists.size() / 2], pages1);
                std::printf("%-64s %9.1f ms  (%d pages)\n", "\"Nyomtat\": summary", summaries[summaries.size() / 2],
                            pages2);
            }
            doubles.onReport = nullptr;
        }
        closeBenchSession();
        Data = nullptr;
    }
    std::printf("resident memory: %.1f MB\n", static_cast<double>(residentBytes()) / 1e6);
    return 0;
}
