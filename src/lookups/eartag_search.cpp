#include "lookups/eartag_search.h"

#include "lookups/eartag_field.h"
#include "lookups/eartag_story.h"
#include "storage/session.h"
#include "ui/dbwidgets.h"
#include "ui/input.h"
#include "ui/layout.h"
#include "ui/platform.h"

#include <QAction>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

const QString kEarTagOrder = QStringLiteral("Lista sorrend: fülszám szerint");

// The titles a click sorts by, by their position in the grid: in the whole lists of both tables
// these are the ear tag, the date, the sender's (buyer's) name, the carrier's name and the row id.
struct SortOrder {
    int position;
    Arrivals::SearchOrder arrivalsOrder;
    QString arrivalsCaption;
    Departures::SearchOrder departuresOrder;
    QString departuresCaption;
};
const SortOrder kSortOrders[] = {
    {0, Arrivals::SearchOrder::ByEarTag, kEarTagOrder, Departures::SearchOrder::ByEarTag, kEarTagOrder},
    {1, Arrivals::SearchOrder::ByArrivalDate, QStringLiteral("Lista sorrend: beérkezés kelte szerint"),
     Departures::SearchOrder::ByDispatchDate, QStringLiteral("Lista sorrend: kiszállitás kelte szerint")},
    {2, Arrivals::SearchOrder::BySenderName, QStringLiteral("Lista sorrend: feladó neve szerint"),
     Departures::SearchOrder::ByBuyerName, QStringLiteral("Lista sorrend: vevö neve szerint")},
    {3, Arrivals::SearchOrder::ByCarrierName, QStringLiteral("Lista sorrend: szállitó neve szerint"),
     Departures::SearchOrder::ByCarrierName, QStringLiteral("Lista sorrend: szállitó neve szerint")},
    {9, Arrivals::SearchOrder::ByEntry, QStringLiteral("Lista sorrend: beviteli sorrend szerint"),
     Departures::SearchOrder::ByEntry, QStringLiteral("Lista sorrend: beviteli sorrend szerint")},
};

}  // namespace

EarTagSearchDialog::EarTagSearchDialog(Session& session, QWidget* parent)
    : QDialog(parent),
      m_session(session),
      m_rows(session.database(), QStringLiteral("earTagSearchRows")),
      m_rowsSource(m_rows, QStringLiteral("earTagSearchRowsSource"))
{
    setObjectName(QStringLiteral("earTagSearchDialog"));
    setWindowTitle(QStringLiteral("Keresés"));

    m_earTagLabel = new QLabel(QStringLiteral("Fülszám:"), this);
    m_earTagLabel->setObjectName(QStringLiteral("earTagEditLabel"));
    m_earTag = lookups::makeEarTagBeginningField(this, m_earTagLabel);
    m_searchButton = makeButton(this, QStringLiteral("searchButton"), QStringLiteral("Keresés"));

    m_tableChoice = new QGroupBox(QStringLiteral("Melyik?"), this);
    m_tableChoice->setObjectName(QStringLiteral("tableChoiceBox"));
    m_arrivals = new QRadioButton(QStringLiteral("Beszállitott"), m_tableChoice);
    m_arrivals->setObjectName(QStringLiteral("arrivalsRadio"));
    m_arrivals->setChecked(true);
    m_departures = new QRadioButton(QStringLiteral("Kiszállitott"), m_tableChoice);
    m_departures->setObjectName(QStringLiteral("departuresRadio"));
    auto* choices = new QHBoxLayout(m_tableChoice);
    choices->addWidget(m_arrivals);
    choices->addWidget(m_departures);

    m_order = new QLabel(QStringLiteral("A lista oszlopra klikk és lista sorrendje az oszlop szerint "), this);
    m_order->setObjectName(QStringLiteral("orderLabel"));

    m_list = new DBGrid(this);
    m_list->setObjectName(QStringLiteral("resultsGrid"));
    m_list->setDataSource(&m_rowsSource);
    m_list->showAllFields();
    m_list->setAccessibleName(QStringLiteral("Keresés eredménye"));
    m_order->setBuddy(m_list);

    m_navigator = new DBNavigator(this);
    m_navigator->setObjectName(QStringLiteral("resultsNavigator"));
    m_navigator->setDataSource(&m_rowsSource);
    m_navigator->setVisibleButtons(DBNavigator::First | DBNavigator::Prior | DBNavigator::Next | DBNavigator::Last |
                                   DBNavigator::Delete | DBNavigator::Edit | DBNavigator::Post | DBNavigator::Cancel |
                                   DBNavigator::Refresh);

    QAction* story = lookups::addEarTagStoryAction(session, m_list);
    m_storyButton = makeButton(this, QStringLiteral("earTagStoryButton"), story->text());
    m_storyButton->setEnabled(story->isEnabled());
    connect(story, &QAction::changed, m_storyButton, [this, story] { m_storyButton->setEnabled(story->isEnabled()); });
    connect(m_storyButton, &QPushButton::clicked, story, &QAction::trigger);

    m_cancelButton = makeButton(this, QStringLiteral("cancelButton"), QStringLiteral("Mégsem"));

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
    bottom->addWidget(m_storyButton);
    bottom->addWidget(m_cancelButton);
    lay->addLayout(bottom);

    setTabOrder(m_earTag, m_searchButton);
    setTabOrder(m_searchButton, m_arrivals);
    setTabOrder(m_arrivals, m_departures);
    setTabOrder(m_departures, m_list);
    setTabOrder(m_list, m_storyButton);
    setTabOrder(m_storyButton, m_cancelButton);

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
    openList([this] { m_session.arrivals().openSearchList(m_rows, Arrivals::SearchOrder::ByEntry); });
}

EarTagSearchDialog::Table EarTagSearchDialog::chosenTable() const
{
    return m_departures->isChecked() ? Table::Departures : Table::Arrivals;
}

bool EarTagSearchDialog::openList(const std::function<void()>& open)
{
    try {
        open();
        return true;
    } catch (const std::exception& e) {
        platform::showError(this, e);
        return false;
    }
}

void EarTagSearchDialog::search()
{
    // Bound as a parameter: whatever the field holds is only ever compared, never run.
    const QString beginning = m_earTag->text();
    const bool opened = chosenTable() == Table::Arrivals
                            ? openList([&] { m_session.arrivals().openEarTagSearch(m_rows, beginning); })
                            : openList([&] { m_session.departures().openEarTagSearch(m_rows, beginning); });
    if (opened)
        m_order->setText(kEarTagOrder);
}

void EarTagSearchDialog::sortByColumn(int position)
{
    for (const SortOrder& order : kSortOrders) {
        if (order.position != position)
            continue;
        if (chosenTable() == Table::Arrivals) {
            if (openList([&] { m_session.arrivals().openSearchList(m_rows, order.arrivalsOrder); }))
                m_order->setText(order.arrivalsCaption);
        } else {
            if (openList([&] { m_session.departures().openSearchList(m_rows, order.departuresOrder); }))
                m_order->setText(order.departuresCaption);
        }
        return;
    }
}
