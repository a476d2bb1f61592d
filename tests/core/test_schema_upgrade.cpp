#include "core/dbcreate.h"
#include "testdb.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The schema as an older version shipped it: without these indexes.
QString schemaWithout(const QStringList& indexes)
{
    QString schema = dbcreate::builtinSchema();
    for (const QString& name : indexes) {
        const QRegularExpression line(QStringLiteral("CREATE (UNIQUE )?INDEX %1 [^;]*;\\n").arg(name));
        if (!schema.contains(line))
            qFatal("the schema creates no index %s", qPrintable(name));
        schema.remove(line);
    }
    return schema;
}

// The indexes of the file but those behind its primary keys.
QSet<QString> indexNames(const QString& file)
{
    QSet<QString> out;
    for (const QStringList& row :
         testdb::rows(file, QStringLiteral("SELECT TRIM(rdb$index_name) FROM rdb$indices "
                                           "WHERE rdb$system_flag = 0 AND rdb$index_name NOT IN "
                                           "(SELECT rdb$index_name FROM rdb$relation_constraints "
                                           "WHERE rdb$index_name IS NOT NULL)")))
        out.insert(row.first());
    return out;
}

// Runs the creation tool as an administrator would.
QString runTool(const QStringList& arguments, int* exitCode)
{
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(QStringLiteral(GERUNDO_MKDB), arguments);
    if (!tool.waitForFinished(120000))
        return QStringLiteral("did not finish");
    *exitCode = tool.exitCode();
    return QString::fromLocal8Bit(tool.readAll());
}

}  // namespace

class SchemaUpgradeTest : public QObject {
    Q_OBJECT
private slots:
    void schemaNamesEveryIndex();
    void upgradeAddsTheMissingIndexesOnce();
    void refusedIndexDoesNotStopTheOthers();
    void upgradeAddsTheArchivesNumericEarTagIndexes();
    void commandUpgradesAnExistingFile();
    void commandAddsTheOnSiteCountAndComparesIt();
};

void SchemaUpgradeTest::schemaNamesEveryIndex()
{
    QStringList names;
    for (const auto& index : dbcreate::schemaIndexes())
        names << index.name;
    // Plain, unique and expression indexes alike.
    for (const char* name : {"UX_FELADO_FKOD", "IX_BESZALL_FULSZAM", "IX_BESZALL0_FKOD", "IX_FULSZAM0_FULTOL",
                             "IX_BESZALL_FULSZAM_NUM", "IX_KISZALL_FULSZAM_NUM", "IX_BESZALL0_FULSZAM_NUM",
                             "IX_KISZALL0_FULSZAM_NUM"})
        QVERIFY2(names.contains(QString::fromLatin1(name)), name);
    // Every index a fresh database has beyond its primary keys comes from those statements.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("new.fdb"));
    dbcreate::createDatabase(file);
    QCOMPARE(indexNames(file), QSet<QString>(names.begin(), names.end()));
}

void SchemaUpgradeTest::upgradeAddsTheMissingIndexesOnce()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Dudoz.fdb"));
    const QStringList missing{"IX_BESZALL_FULSZAM_NUM", "IX_BESZALL0_FKOD", "IX_FULSZAM0_FULTOL"};
    dbcreate::createDatabase(file, schemaWithout(missing));
    testdb::exec(file, QStringLiteral("INSERT INTO beszall0 (bfulszam, bfkod) VALUES ('1001', '7')"));
    QVERIFY(!indexNames(file).contains(QStringLiteral("IX_BESZALL0_FKOD")));

    const auto first = dbcreate::upgradeDatabase(file);
    QCOMPARE(first.created, QStringList({"IX_BESZALL0_FKOD", "IX_FULSZAM0_FULTOL", "IX_BESZALL_FULSZAM_NUM"}));
    QVERIFY(first.refused.isEmpty());
    for (const QString& name : missing)
        QVERIFY2(indexNames(file).contains(name), qPrintable(name));
    // The expression index is the expression, not only the name.
    QCOMPARE(testdb::rows(file, QStringLiteral("SELECT TRIM(rdb$relation_name), "
                                               "CAST(rdb$expression_source AS VARCHAR(100)) FROM rdb$indices "
                                               "WHERE rdb$index_name = 'IX_BESZALL_FULSZAM_NUM'")),
             QList<QStringList>({{"BESZALL", "(LPAD(BFULSZAM, 25, '0'))"}}));

    // A second run finds nothing to do.
    const auto second = dbcreate::upgradeDatabase(file);
    QVERIFY(second.created.isEmpty());
    QVERIFY(second.refused.isEmpty());
}

void SchemaUpgradeTest::refusedIndexDoesNotStopTheOthers()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Dudoz.fdb"));
    dbcreate::createDatabase(file, schemaWithout({"UX_FELADO_FKOD", "IX_BESZALL0_FKOD"}));
    // Two partners with one code: the unique index cannot be built over them.
    testdb::exec(file, QStringLiteral("INSERT INTO felado (fkod, fnev) VALUES ('9', 'A')"));
    testdb::exec(file, QStringLiteral("INSERT INTO felado (fkod, fnev) VALUES ('9', 'B')"));
    const auto result = dbcreate::upgradeDatabase(file);
    QCOMPARE(result.created, QStringList{"IX_BESZALL0_FKOD"});
    QCOMPARE(result.refused.size(), 1);
    QCOMPARE(result.refused.first().first, QStringLiteral("UX_FELADO_FKOD"));
    QVERIFY(!result.refused.first().second.isEmpty());
}

// A database from before the story of an ear tag: its archives get their numeric ear-tag indexes,
// built over the rows they already hold.
void SchemaUpgradeTest::upgradeAddsTheArchivesNumericEarTagIndexes()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Dudoz.fdb"));
    dbcreate::createDatabase(file, schemaWithout({"IX_BESZALL0_FULSZAM_NUM", "IX_KISZALL0_FULSZAM_NUM"}));
    testdb::exec(file, QStringLiteral("INSERT INTO beszall0 (bfulszam) VALUES ('0099')"));
    testdb::exec(file, QStringLiteral("INSERT INTO kiszall0 (kfulszam) VALUES ('99')"));
    const auto result = dbcreate::upgradeDatabase(file);
    QCOMPARE(result.created, QStringList({"IX_BESZALL0_FULSZAM_NUM", "IX_KISZALL0_FULSZAM_NUM"}));
    QVERIFY(result.refused.isEmpty());
    QCOMPARE(testdb::rows(file, QStringLiteral("SELECT TRIM(rdb$relation_name), "
                                               "CAST(rdb$expression_source AS VARCHAR(100)) FROM rdb$indices "
                                               "WHERE rdb$index_name IN ('IX_BESZALL0_FULSZAM_NUM', 'IX_KISZALL0_FULSZAM_NUM') "
                                               "ORDER BY 1")),
             QList<QStringList>({{"BESZALL0", "(LPAD(BFULSZAM, 25, '0'))"}, {"KISZALL0", "(LPAD(KFULSZAM, 25, '0'))"}}));
    // The index finds the old rows by their number.
    QCOMPARE(testdb::rows(file, QStringLiteral("SELECT bfulszam FROM beszall0 "
                                               "WHERE LPAD(bfulszam, 25, '0') = LPAD('99', 25, '0')")),
             QList<QStringList>({{"0099"}}));
}

void SchemaUpgradeTest::commandUpgradesAnExistingFile()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Dudoz.fdb"));
    dbcreate::createDatabase(file, schemaWithout({"IX_KISZALL_FULSZAM_NUM", "IX_FULSZAM0_FULTOL"}));
    int exitCode = -1;
    QString output = runTool({QStringLiteral("--upgrade"), file}, &exitCode);
    QCOMPARE(exitCode, 0);
    QVERIFY2(output.contains(QStringLiteral("index IX_FULSZAM0_FULTOL created")), qPrintable(output));
    QVERIFY2(output.contains(QStringLiteral("index IX_KISZALL_FULSZAM_NUM created")), qPrintable(output));
    QVERIFY(indexNames(file).contains(QStringLiteral("IX_KISZALL_FULSZAM_NUM")));

    output = runTool({QStringLiteral("--upgrade"), file}, &exitCode);
    QCOMPARE(exitCode, 0);
    QVERIFY2(output.contains(QStringLiteral("already has every index")), qPrintable(output));

    // No file to upgrade is an error, and none is created.
    const QString none = dir.filePath(QStringLiteral("nincs.fdb"));
    runTool({QStringLiteral("--upgrade"), none}, &exitCode);
    QCOMPARE(exitCode, 1);
    QVERIFY(!QFile::exists(none));
}

// A file from before the database kept the on-site count: the tool adds the keeping, fills it from
// the tables, and compares it on every later run.
void SchemaUpgradeTest::commandAddsTheOnSiteCountAndComparesIt()
{
    QString schema = dbcreate::builtinSchema();
    const qsizetype from = schema.indexOf(QStringLiteral("/* The animals on site"));
    QVERIFY(from > 0);
    schema.remove(from, schema.lastIndexOf(QStringLiteral("COMMIT;")) - from);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Dudoz.fdb"));
    dbcreate::createDatabase(file, schema);
    testdb::exec(file, QStringLiteral("INSERT INTO beszall (bfulszam) VALUES ('1')"));
    testdb::exec(file, QStringLiteral("INSERT INTO beszall (bfulszam) VALUES ('2')"));
    testdb::exec(file, QStringLiteral("INSERT INTO kiszall (kfulszam) VALUES ('2')"));
    testdb::exec(file, QStringLiteral("INSERT INTO beszall (bfulszam) VALUES ('2')"));

    int exitCode = -1;
    QString output = runTool({QStringLiteral("--upgrade"), file}, &exitCode);
    QCOMPARE(exitCode, 0);
    for (const char* line : {"table GERUNDO_ONSITE_TAG created", "procedure GERUNDO_ONSITE_MOVE created",
                             "trigger BESZALL_ONSITE created", "trigger KISZALL_ONSITE created",
                             "A telepen lévő állatok nyilvántartása elkészült a táblákból: 2 állat."})
        QVERIFY2(output.contains(QString::fromUtf8(line)), qPrintable(output));
    QCOMPARE(testdb::rows(file, QStringLiteral("SELECT SUM(animals) FROM gerundo_onsite_count")),
             QList<QStringList>({{"2"}}));

    // Written around the keeping: the next run puts it right and says so.
    testdb::exec(file, QStringLiteral("DELETE FROM gerundo_onsite_tag WHERE fulszam = '1'"));
    output = runTool({QStringLiteral("--upgrade"), file}, &exitCode);
    QCOMPARE(exitCode, 0);
    QVERIFY2(output.contains(QStringLiteral("already has every index")), qPrintable(output));
    QVERIFY2(output.contains(QStringLiteral("nem egyezett a táblákkal: 1 fülszám javítva")), qPrintable(output));
    output = runTool({QStringLiteral("--upgrade"), file}, &exitCode);
    QVERIFY2(output.contains(QStringLiteral("nyilvántartott száma egyezik a táblákkal (2 állat).")), qPrintable(output));
}

QTEST_GUILESS_MAIN(SchemaUpgradeTest)
#include "test_schema_upgrade.moc"
