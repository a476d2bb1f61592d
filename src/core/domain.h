#pragma once

#include <QString>

class Dataset;

// Rules of the site's business that several screens apply.
namespace domain {

// The utilisation category a new entry starts with.
inline const QString kDefaultCategory = QStringLiteral("gyüjtés");

// The category a double-click on a category field switches to: "hizlalás" becomes "vágás",
// anything else becomes "hizlalás".
QString nextCategory(const QString& category);

// How many departures (KISZALL rows) carry the ear tag, compared exactly as text; counted on
// query, which is left open on the count.
qint64 departureCount(Dataset& query, const QString& earTag);

// Whether a column (by name, any letter case) holds ear tags: the ear tags of arrivals and
// departures (BFULSZAM, KFULSZAM, live, archived and staged alike) and the ear-tag runs of the work
// tables (UFULTOL, UFULIG).
bool isEarTagColumn(const QString& name);

}  // namespace domain
