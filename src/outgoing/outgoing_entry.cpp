#include "outgoing/outgoing_entry.h"

#include "core/convert.h"
#include "core/datamodule.h"
#include "core/domain.h"
#include "core/globals.h"
#include "masterdata/pickers.h"
#include "outgoing/eartag_picklist.h"
#include "masterdata/panels.h"
#include "ui/input.h"
#include "ui/layout.h"
#include "ui/dbwidgets.h"
#include "ui/input.h"
#include "ui/modal.h"
#include "ui/platform.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <limits>

TForm11* Form11 = nullptr;

namespace {
const QString kNewMode = QStringLiteral("Új fülszám");
const QString kNotArrived = QStringLiteral("Nincs ilyen fülszám a beszállitottak között !");

bool blank(const QLineEdit* e) { return convert::trimRight(e->text()).isEmpty(); }

void openWith(Dataset& q, const QStringList& lines)
{
    q.close();
    q.clearSql();
    for (const QString& l : lines)
        q.addSql(l);
}
}  // namespace

TForm11::TForm11(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form11"));
    setWindowTitle(QStringLiteral("Fülszám bevitel (kiszállitás)"));
    Form11 = this;
    m_changeMode = OutgoingEntryMode != kNewMode;

    auto* lay = new QVBoxLayout(this);

    // Panels and pickers.
    auto* top = new QHBoxLayout;
    int textNumber = 1;
    GroupBox1 = masterdata::carrierPanel(this, QStringLiteral("GroupBox1"), &Data->DS30, textNumber);
    GroupBox2 = masterdata::buyerPanel(this, QStringLiteral("GroupBox2"), &Data->DS40, textNumber);
    top->addWidget(GroupBox1, 1);
    top->addWidget(GroupBox2, 1);
    lay->addLayout(top);

    auto* fields = new QGridLayout;
    auto edit = [this, fields](QLineEdit*& e, const char* name, const QString& label, int row, int col) {
        e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        auto* l = new QLabel(label, this);
        l->setObjectName(QStringLiteral("Label_") + QString::fromLatin1(name));
        l->setBuddy(e);
        fields->addWidget(l, row * 2, col);
        fields->addWidget(e, row * 2 + 1, col);
    };
    Button1 = new QPushButton(QStringLiteral("Szállító"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Vevö"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    edit(Edit1, "Edit1", QStringLiteral("IDk"), 0, 0);
    edit(Edit2, "Edit2", QStringLiteral("Száll.kód"), 0, 1);
    edit(Edit3, "Edit3", QStringLiteral("Vevö kód"), 0, 2);
    fields->addWidget(Button1, 1, 3);
    fields->addWidget(Button2, 1, 4);
    edit(Edit5, "Edit5", QStringLiteral("Kiszállitás kelte"), 1, 0);
    edit(Edit7, "Edit7", QStringLiteral("Hasznositási kategória"), 1, 1);
    edit(Edit4, "Edit4", QStringLiteral("Fülszám"), 1, 2);
    edit(Edit8, "Edit8", QStringLiteral("Eü. bizonyitvány ki"), 1, 3);
    edit(Edit6, "Edit6", QStringLiteral("Eü. bizonyitvány be"), 1, 4);
    Label2 = new QLabel(QStringLiteral("Dupla klikkre megnyilik a ki nem szállitott fülszámok listája."), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    fields->addWidget(Label2, 4, 0, 1, 5);
    lay->addLayout(fields);

    for (QLineEdit* e : {Edit1, Edit2, Edit3})
        e->setEnabled(false);
    Edit7->setText(QStringLiteral("gyüjtés"));
    Edit7->setToolTip(QStringLiteral("Dupla klikkre kategória váltása"));
    Edit4->setToolTip(QStringLiteral("Irja be a fülszám részletet. Duppla klikkre még ki nem szállítottak listája."));
    Edit4->setMaxLength(25);
    input::digitsOnly(Edit4);
    input::dateCharacters(Edit5);

    // "Új", "OK", "Mégsem" on a panel of their own, with the increment box beside them.
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    auto* row = new QHBoxLayout(panel);
    Button3 = new QPushButton(QStringLiteral("Új"), panel);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button5 = new QPushButton(QStringLiteral("OK"), panel);
    Button5->setObjectName(QStringLiteral("Button5"));
    Button6 = new QPushButton(QStringLiteral("Mégsem"), panel);
    Button6->setObjectName(QStringLiteral("Button6"));
    for (QPushButton* b : {Button3, Button5, Button6})
        row->addWidget(b);
    row->addStretch(1);
    CheckBox1 = new QCheckBox(QStringLiteral("fülszám növelése"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    auto* panelRow = new QHBoxLayout;
    panelRow->addWidget(panel, 1);
    panelRow->addWidget(CheckBox1);
    lay->addLayout(panelRow);
    for (QPushButton* b : {Button1, Button2, Button3, Button5, Button6})
        b->setAutoDefault(false);
    Button3->setEnabled(false);
    input::markLeavesForm(Button6);

    auto* gridLabel = new QLabel(QStringLiteral("Kiszállitottak listája "), this);
    gridLabel->setObjectName(QStringLiteral("Label1"));
    lay->addWidget(gridLabel);
    DBGrid1 = new DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setDataSource(&Data->DS21);
    DBGrid1->setColumns({{QStringLiteral("KFULSZAM"), QStringLiteral("Fülszám")},
                         {QStringLiteral("KIKELT"), QStringLiteral("Kikelt")},
                         {QStringLiteral("KHKAT"), QStringLiteral("Haszn.kat.")},
                         {QStringLiteral("KEUBIZKI"), QStringLiteral("Eü.biz. ki")},
                         {QStringLiteral("KEUBIZBE"), QStringLiteral("Eü. biz. be")},
                         {QStringLiteral("KSKOD"), QStringLiteral("Száll.kód")},
                         {QStringLiteral("KFKOD"), QStringLiteral("Vevö")},
                         {QStringLiteral("IDK"), QStringLiteral("ID")},
                         {QStringLiteral("KKOD"), QStringLiteral("Kód")}});
    gridLabel->setBuddy(DBGrid1);
    lay->addWidget(DBGrid1, 1);
    DBNavigator1 = new DBNavigator(this);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setDataSource(&Data->DS21);
    DBNavigator1->setVisibleButtons(DBNavigator::First | DBNavigator::Prior | DBNavigator::Next | DBNavigator::Last);
    lay->addWidget(DBNavigator1, 0, Qt::AlignLeft);

    // Tab order: the five fields, the button panel, the pickers, the code fields, the list and its
    // navigator, the increment box. The panels take no focus and the navigator is its buttons:
    // chaining those containers themselves would pull the navigator and the box out of place.
    QWidget* order[] = {Edit5,   Edit7,   Edit4,   Edit8,   Edit6,
                        Button3, Button5, Button6, Button1, Button2,
                        Edit1,   Edit2,   Edit3,   DBGrid1, DBNavigator1->button(DBNavigator::First),
                        DBNavigator1->button(DBNavigator::Prior),     DBNavigator1->button(DBNavigator::Next),
                        DBNavigator1->button(DBNavigator::Last),      CheckBox1};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    connect(Button1, &QPushButton::clicked, this, &TForm11::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm11::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm11::Button3Click);
    connect(Button5, &QPushButton::clicked, this, &TForm11::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TForm11::Button6Click);
    input::onExit(Edit4, [this] { Edit4Exit(); });
    input::onDoubleClick(Edit4, [this] { Edit4DblClick(); });
    input::onDoubleClick(Edit7, [this] { Edit7DblClick(); });

    fixAndCentre(this, QSize(1000, 640));

    openWith(Data->ZQ21, {QStringLiteral("SELECT kfulszam, kikelt, khkat, keubizki, keubizbe, kskod, kfkod, IDk"),
                          QStringLiteral("FROM kiszall"), QStringLiteral("ORDER BY IDk")});
    Data->ZQ21.open();
    Data->ZQ21.last();

    Edit5->setFocus();
    input::enterAsTab(this);
}

TForm11::~TForm11()
{
    if (Form11 == this)
        Form11 = nullptr;
}

bool TForm11::LoadForChange()
{
    try {
        setWindowTitle(QStringLiteral("Fülszám módositás"));
        const Dataset& row = Data->ZQ22;
        Edit1->setText(row.fieldText(QStringLiteral("IDk")));
        Edit2->setText(row.fieldText(QStringLiteral("kskod")));
        Edit3->setText(row.fieldText(QStringLiteral("kfkod")));
        Edit4->setText(row.fieldText(QStringLiteral("kfulszam")));
        Edit5->setText(row.fieldText(QStringLiteral("kikelt")));
        Edit6->setText(row.fieldText(QStringLiteral("keubizbe")));
        Edit7->setText(row.fieldText(QStringLiteral("khkat")));
        Edit8->setText(row.fieldText(QStringLiteral("keubizki")));
        CurrentCarrierCode = row.fieldText(QStringLiteral("skod"));
        CurrentSenderCode = row.fieldText(QStringLiteral("fkod"));
        CurrentOutgoingId = row.fieldText(QStringLiteral("IDk"));

        masterdata::reopenCarriersOn(CurrentCarrierCode);
        masterdata::reopenPartnersOn(CurrentSenderCode);

        openWith(Data->ZQ21, {QStringLiteral("SELECT kfulszam, kikelt, khkat, keubizki, keubizbe, kskod, kfkod, IDk, kKod"),
                              QStringLiteral("FROM kiszall"), QStringLiteral("ORDER BY IDk")});
        Data->ZQ21.open();
        Data->ZQ21.last();
        Data->ZQ21.locate(QStringLiteral("IDk"), CurrentOutgoingId);

        CheckBox1->setEnabled(false);
        return true;
    } catch (const std::exception&) {
        platform::showMessage(this, QStringLiteral("Hiba111 a fülszám módosítás Edit-ben való megjelenitésekor!"));
        close();
        return false;
    }
}

void TForm11::Button1Click() { Edit2->setText(pickCarrier(this)); }

void TForm11::Button2Click() { Edit3->setText(pickSender(this)); }

qint64 TForm11::arrivalCount(const QString& earTag)
{
    Dataset& q = Data->ZQ13;
    openWith(q, {QStringLiteral("SELECT bfulszam,  COUNT(bFulszam) AS db"), QStringLiteral("FROM beszall"),
                 QStringLiteral("WHERE bfulszam = :p1"), QStringLiteral("GROUP BY bfulszam")});
    q.setParamText(QStringLiteral("p1"), earTag);
    q.open();
    return q.isEmpty() ? 0 : q.fieldInt(QStringLiteral("db"));
}

bool TForm11::alreadyDispatched(const QString& earTag)
{
    Dataset& q = Data->ZQ23;
    openWith(q, {QStringLiteral("SELECT Kfulszam, count(Kfulszam) as db"), QStringLiteral("FROM kiszall"),
                 QStringLiteral("WHERE Kfulszam = :p1"), QStringLiteral("GROUP BY Kfulszam")});
    q.setParamText(QStringLiteral("p1"), earTag);
    q.open();
    qint64 count = q.isEmpty() ? 0 : q.fieldInt(QStringLiteral("db"));
    if (m_changeMode && count > 0) {
        // The row being changed keeps its own ear tag: it does not count as already dispatched.
        openWith(q, {QStringLiteral("SELECT count(Kfulszam) as db"), QStringLiteral("FROM kiszall"),
                     QStringLiteral("WHERE Kfulszam = :p1 AND IDk = :p0")});
        q.setParamText(QStringLiteral("p1"), earTag);
        q.setParamText(QStringLiteral("p0"), Edit1->text());
        q.open();
        count -= q.fieldInt(QStringLiteral("db"));
    }
    return count != 0;
}

void TForm11::Edit4Exit()
{
    try {
        if (arrivalCount(Edit4->text()) == 0) {
            platform::showMessage(this, kNotArrived);
            Edit4->setFocus();
            return;
        }
        Dataset& q = Data->ZQ13;
        openWith(q, {QStringLiteral("SELECT bfulszam, beubiz"), QStringLiteral("FROM beszall"),
                     QStringLiteral("WHERE bfulszam = :p1")});
        q.setParamText(QStringLiteral("p1"), Edit4->text());
        q.open();
        Edit6->setText(q.fieldText(QStringLiteral("beubiz")));
    } catch (const std::exception& e) {
        platform::showError(this, QString::fromUtf8(e.what()));
    }
}

void TForm11::Edit4DblClick()
{
    PartialEarTag = Edit4->text();
    try {
        runScreen(this, Form12);
    } catch (const std::exception& e) {
        platform::showError(this, QString::fromUtf8(e.what()));
    }
}

void TForm11::Edit7DblClick() { Edit7->setText(domain::nextCategory(Edit7->text())); }

void TForm11::fail(const QString& message, QWidget* focus)
{
    platform::showMessage(this, message);
    focus->setFocus();
}

void TForm11::Button5Click()
{
    // 1. Validation, in this order; the first failure ends the command.
    if (blank(Edit2))
        return fail(QStringLiteral("Nincs megadva a szállító!"), Button1);
    if (blank(Edit3))
        return fail(QStringLiteral("Nincs megadva a vevö!"), Button2);
    if (blank(Edit4))
        return fail(QStringLiteral("Nincs megadva a fülszám!"), Edit4);
    if (blank(Edit5))
        return fail(QStringLiteral("Nincs megadva a kiszállitás kelte!"), Edit5);
    if (!convert::textToDate(Edit5->text()))
        return fail(QStringLiteral("A dátum formátuma nem megfelelő!"), Edit5);
    if (Edit5->text() < QStringLiteral("2010.01.01"))
        return fail(QStringLiteral("Kiszállitás kelte kisebb mint 2010.01.01 -nél!"), Edit5);
    if (blank(Edit6))
        return fail(QStringLiteral("Nincs megadva a eü. bizonyitvány ((be) száma!"), Edit6);
    if (blank(Edit7))
        return fail(QStringLiteral("Nincs megadva a hasznositási kategória!"), Edit7);
    if (blank(Edit8))
        return fail(QStringLiteral("Nincs megadva az eü. bizonyitvány (ki) száma!"), Edit8);
    try {
        if (arrivalCount(Edit4->text()) == 0)
            return fail(kNotArrived, Edit4);
        if (alreadyDispatched(Edit4->text()))
            return fail(QStringLiteral("Ilyen fülszám van a kiszállitottak között!"), Edit4);
    } catch (const std::exception& e) {
        platform::showError(this, QString::fromUtf8(e.what()));
        return;
    }
    // 2.-3. Save and rebuild.
    save();
}

void TForm11::save()
{
    try {
        if (!Data->IBTrans1.inTransaction())
            Data->IBTrans1.startTransaction();
        try {
            Dataset& q = Data->ZQ21;
            if (!m_changeMode) {
                openWith(q, {QStringLiteral("INSERT INTO kiszall (kskod, kfkod, kfulszam, kikelt, keubizbe, khkat, keubizki )"),
                             QStringLiteral("VALUES        (   :p1,   :p2,      :p3,     :p4,      :p5,   :p6,      :p7 )")});
            } else {
                openWith(q, {QStringLiteral("UPDATE kiszall"), QStringLiteral("SET  kskod    = :p1,"),
                             QStringLiteral("     kfkod    = :p2,"), QStringLiteral("     kfulszam = :p3,"),
                             QStringLiteral("     kikelt   = :p4,"), QStringLiteral("     keubizbe = :p5,"),
                             QStringLiteral("     khkat    = :p6,"), QStringLiteral("     keubizki = :p7"),
                             QStringLiteral("WHERE IDk      = :p0")});
                q.setParamText(QStringLiteral("p0"), Edit1->text());
            }
            q.setParamText(QStringLiteral("p1"), Edit2->text());
            q.setParamText(QStringLiteral("p2"), Edit3->text());
            q.setParamText(QStringLiteral("p3"), Edit4->text());
            q.setParamDateText(QStringLiteral("p4"), Edit5->text());
            q.setParamText(QStringLiteral("p5"), Edit6->text());
            q.setParamText(QStringLiteral("p6"), Edit7->text());
            q.setParamText(QStringLiteral("p7"), Edit8->text());
            q.execSql();
            CurrentCarrierCode = Edit2->text();
            CurrentSenderCode = Edit3->text();
            Data->IBTrans1.commit();
        } catch (const std::exception&) {
            platform::showMessage(this, m_changeMode ? QStringLiteral("Hiba113: Módositás, Update a kiszállításban ")
                                                     : QStringLiteral("Hiba112: Újban, INSERT a kiszallitásban "));
            if (Data->IBTrans1.inTransaction())
                Data->IBTrans1.rollback();
        }
    } catch (const std::exception&) {
        platform::showMessage(this, QStringLiteral("Hiba114: az insert vagy update közben a kiszállításban!"));
        return;
    }
    try {
        rebuildList();
    } catch (const std::exception& e) {
        platform::showError(this, QString::fromUtf8(e.what()));
    }
    Button3->setEnabled(true);
    Button5->setEnabled(false);
}

void TForm11::rebuildList()
{
    Dataset& q = Data->ZQ21;
    openWith(q, {QStringLiteral("SELECT kfulszam, kikelt, khkat, keubizki, keubizbe, kskod, kfkod, IDk, kkod"),
                 QStringLiteral("FROM kiszall"), QStringLiteral("ORDER BY IDk")});
    q.open();
    if (!CurrentOutgoingId.isEmpty())
        q.locate(QStringLiteral("IDk"), CurrentOutgoingId);
}

void TForm11::Button3Click()
{
    Button3->setEnabled(false);
    Button5->setEnabled(true);
    if (!CheckBox1->isChecked())
        return;
    const std::optional<qint32> tag = convert::textToInt32(Edit4->text());
    // The increment works within the signed 32-bit range and its result must stay there too:
    // 2147483647 gets the same answer as a number beyond the range instead of wrapping round to a
    // negative ear tag.
    if (!tag || *tag == std::numeric_limits<qint32>::max()) {
        platform::showMessage(this, QStringLiteral("A fülszám nem csak számot tartalmaz!"));
        Edit4->clear();
        return;
    }
    Edit4->setText(QString::number(*tag + 1));
}

void TForm11::Button6Click() { close(); }
