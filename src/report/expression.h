#pragma once

#include "report/value.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <stdexcept>

namespace report {

// A name an expression refers to, written in square brackets: "[v_sor]", "[IBTable10.pnev]".
struct Reference {
    QString name;       // as written (blanks around removed)
    QString key;        // lower case, for lookups
    QString qualifier;  // lower-case dataset name before the first ".", empty when none
    QString field;      // lower-case name after the ".", or the whole key when unqualified
};

// The built-in names of the page number and the page count: known only once the pages are laid out.
inline const QString kPageName = QStringLiteral("page");
inline const QString kPageCountName = QStringLiteral("pages");

// Supplies the value of every reference while an expression is evaluated.
class Resolver {
public:
    virtual ~Resolver() = default;
    virtual Value resolve(const Reference& ref) = 0;
};

// A fault in an expression's text; column counts from 1.
class ExpressionError : public std::runtime_error {
public:
    ExpressionError(const QString& message, int column);
    const QString& message() const { return m_message; }
    int column() const { return m_column; }

private:
    QString m_message;
    int m_column;
};

// The content of a text object:
//   "text"  123  1.5  [name]  [dataset.field]
//   a + b (numbers add; with a text it joins the printed forms; a date plus days is a date)
//   a - b (a date minus a date is the number of days between them)   a * b   a / b   -a   ( a )
//   a = b  a <> b  a < b  a > b  a <= b  a >= b (1 or 0)
//   IF(condition, then, else)   TRIM(text)
// Evaluation never fails: a missing operand or a division by zero gives an empty value.
class Expression {
public:
    Expression() = default;
    static Expression parse(const QString& text);  // throws ExpressionError

    bool isEmpty() const { return !m_root; }
    const QString& source() const { return m_source; }
    Value evaluate(Resolver& resolver) const;

    // True when the value depends on the page it is printed on (the built-in [PAGE] or [PAGES]).
    bool needsPage() const;
    // Evaluates everything that does not depend on the page now; the result is evaluated again
    // once the pages are laid out.
    Expression bindAllButPage(Resolver& resolver) const;

    // Every reference, in the order written.
    QList<Reference> references() const;
    // Replaces each unqualified reference that lookup knows by that expression (a template's own
    // named expressions). The caller makes sure the names do not refer to each other in a circle.
    Expression substitute(const std::function<const Expression*(const Reference&)>& lookup) const;

    struct Node;

private:
    std::shared_ptr<const Node> m_root;
    QString m_source;
};

}  // namespace report
