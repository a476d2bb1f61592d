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

// A departure as the outgoing entry screen writes it; the database gives the identifier and code.
struct Departure {
    QString carrierCode;     // kskod
    QString buyerCode;       // kfkod
    QString earTag;          // kfulszam
    QDate dispatchDate;      // kikelt
    QString certificateIn;   // keubizbe: the health certificate the animal arrived with
    QString category;        // khkat: the utilisation category
    QString certificateOut;  // keubizki: the health certificate it leaves with
};

// The row the outgoing list stands on, as the list shows it: what it hands the entry screen to
// change. Values are the list's texts (the date in the program's date form, "" when missing).
struct ListedDeparture {
    QString id;              // IDk
    QString carrierCode;     // kskod
    QString buyerCode;       // kfkod
    QString earTag;          // kfulszam
    QString dispatchDate;    // kikelt
    QString certificateIn;   // keubizbe
    QString category;        // khkat
    QString certificateOut;  // keubizki
    QString carrierRowCode;  // skod: the code of the carrier row the departure joins
    QString buyerRowCode;    // fkod: the code of the buyer row it joins
};

// What the data completion gives every departure that has neither a carrier nor a buyer code.
struct DepartureCompletion {
    QString carrierCode;     // kskod
    QString buyerCode;       // kfkod
    QString certificateOut;  // keubizki
    QString category;        // khkat
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

    // --- the outgoing list ("Kiszállítás")

    enum class ListOrder { Entry, DateAndEarTag };
    // Opens rows on the departures whose carrier and buyer both exist, with the carrier's and the
    // buyer's columns: kfulszam, kikelt, khkat, keubizki, keubizbe, kskod, kfkod, IDk, kKod,
    // srendszam, snev, scim, sjovaszam, skod, IDs, fnev, fcim, ftenykod, fsznev, fszcim, fkod, IDf;
    // in entry order (IDk) or by dispatch date and ear tag. The first row is current.
    void openList(Dataset& rows, ListOrder order);
    // The current row of a list opened by openList.
    static ListedDeparture listedDeparture(const Dataset& rows);
    // Deletes every departure with the ear tag, in the shared transaction (not committed).
    void removeEarTag(const QString& earTag);

    // --- the outgoing entry screen ("Fülszám bevitel (kiszállitás)")

    // Opens rows on every departure in entry order (IDk): kfulszam, kikelt, khkat, keubizki,
    // keubizbe, kskod, kfkod, IDk, and kKod withCode. The first row is current.
    void openEntryList(Dataset& rows, bool withCode);
    // How many departures with the identifier id (as text) carry the ear tag: 1 for the departure
    // being changed when it keeps its own ear tag.
    qint64 countForEarTagInDeparture(const QString& earTag, const QString& id);
    // In the shared transaction (not committed). A departure without a valid dispatch date is
    // refused with fb::Error before anything is written.
    void insert(const Departure& departure);
    void update(const QString& id, const Departure& departure);

    // --- the data completion ("Adatfeltöltés")

    // Opens rows on the departures that have neither a carrier nor a buyer code: kfulszam, kikelt,
    // khkat, keubizki, keubizbe, kskod, kfkod, IDk, kKod.
    void openIncomplete(Dataset& rows);
    // Gives every such departure the completion's values, in one update in the shared
    // transaction (not committed).
    void complete(const DepartureCompletion& completion);

    // --- the takeover ("Adatátvétel")

    // Every staged row (KISZALL1) becomes a departure with its ear tag and dispatch date, and the
    // certificate and category of its arrival where there is one (one departure per arrival
    // found), in the shared transaction (not committed).
    void insertStaged();

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
    Dataset m_changes;  // the writes
    Dataset m_writes;
};
