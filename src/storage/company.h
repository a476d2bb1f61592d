#pragma once

class Database;

// The own company's record (PARTNER): the heading of every printout.
class Company {
public:
    explicit Company(Database& database);
    Company(const Company&) = delete;
    Company& operator=(const Company&) = delete;

private:
    Database& m_database;
};
