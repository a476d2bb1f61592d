#pragma once

#include "db/error.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

namespace Firebird {
class IMaster;
class IUtil;
class IAttachment;
class ITransaction;
class IStatement;
class IResultSet;
class IMessageMetadata;
}  // namespace Firebird

namespace fb {

// Connection settings; the database string is the only thing that changes for a server.
struct ConnectParams {
    QString database;
    QString user = QStringLiteral("SYSDBA");
    QString password;
    QString charset = QStringLiteral("WIN1250");
    int dialect = 3;
};

// Sets FIREBIRD_LOCK to a per-user directory unless the caller already chose one, so that an
// ordinary desktop user can open the file with the embedded engine. Call before the first attach.
void preparePerUserLockDirectory();

Firebird::IMaster* master();
Firebird::IUtil* util();

class Attachment {
public:
    Attachment() = default;
    ~Attachment();
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;

    void attach(const ConnectParams& params);
    void create(const ConnectParams& params, int pageSize = 8192);
    void detach();
    // Deletes the attached database (a file half created, say), wherever it lies.
    void drop();
    bool isAttached() const { return m_att != nullptr; }
    // Executes a statement outside any transaction of ours (DDL); commits on its own.
    void executeImmediate(const QString& sql);
    Firebird::IAttachment* raw() const { return m_att; }

private:
    Firebird::IAttachment* m_att = nullptr;
};

// read_committed + rec_version + nowait, as every write of the program expects.
class Transaction {
public:
    Transaction() = default;
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void start(Attachment& att);
    // A transaction that only reads: it writes nothing to the database, not even at its end.
    void startReadOnly(Attachment& att);
    // Snapshot (concurrency) isolation, nowait: every statement sees what was committed when the
    // transaction started, so several rows or statements read together agree with each other.
    void startSnapshot(Attachment& att);
    void startReadOnlySnapshot(Attachment& att);
    void commit();
    void commitRetaining();
    void rollback();
    bool isActive() const { return m_tra != nullptr; }
    // Statements that may have written (anything but a SELECT) run in the transaction since it
    // started or was last committed with retaining: 0 means nothing is waiting for a commit.
    quint64 writeStatements() const { return m_writeStatements; }
    Firebird::ITransaction* raw() const { return m_tra; }

private:
    friend class Statement;
    void begin(Attachment& att, const unsigned char* tpb, unsigned length);
    Firebird::ITransaction* m_tra = nullptr;
    quint64 m_writeStatements = 0;
};

// A bound parameter value.
struct Value {
    enum class Kind { Null, Text, Date, Int };
    Kind kind = Kind::Null;
    QString text;
    QDate date;
    qint64 integer = 0;
    // What the person calls the field the text comes from (a screen's label, a column's name):
    // a text the database cannot hold is refused naming it. Without one the parameter is named.
    QString field;

    static Value fromText(const QString& t, const QString& field = {})
    {
        Value v;
        v.kind = Kind::Text;
        v.text = t;
        v.field = field;
        return v;
    }
    static Value fromDate(const QDate& d) { Value v; v.kind = Kind::Date; v.date = d; return v; }
    static Value fromInt(qint64 i) { Value v; v.kind = Kind::Int; v.integer = i; return v; }
};

// SQL with :name parameters rewritten to positional '?', remembering the name of every place.
struct NamedSql {
    QString sql;
    QStringList names;  // one entry per '?', lower case; a name may repeat
};
NamedSql translateNamedParameters(const QString& sql);

// Layout of a result row: the engine's output message, decoded on access.
class Columns {
public:
    enum class Type { Text, Varying, Short, Long, Int64, Float, Double, Date, Time, Timestamp, Boolean, Other };
    struct Column {
        QString name;   // alias as the statement names it, upper case as the engine reports it
        QString field;  // the table column it reads, for a plain column (the engine names expressions)
        QString relation;
        Type type = Type::Other;
        int scale = 0;
        unsigned length = 0;
        unsigned offset = 0;
        unsigned nullOffset = 0;
    };

    Columns() = default;
    explicit Columns(Firebird::IMessageMetadata* meta);
    int count() const { return static_cast<int>(m_cols.size()); }
    const Column& at(int i) const { return m_cols[static_cast<size_t>(i)]; }
    int indexOf(const QString& name) const;  // case-insensitive; -1 when absent
    unsigned messageLength() const { return m_length; }

    bool isNull(const unsigned char* row, int col) const;
    QString text(const unsigned char* row, int col) const;  // dates as yyyy.MM.dd
    qint64 integer(const unsigned char* row, int col) const;
    QDate date(const unsigned char* row, int col) const;
    // Compares a text column with a Latin-1 / WIN1250 byte string without decoding it.
    QByteArray rawBytes(const unsigned char* row, int col) const;

private:
    std::vector<Column> m_cols;
    unsigned m_length = 0;
};

class Cursor;

class Statement {
public:
    // With namedParams false the text goes to the engine as it is (PSQL blocks use :variables).
    Statement(Attachment& att, Transaction& tra, const QString& sqlWithNamedParams, bool namedParams = true);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool hasCursor() const { return m_hasCursor; }
    const QStringList& parameterNames() const { return m_named.names; }
    // A text value the database cannot hold is refused with fb::UnstorableText when the statement
    // runs, before anything reaches the database.
    void bind(const QString& name, const Value& value);
    // Runs a statement that returns no cursor; a singleton SELECT's row is dropped.
    void execute();
    // Runs a statement that returns no cursor and keeps its one output row (the values of an
    // INSERT ... RETURNING), laid out as columns() describes.
    std::vector<unsigned char> executeReturning();
    // Rows inserted, updated or deleted by the last execute.
    quint64 affectedRecords() const;
    std::unique_ptr<Cursor> openCursor();
    const Columns& columns() const { return m_columns; }
    // The engine's plan, as isql shows it ("PLAN JOIN (...)").
    QString plan() const;

private:
    void buildInput(std::vector<unsigned char>& buffer, Firebird::IMessageMetadata*& meta) const;
    void releaseAll();

    Transaction& m_tra;
    NamedSql m_named;
    std::vector<Value> m_values;
    Firebird::IStatement* m_stmt = nullptr;
    Firebird::IMessageMetadata* m_outMeta = nullptr;
    Columns m_columns;
    bool m_hasCursor = false;
    bool m_mayWrite = false;
};

class Cursor {
public:
    Cursor(Firebird::IResultSet* rs, Columns columns);
    ~Cursor();
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

    const Columns& columns() const { return m_columns; }
    // Fetches the next row into buffer (messageLength() bytes); false at the end.
    bool fetchNext(unsigned char* buffer);
    void close();
    bool isOpen() const { return m_rs != nullptr; }

private:
    Firebird::IResultSet* m_rs;
    Columns m_columns;
};

// The first row of a query, its columns as integers (empty when there is no row), read in a
// read-only transaction of its own on att: it sees what is committed, and other transactions of
// the connection are left alone.
std::vector<qint64> readIntegers(Attachment& att, const QString& sql,
                                 const std::vector<std::pair<QString, Value>>& values = {});

}  // namespace fb
