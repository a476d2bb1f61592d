// How the report engine sets texts: wrapping that grows its band, rows kept whole across pages,
// shrinking down to a floor, columns sized by what they hold, and the list of what did not fit.
// The rows come from memory: what is tested is the layout, not where the rows come from.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include "report/engine.h"
#include "report/measure.h"
#include "report/prepared.h"
#include "report/variables.h"

namespace {

using Row = QMap<QString, QString>;

class MemoryRows : public report::RowSource {
public:
    explicit MemoryRows(QList<Row> rows) : m_rows(std::move(rows)) {}
    bool isOpen() const override { return m_open; }
    void open() override
    {
        m_open = true;
        m_at = 0;
    }
    void first() override { m_at = 0; }
    void next() override
    {
        if (m_at < m_rows.size())
            ++m_at;
    }
    bool eof() const override { return m_at >= m_rows.size(); }
    std::optional<report::Value> field(const QString& name) const override
    {
        if (!m_open || m_rows.isEmpty())
            return std::nullopt;
        const Row& row = m_rows[std::min(m_at, m_rows.size() - 1)];
        const auto it = row.find(name.toLower());
        if (it == row.end())
            return std::nullopt;
        return report::Value::text(*it);
    }

private:
    QList<Row> m_rows;
    qsizetype m_at = 0;
    bool m_open = false;
};

// A template over the rows of "frDBLista", prepared.
struct Listing {
    report::Catalog catalog;
    MemoryRows rows;
    report::ReportDataset dataset{QStringLiteral("frDBLista"), &rows, catalog};
    report::Report report{QStringLiteral("lista"), catalog};

    Listing(const QList<Row>& data, const QByteArray& layout) : rows(data)
    {
        report.setTemplate(report::parseTemplate(layout, QStringLiteral("Lista.frf")));
    }
    report::PreparedReport prepare() { return report.prepare(); }
};

const QString kLongName = QStringLiteral("Hajdúsági Mezőgazdasági Termelő, Értékesítő és Szolgáltató Szövetkezet, Zsó");

const report::PreparedText* find(const report::PreparedPage& page, const QString& text)
{
    for (const report::PreparedText& t : page.texts)
        if (t.text == text)
            return &t;
    return nullptr;
}

QStringList linesOf(const report::PreparedText& t)
{
    QStringList out;
    for (int i = 0; i < t.lineCount(); ++i)
        out << report::metrics::line(t.text, t.breaks, static_cast<size_t>(i)).toString();
    return out;
}

QString kinds(const report::PreparedReport& r)
{
    QStringList out;
    for (const report::FitProblem& p : r.fitProblems) {
        static const char* names[] = {"levágva", "kipontozva", "átfedés", "eltörve"};
        out << QString::fromUtf8(names[static_cast<int>(p.kind)]);
    }
    return out.join(u',');
}

}  // namespace

class LayoutTest : public QObject {
    Q_OBJECT
private slots:
    void wrappedTextGrowsItsRow();
    void growingLinesPushWhatStandsBelow();
    void rowsStayWholeAcrossPages();
    void oneLineTextsShrinkToTheirFloor_data();
    void oneLineTextsShrinkToTheirFloor();
    void columnsSizedByWhatTheyHold_data();
    void columnsSizedByWhatTheyHold();
    void whatDidNotFitIsListed_data();
    void whatDidNotFitIsListed();
    void documentTitleAndAuthorFromTheTemplate();
    void savedReportKeepsItsLines();
};

void LayoutTest::wrappedTextGrowsItsRow()
{
    Listing l({{{"nev", kLongName}, {"kod", "HU1"}}, {{"nev", "Kiss Anna"}, {"kod", "HU2"}}},
              "[report]\npaper = 120x100\nmargins = 10\nfont = \"DejaVu Sans\" 8\n"
              "[masterdata]\ndataset = frDBLista\nheight = 5\n"
              "text 0 0 10 5 align=right valign=top vpadding=0.85 frame=b : [LINE] + \".\"\n"
              "text 10 0 35 5 wrap valign=top vpadding=0.85 frame=b : [nev]\n"
              "text 45 0 25 5 valign=top vpadding=0.85 frame=b : [kod]\n"
              "[summary]\nheight = 6\ntext 0 0 100 6 : \"Vége\"\n");
    const report::PreparedReport r = l.prepare();
    QVERIFY2(r.fitProblems.empty(), qPrintable(r.fitReport().join(u'\n')));
    QCOMPARE(r.pageCount(), 1);
    const report::PreparedPage& page = r.pages[0];
    const report::PreparedText* name = find(page, kLongName);
    QVERIFY(name);

    // Every line within the box, the words all there, in order.
    const QStringList lines = linesOf(*name);
    QVERIFY2(lines.size() >= 3, qPrintable(lines.join(u'|')));
    QCOMPARE(lines.join(u' '), kLongName);
    for (const QString& line : lines)
        QVERIFY2(report::metrics::width(r.styles[static_cast<size_t>(name->style)], 8, line) <= 35 - 1,
                 qPrintable(line));

    // The row grew by whole lines, and its other boxes (and their rules) with it.
    const double spacing = report::metrics::lineSpacing(r.styles[static_cast<size_t>(name->style)], 8);
    const double height = name->rect.height();
    QVERIFY(height >= lines.size() * spacing + 2 * 0.85);
    QVERIFY(height < lines.size() * spacing + 2 * 0.85 + spacing / 2);
    for (const QString& other : {QStringLiteral("1."), QStringLiteral("HU1")}) {
        QCOMPARE(find(page, other)->rect.top(), 10.0);
        QCOMPARE(find(page, other)->rect.height(), height);
    }
    // The next row and the summary follow right under it, at their own height.
    QCOMPARE(find(page, QStringLiteral("2."))->rect.top(), 10 + height);
    QCOMPARE(find(page, QStringLiteral("Kiss Anna"))->rect.height(), 5.0);
    QCOMPARE(find(page, QStringLiteral("Vége"))->rect.top(), 10 + height + 5);

    QStringList printed{QStringLiteral("1. | %1 | HU1").arg(lines[0])};
    for (const QString& line : lines.mid(1))
        printed << QStringLiteral("  ") + line;
    printed << QStringLiteral("2. | Kiss Anna | HU2") << QStringLiteral("Vége");
    QCOMPARE(r.printedLines(0), printed);
    // The whole texts for find and the readable lines.
    QCOMPARE(r.lines(0).first(), QStringLiteral("1. | %1 | HU1").arg(kLongName));
}

void LayoutTest::growingLinesPushWhatStandsBelow()
{
    // A block of two columns of lines and a rule under the whole block: a name in two lines moves
    // the lines under it, and the lines beside those, down; the rule goes down with the block.
    Listing l({{{"nev", kLongName}, {"cim", "Szeged"}, {"szallito", "Kiss Fuvar"}, {"rendszam", "ABC-123"}}},
              "[report]\npaper = 120x100\nmargins = 10\nfont = \"DejaVu Sans\" 8\n"
              "[masterdata]\ndataset = frDBLista\nheight = 12\n"
              "text 0 1 50 4.5 wrap : [nev]\n"
              "text 0 5.5 50 4.5 : [cim]\n"
              "text 50 1 50 4.5 wrap : [szallito]\n"
              "text 50 5.5 50 4.5 : [rendszam]\n"
              "text 0 0 100 12 frame=b : \"\"\n"
              "[summary]\nheight = 5\ntext 0 0 100 5 : \"Vége\"\n");
    const report::PreparedReport r = l.prepare();
    QVERIFY2(r.fitProblems.empty(), qPrintable(r.fitReport().join(u'\n')));
    const report::PreparedPage& page = r.pages[0];
    const report::PreparedText* name = find(page, kLongName);
    const int extraLines = name->lineCount() - 1;
    QVERIFY(extraLines >= 1);
    const double growth = find(page, QStringLiteral("Kiss Fuvar"))->rect.height() - 4.5;
    QVERIFY(growth > 0);
    QCOMPARE(name->rect.height(), 4.5 + growth);
    QCOMPARE(find(page, QStringLiteral("Szeged"))->rect.top(), 10 + 5.5 + growth);
    QCOMPARE(find(page, QStringLiteral("ABC-123"))->rect.top(), 10 + 5.5 + growth);
    const report::PreparedText* rule = find(page, QString());
    QVERIFY(rule);
    QCOMPARE(rule->rect.height(), 12 + growth);
    QCOMPARE(find(page, QStringLiteral("Vége"))->rect.top(), 10 + 12 + growth);
}

void LayoutTest::rowsStayWholeAcrossPages()
{
    // Names of one to four lines on small pages: a row goes to the next page whole when it does
    // not fit above the footer, and never sooner.
    QList<Row> data;
    const QStringList names{QStringLiteral("Kiss Anna"), kLongName, QStringLiteral("Nagy Béla és Társa Bt."),
                            kLongName + QStringLiteral(" ") + kLongName, QStringLiteral("Tóth Ágnes")};
    for (int i = 0; i < 30; ++i)
        data << Row{{"nev", names[i % names.size()]}};
    Listing l(data,
              "[report]\npaper = 100x72\nmargins = 5\nfont = \"DejaVu Sans\" 8\n"
              "[pageheader]\nheight = 6\ntext 0 0 90 6 : \"Fej \" + [PAGE]\n"
              "[masterdata]\ndataset = frDBLista\nheight = 5\n"
              "text 0 0 10 5 align=right frame=b : [LINE] + \".\"\n"
              "text 10 0 60 5 wrap frame=b : [nev]\n"
              "[pagefooter]\nheight = 6\ntext 0 0 90 6 align=right : \"Oldal \" + [PAGE] + \" / \" + [PAGES]\n");
    const report::PreparedReport r = l.prepare();
    QVERIFY2(r.fitProblems.empty(), qPrintable(r.fitReport().join(u'\n')));
    QVERIFY(r.pageCount() >= 3);
    const double bodyTop = 5 + 6;
    const double bodyLimit = 72 - 5 - 6;
    int row = 1;
    double lastBottom = 0;
    for (int p = 0; p < r.pageCount(); ++p) {
        const report::PreparedPage& page = r.pages[static_cast<size_t>(p)];
        QCOMPARE(find(page, QStringLiteral("Fej %1").arg(p + 1))->rect.top(), 5.0);
        QVERIFY(find(page, QStringLiteral("Oldal %1 / %2").arg(p + 1).arg(r.pageCount())));
        bool first = true;
        for (;; ++row) {
            const report::PreparedText* number = find(page, QStringLiteral("%1.").arg(row));
            if (!number)
                break;
            const report::PreparedText* name = &page.texts[static_cast<size_t>(number - page.texts.data()) + 1];
            QCOMPARE(name->text, names[(row - 1) % names.size()]);
            // Both texts of the row on this page, level, within the body.
            QCOMPARE(name->rect.top(), number->rect.top());
            QCOMPARE(name->rect.height(), number->rect.height());
            QVERIFY(number->rect.bottom() <= bodyLimit + 0.001);
            if (first) {
                QCOMPARE(number->rect.top(), bodyTop);
                // It went on to this page only because it did not fit on the last one.
                if (p > 0)
                    QVERIFY2(lastBottom + number->rect.height() > bodyLimit, qPrintable(QString::number(row)));
                first = false;
            }
            lastBottom = number->rect.bottom();
        }
    }
    QCOMPARE(row, 31);
}

void LayoutTest::oneLineTextsShrinkToTheirFloor_data()
{
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<double>("width");
    QTest::addColumn<QString>("shape");  // "whole", "shrunk", "lines"
    QTest::addColumn<QString>("problems");

    const QString tag = QStringLiteral("9348001234567890123400001");  // 25 digits: about 45 mm at 8 pt
    QTest::newRow("fits") << QString() << 60.0 << "whole"
                          << "";
    QTest::newRow("shrinks") << QString() << 42.0 << "shrunk"
                             << "";
    QTest::newRow("at its floor, on further lines") << QString() << 25.0 << "lines"
                                                    << "eltörve";
    QTest::newRow("a floor of its own") << "minsize=5" << 32.0 << "shrunk"
                                        << "";
    QTest::newRow("no shrinking below its size") << "minsize=8" << 42.0 << "lines"
                                                 << "eltörve";
    QTest::newRow("wraps") << "wrap" << 25.0 << "lines"
                           << "";
    QTest::newRow("ends in … when asked") << "elide" << 25.0 << "whole"
                                          << "kipontozva";
}

void LayoutTest::oneLineTextsShrinkToTheirFloor()
{
    QFETCH(QString, attributes);
    QFETCH(double, width);
    QFETCH(QString, shape);
    QFETCH(QString, problems);
    const QString tag = QStringLiteral("9348001234567890123400001");
    report::variables().setText(QStringLiteral("v_ful1"), tag);
    Listing l({}, QStringLiteral("[report]\nfont = \"DejaVu Sans\" 8\n[title]\nheight = 5\n"
                                 "text 0 0 %1 5 padding=0.5 %2 : [v_ful1]\n")
                      .arg(width)
                      .arg(attributes)
                      .toUtf8());
    const report::PreparedReport r = l.prepare();
    QCOMPARE(kinds(r), problems);
    const report::PreparedText* t = find(r.pages[0], tag);
    QVERIFY(t);
    const report::TextStyle& style = r.styles[static_cast<size_t>(t->style)];
    const double size = t->sizeIn(style);
    if (shape == u"whole") {
        QCOMPARE(size, 8.0);
        QCOMPARE(t->lineCount(), 1);
    } else if (shape == u"shrunk") {
        QVERIFY2(size < 8 && size >= style.minSize, qPrintable(QString::number(size)));
        QCOMPARE(t->lineCount(), 1);
        QVERIFY(report::metrics::width(style, size, tag) <= width - 1);
        // The largest size that fits, to a tenth of a point.
        QVERIFY(report::metrics::width(style, size + 0.1, tag) > width - 1);
    } else {
        QVERIFY(t->lineCount() > 1);
        QCOMPARE(linesOf(*t).join(QString()), tag);
        QCOMPARE(size, attributes == u"wrap" ? 8.0 : std::min(8.0, style.minSize));
        QVERIFY(t->rect.height() > 5);  // the band grew for the lines
    }
}

void LayoutTest::columnsSizedByWhatTheyHold_data()
{
    QTest::addColumn<double>("paper");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<bool>("tagShrinks");

    QTest::newRow("room to spare") << 200.0 << "3600101" << false;
    QTest::newRow("25 digits, room") << 200.0 << "9348001234567890123400001" << false;
    QTest::newRow("25 digits, narrow page") << 115.0 << "9348001234567890123400001" << true;
}

void LayoutTest::columnsSizedByWhatTheyHold()
{
    QFETCH(double, paper);
    QFETCH(QString, tag);
    QFETCH(bool, tagShrinks);
    Listing l({{{"ful", tag}, {"nev", kLongName}, {"nap", "5"}}, {{"ful", "36"}, {"nev", "Kiss Anna"}, {"nap", "120"}}},
              QStringLiteral("[report]\npaper = %1x100\nmargins = 10\nfont = \"DejaVu Sans\" 8\n"
                             "[columns]\nsor = 8\nful = auto min=12\nnev = min=30 share=1\nnapok = auto min=4\n"
                             "[pageheader]\nheight = 6\n"
                             "cell sor 0 6 bold : \"Sor\"\ncell ful 0 6 bold padding=1 minsize=8 : \"Fülszám\"\n"
                             "cell nev 0 6 bold padding=1 wrap : \"Név\"\n"
                             "cell napok 0 6 bold align=right padding=1 minsize=8 : \"Napok\"\n"
                             "[masterdata]\ndataset = frDBLista\nheight = 5\n"
                             "cell sor 0 5 : [LINE]\ncell ful 0 5 padding=1 : [ful]\n"
                             "cell nev 0 5 padding=1 wrap : [nev]\ncell napok 0 5 align=right padding=1 : [nap]\n")
                  .arg(paper)
                  .toUtf8());
    const report::PreparedReport r = l.prepare();
    QVERIFY2(r.fitProblems.empty(), qPrintable(r.fitReport().join(u'\n')));
    const report::PreparedPage& page = r.pages[0];
    const report::PreparedText* tagText = find(page, tag);
    const report::PreparedText* tagHeading = find(page, QStringLiteral("Fülszám"));
    const report::PreparedText* name = find(page, kLongName);
    const report::PreparedText* days = find(page, QStringLiteral("Napok"));
    const report::TextStyle& tagStyle = r.styles[static_cast<size_t>(tagText->style)];
    const double printable = paper - 20;

    // The columns stand side by side over the whole printable width, the same in every band.
    QCOMPARE(find(page, QStringLiteral("Sor"))->rect.width(), 8.0);
    QCOMPARE(tagHeading->rect.left(), 10.0 + 8);
    QCOMPARE(tagText->rect.left(), tagHeading->rect.left());
    QCOMPARE(tagText->rect.width(), tagHeading->rect.width());
    QCOMPARE(name->rect.left(), tagText->rect.right());
    QCOMPARE(days->rect.left(), name->rect.right());
    QVERIFY(std::abs(days->rect.right() - (10 + printable)) < 0.001);
    // The heading of the days' column whole at its size, the column no wider than that.
    QCOMPARE(days->lineCount(), 1);
    QCOMPARE(days->size, 0.0);
    const double daysWidth = report::metrics::width(r.styles[static_cast<size_t>(days->style)], 8, days->text) + 2;
    QVERIFY(std::abs(days->rect.width() - daysWidth) < 0.001);

    QCOMPARE(tagText->lineCount(), 1);
    if (!tagShrinks) {
        // As wide as the widest ear tag (or its heading), at its own size; the name gets the rest.
        const double widest =
            std::max(report::metrics::width(tagStyle, 8, tag),
                     report::metrics::width(r.styles[static_cast<size_t>(tagHeading->style)], 8, tagHeading->text)) +
            2;
        QVERIFY(std::abs(tagText->rect.width() - std::max(12.0, widest)) < 0.001);
        QCOMPARE(tagText->size, 0.0);
    } else {
        // Not room enough: the ear tag shrinks, on one line, and the name keeps its minimum.
        QVERIFY(tagText->size >= 7 && tagText->size < 8);
        QVERIFY(std::abs(name->rect.width() - 30) < 0.001);
    }
    QVERIFY(name->lineCount() >= 1);
}

void LayoutTest::whatDidNotFitIsListed_data()
{
    QTest::addColumn<QByteArray>("layout");
    QTest::addColumn<QString>("problems");
    QTest::addColumn<QString>("report");

    const QByteArray head = "[report]\npaper = 100x60\nmargins = 5\nfont = \"DejaVu Sans\" 8\n";
    QTest::newRow("everything fits") << head +
                                            "[title]\nheight = 10\ntext 0 0 40 5 : \"Első\"\n"
                                            "text 40 0 40 5 : \"Második\"\n"
                                     << ""
                                     << "";
    QTest::newRow("two texts on each other")
        << head + "[title]\nheight = 10\ntext 0 0 40 5 : \"Első\"\ntext 3 0 40 5 : \"Második\"\n"
        << "átfedés"
        << "1. oldal, a sablon 7. sora: „Első” átfedi ezt: „Második”";
    QTest::newRow("touching boxes, texts apart")
        << head + "[title]\nheight = 10\ntext 0 0 50 5 : \"Első\"\ntext 40 0 40 5 align=right : \"Második\"\n"
        << ""
        << "";
    QTest::newRow("page number in a box too small for it")
        << head + "[pagefooter]\nheight = 5\ntext 0 0 6 3 minsize=7 : \"Oldal \" + [PAGE] + \" / \" + [PAGES]\n"
        << "levágva"
        << "1. oldal, a sablon 7. sora: „Oldal 1 / 1” nem fér el, levágva";
    QTest::newRow("asked for …") << head + "[title]\nheight = 5\ntext 0 0 20 5 elide : \"Hajdúsági Mezőgazdasági\"\n"
                                 << "kipontozva"
                                 << "1. oldal, a sablon 7. sora: „Hajdúsági Mezőgazdasági” nem fér el, „…” jelzi";
    QTest::newRow("a band taller than the page")
        << head + "[title]\nheight = 5\ntext 0 0 20 5 wrap : \"" +
               QStringLiteral("Hajdúsági Mezőgazdasági Szövetkezet ").repeated(12).toUtf8() + "\"\n"
        << "levágva"
        << "";
}

void LayoutTest::whatDidNotFitIsListed()
{
    QFETCH(QByteArray, layout);
    QFETCH(QString, problems);
    QFETCH(QString, report);
    Listing l({}, layout);
    const report::PreparedReport r = l.prepare();
    QCOMPARE(kinds(r), problems);
    if (!report.isEmpty())
        QCOMPARE(r.fitReport(), QStringList{report});
}

void LayoutTest::documentTitleAndAuthorFromTheTemplate()
{
    report::variables().setText(QStringLiteral("v_ceg"), QStringLiteral("Gerundo Állatforgalmi Kft."));
    const QByteArray body = "[masterdata]\ndataset = frDBLista\nheight = 5\ntext 0 0 40 5 : [nap]\n";
    Listing titled(
        {{{"nap", "2011.03.15"}}},
        "[report]\ntitle = Lista\ndoctitle = \"Beszállított fülszámok, \" + [nap]\nauthor = [v_ceg]\n" + body);
    report::PreparedReport r = titled.prepare();
    QCOMPARE(r.title, QStringLiteral("Beszállított fülszámok, 2011.03.15"));
    QCOMPARE(r.author, QStringLiteral("Gerundo Állatforgalmi Kft."));
    // Without them: the template's title, no author.
    Listing plain({{{"nap", "2011.03.15"}}}, "[report]\ntitle = Lista\n" + body);
    r = plain.prepare();
    QCOMPARE(r.title, QStringLiteral("Lista"));
    QCOMPARE(r.author, QString());
}

void LayoutTest::savedReportKeepsItsLines()
{
    Listing l({{{"nev", kLongName}, {"kod", "9348001234567890123400001"}}},
              "[report]\nauthor = \"Gerundo Kft.\"\n[masterdata]\ndataset = frDBLista\nheight = 5\n"
              "text 0 0 40 5 wrap : [nev]\ntext 40 0 40 5 : [kod]\n");
    const report::PreparedReport r = l.prepare();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("lista.frp"));
    report::savePrepared(r, file);
    const report::PreparedReport back = report::loadPrepared(file);
    QCOMPARE(back.author, QStringLiteral("Gerundo Kft."));
    QCOMPARE(back.plainText(), r.plainText());
    QCOMPARE(back.pages[0].texts[0].breaks, r.pages[0].texts[0].breaks);
    QVERIFY(r.pages[0].texts[1].size > 0);
    QCOMPARE(back.pages[0].texts[1].size, std::round(r.pages[0].texts[1].size * 100) / 100);

    // A file saved before the layout kept its lines: a wrapping text is set in lines again when
    // it is opened, a one-line text ends in "…" as it did.
    QJsonObject wrap{{"family", "DejaVu Sans"}, {"size", 9}, {"wrap", true}};
    QJsonObject plain{{"family", "DejaVu Sans"}, {"size", 9}, {"wrap", false}};
    QJsonObject page{
        {"width", 210},
        {"height", 297},
        {"texts", QJsonArray{QJsonArray{10, 10, 40, 5, 0, kLongName}, QJsonArray{10, 20, 40, 5, 1, kLongName}}}};
    QJsonObject old{{"format", "gerundo-prepared-report"},
                    {"version", 1},
                    {"title", "Régi"},
                    {"styles", QJsonArray{wrap, plain}},
                    {"pages", QJsonArray{page}}};
    QFile f(dir.filePath(QStringLiteral("regi.frp")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QJsonDocument(old).toJson());
    f.close();
    const report::PreparedReport opened = report::loadPrepared(f.fileName());
    QVERIFY(opened.pages[0].texts[0].lineCount() > 1);
    QCOMPARE(linesOf(opened.pages[0].texts[0]).join(u' '), kLongName);
    QCOMPARE(opened.pages[0].texts[1].lineCount(), 1);
    QCOMPARE(opened.styles[1].fit, report::Fit::Elide);
}

QTEST_MAIN(LayoutTest)
#include "test_layout.moc"
