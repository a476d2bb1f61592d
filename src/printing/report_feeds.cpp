#include "printing/report_feeds.h"

#include "storage/shared_datasets.h"
#include "report/variables.h"
#include "ui/platform.h"

#include <QLineEdit>

// ---------------------------------------------------------------- DatasetRows

bool DatasetRows::isOpen() const { return m_dataset.active(); }
void DatasetRows::open() { m_dataset.open(); }
void DatasetRows::first() { m_dataset.first(); }
void DatasetRows::next() { m_dataset.next(); }
bool DatasetRows::eof() const { return m_dataset.eof(); }

std::optional<report::Value> DatasetRows::field(const QString& name) const
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

// ---------------------------------------------------------------- ReportFeeds

std::vector<std::unique_ptr<DatasetRows>> ReportFeeds::rowsFor(TData& data)
{
    std::vector<std::unique_ptr<DatasetRows>> rows;
    for (Dataset* ds : data.datasets())
        rows.push_back(std::make_unique<DatasetRows>(*ds));
    return rows;
}

DatasetRows* ReportFeeds::rowsOf(const Dataset& dataset) const
{
    for (const auto& r : m_rows)
        if (&r->dataset() == &dataset)
            return r.get();
    return nullptr;
}

ReportFeeds::ReportFeeds(TData& data)
    : QObject(&data),
      m_rows(rowsFor(data)),
      frReport1(QStringLiteral("frReport1")),
      frReport2(QStringLiteral("frReport2")),
      frReport3(QStringLiteral("frReport3")),
      frReport4(QStringLiteral("frReport4")),
      frReport5(QStringLiteral("frReport5")),
      frReport6(QStringLiteral("frReport6")),
      frCompositeReport1(QStringLiteral("frCompositeReport1")),
      frDBfulszambe1(QStringLiteral("frDBfulszambe1"), rowsOf(data.ZQ60)),
      frDBFulszambe2(QStringLiteral("frDBFulszambe2"), rowsOf(data.ZQ60)),
      frDBFulszamki1(QStringLiteral("frDBFulszamki1"), rowsOf(data.ZQ60)),
      frDBFulszamki2(QStringLiteral("frDBFulszamki2"), rowsOf(data.ZQ60)),
      frDBTelepennap(QStringLiteral("frDBTelepennap"), rowsOf(data.ZQ11)),
      frDBTelepen(QStringLiteral("frDBTelepen"), rowsOf(data.ZQ12)),
      frDBFulszamlista(QStringLiteral("frDBFulszamlista"), rowsOf(data.ZQ22)),
      m_data(data)
{
    setObjectName(QStringLiteral("ReportFeeds"));
    // Whole tables may be opened whenever a template needs them; a query is read as its user left it.
    for (const auto& r : m_rows)
        report::catalog().addSource(r->dataset().name(), r.get(),
                                    dynamic_cast<TableDataset*>(&r->dataset())
                                        ? report::Catalog::OpenPolicy::OpenWhenClosed
                                        : report::Catalog::OpenPolicy::AsItStands);

    frReport6.previewButtons = report::kStandardButtons | report::PreviewButton::Print;
    frCompositeReport1.previewButtons = frReport6.previewButtons;

    frReport1.onGetValue = [this](const QString& n, std::optional<report::Value>& v) { frReport1GetValue(n, v); };
    frReport3.onGetValue = [this](const QString& n, std::optional<report::Value>& v) { frReport3GetValue(n, v); };
    frReport5.onGetValue = [this](const QString& n, std::optional<report::Value>& v) { frReport5GetValue(n, v); };
    frReport6.onGetValue = [this](const QString& n, std::optional<report::Value>& v) { frReport6GetValue(n, v); };

    frDBfulszambe1.onOpen = [this] { frDBfulszambe1Open(); };
    frDBfulszambe1.onNext = [this] { frDBfulszambe1Next(); };
    frDBFulszamki1.onOpen = [this] { frDBFulszamki1Open(); };
    frDBFulszamki1.onNext = [this] { frDBFulszamki1Next(); };
    frDBTelepen.onOpen = [this] { frDBTelepenOpen(); };
    frDBTelepen.onNext = [this] { frDBTelepenNext(); };
    frDBFulszamlista.onFirst = [this] { frDBFulszamlistaFirst(); };
    frDBFulszamlista.onNext = [this] { frDBFulszamlistaNext(); };
    // A line of the ear-tag list prints while its first slot holds an ear tag, even when the
    // events reached the end of the rows while they filled it.
    frDBFulszamlista.rowPresent = [this] { return !ListSlotTag[0].isEmpty(); };
}

ReportFeeds::~ReportFeeds()
{
    for (const auto& r : m_rows)
        report::catalog().removeSource(r->dataset().name(), r.get());
}

ReportFeeds& ReportFeeds::of(TData& data)
{
    if (auto* feeds = data.findChild<ReportFeeds*>(QString(), Qt::FindDirectChildrenOnly))
        return *feeds;
    return *new ReportFeeds(data);
}

// ---- value callbacks

void ReportFeeds::frReport1GetValue(const QString&, std::optional<report::Value>&)
{
    report::variables().setInt(QStringLiteral("v_sor"), ReportRowNumber);
    report::variables().setInt(QStringLiteral("v_db"), RangeTagCount);
}

void ReportFeeds::frReport3GetValue(const QString& name, std::optional<report::Value>& value)
{
    frReport1GetValue(name, value);
}

void ReportFeeds::frReport5GetValue(const QString&, std::optional<report::Value>&)
{
    report::variables().setInt(QStringLiteral("v_sor"), ReportRowNumber);
}

void ReportFeeds::frReport6GetValue(const QString&, std::optional<report::Value>&)
{
    static const std::array<QString, 4> numbers = {QStringLiteral("v_sor1"), QStringLiteral("v_sor2"),
                                                   QStringLiteral("v_sor3"), QStringLiteral("v_sor4")};
    static const std::array<QString, 4> tags = {QStringLiteral("v_ful1"), QStringLiteral("v_ful2"),
                                                QStringLiteral("v_ful3"), QStringLiteral("v_ful4")};
    for (size_t i = 0; i < 4; ++i) {
        report::variables().setInt(numbers[i], ListSlotNumber[i]);
        report::variables().setText(tags[i], ListSlotTag[i]);
    }
}

// ---- range counts of the delivery printouts

void ReportFeeds::countRange(Side side)
{
    Dataset& ranges = m_data.ZQ60;
    Dataset& count = m_data.ZQ61;
    const QString from = ranges.fieldText(QStringLiteral("ufultol"));
    const QString to = ranges.fieldText(QStringLiteral("ufulig"));
    const QLineEdit* dayField = side == Side::Incoming ? m_incomingDay.data() : m_outgoingDay.data();
    // The day's ear tags whose numeric value lies in the range, the way the ranges were built:
    // padded with leading zeros to the column's full width, digit strings compare as text exactly
    // as their numbers do (a plain text comparison would find nothing between 99 and 100 and would
    // count 100 and 1000 inside 10-11). Tags that are no number belong to no range. The padded
    // form has an index of its own.
    count.close();
    count.clearSql();
    if (side == Side::Incoming) {
        count.addSql(QStringLiteral("SELECT COUNT(bfulszam) AS db"));
        count.addSql(QStringLiteral("FROM beszall"));
        count.addSql(QStringLiteral("WHERE (LPAD(bfulszam, 25, '0') >= LPAD(CAST(:p1 AS VARCHAR(25)), 25, '0'))"));
        count.addSql(QStringLiteral("AND (LPAD(bfulszam, 25, '0') <= LPAD(CAST(:p2 AS VARCHAR(25)), 25, '0'))"));
        count.addSql(QStringLiteral("AND bfulszam SIMILAR TO '[0-9]+' AND bszkelt = :p3"));
    } else {
        count.addSql(QStringLiteral("SELECT COUNT(kfulszam) AS db"));
        count.addSql(QStringLiteral("FROM kiszall"));
        count.addSql(QStringLiteral("WHERE (LPAD(kfulszam, 25, '0') >= LPAD(CAST(:p1 AS VARCHAR(25)), 25, '0'))"));
        count.addSql(QStringLiteral("AND (LPAD(kfulszam, 25, '0') <= LPAD(CAST(:p2 AS VARCHAR(25)), 25, '0'))"));
        count.addSql(QStringLiteral("AND kfulszam SIMILAR TO '[0-9]+' AND kikelt = :p3"));
    }
    count.setParamText(QStringLiteral("p1"), from);
    count.setParamText(QStringLiteral("p2"), to);
    count.setParamDateText(QStringLiteral("p3"), dayField ? dayField->text() : QString());
    count.open();
    RangeTagCount = count.fieldInt(QStringLiteral("db"));
    report::variables().setInt(QStringLiteral("v_db"), RangeTagCount);
}

void ReportFeeds::frDBfulszambe1Open()
{
    ReportRowNumber = 1;
    countRange(Side::Incoming);
}

void ReportFeeds::frDBfulszambe1Next()
{
    ReportRowNumber += 1;
    countRange(Side::Incoming);
}

void ReportFeeds::frDBFulszamki1Open()
{
    ReportRowNumber = 1;
    countRange(Side::Outgoing);
}

void ReportFeeds::frDBFulszamki1Next()
{
    ReportRowNumber += 1;
    countRange(Side::Outgoing);
}

// ---- detailed on-site list

void ReportFeeds::frDBTelepenOpen()
{
    ReportRowNumber = 1;
    // Every live arrival by arrival date and ear tag, for the template to read.
    Dataset& arrivals = m_data.ZQ13;
    arrivals.close();
    arrivals.clearSql();
    arrivals.addSql(QStringLiteral("SELECT bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod, IDb"));
    arrivals.addSql(QStringLiteral("FROM beszall"));
    arrivals.addSql(QStringLiteral("ORDER BY bszkelt, bfulszam"));
    arrivals.open();
}

void ReportFeeds::frDBTelepenNext() { ReportRowNumber += 1; }

// ---- ear-tag list, four ear tags a line

void ReportFeeds::readListSlot(int slot)
{
    ReportRowNumber += 1;
    ListSlotNumber[static_cast<size_t>(slot)] = ReportRowNumber;
    const Dataset& tags = m_data.ZQ22;
    ListSlotTag[static_cast<size_t>(slot)] = tags.eof() ? QString() : tags.fieldText(QStringLiteral("kfulszam"));
}

void ReportFeeds::frDBFulszamlistaFirst()
{
    Dataset& tags = m_data.ZQ22;
    ReportRowNumber = 1;
    ListSlotNumber[0] = 1;
    ListSlotTag[0] = tags.isEmpty() ? QString() : tags.fieldText(QStringLiteral("kfulszam"));
    for (int slot = 1; slot < 4; ++slot) {
        tags.next();
        readListSlot(slot);
    }
}

void ReportFeeds::frDBFulszamlistaNext()
{
    Dataset& tags = m_data.ZQ22;
    for (int slot = 0; slot < 4; ++slot) {
        readListSlot(slot);
        // After the fourth slot the engine's own step moves on.
        if (slot < 3 && !tags.eof())
            tags.next();
    }
}

// ---- loading and showing with the standard error box

bool ReportFeeds::loadReport(report::Report& report, const QString& fileName, QWidget* parent)
{
    try {
        report.loadFromFile(fileName);
        return true;
    } catch (const report::TemplateError& e) {
        platform::showError(parent, e.message());
        return false;
    }
}

bool ReportFeeds::showReport(report::Report& report, QWidget* parent)
{
    try {
        report.showReport(parent);
        return true;
    } catch (const fb::Error& e) {
        platform::showError(parent, e.message());
    } catch (const report::Error& e) {
        platform::showError(parent, e.message());
    } catch (const std::exception& e) {
        platform::showError(parent, e);
    }
    return false;
}
