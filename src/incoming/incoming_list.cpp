#include "incoming/incoming_list.h"

#include "core/handover.h"
#include "incoming/incoming_entry.h"
#include "masterdata/panels.h"
#include "storage/session.h"
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

IncomingListDialog::IncomingListDialog(Session& session, QWidget* parent)
    : QDialog(parent),
      m_session(session),
      m_rows(session.database(), QStringLiteral("incomingListRows")),
      m_rowsSource(m_rows, QStringLiteral("incomingListRowsSource"))
{
    setObjectName(QStringLiteral("incomingListDialog"));
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
    m_orderBox->setObjectName(QStringLiteral("orderBox"));
    auto* orderRow = new QHBoxLayout(m_orderBox);
    m_byDateAndEarTag = new QRadioButton(QStringLiteral("dátum, fülszám"), m_orderBox);
    m_byDateAndEarTag->setObjectName(QStringLiteral("byDateAndEarTagButton"));
    m_inEntryOrder = new QRadioButton(QStringLiteral("beviteli sorrend"), m_orderBox);
    m_inEntryOrder->setObjectName(QStringLiteral("inEntryOrderButton"));
    m_inEntryOrder->setChecked(true);
    orderRow->addWidget(m_byDateAndEarTag);
    orderRow->addWidget(m_inEntryOrder);

    m_list = makeListGrid(this, QStringLiteral("arrivalsGrid"), &m_rowsSource,
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
    m_navigator = makeListNavigator(this, QStringLiteral("arrivalsNavigator"), &m_rowsSource);

    m_carrierPanel = masterdata::carrierPanel(this, QStringLiteral("carrierPanel"), &m_rowsSource);
    m_senderPanel = masterdata::senderPanel(this, QStringLiteral("senderPanel"), &m_rowsSource);
    m_earTagPanel = buildDetailPanel(this, QStringLiteral("earTagPanel"), QStringLiteral("Fülszám"), &m_rowsSource,
                                     {{QStringLiteral("Fülszám:"), {QStringLiteral("bfulszam")}},
                                      {QStringLiteral("Beérkezés dátuma:"), {QStringLiteral("bszkelt")}},
                                      {QStringLiteral("Vásárlás kelte:"), {QStringLiteral("bvkelt")}},
                                      {QStringLiteral("Hasznositási kat.:"), {QStringLiteral("bhkat")}},
                                      {QStringLiteral("Eü.bizonyitvány:"), {QStringLiteral("beubiz")}},
                                      {QStringLiteral("Kód:"), {QStringLiteral("IDb"), QStringLiteral("bskod")}}});

    m_newButton = makeButton(this, QStringLiteral("newButton"), QStringLiteral("Új"));
    m_changeButton = makeButton(this, QStringLiteral("changeButton"), QStringLiteral("Módosít"));
    m_deleteButton = makeButton(this, QStringLiteral("deleteButton"), QStringLiteral("Töröl"));
    m_cancelButton = makeButton(this, QStringLiteral("cancelButton"), QStringLiteral("Mégsem"));

    // The controls keep their size and place when the window is resized: everything sits in a
    // fixed-size block at the top left.
    auto* block = new QWidget(this);
    block->setObjectName(QStringLiteral("contentBlock"));
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
    using Order = Arrivals::ListOrder;
    m_session.arrivals().openIncomingList(m_rows, withCode, byDate ? Order::ByDateAndEarTag : Order::InEntryOrder);
}

void IncomingListDialog::rebuild()
{
    openList(true, m_byDateAndEarTag->isChecked());
    m_rows.last();
    if (!m_session.handOver().incomingId.isEmpty())
        m_rows.locate(QStringLiteral("IDb"), m_session.handOver().incomingId);
}

ListedArrival IncomingListDialog::currentArrival() const { return Arrivals::listedArrival(m_rows); }

void IncomingListDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The rebuild itself follows from the showing (ReactivationRefresh), outside this event.
    m_list->setFocus();
}

void IncomingListDialog::enterNewArrivals()
{
    // No rebuild here: the list window is re-activated when the entry screen closes.
    runScreen<IncomingEntryDialog>(this, m_session, EntryMode::New);
}

void IncomingListDialog::changeCurrentArrival()
{
    // With no current arrival there is nothing to change: the entry screen would open on empty
    // fields and its save could only fail, rolling back whatever else was pending.
    if (!m_rows.active() || m_rows.isEmpty())
        return;
    {
        IncomingEntryDialog entry(m_session, EntryMode::Change, this);
        if (entry.loadForChange(currentArrival()))
            platform::showModal(&entry);
    }
    // Once, also when the closing entry screen has scheduled the window's own refresh.
    m_refresh->trigger();
}

void IncomingListDialog::deleteCurrentEarTag()
{
    // With no current row there is nothing to delete; the statements below would look for an
    // empty ear tag and still report a deletion.
    if (!m_rows.active() || m_rows.recNo() < 0)
        return;
    const QString tag = m_rows.fieldText(QStringLiteral("bfulszam"));

    if (m_session.departures().countForEarTag(tag) != 0) {
        platform::confirmYes(this, QStringLiteral("Kiszállitásban szerepel a fülszám!"));
    } else {
        SharedTransaction& tra = m_session.transaction();
        try {
            // Remember the arrival entered just before the first one with this ear tag (or the
            // first arrival, when none comes before it): the list ends there after the delete.
            m_session.handOver().incomingId = m_session.arrivals().idBeforeEarTag(tag);
            m_session.arrivals().removeEarTag(tag);
            platform::showMessage(this, QStringLiteral("A beszállitás sor törölve!"));
            tra.commit();
        } catch (const std::exception&) {
            try {
                tra.rollback();
            } catch (const std::exception&) {
                // The message below reports the failure either way.
            }
            platform::showMessage(this, QStringLiteral("Hiba81: Beszállitás DELETE törlésekor"));
        }
    }
    // Once, also when a box over the window has scheduled the window's own refresh.
    m_refresh->trigger();
}
