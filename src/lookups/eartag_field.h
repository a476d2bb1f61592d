#pragma once

#include <QString>

class QLabel;
class QLineEdit;
class QWidget;

namespace lookups {

// The field in which the lookups take the beginning of an ear tag: Edit1, labelled by label, wide
// enough for the longest ear tag (25 digits), digits and Backspace only; Enter does nothing in it.
QLineEdit* makeEarTagBeginningField(QWidget* parent, QLabel* label);

// The LIKE pattern, bound as a parameter, for the ear tags that begin with typed: typed and "%".
// A beginning that already fills the ear-tag column can only be the whole tag, and a pattern longer
// than the column is refused by the database, so then it is the tag itself.
QString beginningPattern(const QString& typed);

}  // namespace lookups
