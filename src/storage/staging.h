#pragma once

class Database;

// The takeover's staging table (KISZALL1): the departing ear tags read from the XML file, before
// they are posted as departures.
class DepartureStaging {
public:
    explicit DepartureStaging(Database& database);
    DepartureStaging(const DepartureStaging&) = delete;
    DepartureStaging& operator=(const DepartureStaging&) = delete;

private:
    Database& m_database;
};
