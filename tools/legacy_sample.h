#pragma once

#include <QList>
#include <QString>

// Sample files of the previous version for the import's benchmark and fault proof: the six files
// with their fields in their columns, every line different and importable, ear tags unique, and
// the delivery lines referring to carriers and partners that the register files hold.
namespace legacysample {

struct Counts {
    int arrivals = 0, departures = 0, archivedArrivals = 0, archivedDepartures = 0, partners = 0, carriers = 0;
    int total() const
    {
        return arrivals + departures + archivedArrivals + archivedDepartures + partners + carriers;
    }
    // The counts of the six files in their import order.
    QList<int> inImportOrder() const
    {
        return {arrivals, departures, archivedArrivals, archivedDepartures, partners, carriers};
    }
};

// About a hundred partners and ten carriers per thousand lines; the rest deliveries.
Counts countsFor(int totalLines);

// Writes the six files into directory (which must exist), lines ended with CR LF.
void write(const QString& directory, const Counts& counts);

}  // namespace legacysample
