#pragma once

#include "core/dataset.h"

#include <QDate>
#include <QString>

class Database;

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
};
