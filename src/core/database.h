#pragma once

#include "core/dataset.h"
#include "db/client.h"
#include "db/database_settings.h"

#include <QHash>
#include <QObject>

#include <memory>
#include <vector>

class Database;

// The program's connection: by default Dudoz.fdb in the working directory, or the database the
// settings name (db/database_settings.h).
class Connection {
public:
    explicit Connection(Database& database);
    fb::ConnectParams params;
    bool connected() const { return m_att.isAttached(); }
    void setConnected(bool on);
    void close();
    fb::Attachment& attachment() { return m_att; }

private:
    Database& m_database;
    fb::Attachment m_att;
};

// The one transaction of the program. Ending it (commit or rollback) closes every open dataset.
class SharedTransaction {
public:
    explicit SharedTransaction(Database& database);
    bool inTransaction() const { return m_tra.isActive(); }
    void startTransaction();
    void commit();
    void commitRetaining();
    void rollback();
    // Rolls back after a failed write that the person has been told about already: a failure of
    // the rollback itself has nothing more to tell, and an ended transaction is left as it is.
    void rollbackQuietly();
    // Writing statements run in the transaction that are not committed yet (since it started or
    // was last committed with retaining); 0 when nothing waits for a commit.
    qint64 pendingWrites() const;
    fb::Transaction& raw() { return m_tra; }

private:
    Database& m_database;
    fb::Transaction m_tra;
};

// One open database: the connection, the program's one transaction and the rules by which the
// datasets reading in it start and end it. Every dataset made on it registers itself here, so that
// a commit or a rollback closes them all, wherever they live (a screen, a store). Created at
// start-up and handed to whatever reads or writes.
class Database : public QObject {
    Q_OBJECT
    // Declared first: datasets register here while members are built, and unregister when they go.
    std::vector<Dataset*> m_datasets;

public:
    // Connects and starts the transaction; a failure raises fb::Error. Without a database the
    // settings name it (Dudoz.fdb in the working directory unless GERUNDO_DATABASE says otherwise).
    explicit Database(const QString& database = dbsettings::database(), QObject* parent = nullptr);
    ~Database() override;

    Connection& connection() { return m_connection; }
    SharedTransaction& transaction() { return m_transaction; }

    std::vector<Dataset*> datasets() const { return m_datasets; }
    Dataset* dataset(const QString& name) const;
    bool anyDatasetOpen(const Dataset* except = nullptr) const;

    // Starts the transaction when it is not active and takes it out of the automatic rules: no
    // dataset's closing or statement's end commits it on its own any more; only an explicit
    // commit or rollback ends it. For a screen whose several writes must stand or fall together.
    void holdTransaction();

signals:
    // The shared transaction was committed or rolled back (not with retaining).
    void transactionEnded();
    // The connection is about to close: what holds transactions of its own on it lets them go.
    void disconnecting();

private:
    friend class Dataset;
    friend class TableDataset;
    friend class Connection;
    friend class SharedTransaction;

    void registerDataset(Dataset* dataset) { m_datasets.push_back(dataset); }
    void unregisterDataset(Dataset* dataset);
    // --- used by datasets for the automatic transaction rules
    // Starts the transaction when it is not active, remembering who started it.
    void startIfNeeded(const Dataset* starter, bool byStatement);
    void datasetClosed(const Dataset* ds);
    void statementFinished(const Dataset* ds);
    void closeAllDatasets();
    void endedTransaction();

    // How a dataset's statement is read by its order key, worked out once per statement text (the
    // statement's shape, the keys and unique indexes the database declares); null when it cannot be.
    std::shared_ptr<const keyset::Plan> orderKeyOf(Dataset& dataset);
    keyset::Catalog catalog();

    Connection m_connection;
    SharedTransaction m_transaction;
    QHash<QString, std::shared_ptr<const keyset::Plan>> m_orderKeys;
    const Dataset* m_autoStarter = nullptr;
    bool m_autoByStatement = false;
    bool m_closingAll = false;
};
