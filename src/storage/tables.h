#pragma once

#include "core/dataset.h"

#include <vector>

class Database;

// Every table of the database shown whole, as the main window keeps them open and the raw table
// editor edits them. All read-only unless the editor unlocks them; the takeover's staging table is
// writable (its rows are appended blind) and is not among the ones the main window reopens.
class Tables {
public:
    explicit Tables(Database& database);

    TableDataset arrivals;            // BESZALL
    TableDataset departures;          // KISZALL
    TableDataset carriers;            // SZALLITO
    TableDataset partners;            // FELADO
    TableDataset departuresUnshown;   // KISZALL again: reopened with the others, shown by no screen
    TableDataset earTagRuns;          // FULSZAM
    TableDataset archivedArrivals;    // BESZALL0
    TableDataset archivedDepartures;  // KISZALL0
    TableDataset senderRuns;          // FULSZAM0
    TableDataset company;             // PARTNER
    TableDataset staging;             // KISZALL1

    DataSource arrivalsSource, departuresSource, carriersSource, partnersSource, departuresUnshownSource,
        earTagRunsSource, archivedArrivalsSource, archivedDeparturesSource, senderRunsSource, companySource;

    // The ten tables the main window keeps open, in their order (the staging table is not one).
    std::vector<TableDataset*> all();
    // Closes the ten in order and opens them again in order, so they show what was committed
    // meanwhile. A table holding an unsaved row is left as it is: closing it would drop what was
    // typed into that row.
    void reopen();
};
