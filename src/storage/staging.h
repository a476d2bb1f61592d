#pragma once

#include "core/dataset.h"

#include <QString>

class Database;

// The takeover's staging table (KISZALL1): the departing ear tags read from the XML file, before
// they are posted as departures. Its rows are appended blind through the writable whole-table
// dataset Tables::staging; the statements on it are these.
class DepartureStaging {
public:
    explicit DepartureStaging(Database& database);
    DepartureStaging(const DepartureStaging&) = delete;
    DepartureStaging& operator=(const DepartureStaging&) = delete;

    // Deletes every staged row, in the shared transaction (not committed).
    void empty();
    // Opens rows on every staged row, all columns (kikelt, kfulszam, kvkod, khkat, keube, keuki,
    // IDk, kKod).
    void openAll(Dataset& rows);
    // Opens rows on the staged ear tags that no arrival carries: kfulszam, KIKELT.
    void openWithoutArrival(Dataset& rows);

    // --- rewriting the staged ear tags one by one

    // Every staged row, all columns, read one by one by the caller (first row current); the
    // dataset is the store's own and stays open.
    Dataset& openRowsToRewrite();
    // Sets the ear tag of the staged row with the identifier, in the shared transaction (not
    // committed).
    void setEarTag(qint64 id, const QString& earTag);

private:
    Database& m_database;
    Dataset m_rowsToRewrite;
    Dataset m_writes;
};
