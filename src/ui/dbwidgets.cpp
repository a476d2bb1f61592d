#include "ui/dbwidgets.h"

#include "core/dataset.h"
#include "ui/layout.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>

// ---------------------------------------------------------------- DatasetModel

DatasetModel::DatasetModel(QObject* parent) : QAbstractTableModel(parent) {}

void DatasetModel::setDataset(Dataset* dataset)
{
    for (auto& c : m_conns)
        disconnect(c);
    m_conns.clear();
    m_dataset = dataset;
    if (dataset) {
        m_conns.push_back(connect(dataset, &Dataset::opened, this, &DatasetModel::reset));
        m_conns.push_back(connect(dataset, &Dataset::closed, this, &DatasetModel::reset));
        m_conns.push_back(connect(dataset, &Dataset::rowsFetched, this, &DatasetModel::onRowsFetched));
    }
    reset();
}

void DatasetModel::setColumns(const std::vector<GridColumn>& columns)
{
    beginResetModel();
    m_columns = columns;
    resolveFields();
    endResetModel();
}

void DatasetModel::resolveFields()
{
    m_fieldIndex.clear();
    for (const auto& c : m_columns)
        m_fieldIndex.push_back(m_dataset && m_dataset->active() ? m_dataset->fieldIndex(c.field) : -1);
}

void DatasetModel::reset()
{
    beginResetModel();
    m_rows = m_dataset && m_dataset->active() ? m_dataset->fetchedCount() : 0;
    resolveFields();
    endResetModel();
}

void DatasetModel::onRowsFetched(int first, int last)
{
    if (last < m_rows)
        return;
    beginInsertRows({}, m_rows, last);
    m_rows = last + 1;
    endInsertRows();
}

int DatasetModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_rows; }
int DatasetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !m_dataset || !index.isValid())
        return {};
    const int field = m_fieldIndex[static_cast<size_t>(index.column())];
    if (field < 0)
        return QString();
    return m_dataset->cellText(index.row(), field);
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal && section >= 0 && section < static_cast<int>(m_columns.size()))
        return m_columns[static_cast<size_t>(section)].title;
    return {};
}

bool DatasetModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && m_dataset && m_dataset->active() && !m_dataset->allFetched();
}

void DatasetModel::fetchMore(const QModelIndex& parent)
{
    if (canFetchMore(parent))
        m_dataset->fetchMore(100);
}

// ---------------------------------------------------------------- DBGrid

DBGrid::DBGrid(QWidget* parent) : QTableView(parent), m_model(new DatasetModel(this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->hide();
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &DBGrid::titleClicked);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (m_syncing || !current.isValid() || !m_model->dataset())
                    return;
                m_syncing = true;
                m_model->dataset()->moveTo(current.row());
                m_syncing = false;
            });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        if (m_model->dataset())
            followDataset(m_model->dataset()->recNo());
    });
}

void DBGrid::setDataSource(DataSource* source)
{
    disconnect(m_currentConn);
    Dataset* ds = source ? &source->dataset() : nullptr;
    m_model->setDataset(ds);
    if (ds)
        m_currentConn = connect(ds, &Dataset::currentChanged, this, &DBGrid::followDataset);
}

void DBGrid::setColumns(const std::vector<GridColumn>& columns)
{
    m_model->setColumns(columns);
}

QStringList DBGrid::titles() const
{
    QStringList out;
    for (const auto& c : m_model->columns())
        out << c.title;
    return out;
}

void DBGrid::followDataset(int row)
{
    if (m_syncing)
        return;
    m_syncing = true;
    if (row < 0) {
        selectionModel()->clearSelection();
    } else if (row < m_model->rowCount()) {
        const QModelIndex idx = m_model->index(row, std::max(0, currentIndex().column()));
        selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(idx);
    }
    m_syncing = false;
}

// ---------------------------------------------------------------- DBNavigator

DBNavigator::DBNavigator(QWidget* parent) : QWidget(parent)
{
    auto* lay = new QHBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    auto make = [this, lay](const QString& text, const QString& name, const QString& tip) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setToolTip(tip);
        b->setAccessibleName(tip);
        b->setFocusPolicy(Qt::TabFocus);
        b->setFixedWidth(32);
        lay->addWidget(b);
        return b;
    };
    m_first = make(QStringLiteral("|◀"), QStringLiteral("nbFirst"), QStringLiteral("Első"));
    m_prior = make(QStringLiteral("◀"), QStringLiteral("nbPrior"), QStringLiteral("Előző"));
    m_next = make(QStringLiteral("▶"), QStringLiteral("nbNext"), QStringLiteral("Következő"));
    m_last = make(QStringLiteral("▶|"), QStringLiteral("nbLast"), QStringLiteral("Utolsó"));
    connect(m_first, &QPushButton::clicked, this, [this] { if (m_dataset) m_dataset->first(); });
    connect(m_prior, &QPushButton::clicked, this, [this] { if (m_dataset) m_dataset->prior(); });
    connect(m_next, &QPushButton::clicked, this, [this] { if (m_dataset) m_dataset->next(); });
    connect(m_last, &QPushButton::clicked, this, [this] { if (m_dataset) m_dataset->last(); });
}

void DBNavigator::setDataSource(DataSource* source) { m_dataset = source ? &source->dataset() : nullptr; }

void DBNavigator::setVisibleButtons(Buttons buttons)
{
    m_first->setVisible(buttons.testFlag(First));
    m_prior->setVisible(buttons.testFlag(Prior));
    m_next->setVisible(buttons.testFlag(Next));
    m_last->setVisible(buttons.testFlag(Last));
}

QPushButton* DBNavigator::button(Button b) const
{
    switch (b) {
    case First: return m_first;
    case Prior: return m_prior;
    case Next: return m_next;
    case Last: return m_last;
    }
    return nullptr;
}

// ---------------------------------------------------------------- DBText

DBText::DBText(QWidget* parent) : QLabel(parent) { setTextInteractionFlags(Qt::TextSelectableByMouse); }

void DBText::bind(DataSource* source, const QString& field)
{
    for (auto& c : m_conns)
        disconnect(c);
    m_conns.clear();
    m_dataset = source ? &source->dataset() : nullptr;
    m_field = field;
    if (m_dataset) {
        m_conns.push_back(connect(m_dataset, &Dataset::currentChanged, this, &DBText::refresh));
        m_conns.push_back(connect(m_dataset, &Dataset::closed, this, &DBText::refresh));
    }
    refresh();
}

void DBText::refresh()
{
    if (!m_dataset || !m_dataset->active() || !m_dataset->hasField(m_field)) {
        setText(QString());
        return;
    }
    setText(m_dataset->fieldText(m_field));
}

// ---------------------------------------------------------------- list screens

DBGrid* makeListGrid(QWidget* parent, DataSource* source, const std::vector<GridColumn>& columns)
{
    auto* grid = new DBGrid(parent);
    grid->setObjectName(QStringLiteral("DBGrid1"));
    grid->setDataSource(source);
    grid->setColumns(columns);
    return grid;
}

DBNavigator* makeListNavigator(QWidget* parent, DataSource* source)
{
    auto* navigator = new DBNavigator(parent);
    navigator->setObjectName(QStringLiteral("DBNavigator1"));
    navigator->setDataSource(source);
    navigator->setVisibleButtons(DBNavigator::First | DBNavigator::Prior | DBNavigator::Next | DBNavigator::Last);
    return navigator;
}

// ---------------------------------------------------------------- detail panels

QGroupBox* buildDetailPanel(QWidget* parent, const QString& name, const QString& title, DataSource* source,
                            const std::vector<PanelLine>& lines, int& textNumber, std::vector<DBText*>* texts)
{
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(name);
    auto* grid = new QGridLayout(box);
    int row = 0;
    for (const PanelLine& line : lines) {
        Q_ASSERT(!line.fields.isEmpty());
        auto* values = new QHBoxLayout;
        DBText* first = nullptr;
        for (const QString& field : line.fields) {
            auto* text = new DBText(box);
            text->setObjectName(QStringLiteral("DBText%1").arg(textNumber++));
            text->setProperty("field", field);
            // A label is no focus target, so the caption is announced through the accessible name.
            text->setAccessibleName(line.caption);
            text->setMinimumWidth(40);
            text->bind(source, field);
            values->addWidget(text);
            if (!first)
                first = text;
            if (texts)
                texts->push_back(text);
        }
        values->addStretch(1);
        grid->addWidget(buddyLabel(line.caption, first), row, 0);
        grid->addLayout(values, row, 1);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    return box;
}
