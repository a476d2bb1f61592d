#include "storage/session.h"
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
    SharedTransaction& transaction = db.session().transaction();
    Dataset carrierRows{db.session().database(), QStringLiteral("carrierRows")};
    Dataset carrierWrites{db.session().database(), QStringLiteral("carrierWrites")};
    transaction.commit();
    if (startedBy == u"dataset") {
        carrierRows.setSql({QStringLiteral("SELECT * FROM szallito")});
        carrierRows.open();  // starts the transaction: its closing would commit
    }
    db.session().database().holdTransaction();
    QVERIFY(transaction.inTransaction());
    carrierRows.close();
    carrierWrites.setSql({QStringLiteral("INSERT INTO szallito (snev) VALUES ('Held')")});
    carrierWrites.execSql();
    QVERIFY(transaction.inTransaction());
    QCOMPARE(db.count(QStringLiteral("szallito")), 0);
    transaction.rollback();
    QCOMPARE(db.count(QStringLiteral("szallito")), 0);

    // After the explicit end the automatic rules apply again.
    carrierWrites.execSql();
    QVERIFY(!transaction.inTransaction());
    QCOMPARE(db.count(QStringLiteral("szallito")), 1);
}

QTEST_GUILESS_MAIN(HeldTransactionTest)
#include "test_heldtransaction.moc"
