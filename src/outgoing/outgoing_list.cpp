#include "outgoing/outgoing_list.h"

#include "core/datamodule.h"
#include "core/globals.h"
#include "outgoing/outgoing_entry.h"
#include "masterdata/panels.h"
#include "ui/input.h"
#include "ui/layout.h"
#include "ui/dbwidgets.h"
#include "ui/input.h"
#include "ui/modal.h"
#include "ui/platform.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TForm10* Form10 = nullptr;

TForm10::TForm10(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form10"));
    setWindowTitle(QStringLiteral("Kiszállítás"));
    Form10 = this;

    auto* lay = new QVBoxLayout(this);

    auto* orderRow = new QHBoxLayout;
    Label18 = new QLabel(QStringLiteral("Kiszállitottak listája (dátum , fülszám)"), this);
    Label18->setObjectName(QStringLiteral("Label18"));
    CheckBox1 = new QCheckBox(this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setAccessibleName(Label18->text());
    Label18->setBuddy(CheckBox1);
    orderRow->addWidget(Label18);
    orderRow->addWidget(CheckBox1);
    orderRow->addStretch(1);
    lay->addLayout(orderRow);

    DBGrid1 = new DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(Label18->text());
    DBGrid1->setDataSource(&Data->DS22);
    DBGrid1->setColumns({{QStringLiteral("KFULSZAM"), QStringLiteral("Fülszám")},
                         {QStringLiteral("KIKELT"), QStringLiteral("Kiszállítás")},
                         {QStringLiteral("SRENDSZAM"), QStringLiteral("Rendszám")},
                         {QStringLiteral("SNEV"), QStringLiteral("Szállító neve")},
                         {QStringLiteral("FNEV"), QStringLiteral("Vevönév")},
                         {QStringLiteral("KHKAT"), QStringLiteral("Haszn. kat.")},
                         {QStringLiteral("KEUBIZKI"), QStringLiteral("Eü.biz. ki")},
                         {QStringLiteral("KEUBIZBE"), QStringLiteral("Eü.biz. be")},
                         {QStringLiteral("KSKOD"), QStringLiteral("Száll.kód")},
                         {QStringLiteral("KFKOD"), QStringLiteral("Vevökód")},
                         {QStringLiteral("SCIM"), QStringLiteral("Szállító cime")},
                         {QStringLiteral("SJOVASZAM"), QStringLiteral("Jóváhagy.száma")},
                         {QStringLiteral("FCIM"), QStringLiteral("vevö cim")},
                         {QStringLiteral("FTENYKOD"), QStringLiteral("Teny.kód")},
                         {QStringLiteral("FSZNEV"), QStringLiteral("Név")},
                         {QStringLiteral("FSZCIM"), QStringLiteral("Cim")},
                         {QStringLiteral("IDK"), QStringLiteral("ID")}});
    lay->addWidget(DBGrid1, 1);

    DBNavigator1 = new DBNavigator(this);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setDataSource(&Data->DS22);
    DBNavigator1->setVisibleButtons(DBNavigator::First | DBNavigator::Prior | DBNavigator::Next | DBNavigator::Last);
    lay->addWidget(DBNavigator1, 0, Qt::AlignLeft);

    auto* panels = new QHBoxLayout;
    int textNumber = 1;
    GroupBox2 = masterdata::carrierPanel(this, QStringLiteral("GroupBox2"), &Data->DS22, textNumber);
    GroupBox1 = masterdata::buyerPanel(this, QStringLiteral("GroupBox1"), &Data->DS22, textNumber);
    GroupBox3 = buildDetailPanel(this, QStringLiteral("GroupBox3"), QStringLiteral("Fülszám"), &Data->DS22,
                                 {{QStringLiteral("Fülszám:"), {QStringLiteral("kfulszam")}},
                                  {QStringLiteral("Kiszállitás dátuma:"), {QStringLiteral("kikelt")}},
                                  {QStringLiteral("Hasznositási kat.:"), {QStringLiteral("khkat")}},
                                  {QStringLiteral("Eü.bizonyitvány ki:"), {QStringLiteral("keubizki")}},
                                  {QStringLiteral("Eü.bizonyitvány be"), {QStringLiteral("keubizbe")}},
                                  {QStringLiteral("Kód:"), {QStringLiteral("IDk"), QStringLiteral("kskod")}}},
                                 textNumber);
    panels->addWidget(GroupBox2);
    panels->addWidget(GroupBox1);
    panels->addWidget(GroupBox3);
    lay->addLayout(panels);

    auto* buttons = new QHBoxLayout;
    auto button = [this, buttons](QPushButton*& b, const char* name, const QString& caption) {
        b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
    };
    button(Button2, "Button2", QStringLiteral("Új"));
    button(Button3, "Button3", QStringLiteral("Módosít"));
    button(Button4, "Button4", QStringLiteral("Töröl"));
    button(Button5, "Button5", QStringLiteral("Mégsem"));
    buttons->addStretch(1);
    lay->addLayout(buttons);

    connect(CheckBox1, &QCheckBox::clicked, this, &TForm10::CheckBox1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm10::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm10::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm10::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TForm10::Button5Click);

    fixAndCentre(this, QSize(1000, 620));
    DBGrid1->setFocus();

    // Before the first showing the list stands in entry order on its last row; showing rebuilds it.
    openList(false);
    Data->ZQ22.last();

    // Showing the screen and every return to it (the entry screen or a box over it closed) rebuild
    // the list, the way the screen always refreshed when it was uncovered.
    m_refresh = new input::ReactivationRefresh(this, [this] { rebuildList(); });
}

TForm10::~TForm10()
{
    if (Form10 == this)
        Form10 = nullptr;
}

void TForm10::openList(bool byDateAndEarTag)
{
    Dataset& q = Data->ZQ22;
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("SELECT kfulszam, kikelt, khkat, keubizki, keubizbe, kskod, kfkod, IDk, kKod,"));
    q.addSql(QStringLiteral("srendszam, snev, scim, sjovaszam, skod, IDs,"));
    q.addSql(QStringLiteral("fnev, fcim, ftenykod, fsznev, fszcim, fkod, IDf"));
    q.addSql(QStringLiteral("FROM kiszall"));
    q.addSql(QStringLiteral("JOIN szallito ON szallito.skod = kiszall.kskod"));
    q.addSql(QStringLiteral("JOIN felado ON felado.fkod = kiszall.kfkod"));
    q.addSql(byDateAndEarTag ? QStringLiteral("ORDER BY kikelt, kfulszam") : QStringLiteral("ORDER BY IDk"));
    q.open();
}

void TForm10::rebuildList()
{
    openList(CheckBox1->isChecked());
    Data->ZQ22.last();
    if (!CurrentOutgoingId.isEmpty())
        Data->ZQ22.locate(QStringLiteral("IDk"), CurrentOutgoingId);
}

void TForm10::CheckBox1Click() { m_refresh->trigger(); }

void TForm10::Button2Click()
{
    OutgoingEntryMode = QStringLiteral("Új fülszám");
    runScreen(this, Form11);
}

void TForm10::Button3Click()
{
    // With no current dispatch there is nothing to change: the entry screen would open on empty
    // fields and its save could only fail.
    if (!Data->ZQ22.active() || Data->ZQ22.isEmpty())
        return;
    OutgoingEntryMode = QStringLiteral("Fülszám módositás");
    auto* entry = new TForm11(this);
    Form11 = entry;
    if (entry->LoadForChange())
        platform::showModal(entry);
    delete entry;
    Form11 = nullptr;
}

void TForm10::Button4Click()
{
    // An empty list has no current dispatch: there is nothing to delete and nothing to report.
    if (!Data->ZQ22.active() || Data->ZQ22.isEmpty())
        return;
    const QString earTag = Data->ZQ22.fieldText(QStringLiteral("kfulszam"));
    try {
        // The list's own reading may have started the transaction; closing the list for the
        // rebuild must not commit the deletion with it.
        Data->holdTransaction();
        Dataset& q = Data->ZQ23;
        q.close();
        q.clearSql();
        q.addSql(QStringLiteral("DELETE FROM kiszall"));
        q.addSql(QStringLiteral("WHERE kfulszam = :p1"));
        q.setParamText(QStringLiteral("p1"), earTag);
        q.execSql();
        // No commit here: the deletion stays in the shared transaction until its next commit (a
        // save anywhere, or the main window's closing), and a rollback before that undoes it.
        platform::showMessage(this, QStringLiteral("A kiszállitás sor törlölve!"));
    } catch (const std::exception&) {
        platform::showMessage(this, QStringLiteral("Hiba101: Kiszállitás DELETE törlésekor"));
    }
    m_refresh->trigger();
}

void TForm10::Button5Click() { close(); }
