#include "testdb.h"

#include "storage/session.h"
#include "core/dbcreate.h"
#include "db/client.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {
// The schema is run once per test program; each test copies the result.
QString templateFile()
{
    static QTemporaryDir dir;
    static QString path;
    if (path.isEmpty()) {
        path = dir.filePath(QStringLiteral("template.fdb"));
        dbcreate::createDatabase(path);
    }
    return path;
}

fb::ConnectParams params(const QString& file)
{
    fb::ConnectParams p;
    p.database = file;
    p.password = QStringLiteral("medvehagy");
    return p;
}
}  // namespace

TestDatabase::TestDatabase(bool createSession)
{
    fb::preparePerUserLockDirectory();
    m_oldCwd = QDir::currentPath();
    const QString tpl = templateFile();
    QFile::copy(tpl, m_dir.filePath(QStringLiteral("Dudoz.fdb")));
    QFile::setPermissions(m_dir.filePath(QStringLiteral("Dudoz.fdb")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QDir::setCurrent(m_dir.path());
    if (createSession)
        openSession();
}

TestDatabase::~TestDatabase()
{
    m_session.reset();
    QDir::setCurrent(m_oldCwd);
}

Session& TestDatabase::session() const
{
    if (!m_session)
        qFatal("the test database has no session");
    return *m_session;
}

Session& TestDatabase::openSession()
{
    m_session.reset();
    m_session = std::make_unique<Session>();
    return *m_session;
}

void TestDatabase::closeSession() { m_session.reset(); }

QString TestDatabase::file() const { return m_dir.filePath(QStringLiteral("Dudoz.fdb")); }

void testdb::exec(const QString& file, const QString& sql)
{
    fb::Attachment att;
    att.attach(params(file));
    fb::Transaction tra;
    tra.start(att);
    {
        fb::Statement st(att, tra, sql, false);
        st.execute();
    }
    tra.commit();
}

QList<QStringList> testdb::rows(const QString& file, const QString& sql)
{
    fb::Attachment att;
    att.attach(params(file));
    fb::Transaction tra;
    tra.start(att);
    QList<QStringList> out;
    {
        fb::Statement st(att, tra, sql);
        auto cur = st.openCursor();
        std::vector<unsigned char> buf(cur->columns().messageLength() + 8);
        while (cur->fetchNext(buf.data())) {
            QStringList row;
            for (int i = 0; i < cur->columns().count(); ++i)
                row << cur->columns().text(buf.data(), i);
            out << row;
        }
    }
    tra.commit();
    return out;
}

void TestDatabase::exec(const QString& sql) { testdb::exec(file(), sql); }

QList<QStringList> TestDatabase::rows(const QString& sql) { return testdb::rows(file(), sql); }

QString TestDatabase::value(const QString& sql)
{
    const auto r = rows(sql);
    return r.isEmpty() || r.first().isEmpty() ? QString() : r.first().first();
}

int TestDatabase::count(const QString& table)
{
    return value(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)).toInt();
}

bool TestDatabase::install(const QString& sourcePath)
{
    if (sourcePath.isEmpty())
        return false;
    const QString target = QDir(m_dir.path()).filePath(QFileInfo(sourcePath).fileName());
    QFile::remove(target);
    return QFile::copy(sourcePath, target);
}

QString TestDatabase::addCarrier(const QString& rendszam, const QString& nev, const QString& cim,
                                 const QString& jovaszam)
{
    exec(QStringLiteral("INSERT INTO szallito (srendszam, snev, scim, sjovaszam) VALUES ('%1','%2','%3','%4')")
             .arg(rendszam, nev, cim, jovaszam));
    return value(QStringLiteral("SELECT skod FROM szallito WHERE ids = (SELECT MAX(ids) FROM szallito)"));
}

QString TestDatabase::addPartner(const QString& nev, const QString& cim, const QString& tenykod)
{
    exec(QStringLiteral("INSERT INTO felado (fnev, fcim, ftenykod, fsznev, fszcim) VALUES ('%1','%2','%3','%1','%2')")
             .arg(nev, cim, tenykod));
    return value(QStringLiteral("SELECT fkod FROM felado WHERE idf = (SELECT MAX(idf) FROM felado)"));
}
