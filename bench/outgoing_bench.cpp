// Outgoing entry at a busy site: 100,000 live arrivals, 90,000 of them dispatched. Times what the
// user waits for at the desk: the pick list opening positioned on a typed beginning, and the
// arrival check with the certificate copy when the ear-tag field is left. Each figure is printed
// beside a bare client-library loop doing the same database work.

#include "benchsupport.h"

#include "core/datamodule.h"
#include "core/handover.h"
#include "db/client.h"
#include "outgoing/eartag_picklist.h"
#include "outgoing/outgoing_entry.h"
#include "outgoing/outgoing_list.h"
#include "ui/input.h"
#include "ui/platform.h"

#include <QApplication>
#include <QLineEdit>

#include <cstdio>

namespace {

constexpr int kArrivals = 100000;
// Every tenth arrival is still on site; the others left.
const QString kPrefix = QStringLiteral("1000099");    // near the end of the on-site list
const QString kEarTag = QStringLiteral("1000054320");  // on site

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
    std::printf("  %-58s %9.2f ms   bare %8.2f ms   ratio %5.2f\n", what, ms, rawMs, rawMs > 0 ? ms / rawMs : 0.0);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::TestDoubles doubles;  // no person at the desk: boxes are recorded, not shown

    BenchDatabase db;
    std::printf("Filling %d arrivals and %d departures...\n", kArrivals, kArrivals - kArrivals / 10);
    db.fill(QStringLiteral("beszall"), QStringLiteral("bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod"),
            QStringLiteral("CAST(1000000000 + :I AS VARCHAR(25)), DATE '2011-01-01' + MOD(:I, 300), "
                           "DATE '2011-01-01', 'gyüjtés', 'EU-' || :I, '1', '1'"),
            kArrivals);
    db.fill(QStringLiteral("kiszall"), QStringLiteral("kfulszam, kikelt, khkat, keubizbe, keubizki, kskod, kfkod"),
            QStringLiteral("CAST(1000000000 + :I + 1 + (:I / 9) AS VARCHAR(25)), DATE '2011-02-01' + MOD(:I, 300), "
                           "'vágás', 'EU-' || :I, 'KI-' || :I, '1', '1'"),
            kArrivals - kArrivals / 10);

    db.exec(QStringLiteral("INSERT INTO szallito (srendszam, snev) VALUES ('ABC-123', 'Kiss Fuvar')"));
    db.exec(QStringLiteral("INSERT INTO felado (fnev) VALUES ('Vágóhíd Kft')"));

    Data = new TData();
    Raw raw(db.file());

    // For scale: the outgoing list itself opens on its last row, which fetches every joined row.
    std::printf("\nOutgoing list (joined with carrier and buyer, %d rows):\n", kArrivals - kArrivals / 10);
    const QString listSql = QStringLiteral(
        "SELECT kfulszam, kikelt, khkat, keubizki, keubizbe, kskod, kfkod, IDk, kKod, srendszam, snev, scim, sjovaszam, "
        "skod, IDs, fnev, fcim, ftenykod, fsznev, fszcim, fkod, IDf FROM kiszall "
        "JOIN szallito ON szallito.skod = kiszall.kskod JOIN felado ON felado.fkod = kiszall.kfkod ORDER BY IDk");
    const double list = timeMs([&] {
        OutgoingListDialog f;
        f.refresher()->trigger();
    }, 3);
    const double listRaw = timeMs([&] { raw.fetchUntilPrefix(listSql, QString(), 1 << 30); }, 3);
    line("create the outgoing list and rebuild (two opens on the last row)", list, 2 * listRaw);

    std::printf("\nPick list (NOT EXISTS over KISZALL, text order), positioned on \"%s\":\n", qPrintable(kPrefix));
    handOver().earTagBeginning = kPrefix;
    QString found;
    const double pick = timeMs([&] {
        EarTagPickListDialog f;
        found = Data->ZQ14.fieldText(QStringLiteral("bfulszam"));
    });
    long rawRows = 0;
    const double pickRaw = timeMs([&] { rawRows = raw.fetchUntilPrefix(QString::fromLatin1(kPickSql), kPrefix); });
    line("open the pick list and locate the prefix", pick, pickRaw);
    std::printf("  positioned on %s after %ld rows of the list\n", qPrintable(found), rawRows);
    handOver().earTagBeginning.clear();
    const double pickFirst = timeMs([&] { EarTagPickListDialog f; });
    const double pickFirstRaw = timeMs([&] { raw.fetchUntilPrefix(QString::fromLatin1(kPickSql), QString(), 1); });
    line("open the pick list with nothing typed (first row)", pickFirst, pickFirstRaw);

    std::printf("\nLeaving the ear-tag field (arrival count, then certificate):\n");
    QString cert;
    double leave = 0;
    {
        OutgoingEntryDialog f(EntryMode::New);
        const auto field = [&f](const char* name) { return f.findChild<QLineEdit*>(QString::fromLatin1(name)); };
        field("Edit4")->setText(kEarTag);
        leave = timeMs([&] { f.checkEarTagArrived(); }, 21);
        cert = field("Edit6")->text();
    }
    const double leaveRaw = timeMs([&] { raw.arrivalCheck(kEarTag); }, 21);
    line("checkEarTagArrived on an arrived ear tag", leave, leaveRaw);
    std::printf("  certificate copied: %s, messages: %lld\n", qPrintable(cert), static_cast<long long>(doubles.messages.size()));

    // What the ear-tag index on KISZALL is worth: without it every arrival's NOT EXISTS scans all
    // departures, so even the first rows of the pick list are slow (only a few are fetched here).
    delete Data;
    Data = nullptr;
    raw.tra.commit();
    db.exec(QStringLiteral("ALTER INDEX IX_KISZALL_FULSZAM INACTIVE"));
    raw.tra.start(raw.att);
    const long probe = 20;
    const double noIndex = timeMs([&] { raw.fetchUntilPrefix(QString::fromLatin1(kPickSql), QString(), probe); }, 1);
    raw.tra.commit();
    db.exec(QStringLiteral("ALTER INDEX IX_KISZALL_FULSZAM ACTIVE"));
    raw.tra.start(raw.att);
    const double withIndex = timeMs([&] { raw.fetchUntilPrefix(QString::fromLatin1(kPickSql), QString(), probe); });
    std::printf("\nFirst %ld pick-list rows, bare loop: with IX_KISZALL_FULSZAM %.2f ms, without it %.2f ms (x%.0f)\n",
                probe, withIndex, noIndex, withIndex > 0 ? noIndex / withIndex : 0.0);
    return 0;
}
