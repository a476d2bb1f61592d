#include "outgoing/eartag_picklist.h"
#include "outgoing/outgoing_entry.h"
#include "outgoing/outgoing_list.h"
#include "outgoing_fixture.h"
#include "screens.h"
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

// Every departure, as the entry screen lists them under its fields.
Dataset& entryRows(OutgoingEntryDialog& f) { return gridRows(&f, "departuresGrid"); }

// Carrier and buyer registered, the screen open in new mode with both picked and every field but
// the ear tag filled in.
struct NewEntry {
    TestDatabase& db;
    platform::TestDoubles& doubles;
    QString carrier;
    QString buyer;
    std::unique_ptr<OutgoingEntryDialog> form;

    NewEntry(TestDatabase& d, platform::TestDoubles& t) : db(d), doubles(t)
    {
        carrier = db.addCarrier(QStringLiteral("ABC-123"), QStringLiteral("Kiss Fuvar"));
        buyer = db.addPartner(QStringLiteral("Vágóhíd Kft"));
        form = std::make_unique<OutgoingEntryDialog>(db.session(), EntryMode::New);
        choose(doubles, &db.session().carriers().list(), QStringLiteral("skod"), carrier);
        button(form.get(), "chooseCarrierButton")->click();
        choose(doubles, &db.session().partners().list(), QStringLiteral("fkod"), buyer);
        button(form.get(), "chooseBuyerButton")->click();
        edit(form.get(), "dispatchDateEdit")->setText(QStringLiteral("2011.03.15"));
        edit(form.get(), "certificateOutEdit")->setText(QStringLiteral("KI-77"));
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
    void cannotGetPastAnEarTagThatNeverArrived_data();
    void cannotGetPastAnEarTagThatNeverArrived();
    void newAfterSaveShowsOneBoxAtATime();
    void increment_data();
    void increment();
    void pickListPositionsOnPrefixInTextOrder_data();
    void pickListPositionsOnPrefixInTextOrder();
    void pickListChooseAndCancel();
    void categoryToggle();
    void focusAndTabOrder();
    void failedWritesRollBackAndRebuild();
    void longListLandsOnNewestOrRememberedRow_data();
    void longListLandsOnNewestOrRememberedRow();
    void newEntryWriteFailures_data();
    void newEntryWriteFailures();
    void unstorableTextNamesTheFirstFieldWritten_data();
    void unstorableTextNamesTheFirstFieldWritten();
};

void OutgoingEntryTest::dispatchesAnArrivedAnimal()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    arrival(db, QStringLiteral("1001"), QStringLiteral("EU-BE-555"));
    NewEntry e(db, doubles);
    OutgoingEntryDialog& f = *e.form;
    showActive(&f);
    QCOMPARE(edit(&f, "carrierCodeEdit")->text(), e.carrier);
    QCOMPARE(edit(&f, "buyerCodeEdit")->text(), e.buyer);
    // The picked codes stay out of reach and can be read.
    for (const char* name : {"carrierCodeEdit", "buyerCodeEdit"}) {
        QVERIFY(!edit(&f, name)->isEnabled());
        QVERIFY2(drawnColours(edit(&f, name)).contrast() >= 4.5, name);
    }
    QVERIFY(!button(&f, "newButton")->isEnabled());
    QVERIFY(button(&f, "okButton")->isEnabled());

    focusTo(edit(&f, "earTagEdit"));
    edit(&f, "earTagEdit")->setText(QStringLiteral("1001"));
    focusTo(edit(&f, "certificateOutEdit"));
    QCOMPARE(edit(&f, "certificateInEdit")->text(), QStringLiteral("EU-BE-555"));  // copied from the arrival
    QVERIFY(doubles.messages.isEmpty());

    button(&f, "okButton")->click();
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
    const auto rows = db.rows(QStringLiteral("SELECT kskod, kfkod, kfulszam, kikelt, keubizbe, khkat, keubizki FROM kiszall"));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first(), QStringList({e.carrier, e.buyer, QStringLiteral("1001"), QStringLiteral("2011.03.15"),
                                        QStringLiteral("EU-BE-555"), QStringLiteral("gyüjtés"), QStringLiteral("KI-77")}));
    QCOMPARE(db.session().handOver().carrierCode, e.carrier);
    QCOMPARE(db.session().handOver().partnerCode, e.buyer);
    // Saved: "Új" enabled, "OK" disabled; the list stands on its first row (nothing was opened for change).
    QVERIFY(button(&f, "newButton")->isEnabled());
    QVERIFY(!button(&f, "okButton")->isEnabled());
    QVERIFY(entryRows(f).active());
    QCOMPARE(entryRows(f).fieldText(QStringLiteral("kfulszam")), QStringLiteral("1001"));
    // The commit closed the register lists: the panels are empty until a picker reopens them.
    QVERIFY(!db.session().carriers().list().active());
    QCOMPARE(shown(&f, "snevText"), QString());

    // "Új" re-enables OK; a second dispatch of the same animal is refused.
    button(&f, "newButton")->click();
    QVERIFY(button(&f, "okButton")->isEnabled());
    button(&f, "okButton")->click();
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
    OutgoingEntryDialog& f = *e.form;
    showActive(&f);
    edit(&f, "certificateInEdit")->setText(QStringLiteral("kézzel"));
    focusTo(edit(&f, "earTagEdit"));
    edit(&f, "earTagEdit")->setText(earTag);
    focusTo(edit(&f, "certificateOutEdit"));
    if (onLeaving.isEmpty()) {
        QVERIFY(doubles.messages.isEmpty());
        QCOMPARE(QApplication::focusWidget(), edit(&f, "certificateOutEdit"));
    } else {
        QCOMPARE(doubles.messageTexts(), QStringList{onLeaving});
        QCOMPARE(QApplication::focusWidget(), edit(&f, "earTagEdit"));  // the user cannot move on
        QCOMPARE(edit(&f, "certificateInEdit")->text(), QStringLiteral("kézzel"));
    }
    doubles.messages.clear();
    button(&f, "okButton")->click();
    QCOMPARE(doubles.messageTexts(), QStringList{onOk});
    QCOMPARE(QApplication::focusWidget(), edit(&f, "earTagEdit"));
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE kfulszam = '%1'").arg(earTag)),
             earTag == QStringLiteral("3003") ? QStringLiteral("1") : QStringLiteral("0"));
    QVERIFY(button(&f, "okButton")->isEnabled());
}

void OutgoingEntryTest::validationOrder_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::newRow("1 carrier") << "carrierCodeEdit" << "  " << "Nincs megadva a szállító!" << "chooseCarrierButton";
    QTest::newRow("2 buyer") << "buyerCodeEdit" << "" << "Nincs megadva a vevö!" << "chooseBuyerButton";
    QTest::newRow("3 ear tag") << "earTagEdit" << "" << "Nincs megadva a fülszám!" << "earTagEdit";
    QTest::newRow("4 date empty") << "dispatchDateEdit" << " " << "Nincs megadva a kiszállitás kelte!"
                                  << "dispatchDateEdit";
    QTest::newRow("5 date invalid") << "dispatchDateEdit" << "2011.02.30" << "A dátum formátuma nem megfelelő!"
                                    << "dispatchDateEdit";
    QTest::newRow("6 date early") << "dispatchDateEdit" << "2009.12.31"
                                  << "Kiszállitás kelte kisebb mint 2010.01.01 -nél!" << "dispatchDateEdit";
    QTest::newRow("7 cert in") << "certificateInEdit" << "" << "Nincs megadva a eü. bizonyitvány ((be) száma!"
                               << "certificateInEdit";
    QTest::newRow("8 category") << "categoryEdit" << "" << "Nincs megadva a hasznositási kategória!" << "categoryEdit";
    QTest::newRow("9 cert out") << "certificateOutEdit" << "" << "Nincs megadva az eü. bizonyitvány (ki) száma!"
                                << "certificateOutEdit";
    QTest::newRow("first day passes") << "dispatchDateEdit" << "2010.01.01" << "" << "";
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
    OutgoingEntryDialog& f = *e.form;
    showActive(&f);
    edit(&f, "earTagEdit")->setText(QStringLiteral("1001"));
    edit(&f, "certificateInEdit")->setText(QStringLiteral("BE-1"));
    // Every later field is emptied too: the first failing step must win.
    const QStringList order = {"carrierCodeEdit",   "buyerCodeEdit", "earTagEdit",        "dispatchDateEdit",
                               "certificateInEdit", "categoryEdit",  "certificateOutEdit"};
    auto* target = f.findChild<QLineEdit*>(field);
    target->setText(value);
    if (!message.isEmpty())
        for (int i = order.indexOf(field) + 1; i < order.size(); ++i)
            f.findChild<QLineEdit*>(order.at(i))->clear();
    button(&f, "okButton")->click();
    if (message.isEmpty()) {
        QVERIFY(doubles.messages.isEmpty());
        QCOMPARE(db.value(QStringLiteral("SELECT kikelt FROM kiszall")), value);
        return;
    }
    QCOMPARE(doubles.messageTexts(), QStringList{message});
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    QCOMPARE(db.count(QStringLiteral("kiszall")), 0);
    QVERIFY(button(&f, "okButton")->isEnabled());
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

    OutgoingListDialog list(db.session());
    list.rebuildList();
    QVERIFY(gridRows(&list, "departuresGrid").locate(QStringLiteral("IDk"), id));
    OutgoingEntryDialog f(db.session(), EntryMode::Change);
    QVERIFY(f.loadForChange(list.currentDeparture()));
    QCOMPARE(f.windowTitle(), QStringLiteral("Fülszám módositás"));
    QCOMPARE(edit(&f, "departureIdEdit")->text(), id);
    QCOMPARE(edit(&f, "earTagEdit")->text(), QStringLiteral("1001"));
    QCOMPARE(edit(&f, "dispatchDateEdit")->text(), QStringLiteral("2011.03.10"));
    QCOMPARE(db.session().handOver().outgoingId, id);
    QCOMPARE(db.session().carriers().list().fieldText(QStringLiteral("skod")), carrier);
    QCOMPARE(shown(&f, "skodText"), carrier);  // the carrier panel shows the departure's carrier
    QCOMPARE(entryRows(f).fieldText(QStringLiteral("IDk")), id);
    QVERIFY(!checkBox(&f, "incrementEarTagCheckBox")->isEnabled());

    // Own ear tag kept, other data changed: saved.
    edit(&f, "dispatchDateEdit")->setText(QStringLiteral("2011.04.01"));
    edit(&f, "certificateOutEdit")->setText(QStringLiteral("KI-NEW"));
    button(&f, "okButton")->click();
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
    QCOMPARE(db.rows(QStringLiteral("SELECT kfulszam, kikelt, keubizki FROM kiszall WHERE idk = %1").arg(id)).first(),
             QStringList({QStringLiteral("1001"), QStringLiteral("2011.04.01"), QStringLiteral("KI-NEW")}));
    QCOMPARE(entryRows(f).fieldText(QStringLiteral("IDk")), id);  // the list stands on the changed row

    // Another dispatched animal's ear tag is refused; one still on site is taken.
    button(&f, "newButton")->click();
    edit(&f, "earTagEdit")->setText(QStringLiteral("1002"));
    button(&f, "okButton")->click();
    QCOMPARE(doubles.messageTexts(), QStringList{kDispatched});
    edit(&f, "earTagEdit")->setText(QStringLiteral("1003"));
    button(&f, "okButton")->click();
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
    OutgoingListDialog list(db.session());
    list.rebuildList();
    OutgoingEntryDialog f(db.session(), EntryMode::Change);
    QVERIFY(f.loadForChange(list.currentDeparture()));
    QCOMPARE(edit(&f, "certificateInEdit")->text(), QStringLiteral("BE-1"));
    showActive(&f);
    focusTo(edit(&f, "earTagEdit"));
    focusTo(edit(&f, "certificateOutEdit"));
    QCOMPARE(edit(&f, "certificateInEdit")->text(), QStringLiteral("ARRIVAL-CERT"));
    edit(&f, "certificateInEdit")->setText(QStringLiteral("typed"));
    focusTo(edit(&f, "earTagEdit"));
    focusTo(edit(&f, "dispatchDateEdit"));  // every time the field is left
    QCOMPARE(edit(&f, "certificateInEdit")->text(), QStringLiteral("ARRIVAL-CERT"));
    QVERIFY(doubles.messages.isEmpty());
}

void OutgoingEntryTest::cancelAndCloseNeverRunTheCheck()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    {
        // "Mégsem" clicked with an unknown ear tag in the field: the screen closes without a word.
        OutgoingEntryDialog f(db.session(), EntryMode::New);
        showActive(&f);
        focusTo(edit(&f, "earTagEdit"));
        edit(&f, "earTagEdit")->setText(QStringLiteral("999"));
        QTest::mouseClick(button(&f, "cancelButton"), Qt::LeftButton);
        QApplication::processEvents();
        QApplication::processEvents();
        QVERIFY(!f.isVisible());
        QVERIFY(doubles.messages.isEmpty());
    }
    {
        // Tabbing onto "Mégsem" and pressing it.
        OutgoingEntryDialog f(db.session(), EntryMode::New);
        showActive(&f);
        focusTo(edit(&f, "earTagEdit"));
        edit(&f, "earTagEdit")->setText(QStringLiteral("999"));
        focusTo(button(&f, "cancelButton"));
        QVERIFY(doubles.messages.isEmpty());
        QTest::keyClick(button(&f, "cancelButton"), Qt::Key_Space);
        QApplication::processEvents();
        QVERIFY(!f.isVisible());
        QVERIFY(doubles.messages.isEmpty());
    }
    {
        // The window's close button.
        OutgoingEntryDialog f(db.session(), EntryMode::New);
        showActive(&f);
        focusTo(edit(&f, "earTagEdit"));
        edit(&f, "earTagEdit")->setText(QStringLiteral("999"));
        f.close();
        QApplication::processEvents();
        QApplication::processEvents();
        QVERIFY(!f.isVisible());
        QVERIFY(doubles.messages.isEmpty());
    }
    {
        // Escape in the field closes the dialog like any other: no check on the way out.
        OutgoingEntryDialog f(db.session(), EntryMode::New);
        showActive(&f);
        focusTo(edit(&f, "earTagEdit"));
        QTest::keyClicks(edit(&f, "earTagEdit"), QStringLiteral("999"));
        QTest::keyClick(edit(&f, "earTagEdit"), Qt::Key_Escape);
        QApplication::processEvents();
        QApplication::processEvents();
        QVERIFY(!f.isVisible());
        QVERIFY(doubles.messages.isEmpty());
    }
    {
        // Control: moving to any other field runs it.
        OutgoingEntryDialog f(db.session(), EntryMode::New);
        showActive(&f);
        focusTo(edit(&f, "earTagEdit"));
        edit(&f, "earTagEdit")->setText(QStringLiteral("999"));
        focusTo(edit(&f, "categoryEdit"));
        QCOMPARE(doubles.messageTexts(), QStringList{kNotArrived});
    }
}

void OutgoingEntryTest::cannotGetPastAnEarTagThatNeverArrived_data()
{
    QTest::addColumn<QString>("earTag");
    QTest::addColumn<QString>("action");  // what the user does after typing the ear tag
    for (const char* action : {"click chooseCarrierButton", "click chooseBuyerButton", "click okButton",
                               "click certificateOutEdit", "click departuresGrid", "key Tab", "key Return",
                               "Tab then type"})
        QTest::newRow(action) << QStringLiteral("555") << QString::fromLatin1(action);
    QTest::newRow("empty field, click chooseCarrierButton") << QString() << QStringLiteral("click chooseCarrierButton");
    // Control: an arrived ear tag lets every action through at the first click or key.
    for (const char* action : {"click chooseCarrierButton", "click okButton", "key Tab", "Tab then type"})
        QTest::newRow(qPrintable(QStringLiteral("arrived, %1").arg(QString::fromLatin1(action))))
            << QStringLiteral("1001") << QString::fromLatin1(action);
}

void OutgoingEntryTest::cannotGetPastAnEarTagThatNeverArrived()
{
    QFETCH(QString, earTag);
    QFETCH(QString, action);
    TestDatabase db;
    platform::TestDoubles doubles;
    NewEntry e(db, doubles);
    arrival(db, QStringLiteral("1001"), QStringLiteral("EU-BE-1"));
    OutgoingEntryDialog& f = *e.form;
    showActive(&f);
    const QString carrierCode = edit(&f, "carrierCodeEdit")->text();
    // A picker opened anyway would pick this row.
    const QString otherCarrier = db.addCarrier(QStringLiteral("ZZZ-999"), QStringLiteral("Más Fuvar"));
    choose(doubles, &db.session().carriers().list(), QStringLiteral("skod"), otherCarrier);
    doubles.modalsShown.clear();

    QTest::mouseClick(edit(&f, "earTagEdit"), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), edit(&f, "earTagEdit"));
    QTest::keyClicks(edit(&f, "earTagEdit"), earTag);
    const QString kind = action.section(u' ', 0, 0);
    const QString target = action.section(u' ', 1);
    if (kind == QLatin1String("click")) {
        QTest::mouseClick(f.findChild<QWidget*>(target), Qt::LeftButton);
    } else if (kind == QLatin1String("key")) {
        QTest::keyClick(edit(&f, "earTagEdit"), target == QLatin1String("Tab") ? Qt::Key_Tab : Qt::Key_Return);
    } else {
        // Typed on at once, before the program had a moment between the two keys.
        QTest::keyClick(edit(&f, "earTagEdit"), Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("7"));
    }
    QApplication::processEvents();
    QApplication::processEvents();

    const bool arrived = earTag == QLatin1String("1001");
    if (!arrived) {
        // One message, the focus back in the field, and the button's action did not run.
        QCOMPARE(doubles.messageTexts(), QStringList{kNotArrived});
        QCOMPARE(QApplication::focusWidget(), edit(&f, "earTagEdit"));
        QVERIFY(doubles.modalsShown.isEmpty());
        QCOMPARE(edit(&f, "carrierCodeEdit")->text(), carrierCode);
        QCOMPARE(edit(&f, "earTagEdit")->text(), earTag);
        QCOMPARE(edit(&f, "certificateOutEdit")->text(), QStringLiteral("KI-77"));
        QCOMPARE(db.count(QStringLiteral("kiszall")), 0);
        QVERIFY(button(&f, "okButton")->isEnabled());
        return;
    }
    QVERIFY2(doubles.messages.isEmpty() || action == QLatin1String("click okButton"),
             qPrintable(doubles.messageTexts().join(u'|')));
    QCOMPARE(edit(&f, "certificateInEdit")->text(), QStringLiteral("EU-BE-1"));
    if (action == QLatin1String("click chooseCarrierButton")) {
        QCOMPARE(doubles.modalsShown, QStringList{QStringLiteral("carrierListDialog")});
        QCOMPARE(edit(&f, "carrierCodeEdit")->text(), otherCarrier);
    } else if (action == QLatin1String("click okButton")) {
        QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
        QCOMPARE(db.value(QStringLiteral("SELECT keubizbe FROM kiszall WHERE kfulszam = '1001'")),
                 QStringLiteral("EU-BE-1"));
    } else if (action == QLatin1String("Tab then type")) {
        QCOMPARE(edit(&f, "certificateOutEdit")->text(), QStringLiteral("7"));  // Tab selected what the field held
    }
}

void OutgoingEntryTest::newAfterSaveShowsOneBoxAtATime()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    NewEntry e(db, doubles);
    arrival(db, QStringLiteral("1001"));
    arrival(db, QStringLiteral("1002"));
    OutgoingEntryDialog& f = *e.form;
    showActive(&f);
    checkBox(&f, "incrementEarTagCheckBox")->setChecked(true);
    // A real box runs the event loop while it stands: a second box must not open over it.
    int open = 0;
    int mostOpen = 0;
    doubles.onMessage = [&](const platform::ShownMessage&) {
        ++open;
        mostOpen = std::max(mostOpen, open);
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
        --open;
    };

    QTest::mouseClick(edit(&f, "earTagEdit"), Qt::LeftButton);
    QTest::keyClicks(edit(&f, "earTagEdit"), QStringLiteral("1001"));
    QTest::mouseClick(button(&f, "okButton"), Qt::LeftButton);
    QApplication::processEvents();
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
    QVERIFY(button(&f, "newButton")->isEnabled());  // saved

    // The ear tag emptied: "Új" would say it is no number; leaving the field says first that no
    // such ear tag arrived, and that is the only box.
    QTest::mouseClick(edit(&f, "earTagEdit"), Qt::LeftButton);
    edit(&f, "earTagEdit")->selectAll();
    QTest::keyClick(edit(&f, "earTagEdit"), Qt::Key_Backspace);
    QTest::mouseClick(button(&f, "newButton"), Qt::LeftButton);
    QApplication::processEvents();
    QApplication::processEvents();
    QCOMPARE(doubles.messageTexts(), QStringList{kNotArrived});
    QCOMPARE(mostOpen, 1);
    QCOMPARE(QApplication::focusWidget(), edit(&f, "earTagEdit"));
    QVERIFY(button(&f, "newButton")->isEnabled());  // "Új" did not run
    QVERIFY(!button(&f, "okButton")->isEnabled());

    // An arrived ear tag: "Új" runs at the first click and counts on from it.
    doubles.messages.clear();
    QTest::keyClicks(edit(&f, "earTagEdit"), QStringLiteral("1001"));
    QTest::mouseClick(button(&f, "newButton"), Qt::LeftButton);
    QApplication::processEvents();
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
    QCOMPARE(edit(&f, "earTagEdit")->text(), QStringLiteral("1002"));
    QVERIFY(!button(&f, "newButton")->isEnabled());
    QVERIFY(button(&f, "okButton")->isEnabled());
    QCOMPARE(mostOpen, 1);
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
    OutgoingEntryDialog f(db.session(), EntryMode::New);
    button(&f, "newButton")->setEnabled(true);
    button(&f, "okButton")->setEnabled(false);
    edit(&f, "earTagEdit")->setText(before);
    edit(&f, "certificateOutEdit")->setText(QStringLiteral("kept"));
    checkBox(&f, "incrementEarTagCheckBox")->setChecked(ticked);
    button(&f, "newButton")->click();
    QCOMPARE(edit(&f, "earTagEdit")->text(), after);
    QCOMPARE(doubles.messageTexts(),
             refused ? QStringList{QStringLiteral("A fülszám nem csak számot tartalmaz!")} : QStringList{});
    QVERIFY(!button(&f, "newButton")->isEnabled());
    QVERIFY(button(&f, "okButton")->isEnabled());
    QCOMPARE(edit(&f, "certificateOutEdit")->text(), QStringLiteral("kept"));
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
    EarTagPickListDialog pick(db.session(), partial);
    Dataset& rows = gridRows(&pick, "earTagsGrid");
    QCOMPARE(pick.earTagBeginning(), partial);
    QStringList order;
    for (int r = 0; r < rows.recordCount(); ++r)
        order << rows.cellText(r, rows.fieldIndex(QStringLiteral("bfulszam")));
    // Text order: 100 before 99; the dispatched 120 is not offered.
    QCOMPARE(order, QStringList({"100", "12", "1250", "13", "99", "A1"}));
    QCOMPARE(rows.fieldText(QStringLiteral("bfulszam")), current);
    QCOMPARE(child<DBGrid>(&pick, "earTagsGrid")->currentIndex().row(), rows.recNo());
}

void OutgoingEntryTest::pickListChooseAndCancel()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    for (const char* tag : {"1200", "1210", "1300"})
        arrival(db, QString::fromLatin1(tag));
    OutgoingEntryDialog f(db.session(), EntryMode::New);
    showActive(&f);
    focusTo(edit(&f, "earTagEdit"));
    edit(&f, "earTagEdit")->setText(QStringLiteral("121"));

    // A double-click opens the list on the typed prefix; it is not leaving the field.
    QString handedOver;
    doubles.modalHandlers << [&handedOver](QDialog* d) {
        QCOMPARE(d->objectName(), QStringLiteral("earTagPickListDialog"));
        handedOver = qobject_cast<EarTagPickListDialog*>(d)->earTagBeginning();
        QCOMPARE(gridRows(d, "earTagsGrid").fieldText(QStringLiteral("bfulszam")), QStringLiteral("1210"));
        gridRows(d, "earTagsGrid").next();
        button(d, "pickButton")->click();  // "Kiválaszt"
    };
    QTest::mouseDClick(edit(&f, "earTagEdit"), Qt::LeftButton);
    QApplication::processEvents();
    QCOMPARE(handedOver, QStringLiteral("121"));
    QCOMPARE(doubles.modalsShown, QStringList{QStringLiteral("earTagPickListDialog")});
    QCOMPARE(edit(&f, "earTagEdit")->text(), QStringLiteral("1300"));
    QVERIFY(doubles.messages.isEmpty());

    // "Mégsem" changes nothing; an unknown typed beginning still gets no exit check on the way.
    edit(&f, "earTagEdit")->setText(QStringLiteral("77"));
    doubles.modalHandlers << [](QDialog* d) {
        gridRows(d, "earTagsGrid").last();
        button(d, "cancelButton")->click();  // "Mégsem"
    };
    QTest::mouseDClick(edit(&f, "earTagEdit"), Qt::LeftButton);
    QApplication::processEvents();
    QApplication::processEvents();
    QCOMPARE(edit(&f, "earTagEdit")->text(), QStringLiteral("77"));
    QVERIFY(doubles.messages.isEmpty());
}

void OutgoingEntryTest::categoryToggle()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    OutgoingEntryDialog f(db.session(), EntryMode::New);
    QCOMPARE(edit(&f, "categoryEdit")->text(), QStringLiteral("gyüjtés"));
    QStringList seen;
    for (int i = 0; i < 3; ++i) {
        QTest::mouseDClick(edit(&f, "categoryEdit"), Qt::LeftButton);
        seen << edit(&f, "categoryEdit")->text();
    }
    QCOMPARE(seen, QStringList({"hizlalás", "vágás", "hizlalás"}));
}

void OutgoingEntryTest::focusAndTabOrder()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    arrival(db, QStringLiteral("1001"));
    OutgoingEntryDialog f(db.session(), EntryMode::New);
    showActive(&f);
    QCOMPARE(QApplication::focusWidget(), edit(&f, "dispatchDateEdit"));

    // The whole chain, disabled controls included, as Tab would take it when they are enabled.
    QStringList chain;
    QWidget* w = edit(&f, "dispatchDateEdit");
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            chain << w->objectName();
        w = w->nextInFocusChain();
    } while (w != edit(&f, "dispatchDateEdit"));
    QCOMPARE(chain, QStringList({"dispatchDateEdit", "categoryEdit", "earTagEdit", "certificateOutEdit",
                                 "certificateInEdit", "newButton", "okButton", "cancelButton", "chooseCarrierButton",
                                 "chooseBuyerButton", "departureIdEdit", "carrierCodeEdit", "buyerCodeEdit",
                                 "departuresGrid", "nbFirst", "nbPrior", "nbNext", "nbLast",
                                 "incrementEarTagCheckBox"}));

    // Tab leaves the date and ear-tag fields, whose key filters take no other character.
    QTest::keyClicks(edit(&f, "dispatchDateEdit"), QStringLiteral("2011a.03.15"));
    QCOMPARE(edit(&f, "dispatchDateEdit")->text(), QStringLiteral("2011.03.15"));
    QTest::keyClick(edit(&f, "dispatchDateEdit"), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), edit(&f, "categoryEdit"));
    QTest::keyClick(edit(&f, "categoryEdit"), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), edit(&f, "earTagEdit"));
    QTest::keyClicks(edit(&f, "earTagEdit"), QStringLiteral("10x01"));
    QCOMPARE(edit(&f, "earTagEdit")->text(), QStringLiteral("1001"));
    QTest::keyClick(edit(&f, "earTagEdit"), Qt::Key_Tab);
    QApplication::processEvents();
    QCOMPARE(QApplication::focusWidget(), edit(&f, "certificateOutEdit"));
    QTest::keyClick(edit(&f, "certificateOutEdit"), Qt::Key_Tab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), edit(&f, "earTagEdit"));
    QVERIFY(doubles.messages.isEmpty());
}

void OutgoingEntryTest::newEntryWriteFailures_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("saved");  // the list rebuilt and the screen Saved, as after any save
    QTest::newRow("a category too long for its column")
        << "categoryEdit" << QString(30, u'x') << QStringLiteral("Hiba112: Újban, INSERT a kiszallitásban ") << true;
    // Nothing reached the database: the screen stays ready for the mended field.
    QTest::newRow("a character the database cannot hold")
        << "certificateOutEdit" << QStringLiteral("HU-EÜ-2024/ț9")
        << unstorableTextMessage(QStringLiteral("Eü. bizonyitvány ki"), QStringLiteral("\"ț\" (U+021B)")) << false;
}

void OutgoingEntryTest::newEntryWriteFailures()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, message);
    QFETCH(bool, saved);
    TestDatabase db;
    platform::TestDoubles doubles;
    NewEntry e(db, doubles);
    arrival(db, QStringLiteral("1001"));
    OutgoingEntryDialog& f = *e.form;
    edit(&f, "earTagEdit")->setText(QStringLiteral("1001"));
    edit(&f, "certificateInEdit")->setText(QStringLiteral("BE-1"));
    f.findChild<QLineEdit*>(field)->setText(value);
    button(&f, "okButton")->click();
    QCOMPARE(doubles.messageTexts(), QStringList{message});
    QCOMPARE(db.count(QStringLiteral("kiszall")), 0);
    QVERIFY(entryRows(f).active());  // the list shown again
    QCOMPARE(button(&f, "newButton")->isEnabled(), saved);
    QCOMPARE(button(&f, "okButton")->isEnabled(), !saved);
}

void OutgoingEntryTest::unstorableTextNamesTheFirstFieldWritten_data()
{
    QTest::addColumn<bool>("change");
    QTest::addColumn<QStringList>("fields");  // each gets a character the database cannot hold
    QTest::addColumn<QString>("named");       // the field the message names
    for (const bool change : {false, true}) {
        const char* mode = change ? "change" : "new";
        QTest::addRow("%s: carrier code before certificate out", mode)
            << change << QStringList{"certificateOutEdit", "carrierCodeEdit"} << QStringLiteral("Száll.kód");
        QTest::addRow("%s: buyer code before certificate in", mode)
            << change << QStringList{"certificateInEdit", "buyerCodeEdit"} << QStringLiteral("Vevö kód");
        QTest::addRow("%s: certificate in before category", mode)
            << change << QStringList{"categoryEdit", "certificateInEdit"} << QStringLiteral("Eü. bizonyitvány be");
        QTest::addRow("%s: category before certificate out", mode)
            << change << QStringList{"certificateOutEdit", "categoryEdit"} << QStringLiteral("Hasznositási kategória");
    }
}

void OutgoingEntryTest::unstorableTextNamesTheFirstFieldWritten()
{
    QFETCH(bool, change);
    QFETCH(QStringList, fields);
    QFETCH(QString, named);
    TestDatabase db;
    platform::TestDoubles doubles;
    arrival(db, QStringLiteral("1001"));
    std::unique_ptr<NewEntry> entry;
    std::unique_ptr<OutgoingListDialog> list;
    std::unique_ptr<OutgoingEntryDialog> changing;
    OutgoingEntryDialog* f = nullptr;
    if (change) {
        const QString carrier = db.addCarrier(QStringLiteral("ABC-123"), QStringLiteral("Kiss Fuvar"));
        const QString buyer = db.addPartner(QStringLiteral("Vágóhíd Kft"));
        departure(db, QStringLiteral("1001"), carrier, buyer);
        list = std::make_unique<OutgoingListDialog>(db.session());
        list->rebuildList();
        changing = std::make_unique<OutgoingEntryDialog>(db.session(), EntryMode::Change);
        QVERIFY(changing->loadForChange(list->currentDeparture()));
        f = changing.get();
    } else {
        entry = std::make_unique<NewEntry>(db, doubles);
        f = entry->form.get();
        edit(f, "earTagEdit")->setText(QStringLiteral("1001"));
        edit(f, "certificateInEdit")->setText(QStringLiteral("BE-1"));
    }
    const auto stored = [&db] {
        return db.rows(QStringLiteral("SELECT kskod, kfkod, kfulszam, keubizbe, khkat, keubizki FROM kiszall"));
    };
    const QList<QStringList> before = stored();
    for (const QString& field : fields)
        edit(f, qPrintable(field))->setText(edit(f, qPrintable(field))->text() + QStringLiteral("ț"));

    button(f, "okButton")->click();
    QCOMPARE(doubles.messageTexts(), QStringList{unstorableTextMessage(named, QStringLiteral("\"ț\" (U+021B)"))});
    QCOMPARE(stored(), before);  // nothing written
    QVERIFY(entryRows(*f).active());  // the list shown again, the screen ready for the mended field
    QVERIFY(button(f, "okButton")->isEnabled());

    // Mended, the same "OK" writes what the screen holds.
    doubles.messages.clear();
    for (const QString& field : fields)
        edit(f, qPrintable(field))->setText(edit(f, qPrintable(field))->text().remove(u'ț'));
    button(f, "okButton")->click();
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
    QStringList shownValues;
    for (const char* field : {"carrierCodeEdit", "buyerCodeEdit", "earTagEdit", "certificateInEdit", "categoryEdit",
                              "certificateOutEdit"})
        shownValues << edit(f, field)->text();
    QCOMPARE(stored(), QList<QStringList>{shownValues});
}

void OutgoingEntryTest::failedWritesRollBackAndRebuild()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    arrival(db, QStringLiteral("1001"));
    {
        // Change mode: another user holds the row.
        const QString carrier = db.addCarrier(QStringLiteral("ABC-123"), QStringLiteral("Kiss Fuvar"));
        const QString buyer = db.addPartner(QStringLiteral("Vágóhíd Kft"));
        departure(db, QStringLiteral("1001"), carrier, buyer);
        const QString id = db.value(QStringLiteral("SELECT idk FROM kiszall"));
        OutgoingListDialog list(db.session());
        list.rebuildList();
        OutgoingEntryDialog f(db.session(), EntryMode::Change);
        QVERIFY(f.loadForChange(list.currentDeparture()));
        edit(&f, "certificateOutEdit")->setText(QStringLiteral("KI-NEW"));
        RowLock other(db, QStringLiteral("UPDATE kiszall SET khkat = 'más' WHERE idk = %1").arg(id));
        button(&f, "okButton")->click();
        QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba113: Módositás, Update a kiszállításban ")});
        QVERIFY(button(&f, "newButton")->isEnabled());
        QCOMPARE(entryRows(f).fieldText(QStringLiteral("IDk")), id);
    }
    QCOMPARE(db.value(QStringLiteral("SELECT keubizki FROM kiszall")), QStringLiteral("KI-1"));
}


void OutgoingEntryTest::longListLandsOnNewestOrRememberedRow_data()
{
    QTest::addColumn<QString>("remembered");
    QTest::newRow("nothing remembered") << "";
    QTest::newRow("a departure changed earlier") << "200";
}

void OutgoingEntryTest::longListLandsOnNewestOrRememberedRow()
{
    QFETCH(QString, remembered);
    TestDatabase db;
    platform::TestDoubles doubles;
    db.exec(QStringLiteral("EXECUTE BLOCK AS DECLARE I INT = 0; BEGIN WHILE (I < 450) DO BEGIN "
                           "INSERT INTO kiszall (kfulszam, kikelt) VALUES (5000 + :I, DATE '2011-03-01'); "
                           "I = I + 1; END END"));
    arrival(db, QStringLiteral("1001"));
    db.session().handOver().outgoingId = remembered;
    NewEntry e(db, doubles);
    OutgoingEntryDialog& f = *e.form;
    f.show();
    // Opened on the newest departure, the list read around it only.
    QCOMPARE(entryRows(f).fieldText(QStringLiteral("IDk")), QStringLiteral("450"));
    QVERIFY(entryRows(f).fetchedCount() < 300);
    auto* grid = child<DBGrid>(&f, "departuresGrid");
    QCOMPARE(grid->currentIndex().row(), entryRows(f).recNo());

    edit(&f, "earTagEdit")->setText(QStringLiteral("1001"));
    edit(&f, "certificateInEdit")->setText(QStringLiteral("BE-1"));
    button(&f, "okButton")->click();
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
    // The rebuilt list stands on the remembered departure, or on its first row.
    const QString expected = remembered.isEmpty() ? QStringLiteral("1") : remembered;
    QCOMPARE(entryRows(f).fieldText(QStringLiteral("IDk")), expected);
    QVERIFY(entryRows(f).fetchedCount() < 300);
    QCOMPARE(grid->currentIndex().row(), entryRows(f).recNo());
    QCOMPARE(entryRows(f).recordCount(), 451);
    QCOMPARE(entryRows(f).fieldText(QStringLiteral("IDk")), expected);
}

QTEST_MAIN(OutgoingEntryTest)
#include "test_outgoing_entry.moc"
