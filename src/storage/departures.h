#pragma once

#include "core/dataset.h"

#include <QDate>
#include <QString>

class Database;

// The departures (KISZALL) and their archive (KISZALL0): every statement the program runs on them.
class Departures {
public:
    explicit Departures(Database& database);
    Departures(const Departures&) = delete;
    Departures& operator=(const Departures&) = delete;

    // How many departures went with the carrier / to the buyer with that code.
    qint64 countWithCarrier(const QString& carrierCode);
    qint64 countWithBuyer(const QString& buyerCode);
    // How many departures carry the ear tag, compared exactly as text.
    qint64 countForEarTag(const QString& earTag);

    // --- the ear-tag lookups (search, duplicate check, departures without arrival)
    // The orders of the whole live departure list in the ear-tag search.
    enum class SearchOrder { ByEarTag, ByDispatchDate, ByBuyerName, ByCarrierName, ByEntry };
    // Every live departure with its carrier and buyer, in rows: kfulszam, kikelt, fnev, snev,
    // khkat, keubizki, keubizbe, kskod, kfkod, IDk, srendszam, scim, sjovaszam, skod, IDs, fcim,
    // ftenykod, fsznev, fszcim, fkod, IDf. The first row is current.
    void openSearchList(Dataset& rows, SearchOrder order);
    // The live departures whose ear tag begins with earTagBeginning (every one when it is empty),
    // in ear-tag order, in rows: kfulszam, kikelt, fnev, snev, khkat, keubizki, keubizbe, kskod,
    // kfkod, IDk, srendszam, snev (again), scim, sjovaszam, skod, IDs, fcim, ftenykod, fsznev,
    // fszcim, fkod, IDf. The beginning is bound, never part of the text.
    void openEarTagSearch(Dataset& rows, const QString& earTagBeginning);
    // Every live departure in ear-tag order, in rows: kfulszam, kikelt, keubizki, keubizbe, IDk.
    void openByEarTag(Dataset& rows);
    // Every live departure whose ear tag has no live arrival (also when its arrival was archived
    // while it stayed live), in the order the engine gives them, in rows: kfulszam, kikelt, kskod,
    // kfkod, IDk. Reads the arrivals (BESZALL) too; kept here, as it lists departures.
    void openWithoutArrival(Dataset& rows);

    // --- the last known pass of an ear tag, as an SQL expression for another store's statement:
    // its latest departure, live or archived, else its latest arrival (an archived one, as a live
    // one without a departure is on site). Kind: "kiszállítva", "kiszállítva (archivált)",
    // "beszállítva (archivált)", "beszállítva"; Date: its day; Partner: the buyer's or sender's
    // name. NULL for an ear tag that neither the live nor the archived tables ever held. Reads
    // the arrivals too; kept here, as a departure is what it looks for first.
    enum class PassValue { Kind, Date, Partner };
    static QString lastKnownPass(const QString& earTag, PassValue value);

private:
    Database& m_database;
    Dataset m_counts;  // left open on the last count read
};
