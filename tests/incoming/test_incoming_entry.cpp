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
#include <QClipboard>
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
void scriptCarrierPick(platform::TestDoubles& doubles, Session& session, const QString& code)
{
    doubles.modalHandlers << [&session, code](QDialog* d) {
        QCOMPARE(d->objectName(), QStringLiteral("carrierListDialog"));
        QVERIFY(session.carriers().list().locate(QStringLiteral("skod"), code));
    };
}

void scriptSenderPick(platform::TestDoubles& doubles, Session& session, const QString& code)
{
    doubles.modalHandlers << [&session, code](QDialog* d) {
        QCOMPARE(d->objectName(), QStringLiteral("partnerListDialog"));
        QVERIFY(session.partners().list().locate(QStringLiteral("fkod"), code));
    };
}

// Fills every field of a new arrival so that it passes validation.
void fillValid(QWidget& f, const QString& carrier, const QString& sender, const QString& tag)
{
    edit(&f, "carrierCodeEdit")->setText(carrier);
    edit(&f, "senderCodeEdit")->setText(sender);
    edit(&f, "earTagEdit")->setText(tag);
    edit(&f, "arrivalDateEdit")->setText(QStringLiteral("2011.03.01"));
    edit(&f, "purchaseDateEdit")->setText(QStringLiteral("2011.02.27"));
    edit(&f, "categoryEdit")->setText(QStringLiteral("gyüjtés"));
    edit(&f, "certificateEdit")->setText(QStringLiteral("EU-1"));
}

// "OK" can be pressed, "Új" not: the screen waits for an animal.
bool isReady(const QWidget& f) { return button(&f, "okButton")->isEnabled() && !button(&f, "newButton")->isEnabled(); }
// One animal saved: "Új" is next.
bool isSaved(const QWidget& f) { return !button(&f, "okButton")->isEnabled() && button(&f, "newButton")->isEnabled(); }

void insertArrival(TestDatabase& db, const QString& carrier, const QString& sender, const QString& tag,
                   const QString& date = QStringLiteral("2011-03-01"))
{
    db.exec(QStringLiteral("INSERT INTO beszall (bskod, bfkod, bfulszam, bszkelt, bvkelt, bhkat, beubiz) "
                           "VALUES ('%1', '%2', '%3', '%4', '%4', 'gyüjtés', 'EU-0')")
                .arg(carrier, sender, tag, date));
}

// A column of the row the entry screen's list grid has selected, as the grid shows it.
QString selected(const QWidget& f, const char* field)
{
    const DBGrid* grid = child<DBGrid>(&f, "arrivalsGrid");
    const std::vector<GridColumn>& columns = grid->datasetModel()->columns();
    for (size_t c = 0; c < columns.size(); ++c)
        if (columns[c].field.compare(QLatin1String(field), Qt::CaseInsensitive) == 0)
            return grid->model()->index(grid->currentIndex().row(), static_cast<int>(c)).data().toString();
    qFatal("the grid has no column %s", field);
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
    IncomingEntryDialog f(db.session(), EntryMode::New);
    f.show();
    QCOMPARE(f.windowTitle(), QStringLiteral("Fülszám bevitel (beszállítás)"));
    QVERIFY(isReady(f));
    QVERIFY(checkBox(&f, "incrementEarTagCheckBox")->isChecked());
    QVERIFY(!checkBox(&f, "alsoDepartingCheckBox")->isChecked());
    QCOMPARE(edit(&f, "categoryEdit")->text(), QStringLiteral("gyüjtés"));
    QVERIFY(f.listRows().active());

    scriptCarrierPick(doubles, db.session(), r.carrierB);
    f.chooseCarrier();
    QCOMPARE(edit(&f, "carrierCodeEdit")->text(), r.carrierB);
    QCOMPARE(shown(&f, "snevText"), QStringLiteral("Nagy Fuvar"));
    QCOMPARE(shown(&f, "skodText"), r.carrierB);
    scriptSenderPick(doubles, db.session(), r.senderB);
    f.chooseSender();
    QCOMPARE(edit(&f, "senderCodeEdit")->text(), r.senderB);
    QCOMPARE(shown(&f, "fnevText"), QStringLiteral("Béta Bt"));
    QCOMPARE(shown(&f, "fkodText"), r.senderB);

    edit(&f, "arrivalDateEdit")->setText(QStringLiteral("2011.03.01"));
    edit(&f, "purchaseDateEdit")->setText(QStringLiteral("2011.02.27"));
    f.toggleCategory();
    edit(&f, "earTagEdit")->setText(QStringLiteral("0098"));
    edit(&f, "certificateEdit")->setText(QStringLiteral("HU-EU 77/2011"));

    const int kodColumn = 8;
    const QAbstractItemModel* grid = child<DBGrid>(&f, "arrivalsGrid")->model();
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            f.prepareNextEarTag();  // "Új"
            QVERIFY(isReady(f));
            // Before the save the list statement has no code: the "Kód" column is empty.
            QVERIFY(f.listRows().active());
            QCOMPARE(grid->data(grid->index(0, kodColumn)).toString(), QString());
            // The carrier and sender panels show the kept codes again.
            QCOMPARE(shown(&f, "skodText"), r.carrierB);
            QCOMPARE(shown(&f, "fkodText"), r.senderB);
        }
        f.saveArrival();  // "OK"
        QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
        QVERIFY(isSaved(f));
        QCOMPARE(db.session().handOver().carrierCode, r.carrierB);
        QCOMPARE(db.session().handOver().partnerCode, r.senderB);
        // After the save the list shows the codes the database gave, ending on the newest row.
        QCOMPARE(selected(f, "bfulszam"), edit(&f, "earTagEdit")->text());
        QVERIFY(!selected(f, "Bkod").isEmpty());
        const int row = f.listRows().recNo();
        QCOMPARE(grid->data(grid->index(row, kodColumn)).toString(), f.listRows().fieldText(QStringLiteral("Bkod")));
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
    QVERIFY(!button(&f, "okButton")->isEnabled());
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
    IncomingEntryDialog f(db.session(), EntryMode::New);
    checkBox(&f, "incrementEarTagCheckBox")->setChecked(increment);
    checkBox(&f, "alsoDepartingCheckBox")->setChecked(true);
    edit(&f, "earTagEdit")->setText(before);
    edit(&f, "arrivalDateEdit")->setText(QStringLiteral("2011.01.02"));
    edit(&f, "certificateEdit")->setText(QStringLiteral("EU"));
    f.prepareNextEarTag();
    QCOMPARE(edit(&f, "earTagEdit")->text(), after);
    QCOMPARE(doubles.lastMessage(), message);
    // Nothing else changes.
    QCOMPARE(edit(&f, "arrivalDateEdit")->text(), QStringLiteral("2011.01.02"));
    QCOMPARE(edit(&f, "certificateEdit")->text(), QStringLiteral("EU"));
    QVERIFY(checkBox(&f, "alsoDepartingCheckBox")->isChecked());
    QVERIFY(isReady(f));
}

void IncomingEntryTest::validationInOrder_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    const QString badDate = QStringLiteral("A dátum formátuma nem megfelelő!");
    QTest::newRow("1 no carrier") << "carrierCodeEdit" << "  " << "Nincs megadva a szállító!" << "chooseCarrierButton";
    QTest::newRow("2 no sender") << "senderCodeEdit" << "" << "Nincs megadva a feladó!" << "chooseSenderButton";
    QTest::newRow("3 no ear tag") << "earTagEdit" << " " << "Nincs megadva a fülszám!" << "earTagEdit";
    QTest::newRow("4 no arrival") << "arrivalDateEdit" << "   " << "Nincs megadva a beérkezés kelte!"
                                  << "arrivalDateEdit";
    QTest::newRow("5 impossible arrival") << "arrivalDateEdit" << "2011.02.30" << badDate << "arrivalDateEdit";
    QTest::newRow("5 arrival not a date") << "arrivalDateEdit" << "2011.0230" << badDate << "arrivalDateEdit";
    QTest::newRow("6 arrival before 2010") << "arrivalDateEdit" << "2009.12.31"
                                           << "A megvásárlás kelte kisebb 2010.01.01 -nél!" << "arrivalDateEdit";
    QTest::newRow("6 first day passes") << "arrivalDateEdit" << "2010.01.01" << "" << "";
    QTest::newRow("6 short form passes") << "arrivalDateEdit" << "2011.3.5" << "" << "";
    QTest::newRow("7 no purchase") << "purchaseDateEdit" << "" << "Nincs megadva a megvásárlás kelte!"
                                   << "purchaseDateEdit";
    QTest::newRow("8 impossible purchase") << "purchaseDateEdit" << "2011.13.01" << badDate << "purchaseDateEdit";
    QTest::newRow("8 purchase before 2010 passes") << "purchaseDateEdit" << "2009.12.31" << "" << "";
    QTest::newRow("9 no category") << "categoryEdit" << " " << "Nincs megadva a hasznositási kategória!"
                                   << "categoryEdit";
    QTest::newRow("10 no certificate") << "certificateEdit" << ""
                                       << "Nincs megadva az eü. bizonyitvány száma!" << "certificateEdit";
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
    IncomingEntryDialog f(db.session(), EntryMode::New);
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    fillValid(f, r.carrierA, r.senderA, QStringLiteral("4711"));
    // Every later field empty too: the first failing step is the one that speaks.
    bool later = false;
    for (const char* name : {"carrierCodeEdit", "senderCodeEdit", "earTagEdit", "arrivalDateEdit", "purchaseDateEdit",
                             "categoryEdit", "certificateEdit"}) {
        QLineEdit* e = edit(&f, name);
        if (e->objectName() == field) {
            e->setText(value);
            later = true;
        } else if (later && !message.isEmpty()) {
            e->clear();
        }
    }
    edit(&f, "arrivalDateEdit")->setFocus();
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
    IncomingEntryDialog f(db.session(), EntryMode::New);
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    fillValid(f, r.carrierA, r.senderA, QStringLiteral("500"));
    f.saveArrival();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Ilyen fülszám van a beszállitottak között - 1!")});
    QCOMPARE(focusOf(&f), edit(&f, "earTagEdit"));
    QCOMPARE(db.count(QStringLiteral("beszall")), 1);
    QVERIFY(isReady(f));
    // The check compares the ear tag as typed: "0500" is another ear tag.
    edit(&f, "earTagEdit")->setText(QStringLiteral("0500"));
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
    IncomingListDialog list(db.session());
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
        QVERIFY(list.listRows().locate(QStringLiteral("IDb"), QString::fromLatin1(c.changedId)));
        IncomingEntryDialog f(db.session(), EntryMode::Change);
        QVERIFY(f.loadForChange(list.currentArrival()));
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        edit(&f, "earTagEdit")->setText(QString::fromLatin1(c.newTag));
        edit(&f, "certificateEdit")->setText(QStringLiteral("changed-%1").arg(QString::fromLatin1(c.changedId)));
        f.saveArrival();
        const QString cert =
            db.value(QStringLiteral("SELECT beubiz FROM beszall WHERE idb = %1").arg(QString::fromLatin1(c.changedId)));
        if (c.message) {
            QCOMPARE(doubles.messageTexts(), QStringList{QString::fromUtf8(c.message)});
            QCOMPARE(focusOf(&f), edit(&f, "earTagEdit"));
            QCOMPARE(cert, QStringLiteral("EU-0"));
            QVERIFY(button(&f, "okButton")->isEnabled());
        } else {
            QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
            QCOMPARE(cert, QStringLiteral("changed-%1").arg(QString::fromLatin1(c.changedId)));
            QVERIFY(!button(&f, "okButton")->isEnabled());
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
    IncomingListDialog list(db.session());
    list.rebuild();
    QVERIFY(list.listRows().locate(QStringLiteral("bfulszam"), QStringLiteral("700")));
    IncomingEntryDialog f(db.session(), EntryMode::Change);
    QVERIFY(f.loadForChange(list.currentArrival()));
    QCOMPARE(f.windowTitle(), kChangeCaption);
    QCOMPARE(edit(&f, "arrivalIdEdit")->text(), QStringLiteral("1"));
    QCOMPARE(edit(&f, "carrierCodeEdit")->text(), r.carrierA);
    QCOMPARE(edit(&f, "senderCodeEdit")->text(), r.senderA);
    QCOMPARE(edit(&f, "earTagEdit")->text(), QStringLiteral("700"));
    QCOMPARE(edit(&f, "arrivalDateEdit")->text(), QStringLiteral("2011.04.02"));
    QCOMPARE(edit(&f, "purchaseDateEdit")->text(), QStringLiteral("2011.04.02"));
    QCOMPARE(edit(&f, "categoryEdit")->text(), QStringLiteral("gyüjtés"));
    QCOMPARE(edit(&f, "certificateEdit")->text(), QStringLiteral("EU-0"));
    QCOMPARE(db.session().handOver().incomingId, QStringLiteral("1"));
    QCOMPARE(db.session().handOver().carrierCode, r.carrierA);
    QCOMPARE(shown(&f, "snevText"), QStringLiteral("Kiss Fuvar"));
    QCOMPARE(shown(&f, "fnevText"), QStringLiteral("Alfa Kft"));
    QCOMPARE(selected(f, "IDb"), QStringLiteral("1"));
    QVERIFY(!checkBox(&f, "incrementEarTagCheckBox")->isEnabled());
    QVERIFY(!checkBox(&f, "incrementEarTagCheckBox")->isChecked());
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QVERIFY(button(&f, "newButton")->isHidden());
    QVERIFY(checkBox(&f, "incrementEarTagCheckBox")->isHidden());
    QVERIFY(!checkBox(&f, "alsoDepartingCheckBox")->isHidden());
    QVERIFY(edit(&f, "earTagEdit")->isEnabled());
    QCOMPARE(focusOf(&f), edit(&f, "arrivalDateEdit"));

    // A new carrier and sender through the pickers; dates, category and certificate typed.
    scriptCarrierPick(doubles, db.session(), r.carrierB);
    f.chooseCarrier();
    scriptSenderPick(doubles, db.session(), r.senderB);
    f.chooseSender();
    edit(&f, "earTagEdit")->setText(QStringLiteral("702"));
    edit(&f, "arrivalDateEdit")->setText(QStringLiteral("2011.4.5"));
    edit(&f, "purchaseDateEdit")->setText(QStringLiteral("2011.04.01"));
    edit(&f, "categoryEdit")->setText(QStringLiteral("vágás"));
    edit(&f, "certificateEdit")->setText(QStringLiteral("EU-9"));
    checkBox(&f, "alsoDepartingCheckBox")->setChecked(true);  // plays no part in a change
    f.saveArrival();
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
    QCOMPARE(db.rows(QStringLiteral("SELECT bskod, bfkod, bfulszam, bszkelt, bvkelt, bhkat, beubiz FROM beszall "
                                    "WHERE idb = 1")),
             (QList<QStringList>{{r.carrierB, r.senderB, QStringLiteral("702"), QStringLiteral("2011.04.05"),
                                  QStringLiteral("2011.04.01"), QStringLiteral("vágás"), QStringLiteral("EU-9")}}));
    QCOMPARE(db.count(QStringLiteral("kiszall")), 0);
    QCOMPARE(db.session().handOver().carrierCode, r.carrierB);
    QCOMPARE(db.session().handOver().partnerCode, r.senderB);
    // Saved at most once per opening; the list stands on the changed row.
    QVERIFY(!button(&f, "okButton")->isEnabled());
    QCOMPARE(selected(f, "IDb"), QStringLiteral("1"));
}

void IncomingEntryTest::greyedCodesCanBeRead()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const Registers r = addRegisters(db);
    IncomingEntryDialog f(db.session(), EntryMode::New);
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    scriptCarrierPick(doubles, db.session(), r.carrierB);
    f.chooseCarrier();
    scriptSenderPick(doubles, db.session(), r.senderB);
    f.chooseSender();
    edit(&f, "arrivalIdEdit")->setText(QStringLiteral("123"));
    for (const char* name : {"arrivalIdEdit", "carrierCodeEdit", "senderCodeEdit"}) {
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
    IncomingListDialog list(db.session());
    list.rebuild();
    IncomingEntryDialog f(db.session(), EntryMode::Change);
    QVERIFY(f.loadForChange(list.currentArrival()));
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QVERIFY(!edit(&f, "earTagEdit")->isEnabled());
    QVERIFY(edit(&f, "earTagEdit")->styleSheet().contains(QStringLiteral("silver")));
    QCOMPARE(drawnColours(edit(&f, "earTagEdit")).background, QColor(192, 192, 192));
    QVERIFY(drawnColours(edit(&f, "earTagEdit")).contrast() >= 4.5);
    QVERIFY(checkBox(&f, "alsoDepartingCheckBox")->isHidden());
    QVERIFY(button(&f, "newButton")->isHidden());
}

void IncomingEntryTest::changeAfterRegisterWriteInPicker()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const Registers r = addRegisters(db);
    insertArrival(db, r.carrierA, r.senderA, QStringLiteral("750"));
    IncomingListDialog list(db.session());
    list.rebuild();
    IncomingEntryDialog f(db.session(), EntryMode::Change);
    QVERIFY(f.loadForChange(list.currentArrival()));
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    // The sender is not registered yet: the user adds it from the picker and picks it. Saving it
    // commits, which closes the carrier list behind the carrier panel.
    QString added;
    doubles.modalHandlers << [&](QDialog* d) {
        QCOMPARE(d->objectName(), QStringLiteral("partnerListDialog"));
        d->findChild<QPushButton*>(QStringLiteral("newButton"))->click();  // "Új"
        QTRY_VERIFY(db.session().partners().list().active());
        QVERIFY(db.session().partners().list().locate(QStringLiteral("fnev"), QStringLiteral("Gamma Kft")));
        added = db.session().partners().list().fieldText(QStringLiteral("fkod"));
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
    QCOMPARE(edit(&f, "senderCodeEdit")->text(), added);
    QCOMPARE(edit(&f, "carrierCodeEdit")->text(), r.carrierA);
    QVERIFY(!db.session().carriers().list().active());
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
    IncomingEntryDialog f(db.session(), EntryMode::New);
    fillValid(f, r.carrierA, r.senderB, QStringLiteral("900"));
    edit(&f, "arrivalDateEdit")->setText(QStringLiteral("2011.05.06"));
    edit(&f, "categoryEdit")->setText(QStringLiteral("vágás"));
    edit(&f, "certificateEdit")->setText(QStringLiteral("EU-BE"));
    checkBox(&f, "alsoDepartingCheckBox")->setChecked(true);
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
    IncomingEntryDialog f(db.session(), EntryMode::New);
    fillValid(f, r.carrierA, r.senderA, QStringLiteral("950"));
    edit(&f, "certificateEdit")->setText(certificate);
    checkBox(&f, "alsoDepartingCheckBox")->setChecked(true);
    f.saveArrival();
    QCOMPARE(doubles.messageTexts(), QStringList{message});
    // No arrival, and no departure of an animal that never arrived.
    QCOMPARE(db.count(QStringLiteral("beszall")), 1);
    QCOMPARE(db.count(QStringLiteral("kiszall")), 0);
    // Still Ready on the same ear tag: "Új" cannot step past it; the list is shown again.
    QVERIFY(isReady(f));
    QCOMPARE(edit(&f, "earTagEdit")->text(), QStringLiteral("950"));
    QVERIFY(f.listRows().active());
    QCOMPARE(selected(f, "bfulszam"), QStringLiteral("1"));
    // The carrier code is remembered only after a successful insert.
    QCOMPARE(db.session().handOver().carrierCode, QString());

    // Mended, the same ear tag is saved with its departure.
    doubles.messages.clear();
    edit(&f, "certificateEdit")->setText(QStringLiteral("EU-1"));
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
    IncomingEntryDialog f(db.session(), EntryMode::New);
    fillValid(f, r.carrierA, r.senderA, QStringLiteral("960"));
    checkBox(&f, "alsoDepartingCheckBox")->setChecked(true);
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
    IncomingListDialog list(db.session());
    list.rebuild();
    IncomingEntryDialog f(db.session(), EntryMode::Change);
    QVERIFY(f.loadForChange(list.currentArrival()));
    edit(&f, "categoryEdit")->setText(category);
    edit(&f, "certificateEdit")->setText(certificate);
    f.saveArrival();
    QCOMPARE(doubles.messageTexts(), QStringList{message});
    QCOMPARE(db.rows(QStringLiteral("SELECT bhkat, beubiz FROM beszall")),
             (QList<QStringList>{{QStringLiteral("gyüjtés"), QStringLiteral("EU-0")}}));
    QCOMPARE(button(&f, "okButton")->isEnabled(), !saved);
    QVERIFY(f.listRows().active());
    QCOMPARE(selected(f, "IDb"), QStringLiteral("1"));
}

void IncomingEntryTest::keyboardEntry()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    IncomingEntryDialog f(db.session(), EntryMode::New);
    f.show();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    QCOMPARE(QApplication::focusWidget(), edit(&f, "arrivalDateEdit"));

    // Dates take digits and points only, ear tags digits only; Backspace works in both.
    QTest::keyClicks(edit(&f, "arrivalDateEdit"), QStringLiteral("2011-a.03.x15"));
    QCOMPARE(edit(&f, "arrivalDateEdit")->text(), QStringLiteral("2011.03.15"));
    edit(&f, "purchaseDateEdit")->setText(QStringLiteral("2010.12.24"));
    // Enter moves on like Tab, and leaving the arrival date overwrites the purchase date.
    QTest::keyClick(edit(&f, "arrivalDateEdit"), Qt::Key_Return);
    QTRY_COMPARE(QApplication::focusWidget(), edit(&f, "purchaseDateEdit"));
    QTRY_COMPARE(edit(&f, "purchaseDateEdit")->text(), QStringLiteral("2011.03.15"));
    QTest::keyClick(edit(&f, "purchaseDateEdit"), Qt::Key_End);  // Tab selected the whole text
    QTest::keyClick(edit(&f, "purchaseDateEdit"), Qt::Key_Backspace);
    QTest::keyClicks(edit(&f, "purchaseDateEdit"), QStringLiteral("6 "));
    QCOMPARE(edit(&f, "purchaseDateEdit")->text(), QStringLiteral("2011.03.16"));
    QTest::keyClick(edit(&f, "purchaseDateEdit"), Qt::Key_Enter);
    QTRY_COMPARE(QApplication::focusWidget(), edit(&f, "categoryEdit"));
    QTest::keyClick(edit(&f, "categoryEdit"), Qt::Key_Return);
    QTRY_COMPARE(QApplication::focusWidget(), edit(&f, "earTagEdit"));
    QTest::keyClicks(edit(&f, "earTagEdit"), QStringLiteral("12a.3-4"));
    QCOMPARE(edit(&f, "earTagEdit")->text(), QStringLiteral("1234"));
    // Pasted text is filtered as typed text is.
    QApplication::clipboard()->setText(QStringLiteral("x5"));
    QTest::keyClick(edit(&f, "earTagEdit"), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit(&f, "earTagEdit")->text(), QStringLiteral("12345"));
    QTest::keyClick(edit(&f, "earTagEdit"), Qt::Key_Return);
    QTRY_COMPARE(QApplication::focusWidget(), edit(&f, "certificateEdit"));
    // Shift+Enter goes back.
    QTest::keyClick(edit(&f, "certificateEdit"), Qt::Key_Return, Qt::ShiftModifier);
    QTRY_COMPARE(QApplication::focusWidget(), edit(&f, "earTagEdit"));
    QTest::keyClick(edit(&f, "earTagEdit"), Qt::Key_Return);
    QTRY_COMPARE(QApplication::focusWidget(), edit(&f, "certificateEdit"));
    QTest::keyClick(edit(&f, "certificateEdit"), Qt::Key_Return);
    QTRY_COMPARE(QApplication::focusWidget(), button(&f, "okButton"));  // "Új" is disabled
    // Enter on the focused "OK" presses it: here the validation speaks first.
    QTest::keyClick(button(&f, "okButton"), Qt::Key_Return);
    QCOMPARE(doubles.lastMessage(), QStringLiteral("Nincs megadva a szállító!"));
    // Leaving the arrival date towards "Mégsem" is no exit: the purchase date stays.
    edit(&f, "arrivalDateEdit")->setFocus();
    edit(&f, "purchaseDateEdit")->setText(QStringLiteral("2011.01.01"));
    button(&f, "cancelButton")->setFocus();
    QTest::qWait(20);
    QCOMPARE(edit(&f, "purchaseDateEdit")->text(), QStringLiteral("2011.01.01"));
}

void IncomingEntryTest::categoryDoubleClickToggles()
{
    TestDatabase db;
    IncomingEntryDialog f(db.session(), EntryMode::New);
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QCOMPARE(edit(&f, "categoryEdit")->toolTip(), QStringLiteral("Dupla klikkre kategória váltása"));
    QStringList seen;
    for (int i = 0; i < 4; ++i) {
        QTest::mouseDClick(edit(&f, "categoryEdit"), Qt::LeftButton);
        seen << edit(&f, "categoryEdit")->text();
    }
    QCOMPARE(seen, (QStringList{QStringLiteral("hizlalás"), QStringLiteral("vágás"), QStringLiteral("hizlalás"),
                                QStringLiteral("vágás")}));
    edit(&f, "categoryEdit")->setText(QStringLiteral("tenyésztés"));
    QTest::mouseDClick(edit(&f, "categoryEdit"), Qt::LeftButton);
    QCOMPARE(edit(&f, "categoryEdit")->text(), QStringLiteral("hizlalás"));
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
    db.session().handOver().incomingId = remembered;
    IncomingEntryDialog f(db.session(), EntryMode::New);
    f.show();
    auto* grid = child<DBGrid>(&f, "arrivalsGrid");
    // Opened on the newest arrival, the list read around it only.
    QCOMPARE(selected(f, "IDb"), QStringLiteral("450"));
    QVERIFY(f.listRows().fetchedCount() < 300);
    QCOMPARE(grid->currentIndex().row(), f.listRows().recNo());

    // OK: on the newest row again (the one just saved), unless an arrival was opened for change.
    fillValid(f, r.carrierA, r.senderA, QStringLiteral("777"));
    button(&f, "okButton")->click();
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
    QCOMPARE(selected(f, "IDb"), remembered.isEmpty() ? QStringLiteral("451") : remembered);
    QVERIFY(f.listRows().fetchedCount() < 300);
    QCOMPARE(grid->currentIndex().row(), f.listRows().recNo());

    // "Új": on the remembered arrival, or on the first row (no move to the last row first).
    button(&f, "newButton")->click();
    QCOMPARE(selected(f, "IDb"), remembered.isEmpty() ? QStringLiteral("1") : remembered);
    QCOMPARE(grid->currentIndex().row(), f.listRows().recNo());
    QCOMPARE(f.listRows().recordCount(), 451);
}

QTEST_MAIN(IncomingEntryTest)
#include "test_incoming_entry.moc"
