#pragma once

#include "report/prepared.h"

class QPainter;
class QPrinter;

namespace report {

// Draws one prepared page with its top left corner at the painter's origin; pixelsPerMm is the
// scale of the device (screen zoom, printer or PDF resolution).
void paintPage(QPainter& painter, const PreparedReport& report, int pageIndex, double pixelsPerMm);

// A PDF of every page: fonts embedded, the texts searchable. Raises Error.
void writePdf(const PreparedReport& report, const QString& fileName);

// Prints pages fromPage..toPage (counted from 1) on a printer already set up.
void printPages(const PreparedReport& report, QPrinter& printer, int fromPage, int toPage);

}  // namespace report
