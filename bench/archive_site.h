#pragma once

#include <QString>

// A site with a long history, for the archiving benchmark and its kill test: registered carrier
// and buyer "1", live arrivals with departures spread over a few dispatch days, and archived days.
struct SiteSize {
    int arrivals = 100000;          // live arrivals, ear tags 1000000000 + i
    int dispatchDays = 10;          // live dispatch days from 2011.03.01 on
    int departuresPerDay = 5000;    // each departing animal has one live arrival
    int archivedDays = 100;         // archived dispatch days from 2010.01.01 on
    int archivedPerDay = 5000;      // each with its archived arrivals
};

// The first live dispatch day: the one the benchmark and the kill test move.
inline const QString kSiteDay = QStringLiteral("2011.03.01");

// Fills the database file (made from the schema, empty) with a site of this size.
void fillSite(const QString& file, const SiteSize& size);
