#include "report/engine.h"

#include "report/host.h"
#include "report/measure.h"
#include "report/variables.h"

#include <QHash>
#include <QSet>
#include <QTime>

#include <algorithm>
#include <cmath>
#include <functional>

namespace report {

namespace {

constexpr double kEpsilon = 0.001;  // millimetres that count as equal

// How one text is set in its box: its size (a shrunk text's is smaller than its style's), where
// its lines end, and how much room it takes.
struct Setting {
    double size = 0;
    std::vector<int> breaks;
    double widest = 0;       // mm, the widest line
    double lineSpacing = 0;  // mm
    bool elided = false;
    bool cut = false;
    bool broken = false;  // meant for one line (shrink), went on in further lines at its smallest size

    int lineCount() const { return static_cast<int>(breaks.size()) + 1; }
    double blockHeight() const { return lineCount() * lineSpacing; }
};

bool overlapping(const QRectF& a, const QRectF& b)
{
    constexpr double touch = 0.05;  // texts that merely touch do not overlap
    return std::min(a.right(), b.right()) - std::max(a.left(), b.left()) > touch &&
           std::min(a.bottom(), b.bottom()) - std::max(a.top(), b.top()) > touch;
}

double widestOf(const TextStyle& style, double size, const QString& text, const std::vector<int>& breaks)
{
    if (breaks.empty())
        return metrics::width(style, size, text);
    double widest = 0;
    for (size_t i = 0; i <= breaks.size(); ++i)
        widest = std::max(widest, metrics::width(style, size, metrics::line(text, breaks, i)));
    return widest;
}

// Sets a text into a box widthMm wide (inside its padding). A box that cannot grow (heightMm is
// then the room there is) makes a text shrink until its lines fit the height too.
Setting setText(const TextStyle& style, const QString& text, double natural, double widthMm, double heightMm,
                bool canGrow)
{
    Setting s;
    s.size = style.size;
    s.widest = natural;
    if (text.contains(u'\n'))
        s.breaks = metrics::paragraphBreaks(text);
    const double floorSize = std::min(style.minSize, style.size);
    const auto setAt = [&](double size) {
        s.size = size;
        s.breaks = metrics::wrap(style, size, text, widthMm);
        s.widest = widestOf(style, size, text, s.breaks);
    };
    if (natural > widthMm + kEpsilon) {
        switch (style.fit) {
        case Fit::Elide:
            s.elided = true;
            break;
        case Fit::Wrap:
            setAt(style.size);
            break;
        case Fit::Shrink: {
            // Straight to the size the width asks for (widths scale with the size), then down in
            // tenths of a point while it is still too wide; at the floor it goes on in further lines.
            double size = std::max(floorSize, std::floor(style.size * widthMm / natural * 10) / 10);
            double w = metrics::widestLine(style, size, text);
            while (w > widthMm + kEpsilon && size > floorSize + kEpsilon) {
                size = std::max(floorSize, std::round(size * 10 - 1) / 10);
                w = metrics::widestLine(style, size, text);
            }
            if (w <= widthMm + kEpsilon) {
                // Widths scale with the size closely, not exactly: the largest size that fits.
                for (double larger = std::round(size * 10 + 1) / 10; larger < style.size - kEpsilon;
                     larger = std::round(larger * 10 + 1) / 10) {
                    const double lw = metrics::widestLine(style, larger, text);
                    if (lw > widthMm + kEpsilon)
                        break;
                    size = larger;
                    w = lw;
                }
                s.size = size;
                s.widest = w;
            } else {
                setAt(size);
                s.broken = true;
            }
            break;
        }
        }
    }
    s.lineSpacing = metrics::lineSpacing(style, s.size);
    if (!canGrow && s.blockHeight() > heightMm + kEpsilon && !s.elided) {
        // A box that cannot grow: smaller sizes until the lines fit its height, or the floor.
        for (double size = std::round(s.size * 10 - 1) / 10; size >= floorSize - kEpsilon;
             size = std::round(size * 10 - 1) / 10) {
            setAt(size);
            s.lineSpacing = metrics::lineSpacing(style, size);
            if (s.blockHeight() <= heightMm + kEpsilon)
                break;
        }
        if (s.blockHeight() > heightMm + kEpsilon)
            s.cut = true;
    }
    if (!s.elided && s.widest > widthMm + kEpsilon)
        s.cut = true;
    return s;
}

// Where the lines of a set text stand in its box (millimetres, same origin as box).
QRectF inkOf(const TextStyle& style, const Setting& s, const QRectF& frameBox)
{
    const QRectF box = frameBox.adjusted(0, style.vpadding, 0, -style.vpadding);
    const double inner = std::max(0.0, box.width() - 2 * style.padding);
    const double w = std::min(s.widest, s.elided ? inner : s.widest);
    const Qt::Alignment h = style.align & Qt::AlignHorizontal_Mask;
    double x = box.left() + style.padding;
    if (h & Qt::AlignRight)
        x = box.right() - style.padding - w;
    else if (h & Qt::AlignHCenter)
        x = box.left() + style.padding + (inner - w) / 2;
    const double y = box.top() + metrics::linesTop(style, s.size, s.lineCount(), box.height());
    return QRectF(x, y, w, s.blockHeight());
}

}  // namespace

// Lays out one report in two steps. First every band is filled in the order its values are read
// (title, page header and footer, each data row with its dataset's events, the summary); then the
// columns are sized from what was filled, each band is set (texts shrink or go on in further
// lines, the band grows with them) and placed, a page break wherever the next band does not fit
// above the page footer. Texts that need the page number or count are finished last.
class Preparation : public Resolver {
public:
    Preparation(Report& report, PreparedReport& out) : m_report(report), m_t(report.m_template), m_out(out) {}

    void run()
    {
        m_title = m_t.band(BandKind::Title);
        m_header = m_t.band(BandKind::PageHeader);
        m_footer = m_t.band(BandKind::PageFooter);
        bindDatasets();
        internStyles();

        if (!m_t.documentTitle.isEmpty()) {
            const QString title = m_t.documentTitle.evaluate(*this).toText().simplified();
            if (!title.isEmpty())
                m_out.title = title;
        }
        if (!m_t.author.isEmpty())
            m_out.author = m_t.author.evaluate(*this).toText().simplified();
        std::optional<Filled> title, header, footer;
        if (m_title)
            title = fill(*m_title);
        if (m_header)
            header = fill(*m_header);
        if (m_footer)
            footer = fill(*m_footer);
        for (size_t i = 0; i < m_t.bands.size(); ++i)
            if (m_t.bands[i].kind == BandKind::MasterData)
                printMasterData(m_t.bands[i], m_bandDatasets.at(i));
        if (const Band* summary = m_t.band(BandKind::Summary))
            m_body.push_back(fill(*summary));

        sizeColumns(title, header, footer);

        if (header)
            setBand(*header, m_headerLayout);
        if (footer)
            setBand(*footer, m_footerLayout);
        if (title)
            setBand(*title, m_titleLayout);
        m_bodyLimit = m_t.pageSize.height() - m_t.margins.bottom() - (footer ? m_footerLayout.height : 0);
        startPage(title.has_value(), header.has_value());
        for (const Filled& f : m_body) {
            setBand(f, m_scratch);
            placeBody(m_scratch, title.has_value(), header.has_value(), footer.has_value());
        }
        finishPage(footer.has_value());
        finishPageNumbers();
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
    // A band filled once: its texts are m_texts[first …], one per object of the band.
    struct Filled {
        const Band* band = nullptr;
        size_t first = 0;
    };
    struct FilledText {
        QString text;
        int deferred = -1;     // index into m_deferred: the text waits for its page
        double natural = -1;   // mm at the style's own size, once measured
    };
    // One text of a set band, relative to the band's top left corner inside the margins.
    struct SetText {
        QRectF box;
        QRectF ink;
        Setting setting;
        int style = 0;
        size_t source = 0;  // into m_texts
        int object = 0;     // into band.objects
        bool present = true;
    };
    struct BandLayout {
        const Band* band = nullptr;
        double height = 0;
        std::vector<SetText> texts;
        std::vector<std::pair<int, int>> overlaps;  // indexes into texts
    };
    struct Waiting {
        size_t page;
        size_t index;        // into the page's texts
        size_t bandFirst;    // the page's texts of the same band: [bandFirst, bandEnd)
        size_t bandEnd;
        const TextObject* object;
        int deferred;
    };

    std::optional<Value> builtIn(const QString& key) const
    {
        if (key == kPageName)
            return m_page > 0 ? Value::integer(m_page) : Value();
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

    Filled fill(const Band& band)
    {
        Filled f{&band, m_texts.size()};
        for (const TextObject& o : band.objects) {
            FilledText t;
            if (o.expression.needsPage()) {
                t.deferred = static_cast<int>(m_deferred.size());
                m_deferred.push_back(o.expression.bindAllButPage(*this));
            } else {
                t.text = o.expression.evaluate(*this).toText();
            }
            m_texts.push_back(std::move(t));
        }
        return f;
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
            m_body.push_back(fill(band));
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

    double naturalWidth(const TextObject& o, FilledText& t)
    {
        if (t.natural < 0)
            t.natural = t.text.isEmpty() ? 0 : metrics::widestLine(o.style, o.style.size, t.text);
        return t.natural;
    }

    // Fixed columns keep their width. A column without a share is as wide as its widest text (at
    // least its minimum); one with a share starts from its minimum, or from its longest word when
    // that is wider, and the columns with a share divide what is left of the printable width
    // (without shares, every column sized by its content takes an even part of it). When the texts
    // ask for more than there is, the columns give back in turn, each evenly by what it can give:
    // those without a share down to where their shrinking texts reach their smallest size, then
    // those with a share down to their minimum (words break), then the others down to theirs.
    void sizeColumns(const std::optional<Filled>& title, const std::optional<Filled>& header,
                     const std::optional<Filled>& footer)
    {
        const size_t n = m_t.columns.size();
        if (n == 0)
            return;
        std::vector<double> widest(n, 0);  // the widest text on one line
        std::vector<double> least(n, 0);   // the least its texts need: shrunk to the floor, or a word a line
        const auto measure = [&](const Filled& f) {
            for (size_t i = 0; i < f.band->objects.size(); ++i) {
                const TextObject& o = f.band->objects[i];
                FilledText& t = m_texts[f.first + i];
                if (o.column < 0 || t.deferred >= 0 || t.text.isEmpty())
                    continue;
                const size_t c = static_cast<size_t>(o.column);
                const double w = naturalWidth(o, t);
                const double pad = 2 * o.style.padding;
                widest[c] = std::max(widest[c], w + pad);
                if (o.style.fit == Fit::Shrink && o.style.minSize < o.style.size) {
                    // Widths scale with the size closely, not exactly: the candidates are measured.
                    const double scaled = w * o.style.minSize / o.style.size + pad;
                    if (scaled + 0.5 > least[c])
                        least[c] = std::max(least[c], metrics::widestLine(o.style, o.style.minSize, t.text) + pad);
                } else if (o.style.fit == Fit::Shrink) {
                    least[c] = std::max(least[c], w + pad);
                }
                else if (o.style.fit == Fit::Wrap && m_t.columns[c].share > 0 && w + pad > least[c])
                    least[c] = std::max(least[c], metrics::longestWord(o.style, o.style.size, t.text) + pad);
            }
        };
        for (const auto* f : {&title, &header, &footer})
            if (*f)
                measure(**f);
        for (const Filled& f : m_body)
            measure(f);

        m_columnX.assign(n, 0);
        m_columnWidth.assign(n, 0);
        std::vector<double> width(n, 0);
        double remaining = m_t.printableWidth();
        double shares = 0;
        int flexible = 0;
        for (size_t c = 0; c < n; ++c) {
            const Column& col = m_t.columns[c];
            if (col.fixed > 0)
                width[c] = col.fixed;
            else if (col.share > 0)
                width[c] = std::max(col.min, std::min(least[c], widest[c]));
            else
                width[c] = std::max(col.min, widest[c]);
            if (col.fixed <= 0) {
                shares += col.share;
                ++flexible;
            }
            remaining -= width[c];
        }
        if (remaining >= 0) {
            for (size_t c = 0; c < n; ++c) {
                const Column& col = m_t.columns[c];
                if (col.fixed > 0)
                    continue;
                width[c] += shares > 0 ? remaining * col.share / shares : remaining / flexible;
            }
        } else {
            double missing = -remaining;
            // Down to what each column may go to in a stage (never up).
            const auto giveBack = [&](const std::function<double(size_t)>& target) {
                std::vector<double> give(n, 0);
                double total = 0;
                for (size_t c = 0; c < n; ++c) {
                    give[c] = std::max(0.0, width[c] - std::max(0.0, target(c)));
                    total += give[c];
                }
                if (total <= 0 || missing <= 0)
                    return;
                const double part = std::min(1.0, missing / total);
                for (size_t c = 0; c < n; ++c)
                    width[c] -= give[c] * part;
                missing -= total * part;
            };
            const auto byContent = [&](size_t c) { return m_t.columns[c].fixed <= 0 && m_t.columns[c].share <= 0; };
            giveBack([&](size_t c) {
                return byContent(c) ? std::max(m_t.columns[c].min, std::min(least[c], width[c])) : width[c];
            });
            giveBack([&](size_t c) { return m_t.columns[c].share > 0 ? m_t.columns[c].min : width[c]; });
            giveBack([&](size_t c) { return byContent(c) ? m_t.columns[c].min : width[c]; });
        }
        double x = 0;
        for (size_t c = 0; c < n; ++c) {
            m_columnX[c] = x;
            m_columnWidth[c] = width[c];
            x += width[c];
        }
    }

    QRectF boxOf(const TextObject& o) const
    {
        if (o.column < 0)
            return o.rect;
        const size_t c = static_cast<size_t>(o.column);
        return QRectF(m_columnX[c], o.rect.y(), m_columnWidth[c], o.rect.height());
    }

    // Sets every text of a filled band. A text that needs more lines than its box holds makes the
    // box grow: the boxes level with it (same top and bottom: a row) grow as much, whatever stands
    // below them moves down, and the boxes that reach the band's lowest edge stretch with it, so
    // frames and rules stay together.
    void setBand(const Filled& f, BandLayout& out)
    {
        const Band& band = *f.band;
        const size_t n = band.objects.size();
        out.band = &band;
        out.texts.resize(n);
        out.overlaps.clear();
        const std::vector<int>& styles = m_styles[bandIndex(band)];
        std::vector<double>& growth = m_growth;
        growth.assign(n, 0);
        double lowest = 0;
        for (size_t i = 0; i < n; ++i) {
            const TextObject& o = band.objects[i];
            FilledText& t = m_texts[f.first + i];
            SetText& s = out.texts[i];
            s.box = boxOf(o);
            s.source = f.first + i;
            s.object = static_cast<int>(i);
            s.style = styles[i];
            s.present = t.deferred >= 0 || !t.text.isEmpty() || o.style.frame != 0;
            lowest = std::max(lowest, s.box.bottom());
            if (t.deferred >= 0 || t.text.isEmpty()) {
                s.setting = Setting{};
                continue;
            }
            const double inner = std::max(0.0, s.box.width() - 2 * o.style.padding);
            const double room = std::max(0.0, s.box.height() - 2 * o.style.vpadding);
            s.setting = setText(o.style, t.text, naturalWidth(o, t), inner, room, true);
            const Setting& set = s.setting;
            const double block = set.blockHeight();
            if (block > room + kEpsilon) {
                // The lines keep the room the box left around one line, up to half a line.
                const double spare = std::clamp(room - set.lineSpacing, 0.0, set.lineSpacing / 2);
                growth[i] = block + spare - room;
            }
        }
        std::vector<double>& shift = m_shift;
        shift.assign(n, 0);
        double grown = 0;
        if (std::any_of(growth.begin(), growth.end(), [](double g) { return g > 0; })) {
            // Rows: boxes of the same top and bottom grow together.
            for (size_t i = 0; i < n; ++i)
                for (size_t j = 0; j < n; ++j)
                    if (growth[j] > growth[i] &&
                        std::abs(out.texts[i].box.top() - out.texts[j].box.top()) < kEpsilon &&
                        std::abs(out.texts[i].box.bottom() - out.texts[j].box.bottom()) < kEpsilon)
                        growth[i] = growth[j];
            // Downward pushes, from the top: a box moves by what the boxes above it (and overlapping
            // it sideways) moved and grew.
            std::vector<size_t>& order = m_order;
            order.resize(n);
            for (size_t i = 0; i < n; ++i)
                order[i] = i;
            std::stable_sort(order.begin(), order.end(),
                             [&](size_t a, size_t b) { return out.texts[a].box.top() < out.texts[b].box.top(); });
            for (size_t a = 0; a < n; ++a) {
                const size_t i = order[a];
                const QRectF& bi = out.texts[i].box;
                for (size_t b = 0; b < a; ++b) {
                    const size_t j = order[b];
                    const QRectF& bj = out.texts[j].box;
                    if (bj.bottom() <= bi.top() + kEpsilon && bj.left() < bi.right() - kEpsilon &&
                        bi.left() < bj.right() - kEpsilon)
                        shift[i] = std::max(shift[i], shift[j] + growth[j]);
                }
                grown = std::max(grown, shift[i] + growth[i]);
            }
        }
        out.height = band.height + grown;
        for (size_t i = 0; i < n; ++i) {
            SetText& s = out.texts[i];
            const TextObject& o = band.objects[i];
            const bool reachesBottom = std::abs(s.box.bottom() - lowest) < kEpsilon;
            s.box.translate(0, shift[i]);
            s.box.setHeight(reachesBottom ? lowest + grown - s.box.top() : s.box.height() + growth[i]);
            if (s.setting.lineSpacing > 0)
                s.ink = inkOf(o.style, s.setting, s.box);
        }
        // A text stays inside its box unless it was cut (and listed so); growing moves boxes apart,
        // never onto each other: only texts whose boxes overlap in the template can overlap.
        for (const auto& [i, j] : overlappingBoxes(band))
            if (out.texts[static_cast<size_t>(i)].setting.lineSpacing > 0 &&
                out.texts[static_cast<size_t>(j)].setting.lineSpacing > 0 &&
                overlapping(out.texts[static_cast<size_t>(i)].ink, out.texts[static_cast<size_t>(j)].ink))
                out.overlaps.emplace_back(i, j);
    }

    // The pairs of a band's objects whose boxes overlap (the columns sized).
    const std::vector<std::pair<int, int>>& overlappingBoxes(const Band& band)
    {
        const size_t b = bandIndex(band);
        if (m_overlappingBoxes.size() != m_t.bands.size())
            m_overlappingBoxes.assign(m_t.bands.size(), std::nullopt);
        if (!m_overlappingBoxes[b]) {
            std::vector<std::pair<int, int>> pairs;
            for (size_t i = 0; i < band.objects.size(); ++i)
                for (size_t j = i + 1; j < band.objects.size(); ++j)
                    if (overlapping(boxOf(band.objects[i]), boxOf(band.objects[j])))
                        pairs.emplace_back(static_cast<int>(i), static_cast<int>(j));
            m_overlappingBoxes[b] = std::move(pairs);
        }
        return *m_overlappingBoxes[b];
    }

    void problem(FitProblem::Kind kind, size_t page, size_t text, int other, int line)
    {
        m_out.fitProblems.push_back(
            FitProblem{kind, static_cast<int>(page), static_cast<int>(text), other, line});
    }

    // Puts a set band on the current page with its top at y; a text that reaches below limit is cut.
    void put(const BandLayout& layout, double y, double limit)
    {
        PreparedPage& page = m_out.pages.back();
        const size_t pageIndex = m_out.pages.size() - 1;
        const size_t first = page.texts.size();
        std::vector<int>& at = m_at;
        at.assign(layout.texts.size(), -1);
        const QPointF offset(m_t.margins.left(), y);
        std::vector<std::pair<size_t, size_t>>& waiting = m_putWaiting;  // (object, page text)
        waiting.clear();
        for (size_t i = 0; i < layout.texts.size(); ++i) {
            const SetText& s = layout.texts[i];
            if (!s.present)
                continue;
            const FilledText& t = m_texts[s.source];
            const TextObject& o = layout.band->objects[static_cast<size_t>(s.object)];
            at[i] = static_cast<int>(page.texts.size());
            PreparedText text;
            text.rect = s.box.translated(offset);
            text.style = s.style;
            text.text = t.text;
            text.breaks = s.setting.breaks;
            if (s.setting.lineSpacing > 0 && s.setting.size < o.style.size - kEpsilon)
                text.size = s.setting.size;
            if (t.deferred >= 0)
                waiting.emplace_back(i, page.texts.size());
            else if (s.setting.elided)
                problem(FitProblem::Kind::Elided, pageIndex, page.texts.size(), -1, o.line);
            else if (s.setting.cut || (s.setting.lineSpacing > 0 && s.ink.bottom() + y > limit + kEpsilon))
                problem(FitProblem::Kind::Cut, pageIndex, page.texts.size(), -1, o.line);
            else if (s.setting.broken)
                problem(FitProblem::Kind::Broken, pageIndex, page.texts.size(), -1, o.line);
            page.texts.push_back(std::move(text));
        }
        for (const auto& [a, b] : layout.overlaps)
            if (at[static_cast<size_t>(a)] >= 0 && at[static_cast<size_t>(b)] >= 0)
                problem(FitProblem::Kind::Overlap, pageIndex, static_cast<size_t>(at[static_cast<size_t>(a)]),
                        at[static_cast<size_t>(b)], layout.band->objects[static_cast<size_t>(a)].line);
        for (const auto& [object, index] : waiting) {
            const SetText& s = layout.texts[object];
            m_waiting.push_back(Waiting{pageIndex, index, first, page.texts.size(),
                                        &layout.band->objects[static_cast<size_t>(s.object)],
                                        m_texts[s.source].deferred});
        }
    }

    void startPage(bool title, bool header)
    {
        m_out.pages.push_back(PreparedPage{m_t.pageSize, {}});
        m_y = m_t.margins.top();
        m_pageHasBody = false;
        if (m_out.pages.size() == 1 && title) {
            put(m_titleLayout, m_y, m_bodyLimit);
            m_y += m_titleLayout.height;
        }
        if (header) {
            put(m_headerLayout, m_y, m_bodyLimit);
            m_y += m_headerLayout.height;
        }
    }

    void finishPage(bool footer)
    {
        if (footer)
            put(m_footerLayout, m_bodyLimit, m_t.pageSize.height() - m_t.margins.bottom());
    }

    // A band that does not fit above the footer goes to the next page, whole; on a page that holds
    // no body band yet it stays, whatever its height, so a list always moves on.
    void placeBody(const BandLayout& layout, bool title, bool header, bool footer)
    {
        if (m_pageHasBody && m_y + layout.height > m_bodyLimit + kEpsilon) {
            finishPage(footer);
            startPage(title, header);
        }
        put(layout, m_y, m_bodyLimit);
        m_y += layout.height;
        m_pageHasBody = true;
    }

    // Texts with the page number or count: evaluated and set in the box they were given, which
    // no longer grows; they shrink if they must.
    void finishPageNumbers()
    {
        m_pageCount = static_cast<qint64>(m_out.pages.size());
        for (const Waiting& w : m_waiting) {
            m_page = static_cast<qint64>(w.page) + 1;
            PreparedPage& page = m_out.pages[w.page];
            PreparedText& text = page.texts[w.index];
            text.text = m_deferred[static_cast<size_t>(w.deferred)].evaluate(*this).toText();
            if (text.text.isEmpty())
                continue;
            const TextStyle& style = w.object->style;
            const double inner = std::max(0.0, text.rect.width() - 2 * style.padding);
            const Setting s = setText(style, text.text, metrics::widestLine(style, style.size, text.text), inner,
                                      std::max(0.0, text.rect.height() - 2 * style.vpadding), false);
            text.breaks = s.breaks;
            text.size = s.size < style.size - kEpsilon ? s.size : 0;
            if (s.elided)
                problem(FitProblem::Kind::Elided, w.page, w.index, -1, w.object->line);
            else if (s.cut)
                problem(FitProblem::Kind::Cut, w.page, w.index, -1, w.object->line);
            else if (s.broken)
                problem(FitProblem::Kind::Broken, w.page, w.index, -1, w.object->line);
            const QRectF ink = inkOf(style, s, text.rect);
            for (size_t i = w.bandFirst; i < w.bandEnd; ++i) {
                const PreparedText& other = page.texts[i];
                if (i == w.index || other.text.isEmpty())
                    continue;
                const TextStyle& os = m_out.styles[static_cast<size_t>(other.style)];
                Setting o;
                o.size = other.sizeIn(os);
                o.breaks = other.breaks;
                o.lineSpacing = metrics::lineSpacing(os, o.size);
                o.widest = widestOf(os, o.size, other.text, other.breaks);
                if (overlapping(ink, inkOf(os, o, other.rect)))
                    problem(FitProblem::Kind::Overlap, w.page, w.index, static_cast<int>(i), w.object->line);
            }
        }
        m_page = 0;
    }

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
    qint64 m_page = 0;
    qint64 m_pageCount = 0;
    std::vector<ReportDataset*> m_bandDatasets;
    std::vector<RowSource*> m_templateRows;
    RowSource* m_currentRows = nullptr;
    std::vector<std::vector<int>> m_styles;
    std::vector<FilledText> m_texts;
    std::vector<Expression> m_deferred;
    std::vector<Filled> m_body;
    std::vector<double> m_columnX, m_columnWidth;
    BandLayout m_titleLayout, m_headerLayout, m_footerLayout, m_scratch;
    // Working space of setBand and put, kept from one band to the next.
    std::vector<double> m_growth, m_shift;
    std::vector<size_t> m_order;
    std::vector<int> m_at;
    std::vector<std::pair<size_t, size_t>> m_putWaiting;
    std::vector<std::optional<std::vector<std::pair<int, int>>>> m_overlappingBoxes;
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
        if (out.author.isEmpty())
            out.author = part.author;
        for (FitProblem p : part.fitProblems) {
            p.page += out.pageCount();
            out.fitProblems.push_back(p);
        }
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
