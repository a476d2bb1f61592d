#pragma once

#include "db/client.h"

#include <QDate>
#include <QString>

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

// Animals on site: ear tags with more arrivals (BESZALL rows) than departures (KISZALL rows), an
// animal that came back included. Ear tags compare as the joins of arrivals and departures compare
// them: byte for byte, trailing blanks aside, leading zeros significant ("012" is not "12"). Rows
// without an ear tag (none, or blanks) are no animal; archived rows do not count.
// The database keeps this count (GERUNDO_ONSITE_* in the schema), so reading it takes the same
// time at any size; where it does not keep it exactly (a file not yet upgraded, its triggers
// switched off, changed around them and not checked since), it is counted from the tables.
qint64 countOnSite(fb::Attachment& att);

// The same, always counted from the tables (seconds on a million rows): the definition itself.
qint64 countOnSiteFromTables(fb::Attachment& att);

// Comparing the kept count with the tables, and repairing it.
struct OnSiteCheck {
    enum class Outcome {
        Trusted,     // kept, and nothing went around it since the last comparison: not compared
        Agreed,      // compared: it agreed with the tables
        Repaired,    // compared: it did not agree, and was rebuilt from the tables
        Built,       // made from the tables the first time (the upgrade that added the keeping)
        NotKept,     // the database does not keep it (missing: `missing`); counted from the tables
        Failed,      // the comparison failed (`error`), nothing changed; counted from the tables
    };
    Outcome outcome = Outcome::Trusted;
    qint64 earTagsRepaired = 0;  // ear tags whose kept balance was wrong
    qint64 keptBefore = 0;       // the count as it was kept
    qint64 counted = 0;          // the count from the tables (Agreed, Repaired)
    QString missing;             // what of the keeping is missing or switched off
    QString error;               // the engine's message
};

// At start-up (always false): compares and repairs only when what keeps the count was altered or
// dropped since the last comparison (someone may have written around it meanwhile). always: compares
// in any case (the upgrade). The comparison reads both tables whole, in one snapshot; the repair
// touches only the ear tags that were wrong and is committed with the comparison, or nothing is
// (another desk writing one of those ear tags at that moment: Failed, tried again next time).
OnSiteCheck checkOnSite(fb::Attachment& att, bool always);

// What the check found, for the log, in Hungarian; empty when there is nothing to tell (Trusted).
QString describe(const OnSiteCheck& check);

}  // namespace daycounts
