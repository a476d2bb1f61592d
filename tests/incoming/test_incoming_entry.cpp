#include "storage/shared_datasets.h"
#include "core/handover.h"
#include "incoming/incoming_entry.h"
#include "incoming/incoming_list.h"
#include "screens.h"
#include "storage/session.h"
#include "testdb.h"
#include "ui/dbwidgets.h"
#include "ui/platform.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

const QString kChangeCaption = QStringLiteral("Fülszám módositás");

// Two carriers and two senders; the "B" ones are the ones picked.
struct Registers {
    QString carrierA, carrierB, senderA, senderB;
};

Registers addRegisters(TestDatabase& db)
{
    Registers r;
    r.carrierA = db.addCarrier(QStringLiteral("AAA-111"), QStringLiteral("Kiss Fuvar"));
    r.carrierB = db.addCarrier(QStringLiteral("BBB-222"), QStringLiteral("Nagy Fuvar"), QStringLiteral("Pécs"));
    r.senderA = db.addPartner(QStringLiteral("Alfa Kft"));
    r.senderB = db.addPartner(QStringLiteral("Béta Bt"), QStringLiteral("Győr"), QStringLiteral("TK-9"));
    return r;
}

// The pickers, as a user would use them: move the list onto the wanted code and close it.
void scriptCarrierPick(platform::TestDoubles& doubles, const QString& code)
{
    doubles.modalHandlers << [code](QDialog* d) {
        QCOMPARE(d->objectName(), QStringLiteral("carrierListDialog"));
        QVERIFY(Data->ZQ30.locate(QStringLiteral("skod"), code));
    };
}

void scriptSenderPick(platform::TestDoubles& doubles, const QString& code)
{
    doubles.modalHandlers << [code](QDialog* d) {
        QCOMPARE(d->objectName(), QStringLiteral("partnerListDialog"));
        QVERIFY(Data->ZQ40.locate(QStringLiteral("fkod"), code));
    };
}

// Fills every field of a new arrival so that it passes validation.
void fillValid(QWidget& f, const QString& carrier, const QString& sender, const QString& tag)
{
    edit(&f, "Edit2")->setText(carrier);
    edit(&f, "Edit3")->setText(sender);
    edit(&f, "Edit4")->setText(tag);
    edit(&f, "Edit5")->setText(QStringLiteral("2011.03.01"));
    edit(&f, "Edit6")->setText(QStringLiteral("2011.02.27"));
    edit(&f, "Edit7")->setText(QStringLiteral("gyüjtés"));
    edit(&f, "Edit8")->setText(QStringLiteral("EU-1"));
}

// "OK" can be pressed, "Új" not: the screen waits for an animal.
bool isReady(const QWidget& f) { return button(&f, "Button5")->isEnabled() && !button(&f, "Button3")->isEnabled(); }
// One animal saved: "Új" is next.
bool isSaved(const QWidget& f) { return !button(&f, "Button5")->isEnabled() && button(&f, "Button3")->isEnabled(); }

void insertArrival(TestDatabase& db, const QString& carrier, const QString& sender, const QString& tag,
                   const QString& date = QStringLiteral("2011-03-01"))
{
    db.exec(QStringLiteral("INSERT INTO beszall (bskod, bfkod, bfulszam, bszkelt, bvkelt, bhkat, beubiz) "
                           "VALUES ('%1', '%2', '%3', '%4', '%4', 'gyüjtés', 'EU-0')")
                .arg(carrier, sender, tag, date));
}

QWidget* focusOf(QWidget* window)
{
    QApplication::processEvents();
    return window->focusWidget();
}

}  // namespace

class IncomingEntryTest : public QObject {
    Q_OBJECT
private slots:
    void wholeDeliveryWithNewAndIncrement();
    void incrementOfEarTag_data();
    void incrementOfEarTag();
    void validationInOrder_data();
    void validationInOrder();
    void duplicateInNewMode();
    void duplicateInChangeMode();
    void changeModeLoadsAndUpdates();
    void changeModeOfDepartedAnimal();
    void greyedCodesCanBeRead();
    void changeAfterRegisterWriteInPicker();
    void writtenForDepartureToo();
    void failingInsertWritesNothingElse_data();
    void failingInsertWritesNothingElse();
    void failingDepartureInsertLeavesScreenReady();
    void failingUpdateIsRolledBack_data();
    void failingUpdateIsRolledBack();
    void keyboardEntry();
    void categoryDoubleClickToggles();
    void longListLandsOnNewestOrRememberedRow_data();
    void longListLandsOnNewestOrRememberedRow();
};

void IncomingEntryTest::wholeDeliveryWithNewAndIncrement()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const Registers r = addRegisters(db);
    IncomingEntryDialog f(EntryMode::New);
    f.show();
    QCOMPARE(f.windowTitle(), QStringLiteral("Fülszám bevitel (beszállítás)"));
    QVERIFY(isReady(f));
    QVERIFY(checkBox(&f, "CheckBox1")->isChecked());
    QVERIFY(!checkBox(&f, "CheckBox2")->isChecked());
    QCOMPARE(edit(&f, "Edit7")->text(), QStringLiteral("gyüjtés"));
    QVERIFY(Data->ZQ11.active());

    scriptCarrierPick(doubles, r.carrierB);
    f.chooseCarrier();
    QCOMPARE(edit(&f, "Edit2")->text(), r.carrierB);
    QCOMPARE(shown(&f, "DBText2"), QStringLiteral("Nagy Fuvar"));
    QCOMPARE(shown(&f, "DBText6"), r.carrierB);
    scriptSenderPick(doubles, r.senderB);
    f.chooseSender();
    QCOMPARE(edit(&f, "Edit3")->text(), r.senderB);
    QCOMPARE(shown(&f, "DBText7"), QStringLiteral("Béta Bt"));
    QCOMPARE(shown(&f, "DBText13"), r.senderB);

    edit(&f, "Edit5")->setText(QStringLiteral("2011.03.01"));
    edit(&f, "Edit6")->setText(QStringLiteral("2011.02.27"));
    f.toggleCategory();
    edit(&f, "Edit4")->setText(QStringLiteral("0098"));
    edit(&f, "Edit8")->setText(QStringLiteral("HU-EU 77/2011"));

    const int kodColumn = 8;
    const QAbstractItemModel* grid = child<DBGrid>(&f, "DBGrid1")->model();
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            f.prepareNextEarTag();  // "Új"
            QVERIFY(isReady(f));
            // Before the save the list statement has no code: the "Kód" column is empty.
            QVERIFY(Data->ZQ11.active());
            QCOMPARE(grid->data(grid->index(0, kodColumn)).toString(), QString());
            // The carrier and sender panels show the kept codes again.
            QCOMPARE(shown(&f, "DBText6"), r.carrierB);
            QCOMPARE(shown(&f, "DBText13"), r.senderB);
        }
        f.saveArrival();  // "OK"
        QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
        QVERIFY(isSaved(f));
        QCOMPARE(handOver().carrierCode, r.carrierB);
        QCOMPARE(handOver().partnerCode, r.senderB);
        // After the save the list shows the codes the database gave, ending on the newest row.
        QCOMPARE(Data->ZQ11.fieldText(QStringLiteral("bfulszam")), edit(&f, "Edit4")->text());
        QVERIFY(!Data->ZQ11.fieldText(QStringLiteral("Bkod")).isEmpty());
        const int row = Data->ZQ11.recNo();
        QCOMPARE(grid->data(grid->index(row, kodColumn)).toString(), Data->ZQ11.fieldText(QStringLiteral("Bkod")));
    }
    // The ear tag 0098 is stored as typed; the increments read it as a number.
    const auto rows = db.rows(QStringLiteral(
        "SELECT bskod, bfkod, bfulszam, bszkelt, bvkelt, bhkat, beubiz FROM beszall ORDER BY idb"));
    const QList<QStringList> expected = {
        {r.carrierB, r.senderB, QStringLiteral("0098"), QStringLiteral("2011.03.01"), QStringLiteral("2011.02.27"),
         QStringLiteral("hizlalás"), QStringLiteral("HU-EU 77/2011")},
        {r.carrierB, r.senderB, QStringLiteral("99"), QStringLiteral("2011.03.01"), QStringLiteral("2011.02.27"),
         QStringLiteral("hizlalás"), QStringLiteral("HU-EU 77/2011")},
        {r.carrierB, r.senderB, QStringLiteral("100"), QStringLiteral("2011.03.01"), QStringLiteral("2011.02.27"),
         QStringLiteral("hizlalás"), QStringLiteral("HU-EU 77/2011")},
    };
    QCOMPARE(rows, expected);
    QCOMPARE(db.count(QStringLiteral("kiszall")), 0);
    // One OK saves one row: a second press without "Új" is not possible.
    QVERIFY(!button(&f, "Button5")->isEnabled());
}

void IncomingEntryTest::incrementOfEarTag_data()
{
    QTest::addColumn<bool>("increment");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("message");
    QTest::newRow("leading zeros") << true << "0012" << "13" << "";
    QTest::newRow("carry") << true << "999" << "1000" << "";
    QTest::newRow("15 digits") << true << "999999999999999" << "1000000000000000" << "";
    QTest::newRow("more than 15 digits, exact") << true << "12345678901234567899" << "12345678901234567900" << "";
    QTest::newRow("empty") << true << "" << "" << "A fülszám nem csak számot tartalmaz!";
    QTest::newRow("pasted letters") << true << "12A" << "" << "A fülszám nem csak számot tartalmaz!";
    QTest::newRow("box clear") << false << "0012" << "0012" << "";
}

void IncomingEntryTest::incrementOfEarTag()
{
    QFETCH(bool, increment);
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QString, message);
    TestDatabase db;
    platform::TestDoubles doubles;
    IncomingEntryDialog f(EntryMode::New);
    checkBox(&f, "CheckBox1")->setChecked(increment);
    checkBox(&f, "CheckBox2")->setChecked(true);
    edit(&f, "Edit4")->setText(before);
    edit(&f, "Edit5")->setText(QStringLiteral("2011.01.02"));
    edit(&f, "Edit8")->setText(QStringLiteral("EU"));
    f.prepareNextEarTag();
    QCOMPARE(edit(&f, "Edit4")->text(), after);
    QCOMPARE(doubles.lastMessage(), message);
    // Nothing else changes.
    QCOMPARE(edit(&f, "Edit5")->text(), QStringLiteral("2011.01.02"));
    QCOMPARE(edit(&f, "Edit8")->text(), QStringLiteral("EU"));
    QVERIFY(checkBox(&f, "CheckBox2")->isChecked());
    QVERIFY(isReady(f));
}

void IncomingEntryTest::validationInOrder_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    const QString badDate = QStringLiteral("A dátum formátuma nem megfelelő!");
    QTest::newRow("1 no carrier") << "Edit2" << "  " << "Nincs megadva a szállító!" << "Button1";
    QTest::newRow("2 no sender") << "Edit3" << "" << "Nincs megadva a feladó!" << "Button2";
    QTest::newRow("3 no ear tag") << "Edit4" << " " << "Nincs megadva a fülszám!" << "Edit4";
    QTest::newRow("4 no arrival") << "Edit5" << "   " << "Nincs megadva a beérkezés kelte!" << "Edit5";
    QTest::newRow("5 impossible arrival") << "Edit5" << "2011.02.30" << badDate << "Edit5";
    QTest::newRow("5 arrival not a date") << "Edit5" << "2011.0230" << badDate << "Edit5";
    QTest::newRow("6 arrival before 2010") << "Edit5" << "2009.12.31"
                                           << "A megvásárlás kelte kisebb 2010.01.01 -nél!" << "Edit5";
    QTest::newRow("6 first day passes") << "Edit5" << "2010.01.01" << "" << "";
    QTest::newRow("6 short form passes") << "Edit5" << "2011.3.5" << "" << "";
    QTest::newRow("7 no purchase") << "Edit6" << "" << "Nincs megadva a megvásárlás kelte!" << "Edit6";
    QTest::newRow("8 impossible purchase") << "Edit6" << "2011.13.01" << badDate << "Edit6";
    QTest::newRow("8 purchase before 2010 passes") << "Edit6" << "2009.12.31" << "" << "";
    QTest::newRow("9 no category") << "Edit7" << " " << "Nincs megadva a hasznositási kategória!" << "Edit7";
    QTest::newRow("10 no certificate") << "Edit8" << "" << "Nincs megadva az eü. bizonyitvány száma!" << "Edit8";
}

void IncomingEntryTest::validationInOrder()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    TestDatabase db;
    platform::TestDoubles doubles;
    const Registers r = addRegisters(db);
    IncomingEntryDialog f(EntryMode::New);
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    fillValid(f, r.carrierA, r.senderA, QStringLiteral("4711"));
    // Every later field empty too: the first failing step is the one that speaks.
    bool later = false;
    for (const char* name : {"Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7", "Edit8"}) {
        QLineEdit* e = edit(&f, name);
        if (e->objectName() == field) {
            e->setText(value);
            later = true;
        } else if (later && !message.isEmpty()) {
            e->clear();
        }
    }
    edit(&f, "Edit5")->setFocus();
    f.saveArrival();
    if (message.isEmpty()) {
        QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
        QCOMPARE(db.count(QStringLiteral("beszall")), 1);
        QVERIFY(isSaved(f));
        return;
    }
    QCOMPARE(doubles.messageTexts(), QStringList{message});
    QCOMPARE(doubles.messages.first().kind, platform::BoxKind::Plain);
    QCOMPARE(focusOf(&f)->objectName(), focus);
    QCOMPARE(db.count(QStringLiteral("beszall")), 0);
    QVERIFY(isReady(f));
}

void IncomingEntryTest::duplicateInNewMode()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const Registers r = addRegisters(db);
    insertArrival(db, r.carrierA, r.senderA, QStringLiteral("500"));
    IncomingEntryDialog f(EntryMode::New);
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    fillValid(f, r.carrierA, r.senderA, QStringLiteral("500"));
    f.saveArrival();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Ilyen fülszám van a beszállitottak között - 1!")});
    QCOMPARE(focusOf(&f), edit(&f, "Edit4"));
    QCOMPARE(db.count(QStringLiteral("beszall")), 1);
    QVERIFY(isReady(f));
    // The check compares the ear tag as typed: "0500" is another ear tag.
    edit(&f, "Edit4")->setText(QStringLiteral("0500"));
    f.saveArrival();
    QCOMPARE(doubles.messages.size(), 1);
    QCOMPARE(db.count(QStringLiteral("beszall")), 2);
}

void IncomingEntryTest::duplicateInChangeMode()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const Registers r = addRegisters(db);
    insertArrival(db, r.carrierA, r.senderA, QStringLiteral("500"));  // IDb 1
    insertArrival(db, r.carrierA, r.senderA, QStringLiteral("500"));  // IDb 2, already a duplicate
    insertArrival(db, r.carrierA, r.senderA, QStringLiteral("600"));  // IDb 3
    IncomingListDialog list;
    struct Case {
        const char* changedId;
        const char* newTag;
        const char* message;
    };
    const Case cases[] = {
        {"3", "500", "Ilyen fülszám van a IDb = 1. sorszám alatt a beszállitottak között!"},
        {"3", "600", nullptr},  // its own ear tag
        {"1", "500", nullptr},  // the lowest row with the ear tag is the row itself
        {"2", "500", "Ilyen fülszám van a IDb = 1. sorszám alatt a beszállitottak között!"},
    };
    for (const Case& c : cases) {
        doubles.messages.clear();
        list.rebuild();
        QVERIFY(Data->ZQ12.locate(QStringLiteral("IDb"), QString::fromLatin1(c.changedId)));
        IncomingEntryDialog f(EntryMode::Change);
        QVERIFY(f.loadForChange());
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        edit(&f, "Edit4")->setText(QString::fromLatin1(c.newTag));
        edit(&f, "Edit8")->setText(QStringLiteral("changed-%1").arg(QString::fromLatin1(c.changedId)));
        f.saveArrival();
        const QString cert =
            db.value(QStringLiteral("SELECT beubiz FROM beszall WHERE idb = %1").arg(QString::fromLatin1(c.changedId)));
        if (c.message) {
            QCOMPARE(doubles.messageTexts(), QStringList{QString::fromUtf8(c.message)});
            QCOMPARE(focusOf(&f), edit(&f, "Edit4"));
            QCOMPARE(cert, QStringLiteral("EU-0"));
            QVERIFY(button(&f, "Button5")->isEnabled());
        } else {
            QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
            QCOMPARE(cert, QStringLiteral("changed-%1").arg(QString::fromLatin1(c.changedId)));
            QVERIFY(!button(&f, "Button5")->isEnabled());
        }
    }
    QCOMPARE(db.count(QStringLiteral("beszall")), 3);
}

void IncomingEntryTest::changeModeLoadsAndUpdates()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const Registers r = addRegisters(db);
    insertArrival(db, r.carrierA, r.senderA, QStringLiteral("700"), QStringLiteral("2011-04-02"));
    insertArrival(db, r.carrierB, r.senderB, QStringLiteral("701"), QStringLiteral("2011-04-03"));
    IncomingListDialog list;
    list.rebuild();
    QVERIFY(Data->ZQ12.locate(QStringLiteral("bfulszam"), QStringLiteral("700")));
    IncomingEntryDialog f(EntryMode::Change);
    QVERIFY(f.loadForChange());
    QCOMPARE(f.windowTitle(), kChangeCaption);
    QCOMPARE(edit(&f, "Edit1")->text(), QStringLiteral("1"));
    QCOMPARE(edit(&f, "Edit2")->text(), r.carrierA);
    QCOMPARE(edit(&f, "Edit3")->text(), r.senderA);
    QCOMPARE(edit(&f, "Edit4")->text(), QStringLiteral("700"));
    QCOMPARE(edit(&f, "Edit5")->text(), QStringLiteral("2011.04.02"));
    QCOMPARE(edit(&f, "Edit6")->text(), QStringLiteral("2011.04.02"));
    QCOMPARE(edit(&f, "Edit7")->text(), QStringLiteral("gyüjtés"));
    QCOMPARE(edit(&f, "Edit8")->text(), QStringLiteral("EU-0"));
    QCOMPARE(handOver().incomingId, QStringLiteral("1"));
    QCOMPARE(handOver().carrierCode, r.carrierA);
    QCOMPARE(shown(&f, "DBText2"), QStringLiteral("Kiss Fuvar"));
    QCOMPARE(shown(&f, "DBText7"), QStringLiteral("Alfa Kft"));
    QCOMPARE(Data->ZQ11.fieldText(QStringLiteral("IDb")), QStringLiteral("1"));
    QVERIFY(!checkBox(&f, "CheckBox1")->isEnabled());
    QVERIFY(!checkBox(&f, "CheckBox1")->isChecked());
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QVERIFY(button(&f, "Button3")->isHidden());
    QVERIFY(checkBox(&f, "CheckBox1")->isHidden());
    QVERIFY(!checkBox(&f, "CheckBox2")->isHidden());
    QVERIFY(edit(&f, "Edit4")->isEnabled());
    QCOMPARE(focusOf(&f), edit(&f, "Edit5"));

    // A new carrier and sender through the pickers; dates, category and certificate typed.
    scriptCarrierPick(doubles, r.carrierB);
    f.chooseCarrier();
    scriptSenderPick(doubles, r.senderB);
    f.chooseSender();
    edit(&f, "Edit4")->setText(QStringLiteral("702"));
    edit(&f, "Edit5")->setText(QStringLiteral("2011.4.5"));
    edit(&f, "Edit6")->setText(QStringLiteral("2011.04.01"));
    edit(&f, "Edit7")->setText(QStringLiteral("vágás"));
    edit(&f, "Edit8")->setText(QStringLiteral("EU-9"));
    checkBox(&f, "CheckBox2")->setChecked(true);  // plays no part in a change
    f.saveArrival();
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
    QCOMPARE(db.rows(QStringLiteral("SELECT bskod, bfkod, bfulszam, bszkelt, bvkelt, bhkat, beubiz FROM beszall "
                                    "WHERE idb = 1")),
             (QList<QStringList>{{r.carrierB, r.senderB, QStringLiteral("702"), QStringLiteral("2011.04.05"),
                                  QStringLiteral("2011.04.01"), QStringLiteral("vágás"), QStringLiteral("EU-9")}}));
    QCOMPARE(db.count(QStringLiteral("kiszall")), 0);
    QCOMPARE(handOver().carrierCode, r.carrierB);
    QCOMPARE(handOver().partnerCode, r.senderB);
    // Saved at most once per opening; the list stands on the changed row.
    QVERIFY(!button(&f, "Button5")->isEnabled());
    QCOMPARE(Data->ZQ11.fieldText(QStringLiteral("IDb")), QStringLiteral("1"));
}

void IncomingEntryTest::greyedCodesCanBeRead()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const Registers r = addRegisters(db);
    IncomingEntryDialog f(EntryMode::New);
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    scriptCarrierPick(doubles, r.carrierB);
    f.chooseCarrier();
    scriptSenderPick(doubles, r.senderB);
    f.chooseSender();
    edit(&f, "Edit1")->setText(QStringLiteral("123"));
    for (const char* name : {"Edit1", "Edit2", "Edit3"}) {
        QLineEdit* code = edit(&f, name);
        QVERIFY(!code->text().isEmpty());
        // Still out of reach and silver, and its code readable.
        QVERIFY(!code->isEnabled());
        const DrawnColours drawn = drawnColours(code);
        QCOMPARE(drawn.background, QColor(192, 192, 192));
        QVERIFY2(drawn.contrast() >= 4.5, qPrintable(QStringLiteral("%1: %2 on %3, %4 : 1")
                                                         .arg(QString::fromLatin1(name), drawn.text.name(),
                                                              drawn.background.name())
                                                         .arg(drawn.contrast())));
    }
}

void IncomingEntryTest::changeModeOfDepartedAnimal()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const Registers r = addRegisters(db);
    insertArrival(db, r.carrierA, r.senderA, QStringLiteral("800"));
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam) VALUES ('800')"));
    IncomingListDialog list;
    list.rebuild();
    IncomingEntryDialog f(EntryMode::Change);
    QVERIFY(f.loadForChange());
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QVERIFY(!edit(&f, "Edit4")->isEnabled());
    QVERIFY(edit(&f, "Edit4")->styleSheet().contains(QStringLiteral("silver")));
    QCOMPARE(drawnColours(edit(&f, "Edit4")).background, QColor(192, 192, 192));
    QVERIFY(drawnColours(edit(&f, "Edit4")).contrast() >= 4.5);
    QVERIFY(checkBox(&f, "CheckBox2")->isHidden());
    QVERIFY(button(&f, "Button3")->isHidden());
}

void IncomingEntryTest::changeAfterRegisterWriteInPicker()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const Registers r = addRegisters(db);
    insertArrival(db, r.carrierA, r.senderA, QStringLiteral("750"));
    IncomingListDialog list;
    list.rebuild();
    IncomingEntryDialog f(EntryMode::Change);
    QVERIFY(f.loadForChange());
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    // The sender is not registered yet: the user adds it from the picker and picks it. Saving it
    // commits, which closes the carrier list behind the carrier panel.
    QString added;
    doubles.modalHandlers << [&](QDialog* d) {
        QCOMPARE(d->objectName(), QStringLiteral("partnerListDialog"));
        d->findChild<QPushButton*>(QStringLiteral("newButton"))->click();  // "Új"
        QTRY_VERIFY(Data->ZQ40.active());
        QVERIFY(Data->ZQ40.locate(QStringLiteral("fnev"), QStringLiteral("Gamma Kft")));
        added = Data->ZQ40.fieldText(QStringLiteral("fkod"));
    };
    doubles.modalHandlers << [](QDialog* d) {
        QCOMPARE(d->objectName(), QStringLiteral("partnerEditDialog"));
        for (const char* name :
             {"ownerNameEdit", "ownerAddressEdit", "breedingCodeEdit", "originNameEdit", "originAddressEdit"})
            d->findChild<QLineEdit*>(QString::fromLatin1(name))->setText(QStringLiteral("Gamma Kft"));
        d->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    };
    f.chooseSender();
    QVERIFY(!added.isEmpty());
    QCOMPARE(edit(&f, "Edit3")->text(), added);
    QCOMPARE(edit(&f, "Edit2")->text(), r.carrierA);
    QVERIFY(!Data->ZQ30.active());
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
    f.saveArrival();
    // The carrier panel shows no carrier: the arrival must not be cut off its carrier (an empty
    // code would drop it from the list). The change is refused and reported instead.
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba094: Módositás, Update a beszállításban ")});
    QCOMPARE(db.rows(QStringLiteral("SELECT bskod, bfkod FROM beszall")), (QList<QStringList>{{r.carrierA, r.senderA}}));
}

void IncomingEntryTest::writtenForDepartureToo()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const Registers r = addRegisters(db);
    IncomingEntryDialog f(EntryMode::New);
    fillValid(f, r.carrierA, r.senderB, QStringLiteral("900"));
    edit(&f, "Edit5")->setText(QStringLiteral("2011.05.06"));
    edit(&f, "Edit7")->setText(QStringLiteral("vágás"));
    edit(&f, "Edit8")->setText(QStringLiteral("EU-BE"));
    checkBox(&f, "CheckBox2")->setChecked(true);
    f.saveArrival();
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
    QVERIFY(isSaved(f));
    QCOMPARE(db.count(QStringLiteral("beszall")), 1);
    // Empty codes, not null: the departure list joins it out, the data completion finds it.
    QCOMPARE(db.rows(QStringLiteral("SELECT kfulszam, kikelt, keubizbe, khkat, "
                                    "CASE WHEN kskod = '' THEN 'empty' ELSE 'other' END, "
                                    "CASE WHEN kfkod = '' THEN 'empty' ELSE 'other' END, "
                                    "CASE WHEN keubizki = '' THEN 'empty' ELSE 'other' END FROM kiszall")),
             (QList<QStringList>{{QStringLiteral("900"), QStringLiteral("2011.05.06"), QStringLiteral("EU-BE"),
                                  QStringLiteral("vágás"), QStringLiteral("empty"), QStringLiteral("empty"),
                                  QStringLiteral("empty")}}));
}

void IncomingEntryTest::failingInsertWritesNothingElse_data()
{
    QTest::addColumn<QString>("certificate");
    QTest::addColumn<QString>("message");
    QTest::newRow("refused by the database") << QString(46, u'X')  // one more than the column holds
                                              << QStringLiteral("Hiba092: Újban, INSERT a beszallitásban ");
    QTest::newRow("a character the database cannot hold")
        << QStringLiteral("EÜ-õ") << unstorableTextMessage(QStringLiteral("Eü. bizonyitvány"), QStringLiteral("\"õ\" (U+00F5)"));
}

void IncomingEntryTest::failingInsertWritesNothingElse()
{
    QFETCH(QString, certificate);
    QFETCH(QString, message);
    TestDatabase db;
    platform::TestDoubles doubles;
    const Registers r = addRegisters(db);
    insertArrival(db, r.carrierA, r.senderA, QStringLiteral("1"));
    IncomingEntryDialog f(EntryMode::New);
    fillValid(f, r.carrierA, r.senderA, QStringLiteral("950"));
    edit(&f, "Edit8")->setText(certificate);
    checkBox(&f, "CheckBox2")->setChecked(true);
    f.saveArrival();
    QCOMPARE(doubles.messageTexts(), QStringList{message});
    // No arrival, and no departure of an animal that never arrived.
    QCOMPARE(db.count(QStringLiteral("beszall")), 1);
    QCOMPARE(db.count(QStringLiteral("kiszall")), 0);
    // Still Ready on the same ear tag: "Új" cannot step past it; the list is shown again.
    QVERIFY(isReady(f));
    QCOMPARE(edit(&f, "Edit4")->text(), QStringLiteral("950"));
    QVERIFY(Data->ZQ11.active());
    QCOMPARE(Data->ZQ11.fieldText(QStringLiteral("bfulszam")), QStringLiteral("1"));
    // The carrier code is remembered only after a successful insert.
    QCOMPARE(handOver().carrierCode, QString());

    // Mended, the same ear tag is saved with its departure.
    doubles.messages.clear();
    edit(&f, "Edit8")->setText(QStringLiteral("EU-1"));
    f.saveArrival();
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
    QVERIFY(isSaved(f));
    QCOMPARE(db.value(QStringLiteral("SELECT bfulszam FROM beszall WHERE beubiz = 'EU-1'")), QStringLiteral("950"));
    QCOMPARE(db.value(QStringLiteral("SELECT kfulszam FROM kiszall")), QStringLiteral("950"));
}

void IncomingEntryTest::failingDepartureInsertLeavesScreenReady()
{
    TestDatabase db(false);
    db.exec(QStringLiteral("CREATE EXCEPTION NO_DEPARTURE 'no departures today'"));
    db.exec(QStringLiteral("CREATE TRIGGER KISZALL_REFUSE FOR KISZALL BEFORE INSERT AS "
                           "BEGIN EXCEPTION NO_DEPARTURE; END"));
    const Registers r = addRegisters(db);
    db.openSession();
    platform::TestDoubles doubles;
    IncomingEntryDialog f(EntryMode::New);
    fillValid(f, r.carrierA, r.senderA, QStringLiteral("960"));
    checkBox(&f, "CheckBox2")->setChecked(true);
    f.saveArrival();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba093: az insert a kiszállításban!")});
    // The arrival stays committed, the departure is gone, and the screen is still Ready.
    QCOMPARE(db.count(QStringLiteral("beszall")), 1);
    QCOMPARE(db.count(QStringLiteral("kiszall")), 0);
    QVERIFY(isReady(f));
    // A second OK meets the duplicate check.
    f.saveArrival();
    QCOMPARE(doubles.lastMessage(), QStringLiteral("Ilyen fülszám van a beszállitottak között - 1!"));
    QCOMPARE(db.count(QStringLiteral("beszall")), 1);
}

void IncomingEntryTest::failingUpdateIsRolledBack_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("certificate");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("saved");  // the screen goes on to Saved, as after any save
    QTest::newRow("refused by the database")
        << QStringLiteral("hizlalás") << QString(46, u'Y')
        << QStringLiteral("Hiba094: Módositás, Update a beszállításban ") << true;
    // Nothing reached the database: the screen stays for the mended field.
    QTest::newRow("a character the database cannot hold")
        << QStringLiteral("hízlalás û") << QStringLiteral("EU-1")
        << unstorableTextMessage(QStringLiteral("Hasznositási kategória"), QStringLiteral("\"û\" (U+00FB)")) << false;
}

void IncomingEntryTest::failingUpdateIsRolledBack()
{
    QFETCH(QString, category);
    QFETCH(QString, certificate);
    QFETCH(QString, message);
    QFETCH(bool, saved);
    TestDatabase db;
    platform::TestDoubles doubles;
    const Registers r = addRegisters(db);
    insertArrival(db, r.carrierA, r.senderA, QStringLiteral("970"));
    IncomingListDialog list;
    list.rebuild();
    IncomingEntryDialog f(EntryMode::Change);
    QVERIFY(f.loadForChange());
    edit(&f, "Edit7")->setText(category);
    edit(&f, "Edit8")->setText(certificate);
    f.saveArrival();
    QCOMPARE(doubles.messageTexts(), QStringList{message});
    QCOMPARE(db.rows(QStringLiteral("SELECT bhkat, beubiz FROM beszall")),
             (QList<QStringList>{{QStringLiteral("gyüjtés"), QStringLiteral("EU-0")}}));
    QCOMPARE(button(&f, "Button5")->isEnabled(), !saved);
    QVERIFY(Data->ZQ11.active());
    QCOMPARE(Data->ZQ11.fieldText(QStringLiteral("IDb")), QStringLiteral("1"));
}

void IncomingEntryTest::keyboardEntry()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    IncomingEntryDialog f(EntryMode::New);
    f.show();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    QCOMPARE(QApplication::focusWidget(), edit(&f, "Edit5"));

    // Dates take digits and points only, ear tags digits only; Backspace works in both.
    QTest::keyClicks(edit(&f, "Edit5"), QStringLiteral("2011-a.03.x15"));
    QCOMPARE(edit(&f, "Edit5")->text(), QStringLiteral("2011.03.15"));
    edit(&f, "Edit6")->setText(QStringLiteral("2010.12.24"));
    // Enter moves on like Tab, and leaving the arrival date overwrites the purchase date.
    QTest::keyClick(edit(&f, "Edit5"), Qt::Key_Return);
    QTRY_COMPARE(QApplication::focusWidget(), edit(&f, "Edit6"));
    QTRY_COMPARE(edit(&f, "Edit6")->text(), QStringLiteral("2011.03.15"));
    QTest::keyClick(edit(&f, "Edit6"), Qt::Key_End);  // Tab selected the whole text
    QTest::keyClick(edit(&f, "Edit6"), Qt::Key_Backspace);
    QTest::keyClicks(edit(&f, "Edit6"), QStringLiteral("6 "));
    QCOMPARE(edit(&f, "Edit6")->text(), QStringLiteral("2011.03.16"));
    QTest::keyClick(edit(&f, "Edit6"), Qt::Key_Enter);
    QTRY_COMPARE(QApplication::focusWidget(), edit(&f, "Edit7"));
    QTest::keyClick(edit(&f, "Edit7"), Qt::Key_Return);
    QTRY_COMPARE(QApplication::focusWidget(), edit(&f, "Edit4"));
    QTest::keyClicks(edit(&f, "Edit4"), QStringLiteral("12a.3-4"));
    QCOMPARE(edit(&f, "Edit4")->text(), QStringLiteral("1234"));
    // Pasted text is not filtered.
    edit(&f, "Edit4")->insert(QStringLiteral("x"));
    QCOMPARE(edit(&f, "Edit4")->text(), QStringLiteral("1234x"));
    QTest::keyClick(edit(&f, "Edit4"), Qt::Key_Return);
    QTRY_COMPARE(QApplication::focusWidget(), edit(&f, "Edit8"));
    // Shift+Enter goes back.
    QTest::keyClick(edit(&f, "Edit8"), Qt::Key_Return, Qt::ShiftModifier);
    QTRY_COMPARE(QApplication::focusWidget(), edit(&f, "Edit4"));
    QTest::keyClick(edit(&f, "Edit4"), Qt::Key_Return);
    QTRY_COMPARE(QApplication::focusWidget(), edit(&f, "Edit8"));
    QTest::keyClick(edit(&f, "Edit8"), Qt::Key_Return);
    QTRY_COMPARE(QApplication::focusWidget(), button(&f, "Button5"));  // "Új" is disabled
    // Enter on the focused "OK" presses it: here the validation speaks first.
    QTest::keyClick(button(&f, "Button5"), Qt::Key_Return);
    QCOMPARE(doubles.lastMessage(), QStringLiteral("Nincs megadva a szállító!"));
    // Leaving the arrival date towards "Mégsem" is no exit: the purchase date stays.
    edit(&f, "Edit5")->setFocus();
    edit(&f, "Edit6")->setText(QStringLiteral("2011.01.01"));
    button(&f, "Button6")->setFocus();
    QTest::qWait(20);
    QCOMPARE(edit(&f, "Edit6")->text(), QStringLiteral("2011.01.01"));
}

void IncomingEntryTest::categoryDoubleClickToggles()
{
    TestDatabase db;
    IncomingEntryDialog f(EntryMode::New);
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QCOMPARE(edit(&f, "Edit7")->toolTip(), QStringLiteral("Dupla klikkre kategória váltása"));
    QStringList seen;
    for (int i = 0; i < 4; ++i) {
        QTest::mouseDClick(edit(&f, "Edit7"), Qt::LeftButton);
        seen << edit(&f, "Edit7")->text();
    }
    QCOMPARE(seen, (QStringList{QStringLiteral("hizlalás"), QStringLiteral("vágás"), QStringLiteral("hizlalás"),
                                QStringLiteral("vágás")}));
    edit(&f, "Edit7")->setText(QStringLiteral("tenyésztés"));
    QTest::mouseDClick(edit(&f, "Edit7"), Qt::LeftButton);
    QCOMPARE(edit(&f, "Edit7")->text(), QStringLiteral("hizlalás"));
}

void IncomingEntryTest::longListLandsOnNewestOrRememberedRow_data()
{
    QTest::addColumn<QString>("remembered");
    QTest::newRow("nothing remembered") << "";
    QTest::newRow("an arrival changed earlier") << "200";
}

void IncomingEntryTest::longListLandsOnNewestOrRememberedRow()
{
    QFETCH(QString, remembered);
    TestDatabase db;
    platform::TestDoubles doubles;
    const Registers r = addRegisters(db);
    db.exec(QStringLiteral("EXECUTE BLOCK AS DECLARE I INT = 0; BEGIN WHILE (I < 450) DO BEGIN "
                           "INSERT INTO beszall (bskod, bfkod, bfulszam) VALUES ('%1', '%2', 5000 + :I); "
                           "I = I + 1; END END")
                .arg(r.carrierA, r.senderA));
    handOver().incomingId = remembered;
    IncomingEntryDialog f(EntryMode::New);
    f.show();
    auto* grid = child<DBGrid>(&f, "DBGrid1");
    // Opened on the newest arrival, the list read around it only.
    QCOMPARE(Data->ZQ11.fieldText(QStringLiteral("IDb")), QStringLiteral("450"));
    QVERIFY(Data->ZQ11.fetchedCount() < 300);
    QCOMPARE(grid->currentIndex().row(), Data->ZQ11.recNo());

    // OK: on the newest row again (the one just saved), unless an arrival was opened for change.
    fillValid(f, r.carrierA, r.senderA, QStringLiteral("777"));
    button(&f, "Button5")->click();
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
    QCOMPARE(Data->ZQ11.fieldText(QStringLiteral("IDb")), remembered.isEmpty() ? QStringLiteral("451") : remembered);
    QVERIFY(Data->ZQ11.fetchedCount() < 300);
    QCOMPARE(grid->currentIndex().row(), Data->ZQ11.recNo());

    // "Új": on the remembered arrival, or on the first row (no move to the last row first).
    button(&f, "Button3")->click();
    QCOMPARE(Data->ZQ11.fieldText(QStringLiteral("IDb")), remembered.isEmpty() ? QStringLiteral("1") : remembered);
    QCOMPARE(grid->currentIndex().row(), Data->ZQ11.recNo());
    QCOMPARE(Data->ZQ11.recordCount(), 451);
}

QTEST_MAIN(IncomingEntryTest)
#include "test_incoming_entry.moc"
