#include "lookups/sender_ranges.h"

#include "storage/session.h"
#include "storage/shared_datasets.h"
#include "core/eartag_ranges.h"
#include "core/handover.h"
#include "lookups/eartag_field.h"
#include "masterdata/panels.h"
#include "masterdata/pickers.h"
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
    return QString::fromStdString(e.what());
}

}  // namespace

SenderEarTagRangesDialog::SenderEarTagRangesDialog(QWidget* parent)
    : QDialog(parent), m_sharedWork(Data->workLocks, this, {SharedWork::EarTagWorkTable, SharedWork::SenderRanges})
{
    setObjectName(QStringLiteral("Form19"));
    setWindowTitle(QStringLiteral("Beszállító fülszámai"));

    int textNumber = 8;
    std::vector<DBText*> texts;
    m_sender = buildDetailPanel(this, QStringLiteral("GroupBox2"), QStringLiteral("Beszállító"), &Data->DS40,
                                {{QStringLiteral("Beszállító/eladó neve:"), {QStringLiteral("fnev")}},
                                 {QStringLiteral("Cime:"), {QStringLiteral("fcim")}},
                                 {QStringLiteral("Tenyészkódja:"), {QStringLiteral("ftenykod")}},
                                 {QStringLiteral("Származási hely:"), {QStringLiteral("fsznev")}},
                                 {QStringLiteral("cime:"), {QStringLiteral("fszcim")}},
                                 {QStringLiteral("Kód:"), {QStringLiteral("IDf"), QStringLiteral("fkod")}}},
                                &textNumber, &texts);
    // The documented names of the panel's captions, line by line, and of its code texts (the row id
    // is DBText14, the code DBText13).
    const char* captions[] = {"Label10", "Label6", "Label8", "Label9", "Label7", "Label11"};
    for (size_t i = 0; i < std::size(captions); ++i)
        m_sender->findChild<QLabel*>(texts[i]->objectName() + QStringLiteral("Label"))
            ->setObjectName(QString::fromLatin1(captions[i]));
    texts[5]->setObjectName(QStringLiteral("DBText14"));
    texts[6]->setObjectName(QStringLiteral("DBText13"));
    m_sender->setMinimumWidth(380);

    // The hints the screen keeps but never pops up; screen readers announce them.
    m_pickButton = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Beszállító"));
    m_pickButton->setAccessibleDescription(QStringLiteral("A név kiválasztása"));
    m_collectButton = makeButton(this, QStringLiteral("Button2"), QStringLiteral("Lekérdezés"));
    m_collectButton->setAccessibleDescription(QStringLiteral("A beszállítóhoz tartozó fülszámok  kigyűjtése"));
    m_cancelButton = makeButton(this, QStringLiteral("Button5"), QStringLiteral("Mégsem"));
    m_cancelButton->setAccessibleDescription(QStringLiteral("Kilépés"));

    m_ranges = makeListGrid(this, QStringLiteral("DBGrid1"), &Data->DS60,
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
    m_navigator = makeListNavigator(this, QStringLiteral("DBNavigator1"), &Data->DS60);

    m_earTagLabel = new QLabel(QStringLiteral("Fülszám:"), this);
    m_earTagLabel->setObjectName(QStringLiteral("Label1"));
    m_earTag = lookups::makeEarTagBeginningField(this, m_earTagLabel);
    m_earTag->setAccessibleDescription(QStringLiteral("A fülszám vagy annak az első része"));
    m_searchButton = makeButton(this, QStringLiteral("Button3"), QStringLiteral("Keresés"));
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
        Dataset& partners = Data->ZQ40;
        partners.close();
        partners.setSql({QStringLiteral("SELECT fnev, fcim, ftenykod, fsznev, fszcim, fkod, IDf"),
                         QStringLiteral("FROM felado"), QStringLiteral("ORDER BY fnev, fcim")});
        partners.open();
        m_senderCode = partners.fieldText(QStringLiteral("fkod"));
    } catch (const std::exception& e) {
        platform::showError(this, errorText(e));
    }
}

void SenderEarTagRangesDialog::pickSender()
{
    m_senderCode = ::pickSender(Data->session(), this);
    handOver().partnerCode = m_senderCode;
}

void SenderEarTagRangesDialog::showSender()
{
    try {
        Data->session().partners().openOn(m_senderCode);
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

bool SenderEarTagRangesDialog::emptyInHeldTransaction(const QString& workTable)
{
    try {
        Data->holdTransaction();
        Data->ZQ60.setSql({QStringLiteral("DELETE FROM ") + workTable});
        Data->ZQ60.execSql();
        return true;
    } catch (const std::exception& e) {
        Data->IBTrans1.rollbackQuietly();
        platform::showError(this, errorText(e));
        return false;
    }
}

bool SenderEarTagRangesDialog::collectEarTags()
{
    // Emptying FULSZAM is committed with the live arrivals' ear tags, or undone with them.
    if (!emptyInHeldTransaction(QStringLiteral("fulszam")))
        return false;
    // Without the live arrivals FULSZAM holds what an earlier run left there (another day's, another
    // sender's ear tags): no runs are built from it.
    if (copyArrivals(QStringLiteral("beszall"), kLiveFailed, kLiveBroken) != Step::Done)
        return false;
    return copyArrivals(QStringLiteral("beszall0"), kArchiveFailed, kArchiveBroken) != Step::Broken;
}

SenderEarTagRangesDialog::Step SenderEarTagRangesDialog::copyArrivals(const QString& table, const QString& failed,
                                                                      const QString& broken)
{
    try {
        Data->holdTransaction();
    } catch (const std::exception&) {
        platform::showMessage(this, broken);
        return Step::Broken;
    }
    try {
        Dataset& copy = Data->ZQ13;
        copy.setSql({QStringLiteral("INSERT INTO fulszam (ufultol )"), QStringLiteral("SELECT        bfulszam"),
                     QStringLiteral("FROM ") + table, QStringLiteral("WHERE bfkod = :p1")});
        copy.setParamText(QStringLiteral("p1"), m_senderCode);
        copy.execSql();
        Data->IBTrans1.commit();
        return Step::Done;
    } catch (const std::exception&) {
        platform::showMessage(this, failed);
        try {
            if (Data->IBTrans1.inTransaction())
                Data->IBTrans1.rollback();
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
        Dataset& earTags = Data->ZQ13;
        earTags.setSql(
            {QStringLiteral("SELECT  *"), QStringLiteral("FROM fulszam"), QStringLiteral("ORDER BY ufultol")});
        earTags.open();
        const int rows = earTags.recordCount();
        const int column = earTags.fieldIndex(QStringLiteral("UFULTOL"));
        tags.reserve(rows);
        for (int r = 0; r < rows; ++r)
            tags << earTags.cellText(r, column);
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
    if (!emptyInHeldTransaction(QStringLiteral("fulszam0")))
        return;
    for (const eartag::Range& run : runs) {
        job.pump();
        // Without the transaction of the emptying, the rest would be stored beside whatever
        // FULSZAM0 holds now.
        if (!Data->IBTrans1.inTransaction()) {
            platform::showMessage(this, kRunsBroken);
            return;
        }
        try {
            Dataset& insert = Data->ZQ60;
            insert.setSql({QStringLiteral("INSERT INTO fulszam0 (ufultol, ufulig )"),
                           QStringLiteral("VALUES        (   :p1,   :p2    )")});
            insert.setParamText(QStringLiteral("p1"), run.first);
            insert.setParamText(QStringLiteral("p2"), run.last);
            insert.execSql();
        } catch (const fb::Error& e) {
            if (nothingCanBeWritten(e)) {
                Data->IBTrans1.rollbackQuietly();
                platform::showMessage(this, kRunsBroken);
                return;
            }
            // That run is missing; the others are still stored.
            platform::showMessage(this, kRunRefused);
        } catch (const std::exception&) {
            Data->IBTrans1.rollbackQuietly();
            platform::showMessage(this, kRunsBroken);
            return;
        }
    }
    try {
        Data->IBTrans1.commit();
    } catch (const std::exception& e) {
        Data->IBTrans1.rollbackQuietly();
        platform::showError(this, errorText(e));
        return;
    }
    try {
        Data->ZQ60.setSql(
            {QStringLiteral("SELECT  *"), QStringLiteral("FROM fulszam0"), QStringLiteral("ORDER BY ufultol")});
        Data->ZQ60.open();
    } catch (const std::exception& e) {
        platform::showError(this, errorText(e));
    }
}

void SenderEarTagRangesDialog::searchRanges()
{
    try {
        Dataset& ranges = Data->ZQ60;
        ranges.setSql({QStringLiteral("SELECT  *"), QStringLiteral("FROM fulszam0"),
                       QStringLiteral("WHERE ufultol like :p0"), QStringLiteral("ORDER BY ufultol")});
        // Bound as a parameter: whatever the field holds is only ever compared, never run.
        ranges.setParamText(QStringLiteral("p0"), lookups::beginningPattern(m_earTag->text()));
        ranges.open();
    } catch (const std::exception& e) {
        platform::showError(this, errorText(e));
    }
}
