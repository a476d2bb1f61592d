#include "core/dbcreate.h"
#include "db/client.h"
#include "testdb.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTest>

class SchemaTest : public QObject {
    Q_OBJECT
private slots:
    void tablesAndColumnsInOrder_data();
    void tablesAndColumnsInOrder();
    void identifiersAndCodesInInsertOrder();
    void codesStayUniqueAndShortPastTheDecimalRange();
    void noForeignKeys();
    void runsUnchangedInIsql();
    void scriptSplitterHonoursSetTerm();
    void failedDefinitionLeavesNoTransactionOpen();
};

void SchemaTest::tablesAndColumnsInOrder_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("columns");
    QTest::newRow("SZALLITO") << "SZALLITO" << "IDS SKOD SRENDSZAM SNEV SCIM SJOVASZAM";
    QTest::newRow("FELADO") << "FELADO" << "IDF FKOD FNEV FCIM FTENYKOD FSZNEV FSZCIM";
    QTest::newRow("BESZALL") << "BESZALL" << "IDB BKOD BSKOD BFKOD BFULSZAM BSZKELT BVKELT BHKAT BEUBIZ";
    QTest::newRow("KISZALL") << "KISZALL" << "IDK KKOD KSKOD KIKELT KFULSZAM KHKOD KFKOD KHKAT KEUBIZBE KEUBIZKI";
    QTest::newRow("FULSZAM") << "FULSZAM" << "IDU UKOD UFULTOL UFULIG";
    QTest::newRow("FULSZAM0") << "FULSZAM0" << "IDU UKOD UFULTOL UFULIG";
    QTest::newRow("BESZALL0") << "BESZALL0" << "IDB BKOD BSKOD BFKOD BFULSZAM BSZKELT BVKELT BHKAT BEUBIZ";
    QTest::newRow("KISZALL0") << "KISZALL0" << "IDK KKOD KSKOD KIKELT KFULSZAM KHKOD KFKOD KHKAT KEUBIZBE KEUBIZKI";
    QTest::newRow("KISZALL1") << "KISZALL1" << "KIKELT KFULSZAM KVKOD KHKAT KEUBE KEUKI IDK KKOD";
    QTest::newRow("PARTNER") << "PARTNER"
                             << "IDP PKOD PNEV PIRSZAM PHELYSEG PUTCA PHSZAM PSZLANEV PSZLAIRSZAM PSZLAHELYSEG "
                                "PSZLAUTCA PSZLAHSZAM PTEL PEMAIL PBANKSZLA PBANKNEV PADOSZAM PCEGJEGYZ PMEMO";
}

void SchemaTest::tablesAndColumnsInOrder()
{
    QFETCH(QString, table);
    QFETCH(QString, columns);
    TestDatabase db(false);
    const auto r = db.rows(QStringLiteral("SELECT rdb$field_name FROM rdb$relation_fields WHERE rdb$relation_name = '%1' "
                                          "ORDER BY rdb$field_position").arg(table));
    QStringList names;
    for (const auto& row : r)
        names << row.first();
    QCOMPARE(names.join(u' '), columns);
}

void SchemaTest::identifiersAndCodesInInsertOrder()
{
    TestDatabase db(false);
    for (int i = 1; i <= 12; ++i) {
        QCOMPARE(db.addCarrier(QStringLiteral("R%1").arg(i), QStringLiteral("N")), QString::number(i));
        QCOMPARE(db.addPartner(QStringLiteral("P%1").arg(i)), QString::number(i));
    }
    db.exec(QStringLiteral("INSERT INTO beszall (bfulszam) VALUES ('1')"));
    db.exec(QStringLiteral("INSERT INTO beszall (bfulszam) VALUES ('2')"));
    QCOMPARE(db.rows(QStringLiteral("SELECT idb, bkod FROM beszall ORDER BY idb")),
             QList<QStringList>({{"1", "1"}, {"2", "2"}}));
    // Rows are never given an identifier or code by the program: archive copies get their own.
    db.exec(QStringLiteral("INSERT INTO beszall0 (bfulszam) SELECT bfulszam FROM beszall"));
    QCOMPARE(db.value(QStringLiteral("SELECT MAX(idb) FROM beszall0")), QStringLiteral("2"));
    db.exec(QStringLiteral("INSERT INTO kiszall1 (kfulszam) VALUES ('9')"));
    QCOMPARE(db.rows(QStringLiteral("SELECT idk, kkod FROM kiszall1")), QList<QStringList>({{"1", "1"}}));
}

void SchemaTest::codesStayUniqueAndShortPastTheDecimalRange()
{
    TestDatabase db(false);
    db.exec(QStringLiteral("ALTER SEQUENCE GEN_FELADO RESTART WITH 99997"));
    db.exec(QStringLiteral("EXECUTE BLOCK AS DECLARE I INT = 0; BEGIN WHILE (I < 2000) DO BEGIN "
                           "INSERT INTO felado (fnev) VALUES ('x'); I = I + 1; END END"));
    const auto r = db.rows(QStringLiteral("SELECT idf, fkod FROM felado ORDER BY idf"));
    QCOMPARE(r.size(), 2000);
    QCOMPARE(r.first(), QStringList({"99998", "99998"}));
    QCOMPARE(r.at(1), QStringList({"99999", "99999"}));
    QSet<QString> codes;
    int previousId = 0;
    for (const auto& row : r) {
        QVERIFY(row.at(0).toInt() > previousId);
        previousId = row.at(0).toInt();
        QVERIFY2(!row.at(1).isEmpty() && row.at(1).size() <= 5, qPrintable(row.at(1)));
        codes.insert(row.at(1));
    }
    QCOMPARE(codes.size(), 2000);
    // Past the decimal range a code always holds a letter, so it cannot meet a decimal code.
    QVERIFY(!r.at(2).at(1).front().isDigit());
}

void SchemaTest::noForeignKeys()
{
    TestDatabase db(false);
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM rdb$relation_constraints WHERE rdb$constraint_type = 'FOREIGN KEY'")),
             QStringLiteral("0"));
    // A departure with empty codes and a delivery pointing at no carrier are accepted.
    db.exec(QStringLiteral("INSERT INTO beszall (bskod, bfkod, bfulszam) VALUES ('999', '998', '1')"));
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam) VALUES ('1')"));
    QCOMPARE(db.count(QStringLiteral("kiszall")), 1);
}

void SchemaTest::runsUnchangedInIsql()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("isql.fdb"));
    QProcess create;
    create.start(QStringLiteral("isql-fb"), {QStringLiteral("-q")});
    QVERIFY(create.waitForStarted());
    create.write(QStringLiteral("CREATE DATABASE '%1' USER 'SYSDBA' DEFAULT CHARACTER SET WIN1250;\n").arg(file).toUtf8());
    create.closeWriteChannel();
    QVERIFY(create.waitForFinished(30000));
    QCOMPARE(create.exitCode(), 0);
    const QString schema = dir.filePath(QStringLiteral("schema.sql"));
    QFile out(schema);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(dbcreate::builtinSchema().toUtf8());
    out.close();
    QProcess run;
    run.start(QStringLiteral("isql-fb"), {QStringLiteral("-q"), QStringLiteral("-bail"), QStringLiteral("-user"),
                                          QStringLiteral("SYSDBA"), QStringLiteral("-ch"), QStringLiteral("WIN1250"),
                                          file, QStringLiteral("-i"), schema});
    QVERIFY(run.waitForFinished(60000));
    QVERIFY2(run.exitCode() == 0, run.readAllStandardError().constData());
    QVERIFY(run.readAllStandardError().isEmpty());
}

void SchemaTest::scriptSplitterHonoursSetTerm()
{
    const QString script = QStringLiteral(
        "/* a; comment */ CREATE TABLE A (X INT);\n"
        "SET TERM ^ ;\n"
        "CREATE TRIGGER T FOR A BEFORE INSERT AS BEGIN NEW.X = 1; END^\n"
        "SET TERM ; ^\n"
        "INSERT INTO A VALUES (';');\n"
        "COMMIT;\n");
    QCOMPARE(dbcreate::splitScript(script),
             QStringList({QStringLiteral("CREATE TABLE A (X INT)"),
                          QStringLiteral("CREATE TRIGGER T FOR A BEFORE INSERT AS BEGIN NEW.X = 1; END"),
                          QStringLiteral("INSERT INTO A VALUES (';')")}));
}


void SchemaTest::failedDefinitionLeavesNoTransactionOpen()
{
    TestDatabase db(false);
    fb::ConnectParams p;
    p.database = db.file();
    fb::Attachment att;
    att.attach(p);
    att.executeImmediate(QStringLiteral("CREATE TABLE T1 (A INTEGER)"));
    att.executeImmediate(QStringLiteral("INSERT INTO T1 VALUES (1)"));
    att.executeImmediate(QStringLiteral("INSERT INTO T1 VALUES (1)"));
    // A unique index over duplicates is refused only when its definition is committed.
    QVERIFY_THROWS_EXCEPTION(fb::Error, att.executeImmediate(QStringLiteral("CREATE UNIQUE INDEX UX_T1 ON T1 (A)")));
    att.executeImmediate(QStringLiteral("CREATE INDEX IX_T1 ON T1 (A)"));
    att.detach();  // nothing of the failed statement is left open
    QVERIFY(!att.isAttached());
}

QTEST_MAIN(SchemaTest)
#include "test_schema.moc"
