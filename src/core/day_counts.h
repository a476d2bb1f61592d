#pragma once

#include "db/client.h"

#include <QDate>

// What the main window tells about the site: a day's arrivals and departures, and the animals on
// site. Each reads in a transaction of its own on the given connection, so it sees what is
// committed and leaves the data module's transaction alone.
namespace daycounts {

struct Day {
    qint64 arrivals = 0;    // BESZALL rows with that arrival date
    qint64 departures = 0;  // KISZALL rows with that dispatch date
};

// Cheap at any size: both counts go through the date indexes.
Day countDay(fb::Attachment& att, const QDate& day);

// Animals on site: ear tags that have arrived and not left (an ear tag arrived twice is one animal,
// and an ear tag with any departure has left). Reads every arrival: seconds on a million rows.
qint64 countOnSite(fb::Attachment& att);

}  // namespace daycounts
