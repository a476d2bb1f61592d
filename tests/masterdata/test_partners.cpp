#include "core/datamodule.h"
#include "core/globals.h"
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

using PartnerScreen = ShownScreen<TForm4>;

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
    PartnerScreen s(Form4);
    QCOMPARE(s->windowTitle(), QStringLiteral("Feladó-Vevö"));
    QCOMPARE(s->DBGrid1->titles(),
             (QStringList{QStringLiteral("Név"), QStringLiteral("Cim"), QStringLiteral("Tenyésztésikód"),
                          QStringLiteral("Sz.név"), QStringLiteral("Sz.cim"), QStringLiteral("Kód"), QStringLiteral("ID")}));
    QCOMPARE(s->Label6->text(), QStringLiteral("A lista, \"Név\" szerint"));
    QCOMPARE(s->GroupBox1->title(), QStringLiteral("Adatok"));
    QCOMPARE(s->Label1->text(), QStringLiteral("Tulajdonos/feladó neve:"));
    QCOMPARE(s->DBText1->text(), QStringLiteral("Antal Béla"));
    QCOMPARE(s->DBText2->text(), QStringLiteral("Győr"));
    QCOMPARE(s->DBText3->text(), QStringLiteral("T1"));
    QCOMPARE(s->DBText4->text(), QStringLiteral("Tanya"));
    QCOMPARE(s->DBText5->text(), QStringLiteral("Kisalföld 3"));
    QCOMPARE(s->DBText6->text(), antalId);
    QCOMPARE(s->DBText7->text(), antal);
    s->DBNavigator1->button(DBNavigator::Last)->click();
    QCOMPARE(s->DBText1->text(), QStringLiteral("Zöld Kft."));

    QStringList captions;
    for (QPushButton* b : {s->Button1, s->Button2, s->Button3, s->Button4, s->Button5})
        captions << b->text();
    QCOMPARE(captions, (QStringList{QStringLiteral("Kiválaszt"), QStringLiteral("Új"), QStringLiteral("Módosít"),
                                    QStringLiteral("Töröl"), QStringLiteral("Mégsem")}));
    QVERIFY(s->Button1->x() < s->Button2->x() && s->Button2->x() < s->Button3->x() &&
            s->Button3->x() < s->Button4->x() && s->Button4->x() < s->Button5->x());
}

void PartnersTest::newPartnerIsSavedAndListStaysOnFirstRow()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    db.addPartner(QStringLiteral("Alfa"));
    db.addPartner(QStringLiteral("Gamma"));
    PartnerScreen s(Form4);
    Data->ZQ40.last();
    doubles.modalHandlers << [](QDialog* d) {
        QCOMPARE(d, Form5);
        QCOMPARE(d->windowTitle(), QStringLiteral("Feladó-Vevö"));
        QVERIFY(Form5->CheckBox1->isChecked());
        setField(d, "Edit3", QStringLiteral(" Béta Bt."));
        setField(d, "Edit5", QStringLiteral("Szeged"));
        setField(d, "Edit4", QStringLiteral("HU123"));
        setField(d, "Edit6", QStringLiteral("Major"));
        setField(d, "Edit7", QStringLiteral("Külterület 5 "));
        press(d, "Button1");
        QVERIFY(!d->isVisible());
    };
    s->Button2Click();
    QVERIFY(!Form5);
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(SenderEditMode, QStringLiteral("Új feladó"));
    QCOMPARE(CurrentSenderCode, QString());
    const QStringList rows = partnerRows(db);
    QCOMPARE(rows.size(), 3);
    const QString code = db.value(QStringLiteral("SELECT fkod FROM felado WHERE ftenykod = 'HU123'"));
    QCOMPARE(rows.last(), QStringLiteral("%1| Béta Bt.|Szeged|HU123|Major|Külterület 5 ").arg(code));
    QCOMPARE(Data->ZQ40.recNo(), 0);
    QCOMPARE(s->DBText1->text(), QStringLiteral(" Béta Bt."));  // the leading blank sorts it first
    QCOMPARE(s->Label6->text(), kCodeHeading);
}

void PartnersTest::changedPartnerIsSavedAndListFollowsIt()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const QString a = db.addPartner(QStringLiteral("Alfa"), QStringLiteral("Cim A"), QStringLiteral("TA"));
    const QString b = db.addPartner(QStringLiteral("Béta"), QStringLiteral("Cim B"), QStringLiteral("TB"));
    PartnerScreen s(Form4);
    QCOMPARE(s->DBText7->text(), a);
    doubles.modalHandlers << [a](QDialog* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("Feladó módositás"));
        QCOMPARE(Form5->Edit2->text(), a);
        QVERIFY(!Form5->Edit1->text().isEmpty());
        QVERIFY(!Form5->Edit1->isEnabled() && Form5->Edit1->isReadOnly());
        QCOMPARE(Form5->Edit3->text(), QStringLiteral("Alfa"));
        QCOMPARE(Form5->Edit5->text(), QStringLiteral("Cim A"));
        QCOMPARE(Form5->Edit4->text(), QStringLiteral("TA"));
        QCOMPARE(Form5->Edit6->text(), QStringLiteral("Alfa"));
        QCOMPARE(Form5->Edit7->text(), QStringLiteral("Cim A"));
        setField(d, "Edit3", QStringLiteral("Zeta"));  // moves to the end of the list
        setField(d, "Edit4", QStringLiteral("TZ"));
        setField(d, "Edit7", QStringLiteral("Rendeltetés"));
        press(d, "Button1");
    };
    s->Button3Click();
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(SenderEditMode, QStringLiteral("Feladó módositás"));
    QCOMPARE(CurrentSenderCode, a);
    QCOMPARE(partnerRows(db), (QStringList{a + QStringLiteral("|Zeta|Cim A|TZ|Alfa|Rendeltetés"),
                                          b + QStringLiteral("|Béta|Cim B|TB|Béta|Cim B")}));
    QCOMPARE(Data->ZQ40.recNo(), 1);
    QCOMPARE(s->DBText7->text(), a);
    QCOMPARE(s->Label6->text(), kCodeHeading);
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
    PartnerScreen s(Form4);
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
    s->Button2Click();
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
    PartnerScreen s(Form4);
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
    s->Button2Click();
    QCOMPARE(visited, (QStringList{"Edit3", "Edit5", "Edit4", "Edit6", "Edit7", "Button1", "Button2", "CheckBox1",
                                   "Button2"}));
}

void PartnersTest::dialogFieldsTopToBottom()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    PartnerScreen s(Form4);
    QStringList labels;
    QList<int> tops;
    doubles.modalHandlers << [&](QDialog* d) {
        auto* f = static_cast<TForm5*>(d);
        for (QLineEdit* e : {f->Edit1, f->Edit2, f->Edit3, f->Edit5, f->Edit4, f->Edit6, f->Edit7}) {
            QLabel* label = nullptr;
            for (QLabel* l : d->findChildren<QLabel*>())
                if (l->buddy() == e)
                    label = l;
            QVERIFY(label);
            labels << label->text();
            tops << e->mapTo(d, QPoint()).y();
        }
        for (QWidget* w : std::initializer_list<QWidget*>{f->Button1, f->CheckBox1})
            tops << w->mapTo(d, QPoint()).y();
        QCOMPARE(f->Button2->mapTo(d, QPoint()).y(), f->Button1->mapTo(d, QPoint()).y());
        QCOMPARE(f->CheckBox1->text(), QStringLiteral("Tulajdonos cim = származási cim"));
    };
    s->Button2Click();
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
    PartnerScreen s(Form4);
    struct Seen {
        QString edit6, edit7;
    } ticked, typedAfter, unticked, onChange;
    doubles.modalHandlers << [&](QDialog* d) {
        activate(d);
        auto* f = static_cast<TForm5*>(d);
        f->Edit3->setFocus();
        QTest::keyClicks(f->Edit3, QStringLiteral("Kovacs"));
        tabOut(f->Edit3);
        QTest::keyClicks(f->Edit5, QStringLiteral("Fo utca 1"));
        tabOut(f->Edit5);
        ticked = {f->Edit6->text(), f->Edit7->text()};
        // A different origin name typed afterwards stays.
        f->Edit6->setText(QStringLiteral("Tanya"));
        typedAfter = {f->Edit6->text(), f->Edit7->text()};
        // Without the tick, leaving the owner's fields copies nothing.
        f->CheckBox1->setChecked(false);
        f->Edit3->setFocus();
        QApplication::processEvents();
        QTest::keyClicks(f->Edit3, QStringLiteral(" Peter"));
        tabOut(f->Edit3);
        unticked = {f->Edit6->text(), f->Edit7->text()};
        press(d, "Button2");
    };
    s->Button2Click();
    QCOMPARE(ticked.edit6, QStringLiteral("Kovacs"));
    QCOMPARE(ticked.edit7, QStringLiteral("Fo utca 1"));
    QCOMPARE(typedAfter.edit6, QStringLiteral("Tanya"));
    QCOMPARE(unticked.edit6, QStringLiteral("Tanya"));
    QCOMPARE(db.count(QStringLiteral("felado")), 1);

    // On a change the box starts ticked again and leaving the name overwrites the origin name.
    db.exec(QStringLiteral("UPDATE felado SET fsznev = 'Major'"));
    s->FormShow();
    doubles.modalHandlers << [&](QDialog* d) {
        activate(d);
        auto* f = static_cast<TForm5*>(d);
        QVERIFY(f->CheckBox1->isChecked());
        f->Edit3->setFocus();
        QApplication::processEvents();
        tabOut(f->Edit3);
        onChange = {f->Edit6->text(), f->Edit7->text()};
        press(d, "Button1");
    };
    s->Button3Click();
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
    PartnerScreen s(Form4);
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
    s->Button2Click();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba53: Újban, INSERT a feladóban ")});
    QCOMPARE(partnerRows(db), before);
    QVERIFY(Data->ZQ40.active());

    doubles.messages.clear();
    doubles.modalHandlers << [&](QDialog* d) {
        setField(d, "Edit3", QStringLiteral("Változott"));
        setField(d, "Edit4", QString(26, u'9'));  // breeding code holds 25
        press(d, "Button1");
    };
    s->Button3Click();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba054: Módositás, Update a feladóban ")});
    QCOMPARE(partnerRows(db), before);
    QCOMPARE(s->DBText7->text(), a);
    QCOMPARE(s->Label6->text(), kCodeHeading);
}

void PartnersTest::transactionThatCannotStartKeepsDialogOpen()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    db.addPartner(QStringLiteral("Alfa"));
    PartnerScreen s(Form4);
    bool stayedOpen = false;
    doubles.modalHandlers << [&](QDialog* d) {
        setField(d, "Edit3", QStringLiteral("Más"));
        Data->IBTrans1.commit();
        Data->ZCon1.close();
        press(d, "Button1");
        stayedOpen = d->isVisible();
    };
    s->Button3Click();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba055: az insert vagy update közben a feladóban!")});
    QVERIFY(stayedOpen);
    QCOMPARE(db.value(QStringLiteral("SELECT fnev FROM felado")), QStringLiteral("Alfa"));
}

void PartnersTest::changeOnEmptyListWritesNothing()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    PartnerScreen s(Form4);
    doubles.modalHandlers << [](QDialog* d) {
        QCOMPARE(Form5->Edit1->text(), QString());
        const char* names[] = {"Edit3", "Edit5", "Edit4", "Edit6", "Edit7"};
        for (const char* n : names)
            setField(d, n, QStringLiteral("x"));
        press(d, "Button1");
        QVERIFY(!d->isVisible());
    };
    s->Button3Click();
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(db.count(QStringLiteral("felado")), 0);
    QVERIFY(Data->ZQ40.active());
    QCOMPARE(s->Label6->text(), kCodeHeading);
}

void PartnersTest::unreadableRowKeepsDialogClosed()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    db.addPartner(QStringLiteral("Alfa"));
    PartnerScreen s(Form4);
    Data->ZQ40.close();
    Data->ZQ40.setSql({QStringLiteral("SELECT 1 AS x FROM rdb$database")});
    Data->ZQ40.open();
    s->Button3Click();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba52 a módosítás Edit-ben való megjelenitésekor!")});
    QVERIFY(doubles.modalsShown.isEmpty());

    // A list that is not open (a failed reload, a transaction ended under it) has no row to read.
    doubles.messages.clear();
    s->FormShow();
    Data->IBTrans1.commit();
    QVERIFY(!Data->ZQ40.active());
    s->Button3Click();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba52 a módosítás Edit-ben való megjelenitésekor!")});
    QVERIFY(doubles.modalsShown.isEmpty());
    QVERIFY(!Form5);
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
    CurrentSenderCode = a;
    PartnerScreen s(Form4);
    Data->ZQ40.next();
    QCOMPARE(s->DBText7->text(), b);
    s->Button4Click();
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
    QCOMPARE(s->DBText7->text(), a);
    QCOMPARE(s->Label6->text(), kCodeHeading);
}

void PartnersTest::deleteLastPartnerDoesNothing()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    db.addPartner(QStringLiteral("Alfa"));
    PartnerScreen s(Form4);
    s->Button4Click();
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(db.count(QStringLiteral("felado")), 1);
    QCOMPARE(s->Label6->text(), kCodeHeading);
}

void PartnersTest::failedDeleteRollsBack()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    const QString a = db.addPartner(QStringLiteral("Alfa"));
    db.addPartner(QStringLiteral("Béta"));
    PartnerScreen s(Form4);
    RowLock lock(db, QStringLiteral("UPDATE felado SET fcim = 'zárolva' WHERE fkod = '%1'").arg(a));
    s->Button4Click();
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
    CurrentSenderCode = db.addPartner(QStringLiteral("Béla"), QStringLiteral("Miskolc"));
    PartnerScreen s(Form4);
    QCOMPARE(s->DBText1->text(), QStringLiteral("Béla"));
    QHeaderView* header = s->DBGrid1->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                             header->height() / 2));
    QCOMPARE(s->Label6->text(), heading);
    QCOMPARE(s->DBText1->text(), firstName);
}

QTEST_MAIN(PartnersTest)
#include "test_partners.moc"
