#pragma once

// A site for the stock-take tests, on a fresh database (today is 2011.03.15, the test doubles'
// day):
//   1001  arrived 2011.03.01 from Alfa Kft                          on site
//   1002  arrived 2011.03.05 from Alfa Kft                          on site
//   1003  arrived 2011.02.01, left 2011.02.10 to Vevő Bt            departed
//   1004  arrived 2011.01.01, left 2011.01.20, came back 2011.03.10 from Béta Bt: on site again
//   1005  arrived 2011.03.12 from Béta Bt                           on site
//   1006  arrived 2011.03.14 from Alfa Kft                          on site
//   2001  arrived 2010.05.01, left 2010.05.20 to Vevő Bt, archived  departed long ago
//   3001  a departure 2011.03.02 to Vevő Bt with no arrival         not on site
//   an arrival without an ear tag                                   no animal
//   9999  nowhere                                                   never registered

#include <QString>

#include "testdb.h"

namespace stocktake_fixture {

inline void fillSite(TestDatabase& db)
{
    db.exec(QStringLiteral("INSERT INTO felado (fkod, fnev) VALUES ('A', 'Alfa Kft')"));
    db.exec(QStringLiteral("INSERT INTO felado (fkod, fnev) VALUES ('B', 'Béta Bt')"));
    db.exec(QStringLiteral("INSERT INTO felado (fkod, fnev) VALUES ('V', 'Vevő Bt')"));
    const auto arrival = [&db](const char* table, const char* tag, const char* day, const char* sender) {
        db.exec(QStringLiteral("INSERT INTO %1 (bfulszam, bszkelt, bfkod, bskod) VALUES ('%2', '%3', '%4', '1')")
                    .arg(QLatin1String(table), QLatin1String(tag), QLatin1String(day), QLatin1String(sender)));
    };
    const auto departure = [&db](const char* table, const char* tag, const char* day) {
        db.exec(QStringLiteral("INSERT INTO %1 (kfulszam, kikelt, kfkod, kskod) VALUES ('%2', '%3', 'V', '1')")
                    .arg(QLatin1String(table), QLatin1String(tag), QLatin1String(day)));
    };
    arrival("beszall", "1001", "2011-03-01", "A");
    arrival("beszall", "1002", "2011-03-05", "A");
    arrival("beszall", "1003", "2011-02-01", "A");
    departure("kiszall", "1003", "2011-02-10");
    arrival("beszall", "1004", "2011-01-01", "A");
    departure("kiszall", "1004", "2011-01-20");
    arrival("beszall", "1004", "2011-03-10", "B");
    arrival("beszall", "1005", "2011-03-12", "B");
    arrival("beszall", "1006", "2011-03-14", "A");
    arrival("beszall0", "2001", "2010-05-01", "A");
    departure("kiszall0", "2001", "2010-05-20");
    departure("kiszall", "3001", "2011-03-02");
    db.exec(QStringLiteral("INSERT INTO beszall (bszkelt, bfkod) VALUES ('2011-03-01', 'A')"));
}

}  // namespace stocktake_fixture
