#include "lookups/eartag_field.h"

#include "ui/input.h"

#include <QLabel>
#include <QLineEdit>

namespace lookups {

namespace {
constexpr int kEarTagLength = 25;  // the ear-tag columns' width
}  // namespace

QLineEdit* makeEarTagField(QWidget* parent, QLabel* label)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QStringLiteral("earTagEdit"));
    field->setMaxLength(kEarTagLength);
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QString(kEarTagLength, u'0')) + 16);
    label->setBuddy(field);
    input::digitsOnly(field);
    return field;
}

QLineEdit* makeEarTagBeginningField(QWidget* parent, QLabel* label)
{
    QLineEdit* field = makeEarTagField(parent, label);
    input::ignoreEnter(field);
    return field;
}

}  // namespace lookups
