#pragma once

class DBGrid;

// "Exportálás…" of a grid: every row its dataset's statement gives (not only the rows read so far),
// with the columns the grid shows and their titles, to an Excel workbook or a CSV file the person
// names in the save dialog. A long export shows its progress with "Mégsem" and holds the window
// (painted, no input) until it ends; the grid's own rows and position stay as they were.
namespace gridexport {

void exportGrid(DBGrid* grid);

// How long an export runs before its progress window appears (300 ms; tests make it 0).
void setProgressDelay(int milliseconds);

}  // namespace gridexport
