#include "storage/shared_datasets.h"
#include "core/handover.h"
#include "masterdata/partner_edit.h"
#include "masterdata/partner_list.h"
#include "registerfixture.h"
#include "testdb.h"
#include "ui/dbwidgets.h"
#include "ui/platform.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using PartnerScreen = ShownScreen<PartnerListDialog>;

namespace {
const QString kCodeHeading = QStringLiteral("A lista, \"Kód\" szerint");

QStringList partnerRows(TestDatabase& db)
{
    QStringList out;
    for (const QStringList& r :
         db.rows(QStringLiteral("SELECT fkod, fnev, fcim, ftenykod, fsznev, fszcim FROM felado ORDER BY idf")))
        out << r.join(u'|');
    return out;
}

// Moves the focus out of a field the way a user does, and lets the exit handler run.
void tabOut(QWidget* field)
{
    QTest::keyClick(field, Qt::Key_Tab);
    QApplication::processEvents();
}

void activate(QDialog* d)
{
    d->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(d));
}
}  // namespace

class PartnersTest : public QObject {
    Q_OBJECT
private slots:
    void listScreenShowsRowsAndCurrentRow();
    void newPartnerIsSavedAndListStaysOnFirstRow();
    void changedPartnerIsSavedAndListFollowsIt();
    void validationOrder_data();
    void validationOrder();
    void dialogFocusAndTabOrder();
    void dialogFieldsTopToBottom();
    void ownerDataCopiedToOriginOnLeaving();
    void overLongValueFailsWithoutWriting();
    void transactionThatCannotStartKeepsDialogOpen();
    void changeOnEmptyListWritesNothing();
    void unreadableRowKeepsDialogClosed();
    void deletion_data();
    void deletion();
    void deleteLastPartnerDoesNothing();
    void failedDeleteRollsBack();
    void sortingByTitles_data();
    void sortingByTitles();
};

void PartnersTest::listScreenShowsRowsAndCurrentRow()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    db.addPartner(QStringLiteral("Zöld Kft."), QStringLiteral("Pécs"), QStringLiteral("T9"));
    db.exec(QStringLiteral("INSERT INTO felado (fnev, fcim, ftenykod, fsznev, fszcim) "
                           "VALUES ('Antal Béla', 'Győr', 'T1', 'Tanya', 'Kisalföld 3')"));
    const QString antal = db.value(QStringLiteral("SELECT fkod FROM felado WHERE fnev = 'Antal Béla'"));
    const QString antalId = db.value(QStringLiteral("SELECT idf FROM felado WHERE fnev = 'Antal Béla'"));
    PartnerScreen s(db.session());
    QCOMPARE(s->windowTitle(), QStringLiteral("Feladó-Vevö"));
    QCOMPARE(s.find<DBGrid>("listGrid")->titles(),
             (QStringList{QStringLiteral("Név"), QStringLiteral("Cim"), QStringLiteral("Tenyésztésikód"),
                          QStringLiteral("Sz.név"), QStringLiteral("Sz.cim"), QStringLiteral("Kód"), QStringLiteral("ID")}));
    QCOMPARE(s.text("headingLabel"), QStringLiteral("A lista, \"Név\" szerint"));
    QCOMPARE(s.find<QGroupBox>("detailsBox")->title(), QStringLiteral("Adatok"));
    QCOMPARE(s.text("fnevTextLabel"), QStringLiteral("Tulajdonos/feladó neve:"));
    QCOMPARE(s.text("fnevText"), QStringLiteral("Antal Béla"));
    QCOMPARE(s.text("fcimText"), QStringLiteral("Győr"));
    QCOMPARE(s.text("ftenykodText"), QStringLiteral("T1"));
    QCOMPARE(s.text("fsznevText"), QStringLiteral("Tanya"));
    QCOMPARE(s.text("fszcimText"), QStringLiteral("Kisalföld 3"));
    QCOMPARE(s.text("idfText"), antalId);
    QCOMPARE(s.text("fkodText"), antal);
    s.find<DBNavigator>("listNavigator")->button(DBNavigator::Last)->click();
    QCOMPARE(s.text("fnevText"), QStringLiteral("Zöld Kft."));

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
}

void PartnersTest::newPartnerIsSavedAndListStaysOnFirstRow()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    db.addPartner(QStringLiteral("Alfa"));
    db.addPartner(QStringLiteral("Gamma"));
    PartnerScreen s(db.session());
    db.session().partners().list().last();
    QPointer<QDialog> editor;
    doubles.modalHandlers << [&editor](QDialog* d) {
        editor = d;
        QCOMPARE(d->objectName(), QStringLiteral("partnerEditDialog"));
        QCOMPARE(qobject_cast<PartnerEditDialog*>(d)->mode(), EntryMode::New);
        QCOMPARE(d->windowTitle(), QStringLiteral("Feladó-Vevö"));
        QVERIFY(child<QCheckBox>(d, "originIsOwnerCheck")->isChecked());
        setField(d, "ownerNameEdit", QStringLiteral(" Béta Bt."));
        setField(d, "ownerAddressEdit", QStringLiteral("Szeged"));
        setField(d, "breedingCodeEdit", QStringLiteral("HU123"));
        setField(d, "originNameEdit", QStringLiteral("Major"));
        setField(d, "originAddressEdit", QStringLiteral("Külterület 5 "));
        press(d, "okButton");
        QVERIFY(!d->isVisible());
    };
    s->addRow();
    QVERIFY(!editor);
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(db.session().handOver().partnerCode, QString());
    const QStringList rows = partnerRows(db);
    QCOMPARE(rows.size(), 3);
    const QString code = db.value(QStringLiteral("SELECT fkod FROM felado WHERE ftenykod = 'HU123'"));
    QCOMPARE(rows.last(), QStringLiteral("%1| Béta Bt.|Szeged|HU123|Major|Külterület 5 ").arg(code));
    QCOMPARE(db.session().partners().list().recNo(), 0);
    QCOMPARE(s.text("fnevText"), QStringLiteral(" Béta Bt."));  // the leading blank sorts it first
    QCOMPARE(s.text("headingLabel"), kCodeHeading);
}

void PartnersTest::changedPartnerIsSavedAndListFollowsIt()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const QString a = db.addPartner(QStringLiteral("Alfa"), QStringLiteral("Cim A"), QStringLiteral("TA"));
    const QString b = db.addPartner(QStringLiteral("Béta"), QStringLiteral("Cim B"), QStringLiteral("TB"));
    PartnerScreen s(db.session());
    QCOMPARE(s.text("fkodText"), a);
    doubles.modalHandlers << [a](QDialog* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("Feladó módositás"));
        QCOMPARE(qobject_cast<PartnerEditDialog*>(d)->mode(), EntryMode::Change);
        QCOMPARE(child<QLineEdit>(d, "codeEdit")->text(), a);
        QVERIFY(!child<QLineEdit>(d, "idEdit")->text().isEmpty());
        QVERIFY(!child<QLineEdit>(d, "idEdit")->isEnabled() && child<QLineEdit>(d, "idEdit")->isReadOnly());
        QCOMPARE(child<QLineEdit>(d, "ownerNameEdit")->text(), QStringLiteral("Alfa"));
        QCOMPARE(child<QLineEdit>(d, "ownerAddressEdit")->text(), QStringLiteral("Cim A"));
        QCOMPARE(child<QLineEdit>(d, "breedingCodeEdit")->text(), QStringLiteral("TA"));
        QCOMPARE(child<QLineEdit>(d, "originNameEdit")->text(), QStringLiteral("Alfa"));
        QCOMPARE(child<QLineEdit>(d, "originAddressEdit")->text(), QStringLiteral("Cim A"));
        setField(d, "ownerNameEdit", QStringLiteral("Zeta"));  // moves to the end of the list
        setField(d, "breedingCodeEdit", QStringLiteral("TZ"));
        setField(d, "originAddressEdit", QStringLiteral("Rendeltetés"));
        press(d, "okButton");
    };
    s->changeCurrentRow();
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(db.session().handOver().partnerCode, a);
    QCOMPARE(partnerRows(db), (QStringList{a + QStringLiteral("|Zeta|Cim A|TZ|Alfa|Rendeltetés"),
                                          b + QStringLiteral("|Béta|Cim B|TB|Béta|Cim B")}));
    QCOMPARE(db.session().partners().list().recNo(), 1);
    QCOMPARE(s.text("fkodText"), a);
    QCOMPARE(s.text("headingLabel"), kCodeHeading);
}

void PartnersTest::validationOrder_data()
{
    QTest::addColumn<QStringList>("values");  // Edit3, Edit5, Edit4, Edit6, Edit7
    QTest::addColumn<QString>("message");     // empty: saved
    QTest::addColumn<QString>("focus");
    QTest::newRow("all empty") << QStringList{"", "", "", "", ""} << "Nincs megadva a neve!" << "ownerNameEdit";
    QTest::newRow("name of blanks") << QStringList{"  ", "C", "T", "SN", "SC"} << "Nincs megadva a neve!" << "ownerNameEdit";
    QTest::newRow("address") << QStringList{"N", " ", "", "", ""} << "Nincs megadva a cim!" << "ownerAddressEdit";
    QTest::newRow("breeding code") << QStringList{"N", "C", "", "SN", "SC"} << "Nincs megadva a tenyészkód!" << "breedingCodeEdit";
    QTest::newRow("origin name") << QStringList{"N", "C", "T", "   ", ""} << "Nincs megadva a származási név!" << "originNameEdit";
    QTest::newRow("origin address") << QStringList{"N", "C", "T", "SN", " "} << "Nincs megadva a származási cim!"
                                    << "originAddressEdit";
    QTest::newRow("complete with leading blanks") << QStringList{" N", " C", " T", " SN", " SC"} << "" << "";
}

void PartnersTest::validationOrder()
{
    QFETCH(QStringList, values);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    TestDatabase db;
    platform::TestDoubles doubles;
    PartnerScreen s(db.session());
    bool stayedOpen = false;
    QString focused;
    doubles.modalHandlers << [&](QDialog* d) {
        const char* names[] = {"ownerNameEdit", "ownerAddressEdit", "breedingCodeEdit", "originNameEdit", "originAddressEdit"};
        for (int i = 0; i < 5; ++i)
            setField(d, names[i], values.at(i));
        press(d, "okButton");
        stayedOpen = d->isVisible();
        focused = d->focusWidget() ? d->focusWidget()->objectName() : QString();
    };
    s->addRow();
    if (message.isEmpty()) {
        QVERIFY(doubles.messages.isEmpty());
        QVERIFY(!stayedOpen);
        QCOMPARE(db.rows(QStringLiteral("SELECT fnev, fcim, ftenykod, fsznev, fszcim FROM felado")),
                 QList<QStringList>{values});
    } else {
        QCOMPARE(doubles.messageTexts(), QStringList{message});
        QVERIFY(stayedOpen);
        QCOMPARE(focused, focus);
        QCOMPARE(db.count(QStringLiteral("felado")), 0);
    }
}

void PartnersTest::dialogFocusAndTabOrder()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    PartnerScreen s(db.session());
    QStringList visited;
    doubles.modalHandlers << [&](QDialog* d) {
        activate(d);
        visited << QApplication::focusWidget()->objectName();
        // Enter walks the fields like Tab...
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QApplication::processEvents();
            visited << QApplication::focusWidget()->objectName();
        }
        // ...Tab goes on past the buttons to the check box, Shift+Enter goes back.
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ShiftModifier);
        QApplication::processEvents();
        visited << QApplication::focusWidget()->objectName();
    };
    s->addRow();
    QCOMPARE(visited, (QStringList{"ownerNameEdit", "ownerAddressEdit", "breedingCodeEdit", "originNameEdit", "originAddressEdit", "okButton", "cancelButton", "originIsOwnerCheck",
                                   "cancelButton"}));
}

void PartnersTest::dialogFieldsTopToBottom()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    PartnerScreen s(db.session());
    QStringList labels;
    QList<int> tops;
    doubles.modalHandlers << [&](QDialog* d) {
        const auto edit = [d](const char* name) { return child<QLineEdit>(d, name); };
        for (const char* name : {"idEdit", "codeEdit", "ownerNameEdit", "ownerAddressEdit", "breedingCodeEdit", "originNameEdit", "originAddressEdit"}) {
            QLineEdit* e = edit(name);
            QLabel* label = nullptr;
            for (QLabel* l : d->findChildren<QLabel*>())
                if (l->buddy() == e)
                    label = l;
            QVERIFY(label);
            labels << label->text();
            tops << e->mapTo(d, QPoint()).y();
        }
        auto* ok = child<QPushButton>(d, "okButton");
        auto* sameAddress = child<QCheckBox>(d, "originIsOwnerCheck");
        for (QWidget* w : std::initializer_list<QWidget*>{ok, sameAddress})
            tops << w->mapTo(d, QPoint()).y();
        QCOMPARE(child<QPushButton>(d, "cancelButton")->mapTo(d, QPoint()).y(), ok->mapTo(d, QPoint()).y());
        QCOMPARE(sameAddress->text(), QStringLiteral("Tulajdonos cim = származási cim"));
    };
    s->addRow();
    QCOMPARE(labels, (QStringList{"IDf", "Fkod", "Tulajdonos név:", "Cim:", "Tenyészkód", "Származási hely név:", "Cim"}));
    // The fields, then the buttons, then the check box.
    QCOMPARE(tops.size(), 9);
    for (int i = 1; i < tops.size(); ++i)
        QVERIFY2(tops.at(i - 1) < tops.at(i), qPrintable(QString::number(i)));
}

void PartnersTest::ownerDataCopiedToOriginOnLeaving()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const QString a = db.addPartner(QStringLiteral("Alfa"), QStringLiteral("Cim A"));
    PartnerScreen s(db.session());
    struct Seen {
        QString edit6, edit7;
    } ticked, typedAfter, unticked, onChange;
    doubles.modalHandlers << [&](QDialog* d) {
        activate(d);
        const auto edit = [d](const char* name) { return child<QLineEdit>(d, name); };
        edit("ownerNameEdit")->setFocus();
        QTest::keyClicks(edit("ownerNameEdit"), QStringLiteral("Kovacs"));
        tabOut(edit("ownerNameEdit"));
        QTest::keyClicks(edit("ownerAddressEdit"), QStringLiteral("Fo utca 1"));
        tabOut(edit("ownerAddressEdit"));
        ticked = {edit("originNameEdit")->text(), edit("originAddressEdit")->text()};
        // A different origin name typed afterwards stays.
        edit("originNameEdit")->setText(QStringLiteral("Tanya"));
        typedAfter = {edit("originNameEdit")->text(), edit("originAddressEdit")->text()};
        // Without the tick, leaving the owner's fields copies nothing.
        child<QCheckBox>(d, "originIsOwnerCheck")->setChecked(false);
        edit("ownerNameEdit")->setFocus();
        QApplication::processEvents();
        QTest::keyClicks(edit("ownerNameEdit"), QStringLiteral(" Peter"));
        tabOut(edit("ownerNameEdit"));
        unticked = {edit("originNameEdit")->text(), edit("originAddressEdit")->text()};
        press(d, "cancelButton");
    };
    s->addRow();
    QCOMPARE(ticked.edit6, QStringLiteral("Kovacs"));
    QCOMPARE(ticked.edit7, QStringLiteral("Fo utca 1"));
    QCOMPARE(typedAfter.edit6, QStringLiteral("Tanya"));
    QCOMPARE(unticked.edit6, QStringLiteral("Tanya"));
    QCOMPARE(db.count(QStringLiteral("felado")), 1);

    // On a change the box starts ticked again and leaving the name overwrites the origin name.
    db.exec(QStringLiteral("UPDATE felado SET fsznev = 'Major'"));
    s->reloadOnShow();
    doubles.modalHandlers << [&](QDialog* d) {
        activate(d);
        const auto edit = [d](const char* name) { return child<QLineEdit>(d, name); };
        QVERIFY(child<QCheckBox>(d, "originIsOwnerCheck")->isChecked());
        edit("ownerNameEdit")->setFocus();
        QApplication::processEvents();
        tabOut(edit("ownerNameEdit"));
        onChange = {edit("originNameEdit")->text(), edit("originAddressEdit")->text()};
        press(d, "okButton");
    };
    s->changeCurrentRow();
    QCOMPARE(onChange.edit6, QStringLiteral("Alfa"));
    QCOMPARE(db.value(QStringLiteral("SELECT fsznev FROM felado WHERE fkod = '%1'").arg(a)), QStringLiteral("Alfa"));
    QVERIFY(doubles.messages.isEmpty());
}

void PartnersTest::overLongValueFailsWithoutWriting()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const QString a = db.addPartner(QStringLiteral("Alfa"));
    const QStringList before = partnerRows(db);
    PartnerScreen s(db.session());
    const QString longText(76, u'é');
    doubles.modalHandlers << [&](QDialog* d) {
        setField(d, "ownerNameEdit", QStringLiteral("Új"));
        setField(d, "ownerAddressEdit", QStringLiteral("C"));
        setField(d, "breedingCodeEdit", QStringLiteral("T"));
        setField(d, "originNameEdit", QStringLiteral("SN"));
        setField(d, "originAddressEdit", longText);  // the last column bound: the others must not be written either
        press(d, "okButton");
        QVERIFY(!d->isVisible());
    };
    s->addRow();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba53: Újban, INSERT a feladóban ")});
    QCOMPARE(partnerRows(db), before);
    QVERIFY(db.session().partners().list().active());

    doubles.messages.clear();
    doubles.modalHandlers << [&](QDialog* d) {
        setField(d, "ownerNameEdit", QStringLiteral("Változott"));
        setField(d, "breedingCodeEdit", QString(26, u'9'));  // breeding code holds 25
        press(d, "okButton");
    };
    s->changeCurrentRow();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba054: Módositás, Update a feladóban ")});
    QCOMPARE(partnerRows(db), before);
    QCOMPARE(s.text("fkodText"), a);
    QCOMPARE(s.text("headingLabel"), kCodeHeading);
}

void PartnersTest::transactionThatCannotStartKeepsDialogOpen()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    db.addPartner(QStringLiteral("Alfa"));
    PartnerScreen s(db.session());
    bool stayedOpen = false;
    doubles.modalHandlers << [&](QDialog* d) {
        setField(d, "ownerNameEdit", QStringLiteral("Más"));
        db.session().transaction().commit();
        db.session().database().connection().close();
        press(d, "okButton");
        stayedOpen = d->isVisible();
    };
    s->changeCurrentRow();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba055: az insert vagy update közben a feladóban!")});
    QVERIFY(stayedOpen);
    QCOMPARE(db.value(QStringLiteral("SELECT fnev FROM felado")), QStringLiteral("Alfa"));
}

void PartnersTest::changeOnEmptyListWritesNothing()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    PartnerScreen s(db.session());
    doubles.modalHandlers << [](QDialog* d) {
        QCOMPARE(child<QLineEdit>(d, "idEdit")->text(), QString());
        const char* names[] = {"ownerNameEdit", "ownerAddressEdit", "breedingCodeEdit", "originNameEdit", "originAddressEdit"};
        for (const char* n : names)
            setField(d, n, QStringLiteral("x"));
        press(d, "okButton");
        QVERIFY(!d->isVisible());
    };
    s->changeCurrentRow();
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(db.count(QStringLiteral("felado")), 0);
    QVERIFY(db.session().partners().list().active());
    QCOMPARE(s.text("headingLabel"), kCodeHeading);
}

void PartnersTest::unreadableRowKeepsDialogClosed()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    db.addPartner(QStringLiteral("Alfa"));
    PartnerScreen s(db.session());
    db.session().partners().list().close();
    db.session().partners().list().setSql({QStringLiteral("SELECT 1 AS x FROM rdb$database")});
    db.session().partners().list().open();
    s->changeCurrentRow();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba52 a módosítás Edit-ben való megjelenitésekor!")});
    QVERIFY(doubles.modalsShown.isEmpty());

    // A list that is not open (a failed reload, a transaction ended under it) has no row to read.
    doubles.messages.clear();
    s->reloadOnShow();
    db.session().transaction().commit();
    QVERIFY(!db.session().partners().list().active());
    s->changeCurrentRow();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba52 a módosítás Edit-ben való megjelenitésekor!")});
    QVERIFY(doubles.modalsShown.isEmpty());
    QVERIFY(!s->findChild<QDialog*>(QStringLiteral("partnerEditDialog")));  // nor left alive
}

void PartnersTest::deletion_data()
{
    QTest::addColumn<QString>("usage");
    QTest::addColumn<bool>("deleted");
    QTest::newRow("sender in arrivals") << "INSERT INTO beszall (bfkod, bfulszam) VALUES ('%1', '100')" << false;
    QTest::newRow("buyer in departures") << "INSERT INTO kiszall (kfkod, kfulszam) VALUES ('%1', '100')" << false;
    QTest::newRow("archived arrivals only") << "INSERT INTO beszall0 (bfkod, bfulszam) VALUES ('%1', '100')" << true;
    QTest::newRow("archived departures only") << "INSERT INTO kiszall0 (kfkod, kfulszam) VALUES ('%1', '100')" << true;
    QTest::newRow("unused") << "" << true;
}

void PartnersTest::deletion()
{
    QFETCH(QString, usage);
    QFETCH(bool, deleted);
    TestDatabase db;
    platform::TestDoubles doubles;
    const QString a = db.addPartner(QStringLiteral("Alfa"));
    const QString b = db.addPartner(QStringLiteral("Béta"));
    db.exec(QStringLiteral("INSERT INTO kiszall (kfkod, kfulszam) VALUES ('%1', '1')").arg(a));
    if (!usage.isEmpty())
        db.exec(usage.arg(b));
    db.session().handOver().partnerCode = a;
    PartnerScreen s(db.session());
    db.session().partners().list().next();
    QCOMPARE(s.text("fkodText"), b);
    s->deleteCurrentRow();
    if (deleted) {
        QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("A feladó-vevö sor törlölve!")});
        QCOMPARE(doubles.messages.first().kind, platform::BoxKind::Plain);
    } else {
        QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Nem törölhetö, már használatban van  !")});
        QCOMPARE(doubles.messages.first().kind, platform::BoxKind::ConfirmYes);
    }
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM felado WHERE fkod = '%1'").arg(b)),
             deleted ? QStringLiteral("0") : QStringLiteral("1"));
    QCOMPARE(db.count(QStringLiteral("felado")), deleted ? 1 : 2);
    QVERIFY(db.session().partners().list().active());
    QCOMPARE(s.text("fkodText"), a);
    QCOMPARE(s.text("headingLabel"), kCodeHeading);
}

void PartnersTest::deleteLastPartnerDoesNothing()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    db.addPartner(QStringLiteral("Alfa"));
    PartnerScreen s(db.session());
    s->deleteCurrentRow();
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(db.count(QStringLiteral("felado")), 1);
    QCOMPARE(s.text("headingLabel"), kCodeHeading);
}

void PartnersTest::failedDeleteRollsBack()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const QString a = db.addPartner(QStringLiteral("Alfa"));
    db.addPartner(QStringLiteral("Béta"));
    PartnerScreen s(db.session());
    RowLock lock(db, QStringLiteral("UPDATE felado SET fcim = 'zárolva' WHERE fkod = '%1'").arg(a));
    s->deleteCurrentRow();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba41: Feladó DELETE törlésekor")});
    QCOMPARE(db.count(QStringLiteral("felado")), 2);
    QCOMPARE(db.session().partners().list().recordCount(), 2);
}

void PartnersTest::sortingByTitles_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QString>("firstName");
    const QString unchanged = QStringLiteral("A lista, \"Név\" szerint");
    // Rows in entry order (name, address): Cecil/Abony, Aladár/Zalaegerszeg, Béla/Miskolc.
    QTest::newRow("Név") << 0 << "Lista sorrend: név, cim szerint" << "Aladár";
    QTest::newRow("Cim") << 1 << "Lista sorrend: cim, név szerint" << "Cecil";
    QTest::newRow("Tenyésztésikód") << 2 << unchanged << "Béla";
    QTest::newRow("Sz.név") << 3 << unchanged << "Béla";
    QTest::newRow("Sz.cim") << 4 << unchanged << "Béla";
    QTest::newRow("Kód") << 5 << "Lista sorrend: kód szerint" << "Cecil";
    QTest::newRow("ID") << 6 << unchanged << "Béla";
}

void PartnersTest::sortingByTitles()
{
    QFETCH(int, column);
    QFETCH(QString, heading);
    QFETCH(QString, firstName);
    TestDatabase db;
    platform::TestDoubles doubles;
    db.addPartner(QStringLiteral("Cecil"), QStringLiteral("Abony"));
    db.addPartner(QStringLiteral("Aladár"), QStringLiteral("Zalaegerszeg"));
    db.session().handOver().partnerCode = db.addPartner(QStringLiteral("Béla"), QStringLiteral("Miskolc"));
    PartnerScreen s(db.session());
    QCOMPARE(s.text("fnevText"), QStringLiteral("Béla"));
    QHeaderView* header = s.find<DBGrid>("listGrid")->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                             header->height() / 2));
    QCOMPARE(s.text("headingLabel"), heading);
    QCOMPARE(s.text("fnevText"), firstName);
}

QTEST_MAIN(PartnersTest)
#include "test_partners.moc"
