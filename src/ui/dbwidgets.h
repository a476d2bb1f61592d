#pragma once

#include "core/dataset.h"

#include <QAbstractTableModel>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QTableView>
#include <QWidget>

#include <vector>

class QPushButton;

// One column of a grid: the field it shows and its title.
struct GridColumn {
    QString field;
    QString title;
};

// Table model over a dataset, fetching rows as the view scrolls.
class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    DatasetModel(QObject* parent = nullptr);
    void setDataset(Dataset* dataset);
    Dataset* dataset() const { return m_dataset; }
    void setColumns(const std::vector<GridColumn>& columns);
    const std::vector<GridColumn>& columns() const { return m_columns; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    void reset();
    void resolveFields();
    void onRowsFetched(int first, int last);

    QPointer<Dataset> m_dataset;
    std::vector<GridColumn> m_columns;
    std::vector<int> m_fieldIndex;  // per column, -1 when the dataset has no such field
    int m_rows = 0;
    std::vector<QMetaObject::Connection> m_conns;
};

// A browsing grid over a data source: titled columns, the selection follows the dataset's current
// row and back, a click on a column title is reported with the column's position.
class DBGrid : public QTableView {
    Q_OBJECT
public:
    explicit DBGrid(QWidget* parent = nullptr);
    void setDataSource(DataSource* source);
    void setColumns(const std::vector<GridColumn>& columns);
    DatasetModel* datasetModel() const { return m_model; }
    // Column titles as shown, in order.
    QStringList titles() const;

signals:
    void titleClicked(int column);

private:
    void followDataset(int row);
    DatasetModel* m_model;
    bool m_syncing = false;
    QMetaObject::Connection m_currentConn;
};

// Record navigator with the buttons a screen asks for.
class DBNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { First = 1, Prior = 2, Next = 4, Last = 8 };
    Q_DECLARE_FLAGS(Buttons, Button)

    explicit DBNavigator(QWidget* parent = nullptr);
    void setDataSource(DataSource* source);
    void setVisibleButtons(Buttons buttons);
    QPushButton* button(Button b) const;

private:
    QPointer<Dataset> m_dataset;
    QPushButton* m_first;
    QPushButton* m_prior;
    QPushButton* m_next;
    QPushButton* m_last;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(DBNavigator::Buttons)

// A label showing one field of the current row of a data source; empty while the set is closed.
class DBText : public QLabel {
    Q_OBJECT
public:
    explicit DBText(QWidget* parent = nullptr);
    void bind(DataSource* source, const QString& field);
    void refresh();

private:
    QPointer<Dataset> m_dataset;
    QString m_field;
    std::vector<QMetaObject::Connection> m_conns;
};

// The browsing grid of a list screen, named DBGrid1, over source with the given columns.
DBGrid* makeListGrid(QWidget* parent, DataSource* source, const std::vector<GridColumn>& columns);
// The navigator under such a grid, named DBNavigator1, with first, prior, next and last.
DBNavigator* makeListNavigator(QWidget* parent, DataSource* source);

// One line of a detail panel: its caption and the fields shown beside it.
struct PanelLine {
    QString caption;
    QStringList fields;
};

// A titled panel of captions with texts bound to fields of the current row of source. The texts
// are named DBText<n>, counting on from the number given (a screen numbers its panels through);
// each caption labels the first text of its line and is named after it (buddyLabel). Each text
// carries its field name in the property "field" and is appended to texts when given.
QGroupBox* buildDetailPanel(QWidget* parent, const QString& name, const QString& title, DataSource* source,
                            const std::vector<PanelLine>& lines, int& textNumber,
                            std::vector<DBText*>* texts = nullptr);
