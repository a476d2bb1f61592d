#pragma once

#include "core/database.h"
#include "core/handover.h"
#include "storage/work_locks.h"

#include <QObject>

class Session;

// Datasets that several screens still share by name while they move to datasets of their own.
class TData : public QObject {
    Q_OBJECT
public:
    explicit TData(Session& session);
    ~TData() override;

    Session& session() { return m_session; }

    Connection& ZCon1;
    SharedTransaction& IBTrans1;
    WorkLocks& workLocks;

    TableDataset &IBTable1, &IBTable2, &IBTable3, &IBTable4, &IBTable5, &IBTable6, &IBTable7, &IBTable8, &IBTable9,
        &IBTable10, &IBTable11;
    Dataset ZQ11, ZQ12, ZQ13, ZQ14, ZQ21, ZQ22, ZQ23;
    Dataset& ZQ30;
    Dataset ZQ31;
    Dataset& ZQ40;
    Dataset ZQ41;
    Dataset ZQ60, ZQ61, ZQ70, ZQ111, ZQ112;
    DataSource &DS1, &DS2, &DS3, &DS4, &DS5, &DS6, &DS7, &DS8, &DS9, &DS100;
    DataSource DS11, DS12, DS14, DS21, DS22;
    DataSource &DS30, &DS40;
    DataSource DS60, DS61, DS111;

    std::vector<TableDataset*> tables();
    void reopenTables();
    std::vector<Dataset*> datasets() const;
    Dataset* dataset(const QString& name) const;
    bool anyDatasetOpen(const Dataset* except = nullptr) const;
    void holdTransaction();

private:
    Session& m_session;
};

using TransactionObject = SharedTransaction;

extern TData* Data;

// The hand-overs of the running session.
HandOver& handOver();
void resetHandOver();
