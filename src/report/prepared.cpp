#include "report/prepared.h"
#include "core/file_errors.h"

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

QString PreparedReport::plainText() const
{
    QString out;
    for (int p = 0; p < pageCount(); ++p) {
        out += QStringLiteral("=== %1. oldal ===\n").arg(p + 1);
        for (const QString& l : lines(p))
            out += l + u'\n';
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
                       {QStringLiteral("wrap"), s.wrap},
                       {QStringLiteral("padding"), s.padding}};
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
    s.wrap = o.value(QStringLiteral("wrap")).toBool();
    s.padding = std::clamp(o.value(QStringLiteral("padding")).toDouble(s.padding), 0.0, 20.0);
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
        for (const PreparedText& t : p.texts)
            texts.append(QJsonArray{round2(t.rect.x()), round2(t.rect.y()), round2(t.rect.width()),
                                    round2(t.rect.height()), t.style, t.text});
        pages.append(QJsonObject{{QStringLiteral("width"), p.size.width()},
                                 {QStringLiteral("height"), p.size.height()},
                                 {QStringLiteral("texts"), texts}});
    }
    const QJsonObject root{{QStringLiteral("format"), kFormat},
                           {QStringLiteral("version"), 1},
                           {QStringLiteral("title"), report.title},
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
            if (a.size() != 6 || !a.at(5).isString())
                throw notOurs();
            PreparedText t;
            t.rect = QRectF(a.at(0).toDouble(), a.at(1).toDouble(), a.at(2).toDouble(), a.at(3).toDouble());
            t.style = a.at(4).toInt(-1);
            if (t.style < 0 || t.style >= static_cast<int>(r.styles.size()))
                throw notOurs();
            t.text = a.at(5).toString();
            page.texts.push_back(t);
        }
        r.pages.push_back(std::move(page));
    }
    if (r.pages.empty())
        throw notOurs();
    return r;
}

}  // namespace report
