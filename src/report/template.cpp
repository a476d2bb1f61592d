#include "report/template.h"
#include "core/file_errors.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <functional>

namespace report {

const Band* Template::band(BandKind kind) const
{
    for (const Band& b : bands)
        if (b.kind == kind)
            return &b;
    return nullptr;
}

namespace {

QString detailText(TemplateError::Kind kind, const QString& detail, int line)
{
    if (kind == TemplateError::Kind::Malformed)
        return QStringLiteral("Hibás jelentéssablon, %1. sor: %2").arg(line).arg(detail);
    return detail;
}

}  // namespace

TemplateError::TemplateError(Kind kind, const QString& fileName, const QString& detail, int line)
    : std::runtime_error(QStringLiteral("%1: %2").arg(fileName, detail).toStdString()),
      m_kind(kind),
      m_fileName(fileName),
      m_detail(detail),
      m_line(line),
      m_message(
          QStringLiteral("Nem lehet megnyitni a(z) \"%1\" fájlt. %2").arg(fileName, detailText(kind, detail, line)))
{
}

namespace {

// Thrown inside the parser with the line it concerns; turned into a TemplateError at the top.
struct LineError {
    int line;
    QString message;
};

[[noreturn]] void fail(int line, const QString& message) { throw LineError{line, message}; }

// Removes a comment that starts with "#" outside quotes and square brackets.
QString stripComment(const QString& line)
{
    bool quoted = false;
    bool bracket = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == u'"' && !bracket)
            quoted = !quoted;
        else if (!quoted && c == u'[')
            bracket = true;
        else if (!quoted && c == u']')
            bracket = false;
        else if (!quoted && !bracket && c == u'#')
            return line.left(i);
    }
    return line;
}

// Splits on blanks; "quoted parts" stay together (without their quotes).
QStringList tokens(const QString& text, int line)
{
    QStringList out;
    QString cur;
    bool quoted = false;
    bool have = false;
    for (const QChar c : text) {
        if (c == u'"') {
            quoted = !quoted;
            have = true;
            continue;
        }
        if (!quoted && c.isSpace()) {
            if (have)
                out << cur;
            cur.clear();
            have = false;
            continue;
        }
        cur += c;
        have = true;
    }
    if (quoted)
        fail(line, QStringLiteral("hiányzó záró idézőjel"));
    if (have)
        out << cur;
    return out;
}

double number(const QString& text, int line, const QString& what)
{
    QString t = text.trimmed();
    t.replace(u',', u'.');
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok)
        fail(line, QStringLiteral("%1: nem szám: „%2”").arg(what, text));
    return v;
}

QSizeF paperSize(const QString& name)
{
    const QString n = name.toUpper();
    if (n == u"A3")
        return {297, 420};
    if (n == u"A4")
        return {210, 297};
    if (n == u"A5")
        return {148, 210};
    return {};
}

void parsePaper(Template& t, const QString& value, int line)
{
    const QStringList parts = tokens(value, line);
    if (parts.isEmpty() || parts.size() > 2)
        fail(line, QStringLiteral(
                       "a papír megadása: A4, A5, A3 vagy szélesség x magasság mm-ben, utána portrait vagy landscape"));
    QSizeF size = paperSize(parts[0]);
    if (!size.isValid()) {
        const QStringList wh = parts[0].split(u'x', Qt::KeepEmptyParts, Qt::CaseInsensitive);
        if (wh.size() != 2)
            fail(line, QStringLiteral("ismeretlen papírméret: „%1”").arg(parts[0]));
        size = QSizeF(number(wh[0], line, QStringLiteral("papírszélesség")),
                      number(wh[1], line, QStringLiteral("papírmagasság")));
        if (size.width() < 20 || size.height() < 20 || size.width() > 2000 || size.height() > 2000)
            fail(line, QStringLiteral("a papír mérete 20 és 2000 mm közé essen"));
    }
    if (parts.size() == 2) {
        const QString o = parts[1].toLower();
        if (o == u"landscape")
            size = size.transposed();
        else if (o != u"portrait")
            fail(line, QStringLiteral("ismeretlen tájolás: „%1” (portrait vagy landscape)").arg(parts[1]));
    }
    t.pageSize = size;
}

void parseMargins(Template& t, const QString& value, int line)
{
    const QStringList parts = tokens(value, line);
    QList<double> v;
    for (const QString& p : parts)
        v << number(p, line, QStringLiteral("margó"));
    if (v.size() == 1)
        t.margins = QMarginsF(v[0], v[0], v[0], v[0]);
    else if (v.size() == 4)
        t.margins = QMarginsF(v[0], v[1], v[2], v[3]);
    else
        fail(line, QStringLiteral("a margó egy szám, vagy négy: bal felső jobb alsó"));
    for (double m : v)
        if (m < 0)
            fail(line, QStringLiteral("a margó nem lehet negatív"));
}

double fontSize(const QString& text, int line)
{
    const double size = number(text, line, QStringLiteral("betűméret"));
    if (size < 1 || size > 200)
        fail(line, QStringLiteral("a betűméret 1 és 200 pont közé essen"));
    return size;
}

void parseFont(Template& t, const QString& value, int line)
{
    const QStringList parts = tokens(value, line);
    if (parts.isEmpty() || parts.size() > 2)
        fail(line, QStringLiteral("a betű megadása: \"Családnév\" méret"));
    if (parts.size() == 2) {
        t.defaultStyle.family = parts[0];
        t.defaultStyle.size = fontSize(parts[1], line);
    } else {
        bool numeric = false;
        QString(parts[0]).replace(u',', u'.').toDouble(&numeric);
        if (numeric)
            t.defaultStyle.size = fontSize(parts[0], line);
        else
            t.defaultStyle.family = parts[0];
    }
}

void applyAttribute(TextStyle& s, const QString& token, int line)
{
    const int eq = token.indexOf(u'=');
    const QString key = (eq < 0 ? token : token.left(eq)).toLower();
    const QString value = eq < 0 ? QString() : token.mid(eq + 1);
    const auto needValue = [&] {
        if (eq < 0 || value.isEmpty())
            fail(line, QStringLiteral("a(z) „%1” tulajdonságnak értéke van: %1=…").arg(key));
    };
    const auto fitOf = [&](const QString& v) {
        if (v == u"wrap")
            return Fit::Wrap;
        if (v == u"shrink")
            return Fit::Shrink;
        if (v == u"elide")
            return Fit::Elide;
        fail(line, QStringLiteral("ismeretlen illesztés: „%1” (wrap, shrink, elide)").arg(v));
    };
    if (key == u"bold" || key == u"italic" || key == u"wrap" || key == u"shrink" || key == u"elide") {
        if (eq >= 0)
            fail(line, QStringLiteral("a(z) „%1” tulajdonságnak nincs értéke").arg(key));
        if (key == u"bold")
            s.bold = true;
        else if (key == u"italic")
            s.italic = true;
        else
            s.fit = fitOf(key);
    } else if (key == u"fit") {
        needValue();
        s.fit = fitOf(value.toLower());
    } else if (key == u"minsize") {
        needValue();
        s.minSize = fontSize(value, line);
    } else if (key == u"size") {
        needValue();
        s.size = fontSize(value, line);
    } else if (key == u"font") {
        needValue();
        s.family = value;
    } else if (key == u"align") {
        needValue();
        const QString v = value.toLower();
        const Qt::Alignment vertical = s.align & Qt::AlignVertical_Mask;
        if (v == u"left")
            s.align = Qt::AlignLeft | vertical;
        else if (v == u"center")
            s.align = Qt::AlignHCenter | vertical;
        else if (v == u"right")
            s.align = Qt::AlignRight | vertical;
        else
            fail(line, QStringLiteral("ismeretlen igazítás: „%1” (left, center, right)").arg(value));
    } else if (key == u"valign") {
        needValue();
        const QString v = value.toLower();
        const Qt::Alignment horizontal = s.align & Qt::AlignHorizontal_Mask;
        if (v == u"top")
            s.align = Qt::AlignTop | horizontal;
        else if (v == u"middle")
            s.align = Qt::AlignVCenter | horizontal;
        else if (v == u"bottom")
            s.align = Qt::AlignBottom | horizontal;
        else
            fail(line, QStringLiteral("ismeretlen függőleges igazítás: „%1” (top, middle, bottom)").arg(value));
    } else if (key == u"frame") {
        needValue();
        const QString v = value.toLower();
        s.frame = 0;
        if (v == u"all") {
            s.frame = FrameAll;
        } else if (v != u"none") {
            for (const QChar c : v) {
                if (c == u'l')
                    s.frame |= FrameLeft;
                else if (c == u't')
                    s.frame |= FrameTop;
                else if (c == u'r')
                    s.frame |= FrameRight;
                else if (c == u'b')
                    s.frame |= FrameBottom;
                else
                    fail(line,
                         QStringLiteral("ismeretlen keretvonal: „%1” (all, none, vagy az l t r b betűk)").arg(value));
            }
        }
    } else if (key == u"framewidth") {
        needValue();
        s.frameWidth = number(value, line, QStringLiteral("keretvastagság"));
        if (s.frameWidth <= 0 || s.frameWidth > 5)
            fail(line, QStringLiteral("a keretvastagság 0 és 5 mm közé essen"));
    } else if (key == u"vpadding") {
        needValue();
        s.vpadding = number(value, line, QStringLiteral("belső margó"));
        if (s.vpadding < 0 || s.vpadding > 20)
            fail(line, QStringLiteral("a belső margó 0 és 20 mm közé essen"));
    } else if (key == u"padding") {
        needValue();
        s.padding = number(value, line, QStringLiteral("belső margó"));
        if (s.padding < 0 || s.padding > 20)
            fail(line, QStringLiteral("a belső margó 0 és 20 mm közé essen"));
    } else {
        fail(line, QStringLiteral("ismeretlen tulajdonság: „%1”").arg(token));
    }
}

int columnIndex(const Template& t, const QString& name)
{
    for (size_t i = 0; i < t.columns.size(); ++i)
        if (t.columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

// "text x y width height …" places a text in its band; "cell column y height …" puts it into a
// column, which gives it its x and width.
TextObject parseText(const Template& t, const Band& band, const QString& rest, int line, bool cell)
{
    // Everything up to the first ":" outside quotes describes the object; the rest is its content.
    int colon = -1;
    bool quoted = false;
    for (int i = 0; i < rest.size(); ++i) {
        if (rest.at(i) == u'"')
            quoted = !quoted;
        else if (!quoted && rest.at(i) == u':') {
            colon = i;
            break;
        }
    }
    if (colon < 0)
        fail(line,
             QStringLiteral("a szövegmező tartalma hiányzik: text x y szélesség magasság [tulajdonságok] : kifejezés"));
    const QStringList head = tokens(rest.left(colon), line);
    TextObject o;
    o.line = line;
    o.style = t.defaultStyle;
    int attributes = 4;
    if (cell) {
        if (head.size() < 3)
            fail(line, QStringLiteral("a cella oszlopa, helye és magassága: cell oszlop y magasság (mm)"));
        o.column = columnIndex(t, head[0]);
        if (o.column < 0)
            fail(line, QStringLiteral("ismeretlen oszlop: „%1” (a [columns] szakaszban megadottak egyike)").arg(head[0]));
        o.rect = QRectF(0, number(head[1], line, QStringLiteral("y")), 1,
                        number(head[2], line, QStringLiteral("magasság")));
        attributes = 3;
    } else {
        if (head.size() < 4)
            fail(line, QStringLiteral("a szövegmező helye és mérete: text x y szélesség magasság (mm)"));
        o.rect = QRectF(number(head[0], line, QStringLiteral("x")), number(head[1], line, QStringLiteral("y")),
                        number(head[2], line, QStringLiteral("szélesség")),
                        number(head[3], line, QStringLiteral("magasság")));
    }
    if (o.rect.x() < 0 || o.rect.y() < 0 || o.rect.width() <= 0 || o.rect.height() <= 0)
        fail(line, QStringLiteral("a szövegmező helye nem negatív, a mérete pozitív legyen"));
    constexpr double slack = 0.001;
    if (o.rect.bottom() > band.height + slack)
        fail(line, QStringLiteral("a szövegmező kilóg a sávból (a sáv magassága %1 mm)").arg(band.height));
    if (o.rect.right() > t.printableWidth() + slack)
        fail(line, QStringLiteral("a szövegmező kilóg a nyomtatható szélességből (%1 mm)").arg(t.printableWidth()));
    for (int i = attributes; i < head.size(); ++i)
        applyAttribute(o.style, head[i], line);
    const QString content = rest.mid(colon + 1);
    try {
        o.expression = Expression::parse(content);
    } catch (const ExpressionError& e) {
        fail(line, QStringLiteral("%1 (a kifejezés %2. karakterénél)").arg(e.message()).arg(e.column()));
    }
    return o;
}

struct Section {
    enum class Kind { None, Report, Expressions, Columns, Band } kind = Kind::None;
    int bandIndex = -1;
};

bool bandKindOf(const QString& name, BandKind& kind)
{
    static const QHash<QString, BandKind> kinds = {{QStringLiteral("title"), BandKind::Title},
                                                   {QStringLiteral("pageheader"), BandKind::PageHeader},
                                                   {QStringLiteral("masterdata"), BandKind::MasterData},
                                                   {QStringLiteral("pagefooter"), BandKind::PageFooter},
                                                   {QStringLiteral("summary"), BandKind::Summary}};
    const auto it = kinds.constFind(name);
    if (it == kinds.constEnd())
        return false;
    kind = *it;
    return true;
}

bool isName(const QString& s)
{
    if (s.isEmpty() || !(s.at(0).isLetter() || s.at(0) == u'_'))
        return false;
    for (const QChar c : s)
        if (!(c.isLetterOrNumber() || c == u'_'))
            return false;
    return true;
}

// "name = 12" (fixed, millimetres) or "name = [auto] [min=20] [share=1]" (sized by the content).
Column parseColumn(const QString& name, const QString& value, int line)
{
    Column c;
    c.name = name;
    c.line = line;
    const QStringList parts = tokens(value, line);
    if (parts.size() == 1 && !parts[0].contains(u'=') && parts[0].toLower() != u"auto") {
        c.fixed = number(parts[0], line, QStringLiteral("oszlopszélesség"));
        if (c.fixed <= 0)
            fail(line, QStringLiteral("az oszlop szélessége pozitív legyen"));
        return c;
    }
    for (const QString& p : parts) {
        const int eq = p.indexOf(u'=');
        const QString key = (eq < 0 ? p : p.left(eq)).toLower();
        const QString v = eq < 0 ? QString() : p.mid(eq + 1);
        if (key == u"auto" && eq < 0)
            continue;
        if ((key == u"min" || key == u"share") && eq > 0) {
            const double n = number(v, line, key == u"min" ? QStringLiteral("legkisebb szélesség")
                                                           : QStringLiteral("arány"));
            if (n < 0)
                fail(line, QStringLiteral("a(z) „%1” nem lehet negatív").arg(key));
            (key == u"min" ? c.min : c.share) = n;
            continue;
        }
        fail(line, QStringLiteral("érthetetlen oszlopmegadás: „%1” (szélesség mm-ben, vagy auto, min=…, share=…)")
                       .arg(p));
    }
    return c;
}

// Named expressions may use one another, but never in a circle; each is written into its users.
void resolveNamedExpressions(Template& t, const QHash<QString, int>& lineOf)
{
    QHash<QString, Expression> done;
    QSet<QString> visiting;
    std::function<const Expression*(const QString&)> resolve = [&](const QString& key) -> const Expression* {
        const auto d = done.constFind(key);
        if (d != done.constEnd())
            return &*d;
        if (visiting.contains(key))
            fail(lineOf.value(key), QStringLiteral("a(z) „%1” kifejezés önmagára hivatkozik").arg(key));
        visiting.insert(key);
        const Expression resolved = t.expressions.value(key).substitute([&](const Reference& r) -> const Expression* {
            return t.expressions.contains(r.key) ? resolve(r.key) : nullptr;
        });
        visiting.remove(key);
        return &*done.insert(key, resolved);
    };
    // In the file's order, so a circle is always reported at the same name.
    QStringList inFileOrder = t.expressions.keys();
    std::sort(inFileOrder.begin(), inFileOrder.end(),
              [&](const QString& a, const QString& b) { return lineOf.value(a) < lineOf.value(b); });
    for (const QString& key : inFileOrder)
        resolve(key);
    t.expressions = done;
    if (t.expressions.isEmpty())
        return;
    const auto lookup = [&](const Reference& r) -> const Expression* {
        const auto it = t.expressions.constFind(r.key);
        return it == t.expressions.constEnd() ? nullptr : &*it;
    };
    for (Band& b : t.bands)
        for (TextObject& o : b.objects)
            o.expression = o.expression.substitute(lookup);
    t.documentTitle = t.documentTitle.substitute(lookup);
    t.author = t.author.substitute(lookup);
}

Template parse(const QByteArray& content, const QString& fileName)
{
    Template t;
    t.fileName = fileName;
    t.title = QFileInfo(fileName).completeBaseName();
    QList<QByteArray> rawLines = content.split('\n');
    if (!rawLines.isEmpty() && rawLines.first().startsWith("\xEF\xBB\xBF"))
        rawLines.first().remove(0, 3);
    Section section;
    QHash<QString, int> expressionLines;
    QSet<BandKind> seen;
    bool reportSeen = false;
    bool expressionsSeen = false;
    bool columnsSeen = false;
    for (int i = 0; i < rawLines.size(); ++i) {
        const int line = i + 1;
        QStringDecoder decoder(QStringDecoder::Utf8);
        QString text = decoder(rawLines[i]);
        if (decoder.hasError())
            fail(line, QStringLiteral("a sor nem UTF-8 kódolású"));
        text = stripComment(text).trimmed();
        if (text.isEmpty() || text.startsWith(u';'))
            continue;
        if (text.startsWith(u'[')) {
            if (!text.endsWith(u']'))
                fail(line, QStringLiteral("hiányzó „]” a szakasz nevében"));
            const QString name = text.mid(1, text.size() - 2).trimmed().toLower();
            BandKind kind;
            if (name == u"report") {
                if (reportSeen)
                    fail(line, QStringLiteral("a [report] szakasz kétszer szerepel"));
                reportSeen = true;
                section = {Section::Kind::Report, -1};
            } else if (name == u"columns") {
                if (columnsSeen)
                    fail(line, QStringLiteral("a [columns] szakasz kétszer szerepel"));
                columnsSeen = true;
                if (!t.bands.empty())
                    fail(line, QStringLiteral("a [columns] szakasz a sávok előtt álljon"));
                section = {Section::Kind::Columns, -1};
            } else if (name == u"expressions") {
                if (expressionsSeen)
                    fail(line, QStringLiteral("az [expressions] szakasz kétszer szerepel"));
                expressionsSeen = true;
                section = {Section::Kind::Expressions, -1};
            } else if (bandKindOf(name, kind)) {
                if (kind != BandKind::MasterData && seen.contains(kind))
                    fail(line, QStringLiteral("a [%1] sáv kétszer szerepel").arg(name));
                seen.insert(kind);
                Band b;
                b.kind = kind;
                b.line = line;
                t.bands.push_back(b);
                section = {Section::Kind::Band, static_cast<int>(t.bands.size()) - 1};
            } else {
                fail(line, QStringLiteral("ismeretlen szakasz: [%1] (report, expressions, columns, title, "
                                          "pageheader, masterdata, pagefooter, summary)")
                               .arg(name));
            }
            continue;
        }
        if (section.kind == Section::Kind::None)
            fail(line, QStringLiteral("a sor nem tartozik szakaszhoz; az első szakasz például [report]"));

        const bool isText = text.startsWith(QStringLiteral("text ")) || text == u"text";
        const bool isCell = text.startsWith(QStringLiteral("cell ")) || text == u"cell";
        if (section.kind == Section::Kind::Band && (isText || isCell)) {
            Band& band = t.bands[static_cast<size_t>(section.bandIndex)];
            if (band.height <= 0)
                fail(line, QStringLiteral("a sáv magasságát (height = …) a szövegmezők előtt kell megadni"));
            band.objects.push_back(parseText(t, band, text.mid(4), line, isCell));
            continue;
        }
        const int eq = text.indexOf(u'=');
        if (eq <= 0)
            fail(line, QStringLiteral("érthetetlen sor: „%1” (név = érték a várt alak)").arg(text));
        const QString key = text.left(eq).trimmed();
        const QString value = text.mid(eq + 1).trimmed();
        const QString lkey = key.toLower();

        if (section.kind == Section::Kind::Report) {
            if (!t.bands.empty())
                fail(line, QStringLiteral("a [report] szakasz a sávok előtt álljon"));
            if (lkey == u"title")
                t.title = tokens(value, line).join(u' ');
            else if (lkey == u"paper")
                parsePaper(t, value, line);
            else if (lkey == u"margins")
                parseMargins(t, value, line);
            else if (lkey == u"font")
                parseFont(t, value, line);
            else if (lkey == u"uses")
                t.uses = tokens(QString(value).replace(u',', u' '), line);
            else if (lkey == u"doctitle" || lkey == u"author") {
                try {
                    (lkey == u"author" ? t.author : t.documentTitle) = Expression::parse(value);
                } catch (const ExpressionError& e) {
                    fail(line, QStringLiteral("%1 (a kifejezés %2. karakterénél)").arg(e.message()).arg(e.column()));
                }
            } else
                fail(line, QStringLiteral("ismeretlen beállítás: „%1” (title, doctitle, author, paper, margins, font, "
                                          "uses)")
                               .arg(key));
        } else if (section.kind == Section::Kind::Columns) {
            if (!isName(key))
                fail(line, QStringLiteral("az oszlop neve betűkből, számjegyekből és _ jelből áll: „%1”").arg(key));
            if (columnIndex(t, key) >= 0)
                fail(line, QStringLiteral("a(z) „%1” oszlop kétszer szerepel").arg(key));
            t.columns.push_back(parseColumn(key, value, line));
        } else if (section.kind == Section::Kind::Expressions) {
            if (!isName(key))
                fail(line, QStringLiteral("a kifejezés neve betűkből, számjegyekből és _ jelből áll: „%1”").arg(key));
            if (t.expressions.contains(lkey))
                fail(line, QStringLiteral("a(z) „%1” kifejezés kétszer szerepel").arg(key));
            try {
                t.expressions.insert(lkey, Expression::parse(value));
            } catch (const ExpressionError& e) {
                fail(line, QStringLiteral("%1 (a kifejezés %2. karakterénél)").arg(e.message()).arg(e.column()));
            }
            expressionLines.insert(lkey, line);
        } else {
            Band& band = t.bands[static_cast<size_t>(section.bandIndex)];
            if (lkey == u"height") {
                if (!band.objects.empty())
                    fail(line, QStringLiteral("a sáv magasságát a szövegmezők előtt kell megadni"));
                band.height = number(value, line, QStringLiteral("magasság"));
                if (band.height <= 0)
                    fail(line, QStringLiteral("a sáv magassága pozitív legyen"));
            } else if (lkey == u"dataset") {
                if (band.kind != BandKind::MasterData)
                    fail(line, QStringLiteral("adatkészletet csak a [masterdata] sáv kaphat"));
                if (!isName(value))
                    fail(line, QStringLiteral("érvénytelen adatkészletnév: „%1”").arg(value));
                band.dataset = value;
            } else {
                fail(line, QStringLiteral("ismeretlen sávbeállítás: „%1” (height, dataset, text)").arg(key));
            }
        }
    }

    for (const Band& b : t.bands) {
        if (b.height <= 0)
            fail(b.line, QStringLiteral("hiányzik a sáv magassága (height = … mm)"));
        if (b.kind == BandKind::MasterData && b.dataset.isEmpty())
            fail(b.line, QStringLiteral("a [masterdata] sávnak adatkészlet kell (dataset = …)"));
        if (b.height > t.printableHeight())
            fail(b.line, QStringLiteral("a sáv magasabb a nyomtatható területnél (%1 mm)").arg(t.printableHeight()));
    }
    if (t.printableWidth() <= 0 || t.printableHeight() <= 0)
        fail(1, QStringLiteral("a margók nem hagynak helyet a nyomtatásnak"));
    double leastWidth = 0;
    for (const Column& c : t.columns)
        leastWidth += c.fixed > 0 ? c.fixed : c.min;
    if (!t.columns.empty() && leastWidth > t.printableWidth() + 0.001)
        fail(t.columns.back().line, QStringLiteral("az oszlopok legkisebb szélessége együtt %1 mm, több a nyomtatható "
                                                   "szélességnél (%2 mm)")
                                        .arg(leastWidth)
                                        .arg(t.printableWidth()));
    double fixed = 0;
    for (BandKind k : {BandKind::Title, BandKind::PageHeader, BandKind::PageFooter})
        if (const Band* b = t.band(k))
            fixed += b->height;
    if (fixed >= t.printableHeight()) {
        const Band* b = t.band(BandKind::PageFooter) ? t.band(BandKind::PageFooter) : t.band(BandKind::PageHeader);
        fail(b ? b->line : 1, QStringLiteral("a cím, a lapfej és a láb együtt kitölti az egész oldalt"));
    }
    resolveNamedExpressions(t, expressionLines);
    return t;
}

}  // namespace

Template parseTemplate(const QByteArray& content, const QString& fileName)
{
    try {
        return parse(content, fileName);
    } catch (const LineError& e) {
        throw TemplateError(TemplateError::Kind::Malformed, fileName, e.message, e.line);
    }
}

Template loadTemplate(const QString& fileName)
{
    QFile file(fileName);
    const QFileInfo info(fileName);
    if (!info.exists())
        throw TemplateError(TemplateError::Kind::Missing, fileName,
                            QStringLiteral("A rendszer nem találja a megadott fájlt."));
    if (info.isDir())
        throw TemplateError(TemplateError::Kind::Unreadable, fileName, QStringLiteral("Ez nem fájl, hanem mappa."));
    if (!file.open(QIODevice::ReadOnly)) {
        const QString why = file.error() == QFileDevice::PermissionsError
                                ? QStringLiteral("Hozzáférés megtagadva.")
                                : QStringLiteral("A fájl nem olvasható. %1").arg(fileErrorText(file));
        throw TemplateError(TemplateError::Kind::Unreadable, fileName, why);
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw TemplateError(TemplateError::Kind::Unreadable, fileName,
                            QStringLiteral("A fájl nem olvasható. %1").arg(fileErrorText(file)));
    return parseTemplate(content, fileName);
}

}  // namespace report
