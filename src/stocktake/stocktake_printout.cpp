#include "stocktake/stocktake_printout.h"

#include "storage/session.h"
#include "ui/platform.h"

StockTakePrintout::StockTakePrintout(Session& session, const StockTake& take, const StockTakeCounts& counts,
                                     const QDate& today)
    : m_session(session),
      m_take(take),
      m_counts(counts),
      m_today(today),
      m_found(session.database(), QStringLiteral("stockTakePrintedFound")),
      m_missing(session.database(), QStringLiteral("stockTakePrintedMissing")),
      m_unregistered(session.database(), QStringLiteral("stockTakePrintedUnregistered")),
      m_foundRows(m_found),
      m_missingRows(m_missing),
      m_unregisteredRows(m_unregistered),
      m_companyRows(session.tables().company),
      m_foundBand(QStringLiteral("stockTakeFound"), &m_foundRows, m_catalog),
      m_missingBand(QStringLiteral("stockTakeMissing"), &m_missingRows, m_catalog),
      m_unregisteredBand(QStringLiteral("stockTakeUnregistered"), &m_unregisteredRows, m_catalog),
      m_foundHeadingBand(QStringLiteral("stockTakeFoundHeading"), &m_foundHeading, m_catalog),
      m_missingHeadingBand(QStringLiteral("stockTakeMissingHeading"), &m_missingHeading, m_catalog),
      m_unregisteredHeadingBand(QStringLiteral("stockTakeUnregisteredHeading"), &m_unregisteredHeading, m_catalog),
      m_report(QStringLiteral("stockTakeReport"), m_catalog)
{
    // The own company's heading, as on every printout: the whole PARTNER table, opened when needed.
    m_catalog.addSource(QStringLiteral("company"), &m_companyRows, report::Catalog::OpenPolicy::OpenWhenClosed);
    m_report.previewButtons = report::kStandardButtons | report::PreviewButton::Print;
    m_report.onGetValue = [this](const QString& name, std::optional<report::Value>& v) { value(name, v); };
    auto numbered = [](report::ReportDataset& band, qint64& line) {
        band.onFirst = [&line] { line = 1; };
        band.onNext = [&line] { ++line; };
    };
    numbered(m_foundBand, m_foundLine);
    numbered(m_missingBand, m_missingLine);
    numbered(m_unregisteredBand, m_unregisteredLine);
}

void StockTakePrintout::openLists()
{
    StockTakes& store = m_session.stockTakes();
    store.openFound(m_found, m_take, m_today);
    store.openMissing(m_missing, m_take, m_today, StockTakes::ListReading::Whole);
    store.openUnregistered(m_unregistered, m_take);
}

void StockTakePrintout::value(const QString& name, std::optional<report::Value>& v) const
{
    const QString n = name.toLower();
    if (n == u"v_leltar")
        v = report::Value::integer(m_take.id);
    else if (n == u"v_allapot")
        v = report::Value::text(m_take.isOpen()
                                    ? QStringLiteral("Nyitott leltár: a mostani állapot, a listák még változhatnak.")
                                    : QStringLiteral("Lezárt leltár"));
    else if (n == u"v_kezdet")
        v = report::Value::text(QStringLiteral("%1 (%2, %3)").arg(m_take.started, m_take.startedBy, m_take.startedAt));
    else if (n == u"v_lezarva")
        v = report::Value::text(
            m_take.isOpen() ? QStringLiteral("még nyitott")
                            : QStringLiteral("%1 (%2, %3)").arg(m_take.closed, m_take.closedBy, m_take.closedAt));
    else if (n == u"v_megvan")
        v = report::Value::integer(m_counts.found);
    else if (n == u"v_hianyzik")
        v = report::Value::integer(m_counts.missing);
    else if (n == u"v_nincs")
        v = report::Value::integer(m_counts.unregistered);
    else if (n == u"v_olvasas")
        v = report::Value::integer(m_counts.readings);
    else if (n == u"v_sor_m")
        v = report::Value::integer(m_foundLine);
    else if (n == u"v_sor_h")
        v = report::Value::integer(m_missingLine);
    else if (n == u"v_sor_n")
        v = report::Value::integer(m_unregisteredLine);
}

report::PreparedReport StockTakePrintout::prepare()
{
    m_report.loadFromFile(kTemplate);
    openLists();
    return m_report.prepare();
}

bool StockTakePrintout::show(QWidget* parent)
{
    if (!ReportFeeds::loadReport(m_report, kTemplate, parent))
        return false;
    try {
        openLists();
    } catch (const std::exception& e) {
        platform::showError(parent, e);
        return false;
    }
    return ReportFeeds::showReport(m_report, parent);
}
