#include "maintenance/archive_day.h"

#include "core/convert.h"
#include "storage/shared_datasets.h"
#include "ui/dbwidgets.h"
#include "ui/input.h"
#include "ui/layout.h"
#include "ui/longjob.h"
#include "ui/platform.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <algorithm>

using maintenance::TransferDirection;

namespace {

const QString kBadDate = QStringLiteral("A dátum formátuma nem megfelelő!");

// The day's live departures with their carrier and buyer; rows whose codes match no register row
// are not listed, yet they move with the day all the same.
const QStringList kLiveDayList = {
    QStringLiteral("SELECT kfulszam, kikelt, srendszam, snev, khkat, keubizki, keubizbe, kskod, kfkod, IDk,  "),
    QStringLiteral("       scim, sjovaszam, skod, IDs, "),
    QStringLiteral("       fnev, fcim, ftenykod, fsznev, fszcim, fkod, IDf "),
    QStringLiteral("       FROM kiszall "),
    QStringLiteral("       JOIN szallito ON szallito.skod = kiszall.kskod  "),
    QStringLiteral("       JOIN felado   ON felado.fkod = kiszall.kfkod "),
    QStringLiteral("       WHERE kikelt = :p1 "),
    QStringLiteral("       ORDER BY kfulszam "),
};

const QStringList kArchivedDayList = {
    QStringLiteral("SELECT srendszam, snev,kfulszam, kikelt, khkat, keubizki, keubizbe, kskod, kfkod, IDk,  "),
    QStringLiteral("       scim, sjovaszam, skod, IDs, "),
    QStringLiteral("       fnev, fcim, ftenykod, fsznev, fszcim, fkod, IDf "),
    QStringLiteral("       FROM kiszall0 "),
    QStringLiteral("       JOIN szallito ON szallito.skod = kiszall0.kskod  "),
    QStringLiteral("       JOIN felado   ON felado.fkod = kiszall0.kfkod "),
    QStringLiteral("       WHERE kikelt = :p1 "),
    QStringLiteral("       ORDER BY kfulszam "),
};

// What tells the two screens apart besides the direction of the move.
struct ScreenTexts {
    QString objectName, caption, description, message, listLabel, runCaption;
    std::vector<GridColumn> columns;
    const QStringList* selectSql;
};

GridColumn col(const char* field, const QString& title) { return {QString::fromLatin1(field), title}; }

const ScreenTexts& screenTexts(TransferDirection direction)
{
    static const ScreenTexts archive{
        QStringLiteral("Form20"),
        QStringLiteral("Archiválás"),
        QStringLiteral("A kiszállitás dátuma szerint  - fülszám alapján -  a  be- , kiszállitottból  az  arhivba átteszi ."),
        QStringLiteral("Üzenet: Arhiváláskor várja meg a \"vége\" üzenetet."),
        QStringLiteral("Arhiválásra kerülö tételek:"),
        QStringLiteral("Arhiválás"),
        {col("KIKELT", QStringLiteral("Kiszállítás")), col("KFULSZAM", QStringLiteral("Fülszám")),
         col("KHKAT", QStringLiteral("Haszn.kat.")), col("KEUBIZKI", QStringLiteral("Eü.biz. ki")),
         col("KEUBIZBE", QStringLiteral("Eü.biz. be")), col("SRENDSZAM", QStringLiteral("Rendszám")),
         col("SNEV", QStringLiteral("Szállító neve")), col("SCIM", QStringLiteral("Szállító cime")),
         col("SJOVASZAM", QStringLiteral("Jóváhagy.száma")), col("KSKOD", QStringLiteral("Száll.kód")),
         col("FNEV", QStringLiteral("Vevö neve")), col("FCIM", QStringLiteral("Vevö cim")),
         col("FTENYKOD", QStringLiteral("Teny.kódja")), col("FSZNEV", QStringLiteral("Név")),
         col("FSZCIM", QStringLiteral("Cim")), col("KFKOD", QStringLiteral("Vevökód")), col("IDK", QStringLiteral("ID"))},
        &kLiveDayList,
    };
    static const ScreenTexts withdraw{
        QStringLiteral("Form21"),
        QStringLiteral("Arhiválás visszavonása"),
        QStringLiteral("A kiszállitás dátuma szerint  - fülszám alapján - az  arhivból  visszateszi  a  be- , kiszállitottba.."),
        QStringLiteral("Üzenet: Visszavonáskor várja meg a \"vége\" üzenetet."),
        QStringLiteral("Visszavonásra kerülö tételek:"),
        QStringLiteral("Visszavonás"),
        {col("KIKELT", QStringLiteral("Kiszállítás")), col("KFULSZAM", QStringLiteral("Fülszám")),
         col("KHKAT", QStringLiteral("Haszn.kat.")), col("KEUBIZKI", QStringLiteral("Eü.biz. ki")),
         col("KEUBIZBE", QStringLiteral("Eü.biz. be")), col("SNEV", QStringLiteral("Szállító neve")),
         col("SRENDSZAM", QStringLiteral("Rendszám")), col("SCIM", QStringLiteral("Szállító cime")),
         col("SJOVASZAM", QStringLiteral("Jóváhagy. száma")), col("KSKOD", QStringLiteral("Száll.kód")),
         col("KFKOD", QStringLiteral("Vevökód")), col("FNEV", QStringLiteral("Vevö neve")),
         col("FCIM", QStringLiteral("Vevö cime")), col("FTENYKOD", QStringLiteral("Teny.kódja")),
         col("FSZNEV", QStringLiteral("Név")), col("FSZCIM", QStringLiteral("Cim")), col("IDK", QStringLiteral("ID"))},
        &kArchivedDayList,
    };
    return direction == TransferDirection::Archive ? archive : withdraw;
}

}  // namespace

DayTransferDialog::DayTransferDialog(QWidget* parent, TransferDirection direction)
    : QDialog(parent),
      m_direction(direction),
      m_sharedWork(Data->workLocks, this, {SharedWork::EarTagWorkTable, SharedWork::DepartureMoves})
{
    const ScreenTexts& t = screenTexts(direction);
    setObjectName(t.objectName);
    setWindowTitle(t.caption);
    buildLayout();

    connect(m_selectButton, &QPushButton::clicked, this, &DayTransferDialog::selectDay);
    connect(m_runButton, &QPushButton::clicked, this, &DayTransferDialog::runTransfer);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::close);
    input::onExit(m_dispatchDate, [this] { onDispatchDateLeft(); });
    // A changed date needs a new selection before a run, even before the field is left: the run
    // must move the very day whose list the user saw.
    connect(m_dispatchDate, &QLineEdit::textEdited, this, [this] { m_runButton->setEnabled(false); });
}

void DayTransferDialog::buildLayout()
{
    const ScreenTexts& t = screenTexts(m_direction);
    auto* lay = new QVBoxLayout(this);

    auto* dateRow = new QHBoxLayout;
    m_dateLabel = new QLabel(QStringLiteral("Kiszállítás dátuma: "), this);
    m_dateLabel->setObjectName(QStringLiteral("Label1"));
    m_dispatchDate = new QLineEdit(this);
    m_dispatchDate->setObjectName(QStringLiteral("Edit1"));
    m_dispatchDate->setMinimumWidth(m_dispatchDate->fontMetrics().horizontalAdvance(QStringLiteral("0000.00.00")) + 24);
    m_dateLabel->setBuddy(m_dispatchDate);
    dateRow->addWidget(m_dateLabel);
    dateRow->addWidget(m_dispatchDate);
    dateRow->addStretch(1);
    lay->addLayout(dateRow);

    m_description = new QLabel(t.description, this);
    m_description->setObjectName(QStringLiteral("Label3"));
    lay->addWidget(m_description);
    m_messageLine = new QLabel(t.message, this);
    m_messageLine->setObjectName(QStringLiteral("Label2"));
    m_messageLine->setTextFormat(Qt::PlainText);
    lay->addWidget(m_messageLine);

    m_listLabel = new QLabel(t.listLabel, this);
    m_listLabel->setObjectName(QStringLiteral("Label4"));
    lay->addWidget(m_listLabel);
    m_dayList = new DBGrid(this);
    m_dayList->setObjectName(QStringLiteral("DBGrid1"));
    m_dayList->setDataSource(&Data->DS22);
    m_dayList->setColumns(t.columns);
    m_listLabel->setBuddy(m_dayList);
    lay->addWidget(m_dayList, 1);
    m_navigator = new DBNavigator(this);
    m_navigator->setObjectName(QStringLiteral("DBNavigator1"));
    m_navigator->setDataSource(&Data->DS22);
    m_navigator->setVisibleButtons(DBNavigator::First | DBNavigator::Prior | DBNavigator::Next | DBNavigator::Last);
    lay->addWidget(m_navigator, 0, Qt::AlignLeft);

    auto* buttons = new QHBoxLayout;
    m_selectButton = new QPushButton(QStringLiteral("Kiválaszt"), this);
    m_selectButton->setObjectName(QStringLiteral("Button1"));
    m_runButton = new QPushButton(t.runCaption, this);
    m_runButton->setObjectName(QStringLiteral("Button2"));
    m_runButton->setEnabled(false);
    m_cancelButton = new QPushButton(QStringLiteral("Mégsem"), this);
    m_cancelButton->setObjectName(QStringLiteral("Button3"));
    for (QPushButton* b : {m_selectButton, m_runButton, m_cancelButton}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    lay->addLayout(buttons);
    input::markLeavesForm(m_cancelButton);

    input::dateCharacters(m_dispatchDate);
    input::enterAsTab(this);
    // The date field takes no Enter: it neither moves on nor presses a button.
    input::ignoreEnter(m_dispatchDate);
    fixAndCentre(this, QSize(1000, 560));
}

void DayTransferDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous() || m_shown)
        return;
    m_shown = true;
    m_dispatchDate->setText(convert::dateToText(platform::today()));
}

void DayTransferDialog::onDispatchDateLeft()
{
    if (m_running)
        return;
    m_selectButton->setEnabled(true);
    m_runButton->setEnabled(false);
}

void DayTransferDialog::openDayList(const QStringList& sql, const QDate& day)
{
    Dataset& q = Data->ZQ22;
    q.close();
    q.clearSql();
    for (const QString& line : sql)
        q.addSql(line);
    q.setParamDate(QStringLiteral("p1"), day);
    q.open();
}

void DayTransferDialog::selectDay()
{
    const auto day = convert::textToDate(m_dispatchDate->text());
    if (!day) {
        platform::showMessage(this, kBadDate);
        m_dispatchDate->setFocus();
        return;
    }
    try {
        openDayList(*screenTexts(m_direction).selectSql, *day);
    } catch (const std::exception& e) {
        platform::showError(this, e);
        return;
    }
    m_runButton->setEnabled(true);
}

void DayTransferDialog::setRunning(bool running)
{
    m_running = running;
    m_dispatchDate->setReadOnly(running);
    m_selectButton->setEnabled(!running);
    m_cancelButton->setEnabled(!running);
}

void DayTransferDialog::runTransfer()
{
    m_runButton->setEnabled(false);
    // Read once: every step of the run works on this day, whatever happens to the field meanwhile.
    const auto day = convert::textToDate(m_dispatchDate->text());
    if (!day) {
        platform::showMessage(this, kBadDate);
        m_dispatchDate->setFocus();
        return;
    }
    if (!m_sharedWork.take()) {
        // Nothing ran: the day selected can still be moved once the other desk is done.
        m_runButton->setEnabled(true);
        return;
    }
    bool done = false;
    {
        // No input, no closing, no "Mégsem" until the run ends; pumping between its statements
        // keeps the window painted and the message line counting.
        input::LongJob job(this);
        setRunning(true);
        maintenance::DayTransfer transfer(
            *Data, m_direction, *day,
            {[this](const QString& text) { m_messageLine->setText(text); },
             [this](const QString& text) { platform::showMessage(this, text); },
             [this](const QString& text) { platform::showError(this, text); },
             [&job](bool stepChanged) { job.pump(stepChanged); }});
        transfer.setBatchRows(m_batchRows);
        done = transfer.run();
        setRunning(false);
    }
    if (!done)
        return;  // the list stays closed after a failed run
    // Both screens end on the live day: after archiving it is empty, after a withdrawal it shows
    // the rows just moved back.
    try {
        openDayList(kLiveDayList, *day);
    } catch (const std::exception& e) {
        platform::showError(this, e);
    }
}

ArchiveDialog::ArchiveDialog(QWidget* parent) : DayTransferDialog(parent, TransferDirection::Archive) {}

ArchiveWithdrawalDialog::ArchiveWithdrawalDialog(QWidget* parent)
    : DayTransferDialog(parent, TransferDirection::Withdraw)
{
}
