#pragma once

class Database;

// The ear-tag work tables: FULSZAM, the runs of consecutive ear tags a printout, archiving or
// withdrawal builds for its own work, and FULSZAM0, a sender's runs.
class EarTagRuns {
public:
    explicit EarTagRuns(Database& database);
    EarTagRuns(const EarTagRuns&) = delete;
    EarTagRuns& operator=(const EarTagRuns&) = delete;

private:
    Database& m_database;
};
