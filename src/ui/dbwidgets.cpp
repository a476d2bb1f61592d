#include "ui/dbwidgets.h"

#include "core/dataset.h"
#include "core/domain.h"
#include "ui/grid_export.h"
#include "ui/layout.h"
#include "ui/platform.h"

#include <QAction>
#include <QGridLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QTimer>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QToolTip>

#include <algorithm>

// ---------------------------------------------------------------- DatasetModel

DatasetModel::DatasetModel(QObject* parent) : QAbstractTableModel(parent) {}

void DatasetModel::setDataset(Dataset* dataset)
{
    for (auto& c : m_conns)
        disconnect(c);
    m_conns.clear();
    m_dataset = dataset;
    m_table = qobject_cast<TableDataset*>(dataset);
    if (dataset) {
        m_conns.push_back(connect(dataset, &Dataset::opened, this, &DatasetModel::reset));
        m_conns.push_back(connect(dataset, &Dataset::closed, this, &DatasetModel::reset));
        m_conns.push_back(connect(dataset, &Dataset::rowsFetched, this, &DatasetModel::onRowsFetched));
        m_conns.push_back(connect(dataset, &Dataset::rowsPrepended, this, &DatasetModel::onRowsPrepended));
        m_conns.push_back(connect(dataset, &Dataset::rowsReset, this, &DatasetModel::reset));
        m_conns.push_back(connect(dataset, &Dataset::rowInserted, this, &DatasetModel::onRowInserted));
        m_conns.push_back(connect(dataset, &Dataset::rowRemoved, this, &DatasetModel::onRowRemoved));
        m_conns.push_back(connect(dataset, &Dataset::rowChanged, this, &DatasetModel::onRowChanged));
    }
    if (m_table) {
        // The unsaved row's mark, and whether cells may be edited at all.
        m_conns.push_back(connect(m_table, &TableDataset::stateChanged, this, [this] {
            if (m_rows > 0)
                emit headerDataChanged(Qt::Vertical, 0, m_rows - 1);
        }));
    }
    reset();
}

void DatasetModel::setColumns(const std::vector<GridColumn>& columns)
{
    beginResetModel();
    m_allFields = false;
    m_columns = columns;
    resolveFields();
    endResetModel();
}

void DatasetModel::setAllFields(bool allFields)
{
    m_allFields = allFields;
    reset();
}

int DatasetModel::fieldOf(int column) const
{
    return column >= 0 && column < static_cast<int>(m_fieldIndex.size()) ? m_fieldIndex[static_cast<size_t>(column)] : -1;
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
    // A closed set keeps the columns it had, so a grid does not lose its layout on every reopening.
    if (m_allFields && m_dataset && m_dataset->active()) {
        std::vector<GridColumn> columns;
        for (const QString& f : m_dataset->fieldNames())
            columns.push_back({f, f});
        const bool changed =
            columns.size() != m_columns.size() ||
            !std::equal(columns.begin(), columns.end(), m_columns.begin(),
                        [](const GridColumn& a, const GridColumn& b) { return a.field == b.field; });
        if (changed)
            m_columns = columns;
    }
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

void DatasetModel::onRowsPrepended(int count)
{
    beginInsertRows({}, 0, count - 1);
    m_rows += count;
    endInsertRows();
    emit rowsFetchedAbove(count);
}

void DatasetModel::onRowInserted(int row)
{
    beginInsertRows({}, row, row);
    ++m_rows;
    endInsertRows();
}

void DatasetModel::onRowRemoved(int row)
{
    if (row >= m_rows)
        return;
    beginRemoveRows({}, row, row);
    --m_rows;
    endRemoveRows();
}

void DatasetModel::onRowChanged(int row)
{
    if (row >= m_rows || m_columns.empty())
        return;
    emit dataChanged(index(row, 0), index(row, static_cast<int>(m_columns.size()) - 1));
    emit headerDataChanged(Qt::Vertical, row, row);
}

int DatasetModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_rows; }
int DatasetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const
{
    if ((role != Qt::DisplayRole && role != Qt::EditRole) || !m_dataset || !index.isValid())
        return {};
    const int field = fieldOf(index.column());
    if (field < 0)
        return QString();
    return m_table ? m_table->shownText(index.row(), field) : m_dataset->cellText(index.row(), field);
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal && section >= 0 && section < static_cast<int>(m_columns.size()))
        return m_columns[static_cast<size_t>(section)].title;
    // The unsaved row is marked: "*" a new one, "✎" a changed one.
    if (orientation == Qt::Vertical && m_table && section == m_table->unsavedRow())
        return m_table->state() == TableDataset::State::Insert ? QStringLiteral("*") : QStringLiteral("✎");
    if (orientation == Qt::Vertical)
        return QString();
    return {};
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (m_table && m_table->canModify() && fieldOf(index.column()) >= 0)
        f |= Qt::ItemIsEditable;
    return f;
}

bool DatasetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const int field = fieldOf(index.column());
    if (role != Qt::EditRole || !m_table || !index.isValid() || field < 0)
        return false;
    const QString text = value.toString();
    if (text == m_table->shownText(index.row(), field))
        return true;  // nothing changed: the row stays as it is
    try {
        if (!m_table->hasUnsavedRow()) {
            m_table->moveTo(index.row());
            m_table->edit();
        }
        if (m_table->unsavedRow() != index.row())
            return false;
        m_table->setEditText(field, text);
        return true;
    } catch (const fb::Error&) {
        return false;
    }
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

DBGrid::DBGrid(QWidget* parent)
    : QTableView(parent), m_model(new DatasetModel(this)), m_exportAction(new QAction(QStringLiteral("Exportálás…"), this))
{
    setModel(m_model);
    m_exportAction->setObjectName(QStringLiteral("exportAction"));
    m_exportAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    // Only the grid with the focus: a window with two grids exports the one the person is in.
    m_exportAction->setShortcutContext(Qt::WidgetShortcut);
    m_exportAction->setEnabled(false);
    addAction(m_exportAction);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(m_exportAction, &QAction::triggered, this, [this] { gridexport::exportGrid(this); });
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->hide();
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &DBGrid::titleClicked);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, &DBGrid::onCurrentRowChanged);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        if (m_model->dataset())
            followDataset(m_model->dataset()->recNo());
        updateEditing();
        fetchAboveWhenAtTop();
    });
    connect(m_model, &DatasetModel::rowsFetchedAbove, this, &DBGrid::keepRowsInView);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &DBGrid::fetchAboveWhenAtTop);
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, &DBGrid::fetchAboveWhenAtTop);
    // Columns sized to titles and values, the last one taking the rest.
    horizontalHeader()->setStretchLastSection(true);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { scheduleFit(false); });
    connect(m_model, &QAbstractItemModel::rowsInserted, this, [this] { scheduleFit(true); });
    connect(m_model, &QAbstractItemModel::dataChanged, this, [this] { scheduleFit(true); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { scheduleFit(true); });
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int) {
        // By hand: that column keeps the user's width from now on.
        if (!m_sizing && column < m_model->columnCount() - 1)
            m_userSized.insert(m_model->columns()[static_cast<size_t>(column)].field.toUpper());
    });
}

void DBGrid::showEvent(QShowEvent* event)
{
    QTableView::showEvent(event);
    scheduleFit(false);
}

bool DBGrid::viewportEvent(QEvent* event)
{
    // A value cut by its column is shown whole as the cell's tooltip.
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        if (index.isValid() && sizeHintForIndex(index).width() > visualRect(index).width()) {
            QToolTip::showText(help->globalPos(), m_model->data(index, Qt::DisplayRole).toString(), viewport(),
                               visualRect(index));
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QTableView::viewportEvent(event);
}

void DBGrid::scheduleFit(bool grow)
{
    m_fitGrowOnly = m_fitGrowOnly && grow;
    if (m_fitPending)
        return;
    m_fitPending = true;
    QTimer::singleShot(0, this, &DBGrid::fitColumns);
}

void DBGrid::fitColumns()
{
    m_fitPending = false;
    const bool growOnly = m_fitGrowOnly;
    m_fitGrowOnly = true;
    Dataset* ds = m_model->dataset();
    const int columns = m_model->columnCount();
    if (columns == 0)
        return;
    // A closed set keeps its columns as they were until it shows rows again; one never open yet
    // has them as wide as their titles.
    const bool open = ds && ds->active();
    if (!open && m_fittedOnce)
        return;
    m_fittedOnce = m_fittedOnce || open;
    fillViewport();
    // The rows in sight, or before the grid is laid out a screenful from the top: never more than
    // were fetched.
    const int rows = open ? m_model->rowCount() : 0;
    int first = std::max(0, rowAt(0));
    int last = rowAt(viewport()->height() - 1);
    if (!isVisible() || last < 0)
        last = std::min(rows, first + 50) - 1;
    m_sizing = true;
    for (int c = 0; c < columns; ++c) {
        if (m_userSized.contains(m_model->columns()[static_cast<size_t>(c)].field.toUpper()))
            continue;
        const int width = fittedWidth(c, first, last);
        if (!growOnly || width > columnWidth(c))
            setColumnWidth(c, width);
    }
    m_sizing = false;
}

void DBGrid::fillViewport()
{
    // The view asks for more rows on some of its own events only (not always when it is shown on a
    // page of tabs): the rows in sight are fetched here, no more.
    if (!isVisible())
        return;
    while (m_model->canFetchMore({})) {
        const int rows = m_model->rowCount();
        if (rows > 0 && visualRect(m_model->index(rows - 1, 0)).bottom() >= viewport()->height())
            break;
        m_model->fetchMore({});
        if (m_model->rowCount() == rows)
            break;
    }
}

int DBGrid::fittedWidth(int column, int firstRow, int lastRow) const
{
    const QFontMetrics fm = fontMetrics();
    // What a cell adds around its text: the style's margins and the grid line.
    const int padding = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 2;
    const int title = horizontalHeader()->sectionSizeHint(column);
    int least = std::max(title, fm.horizontalAdvance(QString(4, u'0')) + padding);
    const int field = m_model->fieldOf(column);
    if (field >= 0) {
        const fb::Columns::Column& col = m_model->dataset()->columns().at(field);
        // An ear tag is never cut: room for the longest one the column holds, in digits.
        if (domain::isEarTagColumn(col.name) && col.length > 0)
            least = std::max(least, fm.horizontalAdvance(QString(static_cast<int>(col.length), u'8')) + padding);
    }
    const int most = std::max(least, fm.averageCharWidth() * 40 + padding);
    int values = 0;
    for (int r = firstRow; r <= lastRow; ++r)
        values = std::max(values, sizeHintForIndex(m_model->index(r, column)).width());
    // The item's own hint leaves out the grid line, which the cell gives up to it.
    if (values > 0)
        values += 3;
    return std::clamp(values, least, most);
}

void DBGrid::fetchAboveWhenAtTop()
{
    // Checked once the view has settled: a scroll in progress may still move the top.
    if (m_fetchAboveScheduled)
        return;
    m_fetchAboveScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_fetchAboveScheduled = false;
        Dataset* ds = m_model->dataset();
        const QScrollBar* bar = verticalScrollBar();
        if (ds && ds->active() && !ds->startsAtTop() && bar->value() <= bar->minimum())
            ds->fetchBefore(100);
    });
}

void DBGrid::keepRowsInView(int inserted)
{
    updateGeometries();
    const int shift = verticalScrollMode() == ScrollPerItem ? inserted : verticalHeader()->sectionPosition(inserted);
    verticalScrollBar()->setValue(verticalScrollBar()->value() + shift);
}

void DBGrid::setDataSource(DataSource* source)
{
    for (auto& c : m_datasetConns)
        disconnect(c);
    m_datasetConns.clear();
    Dataset* ds = source ? &source->dataset() : nullptr;
    m_model->setDataset(ds);
    if (ds) {
        m_datasetConns.push_back(connect(ds, &Dataset::currentChanged, this, &DBGrid::followDataset));
        m_datasetConns.push_back(connect(ds, &Dataset::opened, this, &DBGrid::updateExportAction));
        m_datasetConns.push_back(connect(ds, &Dataset::closed, this, &DBGrid::updateExportAction));
    }
    updateExportAction();
    if (TableDataset* t = m_model->table()) {
        m_datasetConns.push_back(connect(t, &TableDataset::stateChanged, this, &DBGrid::updateEditing));
        // Room for the unsaved row's mark.
        verticalHeader()->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("✎")) + 10);
        verticalHeader()->show();
    }
    updateEditing();
}

void DBGrid::updateExportAction()
{
    const Dataset* ds = m_model->dataset();
    m_exportAction->setEnabled(ds && ds->active());
}

void DBGrid::setColumns(const std::vector<GridColumn>& columns)
{
    m_userSized.clear();
    m_model->setColumns(columns);
}

void DBGrid::showAllFields()
{
    m_model->setAllFields(true);
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
        // Rows just replaced are laid out first: the view scrolls to its new current row at once,
        // and by the old extent it would stop short of it (and, at the old end, ask for more rows).
        executeDelayedItemsLayout();
        selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(idx);
    }
    m_syncing = false;
}

void DBGrid::onCurrentRowChanged(const QModelIndex& current)
{
    if (m_syncing || !current.isValid() || !m_model->dataset())
        return;
    TableDataset* t = m_model->table();
    if (t && t->hasUnsavedRow() && current.row() != t->unsavedRow()) {
        // The row is saved once the click or key that left it is done (a box shown in the middle
        // of the view's own handling would leave its selection half made).
        const bool scheduled = m_pendingRow >= 0;
        m_pendingRow = current.row();
        if (!scheduled)
            QTimer::singleShot(0, this, &DBGrid::leaveUnsavedRow);
        return;
    }
    m_syncing = true;
    m_model->dataset()->moveTo(current.row());
    m_syncing = false;
}

void DBGrid::leaveUnsavedRow()
{
    const int target = m_pendingRow;
    m_pendingRow = -1;
    TableDataset* t = m_model->table();
    if (!t || target < 0)
        return;
    if (tableedit::saveRow(this, *t)) {
        if (t->active())
            t->moveTo(std::min(target, m_model->rowCount() - 1));
    } else {
        followDataset(t->unsavedRow());
    }
}

void DBGrid::updateEditing()
{
    TableDataset* t = m_model->table();
    setEditTriggers(t && t->canModify() ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                              QAbstractItemView::AnyKeyPressed
                                        : QAbstractItemView::NoEditTriggers);
}

bool DBGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    TableDataset* t = m_model->table();
    // Another row is saved first, when the grid leaves it.
    if (t && index.isValid() && t->hasUnsavedRow() && index.row() != t->unsavedRow())
        return false;
    const bool opened = QTableView::edit(index, trigger, event);
    if (opened && t && !t->hasUnsavedRow()) {
        // An open cell editor makes its row unsaved at once: nothing may close the table under it.
        try {
            t->moveTo(index.row());
            t->edit();
        } catch (const fb::Error&) {
        }
    }
    return opened;
}

void DBGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTableView::closeEditor(editor, hint);
    // A cell opened and left without a change leaves nothing unsaved behind.
    TableDataset* t = m_model->table();
    if (t && t->state() == TableDataset::State::Edit && !t->isModified() &&
        state() != QAbstractItemView::EditingState)
        t->cancel();
}

void DBGrid::keyPressEvent(QKeyEvent* event)
{
    // Ctrl+Home goes to the first row of the list, also when the rows fetched begin further down.
    if (event->key() == Qt::Key_Home && (event->modifiers() & Qt::ControlModifier)) {
        if (Dataset* ds = m_model->dataset(); ds && ds->active() && !ds->startsAtTop()) {
            ds->first();
            return;
        }
    }
    TableDataset* t = m_model->table();
    if (t && t->canModify() && state() != QAbstractItemView::EditingState) {
        const int key = event->key();
        const auto mods = event->modifiers() & ~Qt::KeypadModifier;
        if (key == Qt::Key_Escape && t->hasUnsavedRow()) {
            t->cancel();
            return;
        }
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && t->hasUnsavedRow()) {
            tableedit::saveRow(this, *t);
            return;
        }
        if (key == Qt::Key_Insert && mods == Qt::NoModifier) {
            tableedit::insertRow(this, *t);
            return;
        }
        if (key == Qt::Key_Delete && mods == Qt::ControlModifier) {
            tableedit::deleteRow(this, *t);
            return;
        }
    }
    QTableView::keyPressEvent(event);
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
    m_insert = make(QStringLiteral("+"), QStringLiteral("nbInsert"), QStringLiteral("Új sor"));
    m_delete = make(QStringLiteral("−"), QStringLiteral("nbDelete"), QStringLiteral("Sor törlése"));
    m_edit = make(QStringLiteral("▲"), QStringLiteral("nbEdit"), QStringLiteral("Sor módosítása"));
    m_post = make(QStringLiteral("✔"), QStringLiteral("nbPost"), QStringLiteral("Sor mentése"));
    m_cancel = make(QStringLiteral("✘"), QStringLiteral("nbCancel"), QStringLiteral("Változás elvetése"));
    m_refresh = make(QStringLiteral("↻"), QStringLiteral("nbRefresh"), QStringLiteral("Frissítés"));
    connect(m_first, &QPushButton::clicked, this, [this] { move(&Dataset::first); });
    connect(m_prior, &QPushButton::clicked, this, [this] { move(&Dataset::prior); });
    connect(m_next, &QPushButton::clicked, this, [this] { move(&Dataset::next); });
    connect(m_last, &QPushButton::clicked, this, [this] { move(&Dataset::last); });
    connect(m_insert, &QPushButton::clicked, this, [this] {
        if (TableDataset* t = table())
            tableedit::insertRow(window(), *t);
    });
    connect(m_delete, &QPushButton::clicked, this, [this] {
        if (TableDataset* t = table())
            tableedit::deleteRow(window(), *t);
    });
    connect(m_edit, &QPushButton::clicked, this, [this] {
        if (TableDataset* t = table())
            tableedit::editRow(window(), *t);
    });
    connect(m_post, &QPushButton::clicked, this, [this] {
        if (TableDataset* t = table())
            tableedit::saveRow(window(), *t);
    });
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        if (TableDataset* t = table())
            t->cancel();
    });
    connect(m_refresh, &QPushButton::clicked, this, [this] {
        if (TableDataset* t = table())
            tableedit::refresh(window(), *t);
        else if (m_dataset)
            rereadQuery();
    });
    setVisibleButtons(First | Prior | Next | Last);
    updateButtons();
}

void DBNavigator::setDataSource(DataSource* source)
{
    for (auto& c : m_conns)
        disconnect(c);
    m_conns.clear();
    m_dataset = source ? &source->dataset() : nullptr;
    if (m_dataset) {
        m_conns.push_back(connect(m_dataset, &Dataset::opened, this, &DBNavigator::updateButtons));
        m_conns.push_back(connect(m_dataset, &Dataset::closed, this, &DBNavigator::updateButtons));
        m_conns.push_back(connect(m_dataset, &Dataset::currentChanged, this, &DBNavigator::updateButtons));
    }
    if (TableDataset* t = table())
        m_conns.push_back(connect(t, &TableDataset::stateChanged, this, &DBNavigator::updateButtons));
    updateButtons();
}

TableDataset* DBNavigator::table() const { return qobject_cast<TableDataset*>(m_dataset.data()); }

void DBNavigator::move(void (Dataset::*step)())
{
    if (!m_dataset)
        return;
    if (TableDataset* t = table(); t && !tableedit::saveRow(window(), *t))
        return;
    (m_dataset->*step)();
}

void DBNavigator::updateButtons()
{
    TableDataset* t = table();
    const bool canModify = t && t->canModify();
    const bool unsaved = t && t->hasUnsavedRow();
    const bool hasRow = m_dataset && m_dataset->active() && m_dataset->recNo() >= 0;
    m_insert->setEnabled(canModify);
    m_delete->setEnabled(canModify && hasRow);
    m_edit->setEnabled(canModify && !unsaved);
    m_post->setEnabled(canModify && unsaved);
    m_cancel->setEnabled(canModify && unsaved);
    m_refresh->setEnabled(m_dataset && m_dataset->active() && !unsaved);
}

void DBNavigator::rereadQuery()
{
    // The statement runs again with its parameters; the list stays on the same row number.
    Dataset& q = *m_dataset;
    const int row = q.recNo();
    try {
        q.close();
        q.open();
        if (row > 0 && !q.moveTo(row))
            q.last();
    } catch (const std::exception& e) {
        platform::showError(window(), e);
    }
}

void DBNavigator::setVisibleButtons(Buttons buttons)
{
    for (int b = First; b <= Refresh; b <<= 1) {
        QPushButton* pb = button(static_cast<Button>(b));
        const bool shown = buttons.testFlag(static_cast<Button>(b));
        pb->setVisible(shown);
        // A button not shown is no stop of the focus chain either.
        pb->setFocusPolicy(shown ? Qt::TabFocus : Qt::NoFocus);
    }
}

QPushButton* DBNavigator::button(Button b) const
{
    switch (b) {
    case First: return m_first;
    case Prior: return m_prior;
    case Next: return m_next;
    case Last: return m_last;
    case Insert: return m_insert;
    case Delete: return m_delete;
    case Edit: return m_edit;
    case Post: return m_post;
    case Cancel: return m_cancel;
    case Refresh: return m_refresh;
    }
    return nullptr;
}

// ---------------------------------------------------------------- tableedit

namespace tableedit {

namespace {
// Runs step; whatever it throws is shown over parent. True when it went through.
template <typename Step>
bool attempt(QWidget* parent, Step&& step)
{
    try {
        step();
        return true;
    } catch (const fb::Error& e) {
        platform::showMessage(parent, e.message());
    } catch (const std::exception& e) {
        platform::showMessage(parent, platform::errorText(e));
    }
    return false;
}
}  // namespace

void openTables(QWidget* parent, const std::vector<TableDataset*>& tables)
{
    attempt(parent, [&] {
        for (TableDataset* t : tables)
            t->open();
    });
}

bool saveRow(QWidget* parent, TableDataset& table)
{
    return !table.hasUnsavedRow() || attempt(parent, [&] { table.post(); });
}

bool saveRows(QWidget* parent, const std::vector<TableDataset*>& tables, TableDataset** refused)
{
    for (TableDataset* t : tables) {
        if (!saveRow(parent, *t)) {
            if (refused)
                *refused = t;
            return false;
        }
    }
    return true;
}

void insertRow(QWidget* parent, TableDataset& table)
{
    if (saveRow(parent, table))
        attempt(parent, [&] { table.insert(); });
}

void editRow(QWidget* parent, TableDataset& table)
{
    attempt(parent, [&] { table.edit(); });
}

void deleteRow(QWidget* parent, TableDataset& table)
{
    if (!table.active() || (table.recNo() < 0 && !table.hasUnsavedRow()))
        return;
    if (platform::askYesNo(parent, QStringLiteral("Törli a sort?")))
        attempt(parent, [&] { table.deleteCurrent(); });
}

void refresh(QWidget* parent, TableDataset& table)
{
    attempt(parent, [&] { table.refresh(); });
}

}  // namespace tableedit

// ---------------------------------------------------------------- DBText

DBText::DBText(QWidget* parent) : QLabel(parent)
{
    // A value from the database is never markup.
    setTextFormat(Qt::PlainText);
}

bool DBText::isCut() const { return fontMetrics().horizontalAdvance(text()) > contentsRect().width(); }

void DBText::setNeverCut(bool neverCut)
{
    m_neverCut = neverCut;
    if (neverCut)
        setMinimumWidth(0);  // a fixed minimum would stand before the value's own width
    updateGeometry();
}

QSize DBText::minimumSizeHint() const { return m_neverCut ? sizeHint() : QLabel::minimumSizeHint(); }

void DBText::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect area = contentsRect();
    style()->drawItemText(&painter, area, static_cast<int>(QStyle::visualAlignment(layoutDirection(), alignment())),
                          palette(), isEnabled(), fontMetrics().elidedText(text(), Qt::ElideRight, area.width()),
                          foregroundRole());
}

void DBText::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    updateToolTip();
}

void DBText::updateToolTip() { setToolTip(isCut() ? text() : QString()); }

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
    if (!m_dataset || !m_dataset->active() || !m_dataset->hasField(m_field))
        setText(QString());
    else
        setText(m_dataset->fieldText(m_field));
    updateToolTip();
}

// ---------------------------------------------------------------- list screens

DBGrid* makeListGrid(QWidget* parent, const QString& name, DataSource* source, const std::vector<GridColumn>& columns)
{
    auto* grid = new DBGrid(parent);
    grid->setObjectName(name);
    grid->setDataSource(source);
    grid->setColumns(columns);
    return grid;
}

DBNavigator* makeListNavigator(QWidget* parent, const QString& name, DataSource* source)
{
    auto* navigator = new DBNavigator(parent);
    navigator->setObjectName(name);
    navigator->setDataSource(source);
    navigator->setVisibleButtons(DBNavigator::First | DBNavigator::Prior | DBNavigator::Next | DBNavigator::Last);
    return navigator;
}

// ---------------------------------------------------------------- detail panels

QString fieldTextName(const QString& field) { return field.toLower() + QStringLiteral("Text"); }

QGroupBox* buildDetailPanel(QWidget* parent, const QString& name, const QString& title, DataSource* source,
                            const std::vector<PanelLine>& lines, int* textNumber, std::vector<DBText*>* texts)
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
            text->setObjectName(textNumber ? QStringLiteral("DBText%1").arg((*textNumber)++) : fieldTextName(field));
            text->setProperty("field", field);
            // The value is the text's accessible name; the caption says what it is (and labels
            // the line's first text as its buddy).
            text->setAccessibleDescription(line.caption);
            text->setMinimumWidth(40);
            text->setNeverCut(domain::isEarTagColumn(field));
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
