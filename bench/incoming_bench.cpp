// Incoming deliveries at 100, 100,000 and 1,000,000 live arrivals (or the sizes given on the command
// line): opening the delivery list on its last row, its rebuilds (in either order, on the last row
// and on a remembered arrival), and one "OK" + "Új" in the entry screen. Beside them, for scale,
// fetching every joined row with the bare client library: what landing on the last row cost while
// the list read everything up to it.
#include "benchsupport.h"

#include "storage/shared_datasets.h"
#include "core/handover.h"
#include "incoming/incoming_entry.h"
#include "incoming/incoming_list.h"
#include "ui/platform.h"

#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>

#include <cstdio>

namespace {

constexpr int kCarriers = 60;
constexpr int kSenders = 800;

const QString kListSql = QStringLiteral(
    "SELECT bfulszam, bszkelt, fnev, snev, bvkelt, bhkat, beubiz, bskod, bfkod, IDb, Bkod,\n"
    "srendszam,  scim, sjovaszam, skod, IDs,\n"
    "fcim, ftenykod, fsznev, fszcim, fkod, IDf\n"
    "FROM beszall\n"
    "JOIN szallito ON szallito.skod = beszall.bskod\n"
    "JOIN felado ON felado.fkod = beszall.bfkod\n"
    "ORDER BY IDb");

void waitForList()
{
    while (!(Data->ZQ12.active() && Data->ZQ12.hasField(QStringLiteral("Bkod"))))
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

void line(const char* what, double ms) { std::printf("  %-66s %9.2f ms\n", what, ms); }

// Arrivals from..to: 500 a day from 2010.01.01; every 997th one imported without a date and every
// 991st without an ear tag, the way the previous version's files bring them.
void growArrivals(BenchDatabase& db, int from, int to)
{
    db.fill(QStringLiteral("beszall"), QStringLiteral("bskod, bfkod, bfulszam, bszkelt, bvkelt, bhkat, beubiz"),
            QStringLiteral("MOD(:I, %1) + 1, MOD(:I, %2) + 1, "
                           "CASE WHEN MOD(:I, 991) = 0 THEN NULL ELSE 3600000000 + :I END, "
                           "CASE WHEN MOD(:I, 997) = 0 THEN NULL ELSE DATEADD(:I / 500 DAY TO DATE '2010-01-01') END, "
                           "DATEADD(:I / 500 DAY TO DATE '2010-01-01'), 'gyüjtés', 'HU-EU ' || (:I / 40)")
                .arg(kCarriers)
                .arg(kSenders),
            from, to);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchDatabase db;
    db.fill(QStringLiteral("szallito"), QStringLiteral("srendszam, snev, scim, sjovaszam"),
            QStringLiteral("'ABC-' || (100 + :I), 'Fuvaros ' || :I, 'Kecskemét, Fő utca ' || :I, 'JV' || :I"), kCarriers);
    db.fill(QStringLiteral("felado"), QStringLiteral("fnev, fcim, ftenykod, fsznev, fszcim"),
            QStringLiteral("'Gazda ' || :I, 'Szeged ' || :I, 'TK' || :I, 'Tanya ' || :I, 'Dűlő ' || :I"), kSenders);
    platform::TestDoubles doubles;  // no person at the desk: message boxes are recorded

    int filled = 0;
    qint64 tag = 9000000000;
    for (const int size : benchSizes(argc, argv)) {
        std::printf("\nfilling to %s arrivals (%d carriers, %d senders) ...\n", qPrintable(grouped(size)), kCarriers,
                    kSenders);
        std::fflush(stdout);
        growArrivals(db, filled, size);
        filled = size;
        const int runs = runsAt(size);
        // A row in the middle of the list, as one opened for change earlier in the run.
        const QString middle = QString::number(size / 2 + 1);

        openBenchSession();
        resetHandOver();
        std::printf("%s arrivals (median of %d runs):\n", qPrintable(grouped(size)), runs);
        const double rawAll = timeMs([&] { rawFetchAll(db.file(), kListSql); }, 1);

        const double open = timeMs(
            [&] {
                IncomingListDialog list;
                list.show();
                waitForList();
                list.hide();
            },
            runs);
        line("open the list, landing on the last row", open);

        {
            IncomingListDialog list;
            auto* byDate = list.findChild<QRadioButton*>(QStringLiteral("RadioButton1"));
            auto* inEntryOrder = list.findChild<QRadioButton*>(QStringLiteral("RadioButton2"));
            list.rebuild();
            line("rebuild in entry order, last row", timeMs([&] { list.rebuild(); }, runs));
            byDate->setChecked(true);
            line("rebuild by date and ear tag, last row", timeMs([&] { list.rebuild(); }, runs));
            handOver().incomingId = middle;
            line("rebuild by date and ear tag, on a remembered arrival", timeMs([&] { list.rebuild(); }, runs));
            inEntryOrder->setChecked(true);
            line("rebuild in entry order, on a remembered arrival", timeMs([&] { list.rebuild(); }, runs));
            if (Data->ZQ12.fieldText(QStringLiteral("IDb")) != middle)
                std::printf("  !! the rebuild did not land on arrival %s\n", qPrintable(middle));
            handOver().incomingId.clear();
        }

        // One new arrival: OK (insert, commit, the entry list rebuilt on its last row) and "Új" (the
        // registers and the entry list reopened).
        {
            IncomingEntryDialog entry(EntryMode::New);
            const auto field = [&entry](const char* name) {
                return entry.findChild<QLineEdit*>(QString::fromLatin1(name));
            };
            field("Edit2")->setText(QStringLiteral("1"));
            field("Edit3")->setText(QStringLiteral("1"));
            field("Edit5")->setText(QStringLiteral("2011.03.01"));
            field("Edit6")->setText(QStringLiteral("2011.03.01"));
            field("Edit8")->setText(QStringLiteral("HU-EU 1"));
            const auto okAndNew = [&] {
                field("Edit4")->setText(QString::number(tag++));
                entry.saveArrival();
                entry.prepareNextEarTag();
            };
            line("OK + Új in the entry screen (its list rebuilt on the last row)", timeMs(okAndNew, runs));
            handOver().incomingId = middle;
            line("OK + Új, the entry list rebuilt on a remembered arrival", timeMs(okAndNew, runs));
            handOver().incomingId.clear();
        }
        if (!doubles.messages.isEmpty())
            std::printf("  messages: %s\n", qPrintable(doubles.messageTexts().join(u'|')));
        doubles.messages.clear();
        {
            fb::Attachment att;
            att.attach(connectParams(db.file()));
            line("for scale: bare client insert of one arrival and commit", timeMs([&] {
                     rawExecuteAndCommit(att, QStringLiteral("INSERT INTO beszall (bskod, bfkod, bfulszam) "
                                                             "VALUES ('1', '1', '7000000000')"));
                 }, runs));
        }
        line("for scale: bare client fetch of every joined row (one run)", rawAll);
        std::printf("  resident memory: %.1f MB\n", static_cast<double>(residentBytes()) / 1e6);
        closeBenchSession();
        Data = nullptr;
    }
    return 0;
}
