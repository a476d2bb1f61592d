#pragma once

#include "report/catalog.h"

class Dataset;

// A dataset as rows a report reads. Fields keep their type: dates stay dates, integers integers,
// so a template can count days or add numbers. A screen that prints what it shows registers its
// own dataset this way in a report catalog of its own.
class DatasetReportRows : public report::RowSource {
public:
    explicit DatasetReportRows(Dataset& dataset) : m_dataset(dataset) {}
    Dataset& dataset() const { return m_dataset; }

    bool isOpen() const override;
    void open() override;
    void first() override;
    void next() override;
    bool eof() const override;
    std::optional<report::Value> field(const QString& name) const override;

private:
    Dataset& m_dataset;
};
