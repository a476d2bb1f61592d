#include "benchsupport.h"

#include "core/dbcreate.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <fstream>
#include <unistd.h>
#include <vector>

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
    exec(QStringLiteral("EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < %1) DO BEGIN "
                        "INSERT INTO %2 (%3) VALUES (%4); I = I + 1; END END")
             .arg(n)
             .arg(table, columns, values));
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
