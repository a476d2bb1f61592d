#pragma once

#include "ui/dbwidgets.h"

#include <QDate>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QLabel;
class QLineEdit;
class QWidget;
namespace report {
class Report;
}

// What the four print screens share: their day field, grid, the own company's heading, the
// standard error box around database work, and the message for a day that is no date.
namespace printout {

inline const QString kBadDate = QStringLiteral("A dátum formátuma nem megfelelő!");

// A label with its documented name.
QLabel* makeLabel(QWidget* parent, const QString& objectName, const QString& caption);

// The screen's day field, Edit1, labelled by label: wide enough for a date, digits, "." and
// Backspace only; Enter does nothing in it (no button is pressed and the focus stays).
QLineEdit* makeDayField(QWidget* parent, QLabel* label);

// The first showing: today's date in the day field, and the focus there.
void startOnToday(QLineEdit* day);

// The typed day, or nothing after telling the user that it is no date and putting the focus back
// into the field.
std::optional<QDate> dayOrComplain(QWidget* screen, QLineEdit* field);

// The screen's grid (DBGrid1) over source: columns wide enough for their titles, ear-tag columns
// for the longest ear tag, so no tag is cut.
DBGrid* makeGrid(QWidget* parent, DataSource* source, const std::vector<GridColumn>& columns);

// Runs work; a failure (a database error) goes to the standard error box: false.
bool attempt(QWidget* screen, const std::function<void()>& work);

// Reopens the own company's row (PARTNER) so the headings show what it holds now.
void reopenOwnCompany();

// Loads the template into the report and shows it in a modal preview; returns when the preview
// closed. A failure is in the standard error box: false, and no preview.
bool showTemplate(report::Report& report, const QString& fileName, QWidget* parent);

}  // namespace printout
