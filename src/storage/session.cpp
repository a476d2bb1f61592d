#include "storage/session.h"

#include "storage/shared_datasets.h"

Session::Session(const QString& database)
    : m_database(std::make_unique<Database>(database)),
      m_workLocks(*m_database),
      m_tables(*m_database),
      m_carriers(*m_database),
      m_partners(*m_database),
      m_arrivals(*m_database),
      m_departures(*m_database),
      m_staging(*m_database),
      m_earTagRuns(*m_database),
      m_company(*m_database),
      m_earTagStories(*m_database),
      m_stockTakes(*m_database, m_arrivals),
      m_shared(std::make_unique<TData>(*this))
{
}

Session::~Session()
{
    // The screens' shared datasets and what hangs on them go first, while the database is open.
    m_shared.reset();
    try {
        m_database->connection().close();
    } catch (...) {
    }
}
