#pragma once

#include "core/dataset.h"

#include <QDate>
#include <QString>

class Database;

// A departure written together with the animal's arrival (the incoming entry screen's
// "Kiszállitáshoz beirva"): it has no carrier, buyer or outgoing certificate yet.
struct DepartureWithArrival {
    QString earTag;         // kfulszam
    QDate dispatchDate;     // kikelt: the day the animal arrived
    QString certificateIn;  // keubizbe: the arrival's health certificate
    QString category;       // khkat
};

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

    // --- written by the incoming entry screen
    // In the shared transaction (not committed). The carrier, buyer and outgoing certificate are
    // empty texts, not missing ones: the departure list leaves the row out (its joins find no
    // register row) and the data completion finds it.
    void insertWithArrival(const DepartureWithArrival& departure);

private:
    Database& m_database;
    Dataset m_counts;  // left open on the last count read
    Dataset m_changes;  // the writes
};
