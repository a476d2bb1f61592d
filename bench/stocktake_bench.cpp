// The stock-take ("Leltár") on a large site: LIVE live arrivals (default 1,000,000), nine in ten of
// them departed (so a tenth, 100,000, are on site), 100,000 archived arrivals and departures.
// Times, through the screen:
//   - opening the screen on an open stock-take (its counts: every live arrival and departure read);
//   - one ear tag read into "Fülszám:" and Enter, until the answer is shown and the list in view is
//     read again, for ear tags on site, departed, archived and never registered (the answer goal:
//     < 20 ms), beside the store's reading alone and a bare insert and commit (the disk's share);
//   - a reader's file of 50,000 ear tags through "Beolvasás fájlból…" (goal: <= 2 s), with the
//     longest stretch the window went without its events served (progress);
//   - the closing (its three lists frozen), and the printout of a stock-take of 50,000 readings.
//   stocktake_bench [LIVE] [READINGS]
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "benchsupport.h"
#include "db/client.h"
#include "stocktake/stocktake_dialog.h"
#include "stocktake/stocktake_printout.h"
#include "storage/session.h"
#include "ui/platform.h"

namespace {

constexpr qint64 kFirstTag = 3000000000LL;

void fill(BenchDatabase& db, int live)
{
    db.fill(QStringLiteral("felado"), QStringLiteral("fnev"), QStringLiteral("'Gazda ' || :I"), 200);
    db.fill(QStringLiteral("szallito"), QStringLiteral("snev"), QStringLiteral("'Fuvaros ' || :I"), 20);
    db.fill(
        QStringLiteral("beszall"), QStringLiteral("bfulszam, bszkelt, bfkod, bskod"),
        QStringLiteral("%1 + :I, DATE '2024-06-01' - MOD(:I, 300), 1 + MOD(:I, 200), 1 + MOD(:I, 20)").arg(kFirstTag),
        live);
    // Every ear tag whose number ends in 1..9 has left: the ones ending in 0 are on site.
    const int departed = live / 10 * 9;
    db.fill(QStringLiteral("kiszall"), QStringLiteral("kfulszam, kikelt, kfkod, kskod"),
            QStringLiteral("%1 + (:I / 9) * 10 + MOD(:I, 9) + 1, DATE '2024-06-05' - MOD(:I, 300), 1 + MOD(:I, 200), 1")
                .arg(kFirstTag),
            departed);
    db.fill(QStringLiteral("beszall0"), QStringLiteral("bfulszam, bszkelt, bfkod, bskod"),
            QStringLiteral("2000000000 + :I, DATE '2020-01-01' + MOD(:I, 900), 1 + MOD(:I, 200), 1"), 100000);
    db.fill(QStringLiteral("kiszall0"), QStringLiteral("kfulszam, kikelt, kfkod, kskod"),
            QStringLiteral("2000000000 + :I, DATE '2020-01-10' + MOD(:I, 900), 1 + MOD(:I, 200), 1"), 100000);
}

QString tagOnSite(int live, QRandomGenerator& r)
{
    return QString::number(kFirstTag + r.bounded(live / 10) * 10);
}
QString tagDeparted(int live, QRandomGenerator& r)
{
    return QString::number(kFirstTag + r.bounded(live / 10) * 10 + 3);
}
QString tagArchived(QRandomGenerator& r)
{
    return QString::number(2000000000LL + r.bounded(100000));
}
QString tagUnknown(QRandomGenerator& r)
{
    return QString::number(9000000000LL + r.bounded(1000000));
}

struct Figures {
    double median = 0, p95 = 0, max = 0;
};
Figures figures(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    if (ms.empty())
        return {};
    return {ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 95 / 100)], ms.back()};
}
void print(const char* what, const Figures& f)
{
    std::printf("  %-58s median %7.2f ms   95%% %7.2f ms   max %7.2f ms\n", what, f.median, f.p95, f.max);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int live = argc > 1 ? std::max(100, QString::fromLatin1(argv[1]).toInt()) : 1000000;
    const int fileTags = argc > 2 ? std::max(1, QString::fromLatin1(argv[2]).toInt()) : 50000;
    platform::TestDoubles doubles;
    QRandomGenerator random(28);

    BenchDatabase db;
    QElapsedTimer clock;
    clock.start();
    fill(db, live);
    std::printf("stocktake_bench: %s live arrivals (%s on site), 100,000 archived; filled in %.1f s\n",
                qPrintable(grouped(live)), qPrintable(grouped(live / 10)), clock.elapsed() / 1000.0);

    Session& session = openBenchSession();
    const StockTake take = session.stockTakes().start();
    Q_UNUSED(take);

    // Opening the screen on the open stock-take: its counts read every live arrival.
    clock.restart();
    auto screen = std::make_unique<StockTakeDialog>(session);
    screen->show();
    QCoreApplication::processEvents();
    std::printf("  %-58s %7.0f ms\n", "screen opened on the open stock-take (counts, first list)",
                static_cast<double>(clock.elapsed()));

    // One reading at a time, as a reader types it: the Enter until the answer is shown.
    QLineEdit* field = screen->findChild<QLineEdit*>(QStringLiteral("earTagEdit"));
    // The answer is shown when the Enter's handler returns; the list in view is read again right
    // after (listMs), once the events queued behind the reading are served.
    std::vector<double> listMs;
    auto readThrough = [&](const QString& tag) {
        QTest::keyClicks(field, tag);
        QElapsedTimer t;
        t.start();
        QTest::keyClick(field, Qt::Key_Return);
        const double answered = t.nsecsElapsed() / 1e6;
        t.restart();
        QCoreApplication::processEvents();
        listMs.push_back(t.nsecsElapsed() / 1e6);
        return answered;
    };
    struct Kind {
        const char* name;
        std::function<QString()> tag;
    };
    const std::vector<Kind> kinds{
        {"reading, on site (the found list in view)", [&] { return tagOnSite(live, random); }},
        {"reading, departed", [&] { return tagDeparted(live, random); }},
        {"reading, archived and departed", [&] { return tagArchived(random); }},
        {"reading, never registered", [&] { return tagUnknown(random); }},
    };
    std::vector<double> all;
    for (const Kind& kind : kinds) {
        std::vector<double> ms;
        for (int i = 0; i < 100; ++i)
            ms.push_back(readThrough(kind.tag()));
        print(kind.name, figures(ms));
        all.insert(all.end(), ms.begin(), ms.end());
    }
    {
        auto* tabs = screen->findChild<QTabWidget*>(QStringLiteral("listTabs"));
        tabs->setCurrentIndex(1);
        std::vector<double> ms;
        for (int i = 0; i < 100; ++i)
            ms.push_back(readThrough(tagOnSite(live, random)));
        print("reading, on site (the missing list in view)", figures(ms));
        all.insert(all.end(), ms.begin(), ms.end());
        tabs->setCurrentIndex(0);
    }
    print("every reading through the screen: the answer shown", figures(all));
    print("  and then the list in view read again", figures(listMs));
    {
        std::vector<double> ms;
        for (int i = 0; i < 100; ++i) {
            QElapsedTimer t;
            t.start();
            session.stockTakes().addReading(1, i % 2 ? tagOnSite(live, random) : tagDeparted(live, random));
            ms.push_back(t.nsecsElapsed() / 1e6);
        }
        print("the store's reading alone (stored, committed, answered)", figures(ms));
    }
    {
        fb::Attachment att;
        att.attach(connectParams(db.file()));
        std::vector<double> ms;
        for (int i = 0; i < 100; ++i) {
            QElapsedTimer t;
            t.start();
            rawExecuteAndCommit(att, QStringLiteral("INSERT INTO leltartetel (tleltar, tfulszam) VALUES (99, '%1')")
                                         .arg(tagOnSite(live, random)));
            ms.push_back(t.nsecsElapsed() / 1e6);
        }
        execOnFile(db.file(), QStringLiteral("DELETE FROM leltartetel WHERE tleltar = 99"));
        att.detach();
        print("bare insert and commit (the disk's share)", figures(ms));
    }

    // A reader's file: a tenth of the ear tags not on site, a few read twice, a header, bad lines.
    const QString path = QStringLiteral("olvaso.txt");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write("Fulszam\r\n");
        for (int i = 0; i < fileTags; ++i) {
            const QString tag = i % 10 == 9 ? tagDeparted(live, random) : tagOnSite(live, random);
            f.write((i % 1000 == 500 ? QStringLiteral("HU %1\r\nhibas sor\r\n").arg(tag) : tag + QStringLiteral("\r\n"))
                        .toLatin1());
        }
    }
    qint64 longestWait = 0;
    QElapsedTimer sinceTick;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestWait = std::max(longestWait, sinceTick.elapsed());
        sinceTick.restart();
    });
    doubles.fileAnswers << path;
    sinceTick.start();
    ticker.start();
    clock.restart();
    QTest::mouseClick(screen->findChild<QPushButton*>(QStringLiteral("readFileButton")), Qt::LeftButton);
    const qint64 fileMs = clock.elapsed();
    ticker.stop();
    std::printf("  %-58s %7lld ms   (longest unserved stretch %lld ms)\n",
                qPrintable(QStringLiteral("file of %1 ear tags, read, stored, counted, shown").arg(grouped(fileTags))),
                fileMs, longestWait);
    std::printf("    %s\n", qPrintable(doubles.lastMessage().section(u'\n', 0, 1).replace(u'\n', u' ')));

    // The printout of the open stock-take, then the closing with its frozen lists.
    if (QFile::exists(QStringLiteral(GERUNDO_TEMPLATES "/Leltar.frf")))
        QFile::copy(QStringLiteral(GERUNDO_TEMPLATES "/Leltar.frf"), QStringLiteral("Leltar.frf"));
    clock.restart();
    QTest::mouseClick(screen->findChild<QPushButton*>(QStringLiteral("printButton")), Qt::LeftButton);
    std::printf("  %-58s %7lld ms   (%d pages)\n", "printout prepared (open stock-take)", clock.elapsed(),
                doubles.reportsShown.isEmpty() ? 0 : doubles.reportsShown.last().pages.pageCount());
    doubles.questionAnswers << true;
    clock.restart();
    QTest::mouseClick(screen->findChild<QPushButton*>(QStringLiteral("closeStockTakeButton")), Qt::LeftButton);
    std::printf("  %-58s %7lld ms\n", "closing: lists frozen, shown and printed", clock.elapsed());
    std::printf("  %s\n", qPrintable(QStringLiteral("lists: Megvan %1, Hiányzik %2, Nincs nyilvántartva %3")
                                         .arg(screen->counts().found)
                                         .arg(screen->counts().missing)
                                         .arg(screen->counts().unregistered)));
    screen.reset();
    closeBenchSession();
    return 0;
}
