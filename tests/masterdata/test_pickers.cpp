#include "core/datamodule.h"
#include "core/handover.h"
#include "masterdata/carrier_list.h"
#include "masterdata/partner_list.h"
#include "masterdata/pickers.h"
#include "testdb.h"
#include "ui/dbwidgets.h"
#include "ui/platform.h"

#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

class PickersTest : public QObject {
    Q_OBJECT
private slots:
    void carrierPickerHandsOverCurrentRowAfterCancel();
    void senderPickerHandsOverCurrentRowAfterChoose();
    void emptyListsGiveEmptyCode();
    void pickerPositionsOnRememberedCode();
};

void PickersTest::carrierPickerHandsOverCurrentRowAfterCancel()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    db.addCarrier(QStringLiteral("AAA-111"), QStringLiteral("Kiss"));
    const QString second = db.addCarrier(QStringLiteral("BBB-222"), QStringLiteral("Nagy"));
    db.addCarrier(QStringLiteral("CCC-333"), QStringLiteral("Szabó"));
    QPointer<QDialog> shown;
    doubles.modalHandlers << [&shown](QDialog* d) {
        shown = d;
        QCOMPARE(d->objectName(), QStringLiteral("Form6"));
        QCOMPARE(d->findChild<QLabel*>(QStringLiteral("Label2"))->text(), QStringLiteral("A lista, \"Rendszám\" szerint"));
        Data->ZQ30.next();
        d->findChild<QPushButton*>(QStringLiteral("Button5"))->click();  // "Mégsem"
    };
    QCOMPARE(pickCarrier(nullptr), second);
    QVERIFY(!shown);  // destroyed when it closed
    // The list stays open and positioned for the caller's bound labels.
    QVERIFY(Data->ZQ30.active());
    QCOMPARE(Data->ZQ30.fieldText(QStringLiteral("snev")), QStringLiteral("Nagy"));
}

void PickersTest::senderPickerHandsOverCurrentRowAfterChoose()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    db.addPartner(QStringLiteral("Alfa"));
    const QString last = db.addPartner(QStringLiteral("Béta"));
    doubles.modalHandlers << [](QDialog* d) {
        QCOMPARE(d->objectName(), QStringLiteral("Form4"));
        QCOMPARE(d->findChild<QLabel*>(QStringLiteral("Label6"))->text(), QStringLiteral("A lista, \"Név\" szerint"));
        Data->ZQ40.last();
        d->findChild<QPushButton*>(QStringLiteral("Button1"))->click();  // "Kiválaszt"
    };
    QCOMPARE(pickSender(nullptr), last);
    QCOMPARE(Data->ZQ40.fieldText(QStringLiteral("fnev")), QStringLiteral("Béta"));
}

void PickersTest::emptyListsGiveEmptyCode()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    QCOMPARE(pickCarrier(nullptr), QString());
    QCOMPARE(pickSender(nullptr), QString());
    QVERIFY(doubles.messages.isEmpty());
}

void PickersTest::pickerPositionsOnRememberedCode()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    QStringList codes;
    for (int i = 0; i < 15; ++i)
        codes << db.addCarrier(QStringLiteral("R%1").arg(99 - i), QStringLiteral("N%1").arg(i));
    // Listed by registration number, so the carrier coded "15" comes before the one coded "1".
    handOver().carrierCode = codes.first();
    QCOMPARE(pickCarrier(nullptr), codes.first());
    handOver().carrierCode = codes.at(7).toLower();
    QCOMPARE(pickCarrier(nullptr), codes.at(7));
    // A remembered code that is gone leaves the list on its first row.
    handOver().carrierCode = QStringLiteral("zzz");
    QCOMPARE(pickCarrier(nullptr), codes.last());
}

QTEST_MAIN(PickersTest)
#include "test_pickers.moc"
