#include "core/datamodule.h"

TData* Data = nullptr;

// ---------------------------------------------------------------- Connection

Connection::Connection(TData& module) : m_module(module) {}

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
    m_module.workLocks.releaseAll();
    m_module.closeAllDatasets();
    if (m_module.IBTrans1.inTransaction()) {
        try {
            m_module.IBTrans1.rollback();
        } catch (const fb::Error&) {
        }
    }
    for (Dataset* ds : m_module.datasets()) {
        ds->m_keyedStatements.clear();
        ds->m_stmt.reset();
    }
    m_att.detach();
}

// ---------------------------------------------------------------- TransactionObject

TransactionObject::TransactionObject(TData& module) : m_module(module) {}

void TransactionObject::startTransaction()
{
    if (m_tra.isActive())
        return;
    if (!m_module.ZCon1.connected())
        throw fb::Error(fb::notConnectedMessage());
    m_tra.start(m_module.ZCon1.attachment());
}

void TransactionObject::commit()
{
    m_module.closeAllDatasets();
    m_tra.commit();
    m_module.transactionEnded();
}

void TransactionObject::commitRetaining()
{
    // The transaction stays open, and so do the datasets reading in it.
    m_tra.commitRetaining();
}

qint64 TransactionObject::pendingWrites() const { return static_cast<qint64>(m_tra.writeStatements()); }

void TransactionObject::rollback()
{
    m_module.closeAllDatasets();
    m_tra.rollback();
    m_module.transactionEnded();
}

void TransactionObject::rollbackQuietly()
{
    try {
        if (inTransaction())
            rollback();
    } catch (const std::exception&) {
    }
}

// ---------------------------------------------------------------- TData

TData::TData(QObject* parent, const QString& database)
    : QObject(parent),
      ZCon1(*this),
      IBTrans1(*this),
      workLocks(*this),
      IBTable1(*this, QStringLiteral("IBTable1"), QStringLiteral("BESZALL"), true),
      IBTable2(*this, QStringLiteral("IBTable2"), QStringLiteral("KISZALL"), true),
      IBTable3(*this, QStringLiteral("IBTable3"), QStringLiteral("SZALLITO"), true),
      IBTable4(*this, QStringLiteral("IBTable4"), QStringLiteral("FELADO"), true),
      IBTable5(*this, QStringLiteral("IBTable5"), QStringLiteral("KISZALL"), true),
      IBTable6(*this, QStringLiteral("IBTable6"), QStringLiteral("FULSZAM"), true),
      IBTable7(*this, QStringLiteral("IBTable7"), QStringLiteral("BESZALL0"), true),
      IBTable8(*this, QStringLiteral("IBTable8"), QStringLiteral("KISZALL0"), true),
      IBTable9(*this, QStringLiteral("IBTable9"), QStringLiteral("FULSZAM0"), true),
      IBTable10(*this, QStringLiteral("IBTable10"), QStringLiteral("PARTNER"), true),
      IBTable11(*this, QStringLiteral("IBTable11"), QStringLiteral("KISZALL1"), false),
      ZQ11(*this, QStringLiteral("ZQ11")),
      ZQ12(*this, QStringLiteral("ZQ12")),
      ZQ13(*this, QStringLiteral("ZQ13")),
      ZQ14(*this, QStringLiteral("ZQ14")),
      ZQ21(*this, QStringLiteral("ZQ21")),
      ZQ22(*this, QStringLiteral("ZQ22")),
      ZQ23(*this, QStringLiteral("ZQ23")),
      ZQ30(*this, QStringLiteral("ZQ30")),
      ZQ31(*this, QStringLiteral("ZQ31")),
      ZQ40(*this, QStringLiteral("ZQ40")),
      ZQ41(*this, QStringLiteral("ZQ41")),
      ZQ60(*this, QStringLiteral("ZQ60")),
      ZQ61(*this, QStringLiteral("ZQ61")),
      ZQ70(*this, QStringLiteral("ZQ70")),
      ZQ111(*this, QStringLiteral("ZQ111")),
      ZQ112(*this, QStringLiteral("ZQ112")),
      DS1(IBTable1, QStringLiteral("DS1")),
      DS2(IBTable2, QStringLiteral("DS2")),
      DS3(IBTable3, QStringLiteral("DS3")),
      DS4(IBTable4, QStringLiteral("DS4")),
      DS5(IBTable5, QStringLiteral("DS5")),
      DS6(IBTable6, QStringLiteral("DS6")),
      DS7(IBTable7, QStringLiteral("DS7")),
      DS8(IBTable8, QStringLiteral("DS8")),
      DS9(IBTable9, QStringLiteral("DS9")),
      DS100(IBTable10, QStringLiteral("DS100")),
      DS11(ZQ11, QStringLiteral("DS11")),
      DS12(ZQ12, QStringLiteral("DS12")),
      DS14(ZQ14, QStringLiteral("DS14")),
      DS21(ZQ21, QStringLiteral("DS21")),
      DS22(ZQ22, QStringLiteral("DS22")),
      DS30(ZQ30, QStringLiteral("DS30")),
      DS40(ZQ40, QStringLiteral("DS40")),
      DS60(ZQ60, QStringLiteral("DS60")),
      DS61(ZQ61, QStringLiteral("DS61")),
      DS111(ZQ111, QStringLiteral("DS111"))
{
    setObjectName(QStringLiteral("Data"));
    // A row changed through a grid on these tables is made permanent at once.
    for (TableDataset* t : tables())
        t->setCommitEachChange(true);
    ZCon1.params = dbsettings::params(database);
    // Connected at load, with the transaction active from the start.
    ZCon1.setConnected(true);
    IBTrans1.startTransaction();
}

TData::~TData()
{
    if (Data == this)
        Data = nullptr;
    // Parts hung on the module by the libraries above it (the report feeds) read its datasets:
    // they go first, while the datasets still exist.
    const QObjectList parts = children();
    qDeleteAll(parts);
    try {
        ZCon1.close();
    } catch (...) {
    }
}

std::vector<TableDataset*> TData::tables()
{
    return {&IBTable1, &IBTable2, &IBTable3, &IBTable4, &IBTable5,
            &IBTable6, &IBTable7, &IBTable8, &IBTable9, &IBTable10};
}

void TData::reopenTables()
{
    for (TableDataset* t : tables())
        if (!t->hasUnsavedRow())
            t->close();
    for (TableDataset* t : tables())
        t->open();  // one left open stays as it is
}

Dataset* TData::dataset(const QString& name) const
{
    for (Dataset* ds : m_datasets)
        if (ds->name() == name)
            return ds;
    return nullptr;
}

bool TData::anyDatasetOpen(const Dataset* except) const
{
    for (const Dataset* ds : m_datasets)
        if (ds != except && ds->active())
            return true;
    return false;
}

void TData::startIfNeeded(const Dataset* starter, bool byStatement)
{
    if (IBTrans1.inTransaction())
        return;
    IBTrans1.startTransaction();
    m_autoStarter = starter;
    m_autoByStatement = byStatement;
}

void TData::holdTransaction()
{
    if (!IBTrans1.inTransaction())
        IBTrans1.startTransaction();
    m_autoStarter = nullptr;
    m_autoByStatement = false;
}

void TData::datasetClosed(const Dataset* ds)
{
    // A transaction that a dataset's opening started is committed when that dataset closes and
    // nothing else of the module still reads in it.
    if (m_closingAll || !ds || m_autoStarter != ds || m_autoByStatement || !IBTrans1.inTransaction())
        return;
    if (!anyDatasetOpen())
        IBTrans1.commit();
}

void TData::statementFinished(const Dataset* ds)
{
    // Likewise for a transaction that an executed statement started, at the end of that statement.
    if (!ds || m_autoStarter != ds || !m_autoByStatement || !IBTrans1.inTransaction())
        return;
    if (!anyDatasetOpen())
        IBTrans1.commit();
    else
        m_autoStarter = nullptr;
}

void TData::closeAllDatasets()
{
    m_closingAll = true;
    for (Dataset* ds : m_datasets)
        ds->closeQuietly();
    m_closingAll = false;
}

void TData::transactionEnded()
{
    m_autoStarter = nullptr;
    m_autoByStatement = false;
    // Work left pending in the shared transaction is committed or undone now.
    workLocks.sharedTransactionEnded();
}

// ---------------------------------------------------------------- reading by the order key

keyset::Catalog TData::catalog()
{
    keyset::Catalog c;
    c.primaryKey = [this](const QString& table) {
        fb::Statement stmt(ZCon1.attachment(), IBTrans1.raw(),
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
        fb::Statement stmt(ZCon1.attachment(), IBTrans1.raw(),
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

std::shared_ptr<const keyset::Plan> TData::orderKeyOf(Dataset& dataset)
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
