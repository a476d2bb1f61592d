#include "report/variables.h"

namespace report {

void VariableTable::set(const QString& name, const Value& value) { m_values.insert(name.toLower(), value); }

std::optional<Value> VariableTable::value(const QString& name) const
{
    const auto it = m_values.constFind(name.toLower());
    if (it == m_values.constEnd())
        return std::nullopt;
    return *it;
}

VariableTable& variables()
{
    static VariableTable table;
    return table;
}

}  // namespace report
