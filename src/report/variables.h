#pragma once

#include "report/value.h"

#include <QHash>
#include <QString>

#include <optional>

namespace report {

// The report variables of the whole process: set by name (integer, text or date), kept until set
// again, so a value set for one report is still there for every later one. Names ignore case.
class VariableTable {
public:
    void set(const QString& name, const Value& value);
    void setInt(const QString& name, qint64 value) { set(name, Value::integer(value)); }
    void setText(const QString& name, const QString& value) { set(name, Value::text(value)); }
    void setDate(const QString& name, const QDate& value) { set(name, Value::date(value)); }

    std::optional<Value> value(const QString& name) const;
    bool contains(const QString& name) const { return value(name).has_value(); }
    // Forgets every variable: only a test that needs a fresh process calls this.
    void clear() { m_values.clear(); }

private:
    QHash<QString, Value> m_values;  // by lower-case name
};

VariableTable& variables();

}  // namespace report
