#pragma once

#include <QDate>

#include "core/dataset.h"
#include "printing/report_feeds.h"
#include "report/catalog.h"
#include "report/engine.h"
#include "storage/stock_takes.h"

class QWidget;
class Session;

// A stock-take on paper (template "Leltar.frf"): the own company's heading, the stock-take's dates,
// desks and counts, then its lists, each numbered on its own: the missing animals first, then the
// ear tags read that are not on site, then the animals found. A closed stock-take prints its lists
// as they were frozen; an open one as they stand now, marked as an interim state. Its report reads
// a catalog of its own, so nothing of it meets the other printouts' datasets.
class StockTakePrintout {
public:
    static inline const QString kTemplate = QStringLiteral("Leltar.frf");

    StockTakePrintout(Session& session, const StockTake& take, const StockTakeCounts& counts, const QDate& today);
    StockTakePrintout(const StockTakePrintout&) = delete;
    StockTakePrintout& operator=(const StockTakePrintout&) = delete;

    // Loads the template, prepares every page and shows the preview (print and PDF from there).
    // A template or database failure goes to the standard error box: false, no preview.
    bool show(QWidget* parent);
    // The pages without a preview (raises on failure).
    report::PreparedReport prepare();

private:
    // A band printed once: the heading of a list, before its rows.
    class OnceRows : public report::RowSource {
    public:
        bool isOpen() const override { return m_open; }
        void open() override { m_open = true; }
        void first() override { m_eof = false; }
        void next() override { m_eof = true; }
        bool eof() const override { return m_eof; }
        std::optional<report::Value> field(const QString&) const override { return std::nullopt; }

    private:
        bool m_open = false;
        bool m_eof = true;
    };

    void openLists();
    void value(const QString& name, std::optional<report::Value>& value) const;

    Session& m_session;
    StockTake m_take;
    StockTakeCounts m_counts;
    QDate m_today;
    // The lists as printed, apart from the screen's grids (the report reads them to their end).
    Dataset m_found;
    Dataset m_missing;
    Dataset m_unregistered;
    DatasetRows m_foundRows, m_missingRows, m_unregisteredRows, m_companyRows;
    OnceRows m_foundHeading, m_missingHeading, m_unregisteredHeading;
    report::Catalog m_catalog;
    report::ReportDataset m_foundBand, m_missingBand, m_unregisteredBand;
    report::ReportDataset m_foundHeadingBand, m_missingHeadingBand, m_unregisteredHeadingBand;
    report::Report m_report;
    // The running number of the row printed in each list.
    qint64 m_foundLine = 0, m_missingLine = 0, m_unregisteredLine = 0;
};
