#pragma once

#include <QString>

class QLabel;
class QLineEdit;
class QWidget;

namespace lookups {

// The field in which the lookups take the beginning of an ear tag: "earTagEdit", labelled by label,
// wide enough for the longest ear tag (25 digits), digits and Backspace only; Enter does nothing in
// it. What it holds goes to the stores as it is, bound as a parameter (statements::earTagBeginning).
QLineEdit* makeEarTagBeginningField(QWidget* parent, QLabel* label);

// The same field for a whole ear tag, where Enter is left to the screen (it searches).
QLineEdit* makeEarTagField(QWidget* parent, QLabel* label);

}  // namespace lookups
