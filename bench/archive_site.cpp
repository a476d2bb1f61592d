#include "archive_site.h"

#include "benchsupport.h"

#include <algorithm>

void fillSite(const QString& file, const SiteSize& s)
{
    execOnFile(file, QStringLiteral("EXECUTE BLOCK AS BEGIN "
                                   "INSERT INTO szallito (srendszam, snev, scim, sjovaszam) VALUES ('ABC-123', 'Kiss Fuvar', 'Kecskemét', 'J-1'); "
                                   "INSERT INTO felado (fnev, fcim, ftenykod, fsznev, fszcim) VALUES ('Vágóhíd Kft', 'Szeged', 'T-1', 'Vágóhíd', 'Szeged'); END"));
    // Departure j takes the ear tag of arrival j * step, so a day's ear tags spread over all arrivals.
    const int departures = s.dispatchDays * s.departuresPerDay;
    const int step = departures > 0 ? std::max(1, s.arrivals / departures) : 1;
    execOnFile(file, QStringLiteral("EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN "
                                   "WHILE (I < %1) DO BEGIN "
                                   "INSERT INTO beszall (bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod) VALUES "
                                   "(1000000000 + :I, DATE '2011-01-01' + MOD(:I, 50), DATE '2010-12-20', 'gyüjtés', 'BE-' || :I, '1', '1'); "
                                   "I = I + 1; END "
                                   "I = 0; WHILE (I < %2) DO BEGIN "
                                   "INSERT INTO kiszall (kfulszam, kikelt, khkat, keubizbe, keubizki, kskod, kfkod) VALUES "
                                   "(1000000000 + :I * %3, DATE '2011-03-01' + MOD(:I, %4), 'vágás', 'BE-' || (:I * %3), 'KI-' || :I, '1', '1'); "
                                   "I = I + 1; END END")
                        .arg(s.arrivals)
                        .arg(std::min(departures, s.arrivals))
                        .arg(step)
                        .arg(std::max(1, s.dispatchDays)));
    execOnFile(file, QStringLiteral("EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN "
                                   "WHILE (I < %1) DO BEGIN "
                                   "INSERT INTO beszall0 (bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod) VALUES "
                                   "(2000000000 + :I, DATE '2009-10-01' + MOD(:I, 90), DATE '2009-09-20', 'gyüjtés', 'BE-' || :I, '1', '1'); "
                                   "INSERT INTO kiszall0 (kfulszam, kikelt, khkat, keubizbe, keubizki, kskod, kfkod) VALUES "
                                   "(2000000000 + :I, DATE '2010-01-01' + MOD(:I, %2), 'vágás', 'BE-' || :I, 'KI-' || :I, '1', '1'); "
                                   "I = I + 1; END END")
                        .arg(s.archivedDays * s.archivedPerDay)
                        .arg(std::max(1, s.archivedDays)));
}
