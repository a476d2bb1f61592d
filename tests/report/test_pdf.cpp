#include "report/engine.h"
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
    void textLongerThanItsBoxEndsInEllipsis();
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

void PdfTest::textLongerThanItsBoxEndsInEllipsis()
{
    report::PreparedReport pages;
    pages.styles.push_back(report::TextStyle{});
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
