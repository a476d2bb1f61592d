#include "incoming/incoming_list.h"

#include "core/convert.h"
#include "storage/shared_datasets.h"
#include "core/domain.h"
#include "core/handover.h"
#include "incoming/incoming_entry.h"
#include "masterdata/panels.h"
#include "ui/dbwidgets.h"
#include "ui/input.h"
#include "ui/layout.h"
#include "ui/modal.h"
#include "ui/platform.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>

IncomingListDialog::IncomingListDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("Beszállítás"));
    setSizeGripEnabled(true);
    buildLayout();

    connect(m_byDateAndEarTag, &QRadioButton::clicked, this, &IncomingListDialog::rebuild);
    connect(m_inEntryOrder, &QRadioButton::clicked, this, &IncomingListDialog::rebuild);
    connect(m_newButton, &QPushButton::clicked, this, &IncomingListDialog::enterNewArrivals);
    connect(m_changeButton, &QPushButton::clicked, this, &IncomingListDialog::changeCurrentArrival);
    connect(m_deleteButton, &QPushButton::clicked, this, &IncomingListDialog::deleteCurrentEarTag);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::close);

    // Something to show before the first showing; the rebuild at showing replaces it before the
    // window is painted, so the move to the last row (a fetch of every arrival) is left to it.
    openList(false, false);

    // The list is rebuilt whenever the window comes back: after the entry screen or a message box
    // over it closes, the rows may have changed.
    m_refresh = new input::ReactivationRefresh(this, [this] { rebuild(); });
}

void IncomingListDialog::buildLayout()
{
    m_orderBox = new QGroupBox(QStringLiteral("A lista sorrendje:"), this);
    m_orderBox->setObjectName(QStringLiteral("GroupBox4"));
    auto* orderRow = new QHBoxLayout(m_orderBox);
    m_byDateAndEarTag = new QRadioButton(QStringLiteral("dátum, fülszám"), m_orderBox);
    m_byDateAndEarTag->setObjectName(QStringLiteral("RadioButton1"));
    m_inEntryOrder = new QRadioButton(QStringLiteral("beviteli sorrend"), m_orderBox);
    m_inEntryOrder->setObjectName(QStringLiteral("RadioButton2"));
    m_inEntryOrder->setChecked(true);
    orderRow->addWidget(m_byDateAndEarTag);
    orderRow->addWidget(m_inEntryOrder);

    m_list = makeListGrid(this, QStringLiteral("DBGrid1"), &Data->DS12,
                          {{QStringLiteral("BFULSZAM"), QStringLiteral("Fülszám")},
                           {QStringLiteral("BSZKELT"), QStringLiteral("Beszállítás")},
                           {QStringLiteral("FNEV"), QStringLiteral("Feladó neve")},
                           {QStringLiteral("SNEV"), QStringLiteral("Szállító neve")},
                           {QStringLiteral("BVKELT"), QStringLiteral("Vásárlás ")},
                           {QStringLiteral("BHKAT"), QStringLiteral("Hasznositási kat.")},
                           {QStringLiteral("BEUBIZ"), QStringLiteral("Eü. biz. be")},
                           {QStringLiteral("BSKOD"), QStringLiteral("Száll.kód")},
                           {QStringLiteral("BFKOD"), QStringLiteral("Feladókód")},
                           {QStringLiteral("IDB"), QStringLiteral("ID")},
                           {QStringLiteral("BKOD"), QStringLiteral("Kód")},
                           {QStringLiteral("SRENDSZAM"), QStringLiteral("Rendszám")},
                           {QStringLiteral("SCIM"), QStringLiteral("Szállítócim")},
                           {QStringLiteral("SJOVASZAM"), QStringLiteral("Jóváhagy.száma")},
                           {QStringLiteral("FCIM"), QStringLiteral("Feladó cime")},
                           {QStringLiteral("FTENYKOD"), QStringLiteral("Feladó teny.kód")}});
    m_list->setAccessibleName(QStringLiteral("Beszállítás"));
    m_navigator = makeListNavigator(this, QStringLiteral("DBNavigator1"), &Data->DS12);

    int textNumber = 1;
    m_carrierPanel = masterdata::carrierPanel(this, QStringLiteral("GroupBox2"), &Data->DS12, &textNumber);
    m_senderPanel = masterdata::senderPanel(this, QStringLiteral("GroupBox1"), &Data->DS12, &textNumber);
    m_earTagPanel = buildDetailPanel(this, QStringLiteral("GroupBox3"), QStringLiteral("Fülszám"), &Data->DS12,
                                     {{QStringLiteral("Fülszám:"), {QStringLiteral("bfulszam")}},
                                      {QStringLiteral("Beérkezés dátuma:"), {QStringLiteral("bszkelt")}},
                                      {QStringLiteral("Vásárlás kelte:"), {QStringLiteral("bvkelt")}},
                                      {QStringLiteral("Hasznositási kat.:"), {QStringLiteral("bhkat")}},
                                      {QStringLiteral("Eü.bizonyitvány:"), {QStringLiteral("beubiz")}},
                                      {QStringLiteral("Kód:"), {QStringLiteral("IDb"), QStringLiteral("bskod")}}},
                                     &textNumber);

    m_newButton = makeButton(this, QStringLiteral("Button2"), QStringLiteral("Új"));
    m_changeButton = makeButton(this, QStringLiteral("Button3"), QStringLiteral("Módosít"));
    m_deleteButton = makeButton(this, QStringLiteral("Button4"), QStringLiteral("Töröl"));
    m_cancelButton = makeButton(this, QStringLiteral("Button5"), QStringLiteral("Mégsem"));

    // The controls keep their size and place when the window is resized: everything sits in a
    // fixed-size block at the top left.
    auto* block = new QWidget(this);
    block->setObjectName(QStringLiteral("Panel1"));
    auto* blockLayout = new QGridLayout(block);
    blockLayout->addWidget(m_orderBox, 0, 0, 1, 3);
    blockLayout->addWidget(m_list, 1, 0, 1, 3);
    blockLayout->addWidget(m_navigator, 2, 0, Qt::AlignLeft);
    blockLayout->addWidget(m_carrierPanel, 3, 0);
    blockLayout->addWidget(m_senderPanel, 3, 1);
    blockLayout->addWidget(m_earTagPanel, 3, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_newButton);
    buttons->addWidget(m_changeButton);
    buttons->addWidget(m_deleteButton);
    buttons->addStretch(1);
    buttons->addWidget(m_cancelButton);
    blockLayout->addLayout(buttons, 4, 0, 1, 3);
    m_list->setFixedHeight(300);
    block->setFixedSize(900, 640);

    auto* root = new QGridLayout(this);
    root->addWidget(block, 0, 0, Qt::AlignLeft | Qt::AlignTop);
    root->setRowStretch(1, 1);
    root->setColumnStretch(1, 1);
    resize(920, 660);
}

void IncomingListDialog::openList(bool withCode, bool byDate)
{
    Dataset& q = Data->ZQ12;
    q.close();
    q.clearSql();
    q.addSql(
        withCode
            ? QStringLiteral("SELECT bfulszam, bszkelt, fnev, snev, bvkelt, bhkat, beubiz, bskod, bfkod, IDb, Bkod,")
            : QStringLiteral("SELECT bfulszam, bszkelt, fnev, snev, bvkelt, bhkat, beubiz, bskod, bfkod, IDb,"));
    q.addSql(QStringLiteral("srendszam,  scim, sjovaszam, skod, IDs,"));
    q.addSql(QStringLiteral("fcim, ftenykod, fsznev, fszcim, fkod, IDf"));
    q.addSql(QStringLiteral("FROM beszall"));
    q.addSql(QStringLiteral("JOIN szallito ON szallito.skod = beszall.bskod"));
    q.addSql(QStringLiteral("JOIN felado ON felado.fkod = beszall.bfkod"));
    q.addSql(byDate ? QStringLiteral("ORDER BY bszkelt, bfulszam") : QStringLiteral("ORDER BY IDb"));
    q.open();
}

void IncomingListDialog::rebuild()
{
    openList(true, m_byDateAndEarTag->isChecked());
    Data->ZQ12.last();
    if (!handOver().incomingId.isEmpty())
        Data->ZQ12.locate(QStringLiteral("IDb"), handOver().incomingId);
}

void IncomingListDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The rebuild itself follows from the showing (ReactivationRefresh), outside this event.
    m_list->setFocus();
}

void IncomingListDialog::enterNewArrivals()
{
    // No rebuild here: the list window is re-activated when the entry screen closes.
    runScreen<IncomingEntryDialog>(this, EntryMode::New);
}

void IncomingListDialog::changeCurrentArrival()
{
    // With no current arrival there is nothing to change: the entry screen would open on empty
    // fields and its save could only fail, rolling back whatever else was pending.
    if (!Data->ZQ12.active() || Data->ZQ12.isEmpty())
        return;
    {
        IncomingEntryDialog entry(EntryMode::Change, this);
        if (entry.loadForChange())
            platform::showModal(&entry);
    }
    // Once, also when the closing entry screen has scheduled the window's own refresh.
    m_refresh->trigger();
}

void IncomingListDialog::deleteCurrentEarTag()
{
    // With no current row there is nothing to delete; the statements below would look for an
    // empty ear tag and still report a deletion.
    if (!Data->ZQ12.active() || Data->ZQ12.recNo() < 0)
        return;
    const QString tag = Data->ZQ12.fieldText(QStringLiteral("bfulszam"));

    if (domain::departureCount(Data->ZQ21, tag) != 0) {
        platform::confirmYes(this, QStringLiteral("Kiszállitásban szerepel a fülszám!"));
    } else {
        Dataset& q = Data->ZQ11;
        try {
            // Remember the arrival entered just before the first one with this ear tag (or the
            // first arrival, when none comes before it): the list ends there after the delete.
            q.close();
            q.clearSql();
            q.addSql(QStringLiteral("SELECT COALESCE("));
            q.addSql(QStringLiteral("  (SELECT MAX(b.IDb) FROM beszall b"));
            q.addSql(QStringLiteral("    WHERE b.IDb < (SELECT MIN(t.IDb) FROM beszall t"));
            // An ear tag compares without its trailing blanks; a blank one is also a missing one.
            q.addSql(convert::isBlank(tag) ? QStringLiteral("      WHERE t.bfulszam = :p1 OR t.bfulszam IS NULL)),")
                                           : QStringLiteral("      WHERE t.bfulszam = :p1)),"));
            q.addSql(QStringLiteral("  (SELECT MIN(f.IDb) FROM beszall f)) AS IDb"));
            q.addSql(QStringLiteral("FROM RDB$DATABASE"));
            q.setParamText(QStringLiteral("p1"), tag);
            q.open();
            handOver().incomingId = q.fieldText(QStringLiteral("IDb"));

            q.close();
            q.clearSql();
            q.addSql(QStringLiteral("DELETE FROM beszall"));
            q.addSql(QStringLiteral("WHERE bfulszam = :p1"));
            q.setParamText(QStringLiteral("p1"), tag);
            q.execSql();
            platform::showMessage(this, QStringLiteral("A beszállitás sor törölve!"));
            Data->IBTrans1.commit();
        } catch (const std::exception&) {
            try {
                Data->IBTrans1.rollback();
            } catch (const std::exception&) {
                // The message below reports the failure either way.
            }
            platform::showMessage(this, QStringLiteral("Hiba81: Beszállitás DELETE törlésekor"));
        }
    }
    // Once, also when a box over the window has scheduled the window's own refresh.
    m_refresh->trigger();
}
