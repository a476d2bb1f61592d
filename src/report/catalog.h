#pragma once

#include "report/value.h"

#include <QHash>
#include <QString>

#include <functional>
#include <optional>

namespace report {

// Rows a report reads: the program's datasets adapt to this.
class RowSource {
public:
    virtual ~RowSource() = default;
    virtual bool isOpen() const = 0;
    virtual void open() = 0;
    virtual void first() = 0;
    virtual void next() = 0;  // past the last row: eof, the last row stays current
    virtual bool eof() const = 0;
    // The current row's value of a field (name case-insensitive); nothing when there is no such
    // field or the rows are closed.
    virtual std::optional<Value> field(const QString& name) const = 0;
};

class Catalog;

// A report dataset: the name by which a template binds a band to rows, with the program's events.
// The engine opens the rows when the report starts if they are closed; for the band it calls
// onOpen, moves to the first row, calls onFirst, and then for as long as rows remain: prints the
// band, moves one row on, calls onNext. The rows stay open afterwards.
class ReportDataset {
public:
    ReportDataset(const QString& name, RowSource* rows);
    ReportDataset(const QString& name, RowSource* rows, Catalog& catalog);
    ~ReportDataset();
    ReportDataset(const ReportDataset&) = delete;
    ReportDataset& operator=(const ReportDataset&) = delete;

    const QString& name() const { return m_name; }
    RowSource* rows() const { return m_rows; }

    std::function<void()> onOpen, onFirst, onNext;
    // A rule of the dataset's own for "rows remain": when set, the band is printed after the first
    // and after every next event as long as this says so, instead of until the rows' end.
    std::function<bool()> rowPresent;

private:
    QString m_name;
    RowSource* m_rows;
    Catalog& m_catalog;
};

// Every name a template may bind to or read from: the report datasets, and plain rows that a
// template reads without a band of its own (the own company's data, a lookup query).
class Catalog {
public:
    enum class OpenPolicy {
        OpenWhenClosed,  // a whole-table dataset: safe to open whenever a report needs it
        AsItStands       // a query whose statement someone else puts in place: read only if open
    };
    struct Source {
        RowSource* rows = nullptr;
        OpenPolicy policy = OpenPolicy::AsItStands;
    };

    void addDataset(ReportDataset* dataset);
    void removeDataset(ReportDataset* dataset);
    ReportDataset* dataset(const QString& name) const;

    void addSource(const QString& name, RowSource* rows, OpenPolicy policy);
    void removeSource(const QString& name, const RowSource* rows);  // only if still registered with these rows
    std::optional<Source> source(const QString& name) const;

    // The rows behind a name: a report dataset's, or a plain source's.
    RowSource* rows(const QString& name) const;

private:
    QHash<QString, ReportDataset*> m_datasets;  // by lower-case name
    QHash<QString, Source> m_sources;
};

// The catalog of the process; the program's data module registers its datasets here.
Catalog& catalog();

}  // namespace report
