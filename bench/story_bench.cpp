// "Fülszám története" on a site with a long memory: 1,000,000 live arrivals and 900,000 live
// departures, 1,000,000 archived arrivals and as many archived departures; every tenth live arrival
// is an animal that came back (its first pass is archived). For a few hundred ear tags, each asked
// once, times the story through its screen ("Keresés": the statement, the grid, the summary line)
// and through its store alone, beside a bare indexed fetch of the same rows with the client library
// (the four tables' rows of the ear tag through the same numeric indexes, one prepared statement),
// the same fetch with the sender's, buyer's and carriers' names joined, and the story's own
// statement run by the bare client library (what the program adds to the engine's work). Prints the
// engine's plan of the story's statement (the numeric ear-tag index of each of the four tables).
//
//   story_bench [LIVE_ARRIVALS [TAGS]]    default 1,000,000 and 600
#include "benchsupport.h"

#include "lookups/eartag_story.h"
#include "storage/session.h"
#include "ui/platform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// The four tables' rows of one ear tag, as the story reads them, without the pairing.
const QString kBareRows = QStringLiteral(
    "SELECT idb, bszkelt, bvkelt, bskod, bfkod, beubiz, bhkat FROM beszall0 "
    "WHERE LPAD(bfulszam, 25, '0') = LPAD(CAST(:tag AS VARCHAR(25)), 25, '0') "
    "UNION ALL SELECT idb, bszkelt, bvkelt, bskod, bfkod, beubiz, bhkat FROM beszall "
    "WHERE LPAD(bfulszam, 25, '0') = LPAD(CAST(:tag AS VARCHAR(25)), 25, '0') "
    "UNION ALL SELECT idk, kikelt, NULL, kskod, kfkod, keubizki, khkat FROM kiszall0 "
    "WHERE LPAD(kfulszam, 25, '0') = LPAD(CAST(:tag AS VARCHAR(25)), 25, '0') "
    "UNION ALL SELECT idk, kikelt, NULL, kskod, kfkod, keubizki, khkat FROM kiszall "
    "WHERE LPAD(kfulszam, 25, '0') = LPAD(CAST(:tag AS VARCHAR(25)), 25, '0')");

// The same rows with the names a pass shows.
const QString kBareNamedRows = QStringLiteral(
    "SELECT r.*, f.fnev, f.ftenykod, s.snev FROM (%1) r (id, d1, d2, carrier, partner, certificate, category) "
    "LEFT JOIN felado f ON f.fkod = r.partner LEFT JOIN szallito s ON s.skod = r.carrier")
                                       .arg(kBareRows);

void fill(BenchDatabase& db, int live)
{
    const int archived = live;
    db.fill(QStringLiteral("szallito"), QStringLiteral("srendszam, snev, scim, sjovaszam"),
            QStringLiteral("'ABC-' || (100 + :I), 'Fuvaros ' || :I, 'Kecskemét, Fő utca ' || :I, 'JV' || :I"), 20);
    db.fill(QStringLiteral("felado"), QStringLiteral("fnev, fcim, ftenykod, fsznev, fszcim"),
            QStringLiteral("'Gazda ' || :I, 'Szeged ' || :I, 'HU' || (1000000 + :I), 'Tanya ' || :I, 'Dűlő ' || :I"),
            200);
    // Archived passes: arrival and departure, 2008-2010.
    db.fill(QStringLiteral("beszall0"), QStringLiteral("bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod"),
            QStringLiteral("2000000000 + :I, DATEADD(:I / 1000 DAY TO DATE '2008-01-01'), "
                           "DATEADD(:I / 1000 - 1 DAY TO DATE '2008-01-01'), 'gyüjtés', 'HU-EÜ ' || (:I / 40), "
                           "MOD(:I, 20) + 1, MOD(:I, 199) + 1"),
            archived);
    db.fill(QStringLiteral("kiszall0"), QStringLiteral("kfulszam, kikelt, khkat, keubizbe, keubizki, kskod, kfkod"),
            QStringLiteral("2000000000 + :I, DATEADD(:I / 1000 + 5 DAY TO DATE '2008-01-01'), 'vágás', "
                           "'HU-EÜ ' || (:I / 40), 'KI ' || (:I / 50), MOD(:I, 20) + 1, 200"),
            archived);
    // Live arrivals in 2011; every tenth is an archived animal back again. Nine in ten have left.
    const QString liveTag = QStringLiteral("IIF(MOD(:I, 10) = 5, 2000000000, 1000000000) + :I");
    db.fill(QStringLiteral("beszall"), QStringLiteral("bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod"),
            liveTag + QStringLiteral(", DATE '2011-01-01' + MOD(:I, 60), DATE '2010-12-20', 'gyüjtés', "
                                     "'HU-EÜ ' || (:I / 40), MOD(:I, 20) + 1, MOD(:I, 199) + 1"),
            live);
    db.fill(QStringLiteral("kiszall"), QStringLiteral("kfulszam, kikelt, khkat, keubizbe, keubizki, kskod, kfkod"),
            liveTag + QStringLiteral(", DATE '2011-01-01' + MOD(:I, 60) + 3, 'vágás', 'HU-EÜ ' || (:I / 40), "
                                     "'KI ' || (:I / 50), MOD(:I, 20) + 1, 200"),
            live / 10 * 9);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

// A bare fetch through the client library: one prepared statement, every row read.
struct BareFetch {
    fb::Statement statement;
    std::vector<unsigned char> buffer;
    BareFetch(fb::Attachment& att, fb::Transaction& tra, const QString& sql)
        : statement(att, tra, sql), buffer(statement.columns().messageLength() + 8)
    {
    }
    int rows(const QString& tag)
    {
        const QStringList names = statement.parameterNames();
        if (names.contains(QStringLiteral("TODAY"), Qt::CaseInsensitive))
            statement.bind(QStringLiteral("today"), fb::Value::fromDate(QDate(2011, 3, 15)));
        statement.bind(names.contains(QStringLiteral("tag"), Qt::CaseInsensitive) ? QStringLiteral("tag")
                                                                                   : QStringLiteral("earTag"),
                       fb::Value::fromText(tag));
        auto cursor = statement.openCursor();
        int n = 0;
        while (cursor->fetchNext(buffer.data()))
            ++n;
        return n;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // A message box would wait for a person: the doubles record it instead, and the run says so.
    platform::TestDoubles doubles;
    const int live = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1000000;
    const int tags = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 600;

    BenchDatabase db;
    std::printf("filling: %s live arrivals, %s live departures, %s archived arrivals and departures...\n",
                qPrintable(grouped(live)), qPrintable(grouped(live / 10 * 9)), qPrintable(grouped(live)));
    std::fflush(stdout);
    QElapsedTimer filling;
    filling.start();
    fill(db, live);
    std::printf("filled in %.1f s\n", static_cast<double>(filling.elapsed()) / 1000.0);
    std::fflush(stdout);

    Session& session = openBenchSession();
    EarTagStoryDialog screen(session);
    auto* field = screen.findChild<QLineEdit*>(QStringLiteral("earTagEdit"));
    Dataset storeRows(session.database(), QStringLiteral("benchStoryRows"));

    fb::Attachment att;
    att.attach(connectParams(db.file()));
    fb::Transaction tra;
    tra.start(att);
    BareFetch bare(att, tra, kBareRows);
    BareFetch bareNamed(att, tra, kBareNamedRows);

    // The plan of the story's statement, as the store gives it.
    session.earTagStories().openStory(storeRows, QStringLiteral("1"), QDate(2011, 3, 15));
    BareFetch bareStory(att, tra, storeRows.sql().join(u'\n'));
    {
        fb::Statement story(att, tra, storeRows.sql().join(u'\n'));
        const QString plan = story.plan();
        std::printf("plan of the story: %s\n", qPrintable(plan.simplified()));
        for (const char* index : {"IX_BESZALL_FULSZAM_NUM", "IX_KISZALL_FULSZAM_NUM", "IX_BESZALL0_FULSZAM_NUM",
                                  "IX_KISZALL0_FULSZAM_NUM"})
            if (!plan.contains(QLatin1String(index)))
                std::printf("!! the story does not read through %s\n", index);
        if (plan.contains(QLatin1String("NATURAL")))
            std::printf("!! the story reads a table whole\n");
    }

    // Ear tags spread over the tables, each asked once: animals that came back (four rows, written
    // with a leading zero), animals that passed once (archived, or live and gone), and animals on site.
    std::vector<QString> asked;
    for (int i = 0; i < tags; ++i) {
        const int n = static_cast<int>((static_cast<long long>(i) * 7919 * 131) % live);
        switch (i % 3) {
        case 0: asked.push_back(QStringLiteral("0") + QString::number(2000000000LL + n / 10 * 10 + 5)); break;
        case 1: asked.push_back(QString::number(2000000000LL + n / 10 * 10 + 1)); break;
        default: asked.push_back(QString::number(1000000000LL + n / 10 * 10 + 3)); break;
        }
    }

    std::vector<double> screenMs, storeMs, bareMs, bareNamedMs, bareStoryMs;
    long screenRows = 0, bareRows = 0;
    for (size_t i = 0; i < asked.size(); ++i) {
        const QString& tag = asked[i];
        // Whoever goes first meets the tag's pages outside the engine's cache: take turns.
        const auto runScreen = [&] {
            field->setText(tag);
            QElapsedTimer t;
            t.start();
            screen.showStory();
            screenMs.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        };
        const auto runStore = [&] {
            QElapsedTimer t;
            t.start();
            session.earTagStories().openStory(storeRows, tag, QDate(2011, 3, 15));
            screenRows += storeRows.recordCount();
            storeMs.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        };
        const auto runBare = [&] {
            QElapsedTimer t;
            t.start();
            bareRows += bare.rows(tag);
            bareMs.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
            t.restart();
            bareNamed.rows(tag);
            bareNamedMs.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
            t.restart();
            bareStory.rows(tag);
            bareStoryMs.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        };
        if (i % 2 == 0) {
            runBare();
            runStore();
            runScreen();
        } else {
            runScreen();
            runStore();
            runBare();
        }
    }
    tra.commit();
    if (!doubles.messages.isEmpty())
        std::printf("!! the screen said: %s\n", qPrintable(doubles.messageTexts().join(QStringLiteral(" / "))));

    std::printf("\n%d ear tags asked once each; %ld passes shown from %ld rows\n", tags, screenRows, bareRows);
    std::printf("%-58s %8s %8s %8s\n", "", "median", "p90", "max");
    const auto line = [](const char* what, const std::vector<double>& v) {
        std::printf("%-58s %8.2f %8.2f %8.2f ms\n", what, median(v), percentile(v, 0.9),
                    *std::max_element(v.begin(), v.end()));
    };
    line("\"Keresés\" in the screen (statement, grid, summary line)", screenMs);
    line("the store's story alone (statement, every row read)", storeMs);
    line("bare indexed fetch of the same rows", bareMs);
    line("bare indexed fetch of the same rows, names joined", bareNamedMs);
    line("the story's statement through the bare client library", bareStoryMs);
    std::printf("ratio to the bare fetch of the rows: screen %.2f, store %.2f (with names: %.2f)\n",
                median(screenMs) / median(bareMs), median(storeMs) / median(bareMs),
                median(storeMs) / median(bareNamedMs));
    std::printf("ratio to the story's statement run bare: screen %.2f, store %.2f\n",
                median(screenMs) / median(bareStoryMs), median(storeMs) / median(bareStoryMs));
    std::printf("target: the screen's story < 50 ms, ratio to the bare fetch <= 1.5\n");
    closeBenchSession();
    return 0;
}
