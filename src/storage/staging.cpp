#include "storage/staging.h"

DepartureStaging::DepartureStaging(Database& database) : m_database(database) {}
