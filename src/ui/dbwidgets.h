#pragma once

#include "core/dataset.h"

#include <QAbstractTableModel>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QSet>
#include <QTableView>
#include <QWidget>

#include <vector>

class QAction;
class QPushButton;

// One column of a grid: the field it shows and its title.
struct GridColumn {
    QString field;
    QString title;
};

// Table model over a dataset, fetching rows as the view scrolls. Over a writable table dataset the
// cells are editable and show what was typed into the unsaved row.
class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    DatasetModel(QObject* parent = nullptr);
    void setDataset(Dataset* dataset);
    Dataset* dataset() const { return m_dataset; }
    // The dataset when it is a table dataset, else null.
    TableDataset* table() const { return m_table; }
    void setColumns(const std::vector<GridColumn>& columns);
    // Every field of the dataset, in its order, titled by its name.
    void setAllFields(bool allFields);
    const std::vector<GridColumn>& columns() const { return m_columns; }
    // The dataset's field a column shows; -1 when it has none.
    int fieldOf(int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

signals:
    // count rows were fetched above the first one (they were inserted at the top).
    void rowsFetchedAbove(int count);

private:
    void reset();
    void resolveFields();
    void onRowsFetched(int first, int last);
    void onRowsPrepended(int count);
    void onRowInserted(int row);
    void onRowRemoved(int row);
    void onRowChanged(int row);

    QPointer<Dataset> m_dataset;
    QPointer<TableDataset> m_table;
    std::vector<GridColumn> m_columns;
    bool m_allFields = false;
    std::vector<int> m_fieldIndex;  // per column, -1 when the dataset has no such field
    int m_rows = 0;
    std::vector<QMetaObject::Connection> m_conns;
};

// A grid over a data source: titled columns, the selection follows the dataset's current row and
// back, a click on a column title is reported with the column's position. Over a writable table
// dataset it edits like the navigator: typing changes a cell of the current row, Insert adds a
// row, Ctrl+Delete deletes one, Enter saves the unsaved row, Escape drops it, and leaving that
// row saves it (a refusal shows the database's message and brings the grid back to the row).
//
// Columns are as wide as their titles and the values in sight, between four characters and about
// forty (a longer value is cut, and shown whole as its tooltip); an ear-tag column is always as
// wide as the longest ear tag it can hold, so none is ever cut; the last column takes the rest.
// Only rows already fetched are measured: sizing never fetches. Scrolling to wider values widens
// their columns; a column the user resized keeps the user's width.
//
// "Exportálás…" (the context menu, Ctrl+E while the grid has the focus) writes every row of the
// dataset's statement with the grid's columns and titles to a spreadsheet file (ui/grid_export.h).
class DBGrid : public QTableView {
    Q_OBJECT
public:
    explicit DBGrid(QWidget* parent = nullptr);
    void setDataSource(DataSource* source);
    void setColumns(const std::vector<GridColumn>& columns);
    // Every field of the dataset, titled by its name.
    void showAllFields();
    DatasetModel* datasetModel() const { return m_model; }
    // Column titles as shown, in order.
    QStringList titles() const;

signals:
    void titleClicked(int column);

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void followDataset(int row);
    // The rows above the fetched ones are read once the grid is scrolled to its top, and the rows in
    // view stay where they were.
    void fetchAboveWhenAtTop();
    void keepRowsInView(int inserted);
    void onCurrentRowChanged(const QModelIndex& current);
    void leaveUnsavedRow();
    void updateEditing();
    // Sizes the columns once the current event is done; anew (grow false) or only wider.
    void scheduleFit(bool grow);
    void fitColumns();
    void fillViewport();
    int fittedWidth(int column, int firstRow, int lastRow) const;
    void updateExportAction();
    DatasetModel* m_model;
    QAction* m_exportAction;
    bool m_fitPending = false;
    bool m_fittedOnce = false;  // sized once to values of an open set
    bool m_fitGrowOnly = true;
    bool m_sizing = false;
    QSet<QString> m_userSized;  // fields whose column the user resized
    bool m_syncing = false;
    bool m_fetchAboveScheduled = false;
    int m_pendingRow = -1;  // the row the user moved to while another row was unsaved
    std::vector<QMetaObject::Connection> m_datasetConns;
};

// Record navigator with the buttons a screen asks for. The editing buttons act only on a writable
// table dataset; on anything else they are unavailable. Refresh reads a table again, or runs a
// query's statement again.
class DBNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button {
        First = 1,
        Prior = 2,
        Next = 4,
        Last = 8,
        Insert = 16,
        Delete = 32,
        Edit = 64,
        Post = 128,
        Cancel = 256,
        Refresh = 512,
    };
    Q_DECLARE_FLAGS(Buttons, Button)
    static constexpr int kAllButtons = 1023;

    explicit DBNavigator(QWidget* parent = nullptr);
    void setDataSource(DataSource* source);
    // The buttons shown; without a call only first, prior, next and last.
    void setVisibleButtons(Buttons buttons);
    QPushButton* button(Button b) const;

private:
    TableDataset* table() const;
    // Moves with step, saving an unsaved row first; a refused save stays on that row.
    void move(void (Dataset::*step)());
    // Refresh over a query: runs its statement again.
    void rereadQuery();
    void updateButtons();

    QPointer<Dataset> m_dataset;
    std::vector<QMetaObject::Connection> m_conns;
    QPushButton* m_first;
    QPushButton* m_prior;
    QPushButton* m_next;
    QPushButton* m_last;
    QPushButton* m_insert;
    QPushButton* m_delete;
    QPushButton* m_edit;
    QPushButton* m_post;
    QPushButton* m_cancel;
    QPushButton* m_refresh;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(DBNavigator::Buttons)

// Changing a table dataset on behalf of the person at a grid or navigator. Whatever the database
// refuses shows its own message in a box over parent; the row stays as it was, for correction or
// cancelling.
namespace tableedit {
// Opens the tables that are closed (a screen showing them reads them again).
void openTables(QWidget* parent, const std::vector<TableDataset*>& tables);
// Saves the unsaved row, if any; true when nothing is left unsaved.
bool saveRow(QWidget* parent, TableDataset& table);
// Saves the unsaved rows of a screen's tables before it closes; false (the screen should stay,
// showing that table) when one was refused, with that table in refused.
bool saveRows(QWidget* parent, const std::vector<TableDataset*>& tables, TableDataset** refused = nullptr);
// A new row before the current one, once an unsaved row was saved.
void insertRow(QWidget* parent, TableDataset& table);
void editRow(QWidget* parent, TableDataset& table);
// Deletes the current row once the person confirmed it.
void deleteRow(QWidget* parent, TableDataset& table);
void refresh(QWidget* parent, TableDataset& table);
}  // namespace tableedit

// A label showing one field of the current row of a data source; empty while the set is closed.
// The value is plain text. One too long for its place is shown cut with "…", and whole as its
// tooltip; text() and screen readers always have the whole value.
class DBText : public QLabel {
    Q_OBJECT
public:
    explicit DBText(QWidget* parent = nullptr);
    void bind(DataSource* source, const QString& field);
    void refresh();
    // The value does not fit: it is shown cut.
    bool isCut() const;
    // A value that must never be cut (an ear tag): the layout gives it its whole width.
    void setNeverCut(bool neverCut);
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateToolTip();
    bool m_neverCut = false;
    QPointer<Dataset> m_dataset;
    QString m_field;
    std::vector<QMetaObject::Connection> m_conns;
};

// The browsing grid of a list screen over source with the given columns.
DBGrid* makeListGrid(QWidget* parent, const QString& name, DataSource* source, const std::vector<GridColumn>& columns);
// The navigator under such a grid, with first, prior, next and last.
DBNavigator* makeListNavigator(QWidget* parent, const QString& name, DataSource* source);

// The objectName of a text that shows a field of the current row: the field's name in lower case
// and "Text" ("snevText").
QString fieldTextName(const QString& field);

// One line of a detail panel: its caption and the fields shown beside it.
struct PanelLine {
    QString caption;
    QStringList fields;
};

// A titled panel of captions with texts bound to fields of the current row of source. The texts
// are named after their field (fieldTextName), or DBText<n> counting on from *textNumber when a
// number is given; each caption labels the first text of its line and is named after it (buddyLabel); every text
// of a line has the caption as its accessible description, so a screen reader reads the value and
// what it is. An ear tag is never cut. Each text carries its field name in the property "field"
// and is appended to texts when given.
QGroupBox* buildDetailPanel(QWidget* parent, const QString& name, const QString& title, DataSource* source,
                            const std::vector<PanelLine>& lines, int* textNumber = nullptr,
                            std::vector<DBText*>* texts = nullptr);
