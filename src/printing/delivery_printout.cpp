#include "printing/delivery_printout.h"

#include "core/convert.h"
#include "storage/shared_datasets.h"
#include "printing/printout_screen.h"
#include "printing/report_feeds.h"
#include "report/variables.h"
#include "ui/dbwidgets.h"
#include "ui/input.h"
#include "ui/layout.h"
#include "ui/platform.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

struct DeliveryPrintoutKind {
    QString objectName;
    QString caption;
    QString dayCaption;
    Dataset TData::*selection;
    DataSource TData::*selectionSource;
    QString earTagField;
    std::vector<GridColumn> columns;
    QStringList selectionSql;
    QStringList dayTotalSql;
    QStringList rangeListSql;
    QStringList summarySql;
    QString insertFailed;  // an insert into FULSZAM was refused
    QString storeFailed;   // storing the ranges stopped
    QString rangeListFile;
    report::Report ReportFeeds::*rangeList;
    QString summaryFile;
    report::Report ReportFeeds::*summary;
    void (ReportFeeds::*handOverDayField)(QLineEdit*);
};

namespace {

const QString kRunInsert1 = QStringLiteral("INSERT INTO fulszam (ufultol, ufulig )");
const QString kRunInsert2 = QStringLiteral("VALUES        (   :p1,   :p2    )");

const DeliveryPrintoutKind kIncoming{
    QStringLiteral("Form14"),
    QStringLiteral("Beszállítás nyomtatás"),
    QStringLiteral("Beszállítás dátuma: "),
    &TData::ZQ12,
    &TData::DS12,
    QStringLiteral("bfulszam"),
    {{QStringLiteral("BFULSZAM"), QStringLiteral("Fulszám")},
     {QStringLiteral("BSZKELT"), QStringLiteral("Beszállítás")},
     {QStringLiteral("FNEV"), QStringLiteral("Feladó neve")},
     {QStringLiteral("SNEV"), QStringLiteral("Szállító neve")},
     {QStringLiteral("BVKELT"), QStringLiteral("Vásárlás")},
     {QStringLiteral("BHKAT"), QStringLiteral("Haszn. kat.")},
     {QStringLiteral("BEUBIZ"), QStringLiteral("Eü.biz. be")},
     {QStringLiteral("SRENDSZAM"), QStringLiteral("Rendszám")}},
    {QStringLiteral("SELECT bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod, IDb,"),
     QStringLiteral("srendszam, snev, scim, sjovaszam, skod, IDs,"),
     QStringLiteral("fnev, fcim, ftenykod, fsznev, fszcim, fkod, IDf"), QStringLiteral("FROM beszall"),
     QStringLiteral("JOIN szallito ON szallito.skod = beszall.bskod"),
     QStringLiteral("JOIN felado ON felado.fkod = beszall.bfkod"), QStringLiteral("WHERE bszkelt = :p1"),
     QStringLiteral("ORDER BY bfkod, bfulszam")},
    {QStringLiteral("SELECT COUNT(bfulszam) AS sumdb"), QStringLiteral("FROM beszall"),
     QStringLiteral("WHERE bszkelt = :p1")},
    // In the order the ranges were built, so the row numbers follow the ear tags.
    {QStringLiteral("SELECT ufultol, ufulig, IDu,"),
     QStringLiteral("bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod, IDb,"),
     QStringLiteral("srendszam, snev, scim, sjovaszam, skod, IDs,"),
     QStringLiteral("fnev, fcim, ftenykod, fsznev, fszcim, fkod, IDf"), QStringLiteral("FROM fulszam"),
     QStringLiteral("JOIN beszall  ON beszall.bfulszam  = fulszam.ufultol"),
     QStringLiteral("JOIN szallito ON szallito.skod    = beszall.bskod"),
     QStringLiteral("JOIN felado   ON felado.fkod       = beszall.bfkod"), QStringLiteral("WHERE bszkelt = :p1"),
     QStringLiteral("ORDER BY IDu")},
    {QStringLiteral("SELECT"), QStringLiteral("bskod, bfkod,"), QStringLiteral("srendszam, snev, scim, sjovaszam,"),
     QStringLiteral("fnev, fcim, ftenykod, fsznev, fszcim"), QStringLiteral("FROM fulszam"),
     QStringLiteral("JOIN beszall  ON beszall.bfulszam  = fulszam.ufultol"),
     QStringLiteral("JOIN szallito ON szallito.skod    = beszall.bskod"),
     QStringLiteral("JOIN felado   ON felado.fkod       = beszall.bfkod"), QStringLiteral("WHERE bszkelt = :p1"),
     QStringLiteral("GROUP BY bfkod, bskod, srendszam, snev, scim, sjovaszam, fnev, fcim, ftenykod, fsznev, fszcim")},
    QStringLiteral("Hiba141: Új fülsorban, INSERT-append ! "),
    QStringLiteral("Hiba142: az insert közben a fulszam -ban!"),
    QStringLiteral("Fulszambe1.frf"),
    &ReportFeeds::frReport1,
    QStringLiteral("Fulszambe2.frf"),
    &ReportFeeds::frReport2,
    &ReportFeeds::setIncomingDayField,
};

const DeliveryPrintoutKind kOutgoing{
    QStringLiteral("Form15"),
    QStringLiteral("Kiszállitás nyomtatás"),
    QStringLiteral("Kiszállitás dátuma: "),
    &TData::ZQ22,
    &TData::DS22,
    QStringLiteral("kfulszam"),
    {{QStringLiteral("KFULSZAM"), QStringLiteral("Fülszám")},
     {QStringLiteral("KIKELT"), QStringLiteral("Kiszálítás")},
     {QStringLiteral("SRENDSZAM"), QStringLiteral("Rendszám")},
     {QStringLiteral("SNEV"), QStringLiteral("Szállító neve")},
     {QStringLiteral("KHKAT"), QStringLiteral("Haszn.kat.")},
     {QStringLiteral("KEUBIZKI"), QStringLiteral("Eü.biz. ki")},
     {QStringLiteral("KEUBIZBE"), QStringLiteral("Eü.biz. be")}},
    {QStringLiteral("SELECT kfulszam, kikelt, khkat, keubizki, keubizbe, kskod, kfkod, IDk,"),
     QStringLiteral("srendszam, snev, scim, sjovaszam, skod, IDs,"),
     QStringLiteral("fnev, fcim, ftenykod, fsznev, fszcim, fkod, IDf"), QStringLiteral("FROM kiszall"),
     QStringLiteral("JOIN szallito ON szallito.skod = kiszall.kskod"),
     QStringLiteral("JOIN felado   ON felado.fkod = kiszall.kfkod"), QStringLiteral("WHERE kikelt = :p1"),
     QStringLiteral("ORDER BY kfulszam")},
    {QStringLiteral("SELECT COUNT(kfulszam) AS sumdb"), QStringLiteral("FROM kiszall"),
     QStringLiteral("WHERE kikelt = :p1")},
    {QStringLiteral("SELECT ufultol, ufulig, IDu,"),
     QStringLiteral("kfulszam, kikelt, khkat, keubizki, keubizbe, kskod, kfkod, IDk,"),
     QStringLiteral("srendszam, snev, scim, sjovaszam, skod, IDs,"),
     QStringLiteral("fnev, fcim, ftenykod, fsznev, fszcim, fkod, IDf"), QStringLiteral("FROM fulszam"),
     QStringLiteral("JOIN kiszall  ON kiszall.kfulszam  = fulszam.ufultol"),
     QStringLiteral("JOIN szallito ON szallito.skod    = kiszall.kskod"),
     QStringLiteral("JOIN felado   ON felado.fkod       = kiszall.kfkod"), QStringLiteral("WHERE Kikelt = :p1"),
     QStringLiteral("ORDER BY IDu")},
    {QStringLiteral("SELECT"), QStringLiteral("kskod, kfkod,"), QStringLiteral("srendszam, snev, scim, sjovaszam,"),
     QStringLiteral("fnev, fcim, ftenykod, fsznev, fszcim"), QStringLiteral("FROM fulszam"),
     QStringLiteral("JOIN kiszall  ON kiszall.kfulszam  = fulszam.ufultol"),
     QStringLiteral("JOIN szallito ON szallito.skod    = kiszall.kskod"),
     QStringLiteral("JOIN felado   ON felado.fkod       = kiszall.kfkod"), QStringLiteral("WHERE Kikelt = :p1"),
     QStringLiteral("GROUP BY kfkod, kskod, srendszam, snev, scim, sjovaszam, fnev, fcim, ftenykod, fsznev, fszcim")},
    QStringLiteral("Hiba151: Új fülsorban, INSERT-append ! "),
    QStringLiteral("Hiba152: az insert közben a fulszam -ban!"),
    QStringLiteral("Fulszamki1.frf"),
    &ReportFeeds::frReport3,
    QStringLiteral("Fulszamki2.frf"),
    &ReportFeeds::frReport4,
    &ReportFeeds::setOutgoingDayField,
};

// Puts a statement into a query and binds the day.
void setStatement(Dataset& query, const QStringList& lines, const QDate& day)
{
    query.setSql(lines);
    query.setParamDate(QStringLiteral("p1"), day);
}

}  // namespace

DeliveryPrintoutDialog::DeliveryPrintoutDialog(const DeliveryPrintoutKind& kind, QWidget* parent)
    : QDialog(parent), m_kind(kind), m_sharedWork(Data->workLocks, this, {SharedWork::EarTagWorkTable})
{
    setObjectName(kind.objectName);
    setWindowTitle(kind.caption);

    auto* lay = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    m_dayLabel = printout::makeLabel(this, QStringLiteral("Label1"), kind.dayCaption);
    m_day = printout::makeDayField(this, m_dayLabel);
    m_selectButton = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Kiválaszt"));
    m_printButton = makeButton(this, QStringLiteral("Button2"), QStringLiteral("Nyomtat"));
    m_cancelButton = makeButton(this, QStringLiteral("Button3"), QStringLiteral("Mégsem"));
    input::markLeavesForm(m_cancelButton);
    top->addWidget(m_dayLabel);
    top->addWidget(m_day);
    top->addSpacing(12);
    top->addWidget(m_selectButton);
    top->addWidget(m_printButton);
    top->addStretch(1);
    top->addWidget(m_cancelButton);
    lay->addLayout(top);

    DataSource* source = &(Data->*kind.selectionSource);
    m_deliveries = printout::makeGrid(this, source, kind.columns);
    m_deliveries->setAccessibleName(kind.caption);
    lay->addWidget(m_deliveries, 1);
    m_navigator = makeListNavigator(this, QStringLiteral("DBNavigator1"), source);
    lay->addWidget(m_navigator, 0, Qt::AlignLeft);

    setTabOrder(m_day, m_selectButton);
    setTabOrder(m_selectButton, m_printButton);
    setTabOrder(m_printButton, m_cancelButton);
    setTabOrder(m_cancelButton, m_deliveries);

    // Only a successful "Kiválaszt" makes the day's ranges printable.
    m_printButton->setEnabled(false);

    connect(m_selectButton, &QPushButton::clicked, this, &DeliveryPrintoutDialog::selectDay);
    connect(m_printButton, &QPushButton::clicked, this, &DeliveryPrintoutDialog::printDay);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::close);
    input::onExit(m_day, [this] { onDayLeft(); });

    fixAndCentre(this, QSize(900, 520));
}

void DeliveryPrintoutDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    printout::startOnToday(m_day);
}

void DeliveryPrintoutDialog::onDayLeft()
{
    // A day typed but not selected is never printed.
    m_selectButton->setEnabled(true);
    m_printButton->setEnabled(false);
}

void DeliveryPrintoutDialog::openSelection(const QDate& day)
{
    Dataset& selection = Data->*m_kind.selection;
    setStatement(selection, m_kind.selectionSql, day);
    selection.open();
}

QStringList DeliveryPrintoutDialog::selectedEarTags()
{
    Dataset& selection = Data->*m_kind.selection;
    const int rows = selection.recordCount();
    const int column = selection.fieldIndex(m_kind.earTagField);
    QStringList tags;
    tags.reserve(rows);
    for (int r = 0; r < rows; ++r)
        tags << selection.cellText(r, column);
    return tags;
}

bool DeliveryPrintoutDialog::selectDay()
{
    m_printButton->setEnabled(false);
    const auto day = printout::dayOrComplain(this, m_day);
    if (!day)
        return false;
    if (!m_sharedWork.take())
        return false;

    QStringList tags;
    if (!printout::attempt(this, [&] {
            openSelection(*day);
            tags = selectedEarTags();
        }))
        return false;

    // The runs are cut before anything is written: a tag that is no number leaves FULSZAM as it was.
    std::vector<eartag::Range> runs;
    try {
        runs = eartag::ranges(tags);
    } catch (const eartag::NotANumber& e) {
        platform::showError(this, e.message());
        return false;
    }
    if (!storeRanges(runs))
        return false;

    // The commit closed the selection: show the day again from its first row.
    if (!printout::attempt(this, [&] { openSelection(*day); }))
        return false;
    m_printButton->setEnabled(true);
    return true;
}

bool DeliveryPrintoutDialog::storeRanges(const std::vector<eartag::Range>& ranges)
{
    Dataset& work = Data->ZQ60;
    // Emptying and every run stand or fall together: no statement's end commits on its own, and a
    // failure rolls all of it back.
    const bool emptied = printout::attempt(this, [&] {
        Data->holdTransaction();
        work.setSql({QStringLiteral("DELETE FROM fulszam")});
        work.execSql();
    });
    if (!emptied) {
        Data->IBTrans1.rollbackQuietly();
        return false;
    }
    for (const eartag::Range& run : ranges) {
        try {
            if (!Data->IBTrans1.inTransaction())
                Data->holdTransaction();
        } catch (const std::exception&) {
            Data->IBTrans1.rollbackQuietly();
            platform::showMessage(this, m_kind.storeFailed);
            return false;
        }
        try {
            work.setSql({kRunInsert1, kRunInsert2});
            work.setParamText(QStringLiteral("p1"), run.first);
            work.setParamText(QStringLiteral("p2"), run.last);
            work.execSql();
        } catch (const std::exception&) {
            platform::showMessage(this, m_kind.insertFailed);
            Data->IBTrans1.rollbackQuietly();
            platform::showMessage(this, m_kind.storeFailed);
            return false;
        }
    }
    try {
        Data->IBTrans1.commit();
    } catch (const std::exception&) {
        Data->IBTrans1.rollbackQuietly();
        platform::showMessage(this, m_kind.storeFailed);
        return false;
    }
    return true;
}

void DeliveryPrintoutDialog::printDay()
{
    const auto day = printout::dayOrComplain(this, m_day);
    if (!day)
        return;
    if (showRangeList(*day))
        showSummary(*day);
}

bool DeliveryPrintoutDialog::showRangeList(const QDate& day)
{
    ReportFeeds& feeds = ReportFeeds::of(*Data);
    const bool opened = printout::attempt(this, [&] {
        printout::reopenOwnCompany();
        Dataset& total = Data->ZQ61;
        setStatement(total, m_kind.dayTotalSql, day);
        total.open();
        report::variables().setInt(QStringLiteral("v_sumdb"), total.fieldInt(QStringLiteral("sumdb")));
        setStatement(Data->ZQ60, m_kind.rangeListSql, day);
        Data->ZQ60.open();
    });
    if (!opened)
        return false;
    // The range counts read the day from this screen's field while the list is prepared.
    (feeds.*m_kind.handOverDayField)(m_day);
    return printout::showTemplate(feeds.*m_kind.rangeList, m_kind.rangeListFile, this);
}

bool DeliveryPrintoutDialog::showSummary(const QDate& day)
{
    if (!printout::attempt(this, [&] {
            setStatement(Data->ZQ60, m_kind.summarySql, day);
            Data->ZQ60.open();
        }))
        return false;
    return printout::showTemplate(ReportFeeds::of(*Data).*m_kind.summary, m_kind.summaryFile, this);
}

IncomingDeliveryPrintoutDialog::IncomingDeliveryPrintoutDialog(QWidget* parent)
    : DeliveryPrintoutDialog(kIncoming, parent)
{
}

OutgoingDeliveryPrintoutDialog::OutgoingDeliveryPrintoutDialog(QWidget* parent)
    : DeliveryPrintoutDialog(kOutgoing, parent)
{
}
