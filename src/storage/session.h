#pragma once

#include "core/database.h"
#include "core/handover.h"
#include "storage/arrivals.h"
#include "storage/carriers.h"
#include "storage/company.h"
#include "storage/departures.h"
#include "storage/ear_tag_runs.h"
#include "storage/ear_tag_stories.h"
#include "storage/partners.h"
#include "storage/staging.h"
#include "storage/stock_takes.h"
#include "storage/tables.h"
#include "storage/work_locks.h"

#include <memory>

class TData;

// One run of the program on one database: the connection and its one transaction, the stores
// that hold every statement on the tables, the lists several screens share, the work claimed
// against other desks and what the screens hand each other. Made at start-up (or by a test on a
// database of its own) and passed to every screen.
class Session {
public:
    // Connects and starts the transaction; a failure raises fb::Error.
    explicit Session(const QString& database = dbsettings::database());
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    Database& database() { return *m_database; }
    SharedTransaction& transaction() { return m_database->transaction(); }
    WorkLocks& workLocks() { return m_workLocks; }
    Tables& tables() { return m_tables; }

    Carriers& carriers() { return m_carriers; }
    Partners& partners() { return m_partners; }
    Arrivals& arrivals() { return m_arrivals; }
    Departures& departures() { return m_departures; }
    DepartureStaging& staging() { return m_staging; }
    EarTagRuns& earTagRuns() { return m_earTagRuns; }
    Company& company() { return m_company; }
    EarTagStories& earTagStories() { return m_earTagStories; }
    StockTakes& stockTakes() { return m_stockTakes; }

    HandOver& handOver() { return m_handOver; }

private:
    std::unique_ptr<Database> m_database;  // first: everything below reads in it
    WorkLocks m_workLocks;
    Tables m_tables;
    Carriers m_carriers;
    Partners m_partners;
    Arrivals m_arrivals;
    Departures m_departures;
    DepartureStaging m_staging;
    EarTagRuns m_earTagRuns;
    Company m_company;
    EarTagStories m_earTagStories;
    StockTakes m_stockTakes;
    HandOver m_handOver;
    std::unique_ptr<TData> m_shared;
};
