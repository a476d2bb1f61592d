#include "benchsupport.h"

#include "storage/session.h"

#include "core/dbcreate.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <fstream>
#include <unistd.h>
#include <vector>

namespace {
std::unique_ptr<Session> g_session;
}  // namespace

Session& openBenchSession(const QString& database)
{
    g_session.reset();
    g_session = database.isEmpty() ? std::make_unique<Session>() : std::make_unique<Session>(database);
    return *g_session;
}

void closeBenchSession() { g_session.reset(); }

BenchDatabase::BenchDatabase()
{
    fb::preparePerUserLockDirectory();
    m_oldCwd = QDir::currentPath();
    dbcreate::createDatabase(file());
    QDir::setCurrent(m_dir.path());
}

BenchDatabase::~BenchDatabase() { QDir::setCurrent(m_oldCwd); }

QString BenchDatabase::file() const { return m_dir.filePath(QStringLiteral("Dudoz.fdb")); }

void BenchDatabase::exec(const QString& sql) { execOnFile(file(), sql); }

fb::ConnectParams connectParams(const QString& file)
{
    fb::ConnectParams p;
    p.database = file;
    p.password = QStringLiteral("medvehagy");
    return p;
}

void execOnFile(const QString& file, const QString& sql)
{
    fb::Attachment att;
    att.attach(connectParams(file));
    fb::Transaction tra;
    tra.start(att);
    {
        fb::Statement st(att, tra, sql, false);
        st.execute();
    }
    tra.commit();
}

void BenchDatabase::fill(const QString& table, const QString& columns, const QString& values, int n)
{
    fill(table, columns, values, 0, n);
}

void BenchDatabase::fill(const QString& table, const QString& columns, const QString& values, int from, int to)
{
    if (to <= from)
        return;
    exec(QStringLiteral("EXECUTE BLOCK AS DECLARE I INTEGER = %1; BEGIN WHILE (I < %2) DO BEGIN "
                        "INSERT INTO %3 (%4) VALUES (%5); I = I + 1; END END")
             .arg(from)
             .arg(to)
             .arg(table, columns, values));
}

std::vector<int> benchSizes(int argc, char** argv)
{
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        if (const int n = QString::fromLocal8Bit(argv[i]).toInt(); n > 0)
            sizes.push_back(n);
    if (sizes.empty())
        sizes = {100, 100000, 1000000};
    std::sort(sizes.begin(), sizes.end());
    return sizes;
}

int runsAt(int rows) { return rows >= 1000000 ? 3 : 5; }

QString grouped(long n)
{
    QString digits = QString::number(n);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(i, u',');
    return digits;
}

double timeMs(const std::function<void()>& work, int runs)
{
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        t.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

size_t residentBytes()
{
    std::ifstream f("/proc/self/statm");
    size_t pages = 0, resident = 0;
    f >> pages >> resident;
    return resident * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

void rawExecuteAndCommit(fb::Attachment& att, const QString& sql)
{
    fb::Transaction tra;
    tra.start(att);
    {
        fb::Statement st(att, tra, sql);
        st.execute();
    }
    tra.commit();
}

RawFetch rawFetchAll(const QString& file, const QString& sql)
{
    fb::Attachment att;
    att.attach(connectParams(file));
    fb::Transaction tra;
    tra.start(att);
    RawFetch r;
    {
        fb::Statement st(att, tra, sql);
        auto cur = st.openCursor();
        std::vector<unsigned char> buf(cur->columns().messageLength() + 8);
        while (cur->fetchNext(buf.data())) {
            ++r.rows;
            r.bytes += cur->columns().messageLength();
        }
    }
    tra.commit();
    return r;
}

void BareRuns::add(const QString& earTag)
{
    const qint64 value = earTag.toLongLong();
    if (!m_runs.empty() && value == m_previous + 1)
        m_runs.back().second = earTag;
    else
        m_runs.emplace_back(earTag, earTag);
    m_previous = value;
}

void BareRuns::store(fb::Attachment& att, fb::Transaction& tra, const QString& table) const
{
    fb::Statement ins(att, tra, QStringLiteral("INSERT INTO %1 (ufultol, ufulig) VALUES (:p1, :p2)").arg(table));
    for (const auto& [first, last] : m_runs) {
        ins.bind(QStringLiteral("p1"), fb::Value::fromText(first));
        ins.bind(QStringLiteral("p2"), fb::Value::fromText(last));
        ins.execute();
    }
}
