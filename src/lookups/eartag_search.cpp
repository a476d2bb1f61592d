#include "lookups/eartag_search.h"

#include "storage/shared_datasets.h"
#include "lookups/eartag_field.h"
#include "ui/dbwidgets.h"
#include "ui/input.h"
#include "ui/layout.h"
#include "ui/platform.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

// The whole live arrival list, every column; an order line follows.
const QStringList kArrivalList{
    QStringLiteral("SELECT bfulszam, bszkelt, fnev, snev,"),
    QStringLiteral("bvkelt, bhkat, beubiz, bskod, bfkod, IDb,"),
    QStringLiteral("srendszam, scim, sjovaszam, skod, IDs,"),
    QStringLiteral("fcim, ftenykod, fsznev, fszcim, fkod, IDf"),
    QStringLiteral("FROM beszall"),
    QStringLiteral("JOIN szallito ON szallito.skod   = beszall.bskod"),
    QStringLiteral("JOIN felado   ON felado.fkod      = beszall.bfkod"),
};

// The whole live departure list; an order line follows.
const QStringList kDepartureList{
    QStringLiteral("SELECT kfulszam, kikelt,fnev, snev, khkat, keubizki, keubizbe, kskod, kfkod, IDk,"),
    QStringLiteral("srendszam, scim, sjovaszam, skod, IDs,"),
    QStringLiteral("fcim, ftenykod, fsznev, fszcim, fkod, IDf"),
    QStringLiteral("FROM kiszall"),
    QStringLiteral("JOIN szallito ON szallito.skod = kiszall.kskod"),
    QStringLiteral("JOIN felado   ON felado.fkod    = kiszall.kfkod"),
};

// The searches: the beginning of the ear tag is the parameter p0, never part of the text.
const QStringList kArrivalSearch{
    QStringLiteral("SELECT bfulszam, bszkelt, fnev, snev,"),
    QStringLiteral("srendszam, scim, sjovaszam, skod, IDs,"),
    QStringLiteral("fcim, ftenykod, fsznev, fszcim, fkod, IDf"),
    QStringLiteral("FROM beszall"),
    QStringLiteral("JOIN szallito ON szallito.skod   = beszall.bskod"),
    QStringLiteral("JOIN felado   ON felado.fkod      = beszall.bfkod"),
    QStringLiteral("WHERE bfulszam like :p0"),
    QStringLiteral("ORDER BY bfulszam"),
};
const QStringList kDepartureSearch{
    QStringLiteral("SELECT kfulszam, kikelt,fnev, snev, khkat, keubizki, keubizbe, kskod, kfkod, IDk,"),
    QStringLiteral("srendszam, snev, scim, sjovaszam, skod, IDs,"),
    QStringLiteral("fcim, ftenykod, fsznev, fszcim, fkod, IDf"),
    QStringLiteral("FROM kiszall"),
    QStringLiteral("JOIN szallito ON szallito.skod = kiszall.kskod"),
    QStringLiteral("JOIN felado   ON felado.fkod    = kiszall.kfkod"),
    QStringLiteral("WHERE kfulszam like :p0"),
    QStringLiteral("ORDER BY kfulszam"),
};

const QString kEarTagOrder = QStringLiteral("Lista sorrend: fülszám szerint");

// The titles a click sorts by, by their position in the grid: in the whole lists of both tables
// these are the ear tag, the date, the sender's (buyer's) name, the carrier's name and the row id.
struct SortOrder {
    int position;
    QString arrivalsOrder;
    QString arrivalsCaption;
    QString departuresOrder;
    QString departuresCaption;
};
const SortOrder kSortOrders[] = {
    {0, QStringLiteral("ORDER BY bfulszam"), kEarTagOrder, QStringLiteral("ORDER BY kfulszam"), kEarTagOrder},
    {1, QStringLiteral("ORDER BY bszkelt"), QStringLiteral("Lista sorrend: beérkezés kelte szerint"),
     QStringLiteral("ORDER BY kikelt"), QStringLiteral("Lista sorrend: kiszállitás kelte szerint")},
    {2, QStringLiteral("ORDER BY fnev"), QStringLiteral("Lista sorrend: feladó neve szerint"),
     QStringLiteral("ORDER BY fnev"), QStringLiteral("Lista sorrend: vevö neve szerint")},
    {3, QStringLiteral("ORDER BY snev"), QStringLiteral("Lista sorrend: szállitó neve szerint"),
     QStringLiteral("ORDER BY snev"), QStringLiteral("Lista sorrend: szállitó neve szerint")},
    {9, QStringLiteral("ORDER BY IDb"), QStringLiteral("Lista sorrend: beviteli sorrend szerint"),
     QStringLiteral("ORDER BY IDk"), QStringLiteral("Lista sorrend: beviteli sorrend szerint")},
};

}  // namespace

EarTagSearchDialog::EarTagSearchDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form18"));
    setWindowTitle(QStringLiteral("Keresés"));

    m_earTagLabel = new QLabel(QStringLiteral("Fülszám:"), this);
    m_earTagLabel->setObjectName(QStringLiteral("Label1"));
    m_earTag = lookups::makeEarTagBeginningField(this, m_earTagLabel);
    m_searchButton = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Keresés"));

    m_tableChoice = new QGroupBox(QStringLiteral("Melyik?"), this);
    m_tableChoice->setObjectName(QStringLiteral("RadioGroup1"));
    m_arrivals = new QRadioButton(QStringLiteral("Beszállitott"), m_tableChoice);
    m_arrivals->setObjectName(QStringLiteral("RadioButton1"));
    m_arrivals->setChecked(true);
    m_departures = new QRadioButton(QStringLiteral("Kiszállitott"), m_tableChoice);
    m_departures->setObjectName(QStringLiteral("RadioButton2"));
    auto* choices = new QHBoxLayout(m_tableChoice);
    choices->addWidget(m_arrivals);
    choices->addWidget(m_departures);

    m_order = new QLabel(QStringLiteral("A lista oszlopra klikk és lista sorrendje az oszlop szerint "), this);
    m_order->setObjectName(QStringLiteral("Label2"));

    m_list = new DBGrid(this);
    m_list->setObjectName(QStringLiteral("DBGrid1"));
    m_list->setDataSource(&Data->DS61);
    m_list->showAllFields();
    m_list->setAccessibleName(QStringLiteral("Keresés eredménye"));
    m_order->setBuddy(m_list);

    m_navigator = new DBNavigator(this);
    m_navigator->setObjectName(QStringLiteral("DBNavigator1"));
    m_navigator->setDataSource(&Data->DS61);
    m_navigator->setVisibleButtons(DBNavigator::First | DBNavigator::Prior | DBNavigator::Next | DBNavigator::Last |
                                   DBNavigator::Delete | DBNavigator::Edit | DBNavigator::Post | DBNavigator::Cancel |
                                   DBNavigator::Refresh);

    m_cancelButton = makeButton(this, QStringLiteral("Button6"), QStringLiteral("Mégsem"));

    auto* lay = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(m_earTagLabel);
    top->addWidget(m_earTag);
    top->addWidget(m_searchButton);
    top->addSpacing(16);
    top->addWidget(m_tableChoice);
    top->addStretch(1);
    lay->addLayout(top);
    lay->addWidget(m_order);
    lay->addWidget(m_list, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_navigator);
    bottom->addStretch(1);
    bottom->addWidget(m_cancelButton);
    lay->addLayout(bottom);

    setTabOrder(m_earTag, m_searchButton);
    setTabOrder(m_searchButton, m_arrivals);
    setTabOrder(m_arrivals, m_departures);
    setTabOrder(m_departures, m_list);
    setTabOrder(m_list, m_cancelButton);

    connect(m_searchButton, &QPushButton::clicked, this, &EarTagSearchDialog::search);
    connect(m_list, &DBGrid::titleClicked, this, &EarTagSearchDialog::sortByColumn);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    fixAndCentre(this, QSize(900, 560));
}

void EarTagSearchDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    m_earTag->setFocus(Qt::OtherFocusReason);
    QStringList lines = kArrivalList;
    lines << QStringLiteral("ORDER BY IDb");
    openList(lines);
}

EarTagSearchDialog::Table EarTagSearchDialog::chosenTable() const
{
    return m_departures->isChecked() ? Table::Departures : Table::Arrivals;
}

bool EarTagSearchDialog::openList(const QStringList& lines)
{
    try {
        Dataset& list = Data->ZQ61;
        list.close();
        list.setSql(lines);
        list.open();
        return true;
    } catch (const std::exception& e) {
        platform::showError(this, QString::fromStdString(e.what()));
        return false;
    }
}

void EarTagSearchDialog::search()
{
    // Bound as a parameter: whatever the field holds is only ever compared, never run.
    Data->ZQ61.setParamText(QStringLiteral("p0"), lookups::beginningPattern(m_earTag->text()));
    if (openList(chosenTable() == Table::Arrivals ? kArrivalSearch : kDepartureSearch))
        m_order->setText(kEarTagOrder);
}

void EarTagSearchDialog::sortByColumn(int position)
{
    for (const SortOrder& order : kSortOrders) {
        if (order.position != position)
            continue;
        const bool arrivals = chosenTable() == Table::Arrivals;
        QStringList lines = arrivals ? kArrivalList : kDepartureList;
        lines << (arrivals ? order.arrivalsOrder : order.departuresOrder);
        if (openList(lines))
            m_order->setText(arrivals ? order.arrivalsCaption : order.departuresCaption);
        return;
    }
}
