#pragma once

#include <QString>

#include <exception>
#include <initializer_list>

class Dataset;
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

// The caption a field is known by on its screen: its buddy label's text without "&" and a
// trailing ":"; its accessible name where no label stands beside it.
QString fieldCaption(const QLineEdit* field);

// Binds what field holds as the text parameter name, named by the field's caption: a character
// the database cannot hold is refused naming the field as the person knows it.
void bindText(Dataset& query, const QString& name, const QLineEdit* field);

// Raises fb::UnstorableText for the first of the fields, in the order given, that holds a character
// the database cannot hold, naming the field by its caption. Called right before the write that
// stores them, as the write itself would refuse them.
void requireStorable(std::initializer_list<const QLineEdit*> fields);

// A text the database could not hold (fb::UnstorableText) is said with its own message, which
// names the character and the field; true when e was one. Nothing was written then: the screen
// keeps what was typed for correction instead of showing its numbered failure message.
bool sayUnstorableText(QWidget* screen, const std::exception& e);

}  // namespace validation
