#pragma once

#include <QSize>

class QDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QString;
class QWidget;

// Fixes a dialog at its laid-out size (at least minimum) and centres it on the desktop.
void fixAndCentre(QDialog* dialog, const QSize& minimum = QSize());

// The caption label of a control, with the control as its buddy so that screen readers announce
// the control by it. It is named after the control it labels, its name and "Label"
// ("earTagEditLabel"). Name the control first.
QLabel* buddyLabel(const QString& caption, QWidget* buddy);

// A push button as the screens use them: Enter moves on through a dialog instead of pressing a
// default button, so none is one.
QPushButton* makeButton(QWidget* parent, const QString& objectName, const QString& caption);

// A field the user reads but may not change: disabled (so out of the tab order), read-only, on a
// silver background where asked, its text dark enough to read (contrast far above 4.5 : 1; the
// style's own grey for disabled text can hardly be seen, on silver least of all).
enum class FieldShade { Plain, Silver };
void makeShownOnly(QLineEdit* edit, FieldShade shade = FieldShade::Plain);
