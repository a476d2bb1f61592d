#include "core/datamodule.h"
#include "core/globals.h"
#include "outgoing/eartag_picklist.h"
#include "outgoing/outgoing_entry.h"
#include "outgoing/outgoing_list.h"
#include "outgoing_fixture.h"
#include "testdb.h"
#include "ui/dbwidgets.h"
#include "ui/platform.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace fixture;

namespace {
const QString kNotArrived = QStringLiteral("Nincs ilyen fülszám a beszállitottak között !");
const QString kDispatched = QStringLiteral("Ilyen fülszám van a kiszállitottak között!");

// Carrier and buyer registered, the screen open in new mode with both picked and every field but
// the ear tag filled in.
struct NewEntry {
    TestDatabase& db;
    platform::TestDoubles& doubles;
    QString carrier;
    QString buyer;
    std::unique_ptr<TForm11> form;

    NewEntry(TestDatabase& d, platform::TestDoubles& t) : db(d), doubles(t)
    {
        carrier = db.addCarrier(QStringLiteral("ABC-123"), QStringLiteral("Kiss Fuvar"));
        buyer = db.addPartner(QStringLiteral("Vágóhíd Kft"));
        OutgoingEntryMode = QStringLiteral("Új fülszám");
        form = std::make_unique<TForm11>();
        choose(doubles, &Data->ZQ30, QStringLiteral("skod"), carrier);
        form->Button1->click();
        choose(doubles, &Data->ZQ40, QStringLiteral("fkod"), buyer);
        form->Button2->click();
        form->Edit5->setText(QStringLiteral("2011.03.15"));
        form->Edit8->setText(QStringLiteral("KI-77"));
    }
};
}  // namespace

class OutgoingEntryTest : public QObject {
    Q_OBJECT
private slots:
    void dispatchesAnArrivedAnimal();
    void refusesEarTagThatCannotLeave_data();
    void refusesEarTagThatCannotLeave();
    void validationOrder_data();
    void validationOrder();
    void changeModeKeepsItsOwnEarTag();
    void leavingTheFieldRefillsCertificateInChangeMode();
    void cancelAndCloseNeverRunTheCheck();
    void increment_data();
    void increment();
    void pickListPositionsOnPrefixInTextOrder_data();
    void pickListPositionsOnPrefixInTextOrder();
    void pickListChooseAndCancel();
    void categoryToggle();
    void focusAndTabOrder();
    void failedWritesRollBackAndRebuild();
};

void OutgoingEntryTest::dispatchesAnArrivedAnimal()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    arrival(db, QStringLiteral("1001"), QStringLiteral("EU-BE-555"));
    NewEntry e(db, doubles);
    TForm11& f = *e.form;
    showActive(&f);
    QCOMPARE(f.Edit2->text(), e.carrier);
    QCOMPARE(f.Edit3->text(), e.buyer);
    QVERIFY(!f.Button3->isEnabled());
    QVERIFY(f.Button5->isEnabled());

    focusTo(f.Edit4);
    f.Edit4->setText(QStringLiteral("1001"));
    focusTo(f.Edit8);
    QCOMPARE(f.Edit6->text(), QStringLiteral("EU-BE-555"));  // copied from the arrival
    QVERIFY(doubles.messages.isEmpty());

    f.Button5->click();
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
    const auto rows = db.rows(QStringLiteral("SELECT kskod, kfkod, kfulszam, kikelt, keubizbe, khkat, keubizki FROM kiszall"));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first(), QStringList({e.carrier, e.buyer, QStringLiteral("1001"), QStringLiteral("2011.03.15"),
                                        QStringLiteral("EU-BE-555"), QStringLiteral("gyüjtés"), QStringLiteral("KI-77")}));
    QCOMPARE(CurrentCarrierCode, e.carrier);
    QCOMPARE(CurrentSenderCode, e.buyer);
    // Saved: "Új" enabled, "OK" disabled; the list stands on its first row (nothing was opened for change).
    QVERIFY(f.Button3->isEnabled());
    QVERIFY(!f.Button5->isEnabled());
    QVERIFY(Data->ZQ21.active());
    QCOMPARE(Data->ZQ21.fieldText(QStringLiteral("kfulszam")), QStringLiteral("1001"));
    // The commit closed the register lists: the panels are empty until a picker reopens them.
    QVERIFY(!Data->ZQ30.active());

    // "Új" re-enables OK; a second dispatch of the same animal is refused.
    f.Button3->click();
    QVERIFY(f.Button5->isEnabled());
    f.Button5->click();
    QCOMPARE(doubles.lastMessage(), kDispatched);
    QCOMPARE(db.count(QStringLiteral("kiszall")), 1);
}

void OutgoingEntryTest::refusesEarTagThatCannotLeave_data()
{
    QTest::addColumn<QString>("earTag");
    QTest::addColumn<QString>("onLeaving");  // message when the field is left
    QTest::addColumn<QString>("onOk");
    QTest::newRow("never arrived") << QStringLiteral("2002") << kNotArrived << kNotArrived;
    QTest::newRow("already dispatched") << QStringLiteral("3003") << QString() << kDispatched;
    QTest::newRow("prefix of an arrival only") << QStringLiteral("300") << kNotArrived << kNotArrived;
}

void OutgoingEntryTest::refusesEarTagThatCannotLeave()
{
    QFETCH(QString, earTag);
    QFETCH(QString, onLeaving);
    QFETCH(QString, onOk);
    TestDatabase db;
    platform::TestDoubles doubles;
    NewEntry e(db, doubles);
    arrival(db, QStringLiteral("3003"));
    departure(db, QStringLiteral("3003"), e.carrier, e.buyer);
    TForm11& f = *e.form;
    showActive(&f);
    f.Edit6->setText(QStringLiteral("kézzel"));
    focusTo(f.Edit4);
    f.Edit4->setText(earTag);
    focusTo(f.Edit8);
    if (onLeaving.isEmpty()) {
        QVERIFY(doubles.messages.isEmpty());
        QCOMPARE(QApplication::focusWidget(), f.Edit8);
    } else {
        QCOMPARE(doubles.messageTexts(), QStringList{onLeaving});
        QCOMPARE(QApplication::focusWidget(), f.Edit4);  // the user cannot move on
        QCOMPARE(f.Edit6->text(), QStringLiteral("kézzel"));
    }
    doubles.messages.clear();
    f.Button5->click();
    QCOMPARE(doubles.messageTexts(), QStringList{onOk});
    QCOMPARE(QApplication::focusWidget(), f.Edit4);
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE kfulszam = '%1'").arg(earTag)),
             earTag == QStringLiteral("3003") ? QStringLiteral("1") : QStringLiteral("0"));
    QVERIFY(f.Button5->isEnabled());
}

void OutgoingEntryTest::validationOrder_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::newRow("1 carrier") << "Edit2" << "  " << "Nincs megadva a szállító!" << "Button1";
    QTest::newRow("2 buyer") << "Edit3" << "" << "Nincs megadva a vevö!" << "Button2";
    QTest::newRow("3 ear tag") << "Edit4" << "" << "Nincs megadva a fülszám!" << "Edit4";
    QTest::newRow("4 date empty") << "Edit5" << " " << "Nincs megadva a kiszállitás kelte!" << "Edit5";
    QTest::newRow("5 date invalid") << "Edit5" << "2011.02.30" << "A dátum formátuma nem megfelelő!" << "Edit5";
    QTest::newRow("6 date early") << "Edit5" << "2009.12.31" << "Kiszállitás kelte kisebb mint 2010.01.01 -nél!"
                                  << "Edit5";
    QTest::newRow("7 cert in") << "Edit6" << "" << "Nincs megadva a eü. bizonyitvány ((be) száma!" << "Edit6";
    QTest::newRow("8 category") << "Edit7" << "" << "Nincs megadva a hasznositási kategória!" << "Edit7";
    QTest::newRow("9 cert out") << "Edit8" << "" << "Nincs megadva az eü. bizonyitvány (ki) száma!" << "Edit8";
    QTest::newRow("first day passes") << "Edit5" << "2010.01.01" << "" << "";
}

void OutgoingEntryTest::validationOrder()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    TestDatabase db;
    platform::TestDoubles doubles;
    NewEntry e(db, doubles);
    arrival(db, QStringLiteral("1001"));
    TForm11& f = *e.form;
    showActive(&f);
    f.Edit4->setText(QStringLiteral("1001"));
    f.Edit6->setText(QStringLiteral("BE-1"));
    // Every later field is emptied too: the first failing step must win.
    const QStringList order = {"Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7", "Edit8"};
    auto* target = f.findChild<QLineEdit*>(field);
    target->setText(value);
    if (!message.isEmpty())
        for (int i = order.indexOf(field) + 1; i < order.size(); ++i)
            f.findChild<QLineEdit*>(order.at(i))->clear();
    f.Button5->click();
    if (message.isEmpty()) {
        QVERIFY(doubles.messages.isEmpty());
        QCOMPARE(db.value(QStringLiteral("SELECT kikelt FROM kiszall")), value);
        return;
    }
    QCOMPARE(doubles.messageTexts(), QStringList{message});
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    QCOMPARE(db.count(QStringLiteral("kiszall")), 0);
    QVERIFY(f.Button5->isEnabled());
}

void OutgoingEntryTest::changeModeKeepsItsOwnEarTag()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const QString carrier = db.addCarrier(QStringLiteral("ABC-123"), QStringLiteral("Kiss"));
    const QString buyer = db.addPartner(QStringLiteral("Vevő"));
    for (const char* tag : {"1001", "1002", "1003"})
        arrival(db, QString::fromLatin1(tag), QStringLiteral("BE-") + QString::fromLatin1(tag));
    departure(db, QStringLiteral("1001"), carrier, buyer);
    departure(db, QStringLiteral("1002"), carrier, buyer);
    const QString id = db.value(QStringLiteral("SELECT idk FROM kiszall WHERE kfulszam = '1001'"));

    TForm10 list;
    list.rebuildList();
    QVERIFY(Data->ZQ22.locate(QStringLiteral("IDk"), id));
    OutgoingEntryMode = QStringLiteral("Fülszám módositás");
    TForm11 f;
    QVERIFY(f.LoadForChange());
    QCOMPARE(f.windowTitle(), QStringLiteral("Fülszám módositás"));
    QCOMPARE(f.Edit1->text(), id);
    QCOMPARE(f.Edit4->text(), QStringLiteral("1001"));
    QCOMPARE(f.Edit5->text(), QStringLiteral("2011.03.10"));
    QCOMPARE(CurrentOutgoingId, id);
    QCOMPARE(Data->ZQ30.fieldText(QStringLiteral("skod")), carrier);
    QCOMPARE(Data->ZQ21.fieldText(QStringLiteral("IDk")), id);
    QVERIFY(!f.CheckBox1->isEnabled());

    // Own ear tag kept, other data changed: saved.
    f.Edit5->setText(QStringLiteral("2011.04.01"));
    f.Edit8->setText(QStringLiteral("KI-NEW"));
    f.Button5->click();
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
    QCOMPARE(db.rows(QStringLiteral("SELECT kfulszam, kikelt, keubizki FROM kiszall WHERE idk = %1").arg(id)).first(),
             QStringList({QStringLiteral("1001"), QStringLiteral("2011.04.01"), QStringLiteral("KI-NEW")}));
    QCOMPARE(Data->ZQ21.fieldText(QStringLiteral("IDk")), id);  // the list stands on the changed row

    // Another dispatched animal's ear tag is refused; one still on site is taken.
    f.Button3->click();
    f.Edit4->setText(QStringLiteral("1002"));
    f.Button5->click();
    QCOMPARE(doubles.messageTexts(), QStringList{kDispatched});
    f.Edit4->setText(QStringLiteral("1003"));
    f.Button5->click();
    QCOMPARE(doubles.messageTexts(), QStringList{kDispatched});
    QCOMPARE(db.value(QStringLiteral("SELECT kfulszam FROM kiszall WHERE idk = %1").arg(id)), QStringLiteral("1003"));
    QCOMPARE(db.count(QStringLiteral("kiszall")), 2);
}

void OutgoingEntryTest::leavingTheFieldRefillsCertificateInChangeMode()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const QString carrier = db.addCarrier(QStringLiteral("ABC-123"), QStringLiteral("Kiss"));
    const QString buyer = db.addPartner(QStringLiteral("Vevő"));
    arrival(db, QStringLiteral("1001"), QStringLiteral("ARRIVAL-CERT"));
    departure(db, QStringLiteral("1001"), carrier, buyer);  // certificate in "BE-1"
    TForm10 list;
    list.rebuildList();
    OutgoingEntryMode = QStringLiteral("Fülszám módositás");
    TForm11 f;
    QVERIFY(f.LoadForChange());
    QCOMPARE(f.Edit6->text(), QStringLiteral("BE-1"));
    showActive(&f);
    focusTo(f.Edit4);
    focusTo(f.Edit8);
    QCOMPARE(f.Edit6->text(), QStringLiteral("ARRIVAL-CERT"));
    f.Edit6->setText(QStringLiteral("typed"));
    focusTo(f.Edit4);
    focusTo(f.Edit5);  // every time the field is left
    QCOMPARE(f.Edit6->text(), QStringLiteral("ARRIVAL-CERT"));
    QVERIFY(doubles.messages.isEmpty());
}

void OutgoingEntryTest::cancelAndCloseNeverRunTheCheck()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    OutgoingEntryMode = QStringLiteral("Új fülszám");
    {
        // "Mégsem" clicked with an unknown ear tag in the field: the screen closes without a word.
        TForm11 f;
        showActive(&f);
        focusTo(f.Edit4);
        f.Edit4->setText(QStringLiteral("999"));
        QTest::mouseClick(f.Button6, Qt::LeftButton);
        QApplication::processEvents();
        QApplication::processEvents();
        QVERIFY(!f.isVisible());
        QVERIFY(doubles.messages.isEmpty());
    }
    {
        // Tabbing onto "Mégsem" and pressing it.
        TForm11 f;
        showActive(&f);
        focusTo(f.Edit4);
        f.Edit4->setText(QStringLiteral("999"));
        focusTo(f.Button6);
        QVERIFY(doubles.messages.isEmpty());
        QTest::keyClick(f.Button6, Qt::Key_Space);
        QApplication::processEvents();
        QVERIFY(!f.isVisible());
        QVERIFY(doubles.messages.isEmpty());
    }
    {
        // The window's close button.
        TForm11 f;
        showActive(&f);
        focusTo(f.Edit4);
        f.Edit4->setText(QStringLiteral("999"));
        f.close();
        QApplication::processEvents();
        QApplication::processEvents();
        QVERIFY(!f.isVisible());
        QVERIFY(doubles.messages.isEmpty());
    }
    {
        // Escape in the field closes the dialog like any other: no check on the way out.
        TForm11 f;
        showActive(&f);
        focusTo(f.Edit4);
        QTest::keyClicks(f.Edit4, QStringLiteral("999"));
        QTest::keyClick(f.Edit4, Qt::Key_Escape);
        QApplication::processEvents();
        QApplication::processEvents();
        QVERIFY(!f.isVisible());
        QVERIFY(doubles.messages.isEmpty());
    }
    {
        // Control: moving to any other field runs it.
        TForm11 f;
        showActive(&f);
        focusTo(f.Edit4);
        f.Edit4->setText(QStringLiteral("999"));
        focusTo(f.Edit7);
        QCOMPARE(doubles.messageTexts(), QStringList{kNotArrived});
    }
}

void OutgoingEntryTest::increment_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("refused");
    QTest::newRow("leading zeros dropped") << "0012" << true << "13" << false;
    QTest::newRow("carry") << "999" << true << "1000" << false;
    QTest::newRow("last that fits") << "2147483646" << true << "2147483647" << false;
    QTest::newRow("largest does not wrap") << "2147483647" << true << "" << true;
    QTest::newRow("above 32 bits") << "4000000000" << true << "" << true;
    QTest::newRow("empty") << "" << true << "" << true;
    QTest::newRow("not ticked") << "0012" << false << "0012" << false;
}

void OutgoingEntryTest::increment()
{
    QFETCH(QString, before);
    QFETCH(bool, ticked);
    QFETCH(QString, after);
    QFETCH(bool, refused);
    TestDatabase db;
    platform::TestDoubles doubles;
    OutgoingEntryMode = QStringLiteral("Új fülszám");
    TForm11 f;
    f.Button3->setEnabled(true);
    f.Button5->setEnabled(false);
    f.Edit4->setText(before);
    f.Edit8->setText(QStringLiteral("kept"));
    f.CheckBox1->setChecked(ticked);
    f.Button3->click();
    QCOMPARE(f.Edit4->text(), after);
    QCOMPARE(doubles.messageTexts(),
             refused ? QStringList{QStringLiteral("A fülszám nem csak számot tartalmaz!")} : QStringList{});
    QVERIFY(!f.Button3->isEnabled());
    QVERIFY(f.Button5->isEnabled());
    QCOMPARE(f.Edit8->text(), QStringLiteral("kept"));
}

void OutgoingEntryTest::pickListPositionsOnPrefixInTextOrder_data()
{
    QTest::addColumn<QString>("partial");
    QTest::addColumn<QString>("current");
    QTest::newRow("prefix") << "12" << "12";
    QTest::newRow("longer prefix") << "125" << "1250";
    QTest::newRow("trailing blanks ignored") << "13  " << "13";
    QTest::newRow("dispatched skipped") << "120" << "100";
    QTest::newRow("no match") << "7" << "100";
    QTest::newRow("empty") << "" << "100";
    QTest::newRow("case-sensitive") << "a" << "100";
}

void OutgoingEntryTest::pickListPositionsOnPrefixInTextOrder()
{
    QFETCH(QString, partial);
    QFETCH(QString, current);
    TestDatabase db;
    platform::TestDoubles doubles;
    for (const char* tag : {"99", "13", "1250", "120", "100", "12", "A1"})
        arrival(db, QString::fromLatin1(tag));
    departure(db, QStringLiteral("120"), QStringLiteral("1"), QStringLiteral("1"));
    PartialEarTag = partial;
    TForm12 pick;
    QStringList order;
    for (int r = 0; r < Data->ZQ14.recordCount(); ++r)
        order << Data->ZQ14.cellText(r, Data->ZQ14.fieldIndex(QStringLiteral("bfulszam")));
    // Text order: 100 before 99; the dispatched 120 is not offered.
    QCOMPARE(order, QStringList({"100", "12", "1250", "13", "99", "A1"}));
    QCOMPARE(Data->ZQ14.fieldText(QStringLiteral("bfulszam")), current);
    QCOMPARE(pick.DBGrid1->currentIndex().row(), Data->ZQ14.recNo());
}

void OutgoingEntryTest::pickListChooseAndCancel()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    for (const char* tag : {"1200", "1210", "1300"})
        arrival(db, QString::fromLatin1(tag));
    OutgoingEntryMode = QStringLiteral("Új fülszám");
    TForm11 f;
    showActive(&f);
    focusTo(f.Edit4);
    f.Edit4->setText(QStringLiteral("121"));

    // A double-click opens the list on the typed prefix; it is not leaving the field.
    doubles.modalHandlers << [](QDialog* d) {
        QCOMPARE(d->objectName(), QStringLiteral("Form12"));
        QCOMPARE(Data->ZQ14.fieldText(QStringLiteral("bfulszam")), QStringLiteral("1210"));
        Data->ZQ14.next();
        static_cast<TForm12*>(d)->Button1->click();  // "Kiválaszt"
    };
    QTest::mouseDClick(f.Edit4, Qt::LeftButton);
    QApplication::processEvents();
    QCOMPARE(PartialEarTag, QStringLiteral("121"));
    QCOMPARE(doubles.modalsShown, QStringList{QStringLiteral("Form12")});
    QCOMPARE(f.Edit4->text(), QStringLiteral("1300"));
    QVERIFY(doubles.messages.isEmpty());

    // "Mégsem" changes nothing; an unknown typed beginning still gets no exit check on the way.
    f.Edit4->setText(QStringLiteral("77"));
    doubles.modalHandlers << [](QDialog* d) {
        Data->ZQ14.last();
        static_cast<TForm12*>(d)->Button3->click();  // "Mégsem"
    };
    QTest::mouseDClick(f.Edit4, Qt::LeftButton);
    QApplication::processEvents();
    QApplication::processEvents();
    QCOMPARE(f.Edit4->text(), QStringLiteral("77"));
    QVERIFY(doubles.messages.isEmpty());
}

void OutgoingEntryTest::categoryToggle()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    OutgoingEntryMode = QStringLiteral("Új fülszám");
    TForm11 f;
    QCOMPARE(f.Edit7->text(), QStringLiteral("gyüjtés"));
    QStringList seen;
    for (int i = 0; i < 3; ++i) {
        QTest::mouseDClick(f.Edit7, Qt::LeftButton);
        seen << f.Edit7->text();
    }
    QCOMPARE(seen, QStringList({"hizlalás", "vágás", "hizlalás"}));
}

void OutgoingEntryTest::focusAndTabOrder()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    arrival(db, QStringLiteral("1001"));
    OutgoingEntryMode = QStringLiteral("Új fülszám");
    TForm11 f;
    showActive(&f);
    QCOMPARE(QApplication::focusWidget(), f.Edit5);

    // The whole chain, disabled controls included, as Tab would take it when they are enabled.
    QStringList chain;
    QWidget* w = f.Edit5;
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            chain << w->objectName();
        w = w->nextInFocusChain();
    } while (w != f.Edit5);
    QCOMPARE(chain, QStringList({"Edit5", "Edit7", "Edit4", "Edit8", "Edit6", "Button3", "Button5", "Button6",
                                 "Button1", "Button2", "Edit1", "Edit2", "Edit3", "DBGrid1", "nbFirst", "nbPrior",
                                 "nbNext", "nbLast", "CheckBox1"}));

    // Tab leaves the date and ear-tag fields, whose key filters take no other character.
    QTest::keyClicks(f.Edit5, QStringLiteral("2011a.03.15"));
    QCOMPARE(f.Edit5->text(), QStringLiteral("2011.03.15"));
    QTest::keyClick(f.Edit5, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), f.Edit7);
    QTest::keyClick(f.Edit7, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), f.Edit4);
    QTest::keyClicks(f.Edit4, QStringLiteral("10x01"));
    QCOMPARE(f.Edit4->text(), QStringLiteral("1001"));
    QTest::keyClick(f.Edit4, Qt::Key_Tab);
    QApplication::processEvents();
    QCOMPARE(QApplication::focusWidget(), f.Edit8);
    QTest::keyClick(f.Edit8, Qt::Key_Tab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), f.Edit4);
    QVERIFY(doubles.messages.isEmpty());
}

void OutgoingEntryTest::failedWritesRollBackAndRebuild()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    {
        // New mode: a category too long for its column makes the insert fail.
        NewEntry e(db, doubles);
        arrival(db, QStringLiteral("1001"));
        TForm11& f = *e.form;
        f.Edit4->setText(QStringLiteral("1001"));
        f.Edit6->setText(QStringLiteral("BE-1"));
        f.Edit7->setText(QString(30, u'x'));
        f.Button5->click();
        QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba112: Újban, INSERT a kiszallitásban ")});
        QCOMPARE(db.count(QStringLiteral("kiszall")), 0);
        QVERIFY(Data->ZQ21.active());  // rebuilt
        QVERIFY(f.Button3->isEnabled());
        QVERIFY(!f.Button5->isEnabled());
    }
    doubles.messages.clear();
    {
        // Change mode: another user holds the row.
        departure(db, QStringLiteral("1001"), QStringLiteral("1"), QStringLiteral("1"));
        const QString id = db.value(QStringLiteral("SELECT idk FROM kiszall"));
        TForm10 list;
        list.rebuildList();
        OutgoingEntryMode = QStringLiteral("Fülszám módositás");
        TForm11 f;
        QVERIFY(f.LoadForChange());
        f.Edit8->setText(QStringLiteral("KI-NEW"));
        ForeignChange other(db, QStringLiteral("UPDATE kiszall SET khkat = 'más' WHERE idk = %1").arg(id));
        f.Button5->click();
        QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba113: Módositás, Update a kiszállításban ")});
        QVERIFY(f.Button3->isEnabled());
        QCOMPARE(Data->ZQ21.fieldText(QStringLiteral("IDk")), id);
    }
    QCOMPARE(db.value(QStringLiteral("SELECT keubizki FROM kiszall")), QStringLiteral("KI-1"));
}

QTEST_MAIN(OutgoingEntryTest)
#include "test_outgoing_entry.moc"
