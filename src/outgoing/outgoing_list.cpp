#include "outgoing/outgoing_list.h"

#include "storage/shared_datasets.h"
#include "core/handover.h"
#include "masterdata/panels.h"
#include "outgoing/outgoing_entry.h"
#include "ui/dbwidgets.h"
#include "ui/input.h"
#include "ui/layout.h"
#include "ui/modal.h"
#include "ui/platform.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

OutgoingListDialog::OutgoingListDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form10"));
    setWindowTitle(QStringLiteral("Kiszállítás"));

    auto* lay = new QVBoxLayout(this);

    auto* orderRow = new QHBoxLayout;
    m_orderLabel = new QLabel(QStringLiteral("Kiszállitottak listája (dátum , fülszám)"), this);
    m_orderLabel->setObjectName(QStringLiteral("Label18"));
    m_byDateAndEarTag = new QCheckBox(this);
    m_byDateAndEarTag->setObjectName(QStringLiteral("CheckBox1"));
    m_byDateAndEarTag->setAccessibleName(m_orderLabel->text());
    m_orderLabel->setBuddy(m_byDateAndEarTag);
    orderRow->addWidget(m_orderLabel);
    orderRow->addWidget(m_byDateAndEarTag);
    orderRow->addStretch(1);
    lay->addLayout(orderRow);

    m_list = makeListGrid(this, QStringLiteral("DBGrid1"), &Data->DS22,
                          {{QStringLiteral("KFULSZAM"), QStringLiteral("Fülszám")},
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
    m_list->setAccessibleName(m_orderLabel->text());
    lay->addWidget(m_list, 1);
    m_navigator = makeListNavigator(this, QStringLiteral("DBNavigator1"), &Data->DS22);
    lay->addWidget(m_navigator, 0, Qt::AlignLeft);

    auto* panels = new QHBoxLayout;
    int textNumber = 1;
    m_carrierPanel = masterdata::carrierPanel(this, QStringLiteral("GroupBox2"), &Data->DS22, &textNumber);
    m_buyerPanel = masterdata::buyerPanel(this, QStringLiteral("GroupBox1"), &Data->DS22, &textNumber);
    m_earTagPanel = buildDetailPanel(this, QStringLiteral("GroupBox3"), QStringLiteral("Fülszám"), &Data->DS22,
                                     {{QStringLiteral("Fülszám:"), {QStringLiteral("kfulszam")}},
                                      {QStringLiteral("Kiszállitás dátuma:"), {QStringLiteral("kikelt")}},
                                      {QStringLiteral("Hasznositási kat.:"), {QStringLiteral("khkat")}},
                                      {QStringLiteral("Eü.bizonyitvány ki:"), {QStringLiteral("keubizki")}},
                                      {QStringLiteral("Eü.bizonyitvány be"), {QStringLiteral("keubizbe")}},
                                      {QStringLiteral("Kód:"), {QStringLiteral("IDk"), QStringLiteral("kskod")}}},
                                     &textNumber);
    panels->addWidget(m_carrierPanel);
    panels->addWidget(m_buyerPanel);
    panels->addWidget(m_earTagPanel);
    lay->addLayout(panels);

    auto* buttons = new QHBoxLayout;
    m_newButton = makeButton(this, QStringLiteral("Button2"), QStringLiteral("Új"));
    m_changeButton = makeButton(this, QStringLiteral("Button3"), QStringLiteral("Módosít"));
    m_deleteButton = makeButton(this, QStringLiteral("Button4"), QStringLiteral("Töröl"));
    m_cancelButton = makeButton(this, QStringLiteral("Button5"), QStringLiteral("Mégsem"));
    for (QPushButton* b : {m_newButton, m_changeButton, m_deleteButton, m_cancelButton})
        buttons->addWidget(b);
    buttons->addStretch(1);
    lay->addLayout(buttons);

    connect(m_byDateAndEarTag, &QCheckBox::clicked, this, &OutgoingListDialog::reorder);
    connect(m_newButton, &QPushButton::clicked, this, &OutgoingListDialog::enterNewDepartures);
    connect(m_changeButton, &QPushButton::clicked, this, &OutgoingListDialog::changeCurrentDeparture);
    connect(m_deleteButton, &QPushButton::clicked, this, &OutgoingListDialog::deleteCurrentEarTag);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::close);

    fixAndCentre(this, QSize(1000, 620));
    m_list->setFocus();

    // Before the first showing the list stands in entry order on its last row; showing rebuilds it.
    openList(false);
    Data->ZQ22.last();

    // Showing the screen and every return to it (the entry screen or a box over it closed) rebuild
    // the list, the way the screen always refreshed when it was uncovered.
    m_refresh = new input::ReactivationRefresh(this, [this] { rebuildList(); });
}

void OutgoingListDialog::openList(bool byDateAndEarTag)
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

void OutgoingListDialog::rebuildList()
{
    openList(m_byDateAndEarTag->isChecked());
    Data->ZQ22.last();
    if (!handOver().outgoingId.isEmpty())
        Data->ZQ22.locate(QStringLiteral("IDk"), handOver().outgoingId);
}

void OutgoingListDialog::reorder() { m_refresh->trigger(); }

void OutgoingListDialog::enterNewDepartures() { runScreen<OutgoingEntryDialog>(this, EntryMode::New); }

void OutgoingListDialog::changeCurrentDeparture()
{
    // With no current dispatch there is nothing to change: the entry screen would open on empty
    // fields and its save could only fail.
    if (!Data->ZQ22.active() || Data->ZQ22.isEmpty())
        return;
    OutgoingEntryDialog entry(EntryMode::Change, this);
    if (entry.loadForChange())
        platform::showModal(&entry);
}

void OutgoingListDialog::deleteCurrentEarTag()
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
