// Archiving one dispatch day of 5,000 departures at a site with 100,000 live arrivals and
// 1,000,000 archived rows, and withdrawing it again, through the screens (select, then the timed
// run with its batches, counting and repainting), against bare statements moving the same rows in
// one transaction. Every run starts from a fresh copy of the same database file.
#include "archive_site.h"
#include "benchsupport.h"

#include "storage/shared_datasets.h"
#include "maintenance/archive_day.h"
#include "ui/platform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <functional>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kRuns = 3;

void restore(const QString& from, const QString& to)
{
    QFile::remove(to);
    if (!QFile::copy(from, to))
        qFatal("cannot copy %s", qPrintable(from));
    QFile::setPermissions(to, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The screen's run, from the click on its run button to the reopened list.
double screenRun(bool archive, QString* lastLine)
{
    platform::TestDoubles boxes;
    openBenchSession();
    auto screen = std::make_unique<DayTransferDialog>(
        nullptr, archive ? maintenance::TransferDirection::Archive : maintenance::TransferDirection::Withdraw);
    screen->show();
    QApplication::processEvents();
    screen->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(kSiteDay);
    screen->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    QElapsedTimer t;
    t.start();
    screen->findChild<QPushButton*>(QStringLiteral("Button2"))->click();
    const double ms = static_cast<double>(t.nsecsElapsed()) / 1e6;
    *lastLine = screen->findChild<QLabel*>(QStringLiteral("Label2"))->text();
    if (!boxes.messages.isEmpty())
        qFatal("the run failed: %s", qPrintable(boxes.messageTexts().join(u'\n')));
    screen.reset();
    closeBenchSession();
    Data = nullptr;
    return ms;
}

// The same rows moved by plain statements in one transaction of a connection of its own.
double bareRun(const QString& file, const QStringList& statements)
{
    fb::Attachment att;
    att.attach(connectParams(file));
    QElapsedTimer t;
    t.start();
    fb::Transaction tra;
    tra.start(att);
    for (const QString& sql : statements) {
        fb::Statement st(att, tra, sql);
        if (sql.contains(QLatin1String(":p1")))
            st.bind(QStringLiteral("p1"), fb::Value::fromDate(QDate(2011, 3, 1)));
        st.execute();
    }
    tra.commit();
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

QStringList bareMove(const QString& outFrom, const QString& outTo, const QString& inFrom, const QString& inTo,
                     bool matchThroughWorkList)
{
    const QString out = QStringLiteral("kfulszam, kikelt, khkat, keubizki, keubizbe, kskod, kfkod");
    const QString in = QStringLiteral("bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod");
    const QString sameAnimal =
        matchThroughWorkList
            ? QStringLiteral("EXISTS (SELECT * FROM fulszam WHERE %1.bfulszam = fulszam.ufultol)").arg(inFrom)
            : QStringLiteral("EXISTS (SELECT * FROM %2 WHERE %1.bfulszam = %2.kfulszam AND %2.kikelt = :p1)")
                  .arg(inFrom, outFrom);
    return {
        QStringLiteral("DELETE FROM fulszam"),
        QStringLiteral("INSERT INTO fulszam (ufultol) SELECT kfulszam FROM %1 WHERE kikelt = :p1").arg(outFrom),
        QStringLiteral("INSERT INTO %1 (%3) SELECT %3 FROM %2 WHERE kikelt = :p1").arg(outTo, outFrom, out),
        QStringLiteral("INSERT INTO %1 (%3) SELECT %3 FROM %2 WHERE %4").arg(inTo, inFrom, in, sameAnimal),
        QStringLiteral("DELETE FROM %1 WHERE kikelt = :p1").arg(outFrom),
        QStringLiteral("DELETE FROM %1 WHERE EXISTS (SELECT * FROM fulszam WHERE %1.bfulszam = fulszam.ufultol)")
            .arg(inFrom),
    };
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchDatabase db;
    const QString live = db.file() + QStringLiteral(".live");
    const QString archived = db.file() + QStringLiteral(".archived");

    std::printf("filling 100,000 live arrivals, 50,000 departures on 10 days, 1,000,000 archived rows ...\n");
    fillSite(db.file(), SiteSize{});
    restore(db.file(), live);
    QString line;
    screenRun(true, &line);
    restore(db.file(), archived);
    std::printf("  one run: %s\n", qPrintable(line));

    const auto measure = [&](const QString& from, const std::function<double()>& work, int runs = kRuns) {
        std::vector<double> t;
        for (int i = 0; i < runs; ++i) {
            restore(from, db.file());
            t.push_back(work());
        }
        return median(t);
    };
    const double archiveScreen = measure(live, [&] { return screenRun(true, &line); });
    const double archiveBare = measure(live, [&] {
        return bareRun(db.file(), bareMove("kiszall", "kiszall0", "beszall", "beszall0", true));
    });
    const double archiveLiteral = measure(live, [&] {
        return bareRun(db.file(), bareMove("kiszall", "kiszall0", "beszall", "beszall0", false));
    }, 1);
    const double withdrawScreen = measure(archived, [&] { return screenRun(false, &line); });
    const double withdrawBare = measure(archived, [&] {
        return bareRun(db.file(), bareMove("kiszall0", "kiszall", "beszall0", "beszall", true));
    });
    const double withdrawLiteral = measure(archived, [&] {
        return bareRun(db.file(), bareMove("kiszall0", "kiszall", "beszall0", "beszall", false));
    }, 1);
    std::printf("  withdrawal: %s\n", qPrintable(line));

    std::printf("moving the day 2011.03.01 (5,000 departures, 5,000 arrivals), median of %d runs\n", kRuns);
    std::printf("(in brackets, one run of the bare statements matching the arrivals on the departures' date and\n"
                " ear tag instead of on the work list, and the screen's ratio to it)\n");
    std::printf("                     screen      bare     ratio\n");
    std::printf("  archiving      %8.0f ms %6.0f ms %7.2f   (%6.0f ms: %.2f)\n", archiveScreen, archiveBare,
                archiveScreen / archiveBare, archiveLiteral, archiveScreen / archiveLiteral);
    std::printf("  withdrawal     %8.0f ms %6.0f ms %7.2f   (%6.0f ms: %.2f)\n", withdrawScreen, withdrawBare,
                withdrawScreen / withdrawBare, withdrawLiteral, withdrawScreen / withdrawLiteral);
    QFile::remove(live);
    QFile::remove(archived);
    return 0;
}
