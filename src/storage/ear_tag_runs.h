#pragma once

#include "core/dataset.h"
#include "core/eartag_ranges.h"

#include <QString>
#include <QStringList>

class Database;

// The ear-tag work tables: FULSZAM, the runs of consecutive ear tags a printout, archiving or
// withdrawal builds for its own work, and FULSZAM0, a sender's runs.
class EarTagRuns {
public:
    explicit EarTagRuns(Database& database);
    EarTagRuns(const EarTagRuns&) = delete;
    EarTagRuns& operator=(const EarTagRuns&) = delete;

    // --- a sender's ranges ("Beszállító fülszámai"): the sender's ear tags gathered in FULSZAM
    // (as UFULTOL), their runs stored in FULSZAM0. Writes run in the shared transaction and are
    // not committed here.
    enum class ArrivalTable { Live, Archived };
    // Empties FULSZAM.
    void clearEarTags();
    // Adds to FULSZAM the ear tag of every arrival from the sender with that partner code, live
    // (BESZALL) or archived (BESZALL0). Reads the arrivals; kept here, as it fills FULSZAM.
    void addSenderEarTags(const QString& senderCode, ArrivalTable from);
    // FULSZAM's ear tags in text order. The dataset that read them stays open on them.
    QStringList earTagsInTextOrder();
    // Empties FULSZAM0.
    void clearSenderRuns();
    // Stores one run in FULSZAM0 (its first and last ear tag).
    void insertSenderRun(const eartag::Range& run);
    // FULSZAM0's runs in order of their first ear tag, in rows: IDU, UFULTOL, UFULIG.
    void openSenderRuns(Dataset& rows);
    // The same for the runs whose first ear tag begins with earTagBeginning (every one when it is
    // empty). The beginning is bound, never part of the text.
    void openSenderRunsBeginningWith(Dataset& rows, const QString& earTagBeginning);

private:
    Database& m_database;
    Dataset m_writes;   // the work tables' emptying and filling
    Dataset m_earTags;  // FULSZAM read in text order, left open
};
