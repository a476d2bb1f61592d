#include "outgoing/outgoing_list.h"

#include "masterdata/panels.h"
#include "outgoing/outgoing_entry.h"
#include "storage/session.h"
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

OutgoingListDialog::OutgoingListDialog(Session& session, QWidget* parent)
    : QDialog(parent),
      m_session(session),
      m_rows(session.database(), QStringLiteral("outgoingListRows")),
      m_rowsSource(m_rows, QStringLiteral("outgoingListSource"))
{
    setObjectName(QStringLiteral("outgoingListDialog"));
    setWindowTitle(QStringLiteral("Kiszállítás"));

    auto* lay = new QVBoxLayout(this);

    auto* orderRow = new QHBoxLayout;
    m_orderLabel = new QLabel(QStringLiteral("Kiszállitottak listája (dátum , fülszám)"), this);
    m_byDateAndEarTag = new QCheckBox(this);
    m_byDateAndEarTag->setObjectName(QStringLiteral("byDateCheckBox"));
    m_orderLabel->setObjectName(QStringLiteral("byDateCheckBoxLabel"));
    m_byDateAndEarTag->setAccessibleName(m_orderLabel->text());
    m_orderLabel->setBuddy(m_byDateAndEarTag);
    orderRow->addWidget(m_orderLabel);
    orderRow->addWidget(m_byDateAndEarTag);
    orderRow->addStretch(1);
    lay->addLayout(orderRow);

    m_list = makeListGrid(this, QStringLiteral("departuresGrid"), &m_rowsSource,
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
    m_navigator = makeListNavigator(this, QStringLiteral("departuresNavigator"), &m_rowsSource);
    lay->addWidget(m_navigator, 0, Qt::AlignLeft);

    auto* panels = new QHBoxLayout;
    m_carrierPanel = masterdata::carrierPanel(this, QStringLiteral("carrierPanel"), &m_rowsSource);
    m_buyerPanel = masterdata::buyerPanel(this, QStringLiteral("buyerPanel"), &m_rowsSource);
    m_earTagPanel = buildDetailPanel(this, QStringLiteral("earTagPanel"), QStringLiteral("Fülszám"), &m_rowsSource,
                                     {{QStringLiteral("Fülszám:"), {QStringLiteral("kfulszam")}},
                                      {QStringLiteral("Kiszállitás dátuma:"), {QStringLiteral("kikelt")}},
                                      {QStringLiteral("Hasznositási kat.:"), {QStringLiteral("khkat")}},
                                      {QStringLiteral("Eü.bizonyitvány ki:"), {QStringLiteral("keubizki")}},
                                      {QStringLiteral("Eü.bizonyitvány be"), {QStringLiteral("keubizbe")}},
                                      {QStringLiteral("Kód:"), {QStringLiteral("IDk"), QStringLiteral("kskod")}}});
    panels->addWidget(m_carrierPanel);
    panels->addWidget(m_buyerPanel);
    panels->addWidget(m_earTagPanel);
    lay->addLayout(panels);

    auto* buttons = new QHBoxLayout;
    m_newButton = makeButton(this, QStringLiteral("newButton"), QStringLiteral("Új"));
    m_changeButton = makeButton(this, QStringLiteral("changeButton"), QStringLiteral("Módosít"));
    m_deleteButton = makeButton(this, QStringLiteral("deleteButton"), QStringLiteral("Töröl"));
    m_cancelButton = makeButton(this, QStringLiteral("cancelButton"), QStringLiteral("Mégsem"));
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
    m_rows.last();

    // Showing the screen and every return to it (the entry screen or a box over it closed) rebuild
    // the list, the way the screen always refreshed when it was uncovered.
    m_refresh = new input::ReactivationRefresh(this, [this] { rebuildList(); });
}

void OutgoingListDialog::openList(bool byDateAndEarTag)
{
    m_session.departures().openList(m_rows, byDateAndEarTag ? Departures::ListOrder::DateAndEarTag
                                                            : Departures::ListOrder::Entry);
}

void OutgoingListDialog::rebuildList()
{
    openList(m_byDateAndEarTag->isChecked());
    m_rows.last();
    const QString& remembered = m_session.handOver().outgoingId;
    if (!remembered.isEmpty())
        m_rows.locate(QStringLiteral("IDk"), remembered);
}

ListedDeparture OutgoingListDialog::currentDeparture() const { return Departures::listedDeparture(m_rows); }

void OutgoingListDialog::reorder() { m_refresh->trigger(); }

void OutgoingListDialog::enterNewDepartures() { runScreen<OutgoingEntryDialog>(this, m_session, EntryMode::New); }

void OutgoingListDialog::changeCurrentDeparture()
{
    // With no current dispatch there is nothing to change: the entry screen would open on empty
    // fields and its save could only fail.
    if (!m_rows.active() || m_rows.isEmpty())
        return;
    OutgoingEntryDialog entry(m_session, EntryMode::Change, this);
    if (entry.loadForChange(currentDeparture()))
        platform::showModal(&entry);
}

void OutgoingListDialog::deleteCurrentEarTag()
{
    // An empty list has no current dispatch: there is nothing to delete and nothing to report.
    if (!m_rows.active() || m_rows.isEmpty())
        return;
    const QString earTag = m_rows.fieldText(QStringLiteral("kfulszam"));
    try {
        // The list's own reading may have started the transaction; closing the list for the
        // rebuild must not commit the deletion with it.
        m_session.database().holdTransaction();
        m_session.departures().removeEarTag(earTag);
        // No commit here: the deletion stays in the shared transaction until its next commit (a
        // save anywhere, or the main window's closing), and a rollback before that undoes it.
        platform::showMessage(this, QStringLiteral("A kiszállitás sor törlölve!"));
    } catch (const std::exception&) {
        platform::showMessage(this, QStringLiteral("Hiba101: Kiszállitás DELETE törlésekor"));
    }
    m_refresh->trigger();
}
