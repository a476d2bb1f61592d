#include "app/mainwindow.h"
#include "app/splash.h"
#include "db/database_settings.h"
#include "storage/shared_datasets.h"
#include "db/service.h"
#include "maintenance/backup_restore.h"
#include "testdb.h"
#include "ui/platform.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

namespace {
const QString kRestoreFailed = QStringLiteral("A visszatöltés nem sikerült, az adatbázis nem változott.\n");
const QString kAllRows = QStringLiteral(
    "SELECT 'B', bfulszam, bszkelt FROM beszall UNION ALL SELECT 'K', kfulszam, kikelt FROM kiszall "
    "UNION ALL SELECT 'F', fnev, fkod FROM felado ORDER BY 1, 2");

void sampleRows(TestDatabase& db)
{
    db.addPartner(QStringLiteral("Árvíztűrő Kft"));
    db.exec(QStringLiteral("INSERT INTO beszall (bfulszam, bszkelt) VALUES ('HU1001', '2026-12-09')"));
    db.exec(QStringLiteral("INSERT INTO beszall (bfulszam, bszkelt) VALUES ('HU1002', '2026-12-10')"));
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam, kikelt) VALUES ('HU1001', '2026-12-10')"));
}

// What the program's own connection reads now.
QString ownValue(const QString& sql)
{
    Data->ZQ13.setSql({sql});
    Data->ZQ13.open();
    const QString v = Data->ZQ13.fieldText(QStringLiteral("v"));
    Data->ZQ13.close();
    return v;
}

QStringList databaseFiles(const QString& dir)
{
    return QDir(dir).entryList({QStringLiteral("*.fdb")}, QDir::Files, QDir::Name);
}

// A real backup of the test database, written by the service.
QString makeBackup(TestDatabase& db, const QString& name = QStringLiteral("mentes.fbk"))
{
    const QString file = QDir(db.dir()).filePath(name);
    fb::backupDatabase(dbsettings::params(db.file()), file);
    return file;
}

void failAt(backup::RestoreStep step)
{
    backup::setRestoreStepHookForTests([step](backup::RestoreStep now) {
        if (now == step)
            throw fb::Error(QStringLiteral("kísérleti hiba"));
    });
}
}  // namespace

class BackupRestoreTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { backup::setRestoreStepHookForTests({}); }
    void fileNames();
    void serviceManagerOfADatabase_data();
    void serviceManagerOfADatabase();
    void backupThenRestoreGivesBackTheRows();
    void pendingWorkIsAskedAbout_data();
    void pendingWorkIsAskedAbout();
    void damagedBackupIsRefused_data();
    void damagedBackupIsRefused();
    void backupWithoutTheProgramsTablesIsRefused();
    void failureOnTheWayLeavesTheOriginal_data();
    void failureOnTheWayLeavesTheOriginal();
    void cancelledDialogsDoNothing();
    void serverDatabaseIsNotRestored();
    void throughTheMainWindowsMenu();
};

void BackupRestoreTest::fileNames()
{
    const QDateTime at(QDate(2026, 12, 10), QTime(14, 30, 5));
    QCOMPARE(backup::backupFileName(QStringLiteral("Dudoz.fdb"), at), QStringLiteral("Dudoz-2026-12-10-1430.fbk"));
    QCOMPARE(backup::backupFileName(QStringLiteral("/srv/adat/Telep.fdb"), at),
             QStringLiteral("Telep-2026-12-10-1430.fbk"));
    QCOMPARE(backup::keptFileName(QStringLiteral("Dudoz.fdb"), at), QStringLiteral("Dudoz-2026-12-10-143005.fdb"));
}

void BackupRestoreTest::serviceManagerOfADatabase_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("manager");
    QTest::addColumn<QString>("path");
    QTest::newRow("file") << "Dudoz.fdb" << "service_mgr" << "Dudoz.fdb";
    QTest::newRow("absolute file") << "/var/adat/Dudoz.fdb" << "service_mgr" << "/var/adat/Dudoz.fdb";
    QTest::newRow("host") << "iroda:/srv/Dudoz.fdb" << "iroda:service_mgr" << "/srv/Dudoz.fdb";
    QTest::newRow("host and port") << "10.0.0.5/3051:dudoz" << "10.0.0.5/3051:service_mgr" << "dudoz";
    QTest::newRow("url") << "inet://iroda/dudoz" << "inet://iroda/service_mgr" << "dudoz";
}

void BackupRestoreTest::serviceManagerOfADatabase()
{
    QFETCH(QString, database);
    const fb::ServiceTarget t = fb::serviceTarget(database);
    QTEST(t.serviceManager, "manager");
    QTEST(t.database, "path");
}

void BackupRestoreTest::backupThenRestoreGivesBackTheRows()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    sampleRows(db);
    const auto before = db.rows(kAllRows);
    QCOMPARE(before.size(), 4);

    const QString folder = QDir(db.dir()).filePath(QStringLiteral("mentesek"));
    QVERIFY(QDir().mkpath(folder));
    const QString file = QDir(folder).filePath(QStringLiteral("Dudoz-2026-12-10-1430.fbk"));
    doubles.saveAnswers << file;
    QVERIFY(backup::backUp(nullptr, *Data));
    QCOMPARE(doubles.lastMessage(), QStringLiteral("A mentés elkészült:\n") + file);
    // Offered: a dated name in the database's folder.
    QCOMPARE(doubles.saveDialogsShown.size(), 1);
    QCOMPARE(doubles.saveDialogsShown.first().initialDir, QDir(db.dir()).absolutePath());
    QVERIFY(QRegularExpression(QStringLiteral("^Dudoz-\\d{4}-\\d\\d-\\d\\d-\\d{4}\\.fbk$"))
                .match(doubles.saveDialogsShown.first().fileName)
                .hasMatch());

    // A real gbak file: the service restores it into a third database on its own.
    const QString third = QDir(db.dir()).filePath(QStringLiteral("harmadik.fdb"));
    fb::restoreDatabase(dbsettings::params(third), file, false);
    QCOMPARE(testdb::rows(third, kAllRows), before);
    QFile::remove(third);

    // The day goes on after the backup...
    db.exec(QStringLiteral("DELETE FROM kiszall"));
    db.exec(QStringLiteral("INSERT INTO beszall (bfulszam, bszkelt) VALUES ('HU9999', '2026-12-11')"));
    const auto changed = db.rows(kAllRows);
    QVERIFY(changed != before);

    // ...and the backup is put back.
    doubles.fileAnswers << file;
    doubles.questionAnswers << true;
    QVERIFY(backup::restore(nullptr, *Data));
    QVERIFY(Data->ZCon1.connected());
    QVERIFY(Data->IBTrans1.inTransaction());
    QCOMPARE(db.rows(kAllRows), before);
    QCOMPARE(ownValue(QStringLiteral("SELECT COUNT(*) AS v FROM kiszall")), QStringLiteral("1"));
    // The program writes into the restored file, with its identifiers going on.
    QCOMPARE(ownValue(QStringLiteral("SELECT MAX(idb) AS v FROM beszall")), QStringLiteral("2"));

    // The replaced database stays beside it, under a dated name, with the rows it had.
    const QStringList files = databaseFiles(db.dir());
    QCOMPARE(files.size(), 2);
    const QString kept = files.first() == QStringLiteral("Dudoz.fdb") ? files.last() : files.first();
    QVERIFY2(QRegularExpression(QStringLiteral("^Dudoz-\\d{4}-\\d\\d-\\d\\d-\\d{6}\\.fdb$")).match(kept).hasMatch(),
             qPrintable(kept));
    QCOMPARE(testdb::rows(QDir(db.dir()).filePath(kept), kAllRows), changed);
    QCOMPARE(doubles.lastMessage(), QStringLiteral("A visszatöltés kész: %1\nAz előző adatbázis megmaradt: %2")
                                        .arg(QDir::toNativeSeparators(file),
                                             QDir::toNativeSeparators(QDir(db.dir()).filePath(kept))));
}

void BackupRestoreTest::pendingWorkIsAskedAbout_data()
{
    QTest::addColumn<bool>("pending");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("written");
    QTest::newRow("nothing pending: no question") << false << false << false << true;
    QTest::newRow("pending, committed first") << true << true << true << true;
    QTest::newRow("pending, refused") << true << false << true << false;
}

void BackupRestoreTest::pendingWorkIsAskedAbout()
{
    QFETCH(bool, pending);
    QFETCH(bool, answer);
    TestDatabase db;
    platform::TestDoubles doubles;
    sampleRows(db);
    // Reading alone leaves nothing pending.
    QCOMPARE(ownValue(QStringLiteral("SELECT COUNT(*) AS v FROM beszall")), QStringLiteral("2"));
    if (pending) {
        // A deletion the program has not committed yet.
        Data->ZQ23.setSql({QStringLiteral("DELETE FROM kiszall")});
        Data->ZQ23.execSql();
        QCOMPARE(db.count(QStringLiteral("kiszall")), 1);
    }
    QCOMPARE(Data->IBTrans1.pendingWrites() > 0, pending);
    const QString file = QDir(db.dir()).filePath(QStringLiteral("m.fbk"));
    doubles.saveAnswers << file;
    doubles.questionAnswers << answer;

    QTEST(backup::backUp(nullptr, *Data), "written");
    QFETCH(bool, asked);
    QFETCH(bool, written);
    QCOMPARE(!doubles.messages.isEmpty() && doubles.messages.first().kind == platform::BoxKind::Question, asked);
    if (asked)
        QCOMPARE(doubles.messages.first().text,
                 QStringLiteral("Vannak még nem véglegesített módosítások.\nVéglegesíti őket a mentés előtt?"));
    QCOMPARE(QFile::exists(file), written);
    if (!written) {
        QCOMPARE(doubles.lastMessage(), QStringLiteral("A mentés nem készült el: a nem véglegesített módosítások "
                                                       "nélkül nem lenne teljes."));
        QVERIFY(doubles.saveDialogsShown.isEmpty());
        // Still pending, still the program's to commit or undo.
        QCOMPARE(db.count(QStringLiteral("kiszall")), 1);
        QVERIFY(Data->IBTrans1.pendingWrites() > 0);
        return;
    }
    // The backup holds what the person saw: the deletion too, once committed.
    const QString third = QDir(db.dir()).filePath(QStringLiteral("harmadik.fdb"));
    fb::restoreDatabase(dbsettings::params(third), file, false);
    QCOMPARE(testdb::rows(third, QStringLiteral("SELECT COUNT(*) FROM kiszall")).first().first(),
             pending ? QStringLiteral("0") : QStringLiteral("1"));
    QCOMPARE(Data->IBTrans1.pendingWrites(), 0);
}

void BackupRestoreTest::damagedBackupIsRefused_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("cut in half") << "half";
    QTest::newRow("cut in its last tenth") << "tail";
    QTest::newRow("random bytes") << "random";
    QTest::newRow("empty file") << "empty";
    QTest::newRow("bytes changed in the middle") << "scribbled";
}

void BackupRestoreTest::damagedBackupIsRefused()
{
    QFETCH(QString, damage);
    TestDatabase db;
    platform::TestDoubles doubles;
    sampleRows(db);
    // Enough rows that the data, not only the header, fills the file.
    db.exec(QStringLiteral("EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < 3000) DO BEGIN "
                           "INSERT INTO beszall (bfulszam, bszkelt, beubiz) VALUES ('T' || :I, '2026-12-01', "
                           "'EU-' || :I); I = I + 1; END END"));
    const auto before = db.rows(kAllRows);
    const QString file = makeBackup(db);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    QVERIFY(bytes.size() > 20000);
    if (damage == QLatin1String("half"))
        bytes.truncate(bytes.size() / 2);
    else if (damage == QLatin1String("tail"))
        bytes.truncate(bytes.size() * 9 / 10);
    else if (damage == QLatin1String("empty"))
        bytes.clear();
    else if (damage == QLatin1String("random")) {
        QRandomGenerator gen(18);
        for (char& c : bytes)
            c = static_cast<char>(gen.bounded(256));
    } else {
        for (qsizetype i = bytes.size() / 3; i < bytes.size() / 3 + 4000; ++i)
            bytes[i] = static_cast<char>(0xA5);
    }
    f.resize(0);
    f.seek(0);
    f.write(bytes);
    f.close();

    doubles.fileAnswers << file;
    doubles.questionAnswers << true;
    QVERIFY(!backup::restore(nullptr, *Data));
    QVERIFY2(doubles.lastMessage().startsWith(kRestoreFailed), qPrintable(doubles.lastMessage()));
    QVERIFY(doubles.lastMessage().size() > kRestoreFailed.size());  // the engine's own words follow
    // The live database untouched and still the program's; nothing left beside it.
    QCOMPARE(db.rows(kAllRows), before);
    QVERIFY(Data->ZCon1.connected());
    QCOMPARE(ownValue(QStringLiteral("SELECT COUNT(*) AS v FROM beszall")), QString::number(before.size() - 2));
    QCOMPARE(databaseFiles(db.dir()), QStringList{QStringLiteral("Dudoz.fdb")});
}

void BackupRestoreTest::backupWithoutTheProgramsTablesIsRefused()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    sampleRows(db);
    // A backup of some other Firebird database: a copy without the departures' work table.
    const QString other = QDir(db.dir()).filePath(QStringLiteral("masik.fdb"));
    QVERIFY(QFile::copy(db.file(), other));
    testdb::exec(other, QStringLiteral("DROP TABLE kiszall1"));
    const QString file = QDir(db.dir()).filePath(QStringLiteral("masik.fbk"));
    fb::backupDatabase(dbsettings::params(other), file);
    QFile::remove(other);

    doubles.fileAnswers << file;
    doubles.questionAnswers << true;
    QVERIFY(!backup::restore(nullptr, *Data));
    QCOMPARE(doubles.lastMessage(), kRestoreFailed + QStringLiteral("A mentésből hiányzik: KISZALL1"));
    QVERIFY(Data->ZCon1.connected());
    QCOMPARE(databaseFiles(db.dir()), QStringList{QStringLiteral("Dudoz.fdb")});
}

void BackupRestoreTest::failureOnTheWayLeavesTheOriginal_data()
{
    QTest::addColumn<backup::RestoreStep>("step");
    QTest::newRow("after the restore") << backup::RestoreStep::Restored;
    QTest::newRow("after the check") << backup::RestoreStep::Checked;
    QTest::newRow("disconnected") << backup::RestoreStep::Disconnected;
    QTest::newRow("original renamed") << backup::RestoreStep::OriginalKept;
    QTest::newRow("restored file in place") << backup::RestoreStep::RestoredInPlace;
    QTest::newRow("reconnected") << backup::RestoreStep::Reconnected;
}

void BackupRestoreTest::failureOnTheWayLeavesTheOriginal()
{
    QFETCH(backup::RestoreStep, step);
    TestDatabase db;
    platform::TestDoubles doubles;
    sampleRows(db);
    const QString file = makeBackup(db);
    db.exec(QStringLiteral("INSERT INTO beszall (bfulszam, bszkelt) VALUES ('HU2000', '2026-12-10')"));
    // Pending work of the program goes into the original, as at its end.
    Data->ZQ23.setSql({QStringLiteral("DELETE FROM beszall WHERE bfulszam = 'HU1001'")});
    Data->ZQ23.execSql();
    failAt(step);

    doubles.fileAnswers << file;
    doubles.questionAnswers << true;
    QVERIFY(!backup::restore(nullptr, *Data));
    QCOMPARE(doubles.lastMessage(), kRestoreFailed + QStringLiteral("kísérleti hiba"));
    QVERIFY(Data->ZCon1.connected());
    QVERIFY(Data->IBTrans1.inTransaction());
    QCOMPARE(databaseFiles(db.dir()), QStringList{QStringLiteral("Dudoz.fdb")});
    // The program's deletion: still pending while its connection stayed, committed into the
    // original when the connection was closed for the swap.
    const bool committed = step >= backup::RestoreStep::Disconnected;
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM beszall WHERE bfulszam = 'HU1001'")),
             committed ? QStringLiteral("0") : QStringLiteral("1"));
    QCOMPARE(Data->IBTrans1.pendingWrites() > 0, !committed);
    QCOMPARE(ownValue(QStringLiteral("SELECT CAST(LIST(bfulszam, ',') AS VARCHAR(200)) AS v FROM (SELECT bfulszam "
                                     "FROM beszall ORDER BY 1)")),
             QStringLiteral("HU1002,HU2000"));
}

void BackupRestoreTest::cancelledDialogsDoNothing()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    sampleRows(db);
    const QString file = makeBackup(db);
    doubles.saveAnswers << QString();
    QVERIFY(!backup::backUp(nullptr, *Data));
    doubles.fileAnswers << QString();
    QVERIFY(!backup::restore(nullptr, *Data));
    doubles.fileAnswers << file;
    doubles.questionAnswers << false;  // not after all
    QVERIFY(!backup::restore(nullptr, *Data));
    QCOMPARE(doubles.messages.size(), 1);
    QVERIFY(doubles.messages.first().text.contains(QDir::toNativeSeparators(file)));
    QCOMPARE(databaseFiles(db.dir()), QStringList{QStringLiteral("Dudoz.fdb")});
    QVERIFY(Data->ZCon1.connected());
}

void BackupRestoreTest::serverDatabaseIsNotRestored()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const QString own = Data->ZCon1.params.database;
    Data->ZCon1.params.database = QStringLiteral("iroda:/srv/gerundo/Dudoz.fdb");
    doubles.fileAnswers << makeBackup(db);
    const bool restored = backup::restore(nullptr, *Data);
    Data->ZCon1.params.database = own;
    QVERIFY(!restored);
    QVERIFY(doubles.fileDialogsShown.isEmpty());
    QCOMPARE(doubles.lastMessage(),
             QStringLiteral("A kiszolgálón lévő adatbázist (iroda:/srv/gerundo/Dudoz.fdb) a program nem tölti "
                            "vissza: más munkahelyek is használhatják.\nA visszatöltést a kiszolgáló gépén, a "
                            "többi munkahely kiléptetése után kell elvégezni."));
}

void BackupRestoreTest::throughTheMainWindowsMenu()
{
    TestDatabase db(false);
    sampleRows(db);
    platform::TestDoubles doubles;
    LoadingSplash::setIntervalForTests(20);
    MainWindow form;
    QVERIFY(form.startUp());
    form.show();
    auto onSite = [&form] { return form.findChild<QLabel*>(QStringLiteral("AnimalsOnSite"))->text(); };
    QCOMPARE(onSite(), QStringLiteral("1"));

    const QString file = QDir(db.dir()).filePath(QStringLiteral("menu.fbk"));
    doubles.saveAnswers << file;
    form.findChild<QAction*>(QStringLiteral("Mentes1"))->trigger();
    QVERIFY(QFile::exists(file));

    db.exec(QStringLiteral("DELETE FROM kiszall"));
    db.exec(QStringLiteral("INSERT INTO beszall (bfulszam, bszkelt) VALUES ('HU3000', '2026-12-10')"));
    form.recountOnSite();
    QCOMPARE(onSite(), QStringLiteral("3"));
    doubles.fileAnswers << file;
    doubles.questionAnswers << true;
    form.findChild<QAction*>(QStringLiteral("Visszatoltes1"))->trigger();
    QVERIFY2(doubles.lastMessage().startsWith(QStringLiteral("A visszatöltés kész: ")), qPrintable(doubles.lastMessage()));
    // The tables read the restored file at once, and the day line counts it.
    for (TableDataset* t : Data->tables())
        QVERIFY(t->active());
    QCOMPARE(Data->IBTable1.recordCount(), 2);
    QCOMPARE(Data->IBTable2.recordCount(), 1);
    QCOMPARE(onSite(), QStringLiteral("1"));
}

QTEST_MAIN(BackupRestoreTest)
#include "test_backup_restore.moc"
