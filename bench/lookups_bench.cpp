// The lookups on a site with a long history: 100,000 live arrivals and 1,000,000 archived ones.
// Times "Lekérdezés" of a sender with 20,000 ear tags (5,000 live, 15,000 archived) through its
// screen, against a bare client-library loop of the same reads and inserts: FULSZAM emptied and
// filled from both tables (two commits), FULSZAM read in text order and cut into runs, FULSZAM0
// emptied and refilled run by run through one prepared insert, one commit, the runs' list opened.
// Then the ear-tag search for a beginning at the end of the ear-tag order (the list shown), and the
// duplicate and the missing-arrival check over 100,000 arrivals and 100,000 departures, each
// through its screen (the report written into the memo) against a bare fetch of its statements.
#include "benchsupport.h"

#include "lookups/eartag_checks.h"
#include "lookups/eartag_search.h"
#include "lookups/sender_ranges.h"
#include "storage/session.h"
#include "ui/platform.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kLive = 100000;
constexpr int kArchived = 1000000;
constexpr int kSenderLive = 5000;
constexpr int kSenderArchived = 15000;
constexpr int kDepartures = 100000;

const QString kSearchSql = QStringLiteral(
    "SELECT bfulszam, bszkelt, fnev, snev, srendszam, scim, sjovaszam, skod, IDs, "
    "fcim, ftenykod, fsznev, fszcim, fkod, IDf FROM beszall "
    "JOIN szallito ON szallito.skod = beszall.bskod JOIN felado ON felado.fkod = beszall.bfkod "
    "WHERE bfulszam like :p0 ORDER BY bfulszam");

// The sender's ear tags, from 5000000000 on, every step-th number: step 2 gives 20,000 runs of one
// ear tag, a step of 1 with every eleventh number left out gives runs of ten.
void fillSenderEarTags(BenchDatabase& db, bool singleRuns)
{
    const QString tag =
        singleRuns ? QStringLiteral("5000000000 + 2 * (%1)") : QStringLiteral("5000000000 + (%1) + (%1) / 10");
    db.exec(
        QStringLiteral("UPDATE beszall SET bfulszam = %1 WHERE bfkod = '1'").arg(tag.arg(QStringLiteral("idb - 1"))));
    db.exec(QStringLiteral("UPDATE beszall0 SET bfulszam = %1 WHERE bfkod = '1'")
                .arg(tag.arg(QStringLiteral("%1 + idb - 1").arg(kSenderLive))));
}

void fill(BenchDatabase& db)
{
    db.fill(QStringLiteral("szallito"), QStringLiteral("srendszam, snev, scim, sjovaszam"),
            QStringLiteral("'ABC-' || (100 + :I), 'Fuvaros ' || :I, 'Kecskemét, Fő utca ' || :I, 'JV' || :I"), 20);
    db.fill(QStringLiteral("felado"), QStringLiteral("fnev, fcim, ftenykod, fsznev, fszcim"),
            QStringLiteral("'Gazda ' || :I, 'Szeged ' || :I, 'TK' || :I, 'Tanya ' || :I, 'Dűlő ' || :I"), 200);
    // Live arrivals: the sender coded 1 has the first 5,000, the others spread over 199 senders;
    // every hundredth ear tag arrived twice.
    db.fill(QStringLiteral("beszall"), QStringLiteral("bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod"),
            QStringLiteral("1000000000 + :I - IIF(MOD(:I, 100) = 99, 1, 0), DATE '2011-01-01' + MOD(:I, 60), "
                           "DATE '2010-12-20', 'gyüjtés', 'HU-EÜ ' || (:I / 40), MOD(:I, 20) + 1, "
                           "IIF(:I < %1, 1, 2 + MOD(:I, 199))")
                .arg(kSenderLive),
            kLive);
    db.fill(QStringLiteral("beszall0"), QStringLiteral("bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod"),
            QStringLiteral("2000000000 + :I, DATEADD(:I / 2000 DAY TO DATE '2008-01-01'), DATE '2007-12-20', "
                           "'gyüjtés', 'HU-EÜ ' || (:I / 40), MOD(:I, 20) + 1, IIF(:I < %1, 1, 2 + MOD(:I, 199))")
                .arg(kSenderArchived),
            kArchived);
    // Live departures: nine in ten of arrived animals, one in ten of animals whose arrival is
    // archived; every hundredth ear tag left twice.
    db.fill(QStringLiteral("kiszall"), QStringLiteral("kfulszam, kikelt, khkat, keubizbe, keubizki, kskod, kfkod"),
            QStringLiteral("IIF(MOD(:I, 10) = 9, 2000000000 + :I, 1000000000 + :I) - IIF(MOD(:I, 100) = 98, 1, 0), "
                           "DATE '2011-03-01' + MOD(:I, 30), 'vágás', 'HU-EÜ ' || (:I / 40), 'KI ' || (:I / 50), "
                           "MOD(:I, 20) + 1, 2 + MOD(:I, 199)"),
            kDepartures);
}

// The same work as "Lekérdezés" without the program.
struct Bare {
    fb::Attachment att;
    explicit Bare(const QString& file) { att.attach(connectParams(file)); }

    void exec(fb::Transaction& tra, const QString& sql, const QString& code = {})
    {
        fb::Statement st(att, tra, sql);
        if (!code.isNull())
            st.bind(QStringLiteral("p1"), fb::Value::fromText(code));
        st.execute();
    }

    int ranges(const QString& code)
    {
        {
            fb::Transaction tra;
            tra.start(att);
            exec(tra, QStringLiteral("DELETE FROM fulszam"));
            exec(tra, QStringLiteral("INSERT INTO fulszam (ufultol) SELECT bfulszam FROM beszall WHERE bfkod = :p1"),
                 code);
            tra.commit();
            tra.start(att);
            exec(tra, QStringLiteral("INSERT INTO fulszam (ufultol) SELECT bfulszam FROM beszall0 WHERE bfkod = :p1"),
                 code);
            tra.commit();
        }
        fb::Transaction tra;
        tra.start(att);
        BareRuns runs;
        {
            fb::Statement st(att, tra, QStringLiteral("SELECT * FROM fulszam ORDER BY ufultol"));
            auto cur = st.openCursor();
            const int column = cur->columns().indexOf(QStringLiteral("UFULTOL"));
            std::vector<unsigned char> buf(cur->columns().messageLength() + 8);
            while (cur->fetchNext(buf.data()))
                runs.add(cur->columns().text(buf.data(), column));
        }
        exec(tra, QStringLiteral("DELETE FROM fulszam0"));
        runs.store(att, tra, QStringLiteral("fulszam0"));
        tra.commit();
        tra.start(att);
        {
            fb::Statement st(att, tra, QStringLiteral("SELECT * FROM fulszam0 ORDER BY ufultol"));
            auto cur = st.openCursor();
            std::vector<unsigned char> buf(cur->columns().messageLength() + 8);
            cur->fetchNext(buf.data());
        }
        tra.commit();
        return runs.count();
    }

    // Ends the program's transaction and reads the work tables through, which collects the
    // versions that the last run deleted.
    void settle(Session& session)
    {
        if (session.transaction().inTransaction())
            session.transaction().commit();
        fetch({QStringLiteral("SELECT COUNT(*) FROM fulszam"), QStringLiteral("SELECT COUNT(*) FROM fulszam0")});
    }

    // The first rows of a statement with one parameter p0.
    long firstRows(const QString& sql, const QString& p0, int rows)
    {
        fb::Transaction tra;
        tra.start(att);
        long fetched = 0;
        {
            fb::Statement st(att, tra, sql);
            st.bind(QStringLiteral("p0"), fb::Value::fromText(p0));
            auto cur = st.openCursor();
            std::vector<unsigned char> buf(cur->columns().messageLength() + 8);
            while (fetched < rows && cur->fetchNext(buf.data()))
                ++fetched;
        }
        tra.commit();
        return fetched;
    }

    // Every row of the statements, fetched and dropped.
    long fetch(const QStringList& statements)
    {
        fb::Transaction tra;
        tra.start(att);
        long rows = 0;
        for (const QString& sql : statements) {
            fb::Statement st(att, tra, sql);
            auto cur = st.openCursor();
            std::vector<unsigned char> buf(cur->columns().messageLength() + 8);
            while (cur->fetchNext(buf.data()))
                ++rows;
        }
        tra.commit();
        return rows;
    }
};

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void line(const char* what, double ms, const QString& note)
{
    std::printf("%-72s %9.1f ms  %s\n", what, ms, qPrintable(note));
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchDatabase db;
    std::printf("filling: %d live arrivals, %d archived, %d live departures...\n", kLive, kArchived, kDepartures);
    QElapsedTimer filling;
    filling.start();
    fill(db);
    std::printf("filled in %.1f s\n", static_cast<double>(filling.elapsed()) / 1000.0);

    platform::TestDoubles doubles;  // a failure is recorded, not shown
    Bare bare(db.file());
    for (bool singleRuns : {true, false}) {
        fillSenderEarTags(db, singleRuns);
        std::printf("\n== \"Lekérdezés\" of a sender with %d ear tags (%d live, %d archived), %s ==\n",
                    kSenderLive + kSenderArchived, kSenderLive, kSenderArchived,
                    singleRuns ? "20,000 runs of one" : "2,000 runs of ten");
        Session& session = openBenchSession();
        {
            SenderEarTagRangesDialog screen(session);
            screen.show();
            QApplication::processEvents();
            // Taken in turns, each from the same state: no transaction of the program open (it
            // would keep the engine from collecting the rows deleted meanwhile) and the work tables'
            // old rows collected, so neither pays for the other's garbage.
            int runs = 0;
            std::vector<double> bareTimes, screenTimes;
            for (int i = 0; i < 7; ++i) {
                bare.settle(session);
                bareTimes.push_back(timeMs([&] { runs = bare.ranges(QStringLiteral("1")); }, 1));
                bare.settle(session);
                screenTimes.push_back(timeMs([&] { screen.collectRanges(); }, 1));
            }
            const double bareMs = median(bareTimes);
            const double screenMs = median(screenTimes);
            if (!doubles.messages.isEmpty())
                std::printf("failed: %s\n", qPrintable(doubles.messageTexts().join(u'\n')));
            line("bare: the same reads and inserts", bareMs, QStringLiteral("(%1 runs)").arg(runs));
            line("\"Lekérdezés\"", screenMs,
                 QStringLiteral("(%1x bare, target <= 1.5x; %2 runs shown)")
                     .arg(screenMs / bareMs, 0, 'f', 2)
                     .arg(session.database().dataset(QStringLiteral("senderRunRows"))->recordCount()));
        }
        closeBenchSession();
    }

    std::printf("\n== the ear-tag search among %d arrivals ==\n", kLive);
    Session& session = openBenchSession();
    {
        // The search for a beginning that only the last thousand ear tags in text order have.
        EarTagSearchDialog search(session);
        search.show();
        QApplication::processEvents();
        auto* field = search.findChild<QLineEdit*>(QStringLiteral("earTagEdit"));
        field->setText(QStringLiteral("1000099"));
        long rows = 0;
        const double bareMs = timeMs([&] { rows = bare.firstRows(kSearchSql, QStringLiteral("1000099%"), 30); });
        const double screenMs = timeMs([&] {
            search.search();
            QApplication::processEvents();
        });
        line("bare: the search's first 30 rows", bareMs, QStringLiteral("(%1 rows)").arg(rows));
        line("ear-tag search \"Keresés\", shown", screenMs,
             QStringLiteral("(%1x bare)").arg(screenMs / bareMs, 0, 'f', 2));
    }
    std::printf("\n== the checks over %d arrivals and %d departures ==\n", kLive, kDepartures);
    {
        DuplicateEarTagsDialog duplicates(session);
        duplicates.show();
        long rows = 0;
        const double bareMs = timeMs([&] {
            rows = bare.fetch({QStringLiteral("SELECT bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod, IDb "
                                              "FROM beszall ORDER BY bfulszam"),
                               QStringLiteral("SELECT kfulszam, kikelt, keubizki, keubizbe, IDk "
                                              "FROM kiszall ORDER BY kfulszam")});
        });
        const double screenMs = timeMs([&] { duplicates.runCheck(); });
        const int lines = duplicates.findChild<QPlainTextEdit*>(QStringLiteral("reportMemo"))->blockCount();
        line("bare: both ordered lists fetched", bareMs, QStringLiteral("(%1 rows)").arg(rows));
        line("duplicate check \"Ellenörzés\"", screenMs,
             QStringLiteral("(%1x bare, target < 1 s; %2 lines)").arg(screenMs / bareMs, 0, 'f', 2).arg(lines));
    }
    {
        DeparturesWithoutArrivalDialog missing(session);
        missing.show();
        long rows = 0;
        const double bareMs = timeMs([&] {
            rows =
                bare.fetch({QStringLiteral("SELECT kfulszam, kikelt, kskod, kfkod, IDk FROM kiszall "
                                           "LEFT JOIN beszall on beszall.bfulszam = kiszall.kfulszam "
                                           "WHERE bfulszam IS NULL")});
        });
        const double screenMs = timeMs([&] { missing.runCheck(); });
        const int lines = missing.findChild<QPlainTextEdit*>(QStringLiteral("reportMemo"))->blockCount();
        line("bare: the departures without arrival fetched", bareMs, QStringLiteral("(%1 rows)").arg(rows));
        line("missing-arrival check \"Ellenörzés\"", screenMs,
             QStringLiteral("(%1x bare, target < 1 s; %2 lines)").arg(screenMs / bareMs, 0, 'f', 2).arg(lines));
    }
    if (!doubles.messages.isEmpty())
        std::printf("messages: %s\n", qPrintable(doubles.messageTexts().join(u'\n')));
    closeBenchSession();
    std::printf("resident memory: %.1f MB\n", static_cast<double>(residentBytes()) / 1e6);
    return 0;
}
