#pragma once

#include <QString>

#include <initializer_list>

class QLineEdit;
class QWidget;

// The checks a screen runs before it writes: required fields in a fixed order, the first failing
// one speaks and nothing is written.
namespace validation {

// Tells the user what is wrong and puts the focus where it must be mended. Always false, so a
// check can end with `return refuse(...)`.
bool refuse(QWidget* screen, const QString& message, QWidget* focus);

// A field that must not be blank, its message, and the control that gets the focus when it is
// (the field itself unless another control fills it, as a picker button fills a code field).
struct Required {
    QLineEdit* field;
    QString message;
    QWidget* focus = nullptr;
};

// Refuses the first blank field (convert::isBlank) in the order given; true when none is blank.
bool requireFilled(QWidget* screen, std::initializer_list<Required> fields);

}  // namespace validation
