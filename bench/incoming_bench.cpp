// Incoming deliveries with 100,000 live arrivals: opening the delivery list (it lands on the last
// row, so it fetches every joined row) and saving one new arrival followed by the rebuilds, against
// the bare client-library fetch of the same statements.
#include "benchsupport.h"

#include "core/datamodule.h"
#include "incoming/incoming_entry.h"
#include "incoming/incoming_list.h"
#include "ui/platform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>

#include <cstdio>

namespace {

constexpr int kArrivals = 100000;
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
const QString kEntryListSql = QStringLiteral(
    "SELECT bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod, IDb, Bkod\nFROM beszall\nORDER BY IDb");

void waitForList()
{
    while (!(Data->ZQ12.active() && Data->ZQ12.hasField(QStringLiteral("Bkod"))))
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchDatabase db;
    std::printf("filling: %d carriers, %d senders, %d arrivals ...\n", kCarriers, kSenders, kArrivals);
    db.fill(QStringLiteral("szallito"), QStringLiteral("srendszam, snev, scim, sjovaszam"),
            QStringLiteral("'ABC-' || (100 + :I), 'Fuvaros ' || :I, 'Kecskemét, Fő utca ' || :I, 'JV' || :I"), kCarriers);
    db.fill(QStringLiteral("felado"), QStringLiteral("fnev, fcim, ftenykod, fsznev, fszcim"),
            QStringLiteral("'Gazda ' || :I, 'Szeged ' || :I, 'TK' || :I, 'Tanya ' || :I, 'Dűlő ' || :I"), kSenders);
    // Codes of an empty database are 1, 2, 3...: every arrival refers to a registered carrier and sender.
    db.fill(QStringLiteral("beszall"), QStringLiteral("bskod, bfkod, bfulszam, bszkelt, bvkelt, bhkat, beubiz"),
            QStringLiteral("MOD(:I, %1) + 1, MOD(:I, %2) + 1, 3600000000 + :I, DATEADD(:I / 500 DAY TO DATE '2010-01-01'), "
                           "DATEADD(:I / 500 DAY TO DATE '2010-01-01'), 'gyüjtés', 'HU-EU ' || (:I / 40)")
                .arg(kCarriers)
                .arg(kSenders),
            kArrivals);

    platform::TestDoubles doubles;  // no person at the desk: message boxes are recorded
    Data = new TData();

    const double rawList = timeMs([&] { rawFetchAll(db.file(), kListSql); }, 5);
    const double rawEntry = timeMs([&] { rawFetchAll(db.file(), kEntryListSql); }, 5);
    const RawFetch rows = rawFetchAll(db.file(), kListSql);

    // Opening the list: creation, showing and the rebuild that the showing starts.
    const double openList = timeMs(
        [&] {
            IncomingListDialog list;
            list.show();
            waitForList();
            if (Data->ZQ12.fieldText(QStringLiteral("IDb")) != QString::number(Data->ZQ12.recNo() + 1))
                std::printf("unexpected current row\n");
            list.hide();
        },
        5);

    IncomingListDialog list;
    list.rebuild();
    const double rebuildList = timeMs([&] { list.rebuild(); }, 5);

    // Saving one new arrival: the entry screen's OK (insert, commit, its own list to the last row),
    // then the delivery list's rebuild when the entry screen closes.
    IncomingEntryDialog entry(EntryMode::New);
    const auto field = [&entry](const char* name) { return entry.findChild<QLineEdit*>(QString::fromLatin1(name)); };
    field("Edit2")->setText(QStringLiteral("1"));
    field("Edit3")->setText(QStringLiteral("1"));
    field("Edit5")->setText(QStringLiteral("2011.03.01"));
    field("Edit6")->setText(QStringLiteral("2011.03.01"));
    field("Edit8")->setText(QStringLiteral("HU-EU 1"));
    qint64 tag = 9000000000;
    const double save = timeMs(
        [&] {
            field("Edit4")->setText(QString::number(tag++));
            entry.saveArrival();
            entry.prepareNextEarTag();
        },
        5);
    double saveOnly = 0;
    const double saveAndRebuild = timeMs(
        [&] {
            field("Edit4")->setText(QString::number(tag++));
            QElapsedTimer t;
            t.start();
            entry.saveArrival();
            saveOnly = static_cast<double>(t.nsecsElapsed()) / 1e6;
            list.rebuild();
            entry.prepareNextEarTag();
        },
        5);
    if (!doubles.messages.isEmpty())
        std::printf("messages: %s\n", qPrintable(doubles.messageTexts().join(u'|')));

    std::printf("\n%ld joined rows, %.1f MB of raw messages\n", rows.rows, static_cast<double>(rows.bytes) / 1e6);
    std::printf("%-58s %9.1f ms\n", "raw client fetch, list join ordered by IDb", rawList);
    std::printf("%-58s %9.1f ms\n", "raw client fetch, entry list (no join)", rawEntry);
    std::printf("%-58s %9.1f ms  (%.2fx raw join)\n", "open list, landing on the last row", openList,
                openList / rawList);
    std::printf("%-58s %9.1f ms  (%.2fx raw join)\n", "list rebuild (order change, repaint)", rebuildList,
                rebuildList / rawList);
    std::printf("%-58s %9.1f ms  (%.2fx raw entry list)\n", "OK: insert, commit, entry list to last row + Uj", save,
                save / rawEntry);
    std::printf("%-58s %9.1f ms  (%.2fx raw entry + raw join)\n", "OK + Uj + delivery list rebuild", saveAndRebuild,
                saveAndRebuild / (rawEntry + rawList));
    std::printf("%-58s %9.1f ms\n", "  of which the last OK alone", saveOnly);
    std::printf("resident memory: %.1f MB\n", static_cast<double>(residentBytes()) / 1e6);

    delete Data;
    Data = nullptr;
    return 0;
}
