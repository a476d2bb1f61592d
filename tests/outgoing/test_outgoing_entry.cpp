#include "storage/shared_datasets.h"
#include "core/handover.h"
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
        form = std::make_unique<OutgoingEntryDialog>(EntryMode::New);
        choose(doubles, &Data->ZQ30, QStringLiteral("skod"), carrier);
        button(form.get(), "Button1")->click();
        choose(doubles, &Data->ZQ40, QStringLiteral("fkod"), buyer);
        button(form.get(), "Button2")->click();
        edit(form.get(), "Edit5")->setText(QStringLiteral("2011.03.15"));
        edit(form.get(), "Edit8")->setText(QStringLiteral("KI-77"));
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
};

void OutgoingEntryTest::dispatchesAnArrivedAnimal()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    arrival(db, QStringLiteral("1001"), QStringLiteral("EU-BE-555"));
    NewEntry e(db, doubles);
    OutgoingEntryDialog& f = *e.form;
    showActive(&f);
    QCOMPARE(edit(&f, "Edit2")->text(), e.carrier);
    QCOMPARE(edit(&f, "Edit3")->text(), e.buyer);
    // The picked codes stay out of reach and can be read.
    for (const char* name : {"Edit2", "Edit3"}) {
        QVERIFY(!edit(&f, name)->isEnabled());
        QVERIFY2(drawnColours(edit(&f, name)).contrast() >= 4.5, name);
    }
    QVERIFY(!button(&f, "Button3")->isEnabled());
    QVERIFY(button(&f, "Button5")->isEnabled());

    focusTo(edit(&f, "Edit4"));
    edit(&f, "Edit4")->setText(QStringLiteral("1001"));
    focusTo(edit(&f, "Edit8"));
    QCOMPARE(edit(&f, "Edit6")->text(), QStringLiteral("EU-BE-555"));  // copied from the arrival
    QVERIFY(doubles.messages.isEmpty());

    button(&f, "Button5")->click();
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
    const auto rows = db.rows(QStringLiteral("SELECT kskod, kfkod, kfulszam, kikelt, keubizbe, khkat, keubizki FROM kiszall"));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first(), QStringList({e.carrier, e.buyer, QStringLiteral("1001"), QStringLiteral("2011.03.15"),
                                        QStringLiteral("EU-BE-555"), QStringLiteral("gyüjtés"), QStringLiteral("KI-77")}));
    QCOMPARE(handOver().carrierCode, e.carrier);
    QCOMPARE(handOver().partnerCode, e.buyer);
    // Saved: "Új" enabled, "OK" disabled; the list stands on its first row (nothing was opened for change).
    QVERIFY(button(&f, "Button3")->isEnabled());
    QVERIFY(!button(&f, "Button5")->isEnabled());
    QVERIFY(Data->ZQ21.active());
    QCOMPARE(Data->ZQ21.fieldText(QStringLiteral("kfulszam")), QStringLiteral("1001"));
    // The commit closed the register lists: the panels are empty until a picker reopens them.
    QVERIFY(!Data->ZQ30.active());

    // "Új" re-enables OK; a second dispatch of the same animal is refused.
    button(&f, "Button3")->click();
    QVERIFY(button(&f, "Button5")->isEnabled());
    button(&f, "Button5")->click();
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
    edit(&f, "Edit6")->setText(QStringLiteral("kézzel"));
    focusTo(edit(&f, "Edit4"));
    edit(&f, "Edit4")->setText(earTag);
    focusTo(edit(&f, "Edit8"));
    if (onLeaving.isEmpty()) {
        QVERIFY(doubles.messages.isEmpty());
        QCOMPARE(QApplication::focusWidget(), edit(&f, "Edit8"));
    } else {
        QCOMPARE(doubles.messageTexts(), QStringList{onLeaving});
        QCOMPARE(QApplication::focusWidget(), edit(&f, "Edit4"));  // the user cannot move on
        QCOMPARE(edit(&f, "Edit6")->text(), QStringLiteral("kézzel"));
    }
    doubles.messages.clear();
    button(&f, "Button5")->click();
    QCOMPARE(doubles.messageTexts(), QStringList{onOk});
    QCOMPARE(QApplication::focusWidget(), edit(&f, "Edit4"));
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM kiszall WHERE kfulszam = '%1'").arg(earTag)),
             earTag == QStringLiteral("3003") ? QStringLiteral("1") : QStringLiteral("0"));
    QVERIFY(button(&f, "Button5")->isEnabled());
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
    OutgoingEntryDialog& f = *e.form;
    showActive(&f);
    edit(&f, "Edit4")->setText(QStringLiteral("1001"));
    edit(&f, "Edit6")->setText(QStringLiteral("BE-1"));
    // Every later field is emptied too: the first failing step must win.
    const QStringList order = {"Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7", "Edit8"};
    auto* target = f.findChild<QLineEdit*>(field);
    target->setText(value);
    if (!message.isEmpty())
        for (int i = order.indexOf(field) + 1; i < order.size(); ++i)
            f.findChild<QLineEdit*>(order.at(i))->clear();
    button(&f, "Button5")->click();
    if (message.isEmpty()) {
        QVERIFY(doubles.messages.isEmpty());
        QCOMPARE(db.value(QStringLiteral("SELECT kikelt FROM kiszall")), value);
        return;
    }
    QCOMPARE(doubles.messageTexts(), QStringList{message});
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    QCOMPARE(db.count(QStringLiteral("kiszall")), 0);
    QVERIFY(button(&f, "Button5")->isEnabled());
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

    OutgoingListDialog list;
    list.rebuildList();
    QVERIFY(Data->ZQ22.locate(QStringLiteral("IDk"), id));
    OutgoingEntryDialog f(EntryMode::Change);
    QVERIFY(f.loadForChange());
    QCOMPARE(f.windowTitle(), QStringLiteral("Fülszám módositás"));
    QCOMPARE(edit(&f, "Edit1")->text(), id);
    QCOMPARE(edit(&f, "Edit4")->text(), QStringLiteral("1001"));
    QCOMPARE(edit(&f, "Edit5")->text(), QStringLiteral("2011.03.10"));
    QCOMPARE(handOver().outgoingId, id);
    QCOMPARE(Data->ZQ30.fieldText(QStringLiteral("skod")), carrier);
    QCOMPARE(Data->ZQ21.fieldText(QStringLiteral("IDk")), id);
    QVERIFY(!checkBox(&f, "CheckBox1")->isEnabled());

    // Own ear tag kept, other data changed: saved.
    edit(&f, "Edit5")->setText(QStringLiteral("2011.04.01"));
    edit(&f, "Edit8")->setText(QStringLiteral("KI-NEW"));
    button(&f, "Button5")->click();
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
    QCOMPARE(db.rows(QStringLiteral("SELECT kfulszam, kikelt, keubizki FROM kiszall WHERE idk = %1").arg(id)).first(),
             QStringList({QStringLiteral("1001"), QStringLiteral("2011.04.01"), QStringLiteral("KI-NEW")}));
    QCOMPARE(Data->ZQ21.fieldText(QStringLiteral("IDk")), id);  // the list stands on the changed row

    // Another dispatched animal's ear tag is refused; one still on site is taken.
    button(&f, "Button3")->click();
    edit(&f, "Edit4")->setText(QStringLiteral("1002"));
    button(&f, "Button5")->click();
    QCOMPARE(doubles.messageTexts(), QStringList{kDispatched});
    edit(&f, "Edit4")->setText(QStringLiteral("1003"));
    button(&f, "Button5")->click();
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
    OutgoingListDialog list;
    list.rebuildList();
    OutgoingEntryDialog f(EntryMode::Change);
    QVERIFY(f.loadForChange());
    QCOMPARE(edit(&f, "Edit6")->text(), QStringLiteral("BE-1"));
    showActive(&f);
    focusTo(edit(&f, "Edit4"));
    focusTo(edit(&f, "Edit8"));
    QCOMPARE(edit(&f, "Edit6")->text(), QStringLiteral("ARRIVAL-CERT"));
    edit(&f, "Edit6")->setText(QStringLiteral("typed"));
    focusTo(edit(&f, "Edit4"));
    focusTo(edit(&f, "Edit5"));  // every time the field is left
    QCOMPARE(edit(&f, "Edit6")->text(), QStringLiteral("ARRIVAL-CERT"));
    QVERIFY(doubles.messages.isEmpty());
}

void OutgoingEntryTest::cancelAndCloseNeverRunTheCheck()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    {
        // "Mégsem" clicked with an unknown ear tag in the field: the screen closes without a word.
        OutgoingEntryDialog f(EntryMode::New);
        showActive(&f);
        focusTo(edit(&f, "Edit4"));
        edit(&f, "Edit4")->setText(QStringLiteral("999"));
        QTest::mouseClick(button(&f, "Button6"), Qt::LeftButton);
        QApplication::processEvents();
        QApplication::processEvents();
        QVERIFY(!f.isVisible());
        QVERIFY(doubles.messages.isEmpty());
    }
    {
        // Tabbing onto "Mégsem" and pressing it.
        OutgoingEntryDialog f(EntryMode::New);
        showActive(&f);
        focusTo(edit(&f, "Edit4"));
        edit(&f, "Edit4")->setText(QStringLiteral("999"));
        focusTo(button(&f, "Button6"));
        QVERIFY(doubles.messages.isEmpty());
        QTest::keyClick(button(&f, "Button6"), Qt::Key_Space);
        QApplication::processEvents();
        QVERIFY(!f.isVisible());
        QVERIFY(doubles.messages.isEmpty());
    }
    {
        // The window's close button.
        OutgoingEntryDialog f(EntryMode::New);
        showActive(&f);
        focusTo(edit(&f, "Edit4"));
        edit(&f, "Edit4")->setText(QStringLiteral("999"));
        f.close();
        QApplication::processEvents();
        QApplication::processEvents();
        QVERIFY(!f.isVisible());
        QVERIFY(doubles.messages.isEmpty());
    }
    {
        // Escape in the field closes the dialog like any other: no check on the way out.
        OutgoingEntryDialog f(EntryMode::New);
        showActive(&f);
        focusTo(edit(&f, "Edit4"));
        QTest::keyClicks(edit(&f, "Edit4"), QStringLiteral("999"));
        QTest::keyClick(edit(&f, "Edit4"), Qt::Key_Escape);
        QApplication::processEvents();
        QApplication::processEvents();
        QVERIFY(!f.isVisible());
        QVERIFY(doubles.messages.isEmpty());
    }
    {
        // Control: moving to any other field runs it.
        OutgoingEntryDialog f(EntryMode::New);
        showActive(&f);
        focusTo(edit(&f, "Edit4"));
        edit(&f, "Edit4")->setText(QStringLiteral("999"));
        focusTo(edit(&f, "Edit7"));
        QCOMPARE(doubles.messageTexts(), QStringList{kNotArrived});
    }
}

void OutgoingEntryTest::cannotGetPastAnEarTagThatNeverArrived_data()
{
    QTest::addColumn<QString>("earTag");
    QTest::addColumn<QString>("action");  // what the user does after typing the ear tag
    for (const char* action : {"click Button1", "click Button2", "click Button5", "click Edit8", "click DBGrid1",
                               "key Tab", "key Return", "Tab then type"})
        QTest::newRow(action) << QStringLiteral("555") << QString::fromLatin1(action);
    QTest::newRow("empty field, click Button1") << QString() << QStringLiteral("click Button1");
    // Control: an arrived ear tag lets every action through at the first click or key.
    for (const char* action : {"click Button1", "click Button5", "key Tab", "Tab then type"})
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
    const QString carrierCode = edit(&f, "Edit2")->text();
    // A picker opened anyway would pick this row.
    const QString otherCarrier = db.addCarrier(QStringLiteral("ZZZ-999"), QStringLiteral("Más Fuvar"));
    choose(doubles, &Data->ZQ30, QStringLiteral("skod"), otherCarrier);
    doubles.modalsShown.clear();

    QTest::mouseClick(edit(&f, "Edit4"), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), edit(&f, "Edit4"));
    QTest::keyClicks(edit(&f, "Edit4"), earTag);
    const QString kind = action.section(u' ', 0, 0);
    const QString target = action.section(u' ', 1);
    if (kind == QLatin1String("click")) {
        QTest::mouseClick(f.findChild<QWidget*>(target), Qt::LeftButton);
    } else if (kind == QLatin1String("key")) {
        QTest::keyClick(edit(&f, "Edit4"), target == QLatin1String("Tab") ? Qt::Key_Tab : Qt::Key_Return);
    } else {
        // Typed on at once, before the program had a moment between the two keys.
        QTest::keyClick(edit(&f, "Edit4"), Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("7"));
    }
    QApplication::processEvents();
    QApplication::processEvents();

    const bool arrived = earTag == QLatin1String("1001");
    if (!arrived) {
        // One message, the focus back in the field, and the button's action did not run.
        QCOMPARE(doubles.messageTexts(), QStringList{kNotArrived});
        QCOMPARE(QApplication::focusWidget(), edit(&f, "Edit4"));
        QVERIFY(doubles.modalsShown.isEmpty());
        QCOMPARE(edit(&f, "Edit2")->text(), carrierCode);
        QCOMPARE(edit(&f, "Edit4")->text(), earTag);
        QCOMPARE(edit(&f, "Edit8")->text(), QStringLiteral("KI-77"));
        QCOMPARE(db.count(QStringLiteral("kiszall")), 0);
        QVERIFY(button(&f, "Button5")->isEnabled());
        return;
    }
    QVERIFY2(doubles.messages.isEmpty() || action == QLatin1String("click Button5"),
             qPrintable(doubles.messageTexts().join(u'|')));
    QCOMPARE(edit(&f, "Edit6")->text(), QStringLiteral("EU-BE-1"));
    if (action == QLatin1String("click Button1")) {
        QCOMPARE(doubles.modalsShown, QStringList{QStringLiteral("carrierListDialog")});
        QCOMPARE(edit(&f, "Edit2")->text(), otherCarrier);
    } else if (action == QLatin1String("click Button5")) {
        QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
        QCOMPARE(db.value(QStringLiteral("SELECT keubizbe FROM kiszall WHERE kfulszam = '1001'")),
                 QStringLiteral("EU-BE-1"));
    } else if (action == QLatin1String("Tab then type")) {
        QCOMPARE(edit(&f, "Edit8")->text(), QStringLiteral("7"));  // Tab selected what the field held
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
    checkBox(&f, "CheckBox1")->setChecked(true);
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

    QTest::mouseClick(edit(&f, "Edit4"), Qt::LeftButton);
    QTest::keyClicks(edit(&f, "Edit4"), QStringLiteral("1001"));
    QTest::mouseClick(button(&f, "Button5"), Qt::LeftButton);
    QApplication::processEvents();
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
    QVERIFY(button(&f, "Button3")->isEnabled());  // saved

    // The ear tag emptied: "Új" would say it is no number; leaving the field says first that no
    // such ear tag arrived, and that is the only box.
    QTest::mouseClick(edit(&f, "Edit4"), Qt::LeftButton);
    edit(&f, "Edit4")->selectAll();
    QTest::keyClick(edit(&f, "Edit4"), Qt::Key_Backspace);
    QTest::mouseClick(button(&f, "Button3"), Qt::LeftButton);
    QApplication::processEvents();
    QApplication::processEvents();
    QCOMPARE(doubles.messageTexts(), QStringList{kNotArrived});
    QCOMPARE(mostOpen, 1);
    QCOMPARE(QApplication::focusWidget(), edit(&f, "Edit4"));
    QVERIFY(button(&f, "Button3")->isEnabled());  // "Új" did not run
    QVERIFY(!button(&f, "Button5")->isEnabled());

    // An arrived ear tag: "Új" runs at the first click and counts on from it.
    doubles.messages.clear();
    QTest::keyClicks(edit(&f, "Edit4"), QStringLiteral("1001"));
    QTest::mouseClick(button(&f, "Button3"), Qt::LeftButton);
    QApplication::processEvents();
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
    QCOMPARE(edit(&f, "Edit4")->text(), QStringLiteral("1002"));
    QVERIFY(!button(&f, "Button3")->isEnabled());
    QVERIFY(button(&f, "Button5")->isEnabled());
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
    OutgoingEntryDialog f(EntryMode::New);
    button(&f, "Button3")->setEnabled(true);
    button(&f, "Button5")->setEnabled(false);
    edit(&f, "Edit4")->setText(before);
    edit(&f, "Edit8")->setText(QStringLiteral("kept"));
    checkBox(&f, "CheckBox1")->setChecked(ticked);
    button(&f, "Button3")->click();
    QCOMPARE(edit(&f, "Edit4")->text(), after);
    QCOMPARE(doubles.messageTexts(),
             refused ? QStringList{QStringLiteral("A fülszám nem csak számot tartalmaz!")} : QStringList{});
    QVERIFY(!button(&f, "Button3")->isEnabled());
    QVERIFY(button(&f, "Button5")->isEnabled());
    QCOMPARE(edit(&f, "Edit8")->text(), QStringLiteral("kept"));
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
    handOver().earTagBeginning = partial;
    EarTagPickListDialog pick;
    QStringList order;
    for (int r = 0; r < Data->ZQ14.recordCount(); ++r)
        order << Data->ZQ14.cellText(r, Data->ZQ14.fieldIndex(QStringLiteral("bfulszam")));
    // Text order: 100 before 99; the dispatched 120 is not offered.
    QCOMPARE(order, QStringList({"100", "12", "1250", "13", "99", "A1"}));
    QCOMPARE(Data->ZQ14.fieldText(QStringLiteral("bfulszam")), current);
    QCOMPARE(child<DBGrid>(&pick, "DBGrid1")->currentIndex().row(), Data->ZQ14.recNo());
}

void OutgoingEntryTest::pickListChooseAndCancel()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    for (const char* tag : {"1200", "1210", "1300"})
        arrival(db, QString::fromLatin1(tag));
    OutgoingEntryDialog f(EntryMode::New);
    showActive(&f);
    focusTo(edit(&f, "Edit4"));
    edit(&f, "Edit4")->setText(QStringLiteral("121"));

    // A double-click opens the list on the typed prefix; it is not leaving the field.
    doubles.modalHandlers << [](QDialog* d) {
        QCOMPARE(d->objectName(), QStringLiteral("Form12"));
        QCOMPARE(Data->ZQ14.fieldText(QStringLiteral("bfulszam")), QStringLiteral("1210"));
        Data->ZQ14.next();
        button(d, "Button1")->click();  // "Kiválaszt"
    };
    QTest::mouseDClick(edit(&f, "Edit4"), Qt::LeftButton);
    QApplication::processEvents();
    QCOMPARE(handOver().earTagBeginning, QStringLiteral("121"));
    QCOMPARE(doubles.modalsShown, QStringList{QStringLiteral("Form12")});
    QCOMPARE(edit(&f, "Edit4")->text(), QStringLiteral("1300"));
    QVERIFY(doubles.messages.isEmpty());

    // "Mégsem" changes nothing; an unknown typed beginning still gets no exit check on the way.
    edit(&f, "Edit4")->setText(QStringLiteral("77"));
    doubles.modalHandlers << [](QDialog* d) {
        Data->ZQ14.last();
        button(d, "Button3")->click();  // "Mégsem"
    };
    QTest::mouseDClick(edit(&f, "Edit4"), Qt::LeftButton);
    QApplication::processEvents();
    QApplication::processEvents();
    QCOMPARE(edit(&f, "Edit4")->text(), QStringLiteral("77"));
    QVERIFY(doubles.messages.isEmpty());
}

void OutgoingEntryTest::categoryToggle()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    OutgoingEntryDialog f(EntryMode::New);
    QCOMPARE(edit(&f, "Edit7")->text(), QStringLiteral("gyüjtés"));
    QStringList seen;
    for (int i = 0; i < 3; ++i) {
        QTest::mouseDClick(edit(&f, "Edit7"), Qt::LeftButton);
        seen << edit(&f, "Edit7")->text();
    }
    QCOMPARE(seen, QStringList({"hizlalás", "vágás", "hizlalás"}));
}

void OutgoingEntryTest::focusAndTabOrder()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    arrival(db, QStringLiteral("1001"));
    OutgoingEntryDialog f(EntryMode::New);
    showActive(&f);
    QCOMPARE(QApplication::focusWidget(), edit(&f, "Edit5"));

    // The whole chain, disabled controls included, as Tab would take it when they are enabled.
    QStringList chain;
    QWidget* w = edit(&f, "Edit5");
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            chain << w->objectName();
        w = w->nextInFocusChain();
    } while (w != edit(&f, "Edit5"));
    QCOMPARE(chain, QStringList({"Edit5", "Edit7", "Edit4", "Edit8", "Edit6", "Button3", "Button5", "Button6",
                                 "Button1", "Button2", "Edit1", "Edit2", "Edit3", "DBGrid1", "nbFirst", "nbPrior",
                                 "nbNext", "nbLast", "CheckBox1"}));

    // Tab leaves the date and ear-tag fields, whose key filters take no other character.
    QTest::keyClicks(edit(&f, "Edit5"), QStringLiteral("2011a.03.15"));
    QCOMPARE(edit(&f, "Edit5")->text(), QStringLiteral("2011.03.15"));
    QTest::keyClick(edit(&f, "Edit5"), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), edit(&f, "Edit7"));
    QTest::keyClick(edit(&f, "Edit7"), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), edit(&f, "Edit4"));
    QTest::keyClicks(edit(&f, "Edit4"), QStringLiteral("10x01"));
    QCOMPARE(edit(&f, "Edit4")->text(), QStringLiteral("1001"));
    QTest::keyClick(edit(&f, "Edit4"), Qt::Key_Tab);
    QApplication::processEvents();
    QCOMPARE(QApplication::focusWidget(), edit(&f, "Edit8"));
    QTest::keyClick(edit(&f, "Edit8"), Qt::Key_Tab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), edit(&f, "Edit4"));
    QVERIFY(doubles.messages.isEmpty());
}

void OutgoingEntryTest::newEntryWriteFailures_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("saved");  // the list rebuilt and the screen Saved, as after any save
    QTest::newRow("a category too long for its column")
        << "Edit7" << QString(30, u'x') << QStringLiteral("Hiba112: Újban, INSERT a kiszallitásban ") << true;
    // Nothing reached the database: the screen stays ready for the mended field.
    QTest::newRow("a character the database cannot hold")
        << "Edit8" << QStringLiteral("HU-EÜ-2024/ț9")
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
    edit(&f, "Edit4")->setText(QStringLiteral("1001"));
    edit(&f, "Edit6")->setText(QStringLiteral("BE-1"));
    f.findChild<QLineEdit*>(field)->setText(value);
    button(&f, "Button5")->click();
    QCOMPARE(doubles.messageTexts(), QStringList{message});
    QCOMPARE(db.count(QStringLiteral("kiszall")), 0);
    QVERIFY(Data->ZQ21.active());  // the list shown again
    QCOMPARE(button(&f, "Button3")->isEnabled(), saved);
    QCOMPARE(button(&f, "Button5")->isEnabled(), !saved);
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
        OutgoingListDialog list;
        list.rebuildList();
        OutgoingEntryDialog f(EntryMode::Change);
        QVERIFY(f.loadForChange());
        edit(&f, "Edit8")->setText(QStringLiteral("KI-NEW"));
        ForeignChange other(db, QStringLiteral("UPDATE kiszall SET khkat = 'más' WHERE idk = %1").arg(id));
        button(&f, "Button5")->click();
        QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba113: Módositás, Update a kiszállításban ")});
        QVERIFY(button(&f, "Button3")->isEnabled());
        QCOMPARE(Data->ZQ21.fieldText(QStringLiteral("IDk")), id);
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
    handOver().outgoingId = remembered;
    NewEntry e(db, doubles);
    OutgoingEntryDialog& f = *e.form;
    f.show();
    // Opened on the newest departure, the list read around it only.
    QCOMPARE(Data->ZQ21.fieldText(QStringLiteral("IDk")), QStringLiteral("450"));
    QVERIFY(Data->ZQ21.fetchedCount() < 300);
    auto* grid = child<DBGrid>(&f, "DBGrid1");
    QCOMPARE(grid->currentIndex().row(), Data->ZQ21.recNo());

    edit(&f, "Edit4")->setText(QStringLiteral("1001"));
    edit(&f, "Edit6")->setText(QStringLiteral("BE-1"));
    button(&f, "Button5")->click();
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
    // The rebuilt list stands on the remembered departure, or on its first row.
    const QString expected = remembered.isEmpty() ? QStringLiteral("1") : remembered;
    QCOMPARE(Data->ZQ21.fieldText(QStringLiteral("IDk")), expected);
    QVERIFY(Data->ZQ21.fetchedCount() < 300);
    QCOMPARE(grid->currentIndex().row(), Data->ZQ21.recNo());
    QCOMPARE(Data->ZQ21.recordCount(), 451);
    QCOMPARE(Data->ZQ21.fieldText(QStringLiteral("IDk")), expected);
}

QTEST_MAIN(OutgoingEntryTest)
#include "test_outgoing_entry.moc"
