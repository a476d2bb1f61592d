// A run that did not end cleanly, and the check of the database's indexes at the next start.
#include "app/mainwindow.h"
#include "app/splash.h"
#include "app/startup_check.h"
#include "storage/shared_datasets.h"
#include "core/index_check.h"
#include "db/client.h"
#include "db/service.h"
#include "testdb.h"
#include "ui/platform.h"

#include <QFile>
#include <QTest>
#include <QtEndian>

namespace {

const QString kDamagedTag = QStringLiteral("Sérült indexet talált, és újraépítette: ");

bool startUp(MainWindow& form)
{
    LoadingSplash::setIntervalForTests(10);
    return form.startUp();
}

fb::ConnectParams params(const TestDatabase& db)
{
    fb::ConnectParams p;
    p.database = db.file();
    p.password = QStringLiteral("x");
    return p;
}

qint64 number(const QString& file, const QString& sql) { return testdb::rows(file, sql).value(0).value(0).toLongLong(); }

// Damages an index of the file the way validation reports as "Index N is corrupt on page P": the
// index's top page is made to claim another index as its owner. The engine must not have the file
// open. Returns false (with the reason in failure) when the page could not be found.
bool damageIndex(const QString& file, const QString& table, const QString& index, QString& failure)
{
    const qint64 pageSize = number(file, QStringLiteral("SELECT mon$page_size FROM mon$database"));
    const qint64 relation =
        number(file, QStringLiteral("SELECT rdb$relation_id FROM rdb$relations WHERE rdb$relation_name = '%1'").arg(table));
    const qint64 indexId =
        number(file, QStringLiteral("SELECT rdb$index_id FROM rdb$indices WHERE rdb$index_name = '%1'").arg(index)) - 1;
    const qint64 rootPage = number(
        file, QStringLiteral("SELECT rdb$page_number FROM rdb$pages WHERE rdb$relation_id = %1 AND rdb$page_type = 6")
                  .arg(relation));
    QFile f(file);
    if (!f.open(QIODevice::ReadWrite))
        return failure = f.errorString(), false;
    const auto page = [&](qint64 n) {
        f.seek(n * pageSize);
        return f.read(pageSize);
    };
    const auto u16 = [](const QByteArray& b, int at) { return qFromLittleEndian<quint16>(b.constData() + at); };
    const auto u32 = [](const QByteArray& b, int at) { return qFromLittleEndian<quint32>(b.constData() + at); };
    // The relation's index root page: after the page header its relation, its count of indexes and
    // one entry per index whose first word is the index's top page. The entry's size differs
    // between on-disk versions, so the one whose page is this index's own is taken.
    const QByteArray root = page(rootPage);
    if (root.at(0) != 6 || u16(root, 16) != relation)
        return failure = QStringLiteral("no index root page"), false;
    for (const int entrySize : {8, 12, 16}) {
        const int at = 20 + static_cast<int>(indexId) * entrySize;
        const quint32 top = u32(root, at);
        if (top == 0 || top * pageSize >= f.size())
            continue;
        QByteArray btree = page(top);
        // A b-tree page: type 7, its relation at 28 and its index's number at 32.
        if (btree.at(0) != 7 || u16(btree, 28) != relation || static_cast<quint8>(btree.at(32)) != indexId)
            continue;
        btree[32] = static_cast<char>(indexId ^ 0x40);
        f.seek(top * pageSize);
        f.write(btree);
        return true;
    }
    return failure = QStringLiteral("the index's top page was not found"), false;
}

QList<indexcheck::DamagedIndex> validationFinds(const TestDatabase& db)
{
    return indexcheck::readReport(fb::validateDatabase(params(db))).indexes;
}

}  // namespace

class UncleanEndTest : public QObject {
    Q_OBJECT
private slots:
    void readsTheValidationReport_data();
    void readsTheValidationReport();
    void damagedIndexIsRebuiltAtTheNextStart_data();
    void damagedIndexIsRebuiltAtTheNextStart();
    void soundDatabaseIsCheckedSilently();
    void noCheckAfterACleanEnd();
    void markerOnlyBesideAFile();
};

void UncleanEndTest::readsTheValidationReport_data()
{
    QTest::addColumn<QStringList>("report");
    QTest::addColumn<QStringList>("indexes");  // "TABLE.INDEX"
    QTest::addColumn<QStringList>("other");
    QTest::addColumn<bool>("clean");

    const QStringList head = {QStringLiteral("02:43:09.22 Validation started"), QStringLiteral(" "),
                              QStringLiteral("02:43:09.22 Relation 128 (SZALLITO)"),
                              QStringLiteral("02:43:09.22   process pointer page    0 of    1"),
                              QStringLiteral("02:43:09.22 Index 1 (PK_SZALLITO)"),
                              QStringLiteral("02:43:09.22 Relation 128 (SZALLITO) is ok"),
                              QStringLiteral("02:43:09.22 Relation 130 (BESZALL)"),
                              QStringLiteral("02:43:09.22 Index 1 (PK_BESZALL)"),
                              QStringLiteral("02:43:09.23 Index 7 (IX_BESZALL_SZKELT_FULSZAM)"),
                              QStringLiteral("02:43:09.23 Index 8 (IX_BESZALL_SZKELT_FULSZAM_DESC)")};
    const QString finished = QStringLiteral("02:43:09.30 Validation finished");
    QTest::newRow("sound") << (head + QStringList{QStringLiteral("Relation 130 (BESZALL) is ok"), finished})
                           << QStringList() << QStringList() << true;
    // As a kill in the middle of an import left it.
    QTest::newRow("corrupt page and missing entries")
        << (head + QStringList{QStringLiteral("02:43:09.23 Error: Index 8 is corrupt on page 270 level 0 at offset "
                                              "5580. File: ./src/jrd/validation.cpp, line: 2317"),
                               QStringLiteral("\t "),
                               QStringLiteral("02:43:09.23 Error: Index 8 is corrupt {missing entries for record 15872}"),
                               QStringLiteral("02:43:09.23 Error: Index 7 is corrupt on page 592 level 0 at offset 5109."),
                               QStringLiteral("02:43:09.23 Relation 130 (BESZALL) : 3 ERRORS found"), finished})
        << QStringList{"BESZALL.IX_BESZALL_SZKELT_FULSZAM_DESC", "BESZALL.IX_BESZALL_SZKELT_FULSZAM"} << QStringList()
        << false;
    QTest::newRow("warning about an index, error before its line")
        << QStringList{QStringLiteral("Relation 131 (KISZALL)"),
                       QStringLiteral("Warning: Index 2 misses node on page 4754 level 1 at offset 39"),
                       QStringLiteral("Index 2 (IX_KISZALL_FULSZAM)"), finished}
        << QStringList{"KISZALL.IX_KISZALL_FULSZAM"} << QStringList() << false;
    QTest::newRow("damage outside the indexes, and an index without a name")
        << QStringList{QStringLiteral("Relation 130 (BESZALL)"),
                       QStringLiteral("Error: Data page 123 (sequence 4) is confused"),
                       QStringLiteral("Error: Index 9 is corrupt on page 1 level 0 at offset 0"),
                       QStringLiteral("Warning: Relation has 3 orphan backversions"), finished}
        << QStringList() << QStringList{"BESZALL: Data page 123 (sequence 4) is confused", "BESZALL: 9. index"}
        << false;
    QTest::newRow("cut short") << head << QStringList() << QStringList() << false;
}

void UncleanEndTest::readsTheValidationReport()
{
    QFETCH(QStringList, report);
    QFETCH(QStringList, indexes);
    QFETCH(QStringList, other);
    QFETCH(bool, clean);
    const indexcheck::Findings f = indexcheck::readReport(report);
    QStringList found;
    for (const auto& d : f.indexes)
        found << d.table + u'.' + d.index;
    QCOMPARE(found, indexes);
    QCOMPARE(f.otherDamage, other);
    QCOMPARE(f.clean(), clean);
}

void UncleanEndTest::damagedIndexIsRebuiltAtTheNextStart_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("index");
    QTest::addColumn<QString>("lookup");  // a query the index serves, which must see every row
    QTest::newRow("ear-tag index") << "BESZALL" << "IX_BESZALL_FULSZAM"
                                   << "SELECT COUNT(*) FROM beszall WHERE bfulszam >= '0'";
    QTest::newRow("descending day index") << "BESZALL" << "IX_BESZALL_SZKELT_FULSZAM_DESC"
                                          << "SELECT COUNT(*) FROM (SELECT FIRST 100000 IDb FROM beszall "
                                             "ORDER BY bszkelt DESC, bfulszam DESC, IDb DESC)";
    QTest::newRow("expression index") << "KISZALL" << "IX_KISZALL_FULSZAM_NUM"
                                      << "SELECT COUNT(*) FROM kiszall WHERE LPAD(kfulszam, 25, '0') >= '0'";
    QTest::newRow("primary key") << "BESZALL" << "PK_BESZALL" << "SELECT COUNT(*) FROM beszall WHERE IDb > 0";
    QTest::newRow("unique code") << "SZALLITO" << "UX_SZALLITO_SKOD" << "SELECT COUNT(*) FROM szallito WHERE skod >= ''";
}

void UncleanEndTest::damagedIndexIsRebuiltAtTheNextStart()
{
    QFETCH(QString, table);
    QFETCH(QString, index);
    QFETCH(QString, lookup);
    TestDatabase db(false);
    db.exec(QStringLiteral("EXECUTE BLOCK AS DECLARE I INT = 0; BEGIN WHILE (I < 3000) DO BEGIN "
                           "INSERT INTO beszall (bfulszam, bszkelt) VALUES (100000 + :I, DATEADD(MOD(:I, 30) DAY TO DATE "
                           "'2011-03-01')); INSERT INTO kiszall (kfulszam) VALUES (200000 + :I); "
                           "INSERT INTO szallito (srendszam) VALUES ('R' || :I); I = I + 1; END END"));
    const qint64 rows = number(db.file(), lookup);
    QCOMPARE(rows, 3000);

    // The last run was killed, leaving the index damaged.
    QString failure;
    QVERIFY2(damageIndex(db.file(), table, index, failure), qPrintable(failure));
    QCOMPARE(validationFinds(db), (QList<indexcheck::DamagedIndex>{{table, index}}));
    QFile marker(db.file() + QStringLiteral(".running"));
    QVERIFY(marker.open(QIODevice::WriteOnly));
    marker.close();
    QVERIFY(indexcheck::endedUncleanly(db.file()));

    platform::TestDoubles doubles;
    {
        MainWindow form;
        QVERIFY(startUp(form));
        // Told in Hungarian what was found and done, once, before the program works on.
        QCOMPARE(doubles.messages.size(), 1);
        const QString told = doubles.messages.first().text;
        QVERIFY2(told.startsWith(QStringLiteral("A program legutóbb nem a szokásos módon ért véget")), qPrintable(told));
        QVERIFY2(told.contains(kDamagedTag + QStringLiteral("%1 (%2 tábla).").arg(index, table)), qPrintable(told));
        QVERIFY2(told.contains(QStringLiteral("Az adatbázis most rendben van; az adatok nem változtak.")), qPrintable(told));
        QVERIFY(Data->ZCon1.connected());
        QVERIFY(indexcheck::endedUncleanly(db.file()));  // this run's own marker
        form.close();
    }
    // A clean end leaves no marker; the file is sound, the index in use again and every row found
    // through it.
    QVERIFY(!indexcheck::endedUncleanly(db.file()));
    QCOMPARE(validationFinds(db), QList<indexcheck::DamagedIndex>());
    QCOMPARE(number(db.file(), QStringLiteral("SELECT COUNT(*) FROM rdb$indices WHERE rdb$index_name = '%1' AND "
                                              "COALESCE(rdb$index_inactive, 0) = 0")
                                   .arg(index)),
             1);
    QCOMPARE(number(db.file(), lookup), rows);
    // The next start checks nothing and says nothing.
    platform::TestDoubles again;
    MainWindow form;
    QVERIFY(startUp(form));
    QVERIFY(again.messages.isEmpty());
}

void UncleanEndTest::soundDatabaseIsCheckedSilently()
{
    TestDatabase db(false);
    QFile marker(db.file() + QStringLiteral(".running"));
    QVERIFY(marker.open(QIODevice::WriteOnly));
    marker.close();
    platform::TestDoubles doubles;
    // The check itself: it ran, found nothing, said nothing.
    const startupcheck::Outcome o = startupcheck::check(nullptr, params(db));
    QVERIFY(o.checked);
    QVERIFY(o.soundAfter);
    QVERIFY(o.repaired.isEmpty());
    QVERIFY(o.message.isEmpty());
    // And at start-up.
    MainWindow form;
    QVERIFY(startUp(form));
    QVERIFY(doubles.messages.isEmpty());
    QFile written(db.file() + QStringLiteral(".running"));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromUtf8(written.readAll()).startsWith(QStringLiteral("A Gerundo ezzel az adatbázissal fut")));
}

void UncleanEndTest::noCheckAfterACleanEnd()
{
    // A damaged index with no marker: the last run ended cleanly, so nothing is checked (the check
    // costs a read of the whole file, which only an unclean end warrants).
    TestDatabase db(false);
    db.exec(QStringLiteral("INSERT INTO beszall (bfulszam) VALUES ('1')"));
    QString failure;
    QVERIFY2(damageIndex(db.file(), QStringLiteral("BESZALL"), QStringLiteral("IX_BESZALL_FULSZAM"), failure),
             qPrintable(failure));
    platform::TestDoubles doubles;
    {
        MainWindow form;
        QVERIFY(startUp(form));
        QVERIFY(doubles.messages.isEmpty());
        form.close();
    }
    QCOMPARE(validationFinds(db).size(), 1);
    // A database that cannot be reached is not checked either: the start-up message says it.
    TestDatabase missing(false);
    QFile::remove(missing.file());
    QFile marker(missing.file() + QStringLiteral(".running"));
    QVERIFY(marker.open(QIODevice::WriteOnly));
    marker.close();
    platform::TestDoubles doubles2;
    MainWindow form;
    QVERIFY(!startUp(form));
    QCOMPARE(doubles2.messageTexts(),
             QStringList{QStringLiteral("Az adatbáziskezelöt nem találja.\nA program müködéséhez szükséges.")});
}

void UncleanEndTest::markerOnlyBesideAFile()
{
    QCOMPARE(indexcheck::runMarker(QStringLiteral("Dudoz.fdb")), QStringLiteral("Dudoz.fdb.running"));
    QCOMPARE(indexcheck::runMarker(QStringLiteral("/srv/gerundo/Dudoz.fdb")),
             QStringLiteral("/srv/gerundo/Dudoz.fdb.running"));
    // A database on a server: no marker, no check from a desk.
    QCOMPARE(indexcheck::runMarker(QStringLiteral("server:/srv/gerundo/Dudoz.fdb")), QString());
    QCOMPARE(indexcheck::runMarker(QStringLiteral("server/3051:Dudoz")), QString());
    QVERIFY(!indexcheck::endedUncleanly(QStringLiteral("server:/srv/gerundo/Dudoz.fdb")));
}

QTEST_MAIN(UncleanEndTest)
#include "test_unclean_end.moc"
