#include "storage/shared_datasets.h"
#include "testdb.h"

#include <QTest>

// A held transaction is ended only by an explicit commit or rollback, whoever started it.
class HeldTransactionTest : public QObject {
    Q_OBJECT
private slots:
    void noAutomaticCommitOnceHeld_data();
    void noAutomaticCommitOnceHeld();
};

void HeldTransactionTest::noAutomaticCommitOnceHeld_data()
{
    QTest::addColumn<QString>("startedBy");
    QTest::newRow("a dataset's opening") << "dataset";
    QTest::newRow("nobody (not active)") << "none";
}

void HeldTransactionTest::noAutomaticCommitOnceHeld()
{
    QFETCH(QString, startedBy);
    TestDatabase db;
    Data->IBTrans1.commit();
    if (startedBy == u"dataset") {
        Data->ZQ30.setSql({QStringLiteral("SELECT * FROM szallito")});
        Data->ZQ30.open();  // starts the transaction: its closing would commit
    }
    Data->holdTransaction();
    QVERIFY(Data->IBTrans1.inTransaction());
    Data->ZQ30.close();
    Data->ZQ31.setSql({QStringLiteral("INSERT INTO szallito (snev) VALUES ('Held')")});
    Data->ZQ31.execSql();
    QVERIFY(Data->IBTrans1.inTransaction());
    QCOMPARE(db.count(QStringLiteral("szallito")), 0);
    Data->IBTrans1.rollback();
    QCOMPARE(db.count(QStringLiteral("szallito")), 0);

    // After the explicit end the automatic rules apply again.
    Data->ZQ31.execSql();
    QVERIFY(!Data->IBTrans1.inTransaction());
    QCOMPARE(db.count(QStringLiteral("szallito")), 1);
}

QTEST_GUILESS_MAIN(HeldTransactionTest)
#include "test_heldtransaction.moc"
