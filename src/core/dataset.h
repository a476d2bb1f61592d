#pragma once

#include "core/keyset.h"
#include "db/client.h"

#include <QDate>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class Database;

// Compact storage of fetched rows: the engine's raw output messages, decoded on access.
class RowStore {
public:
    void reset(unsigned rowLength);
    unsigned char* appendRow();  // space for one more row (uninitialised)
    void dropLast();             // the row appended last turned out not to exist
    unsigned char* prependRow();  // space for a row before the first one (uninitialised)
    void dropFirst();             // the row prepended last turned out not to be wanted
    // Space for a row at position at, the rows from there on moving down one (uninitialised).
    unsigned char* insertRow(int at);
    void removeRow(int at);
    const unsigned char* row(int i) const;
    unsigned char* row(int i);
    unsigned stride() const { return m_stride; }
    int count() const { return m_count; }
    size_t bytes() const { return static_cast<size_t>(m_count) * m_stride; }

private:
    static constexpr int kRowsPerChunk = 512;
    unsigned m_stride = 0;
    int m_count = 0;
    int m_head = 0;  // unused places at the start of the first chunk, for rows prepended
    std::vector<std::unique_ptr<unsigned char[]>> m_chunks;
};

struct LocateOptions {
    bool caseInsensitive = false;
    bool partialKey = false;
};

// A named dataset: a statement put together line by line, bound by parameter name, opened or
// executed in the database's one transaction. Rows are fetched lazily: opening reads
// the first row only; navigation, locate and the grid fetch what they need.
//
// The fetched rows are one unbroken stretch of the result. Opening starts it at the first row. For
// a statement the database can read by its order key (keyset.h), moving to the last row, or
// locating a row by the driving table's primary key, replaces the stretch by the rows around that
// row, read by statements that start there; the rows before it are fetched as they are asked for
// (fetchBefore, prior), and first() starts from the top again. Row numbers (recNo, moveTo,
// cellText) count within the fetched rows: from the first row of the result while startsAtTop().
class Dataset : public QObject {
    Q_OBJECT
public:
    Dataset(Database& database, const QString& name);
    ~Dataset() override;

    const QString& name() const { return m_name; }
    // The database the dataset reads in; raises once that is gone.
    Database& database() const;

    // --- statement text and parameters
    void clearSql();
    void addSql(const QString& line);
    void setSql(const QStringList& lines);
    const QStringList& sql() const { return m_sql; }
    // field: what the person calls the field the text comes from, named when the database cannot
    // hold one of its characters (fb::UnstorableText).
    void setParamText(const QString& name, const QString& value, const QString& field = {});
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
    // The statement with its parameters as bound now, prepared apart from the set's own in the
    // module's transaction: a reader of every row (an export) runs it with a cursor of its own, and
    // the fetched rows and the current row stay as they are.
    std::unique_ptr<fb::Statement> prepareCopy() const;

    // --- navigation
    bool isEmpty() const { return m_active && m_rows.count() == 0; }
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }
    int recNo() const { return m_current; }  // 0-based current row among the fetched ones, -1 when none
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
    bool allFetched() const { return !m_forward.active(); }
    int fetchMore(int n);  // returns how many rows were added
    bool fetchUntil(int row);
    // The fetched rows begin with the first row of the result.
    bool startsAtTop() const { return !m_backward.active(); }
    // Fetches up to n rows before the first fetched one; returns how many were added (the row
    // numbers of the fetched rows grow by that much, the current row stays the same row).
    int fetchBefore(int n);
    // The order key the rows are read by, when the statement has one and it was needed (tests and
    // benchmarks look at it); null otherwise.
    const keyset::Plan* keyedPlan() const { return m_plan.get(); }

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
    // count rows were fetched before the first fetched row: the rows shown move down by that much.
    void rowsPrepended(int count);
    // The fetched rows were replaced by another stretch of the result (the last rows, or the rows
    // around a located row); currentChanged follows.
    void rowsReset();
    // Rows that an edit of the set itself added, removed or rewrote (a table dataset's changes).
    void rowInserted(int row);
    void rowRemoved(int row);
    void rowChanged(int row);

protected:
    virtual QString statementText() const;
    int requireField(const QString& name) const;
    void setCurrent(int row);
    // Closes without the rule that a dataset which started the transaction commits it on close.
    void closeQuietly();
    friend class Database;
    friend class Connection;
    // The connection closes: prepared statements go with it.
    void dropStatements();

    // --- the fetched rows as the engine's messages, for a set that changes its own rows
    const unsigned char* rawRow(int row) const { return m_rows.row(row); }
    // A row with every value missing at position at; the current row stays on the same row.
    void insertBlankRow(int at);
    void removeFetchedRow(int row);
    void replaceFetchedRow(int row, const unsigned char* message);
    // A fetched row that answers false is dropped (a row the set already shows elsewhere).
    virtual bool keepFetchedRow(const unsigned char* row) const { return true; }

private:
    // Where more rows come from in one direction: the cursor being read, then the statements still
    // to run, one after another.
    struct Reader {
        std::unique_ptr<fb::Cursor> cursor;
        std::deque<keyset::Step> pending;
        bool active() const { return cursor || !pending.empty(); }
        void clear();
    };

    void prepare(const QString& text);
    void bindAll(fb::Statement& stmt) const;
    bool readRow(Reader& reader, unsigned char* buffer);
    // Fetches up to n rows from reader, before the fetched rows or after them, without telling
    // anyone (the caller announces the change); returns how many were added.
    int pull(Reader& reader, int n, bool before);
    // How the statement is read by its order key; null when it cannot be. Looked up once per opening.
    std::shared_ptr<const keyset::Plan> orderKey();
    fb::Statement& keyedStatement(const QString& sql);
    // Drops the fetched rows and both readers, ready for another stretch of the result.
    void restart();
    // Announces a new stretch of rows, with the current row in it.
    void announceRestart(int current);
    bool readFromEnd();
    bool readFromTop();
    bool locateKey(const keyset::Plan& plan, int column, const QString& value);
    bool locateFromTop(const std::function<bool(int)>& matches);

    Database* m_database;  // null once the database is gone
    QString m_name;
    QStringList m_sql;
    QMap<QString, fb::Value> m_params;
    std::unique_ptr<fb::Statement> m_stmt;
    QString m_preparedText;
    Reader m_forward;   // the rows after the last fetched one
    Reader m_backward;  // the rows before the first fetched one; idle while the rows start at the top
    bool m_planLooked = false;
    std::shared_ptr<const keyset::Plan> m_plan;
    // The statements that read by the order key, prepared once per text.
    std::map<QString, std::unique_ptr<fb::Statement>> m_keyedStatements;
    fb::Columns m_columns;
    RowStore m_rows;
    std::vector<unsigned char> m_scratch;
    qint64 m_rowsAffected = 0;
    bool m_active = false;
    bool m_bof = true;
    bool m_eof = true;
    int m_current = -1;
};

// A dataset showing one whole table. Read-only ones refuse changes. A writable one changes its
// rows in place, one unsaved row at a time (typed values are kept until the row is saved or
// cancelled; a save the database refuses throws fb::Error and keeps the row for correction), and
// appends rows blind, field by field in the table's column order (the XML takeover).
class TableDataset : public Dataset {
    Q_OBJECT
public:
    enum class State { Browse, Edit, Insert };

    TableDataset(Database& database, const QString& name, const QString& table, bool readOnly);

    const QString& tableName() const { return m_table; }
    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly);
    // Saved changes are committed at once, with retaining, so that neither this table nor any
    // other open set closes (their unsaved rows and positions stay). Off: a change stays in the
    // shared transaction until its next commit.
    void setCommitEachChange(bool on) { m_commitEachChange = on; }

    // Also learns the table's key when the table is writable.
    void open() override;

    State state() const { return m_state; }
    bool hasUnsavedRow() const { return m_state != State::Browse; }
    // Something was typed into the unsaved row.
    bool isModified() const;
    // Position of the unsaved row among the fetched rows; -1 when there is none (or a blind append).
    int unsavedRow() const { return m_editRow; }
    // Writable, open, and its rows found again by a primary key.
    bool canModify() const;

    // --- changing rows of the open table (grids and navigators)
    void edit();    // the current row becomes the unsaved row (an empty table: insert())
    void insert();  // a blank unsaved row before the current one
    // The typed value of a column of the unsaved row; the database judges it when the row is saved.
    void setEditText(int column, const QString& text);
    // A cell as a grid shows it: the unsaved row with what was typed into it.
    QString shownText(int row, int column) const;
    // Saves the unsaved row. A refusal throws fb::Error and keeps the row unsaved, and the shared
    // transaction as it was: the engine undoes the failed statement alone.
    void post();
    void cancel();
    // Deletes the current row (while a row is unsaved: that row; a new one is just dropped).
    void deleteCurrent();
    // Reads the table again (opens it when closed) and returns to the row that was current;
    // nothing while a row is unsaved.
    void refresh();

    // --- appending blind: begin a row, assign fields by position as text, post it
    void append();
    void setFieldText(int index, const QString& value);
    bool inserting() const { return m_state == State::Insert; }

signals:
    // The unsaved row began or ended, or the read-only flag changed.
    void stateChanged();

protected:
    QString statementText() const override;
    bool keepFetchedRow(const unsigned char* row) const override;

private:
    struct TableColumn {
        QString name;
        bool isDate = false;
        bool isInteger = false;
    };
    void loadTableColumns();
    void requireWritable() const;
    void setState(State state, int editRow);
    // The value of a column of a row as the engine's message holds it, for binding.
    static fb::Value messageValue(const fb::Columns& columns, const unsigned char* row, int column);
    QString keyText(const fb::Columns& columns, const unsigned char* row, const std::vector<int>& keyColumns) const;
    QString keyCondition(int firstParameter) const;
    // Puts the row with the given key values, as the table holds it now, at position row.
    void reloadRow(int row, const std::vector<fb::Value>& key);
    void commitChange();

    QString m_table;
    bool m_readOnly;
    bool m_commitEachChange = false;
    State m_state = State::Browse;
    int m_editRow = -1;
    std::vector<TableColumn> m_tableColumns;
    std::vector<int> m_keyColumns;  // primary key, as positions among the columns
    std::vector<std::optional<fb::Value>> m_newValues;
    // Keys of rows this set inserted while its cursor was still reading: skipped when fetched.
    QSet<QString> m_insertedKeys;
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
