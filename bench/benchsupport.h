#pragma once

#include "db/client.h"

#include <QElapsedTimer>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <utility>
#include <vector>

// A scratch database for a benchmark: created from the schema in a temporary directory that is
// also the working directory, filled with fast server-side loops.
class BenchDatabase {
public:
    BenchDatabase();
    ~BenchDatabase();
    QString file() const;
    // Runs SQL as it is (PSQL blocks allowed) in a transaction of its own, committed.
    void exec(const QString& sql);
    // Inserts n rows into table: values is a PSQL expression list that may use the loop index I.
    void fill(const QString& table, const QString& columns, const QString& values, int n);
    // The same for the loop indexes from up to (not including) to: a table grown in steps.
    void fill(const QString& table, const QString& columns, const QString& values, int from, int to);

private:
    QTemporaryDir m_dir;
    QString m_oldCwd;
};

class Session;
// The session a benchmark's screens work in, as the program makes one at start-up (on the
// database the settings name, Dudoz.fdb in the working directory, unless one is given);
// closeBenchSession() closes it.
Session& openBenchSession(const QString& database = {});
void closeBenchSession();

// How a benchmark connects to a database file of its own.
fb::ConnectParams connectParams(const QString& file);

// Runs SQL as it is (PSQL blocks allowed) on a database file, in a transaction of its own, committed.
void execOnFile(const QString& file, const QString& sql);

// The table sizes a benchmark measures at: the numbers given on its command line, else 100,
// 100,000 and 1,000,000 rows.
std::vector<int> benchSizes(int argc, char** argv);
// Runs for a median at a table size: fewer where one run takes seconds.
int runsAt(int rows);
// "1,000,000"
QString grouped(long n);

// Median wall time of runs calls, in milliseconds.
double timeMs(const std::function<void()>& work, int runs = 5);
// Resident set size of this process in bytes (Linux).
size_t residentBytes();
// Fetches every row of sql with the bare client library; returns the row count and message bytes.
struct RawFetch {
    long rows = 0;
    size_t bytes = 0;
};
RawFetch rawFetchAll(const QString& file, const QString& sql);
// Runs one statement in a transaction of its own on att and commits, with the bare client library:
// the floor under a save, mostly the commit's wait for the disk.
void rawExecuteAndCommit(fb::Attachment& att, const QString& sql);

// The floor of range building: ear tags as 64-bit integers (the benchmarks' tags fit), cut into
// runs as they come, each run stored through one prepared insert.
class BareRuns {
public:
    void add(const QString& earTag);
    int count() const { return static_cast<int>(m_runs.size()); }
    // INSERT INTO <table> (ufultol, ufulig) for every run, in the transaction given.
    void store(fb::Attachment& att, fb::Transaction& tra, const QString& table) const;

private:
    std::vector<std::pair<QString, QString>> m_runs;
    qint64 m_previous = -2;
};
