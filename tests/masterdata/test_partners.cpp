#include "core/datamodule.h"
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
    PartnerScreen s;
    QCOMPARE(s->windowTitle(), QStringLiteral("Feladó-Vevö"));
    QCOMPARE(s.find<DBGrid>("DBGrid1")->titles(),
             (QStringList{QStringLiteral("Név"), QStringLiteral("Cim"), QStringLiteral("Tenyésztésikód"),
                          QStringLiteral("Sz.név"), QStringLiteral("Sz.cim"), QStringLiteral("Kód"), QStringLiteral("ID")}));
    QCOMPARE(s.text("Label6"), QStringLiteral("A lista, \"Név\" szerint"));
    QCOMPARE(s.find<QGroupBox>("GroupBox1")->title(), QStringLiteral("Adatok"));
    QCOMPARE(s.text("Label_DBText1"), QStringLiteral("Tulajdonos/feladó neve:"));
    QCOMPARE(s.text("DBText1"), QStringLiteral("Antal Béla"));
    QCOMPARE(s.text("DBText2"), QStringLiteral("Győr"));
    QCOMPARE(s.text("DBText3"), QStringLiteral("T1"));
    QCOMPARE(s.text("DBText4"), QStringLiteral("Tanya"));
    QCOMPARE(s.text("DBText5"), QStringLiteral("Kisalföld 3"));
    QCOMPARE(s.text("DBText6"), antalId);
    QCOMPARE(s.text("DBText7"), antal);
    s.find<DBNavigator>("DBNavigator1")->button(DBNavigator::Last)->click();
    QCOMPARE(s.text("DBText1"), QStringLiteral("Zöld Kft."));

    QStringList captions;
    QList<QPushButton*> buttons;
    for (const char* name : {"Button1", "Button2", "Button3", "Button4", "Button5"})
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
    PartnerScreen s;
    Data->ZQ40.last();
    QPointer<QDialog> editor;
    doubles.modalHandlers << [&editor](QDialog* d) {
        editor = d;
        QCOMPARE(d->objectName(), QStringLiteral("Form5"));
        QCOMPARE(qobject_cast<PartnerEditDialog*>(d)->mode(), EntryMode::New);
        QCOMPARE(d->windowTitle(), QStringLiteral("Feladó-Vevö"));
        QVERIFY(child<QCheckBox>(d, "CheckBox1")->isChecked());
        setField(d, "Edit3", QStringLiteral(" Béta Bt."));
        setField(d, "Edit5", QStringLiteral("Szeged"));
        setField(d, "Edit4", QStringLiteral("HU123"));
        setField(d, "Edit6", QStringLiteral("Major"));
        setField(d, "Edit7", QStringLiteral("Külterület 5 "));
        press(d, "Button1");
        QVERIFY(!d->isVisible());
    };
    s->addRow();
    QVERIFY(!editor);
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(handOver().partnerCode, QString());
    const QStringList rows = partnerRows(db);
    QCOMPARE(rows.size(), 3);
    const QString code = db.value(QStringLiteral("SELECT fkod FROM felado WHERE ftenykod = 'HU123'"));
    QCOMPARE(rows.last(), QStringLiteral("%1| Béta Bt.|Szeged|HU123|Major|Külterület 5 ").arg(code));
    QCOMPARE(Data->ZQ40.recNo(), 0);
    QCOMPARE(s.text("DBText1"), QStringLiteral(" Béta Bt."));  // the leading blank sorts it first
    QCOMPARE(s.text("Label6"), kCodeHeading);
}

void PartnersTest::changedPartnerIsSavedAndListFollowsIt()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const QString a = db.addPartner(QStringLiteral("Alfa"), QStringLiteral("Cim A"), QStringLiteral("TA"));
    const QString b = db.addPartner(QStringLiteral("Béta"), QStringLiteral("Cim B"), QStringLiteral("TB"));
    PartnerScreen s;
    QCOMPARE(s.text("DBText7"), a);
    doubles.modalHandlers << [a](QDialog* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("Feladó módositás"));
        QCOMPARE(qobject_cast<PartnerEditDialog*>(d)->mode(), EntryMode::Change);
        QCOMPARE(child<QLineEdit>(d, "Edit2")->text(), a);
        QVERIFY(!child<QLineEdit>(d, "Edit1")->text().isEmpty());
        QVERIFY(!child<QLineEdit>(d, "Edit1")->isEnabled() && child<QLineEdit>(d, "Edit1")->isReadOnly());
        QCOMPARE(child<QLineEdit>(d, "Edit3")->text(), QStringLiteral("Alfa"));
        QCOMPARE(child<QLineEdit>(d, "Edit5")->text(), QStringLiteral("Cim A"));
        QCOMPARE(child<QLineEdit>(d, "Edit4")->text(), QStringLiteral("TA"));
        QCOMPARE(child<QLineEdit>(d, "Edit6")->text(), QStringLiteral("Alfa"));
        QCOMPARE(child<QLineEdit>(d, "Edit7")->text(), QStringLiteral("Cim A"));
        setField(d, "Edit3", QStringLiteral("Zeta"));  // moves to the end of the list
        setField(d, "Edit4", QStringLiteral("TZ"));
        setField(d, "Edit7", QStringLiteral("Rendeltetés"));
        press(d, "Button1");
    };
    s->changeCurrentRow();
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(handOver().partnerCode, a);
    QCOMPARE(partnerRows(db), (QStringList{a + QStringLiteral("|Zeta|Cim A|TZ|Alfa|Rendeltetés"),
                                          b + QStringLiteral("|Béta|Cim B|TB|Béta|Cim B")}));
    QCOMPARE(Data->ZQ40.recNo(), 1);
    QCOMPARE(s.text("DBText7"), a);
    QCOMPARE(s.text("Label6"), kCodeHeading);
}

void PartnersTest::validationOrder_data()
{
    QTest::addColumn<QStringList>("values");  // Edit3, Edit5, Edit4, Edit6, Edit7
    QTest::addColumn<QString>("message");     // empty: saved
    QTest::addColumn<QString>("focus");
    QTest::newRow("all empty") << QStringList{"", "", "", "", ""} << "Nincs megadva a neve!" << "Edit3";
    QTest::newRow("name of blanks") << QStringList{"  ", "C", "T", "SN", "SC"} << "Nincs megadva a neve!" << "Edit3";
    QTest::newRow("address") << QStringList{"N", " ", "", "", ""} << "Nincs megadva a cim!" << "Edit5";
    QTest::newRow("breeding code") << QStringList{"N", "C", "", "SN", "SC"} << "Nincs megadva a tenyészkód!" << "Edit4";
    QTest::newRow("origin name") << QStringList{"N", "C", "T", "   ", ""} << "Nincs megadva a származási név!" << "Edit6";
    QTest::newRow("origin address") << QStringList{"N", "C", "T", "SN", " "} << "Nincs megadva a származási cim!"
                                    << "Edit7";
    QTest::newRow("complete with leading blanks") << QStringList{" N", " C", " T", " SN", " SC"} << "" << "";
}

void PartnersTest::validationOrder()
{
    QFETCH(QStringList, values);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    TestDatabase db;
    platform::TestDoubles doubles;
    PartnerScreen s;
    bool stayedOpen = false;
    QString focused;
    doubles.modalHandlers << [&](QDialog* d) {
        const char* names[] = {"Edit3", "Edit5", "Edit4", "Edit6", "Edit7"};
        for (int i = 0; i < 5; ++i)
            setField(d, names[i], values.at(i));
        press(d, "Button1");
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
    PartnerScreen s;
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
    QCOMPARE(visited, (QStringList{"Edit3", "Edit5", "Edit4", "Edit6", "Edit7", "Button1", "Button2", "CheckBox1",
                                   "Button2"}));
}

void PartnersTest::dialogFieldsTopToBottom()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    PartnerScreen s;
    QStringList labels;
    QList<int> tops;
    doubles.modalHandlers << [&](QDialog* d) {
        const auto edit = [d](const char* name) { return child<QLineEdit>(d, name); };
        for (const char* name : {"Edit1", "Edit2", "Edit3", "Edit5", "Edit4", "Edit6", "Edit7"}) {
            QLineEdit* e = edit(name);
            QLabel* label = nullptr;
            for (QLabel* l : d->findChildren<QLabel*>())
                if (l->buddy() == e)
                    label = l;
            QVERIFY(label);
            labels << label->text();
            tops << e->mapTo(d, QPoint()).y();
        }
        auto* ok = child<QPushButton>(d, "Button1");
        auto* sameAddress = child<QCheckBox>(d, "CheckBox1");
        for (QWidget* w : std::initializer_list<QWidget*>{ok, sameAddress})
            tops << w->mapTo(d, QPoint()).y();
        QCOMPARE(child<QPushButton>(d, "Button2")->mapTo(d, QPoint()).y(), ok->mapTo(d, QPoint()).y());
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
    PartnerScreen s;
    struct Seen {
        QString edit6, edit7;
    } ticked, typedAfter, unticked, onChange;
    doubles.modalHandlers << [&](QDialog* d) {
        activate(d);
        const auto edit = [d](const char* name) { return child<QLineEdit>(d, name); };
        edit("Edit3")->setFocus();
        QTest::keyClicks(edit("Edit3"), QStringLiteral("Kovacs"));
        tabOut(edit("Edit3"));
        QTest::keyClicks(edit("Edit5"), QStringLiteral("Fo utca 1"));
        tabOut(edit("Edit5"));
        ticked = {edit("Edit6")->text(), edit("Edit7")->text()};
        // A different origin name typed afterwards stays.
        edit("Edit6")->setText(QStringLiteral("Tanya"));
        typedAfter = {edit("Edit6")->text(), edit("Edit7")->text()};
        // Without the tick, leaving the owner's fields copies nothing.
        child<QCheckBox>(d, "CheckBox1")->setChecked(false);
        edit("Edit3")->setFocus();
        QApplication::processEvents();
        QTest::keyClicks(edit("Edit3"), QStringLiteral(" Peter"));
        tabOut(edit("Edit3"));
        unticked = {edit("Edit6")->text(), edit("Edit7")->text()};
        press(d, "Button2");
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
        QVERIFY(child<QCheckBox>(d, "CheckBox1")->isChecked());
        edit("Edit3")->setFocus();
        QApplication::processEvents();
        tabOut(edit("Edit3"));
        onChange = {edit("Edit6")->text(), edit("Edit7")->text()};
        press(d, "Button1");
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
    PartnerScreen s;
    const QString longText(76, u'é');
    doubles.modalHandlers << [&](QDialog* d) {
        setField(d, "Edit3", QStringLiteral("Új"));
        setField(d, "Edit5", QStringLiteral("C"));
        setField(d, "Edit4", QStringLiteral("T"));
        setField(d, "Edit6", QStringLiteral("SN"));
        setField(d, "Edit7", longText);  // the last column bound: the others must not be written either
        press(d, "Button1");
        QVERIFY(!d->isVisible());
    };
    s->addRow();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba53: Újban, INSERT a feladóban ")});
    QCOMPARE(partnerRows(db), before);
    QVERIFY(Data->ZQ40.active());

    doubles.messages.clear();
    doubles.modalHandlers << [&](QDialog* d) {
        setField(d, "Edit3", QStringLiteral("Változott"));
        setField(d, "Edit4", QString(26, u'9'));  // breeding code holds 25
        press(d, "Button1");
    };
    s->changeCurrentRow();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba054: Módositás, Update a feladóban ")});
    QCOMPARE(partnerRows(db), before);
    QCOMPARE(s.text("DBText7"), a);
    QCOMPARE(s.text("Label6"), kCodeHeading);
}

void PartnersTest::transactionThatCannotStartKeepsDialogOpen()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    db.addPartner(QStringLiteral("Alfa"));
    PartnerScreen s;
    bool stayedOpen = false;
    doubles.modalHandlers << [&](QDialog* d) {
        setField(d, "Edit3", QStringLiteral("Más"));
        Data->IBTrans1.commit();
        Data->ZCon1.close();
        press(d, "Button1");
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
    PartnerScreen s;
    doubles.modalHandlers << [](QDialog* d) {
        QCOMPARE(child<QLineEdit>(d, "Edit1")->text(), QString());
        const char* names[] = {"Edit3", "Edit5", "Edit4", "Edit6", "Edit7"};
        for (const char* n : names)
            setField(d, n, QStringLiteral("x"));
        press(d, "Button1");
        QVERIFY(!d->isVisible());
    };
    s->changeCurrentRow();
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(db.count(QStringLiteral("felado")), 0);
    QVERIFY(Data->ZQ40.active());
    QCOMPARE(s.text("Label6"), kCodeHeading);
}

void PartnersTest::unreadableRowKeepsDialogClosed()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    db.addPartner(QStringLiteral("Alfa"));
    PartnerScreen s;
    Data->ZQ40.close();
    Data->ZQ40.setSql({QStringLiteral("SELECT 1 AS x FROM rdb$database")});
    Data->ZQ40.open();
    s->changeCurrentRow();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba52 a módosítás Edit-ben való megjelenitésekor!")});
    QVERIFY(doubles.modalsShown.isEmpty());

    // A list that is not open (a failed reload, a transaction ended under it) has no row to read.
    doubles.messages.clear();
    s->reloadOnShow();
    Data->IBTrans1.commit();
    QVERIFY(!Data->ZQ40.active());
    s->changeCurrentRow();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba52 a módosítás Edit-ben való megjelenitésekor!")});
    QVERIFY(doubles.modalsShown.isEmpty());
    QVERIFY(!s->findChild<QDialog*>(QStringLiteral("Form5")));  // nor left alive
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
    handOver().partnerCode = a;
    PartnerScreen s;
    Data->ZQ40.next();
    QCOMPARE(s.text("DBText7"), b);
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
    QVERIFY(Data->ZQ40.active());
    QCOMPARE(s.text("DBText7"), a);
    QCOMPARE(s.text("Label6"), kCodeHeading);
}

void PartnersTest::deleteLastPartnerDoesNothing()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    db.addPartner(QStringLiteral("Alfa"));
    PartnerScreen s;
    s->deleteCurrentRow();
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(db.count(QStringLiteral("felado")), 1);
    QCOMPARE(s.text("Label6"), kCodeHeading);
}

void PartnersTest::failedDeleteRollsBack()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const QString a = db.addPartner(QStringLiteral("Alfa"));
    db.addPartner(QStringLiteral("Béta"));
    PartnerScreen s;
    RowLock lock(db, QStringLiteral("UPDATE felado SET fcim = 'zárolva' WHERE fkod = '%1'").arg(a));
    s->deleteCurrentRow();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba41: Feladó DELETE törlésekor")});
    QCOMPARE(db.count(QStringLiteral("felado")), 2);
    QCOMPARE(Data->ZQ40.recordCount(), 2);
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
    handOver().partnerCode = db.addPartner(QStringLiteral("Béla"), QStringLiteral("Miskolc"));
    PartnerScreen s;
    QCOMPARE(s.text("DBText1"), QStringLiteral("Béla"));
    QHeaderView* header = s.find<DBGrid>("DBGrid1")->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                             header->height() / 2));
    QCOMPARE(s.text("Label6"), heading);
    QCOMPARE(s.text("DBText1"), firstName);
}

QTEST_MAIN(PartnersTest)
#include "test_partners.moc"
