#include "incoming/incoming_entry.h"

#include "core/convert.h"
#include "core/datamodule.h"
#include "core/domain.h"
#include "core/globals.h"
#include "masterdata/panels.h"
#include "ui/layout.h"
#include "masterdata/pickers.h"
#include "ui/dbwidgets.h"
#include "ui/input.h"
#include "ui/platform.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TForm9* Form9 = nullptr;

namespace {

const QString kNewMode = QStringLiteral("Új fülszám");

// Fields the user may not change: greyed out on a silver background.
void makeSilver(QLineEdit* edit)
{
    edit->setEnabled(false);
    edit->setStyleSheet(QStringLiteral("QLineEdit { background-color: silver; }"));
}

bool isEmptyField(const QLineEdit* edit) { return convert::trimRight(edit->text()).isEmpty(); }

// The code shown in a register panel. A commit made meanwhile (a register saved from a picker)
// closes the panel's list: then no code is shown, and writing an empty one would cut the arrival
// off its carrier or sender, so the change fails instead.
QString shownCode(const Dataset& list, const QString& field)
{
    if (!list.active() || list.recNo() < 0)
        throw fb::Error(QStringLiteral("%1: no current row").arg(list.name()));
    return list.fieldText(field);
}

}  // namespace

TForm9::TForm9(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form9"));
    setWindowTitle(QStringLiteral("Fülszám bevitel (beszállítás)"));
    m_newMode = IncomingEntryMode == kNewMode;
    buildLayout();

    connect(Button1, &QPushButton::clicked, this, &TForm9::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm9::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm9::Button3Click);
    connect(Button5, &QPushButton::clicked, this, &TForm9::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TForm9::Button6Click);

    input::dateCharacters(Edit5);
    input::dateCharacters(Edit6);
    input::digitsOnly(Edit4);
    input::onExit(Edit5, [this] { Edit5Exit(); });
    input::onDoubleClick(Edit7, [this] { Edit7DblClick(); });
    input::markLeavesForm(Button6);

    // The list of everything entered so far, ending on the newest arrival.
    openList(false);
    Data->ZQ11.last();

    input::enterAsTab(this);
}

TForm9::~TForm9()
{
    if (Form9 == this)
        Form9 = nullptr;
}

void TForm9::buildLayout()
{
    int textNumber = 1;
    int labelNumber = 12;  // after the panels' captions
    std::vector<DBText*> texts;
    GroupBox1 = masterdata::carrierPanel(this, QStringLiteral("GroupBox1"), &Data->DS30, textNumber, &texts);
    GroupBox2 = masterdata::senderPanel(this, QStringLiteral("GroupBox2"), &Data->DS40, textNumber, &texts);
    DBText1 = texts[0], DBText2 = texts[1], DBText3 = texts[2], DBText4 = texts[3], DBText5 = texts[4];
    DBText6 = texts[5], DBText7 = texts[6], DBText8 = texts[7], DBText9 = texts[8], DBText10 = texts[9];
    DBText11 = texts[10], DBText12 = texts[11], DBText13 = texts[12];

    auto button = [this](const QString& name, const QString& caption, QWidget* parent) {
        auto* b = new QPushButton(caption, parent);
        b->setObjectName(name);
        b->setAutoDefault(false);
        return b;
    };
    Button1 = button(QStringLiteral("Button1"), QStringLiteral("Szállító"), this);
    Button2 = button(QStringLiteral("Button2"), QStringLiteral("Feladó"), this);

    auto* fields = new QGridLayout;
    int fieldRow = 0;
    auto field = [&](const QString& name, const QString& caption) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        auto* label = new QLabel(caption, this);
        label->setObjectName(QStringLiteral("Label%1").arg(labelNumber++));
        label->setBuddy(edit);
        fields->addWidget(label, fieldRow, 0);
        fields->addWidget(edit, fieldRow, 1);
        ++fieldRow;
        return edit;
    };
    Edit1 = field(QStringLiteral("Edit1"), QStringLiteral("IDb"));
    Edit2 = field(QStringLiteral("Edit2"), QStringLiteral("Száll.kód"));
    Edit3 = field(QStringLiteral("Edit3"), QStringLiteral("Feladó kód"));
    Edit5 = field(QStringLiteral("Edit5"), QStringLiteral("Beérkezés kelte"));
    Edit6 = field(QStringLiteral("Edit6"), QStringLiteral("Megvásárlás kelte"));
    Edit7 = field(QStringLiteral("Edit7"), QStringLiteral("Hasznositási kategória"));
    Edit4 = field(QStringLiteral("Edit4"), QStringLiteral("Fülszám"));
    Edit8 = field(QStringLiteral("Edit8"), QStringLiteral("Eü. bizonyitvány"));
    for (QLineEdit* e : {Edit1, Edit2, Edit3}) {
        e->setReadOnly(true);
        makeSilver(e);
    }
    Edit7->setText(QStringLiteral("gyüjtés"));
    Edit7->setToolTip(QStringLiteral("Dupla klikkre kategória váltása"));

    CheckBox1 = new QCheckBox(QStringLiteral("fülszám növelése"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setChecked(true);
    CheckBox2 = new QCheckBox(QStringLiteral("Kiszállitáshoz beirva"), this);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox2->setChecked(false);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    auto* panelRow = new QHBoxLayout(panel);
    Button3 = button(QStringLiteral("Button3"), QStringLiteral("Új"), panel);
    Button3->setEnabled(false);
    Button5 = button(QStringLiteral("Button5"), QStringLiteral("OK"), panel);
    Button6 = button(QStringLiteral("Button6"), QStringLiteral("Mégsem"), panel);
    panelRow->addWidget(Button3);
    panelRow->addWidget(Button5);
    panelRow->addWidget(Button6);

    auto* gridLabel = new QLabel(QStringLiteral("Beszállított lista "), this);
    gridLabel->setObjectName(QStringLiteral("Label%1").arg(labelNumber++));
    DBGrid1 = new DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setDataSource(&Data->DS11);
    DBGrid1->setColumns({{QStringLiteral("BFULSZAM"), QStringLiteral("Fülszám")},
                         {QStringLiteral("BSZKELT"), QStringLiteral("Beérkezés")},
                         {QStringLiteral("BVKELT"), QStringLiteral("Megvásárlás")},
                         {QStringLiteral("BHKAT"), QStringLiteral("Haszn.kat.")},
                         {QStringLiteral("BEUBIZ"), QStringLiteral("Eü. biz.száma")},
                         {QStringLiteral("BSKOD"), QStringLiteral("Szállítókód")},
                         {QStringLiteral("BFKOD"), QStringLiteral("Feladókód")},
                         {QStringLiteral("IDB"), QStringLiteral("ID")},
                         {QStringLiteral("BKOD"), QStringLiteral("Kód")}});
    gridLabel->setBuddy(DBGrid1);
    DBNavigator1 = new DBNavigator(this);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setDataSource(&Data->DS11);
    DBNavigator1->setVisibleButtons(DBNavigator::First | DBNavigator::Prior | DBNavigator::Next | DBNavigator::Last);

    // Layout: the two panels with their picker buttons on top, the fields and options beside the
    // button panel, the list below.
    auto* root = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* carrierColumn = new QVBoxLayout;
    carrierColumn->addWidget(GroupBox1);
    carrierColumn->addWidget(Button1, 0, Qt::AlignLeft);
    auto* senderColumn = new QVBoxLayout;
    senderColumn->addWidget(GroupBox2);
    senderColumn->addWidget(Button2, 0, Qt::AlignLeft);
    top->addLayout(carrierColumn, 1);
    top->addLayout(senderColumn, 1);
    root->addLayout(top);
    auto* middle = new QHBoxLayout;
    middle->addLayout(fields, 1);
    auto* side = new QVBoxLayout;
    side->addWidget(panel);
    side->addWidget(CheckBox1);
    side->addWidget(CheckBox2);
    side->addStretch(1);
    middle->addLayout(side);
    root->addLayout(middle);
    root->addWidget(gridLabel);
    root->addWidget(DBGrid1, 1);
    root->addWidget(DBNavigator1, 0, Qt::AlignLeft);

    // Typing order: the five entry fields, the buttons, then the rest.
    QWidget::setTabOrder(Edit5, Edit6);
    QWidget::setTabOrder(Edit6, Edit7);
    QWidget::setTabOrder(Edit7, Edit4);
    QWidget::setTabOrder(Edit4, Edit8);
    QWidget::setTabOrder(Edit8, Button3);
    QWidget::setTabOrder(Button3, Button5);
    QWidget::setTabOrder(Button5, Button6);
    QWidget::setTabOrder(Button6, Button1);
    QWidget::setTabOrder(Button1, Button2);
    QWidget::setTabOrder(Button2, Edit1);
    QWidget::setTabOrder(Edit1, Edit2);
    QWidget::setTabOrder(Edit2, Edit3);
    QWidget::setTabOrder(Edit3, DBGrid1);
    QWidget* previous = DBGrid1;
    for (DBNavigator::Button b : {DBNavigator::First, DBNavigator::Prior, DBNavigator::Next, DBNavigator::Last}) {
        QWidget::setTabOrder(previous, DBNavigator1->button(b));
        previous = DBNavigator1->button(b);
    }
    QWidget::setTabOrder(previous, CheckBox1);
    QWidget::setTabOrder(CheckBox1, CheckBox2);

    fixAndCentre(this, QSize(760, 620));
    if (QScreen* s = QApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

void TForm9::openList(bool withBkod)
{
    Dataset& q = Data->ZQ11;
    q.close();
    q.clearSql();
    q.addSql(withBkod ? QStringLiteral("SELECT bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod, IDb, Bkod")
                      : QStringLiteral("SELECT bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod, IDb"));
    q.addSql(QStringLiteral("FROM beszall"));
    q.addSql(QStringLiteral("ORDER BY IDb"));
    q.open();
}

void TForm9::reopenCarriers()
{
    masterdata::reopenCarriersOn(CurrentCarrierCode);
}

void TForm9::reopenSenders()
{
    masterdata::reopenPartnersOn(CurrentSenderCode);
}

bool TForm9::LoadForChange()
{
    setWindowTitle(IncomingEntryMode);
    try {
        const Dataset& row = Data->ZQ12;
        Edit1->setText(row.fieldText(QStringLiteral("IDb")));
        Edit2->setText(row.fieldText(QStringLiteral("bskod")));
        Edit3->setText(row.fieldText(QStringLiteral("bfkod")));
        Edit4->setText(row.fieldText(QStringLiteral("bfulszam")));
        Edit5->setText(row.fieldText(QStringLiteral("bszkelt")));
        Edit6->setText(row.fieldText(QStringLiteral("bvkelt")));
        Edit7->setText(row.fieldText(QStringLiteral("bhkat")));
        Edit8->setText(row.fieldText(QStringLiteral("beubiz")));
        CurrentCarrierCode = row.fieldText(QStringLiteral("skod"));
        CurrentSenderCode = row.fieldText(QStringLiteral("fkod"));
        CurrentIncomingId = row.fieldText(QStringLiteral("IDb"));

        reopenCarriers();
        reopenSenders();
        openList(false);
        Data->ZQ11.locate(QStringLiteral("IDb"), CurrentIncomingId);

        CheckBox1->setEnabled(false);
        CheckBox1->setChecked(false);
    } catch (const std::exception&) {
        platform::showMessage(this, QStringLiteral("Hiba91 a fülszám módosítás Edit-ben való megjelenitésekor!"));
        close();
        return false;
    }
    return true;
}

void TForm9::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    try {
        FormShow();
    } catch (const std::exception& e) {
        platform::showError(this, QString::fromStdString(e.what()));
    }
}

void TForm9::FormShow()
{
    Edit5->setFocus();
    if (m_newMode)
        return;
    CheckBox1->hide();
    Button3->hide();
    // An animal that has already left keeps its ear tag: the departure row refers to it.
    Dataset& q = Data->ZQ21;
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("SELECT Kfulszam, count(Kfulszam) as db"));
    q.addSql(QStringLiteral("FROM kiszall"));
    q.addSql(QStringLiteral("WHERE Kfulszam = :p1"));
    q.addSql(QStringLiteral("GROUP BY Kfulszam"));
    q.setParamText(QStringLiteral("p1"), Data->ZQ12.fieldText(QStringLiteral("bfulszam")));
    q.open();
    if (q.fieldInt(QStringLiteral("db")) != 0) {
        makeSilver(Edit4);
        CheckBox2->hide();
    }
}

void TForm9::Edit7DblClick() { Edit7->setText(domain::nextCategory(Edit7->text())); }

void TForm9::Edit5Exit() { Edit6->setText(Edit5->text()); }

void TForm9::Button1Click() { Edit2->setText(pickCarrier(this)); }

void TForm9::Button2Click() { Edit3->setText(pickSender(this)); }

bool TForm9::validate()
{
    auto fail = [this](const QString& message, QWidget* focus) {
        platform::showMessage(this, message);
        focus->setFocus();
        return false;
    };
    const QString badDate = QStringLiteral("A dátum formátuma nem megfelelő!");
    if (isEmptyField(Edit2))
        return fail(QStringLiteral("Nincs megadva a szállító!"), Button1);
    if (isEmptyField(Edit3))
        return fail(QStringLiteral("Nincs megadva a feladó!"), Button2);
    if (isEmptyField(Edit4))
        return fail(QStringLiteral("Nincs megadva a fülszám!"), Edit4);
    if (isEmptyField(Edit5))
        return fail(QStringLiteral("Nincs megadva a beérkezés kelte!"), Edit5);
    if (!convert::textToDate(Edit5->text()))
        return fail(badDate, Edit5);
    // Compared as text, as the site has always done: the arrival date may not precede 2010.
    if (Edit5->text().compare(QStringLiteral("2010.01.01"), Qt::CaseSensitive) < 0)
        return fail(QStringLiteral("A megvásárlás kelte kisebb 2010.01.01 -nél!"), Edit5);
    if (isEmptyField(Edit6))
        return fail(QStringLiteral("Nincs megadva a megvásárlás kelte!"), Edit6);
    if (!convert::textToDate(Edit6->text()))
        return fail(badDate, Edit6);
    if (isEmptyField(Edit7))
        return fail(QStringLiteral("Nincs megadva a hasznositási kategória!"), Edit7);
    if (isEmptyField(Edit8))
        return fail(QStringLiteral("Nincs megadva az eü. bizonyitvány száma!"), Edit8);
    return true;
}

bool TForm9::duplicateCheck()
{
    Dataset& q = Data->ZQ13;
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("SELECT IDb, Bfulszam, count(Bfulszam) as db"));
    q.addSql(QStringLiteral("FROM beszall"));
    q.addSql(QStringLiteral("WHERE Bfulszam = :p1"));
    q.addSql(QStringLiteral("GROUP BY Bfulszam, IDb"));
    q.setParamText(QStringLiteral("p1"), Edit4->text());
    q.open();
    if (q.fieldInt(QStringLiteral("db")) == 0)
        return true;
    if (m_newMode) {
        platform::showMessage(this, QStringLiteral("Ilyen fülszám van a beszállitottak között - 1!"));
        Edit4->setFocus();
        return false;
    }
    // The result comes unordered; the lowest IDb stands for the ear tag, so a row whose tag
    // was already duplicated compares the same way every time.
    qint64 lowest = q.fieldInt(QStringLiteral("IDb"));
    for (int r = 1; q.moveTo(r); ++r)
        lowest = std::min(lowest, q.fieldInt(QStringLiteral("IDb")));
    const QString found = QString::number(lowest);
    if (found == Edit1->text())
        return true;
    platform::showMessage(this, QStringLiteral("Ilyen fülszám van a IDb = ") + found +
                                    QStringLiteral(". sorszám alatt a beszállitottak között!"));
    Edit4->setFocus();
    return false;
}

void TForm9::Button5Click()
{
    if (!validate() || !duplicateCheck())
        return;

    TransactionObject& tra = Data->IBTrans1;
    try {
        if (!tra.inTransaction())
            tra.startTransaction();
        Dataset& q = Data->ZQ11;
        if (m_newMode) {
            try {
                q.close();
                q.clearSql();
                q.addSql(QStringLiteral("INSERT INTO beszall (bskod, bfkod, bfulszam, bszkelt, bvkelt, bhkat, beubiz )"));
                q.addSql(QStringLiteral("VALUES        (   :p1,   :p2,      :p3,    :p4,    :p5,   :p6,    :p7  )"));
                q.setParamText(QStringLiteral("p1"), Edit2->text());
                q.setParamText(QStringLiteral("p2"), Edit3->text());
                q.setParamText(QStringLiteral("p3"), Edit4->text());
                q.setParamDateText(QStringLiteral("p4"), Edit5->text());
                q.setParamDateText(QStringLiteral("p5"), Edit6->text());
                q.setParamText(QStringLiteral("p6"), Edit7->text());
                q.setParamText(QStringLiteral("p7"), Edit8->text());
                q.execSql();
                CurrentCarrierCode = Edit2->text();
                CurrentSenderCode = Edit3->text();
                tra.commit();
            } catch (const std::exception&) {
                platform::showMessage(this, QStringLiteral("Hiba092: Újban, INSERT a beszallitásban "));
                tra.rollback();
            }
            if (CheckBox2->isChecked()) {
                // The animal leaves at once: a departure row without carrier and buyer, to be
                // completed later.
                try {
                    if (!tra.inTransaction())
                        tra.startTransaction();
                    Dataset& k = Data->ZQ21;
                    k.close();
                    k.clearSql();
                    k.addSql(QStringLiteral(
                        "INSERT INTO kiszall (kskod, kfkod, kfulszam, kikelt, keubizbe, khkat, keubizki )"));
                    k.addSql(QStringLiteral(
                        "VALUES        (   :p1,   :p2,      :p3,    :p4,      :p5,   :p6,      :p7 )"));
                    k.setParamText(QStringLiteral("p1"), QString());
                    k.setParamText(QStringLiteral("p2"), QString());
                    k.setParamText(QStringLiteral("p3"), Edit4->text());
                    k.setParamDateText(QStringLiteral("p4"), Edit5->text());
                    k.setParamText(QStringLiteral("p5"), Edit8->text());
                    k.setParamText(QStringLiteral("p6"), Edit7->text());
                    k.setParamText(QStringLiteral("p7"), QString());
                    k.execSql();
                    tra.commit();
                } catch (const std::exception&) {
                    tra.rollback();
                    platform::showMessage(this, QStringLiteral("Hiba093: az insert a kiszállításban!"));
                    return;
                }
            }
        } else {
            try {
                q.close();
                q.clearSql();
                q.addSql(QStringLiteral("UPDATE beszall"));
                q.addSql(QStringLiteral("SET  bskod    = :p1,"));
                q.addSql(QStringLiteral("bfkod    = :p2,"));
                q.addSql(QStringLiteral("bfulszam = :p3,"));
                q.addSql(QStringLiteral("bszkelt  = :p4,"));
                q.addSql(QStringLiteral("bvkelt   = :p5,"));
                q.addSql(QStringLiteral("bhkat    = :p6,"));
                q.addSql(QStringLiteral("beubiz   = :p7"));
                q.addSql(QStringLiteral("WHERE IDb      = :p0"));
                q.setParamText(QStringLiteral("p0"), Edit1->text());
                q.setParamText(QStringLiteral("p1"), shownCode(Data->ZQ30, QStringLiteral("skod")));
                q.setParamText(QStringLiteral("p2"), shownCode(Data->ZQ40, QStringLiteral("fkod")));
                q.setParamText(QStringLiteral("p3"), Edit4->text());
                q.setParamDateText(QStringLiteral("p4"), Edit5->text());
                q.setParamDateText(QStringLiteral("p5"), Edit6->text());
                q.setParamText(QStringLiteral("p6"), Edit7->text());
                q.setParamText(QStringLiteral("p7"), Edit8->text());
                q.execSql();
                CurrentCarrierCode = Edit2->text();
                CurrentSenderCode = Edit3->text();
                tra.commit();
            } catch (const std::exception&) {
                platform::showMessage(this, QStringLiteral("Hiba094: Módositás, Update a beszállításban "));
                tra.rollback();
            }
        }
    } catch (const std::exception&) {
        platform::showMessage(this, QStringLiteral("Hiba095: az insert vagy update közben a beszállításban!"));
        return;
    }

    // The commit closed every dataset: show the list again, now with the codes the database gave.
    openList(true);
    Data->ZQ11.last();
    if (!CurrentIncomingId.isEmpty())
        Data->ZQ11.locate(QStringLiteral("IDb"), CurrentIncomingId);
    Button3->setEnabled(true);
    Button5->setEnabled(false);
}

void TForm9::Button3Click()
{
    Button3->setEnabled(false);
    Button5->setEnabled(true);
    if (CheckBox1->isChecked()) {
        // Digit strings of any length are incremented exactly; a 20-digit tag stays a tag.
        if (const auto next = convert::earTagPlusOne(Edit4->text())) {
            Edit4->setText(*next);
        } else {
            platform::showMessage(this, QStringLiteral("A fülszám nem csak számot tartalmaz!"));
            Edit4->clear();
        }
    }
    reopenCarriers();
    reopenSenders();
    openList(false);
    // No row has an empty IDb: with nothing remembered the first row stays current, and the
    // search through every arrival can be spared.
    if (!CurrentIncomingId.isEmpty())
        Data->ZQ11.locate(QStringLiteral("IDb"), CurrentIncomingId);
}

void TForm9::Button6Click() { close(); }
