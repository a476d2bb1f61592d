#include "storage/ear_tag_runs.h"

EarTagRuns::EarTagRuns(Database& database) : m_database(database) {}
