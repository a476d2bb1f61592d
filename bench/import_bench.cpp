// The legacy import of 100,000 lines against its floor: the same rows inserted and committed one by
// one through the bare client library, with the statement prepared once and the values already cut.
//   import_bench [LINES=100000] [ROUNDS=20]
// Three databases, one per way (floor, import without its screen, import through the screen). The
// lines are imported in ROUNDS parts, the ways taking turns in a rotating order, so that a drift in
// the disk's speed for one synchronous commit per line falls on all three alike; ROUNDS=1 imports
// all lines in one run per way. TMPDIR=/dev/shm puts the databases in memory: the floor is then the
// engine's own cost per commit, the strictest comparison.
//   import_bench hostile
// Hostile files through the screen (one huge line, NUL bytes, millions of blank lines, a UTF-8 letter
// at the end of a long file): for each, the longest time the window's event loop did not run while
// the import went on (a 5 ms timer measures the gaps; goal: no gap over 200 ms), the time of the
// run, and the process's peak memory after it.
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
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <functional>

#include <sys/resource.h>

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

// The process's peak resident memory so far, in MB.
double peakMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void writeBytes(const QString& path, qint64 size, const std::function<QByteArray(qint64 at, qint64 n)>& piece)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    for (qint64 at = 0; at < size;) {
        const qint64 n = std::min<qint64>(1 << 20, size - at);
        f.write(piece(at, n));
        at += n;
    }
}

int hostileFiles()
{
    QTemporaryDir filesDir;
    const QString dir = filesDir.path() + QStringLiteral("/");
    legacysample::write(dir, legacysample::countsFor(60));
    const QString target = dir + QStringLiteral("beszall.txt");
    // A line of the sample file, repeated into a long clean file.
    const QByteArray goodLine = [&] {
        QFile f(target);
        if (!f.open(QIODevice::ReadOnly))
            qFatal("cannot read %s", qPrintable(target));
        return f.readLine();
    }();
    struct Shape {
        const char* what;
        qint64 size;
        std::function<QByteArray(qint64, qint64)> piece;
    };
    const qint64 mb = 1000 * 1000;
    const QList<Shape> shapes = {
        {"50 MB without a line break", 50 * mb, [](qint64, qint64 n) { return QByteArray(n, 'A'); }},
        {"10 MB of NUL bytes", 10 * mb, [](qint64, qint64 n) { return QByteArray(n, '\0'); }},
        {"20 MB of line endings (10 million blank lines)", 20 * mb,
         [](qint64, qint64 n) { return QByteArray("\r\n").repeated(n / 2); }},
        {"50 MB of lines, a UTF-8 letter in the last", 50 * mb,
         [&](qint64 at, qint64 n) {
             QByteArray part = goodLine.repeated(n / goodLine.size() + 1).left(n);
             if (at + n >= 50 * mb)
                 part.replace(part.size() - 8, 2, "\xC5\x91");
             return part;
         }},
    };
    BenchDatabase db;
    Data = new TData(nullptr, db.file());
    platform::TestDoubles doubles;
    std::printf("hostile files in beszall.txt, through the screen (peak memory at the start %.0f MB):\n", peakMb());
    for (const Shape& shape : shapes) {
        writeBytes(target, shape.size, shape.piece);
        LegacyImportDialog dialog;
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog))
            qFatal("the screen is not shown");
        dialog.findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(dir);
        QElapsedTimer sinceTick;
        qint64 longestGap = 0;
        QTimer ticks;
        ticks.setInterval(5);
        QObject::connect(&ticks, &QTimer::timeout, [&] {
            longestGap = std::max(longestGap, sinceTick.restart());
        });
        QElapsedTimer run;
        // The first gap counts from the click: a window that freezes at once shows it too.
        QTimer::singleShot(0, [&] {
            sinceTick.start();
            ticks.start();
        });
        run.start();
        doubles.messages.clear();
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
        ticks.stop();
        longestGap = std::max(longestGap, sinceTick.isValid() ? sinceTick.elapsed() : run.elapsed());
        std::printf("  %-48s %7.0f ms, longest wait of the window %4lld ms, peak memory %5.0f MB, %d messages\n",
                    shape.what, static_cast<double>(run.nsecsElapsed()) / 1e6, static_cast<long long>(longestGap),
                    peakMb(), static_cast<int>(doubles.messages.size()));
        if (!doubles.messages.isEmpty())
            std::printf("    first message: %s\n", qPrintable(doubles.messages.first().text.left(150)));
        std::fflush(stdout);
    }
    delete Data;
    Data = nullptr;
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "hostile")
        return hostileFiles();
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
