// Two desks on one database through a Firebird server: the Debian server started here on the
// loopback address, on a port and with a configuration and user database of its own (nothing of
// an installed service is used or disturbed), the database made by gerundo-mkdb, and two separate
// program processes (the desk driver) working on it.
#include "testdb.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>

namespace {

const QString kServerBinary = QStringLiteral("/usr/sbin/firebird");
const QString kSecuritySchema = QStringLiteral("/usr/share/firebird/3.0/security.sql");
const QString kPassword = QStringLiteral("medvehagy");  // what testdb connects with
constexpr int kAnswerWaitMs = 30000;

// A port of the loopback address that nothing listens on now.
int freeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return 0;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        port = ntohs(addr.sin_port);
    ::close(fd);
    return port;
}

// Runs a program to its end; its output, or why it failed, in `log`.
bool runToEnd(const QString& program, const QStringList& args, const QProcessEnvironment& env, QString& log,
              const QByteArray& input = {})
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForStarted()) {
        log = program + QStringLiteral(": ") + p.errorString();
        return false;
    }
    if (!input.isEmpty())
        p.write(input);
    p.closeWriteChannel();
    const bool ended = p.waitForFinished(120000);
    log = program + QStringLiteral(" ") + args.join(u' ') + QStringLiteral(":\n") + QString::fromUtf8(p.readAll());
    return ended && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// The server with its own root directory (firebird.conf, user database, lock files).
class PrivateServer {
public:
    ~PrivateServer() { stop(); }

    // Empty when it runs; otherwise why not.
    QString start()
    {
        if (!QFile::exists(kServerBinary) || !QFile::exists(kSecuritySchema))
            return QStringLiteral("the Firebird server (firebird3.0-server) is not installed; "
                                  "scripts/install-deps.sh installs it");
        const QString isql = QStandardPaths::findExecutable(QStringLiteral("isql-fb"));
        if (isql.isEmpty())
            return QStringLiteral("isql-fb (firebird3.0-utils) is not installed");
        if (!m_root.isValid())
            return QStringLiteral("no temporary directory");
        m_port = freeLoopbackPort();
        if (m_port == 0)
            return QStringLiteral("no free port on 127.0.0.1");
        // The installed root lends its engine, character sets and messages; the configuration is
        // this root's own.
        const QStringList installed =
            QDir(QStringLiteral("/usr/lib")).entryList({QStringLiteral("*")}, QDir::Dirs | QDir::NoDotAndDotDot);
        QString installedRoot;
        for (const QString& dir : installed)
            if (QFile::exists(QStringLiteral("/usr/lib/%1/firebird/3.0/plugins").arg(dir)))
                installedRoot = QStringLiteral("/usr/lib/%1/firebird/3.0").arg(dir);
        if (installedRoot.isEmpty())
            return QStringLiteral("the Firebird 3.0 engine (firebird3.0-server-core) is not installed");
        for (const QString& entry : QDir(installedRoot).entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
            if (entry != QLatin1String("firebird.conf") && entry != QLatin1String("databases.conf")
                && entry != QLatin1String("intl"))
                QFile::link(installedRoot + u'/' + entry, m_root.filePath(entry));
        // The character sets are copied: the engine loads them only from a path inside its root,
        // as it resolves links.
        const QString intl = m_root.filePath(QStringLiteral("intl"));
        QDir().mkpath(intl);
        for (const QString& file : QDir(installedRoot + QStringLiteral("/intl")).entryList(QDir::Files))
            QFile::copy(installedRoot + QStringLiteral("/intl/") + file, intl + u'/' + file);
        QDir(m_root.path()).mkpath(QStringLiteral("lock"));
        const QString users = m_root.filePath(QStringLiteral("security.fdb"));
        QFile conf(m_root.filePath(QStringLiteral("firebird.conf")));
        if (!conf.open(QIODevice::WriteOnly))
            return QStringLiteral("cannot write ") + conf.fileName();
        conf.write(QStringLiteral("RemoteServicePort = %1\n"
                                  "RemoteBindAddress = 127.0.0.1\n"
                                  "ServerMode = Super\n"
                                  "SecurityDatabase = %2\n")
                       .arg(m_port)
                       .arg(users)
                       .toUtf8());
        conf.close();

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("FIREBIRD"), m_root.path());
        env.insert(QStringLiteral("FIREBIRD_LOCK"), m_root.filePath(QStringLiteral("lock")));
        env.insert(QStringLiteral("FIREBIRD_TMP"), m_root.path());
        env.remove(QStringLiteral("ISC_USER"));
        env.remove(QStringLiteral("ISC_PASSWORD"));
        // The user database as the Debian package makes its own, opened by this root's engine.
        QString log;
        const QByteArray create = QStringLiteral("CREATE DATABASE '%1';\n").arg(users).toUtf8();
        const QByteArray sysdba =
            QStringLiteral("CREATE OR ALTER USER SYSDBA PASSWORD '%1' USING PLUGIN Srp;\nCOMMIT;\n").arg(kPassword).toUtf8();
        if (!runToEnd(isql, {QStringLiteral("-q"), QStringLiteral("-user"), QStringLiteral("SYSDBA")}, env, log, create)
            || !runToEnd(isql, {QStringLiteral("-q"), QStringLiteral("-user"), QStringLiteral("SYSDBA"), QStringLiteral("-i"),
                                kSecuritySchema, users},
                         env, log)
            || !runToEnd(isql, {QStringLiteral("-q"), QStringLiteral("-user"), QStringLiteral("SYSDBA"), users}, env, log,
                         sysdba))
            return QStringLiteral("cannot make the user database: ") + log;
        if (!QFile::exists(users))
            return QStringLiteral("no user database made: ") + log;

        m_server.setProcessEnvironment(env);
        m_server.setProcessChannelMode(QProcess::MergedChannels);
        m_server.start(kServerBinary, {});
        if (!m_server.waitForStarted())
            return QStringLiteral("the server did not start: ") + m_server.errorString();
        // It takes a moment before it listens.
        QElapsedTimer clock;
        clock.start();
        while (!listening()) {
            if (!running() || clock.elapsed() > 30000)
                return QStringLiteral("the server does not listen on 127.0.0.1:%1: %2").arg(m_port).arg(output());
            QTest::qWait(100);
        }
        return {};
    }

    void stop()
    {
        if (m_server.state() == QProcess::NotRunning)
            return;
        // The server ends its work on an interrupt (it takes no notice of a plain terminate).
        ::kill(static_cast<pid_t>(m_server.processId()), SIGINT);
        if (!m_server.waitForFinished(10000)) {
            m_server.kill();
            m_server.waitForFinished(5000);
        }
    }

    bool running() const { return m_server.state() == QProcess::Running; }
    bool listening() const
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(m_port);
        const bool connected = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
        if (fd >= 0)
            ::close(fd);
        return connected;
    }
    QString output() { return QString::fromUtf8(m_server.readAll()); }
    QString databaseName(const QString& file) const
    {
        return QStringLiteral("127.0.0.1/%1:%2").arg(m_port).arg(m_root.filePath(file));
    }

private:
    QTemporaryDir m_root;
    int m_port = 0;
    QProcess m_server;
};

// One program process at its desk.
class Desk {
public:
    Desk(const QString& database, const QString& name) : m_name(name)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("GERUNDO_DATABASE"), database);
        env.insert(QStringLiteral("GERUNDO_USER"), QStringLiteral("SYSDBA"));
        env.insert(QStringLiteral("GERUNDO_PASSWORD"), kPassword);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(GERUNDO_DESK_DRIVER), {});
        m_ready = m_process.waitForStarted() && readUntil(QStringLiteral("ready")).endsWith(QStringLiteral("ready"));
    }
    ~Desk()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.write("quit\n");
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    bool ready() const { return m_ready; }
    // The desk dies as a machine switched off does: nothing of it ends its work.
    void kill()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    // What the desk answered to the command, "ok" left off; a desk that does not answer in time
    // (hangs) answers "<no answer>".
    QStringList ask(const QString& command)
    {
        send(command);
        return answer();
    }
    // The command given, its answer read later: two desks at work at once.
    void send(const QString& command) { m_process.write(command.toUtf8() + '\n'); }
    QStringList answer()
    {
        QStringList lines = readUntil(QStringLiteral("ok"));
        if (lines.value(lines.size() - 1) == QLatin1String("ok"))
            lines.removeLast();
        else
            lines << QStringLiteral("<no answer from %1>").arg(m_name);
        return lines;
    }

private:
    QStringList readUntil(const QString& last)
    {
        QStringList lines;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < kAnswerWaitMs) {
            while (m_process.canReadLine()) {
                lines << QString::fromUtf8(m_process.readLine()).chopped(1);
                if (lines.last() == last)
                    return lines;
            }
            if (m_process.state() == QProcess::NotRunning)
                break;
            m_process.waitForReadyRead(200);
        }
        return lines;
    }

    QString m_name;
    QProcess m_process;
    bool m_ready = false;
};

QString busy(const QString& text) { return QStringLiteral("message ") + text; }

const QString kTryAgain = QStringLiteral("\\nPróbálja újra, ha ott befejezték, és bezárták azt az ablakot.");
const QString kWorkTableBusy = QStringLiteral("Foglalt: a FULSZAM fülszám-munkatáblát most egy másik gép használja "
                                              "(nyomtatás, beszállító fülszámai, arhiválás vagy visszavonás).")
    + kTryAgain;
const QString kRangesBusy = QStringLiteral("Foglalt: a FULSZAM0 fülszám-tartomány táblát most egy másik gép használja "
                                           "(beszállító fülszámai).")
    + kTryAgain;
const QString kStagingBusy =
    QStringLiteral("Foglalt: a KISZALL1 átvételi táblát most egy másik gép használja (adatátvétel).") + kTryAgain;
const QString kMovesBusy = QStringLiteral("Foglalt: a kiszállítások áthelyezése vagy törlése most egy másik gépen "
                                          "folyik (arhiválás, visszavonás vagy kiszállítás törlése).")
    + kTryAgain;

}  // namespace

class TwoDesksTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void rowHeldByOneDeskGivesTheOtherItsMessage();
    void eachDeskSeesTheOthersCommittedRowsAfterItsRefresh();
    void sharedWorkIsDoneByOneDeskAtATime_data();
    void sharedWorkIsDoneByOneDeskAtATime();
    void screensWaitForTheWorkAnotherDeskDoes_data();
    void screensWaitForTheWorkAnotherDeskDoes();
    void dispatchDeletionHoldsUntilItsDeletionIsCommitted();
    void aDeskThatDiesLetsItsWorkGo();
    void onSiteCountKeptByTwoDesksAtOnce();
    void twoDesksAddToOneStockTakeAtOnce();

private:
    QString query(const QString& sql) { return testdb::rows(m_database, sql).value(0).value(0); }

    std::unique_ptr<PrivateServer> m_server;
    QString m_database;
    QString m_carrier, m_sender;
};

void TwoDesksTest::initTestCase()
{
    m_server = std::make_unique<PrivateServer>();
    const QString why = m_server->start();
    // The server is part of what is tested: without one the test fails, it is not skipped.
    if (!why.isEmpty())
        QFAIL(qPrintable(why));
    m_database = m_server->databaseName(QStringLiteral("Dudoz.fdb"));

    // The database as an administrator makes it: gerundo-mkdb with the program's settings.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("GERUNDO_USER"), QStringLiteral("SYSDBA"));
    env.insert(QStringLiteral("GERUNDO_PASSWORD"), kPassword);
    QString log;
    if (!runToEnd(QStringLiteral(GERUNDO_MKDB), {m_database}, env, log))
        QFAIL(qPrintable(QStringLiteral("no database made on the server: %1\nserver: %2").arg(log, m_server->output())));
    QCOMPARE(query(QStringLiteral("SELECT TRIM(MON$REMOTE_PROTOCOL) FROM MON$ATTACHMENTS "
                                  "WHERE MON$ATTACHMENT_ID = CURRENT_CONNECTION")),
             QStringLiteral("TCPv4"));

    testdb::exec(m_database, QStringLiteral("INSERT INTO szallito (srendszam, snev, scim, sjovaszam) "
                                            "VALUES ('AAA-111', 'Kiss Fuvar', 'Szeged', 'JV-1')"));
    testdb::exec(m_database, QStringLiteral("INSERT INTO felado (fnev, fcim, ftenykod, fsznev, fszcim) "
                                            "VALUES ('Alfa Kft', 'Eger', 'TK-1', 'Alfa Kft', 'Eger')"));
    m_carrier = query(QStringLiteral("SELECT skod FROM szallito"));
    m_sender = query(QStringLiteral("SELECT fkod FROM felado"));
}

void TwoDesksTest::init()
{
    QVERIFY(m_server && m_server->running());
    testdb::exec(m_database, QStringLiteral("DELETE FROM beszall"));
    testdb::exec(m_database, QStringLiteral("DELETE FROM kiszall"));
    for (const char* table : {"leltarlista", "leltartetel", "leltargep", "leltar"})
        testdb::exec(m_database, QStringLiteral("DELETE FROM %1").arg(QLatin1String(table)));
}

void TwoDesksTest::cleanupTestCase() { m_server.reset(); }

void TwoDesksTest::rowHeldByOneDeskGivesTheOtherItsMessage()
{
    testdb::exec(m_database, QStringLiteral("INSERT INTO beszall (bskod, bfkod, bfulszam, bhkat) "
                                            "VALUES ('%1', '%2', '101', 'gyüjtés')")
                                 .arg(m_carrier, m_sender));
    Desk first(m_database, QStringLiteral("first"));
    Desk second(m_database, QStringLiteral("second"));
    QVERIFY(first.ready() && second.ready());

    QCOMPARE(first.ask(QStringLiteral("hold 101")), QStringList{});
    // At once, not after the first desk lets go.
    QCOMPARE(second.ask(QStringLiteral("delete 101")),
             QStringList{QStringLiteral("message Hiba81: Beszállitás DELETE törlésekor")});
    QCOMPARE(query(QStringLiteral("SELECT COUNT(*) FROM beszall")), QStringLiteral("1"));

    QCOMPARE(first.ask(QStringLiteral("rollback")), QStringList{});
    QCOMPARE(second.ask(QStringLiteral("delete 101")), QStringList{QStringLiteral("message A beszállitás sor törölve!")});
    QCOMPARE(query(QStringLiteral("SELECT COUNT(*) FROM beszall")), QStringLiteral("0"));
}

void TwoDesksTest::eachDeskSeesTheOthersCommittedRowsAfterItsRefresh()
{
    Desk first(m_database, QStringLiteral("first"));
    Desk second(m_database, QStringLiteral("second"));
    QVERIFY(first.ready() && second.ready());
    const QString add = QStringLiteral("add %1 ") + m_carrier + u' ' + m_sender;

    QCOMPARE(first.ask(add.arg(201)), QStringList{});
    QCOMPARE(second.ask(QStringLiteral("list")), QStringList{QStringLiteral("tags ")});  // not committed yet
    QCOMPARE(first.ask(QStringLiteral("commit")), QStringList{});
    QCOMPARE(second.ask(QStringLiteral("list")), QStringList{QStringLiteral("tags 201")});

    QCOMPARE(second.ask(add.arg(202)), QStringList{});
    QCOMPARE(second.ask(QStringLiteral("commit")), QStringList{});
    QCOMPARE(first.ask(QStringLiteral("list")), QStringList{QStringLiteral("tags 201 202")});
    QCOMPARE(second.ask(QStringLiteral("list")), QStringList{QStringLiteral("tags 201 202")});

    // The main window's refresh of its tables, read forward by their order key as a server gives them.
    QCOMPARE(first.ask(add.arg(203)), QStringList{});
    QCOMPARE(second.ask(QStringLiteral("tables")), QStringList{QStringLiteral("arrivals 201 202")});
    QCOMPARE(first.ask(QStringLiteral("commit")), QStringList{});
    QCOMPARE(second.ask(QStringLiteral("tables")), QStringList{QStringLiteral("arrivals 201 202 203")});
    QCOMPARE(first.ask(QStringLiteral("tables")), QStringList{QStringLiteral("arrivals 201 202 203")});
}

void TwoDesksTest::sharedWorkIsDoneByOneDeskAtATime_data()
{
    QTest::addColumn<QString>("firstTakes");
    QTest::addColumn<QString>("secondTakes");
    QTest::addColumn<QString>("secondReads");

    // Printouts against a sender's ranges (FULSZAM and FULSZAM0) and against archiving.
    QTest::newRow("printout, then ranges") << "FULSZAM" << "FULSZAM FULSZAM0" << kWorkTableBusy;
    QTest::newRow("ranges, then ranges") << "FULSZAM FULSZAM0" << "FULSZAM FULSZAM0" << kWorkTableBusy;
    QTest::newRow("ranges table alone") << "FULSZAM0" << "FULSZAM0" << kRangesBusy;
    QTest::newRow("archiving, then printout") << "FULSZAM KISZALL" << "FULSZAM" << kWorkTableBusy;
    QTest::newRow("dispatch deletion, then archiving") << "KISZALL" << "FULSZAM KISZALL" << kMovesBusy;
    QTest::newRow("takeover, then takeover") << "KISZALL1" << "KISZALL1" << kStagingBusy;
}

void TwoDesksTest::sharedWorkIsDoneByOneDeskAtATime()
{
    QFETCH(QString, firstTakes);
    QFETCH(QString, secondTakes);
    QFETCH(QString, secondReads);
    Desk first(m_database, QStringLiteral("first"));
    Desk second(m_database, QStringLiteral("second"));
    QVERIFY(first.ready() && second.ready());

    QCOMPARE(first.ask(QStringLiteral("open ") + firstTakes), QStringList{QStringLiteral("taken")});
    QCOMPARE(second.ask(QStringLiteral("open ") + secondTakes), QStringList{busy(secondReads)});
    // Refused whole: what the second desk could take it has not kept.
    QCOMPARE(first.ask(QStringLiteral("open ") + secondTakes), QStringList{QStringLiteral("taken")});
    QCOMPARE(first.ask(QStringLiteral("close")), QStringList{});
    QCOMPARE(second.ask(QStringLiteral("open ") + secondTakes), QStringList{QStringLiteral("taken")});
    QCOMPARE(first.ask(QStringLiteral("open ") + firstTakes), QStringList{busy(secondReads)});
    QCOMPARE(second.ask(QStringLiteral("close")), QStringList{});
    QCOMPARE(first.ask(QStringLiteral("open ") + firstTakes), QStringList{QStringLiteral("taken")});
}

void TwoDesksTest::screensWaitForTheWorkAnotherDeskDoes_data()
{
    QTest::addColumn<QString>("firstDoes");
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("secondReads");

    QTest::newRow("takeover") << "KISZALL1" << "takeover" << kStagingBusy;
    QTest::newRow("printout") << "FULSZAM" << "printout" << kWorkTableBusy;
    QTest::newRow("ranges, work table") << "FULSZAM" << "ranges" << kWorkTableBusy;
    QTest::newRow("ranges, runs") << "FULSZAM0" << "ranges" << kRangesBusy;
    QTest::newRow("archive, work table") << "FULSZAM" << "archive" << kWorkTableBusy;
    QTest::newRow("archive, departures") << "KISZALL" << "archive" << kMovesBusy;
    QTest::newRow("withdrawal, work table") << "FULSZAM" << "withdrawal" << kWorkTableBusy;
    QTest::newRow("withdrawal, departures") << "KISZALL" << "withdrawal" << kMovesBusy;
}

// The screens themselves, as a person starts their work: refused while the other desk does it,
// free once that desk is done.
void TwoDesksTest::screensWaitForTheWorkAnotherDeskDoes()
{
    QFETCH(QString, firstDoes);
    QFETCH(QString, screen);
    QFETCH(QString, secondReads);
    Desk first(m_database, QStringLiteral("first"));
    Desk second(m_database, QStringLiteral("second"));
    QVERIFY(first.ready() && second.ready());

    QCOMPARE(first.ask(QStringLiteral("open ") + firstDoes), QStringList{QStringLiteral("taken")});
    QCOMPARE(second.ask(QStringLiteral("screen ") + screen), QStringList{busy(secondReads)});
    QCOMPARE(second.ask(QStringLiteral("close")), QStringList{});
    QCOMPARE(first.ask(QStringLiteral("close")), QStringList{});
    const QStringList done = second.ask(QStringLiteral("screen ") + screen);
    QVERIFY2(!done.contains(busy(secondReads)), qPrintable(done.join(u'\n')));
    // Now the first desk waits for the second.
    QCOMPARE(first.ask(QStringLiteral("open ") + firstDoes), QStringList{busy(secondReads)});
    QCOMPARE(second.ask(QStringLiteral("close")), QStringList{});
}

void TwoDesksTest::dispatchDeletionHoldsUntilItsDeletionIsCommitted()
{
    testdb::exec(m_database, QStringLiteral("INSERT INTO kiszall (kfulszam) VALUES ('301')"));
    Desk first(m_database, QStringLiteral("first"));
    Desk second(m_database, QStringLiteral("second"));
    QVERIFY(first.ready() && second.ready());
    const QString busyMoves = busy(kMovesBusy);
    const QString deleted = QStringLiteral("message A kiszállitás sorok törölve!");

    QCOMPARE(first.ask(QStringLiteral("deletion")), QStringList{deleted});
    QCOMPARE(second.ask(QStringLiteral("deletion")), QStringList{busyMoves});
    QCOMPARE(second.ask(QStringLiteral("close-deletion")), QStringList{});
    // The screen closed, its deletion still pending: the work stays this desk's.
    QCOMPARE(first.ask(QStringLiteral("close-deletion")), QStringList{});
    QCOMPARE(second.ask(QStringLiteral("open KISZALL")), QStringList{busyMoves});
    QCOMPARE(query(QStringLiteral("SELECT COUNT(*) FROM kiszall")), QStringLiteral("1"));
    QCOMPARE(first.ask(QStringLiteral("commit")), QStringList{});
    QCOMPARE(query(QStringLiteral("SELECT COUNT(*) FROM kiszall")), QStringLiteral("0"));
    QCOMPARE(second.ask(QStringLiteral("deletion")), QStringList{deleted});
}

void TwoDesksTest::aDeskThatDiesLetsItsWorkGo()
{
    Desk first(m_database, QStringLiteral("first"));
    Desk second(m_database, QStringLiteral("second"));
    QVERIFY(first.ready() && second.ready());
    QCOMPARE(first.ask(QStringLiteral("open KISZALL1")), QStringList{QStringLiteral("taken")});
    first.kill();
    // The server notices the lost connection; the work is free soon after, never for good taken.
    QStringList answer;
    QElapsedTimer clock;
    clock.start();
    do {
        answer = second.ask(QStringLiteral("open KISZALL1"));
    } while (answer != QStringList{QStringLiteral("taken")} && clock.elapsed() < 30000 && (QTest::qWait(200), true));
    QCOMPARE(answer, QStringList{QStringLiteral("taken")});
}

// Both desks write arrivals and departures of different animals in their open transactions at the
// same time, one of them folding the count's rows meanwhile: neither is refused, and the count
// agrees with the tables once both committed. One ear tag written by both at once is refused to the
// second, as a row the other holds.
void TwoDesksTest::onSiteCountKeptByTwoDesksAtOnce()
{
    const QString slowCount = QStringLiteral(
        "SELECT COUNT(*) FROM (SELECT t FROM (SELECT bfulszam AS t, 1 AS s FROM beszall UNION ALL "
        "SELECT kfulszam, -1 FROM kiszall) WHERE t <> '' GROUP BY t HAVING SUM(s) > 0)");
    const QString add = QStringLiteral("add %1 ") + m_carrier + u' ' + m_sender;
    testdb::exec(m_database, QStringLiteral("INSERT INTO beszall (bfulszam) VALUES ('610')"));
    testdb::exec(m_database, QStringLiteral("INSERT INTO beszall (bfulszam) VALUES ('611')"));
    // The second desk's first row of the count is the one that folds the committed rows.
    testdb::exec(m_database, QStringLiteral("ALTER SEQUENCE gen_gerundo_onsite_count RESTART WITH 4094"));
    {
        Desk first(m_database, QStringLiteral("first"));
        Desk second(m_database, QStringLiteral("second"));
        QVERIFY(first.ready() && second.ready());
        QCOMPARE(first.ask(add.arg(601)), QStringList{});
        QCOMPARE(second.ask(add.arg(602)), QStringList{});
        QCOMPARE(first.ask(QStringLiteral("depart 610")), QStringList{});
        QCOMPARE(second.ask(QStringLiteral("depart 611")), QStringList{});
        QCOMPARE(first.ask(add.arg(612)), QStringList{});
        QCOMPARE(second.ask(add.arg(613)), QStringList{});
        QCOMPARE(query(QStringLiteral("SELECT COUNT(*) FROM gerundo_onsite_count WHERE part < 4096")),
                 QStringLiteral("0"));  // folded
        // Nothing committed yet: the committed count, at either desk.
        QCOMPARE(first.ask(QStringLiteral("onsite")), QStringList{QStringLiteral("onsite 2")});

        QCOMPARE(second.ask(QStringLiteral("commit")), QStringList{});
        QCOMPARE(first.ask(QStringLiteral("onsite")), QStringList{QStringLiteral("onsite 3")});
        QCOMPARE(first.ask(QStringLiteral("commit")), QStringList{});
        QCOMPARE(second.ask(QStringLiteral("onsite")), QStringList{QStringLiteral("onsite 4")});
        QCOMPARE(query(QStringLiteral("SELECT SUM(animals) FROM gerundo_onsite_count")), query(slowCount));
    }
    {
        // One animal at both desks at once.
        Desk first(m_database, QStringLiteral("first"));
        Desk second(m_database, QStringLiteral("second"));
        QVERIFY(first.ready() && second.ready());
        QCOMPARE(first.ask(add.arg(620)), QStringList{});
        const QStringList refused = second.ask(QStringLiteral("depart 620"));
        QVERIFY2(!refused.isEmpty() && refused.first().startsWith(QStringLiteral("failed "))
                     && refused.first().contains(QStringLiteral("GERUNDO_ONSITE_TAG")),
                 qPrintable(refused.join(u'\n')));
        QCOMPARE(first.ask(QStringLiteral("commit")), QStringList{});
        QCOMPARE(second.ask(QStringLiteral("depart 620")), QStringList{});
        QCOMPARE(second.ask(QStringLiteral("commit")), QStringList{});
        QCOMPARE(first.ask(QStringLiteral("onsite")), QStringList{QStringLiteral("onsite 4")});
        QCOMPARE(query(QStringLiteral("SELECT SUM(animals) FROM gerundo_onsite_count")), query(slowCount));
    }
}

// Two desks read ear tags into one stock-take at the same moment, partly the same ones: every
// reading is stored, none refused, each counted once in the lists both desks see. Then one desk
// closes it while the other is still reading: whatever the other stored is in the frozen lists,
// and what came after the closing is refused, not lost without a word.
void TwoDesksTest::twoDesksAddToOneStockTakeAtOnce()
{
    // 200 animals on site (5000..5199), 6000..6099 departed.
    testdb::exec(m_database, QStringLiteral("EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < 200) DO BEGIN "
                                            "INSERT INTO beszall (bfulszam, bszkelt, bfkod, bskod) VALUES (5000 + :I, "
                                            "CURRENT_DATE, '%1', '%2'); I = I + 1; END END")
                                 .arg(m_sender, m_carrier));
    testdb::exec(m_database, QStringLiteral("EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < 100) DO BEGIN "
                                            "INSERT INTO beszall (bfulszam, bszkelt) VALUES (6000 + :I, CURRENT_DATE); "
                                            "INSERT INTO kiszall (kfulszam, kikelt) VALUES (6000 + :I, CURRENT_DATE); "
                                            "I = I + 1; END END"));
    Desk first(m_database, QStringLiteral("first"));
    Desk second(m_database, QStringLiteral("second"));
    QVERIFY(first.ready() && second.ready());
    QCOMPARE(first.ask(QStringLiteral("desk elso")), QStringList{});
    QCOMPARE(second.ask(QStringLiteral("desk masodik")), QStringList{});
    QCOMPARE(first.ask(QStringLiteral("stocktake")), QStringList{QStringLiteral("stocktake 1")});
    // The second desk goes on with the stock-take under way.
    QCOMPARE(second.ask(QStringLiteral("stocktake")), QStringList{QStringLiteral("stocktake 1")});

    // At once: 5000..5149 and 5050..5199, the middle hundred read at both desks.
    first.send(QStringLiteral("read 5000 150"));
    second.send(QStringLiteral("read 5050 150"));
    QCOMPARE(first.answer(), QStringList{QStringLiteral("read 150")});
    QCOMPARE(second.answer(), QStringList{QStringLiteral("read 150")});
    QCOMPARE(query(QStringLiteral("SELECT COUNT(*) FROM leltartetel")), QStringLiteral("300"));
    QCOMPARE(query(QStringLiteral("SELECT COUNT(DISTINCT tfulszam) FROM leltartetel")), QStringLiteral("200"));
    QCOMPARE(testdb::rows(m_database, QStringLiteral("SELECT tgep, COUNT(*) FROM leltartetel GROUP BY tgep ORDER BY tgep")),
             QList<QStringList>({{"elso", "150"}, {"masodik", "150"}}));
    QCOMPARE(testdb::rows(m_database, QStringLiteral("SELECT ggep, gdb FROM leltargep ORDER BY ggep")),
             QList<QStringList>({{"elso", "150"}, {"masodik", "150"}}));
    const QStringList lists{QStringLiteral("lists Megvan (200);Hiányzik (0);Nincs nyilvántartva (0)")};
    QCOMPARE(first.ask(QStringLiteral("lists")), lists);
    QCOMPARE(second.ask(QStringLiteral("lists")), lists);

    // The second desk reads the departed ones while the first closes the stock-take.
    second.send(QStringLiteral("read 6000 100"));
    QTest::qWait(100);
    first.send(QStringLiteral("close-stocktake"));
    const QStringList closing = first.answer();
    const QStringList reading = second.answer();
    QCOMPARE(query(QStringLiteral("SELECT COUNT(*) FROM leltar WHERE llezarva IS NOT NULL AND llezarogep = 'elso'")),
             QStringLiteral("1"));
    QVERIFY2(!closing.join(u'\n').contains(QStringLiteral("nem zárható le")), qPrintable(closing.join(u'\n')));
    // Every reading stored is in the frozen lists; every one after the closing was refused, and
    // said so at the desk.
    const int stored = reading.value(0).section(u' ', 1).toInt();
    QCOMPARE(reading.size(), 1 + (100 - stored));
    for (const QString& line : reading.mid(1))
        QCOMPARE(line, QStringLiteral("refused %1: NEM került a leltárba").arg(line.section(u' ', 1, 1).chopped(1)));
    QCOMPARE(query(QStringLiteral("SELECT COUNT(*) FROM leltartetel WHERE tfulszam >= '6000'")), QString::number(stored));
    QCOMPARE(query(QStringLiteral("SELECT COUNT(*) FROM leltarlista WHERE rlista = 'N'")), QString::number(stored));
    QCOMPARE(query(QStringLiteral("SELECT COUNT(*) FROM leltarlista WHERE rlista = 'M'")), QStringLiteral("200"));
    QCOMPARE(query(QStringLiteral("SELECT COUNT(*) FROM leltarlista WHERE rlista = 'H'")), QStringLiteral("0"));
}

QTEST_GUILESS_MAIN(TwoDesksTest)
#include "test_two_desks.moc"
