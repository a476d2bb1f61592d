#pragma once

#include "core/dataset.h"

#include <QDate>
#include <QString>

class Database;

// The story of one animal: every pass of an ear tag through the site, read from the arrivals and
// departures and their archives (BESZALL, KISZALL, BESZALL0, KISZALL0) together. Only reads.
//
// A pass is an arrival with the departure that belongs to it. Each departure belongs to the latest
// arrival of the same ear tag on or before its date that has no departure yet (departures taken
// oldest first); an arrival left without one is on site ("telepen"), and a departure that finds no
// arrival is a row of its own ("nincs beérkezés"). Of two arrivals (or departures) on one day the
// archived one counts as the earlier, then the one entered first. Ear tags compare as whole numbers
// written in digits, as everywhere in the program: "0099" is "99".
class EarTagStories {
public:
    explicit EarTagStories(Database& database);
    EarTagStories(const EarTagStories&) = delete;
    EarTagStories& operator=(const EarTagStories&) = delete;

    // The passes of earTag, oldest first, in rows:
    //   SOR            the pass's number, from 1
    //   BSZKELT        arrival date (none for a departure without arrival)
    //   BVKELT         purchase date
    //   FELADO_NEV     sender's name, FELADO_TENYKOD its holding code
    //   SZALLITO_BE    the name of the carrier that brought it
    //   EUBIZ_BE       health certificate it came with (of the departure row when it has no arrival)
    //   KIKELT         departure date (none while on site)
    //   VEVO_NEV       buyer's name
    //   SZALLITO_KI    the name of the carrier that took it away
    //   EUBIZ_KI       health certificate it left with
    //   HKAT           utilisation category: the departure's, or the arrival's while on site
    //   NAPOK          days on site: from arrival to departure, or to today while on site
    //   ALLAPOT        "telepen", "nincs beérkezés", or empty for a finished pass
    //   HELY           where the pass is kept: "élő", "archivált", or both ("archivált / élő",
    //                  arrival first) when an archiving split it
    // The first row is current. Reads through the numeric ear-tag indexes of the four tables.
    void openStory(Dataset& rows, const QString& earTag, const QDate& today);

private:
    Database& m_database;
};
