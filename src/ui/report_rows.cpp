#include "ui/report_rows.h"

#include "core/dataset.h"

bool DatasetReportRows::isOpen() const { return m_dataset.active(); }
void DatasetReportRows::open() { m_dataset.open(); }
void DatasetReportRows::first() { m_dataset.first(); }
void DatasetReportRows::next() { m_dataset.next(); }
bool DatasetReportRows::eof() const { return m_dataset.eof(); }

std::optional<report::Value> DatasetReportRows::field(const QString& name) const
{
    if (!m_dataset.active())
        return std::nullopt;
    const int index = m_dataset.fieldIndex(name);
    if (index < 0)
        return std::nullopt;
    if (m_dataset.recNo() < 0 || m_dataset.fieldIsNull(name))
        return report::Value();
    const fb::Columns::Column& c = m_dataset.columns().at(index);
    using T = fb::Columns::Type;
    switch (c.type) {
    case T::Date:
    case T::Timestamp:
        return report::Value::date(m_dataset.fieldDate(name));
    case T::Short:
    case T::Long:
    case T::Int64:
        if (c.scale == 0)
            return report::Value::integer(m_dataset.fieldInt(name));
        [[fallthrough]];
    case T::Float:
    case T::Double:
        return report::Value::number(m_dataset.fieldText(name).replace(u',', u'.').toDouble());
    default:
        return report::Value::text(m_dataset.fieldText(name));
    }
}
