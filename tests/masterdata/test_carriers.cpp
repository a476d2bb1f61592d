#include "app/mainwindow.h"
#include "storage/shared_datasets.h"
#include "core/handover.h"
#include "masterdata/carrier_edit.h"
#include "masterdata/carrier_list.h"
#include "registerfixture.h"
#include "testdb.h"
#include "ui/dbwidgets.h"
#include "ui/platform.h"

#include <QAction>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using CarrierScreen = ShownScreen<CarrierListDialog>;

namespace {
const QString kCodeHeading = QStringLiteral("A lista, \"Kód\" szerint");

QStringList carrierRows(TestDatabase& db)
{
    QStringList out;
    for (const QStringList& r : db.rows(QStringLiteral("SELECT skod, srendszam, snev, scim, sjovaszam FROM szallito ORDER BY ids")))
        out << r.join(u'|');
    return out;
}
}  // namespace

class CarriersTest : public QObject {
    Q_OBJECT
private slots:
    void listScreenShowsRowsAndCurrentRow();
    void menuItemOpensList();
    void newCarrierIsSavedAndListStaysOnFirstRow();
    void changedCarrierIsSavedAndListFollowsIt();
    void validationOrder_data();
    void validationOrder();
    void dialogFocusAndTabOrder();
    void overLongValueFailsWithoutWriting();
    void failedUpdateRollsBack();
    void textTheDatabaseCannotHoldKeepsDialogOpen();
    void transactionThatCannotStartKeepsDialogOpen();
    void changeOnEmptyListWritesNothing();
    void unreadableRowKeepsDialogClosed();
    void deletion_data();
    void deletion();
    void deleteLastCarrierDoesNothing();
    void failedDeleteRollsBack();
    void sortingByTitles_data();
    void sortingByTitles();
};

void CarriersTest::listScreenShowsRowsAndCurrentRow()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    db.addCarrier(QStringLiteral("BBB-222"), QStringLiteral("Nagy"), QStringLiteral("Pécs"), QStringLiteral("J2"));
    const QString kiss =
        db.addCarrier(QStringLiteral("AAA-111"), QStringLiteral("Kiss Ödön"), QStringLiteral("Győr"), QStringLiteral("J1"));
    CarrierScreen s(db.session());
    QCOMPARE(s->windowTitle(), QStringLiteral("Szállító"));
    QCOMPARE(s.find<DBGrid>("listGrid")->titles(),
             (QStringList{QStringLiteral("Rendszám"), QStringLiteral("Szállító neve"), QStringLiteral("Cime"),
                          QStringLiteral("Jóváhagy. szám"), QStringLiteral("Kód"), QStringLiteral("ID")}));
    QCOMPARE(s.text("headingLabel"), QStringLiteral("A lista, \"Rendszám\" szerint"));
    QCOMPARE(s.find<QGroupBox>("detailsBox")->title(), QStringLiteral("Adatok"));
    QCOMPARE(s.find<DBGrid>("listGrid")->model()->rowCount(), 2);
    // Ordered by registration number; the group shows the current row.
    QCOMPARE(s.text("srendszamText"), QStringLiteral("AAA-111"));
    QCOMPARE(s.text("snevText"), QStringLiteral("Kiss Ödön"));
    QCOMPARE(s.text("scimText"), QStringLiteral("Győr"));
    QCOMPARE(s.text("sjovaszamText"), QStringLiteral("J1"));
    QCOMPARE(s.text("skodText"), kiss);
    s.find<DBNavigator>("listNavigator")->button(DBNavigator::Next)->click();
    QCOMPARE(s.text("snevText"), QStringLiteral("Nagy"));

    QStringList captions;
    QList<QPushButton*> buttons;
    for (const char* name : {"chooseButton", "newButton", "changeButton", "deleteButton", "cancelButton"})
        buttons << s.find<QPushButton>(name);
    for (QPushButton* b : buttons)
        captions << b->text();
    QCOMPARE(captions, (QStringList{QStringLiteral("Kiválaszt"), QStringLiteral("Új"), QStringLiteral("Módosít"),
                                    QStringLiteral("Töröl"), QStringLiteral("Mégsem")}));
    for (int i = 1; i < buttons.size(); ++i)
        QVERIFY(buttons.at(i - 1)->x() < buttons.at(i)->x());
    QVERIFY(doubles.messages.isEmpty());
}

void CarriersTest::menuItemOpensList()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    MainWindow main(&db.session());
    QList<QPointer<QDialog>> shown;
    doubles.modalHandlers << [&](QDialog* d) { shown << d; } << [&](QDialog* d) { shown << d; };
    child<QAction>(&main, "Trzsadatok1")->trigger();
    child<QAction>(&main, "Termk1")->trigger();
    QCOMPARE(doubles.modalsShown, (QStringList{QStringLiteral("carrierListDialog"), QStringLiteral("partnerListDialog")}));
    // Each list was destroyed when it closed.
    QCOMPARE(shown.size(), 2);
    QVERIFY(!shown.at(0) && !shown.at(1));
}

void CarriersTest::newCarrierIsSavedAndListStaysOnFirstRow()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    db.addCarrier(QStringLiteral("AAA-111"), QStringLiteral("Kiss"));
    db.addCarrier(QStringLiteral("CCC-333"), QStringLiteral("Szabó"));
    CarrierScreen s(db.session());
    db.session().carriers().list().last();
    QPointer<QDialog> editor;
    doubles.modalHandlers << [&editor](QDialog* d) {
        editor = d;
        QCOMPARE(d->objectName(), QStringLiteral("carrierEditDialog"));
        QCOMPARE(qobject_cast<CarrierEditDialog*>(d)->mode(), EntryMode::New);
        QCOMPARE(d->windowTitle(), QStringLiteral("Szállító"));
        QCOMPARE(child<QLineEdit>(d, "idEdit")->text(), QString());
        setField(d, "registrationEdit", QStringLiteral("BBB-222"));
        setField(d, "nameEdit", QStringLiteral("  Új Fuvaros "));  // leading and trailing blanks are kept
        setField(d, "addressEdit", QStringLiteral("Szeged"));
        setField(d, "approvalEdit", QStringLiteral("JV-9"));
        press(d, "okButton");
        QVERIFY(!d->isVisible());
    };
    s->addRow();
    QVERIFY(doubles.modalHandlers.isEmpty());
    QVERIFY(!editor);
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(db.session().handOver().carrierCode, QString());
    const QStringList rows = carrierRows(db);
    QCOMPARE(rows.size(), 3);
    const QString newCode = db.value(QStringLiteral("SELECT skod FROM szallito WHERE srendszam = 'BBB-222'"));
    QVERIFY(!newCode.isEmpty());
    QCOMPARE(rows.last(), QStringLiteral("%1|BBB-222|  Új Fuvaros |Szeged|JV-9").arg(newCode));
    // Reloaded in the loading order and on its first row, not on the new carrier.
    QVERIFY(db.session().carriers().list().active());
    QCOMPARE(db.session().carriers().list().recNo(), 0);
    QCOMPARE(s.text("srendszamText"), QStringLiteral("AAA-111"));
    QCOMPARE(db.session().carriers().list().recordCount(), 3);
    QCOMPARE(s.text("headingLabel"), kCodeHeading);
}

void CarriersTest::changedCarrierIsSavedAndListFollowsIt()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const QString a = db.addCarrier(QStringLiteral("AAA-111"), QStringLiteral("Kiss"), QStringLiteral("Győr"), QStringLiteral("J1"));
    const QString b = db.addCarrier(QStringLiteral("BBB-222"), QStringLiteral("Nagy"), QStringLiteral("Pécs"), QStringLiteral("J2"));
    const QString c = db.addCarrier(QStringLiteral("CCC-333"), QStringLiteral("Szabó"), QStringLiteral("Eger"), QStringLiteral("J3"));
    CarrierScreen s(db.session());
    db.session().carriers().list().next();  // BBB-222
    doubles.modalHandlers << [b](QDialog* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("Szállító módositás"));
        QCOMPARE(qobject_cast<CarrierEditDialog*>(d)->mode(), EntryMode::Change);
        QCOMPARE(child<QLineEdit>(d, "codeEdit")->text(), b);
        QVERIFY(!child<QLineEdit>(d, "idEdit")->text().isEmpty());
        QVERIFY(!child<QLineEdit>(d, "idEdit")->isEnabled() && child<QLineEdit>(d, "idEdit")->isReadOnly());
        QVERIFY(!child<QLineEdit>(d, "codeEdit")->isEnabled() && child<QLineEdit>(d, "codeEdit")->isReadOnly());
        QCOMPARE(child<QLineEdit>(d, "registrationEdit")->text(), QStringLiteral("BBB-222"));
        QCOMPARE(child<QLineEdit>(d, "nameEdit")->text(), QStringLiteral("Nagy"));
        QCOMPARE(child<QLineEdit>(d, "addressEdit")->text(), QStringLiteral("Pécs"));
        QCOMPARE(child<QLineEdit>(d, "approvalEdit")->text(), QStringLiteral("J2"));
        setField(d, "registrationEdit", QStringLiteral("ZZZ-999"));  // moves to the end of the list
        setField(d, "nameEdit", QStringLiteral("Nagy és Fia"));
        press(d, "okButton");
    };
    s->changeCurrentRow();
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(db.session().handOver().carrierCode, b);
    QCOMPARE(carrierRows(db), (QStringList{a + QStringLiteral("|AAA-111|Kiss|Győr|J1"),
                                          b + QStringLiteral("|ZZZ-999|Nagy és Fia|Pécs|J2"),
                                          c + QStringLiteral("|CCC-333|Szabó|Eger|J3")}));
    QCOMPARE(db.session().carriers().list().recNo(), 2);
    QCOMPARE(s.text("skodText"), b);
    QCOMPARE(s.text("headingLabel"), kCodeHeading);

    // "Mégsem" leaves everything as it was.
    doubles.modalHandlers << [](QDialog* d) {
        setField(d, "nameEdit", QStringLiteral("Más"));
        press(d, "cancelButton");
        QVERIFY(!d->isVisible());
    };
    s->changeCurrentRow();
    QCOMPARE(db.value(QStringLiteral("SELECT snev FROM szallito WHERE skod = '%1'").arg(b)), QStringLiteral("Nagy és Fia"));
}

void CarriersTest::validationOrder_data()
{
    QTest::addColumn<QString>("rendszam");
    QTest::addColumn<QString>("nev");
    QTest::addColumn<QString>("cim");
    QTest::addColumn<QString>("jovaszam");
    QTest::addColumn<QString>("message");  // empty: saved
    QTest::addColumn<QString>("focus");

    const QString nev = QStringLiteral("Nincs megadva a név!");
    const QString cim = QStringLiteral("Nincs megadva a cim!");
    const QString jova = QStringLiteral("Nincs megadva a Jóváhagyás szám!");
    QTest::newRow("all empty") << "" << "" << "" << "" << nev << "nameEdit";
    QTest::newRow("name of blanks") << "R" << "   " << "C" << "J" << nev << "nameEdit";
    QTest::newRow("address missing") << "R" << "N" << "" << "" << cim << "addressEdit";
    QTest::newRow("address of blanks") << "R" << "N" << "  " << "J" << cim << "addressEdit";
    QTest::newRow("approval missing") << "R" << "N" << "C" << " " << jova << "approvalEdit";
    QTest::newRow("registration may be empty") << "" << "N" << "C" << "J" << "" << "";
    QTest::newRow("leading blanks count as text") << "R" << " N" << " C" << " J" << "" << "";
}

void CarriersTest::validationOrder()
{
    QFETCH(QString, rendszam);
    QFETCH(QString, nev);
    QFETCH(QString, cim);
    QFETCH(QString, jovaszam);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    TestDatabase db;
    platform::TestDoubles doubles;
    CarrierScreen s(db.session());
    bool stayedOpen = false;
    QString focused;
    doubles.modalHandlers << [&](QDialog* d) {
        setField(d, "registrationEdit", rendszam);
        setField(d, "nameEdit", nev);
        setField(d, "addressEdit", cim);
        setField(d, "approvalEdit", jovaszam);
        press(d, "okButton");
        stayedOpen = d->isVisible();
        focused = d->focusWidget() ? d->focusWidget()->objectName() : QString();
    };
    s->addRow();
    if (message.isEmpty()) {
        QVERIFY(doubles.messages.isEmpty());
        QVERIFY(!stayedOpen);
        QCOMPARE(db.rows(QStringLiteral("SELECT srendszam, snev, scim, sjovaszam FROM szallito")),
                 (QList<QStringList>{{rendszam, nev, cim, jovaszam}}));
    } else {
        QCOMPARE(doubles.messageTexts(), QStringList{message});
        QCOMPARE(doubles.messages.first().kind, platform::BoxKind::Plain);
        QVERIFY(stayedOpen);
        QCOMPARE(focused, focus);
        QCOMPARE(db.count(QStringLiteral("szallito")), 0);
    }
}

void CarriersTest::dialogFocusAndTabOrder()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    CarrierScreen s(db.session());
    QStringList visited;
    doubles.modalHandlers << [&](QDialog* d) {
        d->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(d));
        visited << QApplication::focusWidget()->objectName();
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        // Enter moves on like Tab, Shift+Enter goes back.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ShiftModifier);
        QApplication::processEvents();
        visited << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QApplication::processEvents();
        visited << QApplication::focusWidget()->objectName();
    };
    s->addRow();
    QCOMPARE(visited, (QStringList{QStringLiteral("okButton"), QStringLiteral("cancelButton"), QStringLiteral("registrationEdit"),
                                   QStringLiteral("nameEdit"), QStringLiteral("addressEdit"), QStringLiteral("approvalEdit"),
                                   QStringLiteral("addressEdit"), QStringLiteral("approvalEdit")}));
    QVERIFY(doubles.messages.isEmpty());
}

void CarriersTest::overLongValueFailsWithoutWriting()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const QString a = db.addCarrier(QStringLiteral("AAA-111"), QStringLiteral("Kiss"));
    const QStringList before = carrierRows(db);
    CarrierScreen s(db.session());
    const QString longName(76, u'x');
    bool closed = false;
    doubles.modalHandlers << [&](QDialog* d) {
        setField(d, "registrationEdit", QStringLiteral("NEW-1"));
        setField(d, "nameEdit", longName);
        setField(d, "addressEdit", QStringLiteral("C"));
        setField(d, "approvalEdit", QStringLiteral("J"));
        press(d, "okButton");
        closed = !d->isVisible();
    };
    s->addRow();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba072: Újban, INSERT a szallitóban ")});
    QVERIFY(closed);
    QCOMPARE(carrierRows(db), before);
    QVERIFY(db.session().carriers().list().active());
    QCOMPARE(db.session().carriers().list().recordCount(), 1);

    // The same on a change: the row keeps its old values.
    doubles.messages.clear();
    doubles.modalHandlers << [&](QDialog* d) {
        setField(d, "registrationEdit", QStringLiteral("CHANGED"));
        setField(d, "addressEdit", longName);
        press(d, "okButton");
    };
    s->changeCurrentRow();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba073: Módositás, Update a szállítóban ")});
    QCOMPARE(carrierRows(db), before);
    QCOMPARE(s.text("headingLabel"), kCodeHeading);
    QCOMPARE(s.text("skodText"), a);
    // A value that just fits is saved.
    doubles.messages.clear();
    doubles.modalHandlers << [&](QDialog* d) {
        setField(d, "addressEdit", QString(75, u'ő'));
        press(d, "okButton");
    };
    s->changeCurrentRow();
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(db.value(QStringLiteral("SELECT scim FROM szallito")), QString(75, u'ő'));
}

void CarriersTest::textTheDatabaseCannotHoldKeepsDialogOpen()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    db.addCarrier(QStringLiteral("AAA-111"), QStringLiteral("Kiss"));
    const QStringList before = carrierRows(db);
    CarrierScreen s(db.session());
    bool open = false;
    doubles.modalHandlers << [&](QDialog* d) {
        setField(d, "registrationEdit", QStringLiteral("NEW-1"));
        setField(d, "nameEdit", QStringLiteral("Kõvári Fuvar"));  // pasted from elsewhere
        setField(d, "addressEdit", QStringLiteral("C"));
        setField(d, "approvalEdit", QStringLiteral("J"));
        press(d, "okButton");
        open = d->isVisible();
        QCOMPARE(d->findChild<QLineEdit*>(QStringLiteral("nameEdit"))->text(), QStringLiteral("Kõvári Fuvar"));
        // Mended, it is saved.
        setField(d, "nameEdit", QStringLiteral("Kővári Fuvar"));
        press(d, "okButton");
    };
    s->addRow();
    QCOMPARE(doubles.messageTexts(), QStringList{unstorableTextMessage(QStringLiteral("Név"), QStringLiteral("\"õ\" (U+00F5)"))});
    QVERIFY(open);
    QCOMPARE(carrierRows(db).size(), before.size() + 1);
    QCOMPARE(db.value(QStringLiteral("SELECT snev FROM szallito WHERE srendszam = 'NEW-1'")), QStringLiteral("Kővári Fuvar"));
}

void CarriersTest::failedUpdateRollsBack()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const QString a = db.addCarrier(QStringLiteral("AAA-111"), QStringLiteral("Kiss"));
    CarrierScreen s(db.session());
    RowLock lock(db, QStringLiteral("UPDATE szallito SET scim = 'zárolva' WHERE skod = '%1'").arg(a));
    doubles.modalHandlers << [](QDialog* d) {
        setField(d, "nameEdit", QStringLiteral("Más név"));
        press(d, "okButton");
        QVERIFY(!d->isVisible());
    };
    s->changeCurrentRow();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba073: Módositás, Update a szállítóban ")});
    QCOMPARE(db.value(QStringLiteral("SELECT snev FROM szallito")), QStringLiteral("Kiss"));
    QVERIFY(db.session().carriers().list().active());
    QCOMPARE(s.text("snevText"), QStringLiteral("Kiss"));
}

void CarriersTest::transactionThatCannotStartKeepsDialogOpen()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    db.addCarrier(QStringLiteral("AAA-111"), QStringLiteral("Kiss"));
    CarrierScreen s(db.session());
    bool stayedOpen = false;
    QString kept;
    doubles.modalHandlers << [&](QDialog* d) {
        setField(d, "nameEdit", QStringLiteral("N"));
        setField(d, "addressEdit", QStringLiteral("C"));
        setField(d, "approvalEdit", QStringLiteral("J"));
        db.session().transaction().commit();
        db.session().database().connection().close();  // the transaction cannot be started now
        press(d, "okButton");
        stayedOpen = d->isVisible();
        kept = child<QLineEdit>(d, "nameEdit")->text();
    };
    s->addRow();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba074: az insert vagy update közben a szállitóban!")});
    QVERIFY(stayedOpen);
    QCOMPARE(kept, QStringLiteral("N"));
    QCOMPARE(db.count(QStringLiteral("szallito")), 1);
    QVERIFY(!db.session().carriers().list().active());  // not reloaded
}

void CarriersTest::changeOnEmptyListWritesNothing()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    CarrierScreen s(db.session());
    QVERIFY(db.session().carriers().list().isEmpty());
    doubles.modalHandlers << [](QDialog* d) {
        QCOMPARE(child<QLineEdit>(d, "idEdit")->text(), QString());
        QCOMPARE(child<QLineEdit>(d, "nameEdit")->text(), QString());
        setField(d, "nameEdit", QStringLiteral("N"));
        setField(d, "addressEdit", QStringLiteral("C"));
        setField(d, "approvalEdit", QStringLiteral("J"));
        press(d, "okButton");
        QVERIFY(!d->isVisible());
    };
    s->changeCurrentRow();
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(db.count(QStringLiteral("szallito")), 0);
    QVERIFY(db.session().carriers().list().active());
    QCOMPARE(s.text("headingLabel"), kCodeHeading);
}

void CarriersTest::unreadableRowKeepsDialogClosed()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    db.addCarrier(QStringLiteral("AAA-111"), QStringLiteral("Kiss"));
    CarrierScreen s(db.session());
    // The shared list holds something else than carriers: the row cannot be read into the dialog.
    db.session().carriers().list().close();
    db.session().carriers().list().setSql({QStringLiteral("SELECT 1 AS x FROM rdb$database")});
    db.session().carriers().list().open();
    s->changeCurrentRow();
    QCOMPARE(doubles.messageTexts(),
             QStringList{QStringLiteral("Hiba71 a szállító módosítás Edit-ben való megjelenitésekor!")});
    QVERIFY(doubles.modalsShown.isEmpty());
    QVERIFY(!s->findChild<QDialog*>(QStringLiteral("carrierEditDialog")));  // nor left alive

    // A list that is not open (a failed reload, a transaction ended under it) has no row to read.
    doubles.messages.clear();
    s->reloadOnShow();
    db.session().transaction().commit();
    QVERIFY(!db.session().carriers().list().active());
    s->changeCurrentRow();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba71 a szállító módosítás Edit-ben való megjelenitésekor!")});
    QVERIFY(doubles.modalsShown.isEmpty());
    QVERIFY(!s->findChild<QDialog*>(QStringLiteral("carrierEditDialog")));  // nor left alive
}

void CarriersTest::deletion_data()
{
    QTest::addColumn<QString>("usage");  // statement using the carrier coded :c
    QTest::addColumn<bool>("deleted");
    QTest::newRow("used in arrivals") << "INSERT INTO beszall (bskod, bfulszam) VALUES ('%1', '100')" << false;
    QTest::newRow("used in departures") << "INSERT INTO kiszall (kskod, kfulszam) VALUES ('%1', '100')" << false;
    QTest::newRow("archived arrivals only") << "INSERT INTO beszall0 (bskod, bfulszam) VALUES ('%1', '100')" << true;
    QTest::newRow("archived departures only") << "INSERT INTO kiszall0 (kskod, kfulszam) VALUES ('%1', '100')" << true;
    QTest::newRow("unused") << "" << true;
}

void CarriersTest::deletion()
{
    QFETCH(QString, usage);
    QFETCH(bool, deleted);
    TestDatabase db;
    platform::TestDoubles doubles;
    const QString a = db.addCarrier(QStringLiteral("AAA-111"), QStringLiteral("Kiss"));
    const QString b = db.addCarrier(QStringLiteral("BBB-222"), QStringLiteral("Nagy"));
    // Another carrier's use must not count.
    db.exec(QStringLiteral("INSERT INTO beszall (bskod, bfulszam) VALUES ('%1', '1')").arg(a));
    if (!usage.isEmpty())
        db.exec(usage.arg(b));
    db.session().handOver().carrierCode = a;
    CarrierScreen s(db.session());
    db.session().carriers().list().next();
    QCOMPARE(s.text("skodText"), b);
    s->deleteCurrentRow();
    if (deleted) {
        QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("A szállitó sor törlölve!")});
        QCOMPARE(doubles.messages.first().kind, platform::BoxKind::Plain);
        QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM szallito WHERE skod = '%1'").arg(b)), QStringLiteral("0"));
    } else {
        QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Nem törölhetö, már használatban van  !")});
        QCOMPARE(doubles.messages.first().kind, platform::BoxKind::ConfirmYes);
    }
    QCOMPARE(db.count(QStringLiteral("szallito")), deleted ? 1 : 2);
    // Reloaded and positioned on the remembered code in every case.
    QVERIFY(db.session().carriers().list().active());
    QCOMPARE(s.text("skodText"), a);
    QCOMPARE(s.text("headingLabel"), kCodeHeading);
}

void CarriersTest::deleteLastCarrierDoesNothing()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    db.addCarrier(QStringLiteral("AAA-111"), QStringLiteral("Kiss"));
    CarrierScreen s(db.session());
    s->deleteCurrentRow();
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(db.count(QStringLiteral("szallito")), 1);
    QCOMPARE(s.text("headingLabel"), kCodeHeading);

    // An empty list: nothing to delete, nothing said.
    db.exec(QStringLiteral("DELETE FROM szallito"));
    s->reloadOnShow();
    s->deleteCurrentRow();
    QVERIFY(doubles.messages.isEmpty());
}

void CarriersTest::failedDeleteRollsBack()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const QString a = db.addCarrier(QStringLiteral("AAA-111"), QStringLiteral("Kiss"));
    db.addCarrier(QStringLiteral("BBB-222"), QStringLiteral("Nagy"));
    CarrierScreen s(db.session());
    RowLock lock(db, QStringLiteral("UPDATE szallito SET scim = 'zárolva' WHERE skod = '%1'").arg(a));
    s->deleteCurrentRow();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba61: Szállitó DELETE törlésekor")});
    QCOMPARE(db.count(QStringLiteral("szallito")), 2);
    QVERIFY(db.session().carriers().list().active());
    QCOMPARE(db.session().carriers().list().recordCount(), 2);
}

void CarriersTest::sortingByTitles_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QString>("firstRendszam");
    const QString unchanged = QStringLiteral("A lista, \"Rendszám\" szerint");
    // Rows: (rendszam, nev, cim): C/Antal/Zala, A/Bodó/Vác, B/Csiki/Eger; codes 1, 2, 3.
    QTest::newRow("Rendszám") << 0 << "Lista sorrend: rendszám szerint" << "A";
    QTest::newRow("Szállító neve") << 1 << "Lista sorrend: név szerint" << "C";
    QTest::newRow("Cime") << 2 << "Lista sorrend: cim szerint" << "B";
    QTest::newRow("Jóváhagy. szám") << 3 << unchanged << "B";
    QTest::newRow("Kód") << 4 << "Lista sorrend: Kód szerint" << "C";
    QTest::newRow("ID") << 5 << unchanged << "B";
}

void CarriersTest::sortingByTitles()
{
    QFETCH(int, column);
    QFETCH(QString, heading);
    QFETCH(QString, firstRendszam);
    TestDatabase db;
    platform::TestDoubles doubles;
    db.addCarrier(QStringLiteral("C"), QStringLiteral("Antal"), QStringLiteral("Zala"));
    const QString b = db.addCarrier(QStringLiteral("A"), QStringLiteral("Bodó"), QStringLiteral("Vác"));
    const QString c = db.addCarrier(QStringLiteral("B"), QStringLiteral("Csiki"), QStringLiteral("Eger"));
    db.session().handOver().carrierCode = c;
    CarrierScreen s(db.session());
    QCOMPARE(s.text("srendszamText"), QStringLiteral("B"));
    // A click on the grid's title row.
    QHeaderView* header = s.find<DBGrid>("listGrid")->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2));
    QCOMPARE(s.text("headingLabel"), heading);
    QCOMPARE(s.text("srendszamText"), firstRendszam);
    QVERIFY(doubles.messages.isEmpty());
}

QTEST_MAIN(CarriersTest)
#include "test_carriers.moc"
