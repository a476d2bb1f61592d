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

    // --- written by the incoming entry screen

    // In the shared transaction (not committed). The carrier, buyer and outgoing certificate are
    // empty texts, not missing ones: the departure list leaves the row out (its joins find no
    // register row) and the data completion finds it.
    void insertWithArrival(const DepartureWithArrival& departure);

private:
    Database& m_database;
    Dataset m_counts;   // left open on the last count read
    Dataset m_changes;  // the writes
};
