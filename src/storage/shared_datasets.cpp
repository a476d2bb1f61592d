#include "storage/shared_datasets.h"

#include "storage/session.h"

TData* Data = nullptr;

TData::TData(Session& session)
    : ZCon1(session.database().connection()),
      IBTrans1(session.transaction()),
      workLocks(session.workLocks()),
      IBTable1(session.tables().arrivals),
      IBTable2(session.tables().departures),
      IBTable3(session.tables().carriers),
      IBTable4(session.tables().partners),
      IBTable5(session.tables().departuresUnshown),
      IBTable6(session.tables().earTagRuns),
      IBTable7(session.tables().archivedArrivals),
      IBTable8(session.tables().archivedDepartures),
      IBTable9(session.tables().senderRuns),
      IBTable10(session.tables().company),
      IBTable11(session.tables().staging),
      ZQ11(session.database(), QStringLiteral("ZQ11")),
      ZQ12(session.database(), QStringLiteral("ZQ12")),
      ZQ13(session.database(), QStringLiteral("ZQ13")),
      ZQ14(session.database(), QStringLiteral("ZQ14")),
      ZQ21(session.database(), QStringLiteral("ZQ21")),
      ZQ22(session.database(), QStringLiteral("ZQ22")),
      ZQ23(session.database(), QStringLiteral("ZQ23")),
      ZQ30(session.carriers().list()),
      ZQ31(session.database(), QStringLiteral("ZQ31")),
      ZQ40(session.partners().list()),
      ZQ41(session.database(), QStringLiteral("ZQ41")),
      ZQ60(session.database(), QStringLiteral("ZQ60")),
      ZQ61(session.database(), QStringLiteral("ZQ61")),
      ZQ70(session.database(), QStringLiteral("ZQ70")),
      ZQ111(session.database(), QStringLiteral("ZQ111")),
      ZQ112(session.database(), QStringLiteral("ZQ112")),
      DS1(session.tables().arrivalsSource),
      DS2(session.tables().departuresSource),
      DS3(session.tables().carriersSource),
      DS4(session.tables().partnersSource),
      DS5(session.tables().departuresUnshownSource),
      DS6(session.tables().earTagRunsSource),
      DS7(session.tables().archivedArrivalsSource),
      DS8(session.tables().archivedDeparturesSource),
      DS9(session.tables().senderRunsSource),
      DS100(session.tables().companySource),
      DS11(ZQ11, QStringLiteral("DS11")),
      DS12(ZQ12, QStringLiteral("DS12")),
      DS14(ZQ14, QStringLiteral("DS14")),
      DS21(ZQ21, QStringLiteral("DS21")),
      DS22(ZQ22, QStringLiteral("DS22")),
      DS30(session.carriers().listSource()),
      DS40(session.partners().listSource()),
      DS60(ZQ60, QStringLiteral("DS60")),
      DS61(ZQ61, QStringLiteral("DS61")),
      DS111(ZQ111, QStringLiteral("DS111")),
      m_session(session)
{
    setObjectName(QStringLiteral("Data"));
    Data = this;
}

TData::~TData()
{
    if (Data == this)
        Data = nullptr;
    // Parts hung on it by the libraries above (the report feeds) read its datasets: they go first.
    const QObjectList parts = children();
    qDeleteAll(parts);
}

std::vector<TableDataset*> TData::tables() { return m_session.tables().all(); }
void TData::reopenTables() { m_session.tables().reopen(); }
std::vector<Dataset*> TData::datasets() const { return m_session.database().datasets(); }
Dataset* TData::dataset(const QString& name) const { return m_session.database().dataset(name); }
bool TData::anyDatasetOpen(const Dataset* except) const { return m_session.database().anyDatasetOpen(except); }
void TData::holdTransaction() { m_session.database().holdTransaction(); }

HandOver& handOver() { return Data->session().handOver(); }
void resetHandOver() { handOver() = HandOver{}; }
