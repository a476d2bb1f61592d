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

namespace {
// The departures still to complete, as the screen lists them.
Dataset& incompleteRows(OutgoingCompletionDialog& f) { return gridRows(&f, "incompleteGrid"); }
}  // namespace

class OutgoingCompletionTest : public QObject {
    Q_OBJECT
private slots:
    void fillsExactlyRowsWithBothCodesEmpty();
    void validation_data();
    void validation();
    void emptyListFillsNothing();
    void emptyCategoryWrittenAsEmptyText();
    void failedUpdateRollsBack();
    void unstorableTextIsRefusedBeforeWriting_data();
    void unstorableTextIsRefusedBeforeWriting();
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

    OutgoingCompletionDialog f(db.session());
    f.show();
    QApplication::processEvents();
    QVERIFY(incompleteRows(f).active());
    QCOMPARE(incompleteRows(f).recordCount(), 2);
    QCOMPARE(child<DBGrid>(&f, "incompleteGrid")->model()->rowCount(), 2);

    choose(doubles, &db.session().carriers().list(), QStringLiteral("skod"), carrier);
    button(&f, "chooseCarrierButton")->click();
    QCOMPARE(edit(&f, "carrierCodeEdit")->text(), carrier);
    choose(doubles, &db.session().partners().list(), QStringLiteral("fkod"), buyer);
    button(&f, "chooseBuyerButton")->click();
    QCOMPARE(edit(&f, "buyerCodeEdit")->text(), buyer);
    QCOMPARE(doubles.modalsShown, QStringList({QStringLiteral("carrierListDialog"), QStringLiteral("partnerListDialog")}));
    edit(&f, "certificateOutEdit")->setText(QStringLiteral("KI-2011/7"));
    button(&f, "completeButton")->click();
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
    QVERIFY(!incompleteRows(f).active());
    QCOMPARE(child<DBGrid>(&f, "incompleteGrid")->model()->rowCount(), 0);
}

void OutgoingCompletionTest::validation_data()
{
    QTest::addColumn<bool>("withCarrier");
    QTest::addColumn<bool>("withBuyer");
    QTest::addColumn<QString>("certificate");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::newRow("carrier") << false << false << "" << "Nincs megadva a szállitó!" << "chooseCarrierButton";
    QTest::newRow("buyer") << true << false << "" << "Nincs megadva a Vevö!" << "chooseBuyerButton";
    QTest::newRow("certificate") << true << true << "   " << "Nincs megadva a eü.bizonyitvány!" << "certificateOutEdit";
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
    OutgoingCompletionDialog f(db.session());
    showActive(&f);
    if (withCarrier)
        edit(&f, "carrierCodeEdit")->setText(carrier);
    if (withBuyer)
        edit(&f, "buyerCodeEdit")->setText(buyer);
    edit(&f, "certificateOutEdit")->setText(certificate);
    button(&f, "completeButton")->click();
    QCOMPARE(doubles.messageTexts(), QStringList{message});
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE kskod = ''")), QStringLiteral("1"));
    QCOMPARE(incompleteRows(f).recordCount(), 1);  // the list is still there
}

void OutgoingCompletionTest::emptyListFillsNothing()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    departure(db, QStringLiteral("5"), QStringLiteral("1"), QStringLiteral("1"));
    OutgoingCompletionDialog f(db.session());
    f.show();
    QApplication::processEvents();
    QVERIFY(incompleteRows(f).isEmpty());
    edit(&f, "carrierCodeEdit")->setText(QStringLiteral("7"));
    edit(&f, "buyerCodeEdit")->setText(QStringLiteral("8"));
    edit(&f, "certificateOutEdit")->setText(QStringLiteral("KI"));
    button(&f, "completeButton")->click();
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(db.rows(QStringLiteral("SELECT kskod, kfkod, keubizki FROM kiszall")).first(),
             QStringList({"1", "1", "KI-1"}));
}

void OutgoingCompletionTest::emptyCategoryWrittenAsEmptyText()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    departureWithoutCodes(db, QStringLiteral("1"));
    OutgoingCompletionDialog f(db.session());
    f.show();
    QApplication::processEvents();
    edit(&f, "carrierCodeEdit")->setText(QStringLiteral("7"));
    edit(&f, "buyerCodeEdit")->setText(QStringLiteral("8"));
    edit(&f, "certificateOutEdit")->setText(QStringLiteral("KI"));
    edit(&f, "categoryEdit")->clear();
    button(&f, "completeButton")->click();
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
    OutgoingCompletionDialog f(db.session());
    f.show();
    QApplication::processEvents();
    edit(&f, "carrierCodeEdit")->setText(QStringLiteral("7"));
    edit(&f, "buyerCodeEdit")->setText(QStringLiteral("8"));
    edit(&f, "certificateOutEdit")->setText(QStringLiteral("KI"));
    {
        RowLock other(db, QStringLiteral("UPDATE kiszall SET khkat = 'más' WHERE kfulszam = '2'"));
        button(&f, "completeButton")->click();
    }
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba131:  Update a kiszállításban ")});
    // All or nothing: the row that could be written was rolled back with the rest.
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE kskod = ''")), QStringLiteral("2"));
    QVERIFY(!db.session().transaction().inTransaction());
    // The screen stays usable: the next try succeeds.
    doubles.messages.clear();
    button(&f, "completeButton")->click();
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE kskod = '7' AND kfkod = '8'")), QStringLiteral("2"));
}

void OutgoingCompletionTest::unstorableTextIsRefusedBeforeWriting_data()
{
    QTest::addColumn<QStringList>("fields");  // each gets a character the database cannot hold
    QTest::addColumn<QString>("named");       // the field the message names: the first one written
    QTest::newRow("certificate") << QStringList{"certificateOutEdit"} << QStringLiteral("Eü. bizonyitvány ki");
    QTest::newRow("category") << QStringList{"categoryEdit"} << QStringLiteral("Hasznositási kategória");
    QTest::newRow("certificate before category")
        << QStringList{"categoryEdit", "certificateOutEdit"} << QStringLiteral("Eü. bizonyitvány ki");
    QTest::newRow("buyer before certificate")
        << QStringList{"certificateOutEdit", "buyerCodeEdit"} << QStringLiteral("Vevö kód");
    QTest::newRow("carrier before buyer") << QStringList{"buyerCodeEdit", "carrierCodeEdit"} << QStringLiteral("Száll.kód");
}

void OutgoingCompletionTest::unstorableTextIsRefusedBeforeWriting()
{
    QFETCH(QStringList, fields);
    QFETCH(QString, named);
    TestDatabase db;
    platform::TestDoubles doubles;
    departureWithoutCodes(db, QStringLiteral("1"));
    departureWithoutCodes(db, QStringLiteral("2"));
    OutgoingCompletionDialog f(db.session());
    f.show();
    QApplication::processEvents();
    edit(&f, "carrierCodeEdit")->setText(QStringLiteral("7"));
    edit(&f, "buyerCodeEdit")->setText(QStringLiteral("8"));
    edit(&f, "certificateOutEdit")->setText(QStringLiteral("KI"));
    for (const QString& field : fields)
        edit(&f, qPrintable(field))->setText(edit(&f, qPrintable(field))->text() + QStringLiteral("ț"));
    button(&f, "completeButton")->click();
    QCOMPARE(doubles.messageTexts(), QStringList{unstorableTextMessage(named, QStringLiteral("\"ț\" (U+021B)"))});
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE kskod = '' AND kfkod = ''")), QStringLiteral("2"));
    QVERIFY(!db.session().transaction().inTransaction());

    // Mended, the next try completes both.
    doubles.messages.clear();
    for (const QString& field : fields)
        edit(&f, qPrintable(field))->setText(edit(&f, qPrintable(field))->text().remove(u'ț'));
    button(&f, "completeButton")->click();
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE kskod = '7' AND kfkod = '8' AND keubizki = 'KI' "
                                     "AND khkat = 'gyüjtés'")),
             QStringLiteral("2"));
}

QTEST_MAIN(OutgoingCompletionTest)
#include "test_outgoing_completion.moc"
