#include "report/prepared.h"
#include "core/file_errors.h"

#include "report/measure.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>
#include <cmath>

namespace report {

int PreparedReport::addStyle(const TextStyle& style)
{
    for (size_t i = 0; i < styles.size(); ++i)
        if (styles[i] == style)
            return static_cast<int>(i);
    styles.push_back(style);
    return static_cast<int>(styles.size()) - 1;
}

QStringList PreparedReport::lines(int pageIndex) const
{
    QStringList out;
    if (pageIndex < 0 || pageIndex >= pageCount())
        return out;
    std::vector<const PreparedText*> texts;
    for (const PreparedText& t : pages[static_cast<size_t>(pageIndex)].texts)
        if (!t.text.isEmpty())
            texts.push_back(&t);
    // Tops within a tenth of a millimetre count as level.
    const auto top = [](const PreparedText* t) { return std::lround(t->rect.top() * 10); };
    std::stable_sort(texts.begin(), texts.end(), [&](const PreparedText* a, const PreparedText* b) {
        return top(a) != top(b) ? top(a) < top(b) : a->rect.left() < b->rect.left();
    });
    QStringList current;
    long currentTop = 0;
    for (const PreparedText* t : texts) {
        if (!current.isEmpty() && top(t) != currentTop) {
            out << current.join(QStringLiteral(" | "));
            current.clear();
        }
        currentTop = top(t);
        current << QString(t->text).replace(u'\n', u' ');
    }
    if (!current.isEmpty())
        out << current.join(QStringLiteral(" | "));
    return out;
}

QStringList PreparedReport::printedLines(int pageIndex) const
{
    QStringList out;
    if (pageIndex < 0 || pageIndex >= pageCount())
        return out;
    std::vector<const PreparedText*> texts;
    for (const PreparedText& t : pages[static_cast<size_t>(pageIndex)].texts)
        if (!t.text.isEmpty())
            texts.push_back(&t);
    const auto top = [](const PreparedText* t) { return std::lround(t->rect.top() * 10); };
    std::stable_sort(texts.begin(), texts.end(), [&](const PreparedText* a, const PreparedText* b) {
        return top(a) != top(b) ? top(a) < top(b) : a->rect.left() < b->rect.left();
    });
    const auto flush = [&](const std::vector<const PreparedText*>& row) {
        int lineCount = 1;
        for (const PreparedText* t : row)
            lineCount = std::max(lineCount, t->lineCount());
        for (int i = 0; i < lineCount; ++i) {
            QStringList parts;
            for (const PreparedText* t : row)
                if (i < t->lineCount())
                    parts << metrics::line(t->text, t->breaks, static_cast<size_t>(i)).toString();
            out << (i == 0 ? QString() : QStringLiteral("  ")) + parts.join(QStringLiteral(" | "));
        }
    };
    std::vector<const PreparedText*> row;
    for (const PreparedText* t : texts) {
        if (!row.empty() && top(t) != top(row.front())) {
            flush(row);
            row.clear();
        }
        row.push_back(t);
    }
    if (!row.empty())
        flush(row);
    return out;
}

QString PreparedReport::plainText() const
{
    QString out;
    for (int p = 0; p < pageCount(); ++p) {
        out += QStringLiteral("=== %1. oldal ===\n").arg(p + 1);
        for (const QString& l : printedLines(p))
            out += l + u'\n';
    }
    return out;
}

QStringList PreparedReport::fitReport() const
{
    QStringList out;
    const auto textOf = [&](int page, int index) {
        if (page < 0 || page >= pageCount() || index < 0 ||
            index >= static_cast<int>(pages[static_cast<size_t>(page)].texts.size()))
            return QString();
        return pages[static_cast<size_t>(page)].texts[static_cast<size_t>(index)].text;
    };
    for (const FitProblem& p : fitProblems) {
        QString what;
        switch (p.kind) {
        case FitProblem::Kind::Cut:
            what = QStringLiteral("nem fér el, levágva");
            break;
        case FitProblem::Kind::Elided:
            what = QStringLiteral("nem fér el, „…” jelzi");
            break;
        case FitProblem::Kind::Broken:
            what = QStringLiteral("a legkisebb betűmérettel sem fér el egy sorban");
            break;
        case FitProblem::Kind::Overlap:
            what = QStringLiteral("átfedi ezt: „%1”").arg(textOf(p.page, p.other));
            break;
        }
        out << QStringLiteral("%1. oldal, a sablon %2. sora: „%3” %4")
                   .arg(p.page + 1)
                   .arg(p.templateLine)
                   .arg(textOf(p.page, p.text), what);
    }
    return out;
}

namespace {

const QString kFormat = QStringLiteral("gerundo-prepared-report");

QJsonObject styleToJson(const TextStyle& s)
{
    return QJsonObject{{QStringLiteral("family"), s.family},
                       {QStringLiteral("size"), s.size},
                       {QStringLiteral("bold"), s.bold},
                       {QStringLiteral("italic"), s.italic},
                       {QStringLiteral("align"), static_cast<int>(s.align)},
                       {QStringLiteral("frame"), static_cast<int>(s.frame)},
                       {QStringLiteral("frameWidth"), s.frameWidth},
                       {QStringLiteral("wrap"), s.fit == Fit::Wrap},
                       {QStringLiteral("fit"), s.fit == Fit::Wrap     ? QStringLiteral("wrap")
                                               : s.fit == Fit::Elide ? QStringLiteral("elide")
                                                                     : QStringLiteral("shrink")},
                       {QStringLiteral("minSize"), s.minSize},
                       {QStringLiteral("padding"), s.padding},
                       {QStringLiteral("vpadding"), s.vpadding}};
}

TextStyle styleFromJson(const QJsonObject& o)
{
    TextStyle s;
    s.family = o.value(QStringLiteral("family")).toString(s.family);
    s.size = std::clamp(o.value(QStringLiteral("size")).toDouble(s.size), 1.0, 200.0);
    s.bold = o.value(QStringLiteral("bold")).toBool();
    s.italic = o.value(QStringLiteral("italic")).toBool();
    s.align = Qt::Alignment(o.value(QStringLiteral("align")).toInt(static_cast<int>(s.align)));
    s.frame = static_cast<unsigned>(o.value(QStringLiteral("frame")).toInt()) & FrameAll;
    s.frameWidth = std::clamp(o.value(QStringLiteral("frameWidth")).toDouble(s.frameWidth), 0.01, 5.0);
    // A file saved before texts were fitted by the layout ended a long line in "…" unless it wrapped.
    const QString fit = o.value(QStringLiteral("fit")).toString();
    if (fit == u"wrap" || (fit.isEmpty() && o.value(QStringLiteral("wrap")).toBool()))
        s.fit = Fit::Wrap;
    else if (fit == u"shrink")
        s.fit = Fit::Shrink;
    else
        s.fit = Fit::Elide;
    s.minSize = std::clamp(o.value(QStringLiteral("minSize")).toDouble(s.minSize), 1.0, 200.0);
    s.padding = std::clamp(o.value(QStringLiteral("padding")).toDouble(s.padding), 0.0, 20.0);
    s.vpadding = std::clamp(o.value(QStringLiteral("vpadding")).toDouble(s.vpadding), 0.0, 20.0);
    return s;
}

double round2(double v) { return std::round(v * 100) / 100; }

}  // namespace

void savePrepared(const PreparedReport& report, const QString& fileName)
{
    QJsonArray styles;
    for (const TextStyle& s : report.styles)
        styles.append(styleToJson(s));
    QJsonArray pages;
    for (const PreparedPage& p : report.pages) {
        QJsonArray texts;
        for (const PreparedText& t : p.texts) {
            QJsonArray text{round2(t.rect.x()), round2(t.rect.y()), round2(t.rect.width()), round2(t.rect.height()),
                            t.style, t.text};
            if (!t.breaks.empty() || t.size > 0) {
                QJsonObject set;
                if (!t.breaks.empty()) {
                    QJsonArray breaks;
                    for (int b : t.breaks)
                        breaks.append(b);
                    set.insert(QStringLiteral("breaks"), breaks);
                }
                if (t.size > 0)
                    set.insert(QStringLiteral("size"), round2(t.size));
                text.append(set);
            }
            texts.append(text);
        }
        pages.append(QJsonObject{{QStringLiteral("width"), p.size.width()},
                                 {QStringLiteral("height"), p.size.height()},
                                 {QStringLiteral("texts"), texts}});
    }
    const QJsonObject root{{QStringLiteral("format"), kFormat},
                           {QStringLiteral("version"), 1},
                           {QStringLiteral("title"), report.title},
                           {QStringLiteral("author"), report.author},
                           {QStringLiteral("styles"), styles},
                           {QStringLiteral("pages"), pages}};
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw Error(QStringLiteral("Nem lehet létrehozni a(z) \"%1\" fájlt. %2").arg(fileName, fileErrorText(file)));
    file.write(QJsonDocument(root).toJson(QJsonDocument::Compact));
    if (!file.commit())
        throw Error(QStringLiteral("Nem lehet menteni a(z) \"%1\" fájlt. %2").arg(fileName, fileErrorText(file)));
}

PreparedReport loadPrepared(const QString& fileName)
{
    const auto notOurs = [&] {
        return Error(
            QStringLiteral("Nem lehet megnyitni a(z) \"%1\" fájlt. A fájl nem mentett jelentés, vagy megsérült.")
                .arg(fileName));
    };
    QFile file(fileName);
    if (!QFileInfo::exists(fileName))
        throw Error(QStringLiteral("Nem lehet megnyitni a(z) \"%1\" fájlt. A rendszer nem találja a megadott fájlt.")
                        .arg(fileName));
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Nem lehet megnyitni a(z) \"%1\" fájlt. %2").arg(fileName, fileErrorText(file)));
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &err);
    const QJsonObject root = doc.object();
    if (err.error != QJsonParseError::NoError || root.value(QStringLiteral("format")).toString() != kFormat ||
        root.value(QStringLiteral("version")).toInt() != 1)
        throw notOurs();
    PreparedReport r;
    r.title = root.value(QStringLiteral("title")).toString();
    r.author = root.value(QStringLiteral("author")).toString();
    for (const QJsonValue& s : root.value(QStringLiteral("styles")).toArray())
        r.styles.push_back(styleFromJson(s.toObject()));
    if (r.styles.empty())
        r.styles.push_back(TextStyle());
    for (const QJsonValue& pv : root.value(QStringLiteral("pages")).toArray()) {
        const QJsonObject po = pv.toObject();
        PreparedPage page;
        page.size = QSizeF(po.value(QStringLiteral("width")).toDouble(), po.value(QStringLiteral("height")).toDouble());
        if (page.size.width() < 10 || page.size.height() < 10 || page.size.width() > 2000 || page.size.height() > 2000)
            throw notOurs();
        for (const QJsonValue& tv : po.value(QStringLiteral("texts")).toArray()) {
            const QJsonArray a = tv.toArray();
            if (a.size() < 6 || a.size() > 7 || !a.at(5).isString())
                throw notOurs();
            PreparedText t;
            t.rect = QRectF(a.at(0).toDouble(), a.at(1).toDouble(), a.at(2).toDouble(), a.at(3).toDouble());
            t.style = a.at(4).toInt(-1);
            if (t.style < 0 || t.style >= static_cast<int>(r.styles.size()))
                throw notOurs();
            t.text = a.at(5).toString();
            const TextStyle& style = r.styles[static_cast<size_t>(t.style)];
            if (a.size() == 7) {
                const QJsonObject set = a.at(6).toObject();
                t.size = set.value(QStringLiteral("size")).toDouble(0);
                if (t.size != 0 && (t.size < 1 || t.size > 200))
                    throw notOurs();
                int previous = 0;
                for (const QJsonValue& b : set.value(QStringLiteral("breaks")).toArray()) {
                    const int at = b.toInt(-1);
                    if (at <= previous || at >= t.text.size())
                        throw notOurs();
                    t.breaks.push_back(at);
                    previous = at;
                }
            } else if (style.fit == Fit::Wrap) {
                // saved before the layout kept its lines: set them as the layout would
                t.breaks = metrics::wrap(style, style.size, t.text, t.rect.width() - 2 * style.padding);
            } else {
                t.breaks = metrics::paragraphBreaks(t.text);
            }
            page.texts.push_back(std::move(t));
        }
        r.pages.push_back(std::move(page));
    }
    if (r.pages.empty())
        throw notOurs();
    return r;
}

}  // namespace report
