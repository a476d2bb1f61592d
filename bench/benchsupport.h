#pragma once

#include "db/client.h"

#include <QElapsedTimer>
#include <QString>
#include <QTemporaryDir>

#include <functional>

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

private:
    QTemporaryDir m_dir;
    QString m_oldCwd;
};

// How a benchmark connects to a database file of its own.
fb::ConnectParams connectParams(const QString& file);

// Runs SQL as it is (PSQL blocks allowed) on a database file, in a transaction of its own, committed.
void execOnFile(const QString& file, const QString& sql);

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
