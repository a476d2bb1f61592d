// Outgoing deliveries at a busy site, at 100, 100,000 and 1,000,000 live arrivals (or the sizes given
// on the command line), nine in ten of them dispatched. Times what the user waits for at the desk:
// the outgoing list opening on its last row and its rebuilds, one "OK" + "Új" in the entry screen,
// the pick list opening positioned on a typed beginning, and the arrival check with the
// certificate copy when the ear-tag field is left. Figures with a database counterpart are
// printed beside a bare client-library loop doing the same work.

#include "benchsupport.h"

#include "storage/shared_datasets.h"
#include "core/handover.h"
#include "db/client.h"
#include "outgoing/eartag_picklist.h"
#include "outgoing/outgoing_entry.h"
#include "outgoing/outgoing_list.h"
#include "ui/input.h"
#include "ui/platform.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>

#include <cstdio>

namespace {

// Every tenth arrival is still on site; the others left. Ear tags are 1000000000 + i.

const char* kPickSql =
    "SELECT bfulszam, bszkelt FROM beszall WHERE NOT EXISTS "
    "( SELECT  beszall.bfulszam FROM kiszall WHERE beszall.bfulszam = kiszall.kfulszam ) "
    "ORDER BY beszall.bfulszam";

struct Raw {
    fb::Attachment att;
    fb::Transaction tra;
    explicit Raw(const QString& file)
    {
        fb::ConnectParams p;
        p.database = file;
        p.password = QStringLiteral("medvehagy");
        att.attach(p);
        tra.start(att);
    }
    ~Raw() { tra.commit(); }

    // Fetches until the first row whose first column begins with prefix (or rows run out).
    long fetchUntilPrefix(const QString& sql, const QString& prefix, long limit = -1)
    {
        fb::Statement st(att, tra, sql);
        auto cur = st.openCursor();
        std::vector<unsigned char> buf(cur->columns().messageLength() + 8);
        long n = 0;
        while (cur->fetchNext(buf.data())) {
            ++n;
            if ((limit < 0 && cur->columns().text(buf.data(), 0).startsWith(prefix)) || n == limit)
                break;
        }
        return n;
    }

    // The two look-ups of leaving the ear-tag field, with the parameter bound.
    QString arrivalCheck(const QString& earTag)
    {
        QString cert;
        {
            fb::Statement st(att, tra,
                             QStringLiteral("SELECT bfulszam,  COUNT(bFulszam) AS db FROM beszall WHERE bfulszam = :p1 "
                                            "GROUP BY bfulszam"));
            st.bind(QStringLiteral("p1"), fb::Value::fromText(earTag));
            auto cur = st.openCursor();
            std::vector<unsigned char> buf(cur->columns().messageLength() + 8);
            if (!cur->fetchNext(buf.data()))
                return cert;
        }
        fb::Statement st(att, tra, QStringLiteral("SELECT bfulszam, beubiz FROM beszall WHERE bfulszam = :p1"));
        st.bind(QStringLiteral("p1"), fb::Value::fromText(earTag));
        auto cur = st.openCursor();
        std::vector<unsigned char> buf(cur->columns().messageLength() + 8);
        if (cur->fetchNext(buf.data()))
            cert = cur->columns().text(buf.data(), 1);
        return cert;
    }
};

void line(const char* what, double ms, double rawMs)
{
    std::printf("  %-66s %9.2f ms   bare %8.2f ms   ratio %5.2f\n", what, ms, rawMs, rawMs > 0 ? ms / rawMs : 0.0);
}

void line(const char* what, double ms) { std::printf("  %-66s %9.2f ms\n", what, ms); }

// Arrivals and departures from..to (departures: nine in ten arrivals, every 997th of them imported
// without a dispatch date).
void grow(BenchDatabase& db, int from, int to)
{
    db.fill(QStringLiteral("beszall"), QStringLiteral("bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod"),
            QStringLiteral("CAST(1000000000 + :I AS VARCHAR(25)), DATE '2011-01-01' + MOD(:I, 300), "
                           "DATE '2011-01-01', 'gyüjtés', 'EU-' || :I, '1', '1'"),
            from, to);
    const int departuresFrom = from - from / 10, departuresTo = to - to / 10;
    db.fill(QStringLiteral("kiszall"), QStringLiteral("kfulszam, kikelt, khkat, keubizbe, keubizki, kskod, kfkod"),
            QStringLiteral("CAST(1000000000 + :I + 1 + (:I / 9) AS VARCHAR(25)), "
                           "CASE WHEN MOD(:I, 997) = 0 THEN NULL ELSE DATE '2011-02-01' + MOD(:I, 300) END, "
                           "'vágás', 'EU-' || :I, 'KI-' || :I, '1', '1'"),
            departuresFrom, departuresTo);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::TestDoubles doubles;  // no person at the desk: boxes are recorded, not shown

    BenchDatabase db;
    db.exec(QStringLiteral("INSERT INTO szallito (srendszam, snev) VALUES ('ABC-123', 'Kiss Fuvar')"));
    db.exec(QStringLiteral("INSERT INTO felado (fnev) VALUES ('Vágóhíd Kft')"));
    const QString listSql = QStringLiteral(
        "SELECT kfulszam, kikelt, khkat, keubizki, keubizbe, kskod, kfkod, IDk, kKod, srendszam, snev, scim, sjovaszam, "
        "skod, IDs, fnev, fcim, ftenykod, fsznev, fszcim, fkod, IDf FROM kiszall "
        "JOIN szallito ON szallito.skod = kiszall.kskod JOIN felado ON felado.fkod = kiszall.kfkod ORDER BY IDk");

    int filled = 0;
    int spare = 0;  // arrivals kept for the entry screen's saves: ear tags 8000000000 + n
    const std::vector<int> sizes = benchSizes(argc, argv);
    for (const int size : sizes) {
        const int departures = size - size / 10;
        std::printf("\nfilling to %s arrivals and %s departures ...\n", qPrintable(grouped(size)),
                    qPrintable(grouped(departures)));
        std::fflush(stdout);
        grow(db, filled, size);
        filled = size;
        const int runs = runsAt(size);
        db.fill(QStringLiteral("beszall"), QStringLiteral("bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod"),
                QStringLiteral("CAST(8000000000 + :I AS VARCHAR(25)), DATE '2011-03-01', DATE '2011-03-01', "
                               "'gyüjtés', 'EU-S' || :I, '1', '1'"),
                spare, spare + 4 * runs);
        const QString middle = QString::number(departures / 2 + 1);

        openBenchSession();
        resetHandOver();
        Raw raw(db.file());
        std::printf("%s arrivals, %s departures (median of %d runs):\n", qPrintable(grouped(size)),
                    qPrintable(grouped(departures)), runs);

        const double open = timeMs(
            [&] {
                OutgoingListDialog f;
                f.refresher()->trigger();
            },
            runs);
        line("create the outgoing list and rebuild it, landing on the last row", open);
        {
            OutgoingListDialog f;
            auto* byDate = f.findChild<QCheckBox*>(QStringLiteral("CheckBox1"));
            f.rebuildList();
            line("rebuild in entry order, last row", timeMs([&] { f.rebuildList(); }, runs));
            byDate->setChecked(true);
            line("rebuild by date and ear tag, last row", timeMs([&] { f.rebuildList(); }, runs));
            handOver().outgoingId = middle;
            line("rebuild by date and ear tag, on a remembered departure", timeMs([&] { f.rebuildList(); }, runs));
            byDate->setChecked(false);
            line("rebuild in entry order, on a remembered departure", timeMs([&] { f.rebuildList(); }, runs));
            if (Data->ZQ22.fieldText(QStringLiteral("IDk")) != middle)
                std::printf("  !! the rebuild did not land on departure %s\n", qPrintable(middle));
            handOver().outgoingId.clear();
        }

        // One departure: OK (checks, insert, commit, the entry list rebuilt) and "Új" (the next ear tag).
        {
            OutgoingEntryDialog f(EntryMode::New);
            const auto field = [&f](const char* name) { return f.findChild<QLineEdit*>(QString::fromLatin1(name)); };
            field("Edit2")->setText(QStringLiteral("1"));
            field("Edit3")->setText(QStringLiteral("1"));
            field("Edit5")->setText(QStringLiteral("2011.03.20"));
            field("Edit6")->setText(QStringLiteral("BE-1"));
            field("Edit8")->setText(QStringLiteral("KI-1"));
            field("Edit4")->setText(QString::number(8000000000LL + spare));
            const auto okAndNew = [&] {
                f.saveDeparture();
                f.prepareNextEarTag();
                field("Edit4")->setText(QString::number(8000000000LL + ++spare));
            };
            line("OK + Új in the entry screen (its list rebuilt, nothing remembered)", timeMs(okAndNew, runs));
            handOver().outgoingId = middle;
            line("OK + Új, the entry list rebuilt on a remembered departure", timeMs(okAndNew, runs));
            handOver().outgoingId.clear();
            spare += 4 * runs;
        }
        if (!doubles.messages.isEmpty())
            std::printf("  messages: %s\n", qPrintable(doubles.messageTexts().join(u'|')));
        doubles.messages.clear();
        line("for scale: bare client insert of one departure and commit", timeMs([&] {
                 rawExecuteAndCommit(raw.att, QStringLiteral("INSERT INTO kiszall (kskod, kfkod, kfulszam) "
                                                             "VALUES ('', '', '7000000000')"));
             }, runs));
        const double listRaw = timeMs([&] { raw.fetchUntilPrefix(listSql, QString(), 1 << 30); }, 1);
        line("for scale: bare client fetch of every joined row (one run)", listRaw);

        // The pick list near the end of the on-site ear tags, and the arrival check.
        const QString prefix = QString::number(1000000000LL + size - 11).left(9);
        const QString onSite = QString::number(1000000000LL + (size / 2) / 10 * 10);
        handOver().earTagBeginning = prefix;
        QString found;
        const double pick = timeMs([&] {
            EarTagPickListDialog f;
            found = Data->ZQ14.fieldText(QStringLiteral("bfulszam"));
        }, runs);
        long rawRows = 0;
        const double pickRaw =
            timeMs([&] { rawRows = raw.fetchUntilPrefix(QString::fromLatin1(kPickSql), prefix); }, runs);
        line("open the pick list and locate the prefix", pick, pickRaw);
        std::printf("    positioned on %s (prefix %s) after %ld rows of the list\n", qPrintable(found),
                    qPrintable(prefix), rawRows);
        handOver().earTagBeginning.clear();
        const double pickFirst = timeMs([&] { EarTagPickListDialog f; }, runs);
        const double pickFirstRaw =
            timeMs([&] { raw.fetchUntilPrefix(QString::fromLatin1(kPickSql), QString(), 1); }, runs);
        line("open the pick list with nothing typed (first row)", pickFirst, pickFirstRaw);

        QString cert;
        double leave = 0;
        {
            OutgoingEntryDialog f(EntryMode::New);
            const auto field = [&f](const char* name) { return f.findChild<QLineEdit*>(QString::fromLatin1(name)); };
            field("Edit4")->setText(onSite);
            leave = timeMs([&] { f.checkEarTagArrived(); }, 21);
            cert = field("Edit6")->text();
        }
        const double leaveRaw = timeMs([&] { raw.arrivalCheck(onSite); }, 21);
        line("leaving the ear-tag field: checkEarTagArrived on an arrived ear tag", leave, leaveRaw);
        std::printf("    certificate copied: %s, messages: %lld\n", qPrintable(cert),
                    static_cast<long long>(doubles.messages.size()));
        doubles.messages.clear();
        std::printf("  resident memory: %.1f MB\n", static_cast<double>(residentBytes()) / 1e6);
        closeBenchSession();
        Data = nullptr;
    }

    // What the ear-tag index on KISZALL is worth: without it every arrival's NOT EXISTS scans all
    // departures, so even the first rows of the pick list are slow (only a few are fetched here).
    Raw raw(db.file());
    raw.tra.commit();
    db.exec(QStringLiteral("ALTER INDEX IX_KISZALL_FULSZAM INACTIVE"));
    raw.tra.start(raw.att);
    const long probe = 20;
    const double noIndex = timeMs([&] { raw.fetchUntilPrefix(QString::fromLatin1(kPickSql), QString(), probe); }, 1);
    raw.tra.commit();
    db.exec(QStringLiteral("ALTER INDEX IX_KISZALL_FULSZAM ACTIVE"));
    raw.tra.start(raw.att);
    const double withIndex = timeMs([&] { raw.fetchUntilPrefix(QString::fromLatin1(kPickSql), QString(), probe); });
    std::printf("\nFirst %ld pick-list rows at %s arrivals, bare loop: with IX_KISZALL_FULSZAM %.2f ms, without it "
                "%.2f ms (x%.0f)\n",
                probe, qPrintable(grouped(filled)), withIndex, noIndex, withIndex > 0 ? noIndex / withIndex : 0.0);
    return 0;
}
