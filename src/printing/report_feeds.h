#pragma once

#include "report/catalog.h"
#include "report/engine.h"

#include <QLineEdit>
#include <QObject>
#include <QPointer>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class Dataset;
class QWidget;
class TData;

// A dataset of the data module as rows a report reads. Fields keep their type: dates stay dates,
// integers integers, so a template can count days or add numbers.
class DatasetRows : public report::RowSource {
public:
    explicit DatasetRows(Dataset& dataset) : m_dataset(dataset) {}
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

// The report part of the data module: the report objects, the report datasets bound to the
// module's queries, and the events and value callbacks that feed them row by row. It hangs on the
// data module (created on first use, destroyed with it) and keeps its counters from one report to
// the next. Every dataset of the module is also offered to templates by its own name (IBTable10 for
// the own company's heading, ZQ13 for the detailed on-site list).
class ReportFeeds : public QObject {
    Q_OBJECT
    // Declared first: the report datasets below read through these.
    std::vector<std::unique_ptr<DatasetRows>> m_rows;

public:
    explicit ReportFeeds(TData& data);
    ~ReportFeeds() override;
    // The feeds of a data module, created with the first call.
    static ReportFeeds& of(TData& data);

    // Range lists and summaries of the delivery printouts, the on-site list, the ear-tag list.
    report::Report frReport1, frReport2, frReport3, frReport4, frReport5, frReport6;
    report::CompositeReport frCompositeReport1;  // no printout uses it

    report::ReportDataset frDBfulszambe1;    // ZQ60: incoming ear-tag ranges of the day
    report::ReportDataset frDBFulszambe2;    // ZQ60: senders and carriers of the day
    report::ReportDataset frDBFulszamki1;    // ZQ60: outgoing ear-tag ranges of the day
    report::ReportDataset frDBFulszamki2;    // ZQ60: buyers and carriers of the day
    report::ReportDataset frDBTelepennap;    // ZQ11: animals on site, simple list
    report::ReportDataset frDBTelepen;       // ZQ12: animals on site with carrier and sender
    report::ReportDataset frDBFulszamlista;  // ZQ22: ear tags of a dispatch day, four a line

    // --- feed state: zero or empty at first, kept until an event sets it again
    qint64 ReportRowNumber = 0;              // running number of the row or ear tag being printed
    qint64 RangeTagCount = 0;                // delivered ear tags in the current range row
    std::array<qint64, 4> ListSlotNumber{};  // numbers of the four ear tags of an ear-tag-list line
    std::array<QString, 4> ListSlotTag;      // the four ear tags; empty past the last one

    // The day the range counts read: the date field of the delivery printout screen that shows the
    // report. The screen hands it over before it shows the range list.
    void setIncomingDayField(QLineEdit* field) { m_incomingDay = field; }
    void setOutgoingDayField(QLineEdit* field) { m_outgoingDay = field; }

    // --- value callbacks: they refresh variables in the variable table and answer nothing
    void frReport1GetValue(const QString& name, std::optional<report::Value>& value);
    void frReport3GetValue(const QString& name, std::optional<report::Value>& value);
    void frReport5GetValue(const QString& name, std::optional<report::Value>& value);
    void frReport6GetValue(const QString& name, std::optional<report::Value>& value);

    // --- dataset events
    void frDBfulszambe1Open();
    void frDBfulszambe1Next();
    void frDBFulszamki1Open();
    void frDBFulszamki1Next();
    void frDBTelepenOpen();
    void frDBTelepenNext();
    void frDBFulszamlistaFirst();
    void frDBFulszamlistaNext();

    // Load a template into a report / show a report. A failure (file missing, unreadable or
    // malformed; a database error while preparing) goes to the standard error box: false, and no
    // preview.
    static bool loadReport(report::Report& report, const QString& fileName, QWidget* parent);
    static bool showReport(report::Report& report, QWidget* parent);

private:
    enum class Side { Incoming, Outgoing };
    static std::vector<std::unique_ptr<DatasetRows>> rowsFor(TData& data);
    DatasetRows* rowsOf(const Dataset& dataset) const;
    void countRange(Side side);
    void readListSlot(int slot);

    TData& m_data;
    QPointer<QLineEdit> m_incomingDay;
    QPointer<QLineEdit> m_outgoingDay;
};
