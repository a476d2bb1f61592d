#include "report/engine.h"

#include "report/host.h"
#include "report/variables.h"

#include <QSet>
#include <QTime>

namespace report {

// Lays out one report: bands placed from the top of each page, a page break wherever the next band
// does not fit above the page footer, every text evaluated when its band is placed. Texts that
// need the page count are finished once the last page is known.
class Preparation : public Resolver {
public:
    Preparation(Report& report, PreparedReport& out) : m_report(report), m_t(report.m_template), m_out(out) {}

    void run()
    {
        m_title = m_t.band(BandKind::Title);
        m_header = m_t.band(BandKind::PageHeader);
        m_footer = m_t.band(BandKind::PageFooter);
        m_bodyLimit = m_t.pageSize.height() - m_t.margins.bottom() - (m_footer ? m_footer->height : 0);
        bindDatasets();
        internStyles();

        startPage();
        for (size_t i = 0; i < m_t.bands.size(); ++i)
            if (m_t.bands[i].kind == BandKind::MasterData)
                printMasterData(m_t.bands[i], m_bandDatasets.at(i));
        if (const Band* summary = m_t.band(BandKind::Summary))
            placeBand(*summary);
        finishPage();
        finishPageCounts();
    }

    QStringList unresolved() const
    {
        QStringList names(m_unresolved.begin(), m_unresolved.end());
        names.sort();
        return names;
    }

    Value resolve(const Reference& ref) override
    {
        if (m_report.onGetValue) {
            std::optional<Value> answer;
            m_report.onGetValue(ref.name, answer);
            if (answer)
                return *answer;
        }
        if (!ref.qualifier.isEmpty()) {
            if (RowSource* rows = m_report.m_catalog.rows(ref.qualifier)) {
                if (const auto v = rows->field(ref.field))
                    return *v;
                return {};  // a closed dataset, or a field it does not have, reads as nothing
            }
        } else {
            if (m_currentRows)
                if (const auto v = m_currentRows->field(ref.key))
                    return *v;
            for (RowSource* rows : m_templateRows)
                if (rows != m_currentRows)
                    if (const auto v = rows->field(ref.key))
                        return *v;
            if (const auto v = builtIn(ref.key))
                return *v;
        }
        if (const auto v = variables().value(ref.key))
            return *v;
        m_unresolved.insert(ref.name);
        return {};
    }

private:
    std::optional<Value> builtIn(const QString& key) const
    {
        if (key == u"page")
            return Value::integer(static_cast<qint64>(m_out.pages.size()));
        if (key == kPageCountName)
            return m_pageCount > 0 ? Value::integer(m_pageCount) : Value();
        if (key == u"line")
            return Value::integer(m_line);
        if (key == u"date")
            return Value::date(host::today());
        if (key == u"time")
            return Value::text(QTime::currentTime().toString(QStringLiteral("HH:mm")));
        return std::nullopt;
    }

    void bindDatasets()
    {
        Catalog& catalog = m_report.m_catalog;
        m_bandDatasets.assign(m_t.bands.size(), nullptr);
        for (size_t i = 0; i < m_t.bands.size(); ++i) {
            const Band& b = m_t.bands[i];
            if (b.kind != BandKind::MasterData)
                continue;
            ReportDataset* ds = catalog.dataset(b.dataset);
            if (!ds || !ds->rows())
                throw Error(QStringLiteral(
                                "A(z) \"%1\" sablon a(z) \"%2\" adatkészletre hivatkozik, de ilyen adatkészlet nincs.")
                                .arg(m_t.fileName, b.dataset));
            m_bandDatasets[i] = ds;
            m_templateRows.push_back(ds->rows());
        }
        // A report dataset opens its rows when the report starts, so a heading can read them too.
        for (ReportDataset* ds : m_bandDatasets)
            if (ds && !ds->rows()->isOpen())
                ds->rows()->open();
        for (const QString& name : m_t.uses) {
            RowSource* rows = catalog.rows(name);
            if (!rows)
                throw Error(QStringLiteral(
                                "A(z) \"%1\" sablon a(z) \"%2\" adatkészletet használja, de ilyen adatkészlet nincs.")
                                .arg(m_t.fileName, name));
            const auto source = catalog.source(name);
            if (source && source->policy == Catalog::OpenPolicy::OpenWhenClosed && !rows->isOpen()) {
                rows->open();
                rows->first();
            }
            m_templateRows.push_back(rows);
        }
    }

    void internStyles()
    {
        m_styles.resize(m_t.bands.size());
        for (size_t i = 0; i < m_t.bands.size(); ++i)
            for (const TextObject& o : m_t.bands[i].objects)
                m_styles[i].push_back(m_out.addStyle(o.style));
    }

    size_t bandIndex(const Band& band) const { return static_cast<size_t>(&band - m_t.bands.data()); }

    void startPage()
    {
        m_out.pages.push_back(PreparedPage{m_t.pageSize, {}});
        m_y = m_t.margins.top();
        m_pageHasBody = false;
        if (m_out.pages.size() == 1 && m_title)
            emitBand(*m_title, m_y);
        if (m_header)
            emitBand(*m_header, m_y);
    }

    void finishPage()
    {
        if (m_footer) {
            double y = m_t.pageSize.height() - m_t.margins.bottom() - m_footer->height;
            emitBand(*m_footer, y);
        }
    }

    // A band that does not fit above the footer goes to the next page; on a page that holds no
    // body band yet it stays, whatever its height, so a list always moves on.
    void placeBand(const Band& band)
    {
        constexpr double slack = 0.001;
        if (m_pageHasBody && m_y + band.height > m_bodyLimit + slack) {
            finishPage();
            startPage();
        }
        emitBand(band, m_y);
        m_pageHasBody = true;
    }

    void emitBand(const Band& band, double& y)
    {
        PreparedPage& page = m_out.pages.back();
        const std::vector<int>& styles = m_styles[bandIndex(band)];
        for (size_t i = 0; i < band.objects.size(); ++i) {
            const TextObject& o = band.objects[i];
            PreparedText text;
            text.rect = o.rect.translated(m_t.margins.left(), y);
            text.style = styles[i];
            if (o.expression.needsPageCount()) {
                m_waiting.push_back(
                    {m_out.pages.size() - 1, page.texts.size(), o.expression.bindAllButPageCount(*this)});
            } else {
                text.text = o.expression.evaluate(*this).toText();
                if (text.text.isEmpty() && o.style.frame == 0)
                    continue;
            }
            page.texts.push_back(std::move(text));
        }
        y += band.height;
    }

    void printMasterData(const Band& band, ReportDataset* ds)
    {
        RowSource* rows = ds->rows();
        if (!rows->isOpen())  // an earlier band's events may have closed it
            rows->open();
        if (ds->onOpen)
            ds->onOpen();
        rows->first();
        if (ds->onFirst)
            ds->onFirst();
        m_currentRows = rows;
        m_line = 0;
        const auto rowsRemain = [&] { return ds->rowPresent ? ds->rowPresent() : !rows->eof(); };
        int movesAtEnd = 0;
        while (rowsRemain()) {
            ++m_line;
            placeBand(band);
            const bool atEnd = rows->eof();
            rows->next();
            if (ds->onNext)
                ds->onNext();
            // A dataset's own rule that keeps saying "more" after its rows ended must not print forever.
            movesAtEnd = atEnd ? movesAtEnd + 1 : 0;
            if (movesAtEnd > 1)
                break;
        }
        m_currentRows = nullptr;
    }

    void finishPageCounts()
    {
        m_pageCount = static_cast<qint64>(m_out.pages.size());
        for (const Waiting& w : m_waiting) {
            PreparedText& text = m_out.pages[w.page].texts[w.index];
            text.text = w.expression.evaluate(*this).toText();
        }
    }

    struct Waiting {
        size_t page;
        size_t index;
        Expression expression;
    };

    Report& m_report;
    const Template& m_t;
    PreparedReport& m_out;
    const Band* m_title = nullptr;
    const Band* m_header = nullptr;
    const Band* m_footer = nullptr;
    double m_bodyLimit = 0;
    double m_y = 0;
    bool m_pageHasBody = false;
    qint64 m_line = 0;
    qint64 m_pageCount = 0;
    std::vector<ReportDataset*> m_bandDatasets;
    std::vector<RowSource*> m_templateRows;
    RowSource* m_currentRows = nullptr;
    std::vector<std::vector<int>> m_styles;
    std::vector<Waiting> m_waiting;
    QSet<QString> m_unresolved;
};

// ---------------------------------------------------------------- Report

Report::Report(const QString& name) : Report(name, catalog()) {}

Report::Report(const QString& name, Catalog& catalog) : m_name(name), m_catalog(catalog) {}

void Report::loadFromFile(const QString& fileName) { setTemplate(loadTemplate(fileName)); }

void Report::setTemplate(const Template& layout)
{
    m_template = layout;
    m_hasTemplate = true;
}

PreparedReport Report::prepare()
{
    if (!m_hasTemplate)
        throw Error(QStringLiteral("A(z) „%1” jelentésbe nincs sablon betöltve.").arg(m_name));
    PreparedReport out;
    out.title = m_template.title;
    Preparation p(*this, out);
    m_unresolved.clear();
    p.run();
    m_unresolved = p.unresolved();
    return out;
}

void Report::showReport(QWidget* parent)
{
    const PreparedReport prepared = prepare();
    host::present(prepared, PreviewOptions{previewButtons, modalPreview}, parent);
}

// ---------------------------------------------------------------- CompositeReport

PreparedReport CompositeReport::prepare()
{
    PreparedReport out;
    for (Report* r : reports) {
        PreparedReport part = r->prepare();
        if (out.title.isEmpty())
            out.title = part.title;
        for (PreparedPage& page : part.pages) {
            for (PreparedText& t : page.texts)
                t.style = out.addStyle(part.styles[static_cast<size_t>(t.style)]);
            out.pages.push_back(std::move(page));
        }
    }
    if (out.title.isEmpty())
        out.title = m_name;
    return out;
}

void CompositeReport::showReport(QWidget* parent)
{
    const PreparedReport prepared = prepare();
    host::present(prepared, PreviewOptions{previewButtons, modalPreview}, parent);
}

}  // namespace report
