#include "storage/shared_datasets.h"
#include "outgoing/completion.h"
#include "outgoing_fixture.h"
#include "screens.h"
#include "testdb.h"
#include "ui/dbwidgets.h"
#include "ui/platform.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace fixture;

class OutgoingCompletionTest : public QObject {
    Q_OBJECT
private slots:
    void fillsExactlyRowsWithBothCodesEmpty();
    void validation_data();
    void validation();
    void emptyListFillsNothing();
    void emptyCategoryWrittenAsEmptyText();
    void failedUpdateRollsBack();
};

void OutgoingCompletionTest::fillsExactlyRowsWithBothCodesEmpty()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const QString carrier = db.addCarrier(QStringLiteral("ABC-123"), QStringLiteral("Kiss Fuvar"));
    const QString buyer = db.addPartner(QStringLiteral("Vágóhíd Kft"));
    departureWithoutCodes(db, QStringLiteral("1"), QStringLiteral("2011-03-01"));
    departureWithoutCodes(db, QStringLiteral("2"), QStringLiteral("2011-03-05"));
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam, kskod, khkat) VALUES ('3', '%1', 'vágás')").arg(carrier));
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam, kfkod, khkat) VALUES ('4', '%1', 'vágás')").arg(buyer));
    departure(db, QStringLiteral("5"), carrier, buyer);

    OutgoingCompletionDialog f;
    f.show();
    QApplication::processEvents();
    QVERIFY(Data->ZQ21.active());
    QCOMPARE(Data->ZQ21.recordCount(), 2);
    QCOMPARE(child<DBGrid>(&f, "DBGrid1")->model()->rowCount(), 2);

    choose(doubles, &Data->ZQ30, QStringLiteral("skod"), carrier);
    button(&f, "Button1")->click();
    QCOMPARE(edit(&f, "Edit2")->text(), carrier);
    choose(doubles, &Data->ZQ40, QStringLiteral("fkod"), buyer);
    button(&f, "Button2")->click();
    QCOMPARE(edit(&f, "Edit3")->text(), buyer);
    QCOMPARE(doubles.modalsShown, QStringList({QStringLiteral("carrierListDialog"), QStringLiteral("partnerListDialog")}));
    edit(&f, "Edit8")->setText(QStringLiteral("KI-2011/7"));
    button(&f, "Button5")->click();
    QVERIFY(doubles.messages.isEmpty());

    const auto rows = db.rows(QStringLiteral(
        "SELECT kfulszam, kskod, kfkod, keubizki, khkat, kikelt, keubizbe FROM kiszall ORDER BY kfulszam"));
    QCOMPARE(rows.size(), 5);
    QCOMPARE(rows.at(0), QStringList({"1", carrier, buyer, "KI-2011/7", "gyüjtés", "2011.03.01", "BE-1"}));
    QCOMPARE(rows.at(1), QStringList({"2", carrier, buyer, "KI-2011/7", "gyüjtés", "2011.03.05", "BE-1"}));
    QCOMPARE(rows.at(2), QStringList({"3", carrier, "", "", "vágás", "", ""}));  // one code empty: untouched
    QCOMPARE(rows.at(3), QStringList({"4", "", buyer, "", "vágás", "", ""}));
    QCOMPARE(rows.at(4), QStringList({"5", carrier, buyer, "KI-1", "vágás", "2011.03.10", "BE-1"}));
    // The grid stays empty after the fill.
    QVERIFY(!Data->ZQ21.active());
    QCOMPARE(child<DBGrid>(&f, "DBGrid1")->model()->rowCount(), 0);
}

void OutgoingCompletionTest::validation_data()
{
    QTest::addColumn<bool>("withCarrier");
    QTest::addColumn<bool>("withBuyer");
    QTest::addColumn<QString>("certificate");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::newRow("carrier") << false << false << "" << "Nincs megadva a szállitó!" << "Button1";
    QTest::newRow("buyer") << true << false << "" << "Nincs megadva a Vevö!" << "Button2";
    QTest::newRow("certificate") << true << true << "   " << "Nincs megadva a eü.bizonyitvány!" << "Edit8";
}

void OutgoingCompletionTest::validation()
{
    QFETCH(bool, withCarrier);
    QFETCH(bool, withBuyer);
    QFETCH(QString, certificate);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    TestDatabase db;
    platform::TestDoubles doubles;
    const QString carrier = db.addCarrier(QStringLiteral("ABC-123"), QStringLiteral("Kiss"));
    const QString buyer = db.addPartner(QStringLiteral("Vevő"));
    departureWithoutCodes(db, QStringLiteral("1"));
    OutgoingCompletionDialog f;
    showActive(&f);
    if (withCarrier)
        edit(&f, "Edit2")->setText(carrier);
    if (withBuyer)
        edit(&f, "Edit3")->setText(buyer);
    edit(&f, "Edit8")->setText(certificate);
    button(&f, "Button5")->click();
    QCOMPARE(doubles.messageTexts(), QStringList{message});
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE kskod = ''")), QStringLiteral("1"));
    QCOMPARE(Data->ZQ21.recordCount(), 1);  // the list is still there
}

void OutgoingCompletionTest::emptyListFillsNothing()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    departure(db, QStringLiteral("5"), QStringLiteral("1"), QStringLiteral("1"));
    OutgoingCompletionDialog f;
    f.show();
    QApplication::processEvents();
    QVERIFY(Data->ZQ21.isEmpty());
    edit(&f, "Edit2")->setText(QStringLiteral("7"));
    edit(&f, "Edit3")->setText(QStringLiteral("8"));
    edit(&f, "Edit8")->setText(QStringLiteral("KI"));
    button(&f, "Button5")->click();
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(db.rows(QStringLiteral("SELECT kskod, kfkod, keubizki FROM kiszall")).first(),
             QStringList({"1", "1", "KI-1"}));
}

void OutgoingCompletionTest::emptyCategoryWrittenAsEmptyText()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    departureWithoutCodes(db, QStringLiteral("1"));
    OutgoingCompletionDialog f;
    f.show();
    QApplication::processEvents();
    edit(&f, "Edit2")->setText(QStringLiteral("7"));
    edit(&f, "Edit3")->setText(QStringLiteral("8"));
    edit(&f, "Edit8")->setText(QStringLiteral("KI"));
    edit(&f, "Edit7")->clear();
    button(&f, "Button5")->click();
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE khkat = '' AND kskod = '7'")),
             QStringLiteral("1"));
}

void OutgoingCompletionTest::failedUpdateRollsBack()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    departureWithoutCodes(db, QStringLiteral("1"));
    departureWithoutCodes(db, QStringLiteral("2"));
    OutgoingCompletionDialog f;
    f.show();
    QApplication::processEvents();
    edit(&f, "Edit2")->setText(QStringLiteral("7"));
    edit(&f, "Edit3")->setText(QStringLiteral("8"));
    edit(&f, "Edit8")->setText(QStringLiteral("KI"));
    {
        ForeignChange other(db, QStringLiteral("UPDATE kiszall SET khkat = 'más' WHERE kfulszam = '2'"));
        button(&f, "Button5")->click();
    }
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba131:  Update a kiszállításban ")});
    // All or nothing: the row that could be written was rolled back with the rest.
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE kskod = ''")), QStringLiteral("2"));
    QVERIFY(!Data->IBTrans1.inTransaction());
    // The screen stays usable: the next try succeeds.
    doubles.messages.clear();
    button(&f, "Button5")->click();
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE kskod = '7' AND kfkod = '8'")), QStringLiteral("2"));
}

QTEST_MAIN(OutgoingCompletionTest)
#include "test_outgoing_completion.moc"
