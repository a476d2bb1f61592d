#include "storage/shared_datasets.h"
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
    doubles.modalHandlers << [&shown, &db](QDialog* d) {
        shown = d;
        QCOMPARE(d->objectName(), QStringLiteral("carrierListDialog"));
        QCOMPARE(d->findChild<QLabel*>(QStringLiteral("headingLabel"))->text(), QStringLiteral("A lista, \"Rendszám\" szerint"));
        db.session().carriers().list().next();
        d->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();  // "Mégsem"
    };
    QCOMPARE(pickCarrier(db.session(), nullptr), second);
    QVERIFY(!shown);  // destroyed when it closed
    // The list stays open and positioned for the caller's bound labels.
    QVERIFY(db.session().carriers().list().active());
    QCOMPARE(db.session().carriers().list().fieldText(QStringLiteral("snev")), QStringLiteral("Nagy"));
}

void PickersTest::senderPickerHandsOverCurrentRowAfterChoose()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    db.addPartner(QStringLiteral("Alfa"));
    const QString last = db.addPartner(QStringLiteral("Béta"));
    doubles.modalHandlers << [&db](QDialog* d) {
        QCOMPARE(d->objectName(), QStringLiteral("partnerListDialog"));
        QCOMPARE(d->findChild<QLabel*>(QStringLiteral("headingLabel"))->text(), QStringLiteral("A lista, \"Név\" szerint"));
        db.session().partners().list().last();
        d->findChild<QPushButton*>(QStringLiteral("chooseButton"))->click();  // "Kiválaszt"
    };
    QCOMPARE(pickSender(db.session(), nullptr), last);
    QCOMPARE(db.session().partners().list().fieldText(QStringLiteral("fnev")), QStringLiteral("Béta"));
}

void PickersTest::emptyListsGiveEmptyCode()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    QCOMPARE(pickCarrier(db.session(), nullptr), QString());
    QCOMPARE(pickSender(db.session(), nullptr), QString());
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
    db.session().handOver().carrierCode = codes.first();
    QCOMPARE(pickCarrier(db.session(), nullptr), codes.first());
    db.session().handOver().carrierCode = codes.at(7).toLower();
    QCOMPARE(pickCarrier(db.session(), nullptr), codes.at(7));
    // A remembered code that is gone leaves the list on its first row.
    db.session().handOver().carrierCode = QStringLiteral("zzz");
    QCOMPARE(pickCarrier(db.session(), nullptr), codes.last());
}

QTEST_MAIN(PickersTest)
#include "test_pickers.moc"
