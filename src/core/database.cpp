#include "core/database.h"

#include <algorithm>

// ---------------------------------------------------------------- Connection

Connection::Connection(Database& database) : m_database(database) {}

void Connection::setConnected(bool on)
{
    if (on == connected())
        return;
    if (on) {
        fb::preparePerUserLockDirectory();
        m_att.attach(params);
    } else {
        close();
    }
}

void Connection::close()
{
    if (!connected())
        return;
    // Claims are transactions of their own on this connection: they end before it does.
    emit m_database.disconnecting();
    m_database.closeAllDatasets();
    if (m_database.transaction().inTransaction()) {
        try {
            m_database.transaction().rollback();
        } catch (const fb::Error&) {
        }
    }
    for (Dataset* ds : m_database.datasets())
        ds->dropStatements();
    m_att.detach();
}

// ---------------------------------------------------------------- SharedTransaction

SharedTransaction::SharedTransaction(Database& database) : m_database(database) {}

void SharedTransaction::startTransaction()
{
    if (m_tra.isActive())
        return;
    if (!m_database.connection().connected())
        throw fb::Error(fb::notConnectedMessage());
    m_tra.start(m_database.connection().attachment());
}

void SharedTransaction::commit()
{
    m_database.closeAllDatasets();
    m_tra.commit();
    m_database.endedTransaction();
}

void SharedTransaction::commitRetaining()
{
    // The transaction stays open, and so do the datasets reading in it.
    m_tra.commitRetaining();
}

qint64 SharedTransaction::pendingWrites() const { return static_cast<qint64>(m_tra.writeStatements()); }

void SharedTransaction::rollback()
{
    m_database.closeAllDatasets();
    m_tra.rollback();
    m_database.endedTransaction();
}

void SharedTransaction::rollbackQuietly()
{
    try {
        if (inTransaction())
            rollback();
    } catch (const std::exception&) {
    }
}

// ---------------------------------------------------------------- Database

Database::Database(const QString& database, QObject* parent)
    : QObject(parent), m_connection(*this), m_transaction(*this)
{
    setObjectName(QStringLiteral("database"));
    m_connection.params = dbsettings::params(database);
    // Connected at once, with the transaction active from the start.
    m_connection.setConnected(true);
    m_transaction.startTransaction();
}

Database::~Database()
{
    try {
        m_connection.close();
    } catch (...) {
    }
    // Datasets that outlive the database (a screen's, destroyed after it) must not call back.
    for (Dataset* ds : m_datasets)
        ds->m_database = nullptr;
}

void Database::unregisterDataset(Dataset* dataset)
{
    std::erase(m_datasets, dataset);
    if (m_autoStarter == dataset)
        m_autoStarter = nullptr;
}

Dataset* Database::dataset(const QString& name) const
{
    for (Dataset* ds : m_datasets)
        if (ds->name() == name)
            return ds;
    return nullptr;
}

bool Database::anyDatasetOpen(const Dataset* except) const
{
    for (const Dataset* ds : m_datasets)
        if (ds != except && ds->active())
            return true;
    return false;
}

void Database::startIfNeeded(const Dataset* starter, bool byStatement)
{
    if (m_transaction.inTransaction())
        return;
    m_transaction.startTransaction();
    m_autoStarter = starter;
    m_autoByStatement = byStatement;
}

void Database::holdTransaction()
{
    if (!m_transaction.inTransaction())
        m_transaction.startTransaction();
    m_autoStarter = nullptr;
    m_autoByStatement = false;
}

void Database::datasetClosed(const Dataset* ds)
{
    // A transaction that a dataset's opening started is committed when that dataset closes and
    // nothing else still reads in it.
    if (m_closingAll || !ds || m_autoStarter != ds || m_autoByStatement || !m_transaction.inTransaction())
        return;
    if (!anyDatasetOpen())
        m_transaction.commit();
}

void Database::statementFinished(const Dataset* ds)
{
    // Likewise for a transaction that an executed statement started, at the end of that statement.
    if (!ds || m_autoStarter != ds || !m_autoByStatement || !m_transaction.inTransaction())
        return;
    if (!anyDatasetOpen())
        m_transaction.commit();
    else
        m_autoStarter = nullptr;
}

void Database::closeAllDatasets()
{
    m_closingAll = true;
    // A copy: a dataset's closed() may lead a widget to drop a dataset of its own.
    const std::vector<Dataset*> all = m_datasets;
    for (Dataset* ds : all)
        if (std::find(m_datasets.begin(), m_datasets.end(), ds) != m_datasets.end())
            ds->closeQuietly();
    m_closingAll = false;
}

void Database::endedTransaction()
{
    m_autoStarter = nullptr;
    m_autoByStatement = false;
    // Work left pending in the shared transaction is committed or undone now.
    emit transactionEnded();
}

// ---------------------------------------------------------------- reading by the order key

keyset::Catalog Database::catalog()
{
    keyset::Catalog c;
    c.primaryKey = [this](const QString& table) {
        fb::Statement stmt(m_connection.attachment(), m_transaction.raw(),
                           QStringLiteral("SELECT TRIM(s.RDB$FIELD_NAME), i.RDB$SEGMENT_COUNT "
                                          "FROM RDB$RELATION_CONSTRAINTS c "
                                          "JOIN RDB$INDICES i ON i.RDB$INDEX_NAME = c.RDB$INDEX_NAME "
                                          "JOIN RDB$INDEX_SEGMENTS s ON s.RDB$INDEX_NAME = c.RDB$INDEX_NAME "
                                          "WHERE c.RDB$RELATION_NAME = :t AND c.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY'"));
        stmt.bind(QStringLiteral("t"), fb::Value::fromText(table));
        auto cursor = stmt.openCursor();
        std::vector<unsigned char> row(cursor->columns().messageLength() + 8);
        QString key;
        if (cursor->fetchNext(row.data()) && cursor->columns().integer(row.data(), 1) == 1)
            key = cursor->columns().text(row.data(), 0);
        cursor->close();
        return key;
    };
    c.isUnique = [this](const QString& table, const QString& column) {
        fb::Statement stmt(m_connection.attachment(), m_transaction.raw(),
                           QStringLiteral("SELECT COUNT(*) FROM RDB$INDICES i "
                                          "JOIN RDB$INDEX_SEGMENTS s ON s.RDB$INDEX_NAME = i.RDB$INDEX_NAME "
                                          "WHERE i.RDB$RELATION_NAME = :t AND i.RDB$UNIQUE_FLAG = 1 "
                                          "AND i.RDB$SEGMENT_COUNT = 1 AND COALESCE(i.RDB$INDEX_INACTIVE, 0) = 0 "
                                          "AND s.RDB$FIELD_NAME = :c"));
        stmt.bind(QStringLiteral("t"), fb::Value::fromText(table));
        stmt.bind(QStringLiteral("c"), fb::Value::fromText(column));
        auto cursor = stmt.openCursor();
        std::vector<unsigned char> row(cursor->columns().messageLength() + 8);
        const bool unique = cursor->fetchNext(row.data()) && cursor->columns().integer(row.data(), 0) > 0;
        cursor->close();
        return unique;
    };
    return c;
}

std::shared_ptr<const keyset::Plan> Database::orderKeyOf(Dataset& dataset)
{
    const QString text = dataset.statementText();
    if (const auto it = m_orderKeys.constFind(text); it != m_orderKeys.constEnd())
        return *it;
    std::shared_ptr<const keyset::Plan> plan;
    if (const auto shape = keyset::parse(text)) {
        try {
            if (auto found = keyset::makePlan(*shape, dataset.columns(), catalog())) {
                // The statements it needs first are prepared now: one the engine refuses leaves the
                // dataset reading from the top, as any other statement.
                dataset.keyedStatement(keyset::whole(*found, keyset::Walk::Forward).sql);
                dataset.keyedStatement(keyset::whole(*found, keyset::Walk::Backward).sql);
                dataset.keyedStatement(keyset::probe(*found, fb::Value::fromInt(0)).sql);
                plan = std::make_shared<const keyset::Plan>(std::move(*found));
            }
        } catch (const fb::Error&) {
            plan.reset();
        }
    }
    m_orderKeys.insert(text, plan);
    return plan;
}
