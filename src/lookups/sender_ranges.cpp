#include "lookups/sender_ranges.h"

#include "core/eartag_ranges.h"
#include "core/handover.h"
#include "lookups/eartag_field.h"
#include "masterdata/pickers.h"
#include "storage/session.h"
#include "ui/dbwidgets.h"
#include "ui/input.h"
#include "ui/layout.h"
#include "ui/longjob.h"
#include "ui/platform.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <vector>

namespace {

const QString kLiveFailed = QStringLiteral("Hiba191: Insert a beszall -ból a fulszam -ban ");
const QString kLiveBroken = QStringLiteral("Hiba192: az insert közben a fulszam -ban!");
const QString kArchiveFailed = QStringLiteral("Hiba193: Insert beszall0 -ból a fülszámban ");
const QString kArchiveBroken = QStringLiteral("Hiba194: az insert vagy update közben a feladóban!");
const QString kRunRefused = QStringLiteral("Hiba195: INSERT INTO fulszam0 ! ");
const QString kRunsBroken = QStringLiteral("Hiba196: az insert  közben a fulszam0 -ban!");

// Status codes saying that the connection or the transaction no longer works, or that the file
// cannot be written: every further insert would fail the same way.
constexpr long kBadDatabaseHandle = 335544324L;
constexpr long kBadTransactionHandle = 335544332L;
constexpr long kIoError = 335544344L;
constexpr long kShutdown = 335544528L;
constexpr long kNetworkError = 335544721L;
constexpr long kLostConnection = 335544741L;
constexpr long kAttachmentShutdown = 335544856L;

// A run's insert that failed for a reason of its own (the database refused that row) is reported and
// the walk goes on; one that failed because nothing can be written any more ends the walk, instead of
// a message for every remaining run.
bool nothingCanBeWritten(const fb::Error& e)
{
    for (long code : {kBadDatabaseHandle, kBadTransactionHandle, kIoError, kShutdown, kNetworkError, kLostConnection,
                      kAttachmentShutdown})
        if (e.hasCode(code))
            return true;
    return false;
}

QString errorText(const std::exception& e)
{
    return platform::errorText(e);
}

}  // namespace

SenderEarTagRangesDialog::SenderEarTagRangesDialog(Session& session, QWidget* parent)
    : QDialog(parent),
      m_session(session),
      m_runRows(session.database(), QStringLiteral("senderRunRows")),
      m_runRowsSource(m_runRows, QStringLiteral("senderRunRowsSource")),
      m_sharedWork(session.workLocks(), this, {SharedWork::EarTagWorkTable, SharedWork::SenderRanges})
{
    setObjectName(QStringLiteral("senderEarTagRangesDialog"));
    setWindowTitle(QStringLiteral("Beszállító fülszámai"));

    // The partner list's current row: the sender the picker left there.
    m_sender = buildDetailPanel(this, QStringLiteral("senderPanel"), QStringLiteral("Beszállító"),
                                &session.partners().listSource(),
                                {{QStringLiteral("Beszállító/eladó neve:"), {QStringLiteral("fnev")}},
                                 {QStringLiteral("Cime:"), {QStringLiteral("fcim")}},
                                 {QStringLiteral("Tenyészkódja:"), {QStringLiteral("ftenykod")}},
                                 {QStringLiteral("Származási hely:"), {QStringLiteral("fsznev")}},
                                 {QStringLiteral("cime:"), {QStringLiteral("fszcim")}},
                                 {QStringLiteral("Kód:"), {QStringLiteral("IDf"), QStringLiteral("fkod")}}});
    m_sender->setMinimumWidth(380);

    // The hints the screen keeps but never pops up; screen readers announce them.
    m_pickButton = makeButton(this, QStringLiteral("pickSenderButton"), QStringLiteral("Beszállító"));
    m_pickButton->setAccessibleDescription(QStringLiteral("A név kiválasztása"));
    m_collectButton = makeButton(this, QStringLiteral("collectButton"), QStringLiteral("Lekérdezés"));
    m_collectButton->setAccessibleDescription(QStringLiteral("A beszállítóhoz tartozó fülszámok  kigyűjtése"));
    m_cancelButton = makeButton(this, QStringLiteral("cancelButton"), QStringLiteral("Mégsem"));
    m_cancelButton->setAccessibleDescription(QStringLiteral("Kilépés"));

    m_ranges = makeListGrid(this, QStringLiteral("runsGrid"), &m_runRowsSource,
                            {{QStringLiteral("IDU"), QStringLiteral("Sorszám")},
                             {QStringLiteral("UFULTOL"), QStringLiteral("Fülszámtól")},
                             {QStringLiteral("UFULIG"), QStringLiteral("Fülszámig")}});
    m_ranges->setAccessibleName(QStringLiteral("A beszállító fülszámai"));
    {
        // Room for the longest ear tag in both ear-tag columns.
        const int digit = m_ranges->fontMetrics().horizontalAdvance(QLatin1Char('0'));
        const int titles = m_ranges->horizontalHeader()->fontMetrics().horizontalAdvance(QStringLiteral("Fülszámtól"));
        m_ranges->setColumnWidth(0, std::max(8 * digit, titles) + 16);
        m_ranges->setColumnWidth(1, std::max(25 * digit, titles) + 16);
        m_ranges->setColumnWidth(2, std::max(25 * digit, titles) + 16);
    }
    m_navigator = makeListNavigator(this, QStringLiteral("runsNavigator"), &m_runRowsSource);

    m_earTagLabel = new QLabel(QStringLiteral("Fülszám:"), this);
    m_earTagLabel->setObjectName(QStringLiteral("earTagEditLabel"));
    m_earTag = lookups::makeEarTagBeginningField(this, m_earTagLabel);
    m_earTag->setAccessibleDescription(QStringLiteral("A fülszám vagy annak az első része"));
    m_searchButton = makeButton(this, QStringLiteral("searchButton"), QStringLiteral("Keresés"));
    m_searchButton->setAccessibleDescription(QStringLiteral("Részegyezéstől mutatja a listát"));

    // The sender and its buttons beside the runs; the look-up under the runs.
    auto* lay = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(m_sender);
    auto* senderButtons = new QHBoxLayout;
    senderButtons->addWidget(m_pickButton);
    senderButtons->addWidget(m_collectButton);
    senderButtons->addStretch(1);
    left->addLayout(senderButtons);
    left->addStretch(1);
    columns->addLayout(left);
    auto* right = new QVBoxLayout;
    right->addWidget(m_ranges, 1);
    auto* underRanges = new QHBoxLayout;
    underRanges->addWidget(m_navigator);
    underRanges->addStretch(1);
    underRanges->addWidget(m_earTagLabel);
    underRanges->addWidget(m_earTag);
    underRanges->addWidget(m_searchButton);
    right->addLayout(underRanges);
    columns->addLayout(right, 1);
    lay->addLayout(columns, 1);
    auto* closing = new QHBoxLayout;
    closing->addStretch(1);
    closing->addWidget(m_cancelButton);
    lay->addLayout(closing);

    setTabOrder(m_pickButton, m_collectButton);
    setTabOrder(m_collectButton, m_earTag);
    setTabOrder(m_earTag, m_searchButton);
    setTabOrder(m_searchButton, m_ranges);
    setTabOrder(m_ranges, m_cancelButton);

    connect(m_pickButton, &QPushButton::clicked, this, &SenderEarTagRangesDialog::pickSender);
    connect(m_collectButton, &QPushButton::clicked, this, &SenderEarTagRangesDialog::collectRanges);
    connect(m_searchButton, &QPushButton::clicked, this, &SenderEarTagRangesDialog::searchRanges);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    fixAndCentre(this, QSize(1000, 480));

    // The first partner by name.
    try {
        Partners& partners = m_session.partners();
        partners.openList(Partners::Order::ByName);
        m_senderCode = partners.list().fieldText(QStringLiteral("fkod"));
    } catch (const std::exception& e) {
        platform::showError(this, errorText(e));
    }
}

void SenderEarTagRangesDialog::pickSender()
{
    m_senderCode = ::pickSender(m_session, this);
    m_session.handOver().partnerCode = m_senderCode;
}

void SenderEarTagRangesDialog::showSender()
{
    try {
        m_session.partners().openOn(m_senderCode);
    } catch (const std::exception& e) {
        platform::showError(this, errorText(e));
    }
}

void SenderEarTagRangesDialog::collectRanges()
{
    if (!m_sharedWork.take())
        return;
    {
        // Nothing on the screen takes input and it cannot close until the runs are stored.
        input::LongJob job(this);
        if (collectEarTags())
            storeRanges(job);
    }
    showSender();
}

bool SenderEarTagRangesDialog::emptyInHeldTransaction(WorkTable table)
{
    try {
        m_session.database().holdTransaction();
        // The runs shown so far go before their table is touched.
        m_runRows.close();
        if (table == WorkTable::EarTags)
            m_session.earTagRuns().clearEarTags();
        else
            m_session.earTagRuns().clearSenderRuns();
        return true;
    } catch (const std::exception& e) {
        m_session.transaction().rollbackQuietly();
        platform::showError(this, errorText(e));
        return false;
    }
}

bool SenderEarTagRangesDialog::collectEarTags()
{
    // Emptying FULSZAM is committed with the live arrivals' ear tags, or undone with them.
    if (!emptyInHeldTransaction(WorkTable::EarTags))
        return false;
    // Without the live arrivals FULSZAM holds what an earlier run left there (another day's, another
    // sender's ear tags): no runs are built from it.
    if (copyArrivals(EarTagRuns::ArrivalTable::Live, kLiveFailed, kLiveBroken) != Step::Done)
        return false;
    return copyArrivals(EarTagRuns::ArrivalTable::Archived, kArchiveFailed, kArchiveBroken) != Step::Broken;
}

SenderEarTagRangesDialog::Step SenderEarTagRangesDialog::copyArrivals(EarTagRuns::ArrivalTable table,
                                                                      const QString& failed, const QString& broken)
{
    SharedTransaction& transaction = m_session.transaction();
    try {
        m_session.database().holdTransaction();
    } catch (const std::exception&) {
        platform::showMessage(this, broken);
        return Step::Broken;
    }
    try {
        m_session.earTagRuns().addSenderEarTags(m_senderCode, table);
        transaction.commit();
        return Step::Done;
    } catch (const std::exception&) {
        platform::showMessage(this, failed);
        try {
            if (transaction.inTransaction())
                transaction.rollback();
        } catch (const std::exception&) {
            platform::showMessage(this, broken);
            return Step::Broken;
        }
        return Step::Failed;
    }
}

void SenderEarTagRangesDialog::storeRanges(input::LongJob& job)
{
    // The ear tags in text order, cut into runs before anything is written: an ear tag that is no
    // number leaves FULSZAM0 as it was.
    QStringList tags;
    try {
        tags = m_session.earTagRuns().earTagsInTextOrder();
    } catch (const std::exception& e) {
        platform::showError(this, errorText(e));
        return;
    }
    std::vector<eartag::Range> runs;
    try {
        runs = eartag::ranges(tags);
    } catch (const eartag::NotANumber& e) {
        platform::showError(this, e.message());
        return;
    }

    // The emptying and the runs are committed once, at the end: nothing half-built is ever shown
    // as this sender's ranges, and one transaction keeps the inserts fast.
    if (!emptyInHeldTransaction(WorkTable::SenderRuns))
        return;
    SharedTransaction& transaction = m_session.transaction();
    for (const eartag::Range& run : runs) {
        job.pump();
        // Without the transaction of the emptying, the rest would be stored beside whatever
        // FULSZAM0 holds now.
        if (!transaction.inTransaction()) {
            platform::showMessage(this, kRunsBroken);
            return;
        }
        try {
            m_session.earTagRuns().insertSenderRun(run);
        } catch (const fb::Error& e) {
            if (nothingCanBeWritten(e)) {
                transaction.rollbackQuietly();
                platform::showMessage(this, kRunsBroken);
                return;
            }
            // That run is missing; the others are still stored.
            platform::showMessage(this, kRunRefused);
        } catch (const std::exception&) {
            transaction.rollbackQuietly();
            platform::showMessage(this, kRunsBroken);
            return;
        }
    }
    try {
        transaction.commit();
    } catch (const std::exception& e) {
        transaction.rollbackQuietly();
        platform::showError(this, errorText(e));
        return;
    }
    try {
        m_session.earTagRuns().openSenderRuns(m_runRows);
    } catch (const std::exception& e) {
        platform::showError(this, errorText(e));
    }
}

void SenderEarTagRangesDialog::searchRanges()
{
    try {
        // Bound as a parameter: whatever the field holds is only ever compared, never run.
        m_session.earTagRuns().openSenderRunsBeginningWith(m_runRows, m_earTag->text());
    } catch (const std::exception& e) {
        platform::showError(this, errorText(e));
    }
}
