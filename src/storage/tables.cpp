#include "storage/tables.h"

#include "core/database.h"

Tables::Tables(Database& database)
    : arrivals(database, QStringLiteral("arrivals"), QStringLiteral("BESZALL"), true),
      departures(database, QStringLiteral("departures"), QStringLiteral("KISZALL"), true),
      carriers(database, QStringLiteral("carriers"), QStringLiteral("SZALLITO"), true),
      partners(database, QStringLiteral("partners"), QStringLiteral("FELADO"), true),
      departuresUnshown(database, QStringLiteral("departuresUnshown"), QStringLiteral("KISZALL"), true),
      earTagRuns(database, QStringLiteral("earTagRuns"), QStringLiteral("FULSZAM"), true),
      archivedArrivals(database, QStringLiteral("archivedArrivals"), QStringLiteral("BESZALL0"), true),
      archivedDepartures(database, QStringLiteral("archivedDepartures"), QStringLiteral("KISZALL0"), true),
      senderRuns(database, QStringLiteral("senderRuns"), QStringLiteral("FULSZAM0"), true),
      company(database, QStringLiteral("company"), QStringLiteral("PARTNER"), true),
      staging(database, QStringLiteral("staging"), QStringLiteral("KISZALL1"), false),
      arrivalsSource(arrivals, QStringLiteral("arrivalsSource")),
      departuresSource(departures, QStringLiteral("departuresSource")),
      carriersSource(carriers, QStringLiteral("carriersSource")),
      partnersSource(partners, QStringLiteral("partnersSource")),
      departuresUnshownSource(departuresUnshown, QStringLiteral("departuresUnshownSource")),
      earTagRunsSource(earTagRuns, QStringLiteral("earTagRunsSource")),
      archivedArrivalsSource(archivedArrivals, QStringLiteral("archivedArrivalsSource")),
      archivedDeparturesSource(archivedDepartures, QStringLiteral("archivedDeparturesSource")),
      senderRunsSource(senderRuns, QStringLiteral("senderRunsSource")),
      companySource(company, QStringLiteral("companySource"))
{
    // A row changed through a grid on these tables is made permanent at once.
    for (TableDataset* t : all())
        t->setCommitEachChange(true);
}

std::vector<TableDataset*> Tables::all()
{
    return {&arrivals,   &departures,       &carriers,           &partners,   &departuresUnshown,
            &earTagRuns, &archivedArrivals, &archivedDepartures, &senderRuns, &company};
}

void Tables::reopen()
{
    for (TableDataset* t : all())
        if (!t->hasUnsavedRow())
            t->close();
    for (TableDataset* t : all())
        t->open();  // one left open stays as it is
}
