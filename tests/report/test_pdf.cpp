#include "report/engine.h"
#include "report/measure.h"
#include "report/render.h"
#include "report/variables.h"

#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// A prepared report written as PDF and read back with poppler's own tools.
class PdfTest : public QObject {
    Q_OBJECT
private slots:
    void hungarianTextComesBackIntactWithFontsEmbedded();
    void ligaturesComeBackAsTheirLetters();
    void wrappedAndShrunkTextsPrintAsLaidOut();
    void textAskedToElideEndsInEllipsis();
    void documentInformationAndPaper_data();
    void documentInformationAndPaper();
    void unwritablePlaceIsAMessage();
    void printingSendsTheChosenPages();
};

namespace {

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QStringLiteral("<%1 failed: %2>").arg(program, QString::fromUtf8(p.readAllStandardError()));
    return QString::fromUtf8(p.readAllStandardOutput());
}

report::PreparedReport hungarianPages()
{
    report::variables().setText(QStringLiteral("v_ful1"), QStringLiteral("HU 3100 0123 4567"));
    report::variables().setText(QStringLiteral("v_kelt"), QStringLiteral("2011.03.15"));
    report::Report r(QStringLiteral("pdf"));
    r.loadFromFile(QFINDTESTDATA(QStringLiteral("templates/Magyar.frf")));
    return r.prepare();
}

}  // namespace

void PdfTest::hungarianTextComesBackIntactWithFontsEmbedded()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("lista.pdf"));
    report::writePdf(hungarianPages(), file);

    const QString text = run(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), file, QStringLiteral("-")});
    for (const char* words : {"Árvíztűrő tükörfúrógép", "Fülszám: HU 3100 0123 4567, szállító: Őrült Ügynök Kft.",
                              "Kiszállítás napja: 2011.03.15", "ÁÉÍÓÖŐÚÜŰ áéíóöőúüű", "Oldal 1 / 1"})
        QVERIFY2(text.contains(QString::fromUtf8(words)), qPrintable(QString::fromUtf8(words) + u'\n' + text));

    // Every font is embedded (poppler's "emb" column), so the file looks the same anywhere.
    const QStringList fonts = run(QStringLiteral("pdffonts"), {file}).split(u'\n', Qt::SkipEmptyParts);
    QVERIFY2(fonts.size() > 2, qPrintable(fonts.join(u'\n')));
    for (const QString& line : fonts.mid(2)) {
        const QStringList columns = line.split(u' ', Qt::SkipEmptyParts);
        QVERIFY2(columns.size() >= 5 && columns.at(columns.size() - 5) == u"yes", qPrintable(line));
    }
    const QString info = run(QStringLiteral("pdfinfo"), {file});
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))), qPrintable(info));
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+595 x 842 pts \\(A4\\)"))), qPrintable(info));
}

void PdfTest::ligaturesComeBackAsTheirLetters()
{
    // DejaVu Sans has ligature glyphs for these; a PDF drawn with them searches and copies as
    // "ﬁ", "ﬂ", "ﬃ", so "Zsófia" or "fizetés" would not be found.
    const QString words = QStringLiteral("fi fl ffi ffl Zsófia fizetés affluent Fiumei");
    report::PreparedReport pages;
    pages.styles.push_back(report::TextStyle{});
    report::TextStyle bold;
    bold.bold = true;
    bold.size = 14;
    pages.styles.push_back(bold);
    pages.pages.push_back(report::PreparedPage{QSizeF(210, 297), {}});
    pages.pages[0].texts.push_back({QRectF(20, 20, 170, 6), words, 0});
    pages.pages[0].texts.push_back({QRectF(20, 30, 170, 8), words, 1});
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("betuk.pdf"));
    report::writePdf(pages, file);

    const QString text =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), file, QStringLiteral("-")});
    QCOMPARE(text.trimmed().split(u'\n', Qt::SkipEmptyParts), QStringList({words, words}));
    QVERIFY2(!text.contains(QRegularExpression(QStringLiteral("[\\x{FB00}-\\x{FB06}]"))), qPrintable(text));
}

void PdfTest::wrappedAndShrunkTextsPrintAsLaidOut()
{
    // A name set in three lines of a narrow box, a code shrunk to one line: the PDF shows the lines
    // the layout chose, every letter of them, and nothing beyond the boxes.
    const QString name = QStringLiteral("Hajdúsági Mezőgazdasági Termelő, Értékesítő és Szolgáltató Szövetkezet");
    const QString code = QStringLiteral("9348001234567890123400001");
    report::variables().setText(QStringLiteral("v_felado"), name);
    report::variables().setText(QStringLiteral("v_ful1"), code);
    report::Report r(QStringLiteral("pdf"));
    r.setTemplate(report::parseTemplate("[title]\nheight = 10\n"
                                        "text 0 0 45 5 wrap : [v_felado]\n"
                                        "text 60 0 45 5 : [v_ful1]\n",
                                        QStringLiteral("Sorok.frf")));
    const report::PreparedReport pages = r.prepare();
    QVERIFY2(pages.fitProblems.empty(), qPrintable(pages.fitReport().join(u'\n')));
    QCOMPARE(pages.pages[0].texts.size(), size_t(2));
    const report::PreparedText& wrapped = pages.pages[0].texts[0];
    const report::PreparedText& shrunk = pages.pages[0].texts[1];
    QVERIFY(wrapped.lineCount() >= 3);
    QVERIFY(shrunk.lineCount() == 1 && shrunk.size >= 7 && shrunk.size < 9);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("sorok.pdf"));
    report::writePdf(pages, file);
    const QStringList lines =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), QStringLiteral("-layout"),
                                          file, QStringLiteral("-")})
            .split(u'\n', Qt::SkipEmptyParts);
    QStringList names;
    for (const QString& line : lines)
        names << line.section(QStringLiteral("  "), 0, 0).trimmed();
    QStringList expected;
    for (int i = 0; i < wrapped.lineCount(); ++i)
        expected << report::metrics::line(wrapped.text, wrapped.breaks, static_cast<size_t>(i)).toString();
    QCOMPARE(names.mid(0, expected.size()), expected);
    QCOMPARE(expected.join(u' '), name);
    QVERIFY2(lines.join(u'\n').contains(code), qPrintable(lines.join(u'\n')));
}

void PdfTest::textAskedToElideEndsInEllipsis()
{
    report::PreparedReport pages;
    report::TextStyle elide;
    elide.fit = report::Fit::Elide;
    pages.styles.push_back(elide);
    pages.pages.push_back(report::PreparedPage{QSizeF(210, 297), {}});
    const QString name = QStringLiteral("Hajdúsági Mezőgazdasági Termelő és Szolgáltató Kft.");
    pages.pages[0].texts.push_back({QRectF(20, 20, 30, 5), name, 0});
    pages.pages[0].texts.push_back({QRectF(20, 30, 150, 5), name, 0});
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("vagott.pdf"));
    report::writePdf(pages, file);

    const QStringList lines =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), file, QStringLiteral("-")})
            .split(u'\n', Qt::SkipEmptyParts);
    QVERIFY2(lines.size() >= 2, qPrintable(lines.join(u'\n')));
    // The narrow box shows the beginning and the mark; the wide one the whole name.
    QVERIFY2(lines[0].startsWith(QStringLiteral("Hajdúsági")) && lines[0].endsWith(QStringLiteral("…")),
             qPrintable(lines[0]));
    QVERIFY2(!lines[0].contains(QStringLiteral("Kft.")), qPrintable(lines[0]));
    QCOMPARE(lines[1], name);
    // The prepared text itself stays whole: find and the saved file see all of it.
    QCOMPARE(pages.pages[0].texts[0].text, name);
}

void PdfTest::documentInformationAndPaper_data()
{
    QTest::addColumn<QSizeF>("page");
    QTest::addColumn<QString>("paper");

    QTest::newRow("A4 portrait") << QSizeF(210, 297) << "595 x 842 pts (A4)";
    QTest::newRow("A4 landscape") << QSizeF(297, 210) << "842 x 595 pts (A4)";
    QTest::newRow("A5 landscape") << QSizeF(210, 148) << "595 x 420 pts (A5)";
    QTest::newRow("own size") << QSizeF(100, 80) << "283 x 227 pts";
}

void PdfTest::documentInformationAndPaper()
{
    QFETCH(QSizeF, page);
    QFETCH(QString, paper);
    report::PreparedReport pages;
    // Characters a PDF string would need escaped, and accents beyond Latin-1.
    pages.title = QStringLiteral("Beszállított fülszámok (2011.03.15) \\ Őrség");
    pages.author = QStringLiteral("Hús-Vágó Zrt. (Őriszentpéter)");
    pages.styles.push_back(report::TextStyle{});
    for (int i = 0; i < 2; ++i)
        pages.pages.push_back({page, {{QRectF(10, 10, 60, 8), QStringLiteral("Oldal %1").arg(i + 1), 0}}});
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("adatok.pdf"));
    report::writePdf(pages, file);

    const QString info = run(QStringLiteral("pdfinfo"), {file});
    const auto field = [&](const QString& name, const QString& value) {
        return info.contains(QRegularExpression(
            QStringLiteral("^%1: +%2$").arg(name, QRegularExpression::escape(value)), QRegularExpression::MultilineOption));
    };
    QVERIFY2(field(QStringLiteral("Title"), pages.title), qPrintable(info));
    QVERIFY2(field(QStringLiteral("Author"), pages.author), qPrintable(info));
    QVERIFY2(field(QStringLiteral("Creator"), QStringLiteral("Gerundo")), qPrintable(info));
    QVERIFY2(field(QStringLiteral("Pages"), QStringLiteral("2")), qPrintable(info));
    QVERIFY2(field(QStringLiteral("Page size"), paper), qPrintable(info));
    QVERIFY2(field(QStringLiteral("Page rot"), QStringLiteral("0")), qPrintable(info));
    // The amended file still reads whole.
    QVERIFY2(run(QStringLiteral("pdftotext"), {file, QStringLiteral("-")}).contains(QStringLiteral("Oldal 2")),
             qPrintable(info));
}

void PdfTest::unwritablePlaceIsAMessage()
{
    try {
        report::writePdf(hungarianPages(), QStringLiteral("/nincs/ilyen/mappa/lista.pdf"));
        QFAIL("writing into a folder that does not exist must fail");
    } catch (const report::Error& e) {
        QCOMPARE(e.message(), QStringLiteral("Nem lehet létrehozni a(z) \"/nincs/ilyen/mappa/lista.pdf\" fájlt."));
    }
}

void PdfTest::printingSendsTheChosenPages()
{
    // Three pages with their number in big letters; the printer writes a PDF file here.
    report::PreparedReport pages;
    pages.title = QStringLiteral("Nyomtatás");
    pages.styles.push_back(report::TextStyle());
    for (int i = 1; i <= 3; ++i)
        pages.pages.push_back({QSizeF(210, 297), {{QRectF(20, 20, 170, 10), QStringLiteral("Nyomtatott oldal %1").arg(i), 0}}});
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("nyomtato.pdf")));
    report::printPages(pages, printer, 2, 3);
    const QString text = run(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                                                          dir.filePath(QStringLiteral("nyomtato.pdf")), QStringLiteral("-")});
    QVERIFY2(!text.contains(QStringLiteral("Nyomtatott oldal 1")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Nyomtatott oldal 2")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Nyomtatott oldal 3")), qPrintable(text));
    QVERIFY(run(QStringLiteral("pdfinfo"), {dir.filePath(QStringLiteral("nyomtato.pdf"))})
                .contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))));
}

QTEST_MAIN(PdfTest)
#include "test_pdf.moc"
