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

private:
    Database& m_database;
    Dataset m_counts;  // left open on the last count read
};
