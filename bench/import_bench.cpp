// The legacy import of 100,000 lines against its floor: the same rows inserted and committed one by
// one through the bare client library, with the statement prepared once and the values already cut.
//   import_bench [LINES=100000] [ROUNDS=20]
// Three databases, one per way (floor, import without its screen, import through the screen). The
// lines are imported in ROUNDS parts, the ways taking turns in a rotating order, so that a drift in
// the disk's speed for one synchronous commit per line falls on all three alike; ROUNDS=1 imports
// all lines in one run per way. TMPDIR=/dev/shm puts the databases in memory: the floor is then the
// engine's own cost per commit, the strictest comparison.
#include "benchsupport.h"
#include "storage/session.h"
#include "storage/shared_datasets.h"
#include "legacy_sample.h"
#include "maintenance/legacy_format.h"
#include "maintenance/legacy_import.h"
#include "maintenance/legacy_importer.h"
#include "ui/platform.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <ctime>

namespace {

// Wall time, and the process's processor time (all threads, the embedded engine's included): the
// disk's waits for the commits are in the first only, so the second shows the program's own cost.
struct Timing {
    double wallMs = 0;
    double cpuMs = 0;
};

class Stopwatch {
public:
    Stopwatch() : m_cpu(std::clock()) { m_wall.start(); }
    Timing read() const
    {
        return {static_cast<double>(m_wall.nsecsElapsed()) / 1e6,
                static_cast<double>(std::clock() - m_cpu) * 1000.0 / CLOCKS_PER_SEC};
    }

private:
    QElapsedTimer m_wall;
    std::clock_t m_cpu;
};

struct FileRows {
    const legacy::FileLayout* layout;
    QList<QStringList> rows;
};

QList<FileRows> cutFiles(const QString& dir)
{
    QList<FileRows> out;
    for (const legacy::FileLayout& layout : legacy::importFiles()) {
        QFile f(dir + layout.fileName);
        if (!f.open(QIODevice::ReadOnly))
            qFatal("cannot read %s", qPrintable(f.fileName()));
        const QByteArray content = f.readAll();
        FileRows file{&layout, {}};
        for (const legacy::LineSpan& s : legacy::splitLines(content))
            file.rows << legacy::parseLine(layout, QByteArrayView(content.constData() + s.offset, s.length)).values;
        out << file;
    }
    return out;
}

// The bare loop: the statement prepared once per file, one transaction and commit per row.
class Floor {
public:
    explicit Floor(const QString& file)
    {
        fb::ConnectParams p;
        p.database = file;
        p.password = QStringLiteral("medvehagy");
        m_att.attach(p);
    }
    void run(const QList<FileRows>& files)
    {
        for (const FileRows& file : files) {
            m_tra.start(m_att);
            fb::Statement insert(m_att, m_tra, file.layout->insertStatement.join(u'\n'));
            m_tra.commit();
            for (const QStringList& row : file.rows) {
                m_tra.start(m_att);
                for (int f = 0; f < row.size(); ++f) {
                    const bool noDate = file.layout->fields.at(f).isDate && row.at(f).isEmpty();
                    insert.bind(QStringLiteral("p%1").arg(f + 1), noDate ? fb::Value{} : fb::Value::fromText(row.at(f)));
                }
                insert.execute();
                m_tra.commit();
            }
        }
    }

private:
    fb::Attachment m_att;
    fb::Transaction m_tra;
};

class Silent : public legacy::ImportObserver {
public:
    void tell(const QString&) override {}
    bool lineRefused(const QString&) override { return false; }
};

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int rounds = std::max(1, argc > 2 ? std::atoi(argv[2]) : 20);
    // The disk's speed for one commit per line drifts while other programs write: the three ways run
    // in turns, a part of the lines each, in a rotating order, so that drift falls on all of them.
    QTemporaryDir filesDir;
    const QString dir = filesDir.path() + QStringLiteral("/");
    const legacysample::Counts counts = legacysample::countsFor(lines / rounds);
    legacysample::write(dir, counts);
    const QList<FileRows> files = cutFiles(dir);
    std::printf("legacy files: %d lines (beszall %d, kiszall %d, beszall0 %d, kiszall0 %d, felado %d, szallito %d), "
                "imported %d times in each way: %d lines\n",
                counts.total(), counts.arrivals, counts.departures, counts.archivedArrivals, counts.archivedDepartures,
                counts.partners, counts.carriers, rounds, counts.total() * rounds);
    std::fflush(stdout);
    const int total = counts.total() * rounds;

    BenchDatabase floorDb, engineDb, screenDb;
    Floor floor(floorDb.file());
    Session engineSession(engineDb.file());
    TData& engineData = *Data;
    Silent silent;
    legacy::LegacyImporter importer(engineData, silent);
    openBenchSession(screenDb.file());
    platform::TestDoubles doubles;  // answers the warning before every run but the first
    LegacyImportDialog dialog;
    dialog.show();
    dialog.findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(dir);
    auto* importButton = dialog.findChild<QPushButton*>(QStringLiteral("Button1"));

    Timing floorTime, engineTime, screenTime;
    int imported = 0;
    const auto add = [](Timing& sum, const Timing& t) {
        sum.wallMs += t.wallMs;
        sum.cpuMs += t.cpuMs;
    };
    for (int r = 0; r < rounds; ++r) {
        for (int k = 0; k < 3; ++k) {
            Stopwatch t;
            switch ((r + k) % 3) {
            case 0:
                floor.run(files);
                add(floorTime, t.read());
                break;
            case 1:
                for (const legacy::FileSummary& f : importer.run(dir).files)
                    imported += f.imported;
                add(engineTime, t.read());
                break;
            default:
                QTest::mouseClick(importButton, Qt::LeftButton);
                add(screenTime, t.read());
                break;
            }
        }
        std::fprintf(stderr, "round %d of %d\n", r + 1, rounds);
    }
    const auto report = [total](const char* what, const Timing& t) {
        std::printf("%-38s %9.0f ms  %6.3f ms/line   processor %8.0f ms  %6.3f ms/line\n", what, t.wallMs,
                    t.wallMs / total, t.cpuMs, t.cpuMs / total);
    };
    report("floor (bare insert + commit per row)", floorTime);
    report("import without screen", engineTime);
    report("import through the screen", screenTime);
    std::printf("rows: %d through the importer, %d messages on the screen (6 closing messages and a warning per run)\n",
                imported, static_cast<int>(doubles.messages.size()));
    std::printf("ratio to the floor, wall time: without screen %.2f, through the screen %.2f (goal <= 1.5)\n",
                engineTime.wallMs / floorTime.wallMs, screenTime.wallMs / floorTime.wallMs);
    std::printf("ratio to the floor, processor time: without screen %.2f, through the screen %.2f\n",
                engineTime.cpuMs / floorTime.cpuMs, screenTime.cpuMs / floorTime.cpuMs);
    closeBenchSession();
    Data = nullptr;
    return 0;
}
