#pragma once

#include "db/client.h"

#include <QDate>
#include <QMap>
#include <QObject>
#include <QStringList>

#include <memory>
#include <vector>

class TData;

// Compact storage of fetched rows: the engine's raw output messages, decoded on access.
class RowStore {
public:
    void reset(unsigned rowLength);
    unsigned char* appendRow();  // space for one more row (uninitialised)
    void dropLast();             // the row appended last turned out not to exist
    const unsigned char* row(int i) const;
    int count() const { return m_count; }
    size_t bytes() const { return static_cast<size_t>(m_count) * m_stride; }

private:
    static constexpr int kRowsPerChunk = 512;
    unsigned m_stride = 0;
    int m_count = 0;
    std::vector<std::unique_ptr<unsigned char[]>> m_chunks;
};

struct LocateOptions {
    bool caseInsensitive = false;
    bool partialKey = false;
};

// A named dataset of the data module: a statement put together line by line, bound by parameter
// name, opened or executed in the module's one transaction. Rows are fetched lazily: opening reads
// the first row only; navigation, locate and the grid fetch what they need.
class Dataset : public QObject {
    Q_OBJECT
public:
    Dataset(TData& module, const QString& name);
    ~Dataset() override;

    const QString& name() const { return m_name; }
    TData& module() const { return m_module; }

    // --- statement text and parameters
    void clearSql();
    void addSql(const QString& line);
    void setSql(const QStringList& lines);
    const QStringList& sql() const { return m_sql; }
    void setParamText(const QString& name, const QString& value);
    void setParamDate(const QString& name, const QDate& value);
    // Converts the program's date text; a text that is no date raises fb::Error.
    void setParamDateText(const QString& name, const QString& value);
    void setParamInt(const QString& name, qint64 value);
    void setParamNull(const QString& name);

    // --- open / execute / close
    virtual void open();
    void execSql();
    // Rows the last execSql inserted, updated or deleted.
    qint64 rowsAffected() const { return m_rowsAffected; }
    void close();
    bool active() const { return m_active; }

    // --- navigation
    bool isEmpty() const { return m_active && m_rows.count() == 0; }
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }
    int recNo() const { return m_current; }  // 0-based current row, -1 when none
    void first();
    void last();
    void next();
    void prior();
    bool moveTo(int row);
    // Moves to the first row (from the top) whose column equals value; no match keeps the current row.
    bool locate(const QString& field, const QString& value, LocateOptions options = {});
    int recordCount();  // fetches every row

    // --- fetching (grids)
    int fetchedCount() const { return m_rows.count(); }
    bool allFetched() const { return !m_cursor; }
    int fetchMore(int n);  // returns how many rows were added
    bool fetchUntil(int row);

    // --- reading the current row; a missing value reads as "" or 0, so does a closed or empty set
    int fieldCount() const { return m_columns.count(); }
    QStringList fieldNames() const;
    int fieldIndex(const QString& name) const { return m_columns.indexOf(name); }
    bool hasField(const QString& name) const { return fieldIndex(name) >= 0; }
    QString fieldText(const QString& name) const;
    qint64 fieldInt(const QString& name) const;
    QDate fieldDate(const QString& name) const;
    bool fieldIsNull(const QString& name) const;
    QString cellText(int row, int column) const;
    const fb::Columns& columns() const { return m_columns; }
    size_t fetchedBytes() const { return m_rows.bytes(); }

signals:
    void opened();
    void closed();
    void currentChanged(int row);
    void rowsFetched(int first, int last);

protected:
    virtual QString statementText() const;
    int requireField(const QString& name) const;
    void setCurrent(int row);
    // Closes without the rule that a dataset which started the transaction commits it on close.
    void closeQuietly();
    friend class TData;
    friend class Connection;

private:
    void prepare(const QString& text);
    void bindAll(fb::Statement& stmt) const;

    TData& m_module;
    QString m_name;
    QStringList m_sql;
    QMap<QString, fb::Value> m_params;
    std::unique_ptr<fb::Statement> m_stmt;
    QString m_preparedText;
    std::unique_ptr<fb::Cursor> m_cursor;
    fb::Columns m_columns;
    RowStore m_rows;
    std::vector<unsigned char> m_scratch;
    qint64 m_rowsAffected = 0;
    bool m_active = false;
    bool m_bof = true;
    bool m_eof = true;
    int m_current = -1;
};

// A dataset showing one whole table. Read-only ones refuse changes; a writable one appends rows
// field by field in the table's column order.
class TableDataset : public Dataset {
    Q_OBJECT
public:
    TableDataset(TData& module, const QString& name, const QString& table, bool readOnly);

    const QString& tableName() const { return m_table; }
    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }

    // Appending: begin a row, assign fields by position as text, post it.
    void append();
    void setFieldText(int index, const QString& value);
    void post();
    void cancel();
    bool inserting() const { return m_inserting; }

protected:
    QString statementText() const override;

private:
    struct TableColumn {
        QString name;
        bool isDate = false;
        bool isInteger = false;
    };
    void loadTableColumns();

    QString m_table;
    bool m_readOnly;
    bool m_inserting = false;
    std::vector<TableColumn> m_tableColumns;
    std::vector<std::optional<fb::Value>> m_newValues;
};

// What a data-aware widget binds to.
class DataSource : public QObject {
    Q_OBJECT
public:
    DataSource(Dataset& dataset, const QString& name) : m_dataset(dataset) { setObjectName(name); }
    Dataset& dataset() const { return m_dataset; }

private:
    Dataset& m_dataset;
};
