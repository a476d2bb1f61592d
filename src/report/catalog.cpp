#include "report/catalog.h"

namespace report {

ReportDataset::ReportDataset(const QString& name, RowSource* rows) : ReportDataset(name, rows, catalog()) {}

ReportDataset::ReportDataset(const QString& name, RowSource* rows, Catalog& catalog)
    : m_name(name), m_rows(rows), m_catalog(catalog)
{
    m_catalog.addDataset(this);
}

ReportDataset::~ReportDataset() { m_catalog.removeDataset(this); }

void Catalog::addDataset(ReportDataset* dataset) { m_datasets.insert(dataset->name().toLower(), dataset); }

void Catalog::removeDataset(ReportDataset* dataset)
{
    const QString key = dataset->name().toLower();
    if (m_datasets.value(key) == dataset)
        m_datasets.remove(key);
}

ReportDataset* Catalog::dataset(const QString& name) const { return m_datasets.value(name.toLower()); }

void Catalog::addSource(const QString& name, RowSource* rows, OpenPolicy policy)
{
    m_sources.insert(name.toLower(), Source{rows, policy});
}

void Catalog::removeSource(const QString& name, const RowSource* rows)
{
    const QString key = name.toLower();
    const auto it = m_sources.constFind(key);
    if (it != m_sources.constEnd() && it->rows == rows)
        m_sources.remove(key);
}

std::optional<Catalog::Source> Catalog::source(const QString& name) const
{
    const auto it = m_sources.constFind(name.toLower());
    if (it == m_sources.constEnd())
        return std::nullopt;
    return *it;
}

RowSource* Catalog::rows(const QString& name) const
{
    if (const ReportDataset* d = dataset(name))
        return d->rows();
    const auto s = source(name);
    return s ? s->rows : nullptr;
}

Catalog& catalog()
{
    static Catalog c;
    return c;
}

}  // namespace report
