#include "storage/company.h"

Company::Company(Database& database) : m_database(database) {}
