#pragma once

#include "core/database_settings.h"
#include "core/dataset.h"
#include "core/worklock.h"
#include "db/client.h"

#include <QHash>
#include <QObject>

#include <memory>
#include <vector>

class TData;

// The module's connection: by default Dudoz.fdb in the working directory, or the database the
// settings name (core/database_settings.h).
class Connection {
public:
    explicit Connection(TData& module);
    fb::ConnectParams params;
    bool connected() const { return m_att.isAttached(); }
    void setConnected(bool on);
    void close();
    fb::Attachment& attachment() { return m_att; }

private:
    TData& m_module;
    fb::Attachment m_att;
};

// The one transaction of the program. Ending it (commit or rollback) closes every open dataset.
class TransactionObject {
public:
    explicit TransactionObject(TData& module);
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
    TData& m_module;
    fb::Transaction m_tra;
};

// The data module: connection, transaction, every named dataset and data source of the program.
class TData : public QObject {
    Q_OBJECT
    // Declared first: every dataset registers itself here while the members below are built.
    std::vector<class Dataset*> m_datasets;

public:
    // Connects and starts the transaction; a failure raises fb::Error. Without a database the
    // settings name it (Dudoz.fdb in the working directory unless GERUNDO_DATABASE says otherwise).
    explicit TData(QObject* parent = nullptr, const QString& database = dbsettings::database());
    ~TData() override;

    Connection ZCon1;
    TransactionObject IBTrans1;
    // The shared work this program has claimed against other desks on the same database.
    WorkLocks workLocks;

    TableDataset IBTable1, IBTable2, IBTable3, IBTable4, IBTable5, IBTable6, IBTable7, IBTable8, IBTable9,
        IBTable10, IBTable11;
    Dataset ZQ11, ZQ12, ZQ13, ZQ14, ZQ21, ZQ22, ZQ23, ZQ30, ZQ31, ZQ40, ZQ41, ZQ60, ZQ61, ZQ70, ZQ111, ZQ112;
    DataSource DS1, DS2, DS3, DS4, DS5, DS6, DS7, DS8, DS9, DS100, DS11, DS12, DS14, DS21, DS22, DS30, DS40, DS60,
        DS61, DS111;

    // IBTable1..IBTable10 in their order (the main window closes and reopens them together).
    std::vector<TableDataset*> tables();
    // Closes IBTable1..IBTable10 in order and opens them again in order, so they show what was
    // committed meanwhile. A table holding an unsaved row is left as it is: closing it would drop
    // what was typed into that row.
    void reopenTables();
    std::vector<Dataset*> datasets() const { return m_datasets; }
    Dataset* dataset(const QString& name) const;
    bool anyDatasetOpen(const Dataset* except = nullptr) const;

    // --- used by datasets for the automatic transaction rules
    // Starts the transaction when it is not active, remembering who started it.
    void startIfNeeded(const Dataset* starter, bool byStatement);
    // Starts the transaction when it is not active and takes it out of the automatic rules: no
    // dataset's closing or statement's end commits it on its own any more; only an explicit
    // commit or rollback ends it. For a screen whose several writes must stand or fall together.
    void holdTransaction();
    void datasetClosed(const Dataset* ds);
    void statementFinished(const Dataset* ds);
    void closeAllDatasets();
    void transactionEnded();

private:
    friend class Dataset;
    // How a dataset's statement is read by its order key, worked out once per statement text (the
    // statement's shape, the keys and unique indexes the database declares); null when it cannot be.
    std::shared_ptr<const keyset::Plan> orderKeyOf(Dataset& dataset);
    keyset::Catalog catalog();
    QHash<QString, std::shared_ptr<const keyset::Plan>> m_orderKeys;
    const Dataset* m_autoStarter = nullptr;
    bool m_autoByStatement = false;
    bool m_closingAll = false;
};

// The one data module of the program; null until start-up has created it.
extern TData* Data;
