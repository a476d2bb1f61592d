#pragma once

#include "core/dataset.h"

#include <QDate>
#include <QString>

#include <optional>

class Database;

// An arrival as the incoming entry screen writes it.
struct Arrival {
    QString carrierCode;  // bskod
    QString senderCode;   // bfkod
    QString earTag;       // bfulszam
    QDate arrivalDate;    // bszkelt
    QDate purchaseDate;   // bvkelt
    QString category;     // bhkat: the utilisation category
    QString certificate;  // beubiz: the health certificate's number
};

// The current row of the incoming list as the list hands it to the entry screen for a change: the
// arrival's values as the list reads them (dates as yyyy.MM.dd text, a missing value as "") and the
// codes of its carrier and sender as their registers hold them.
struct ListedArrival {
    QString id;                     // IDb
    QString carrierCode;            // bskod
    QString senderCode;             // bfkod
    QString earTag;                 // bfulszam
    QString arrivalDate;            // bszkelt
    QString purchaseDate;           // bvkelt
    QString category;               // bhkat
    QString certificate;            // beubiz
    QString registeredCarrierCode;  // skod
    QString registeredSenderCode;   // fkod
};

// The arrivals (BESZALL) and their archive (BESZALL0): every statement the program runs on them.
class Arrivals {
public:
    explicit Arrivals(Database& database);
    Arrivals(const Arrivals&) = delete;
    Arrivals& operator=(const Arrivals&) = delete;

    // How many arrivals came with the carrier / from the sender with that code.
    qint64 countWithCarrier(const QString& carrierCode);
    qint64 countWithSender(const QString& senderCode);

    // --- the ear-tag lookups (search, duplicate check)
    // The orders of the whole live arrival list in the ear-tag search.
    enum class SearchOrder { ByEarTag, ByArrivalDate, BySenderName, ByCarrierName, ByEntry };
    // Every live arrival with its carrier and sender, in rows: bfulszam, bszkelt, fnev, snev,
    // bvkelt, bhkat, beubiz, bskod, bfkod, IDb, srendszam, scim, sjovaszam, skod, IDs, fcim,
    // ftenykod, fsznev, fszcim, fkod, IDf. The first row is current.
    void openSearchList(Dataset& rows, SearchOrder order);
    // The live arrivals whose ear tag begins with earTagBeginning (every one when it is empty), in
    // ear-tag order, in rows: bfulszam, bszkelt, fnev, snev, srendszam, scim, sjovaszam, skod, IDs,
    // fcim, ftenykod, fsznev, fszcim, fkod, IDf. The beginning is bound, never part of the text.
    void openEarTagSearch(Dataset& rows, const QString& earTagBeginning);
    // Every live arrival in ear-tag order, in rows: bfulszam, bszkelt, bvkelt, bhkat, beubiz,
    // bskod, bfkod, IDb.
    void openByEarTag(Dataset& rows);

    // --- the incoming list ("Beszállítás")
    enum class ListOrder { InEntryOrder, ByDateAndEarTag };
    // Opens rows on every arrival whose carrier and sender are registered, joined with both
    // registers: bfulszam, bszkelt, fnev, snev, bvkelt, bhkat, beubiz, bskod, bfkod, IDb, [Bkod,]
    // srendszam, scim, sjovaszam, skod, IDs, fcim, ftenykod, fsznev, fszcim, fkod, IDf; Bkod (the
    // code the database gives) only withCode. In entry order (IDb) or by arrival date and ear tag.
    void openIncomingList(Dataset& rows, bool withCode, ListOrder order);
    // The current row of rows opened by openIncomingList.
    static ListedArrival listedArrival(const Dataset& incomingList);

    // Deleting an ear tag from the incoming list, in the shared transaction (not committed). First
    // the arrival entered just before the first one with the ear tag, or the first arrival when
    // none comes before it (as decimal text; "" without arrivals): the list ends there afterwards.
    // A blank ear tag also stands for a missing one.
    QString idBeforeEarTag(const QString& earTag);
    // Then every arrival with the ear tag (compared without trailing blanks); returns how many.
    qint64 removeEarTag(const QString& earTag);

    // --- the incoming entry screen ("Fülszám bevitel (beszállítás)")
    // Opens rows on every arrival in entry order: bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod,
    // bfkod, IDb, and Bkod withCode.
    void openEntryList(Dataset& rows, bool withCode);
    // The lowest IDb of the arrivals with the ear tag (compared exactly as text); none when no
    // arrival has it. Its rows stay open until the next check or the end of the transaction.
    std::optional<qint64> lowestIdWithEarTag(const QString& earTag);
    // In the shared transaction (not committed).
    void insert(const Arrival& arrival);
    void update(const QString& id, const Arrival& arrival);

    // --- an ear tag about to leave (the outgoing entry screen and its pick list)

    // How many arrivals carry the ear tag, compared exactly as text; 0 when it never arrived.
    qint64 countForEarTag(const QString& earTag);
    // The health certificate (beubiz) of the ear tag's first arrival as the database reads it;
    // "" when it never arrived.
    QString certificateOf(const QString& earTag);
    // Opens rows on the arrived ear tags that no departure carries, in text order: bfulszam, bszkelt.
    // The first row is current.
    void openNotDeparted(Dataset& rows);

    // --- the animals on site: an ear tag is on site while the live arrivals carry it more often
    // than the live departures (an animal that came back is on site again; one whose every arrival
    // has its departure has left). Archived rows do not count; rows without an ear tag are no
    // animal. One rule for every statement that asks.
    // The rule as an SQL condition on an ear tag, an expression of the statement it goes into
    // ("t.tfulszam", ":tag"); each side goes through the ear-tag indexes.
    static QString onSiteCondition(const QString& earTag);
    // How many animals (ear tags) are on site. Reads every live arrival and departure once, in one
    // sort (about a second on a million arrivals).
    qint64 countOnSite();
    // The animals on site, each ear tag once by its latest live arrival, as the FROM and WHERE lines
    // of another store's statement (b: the arrival, f: its sender); the caller adds its conditions
    // with AND and its order. ByScreenful walks the arrivals in ear-tag order through the ear-tag
    // index with three lookups each, so a list's first screenful comes at once; Whole works the
    // animals out in one pass over the arrivals and departures, quicker for a whole list.
    enum class OnSiteReading { ByScreenful, Whole };
    static QStringList latestArrivalsOnSite(OnSiteReading reading);
    // A value of the ear tag's latest live arrival, as an SQL expression for another store's
    // statement: value names a column of la (the arrival) or laf (its sender): "la.bszkelt",
    // "laf.fnev". NULL for an ear tag without a live arrival.
    static QString latestArrivalValue(const QString& earTag, const QString& value);

private:
    Database& m_database;
    Dataset m_counts;  // left open on the last count read
    Dataset m_earTagUse;  // the arrivals with an ear tag, left open on the last check
    Dataset m_changes;    // the writes, and the read that a deletion makes before its write
    Dataset m_earTagReads;  // left open on the last read of one ear tag's arrivals
};
