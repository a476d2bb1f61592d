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

private:
    Database& m_database;
    Dataset m_counts;  // left open on the last count read
};
