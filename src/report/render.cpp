#include "report/render.h"

#include "report/measure.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace report {

namespace {

// A4, A3, A5 and the other standard sheets by their name, in the orientation of the page: a
// landscape page is the standard sheet turned, as a printer driver and a PDF reader know it.
QPageLayout layoutFor(const PreparedPage& page)
{
    const QPageSize::PageSizeId id = QPageSize::id(page.size, QPageSize::Millimeter, QPageSize::FuzzyOrientationMatch);
    const QPageLayout::Orientation orientation =
        page.size.width() > page.size.height() ? QPageLayout::Landscape : QPageLayout::Portrait;
    if (id != QPageSize::Custom)
        return QPageLayout(QPageSize(id), orientation, QMarginsF(0, 0, 0, 0));
    return QPageLayout(QPageSize(page.size, QPageSize::Millimeter), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
}

QFont fontFor(const TextStyle& s, double size, double pixelsPerMm, const QPaintDevice* device)
{
    // Sizes are points of the printed page: convert to this device's pixels, then to the points
    // Qt expects for the device's own resolution.
    const double pixels = size / 72.0 * 25.4 * pixelsPerMm;
    const double dpi = device ? device->logicalDpiY() : 96.0;
    return metrics::font(s, std::max(0.5, pixels * 72.0 / dpi));
}

void drawFrame(QPainter& p, const QRectF& r, const TextStyle& s, double pixelsPerMm)
{
    const double width = s.frameWidth * pixelsPerMm;
    QPen pen(Qt::black, width < 1.0 ? 0.0 : width, Qt::SolidLine, Qt::SquareCap);
    p.setPen(pen);
    if (s.frame & FrameLeft)
        p.drawLine(r.topLeft(), r.bottomLeft());
    if (s.frame & FrameTop)
        p.drawLine(r.topLeft(), r.topRight());
    if (s.frame & FrameRight)
        p.drawLine(r.topRight(), r.bottomRight());
    if (s.frame & FrameBottom)
        p.drawLine(r.bottomLeft(), r.bottomRight());
}

}  // namespace

void paintPage(QPainter& p, const PreparedReport& report, int pageIndex, double pixelsPerMm)
{
    if (pageIndex < 0 || pageIndex >= report.pageCount())
        return;
    const PreparedPage& page = report.pages[static_cast<size_t>(pageIndex)];
    p.save();
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::black);
    int currentStyle = -1;
    double currentSize = 0;
    std::optional<QFontMetricsF> deviceMetrics;
    double lineSpacing = 0;
    for (const PreparedText& t : page.texts) {
        const TextStyle& s = report.styles[static_cast<size_t>(t.style)];
        const QRectF r(t.rect.x() * pixelsPerMm, t.rect.y() * pixelsPerMm, t.rect.width() * pixelsPerMm,
                       t.rect.height() * pixelsPerMm);
        if (s.frame)
            drawFrame(p, r, s, pixelsPerMm);
        if (t.text.isEmpty())
            continue;
        const double size = t.sizeIn(s);
        if (t.style != currentStyle || size != currentSize) {
            p.setFont(fontFor(s, size, pixelsPerMm, p.device()));
            deviceMetrics.emplace(p.font(), p.device());
            lineSpacing = metrics::lineSpacing(s, size) * pixelsPerMm;
            currentStyle = t.style;
            currentSize = size;
        }
        const double pad = s.padding * pixelsPerMm;
        const double vpad = s.vpadding * pixelsPerMm;
        const QRectF inner = r.adjusted(pad, vpad, -pad, -vpad);
        // The lines stand where the layout put them, with its line spacing.
        const int lines = t.lineCount();
        const Qt::Alignment horizontal = s.align & Qt::AlignHorizontal_Mask;
        const double top =
            inner.top() + metrics::linesTop(s, size, lines, inner.height() / pixelsPerMm) * pixelsPerMm;
        // Each line centred on its line spacing, by its baseline: no text layout of Qt's own, so
        // nothing moves or breaks differently from what the layout decided.
        const double baseline = (lineSpacing - deviceMetrics->height()) / 2 + deviceMetrics->ascent();
        // A clip only where something could reach out of the box (a PDF grows with every clip).
        const bool clip = top < r.top() - 0.5 || top + lines * lineSpacing > r.bottom() + 0.5;
        bool clipped = false;
        for (int i = 0; i < lines; ++i) {
            QString shown = metrics::line(t.text, t.breaks, static_cast<size_t>(i)).toString();
            double w = deviceMetrics->horizontalAdvance(shown);
            double scale = 1;
            if (w > inner.width() && s.fit == Fit::Elide) {
                // Only where the template asks for it: the paper shows that the text was cut.
                shown = deviceMetrics->elidedText(shown, Qt::ElideRight, inner.width());
                w = deviceMetrics->horizontalAdvance(shown);
            } else if (w > inner.width() && w * 0.9 <= inner.width()) {
                // The layout found that the line fits; a screen's rounded glyph widths may make it
                // a little wider: it is narrowed to its box instead of losing its end.
                scale = inner.width() / w;
            }
            if (!clipped && (clip || w * scale > inner.width() + 0.5)) {
                p.save();
                p.setClipRect(r, Qt::IntersectClip);
                clipped = true;
            }
            double x = inner.left();
            if (horizontal & Qt::AlignRight)
                x = inner.right() - w * scale;
            else if (horizontal & Qt::AlignHCenter)
                x = inner.left() + (inner.width() - w * scale) / 2;
            const double y = top + i * lineSpacing + baseline;
            if (scale < 1) {
                p.save();
                p.translate(x, y);
                p.scale(scale, 1);
                p.drawText(QPointF(0, 0), shown);
                p.restore();
            } else {
                p.drawText(QPointF(x, y), shown);
            }
        }
        if (clipped)
            p.restore();
    }
    p.restore();
}

namespace {

// A text string of a PDF dictionary: UTF-16 big-endian with its byte-order mark, in hex.
QByteArray pdfText(const QString& text)
{
    QByteArray utf16("\xFE\xFF", 2);
    for (const QChar c : text) {
        utf16.append(static_cast<char>(c.unicode() >> 8));
        utf16.append(static_cast<char>(c.unicode() & 0xFF));
    }
    return '<' + utf16.toHex().toUpper() + '>';
}

// Qt writes a title and a creator but no author into a PDF's document information. An
// incremental update, the PDF's own way of amending a file, gives the document a new information
// dictionary with all of them; readers take the newest one.
bool writeDocumentInformation(const QString& fileName, const PreparedReport& report, const QString& creator)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const qint64 size = file.size();
    const qint64 tailFrom = std::max<qint64>(0, size - 1024);
    if (!file.seek(tailFrom))
        return false;
    const QByteArray tail = file.read(1024);
    const qsizetype trailerAt = tail.lastIndexOf("trailer");
    if (trailerAt < 0)
        return false;
    const QByteArray trailer = tail.mid(trailerAt);
    const auto number = [&](const char* pattern) -> QByteArray {
        const QRegularExpressionMatch m = QRegularExpression(QString::fromLatin1(pattern)).match(QString::fromLatin1(trailer));
        return m.hasMatch() ? m.captured(1).toLatin1() : QByteArray();
    };
    const QByteArray objects = number("/Size\\s+(\\d+)");
    const QByteArray info = number("/Info\\s+(\\d+)\\s+0\\s+R");
    const QByteArray root = number("/Root\\s+(\\d+)\\s+0\\s+R");
    const QByteArray previous = number("startxref\\s+(\\d+)");
    if (objects.isEmpty() || info.isEmpty() || root.isEmpty() || previous.isEmpty())
        return false;

    QByteArray update;
    if (!tail.endsWith('\n'))
        update += '\n';
    const qint64 infoAt = size + update.size();
    update += info + " 0 obj\n<<\n/Title " + pdfText(report.title) + "\n/Author " + pdfText(report.author) +
              "\n/Creator " + pdfText(creator) + "\n/Producer " + pdfText(QStringLiteral("Qt ") + QString::fromLatin1(qVersion())) +
              "\n/CreationDate (D:" + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() +
              "Z)\n>>\nendobj\n";
    const qint64 xrefAt = size + update.size();
    update += "xref\n" + info + " 1\n" + QByteArray::number(infoAt).rightJustified(10, '0') + " 00000 n \n";
    update += "trailer\n<<\n/Size " + objects + "\n/Info " + info + " 0 R\n/Root " + root + " 0 R\n/Prev " + previous +
              "\n>>\nstartxref\n" + QByteArray::number(xrefAt) + "\n%%EOF\n";
    return file.seek(size) && file.write(update) == update.size() && file.flush();
}

}  // namespace

void writePdf(const PreparedReport& report, const QString& fileName)
{
    if (report.pages.empty())
        throw Error(QStringLiteral("Nincs mit menteni: a jelentésnek nincs oldala."));
    const QString creator = QStringLiteral("Gerundo");
    bool painted = false;
    {
        QPdfWriter writer(fileName);
        writer.setCreator(creator);
        writer.setTitle(report.title);
        writer.setResolution(600);
        writer.setPageLayout(layoutFor(report.pages.front()));
        QPainter painter;
        if (!painter.begin(&writer))
            throw Error(QStringLiteral("Nem lehet létrehozni a(z) \"%1\" fájlt.").arg(fileName));
        const double ppm = writer.resolution() / 25.4;
        for (int i = 0; i < report.pageCount(); ++i) {
            if (i > 0) {
                writer.setPageLayout(layoutFor(report.pages[static_cast<size_t>(i)]));
                writer.newPage();
            }
            paintPage(painter, report, i, ppm);
        }
        painted = painter.end();
    }
    if (!painted || !QFileInfo(fileName).size() || !writeDocumentInformation(fileName, report, creator))
        throw Error(QStringLiteral("Nem lehet menteni a(z) \"%1\" fájlt.").arg(fileName));
}

void printPages(const PreparedReport& report, QPrinter& printer, int fromPage, int toPage)
{
    fromPage = std::max(1, fromPage);
    toPage = std::min(report.pageCount(), toPage);
    if (fromPage > toPage)
        return;
    printer.setFullPage(true);
    printer.setPageLayout(layoutFor(report.pages[static_cast<size_t>(fromPage - 1)]));
    QPainter painter;
    if (!painter.begin(&printer))
        throw Error(QStringLiteral("A nyomtatás nem indítható el."));
    const double ppm = printer.resolution() / 25.4;
    for (int i = fromPage; i <= toPage; ++i) {
        if (i > fromPage) {
            printer.setPageLayout(layoutFor(report.pages[static_cast<size_t>(i - 1)]));
            printer.newPage();
        }
        paintPage(painter, report, i - 1, ppm);
    }
    painter.end();
}

}  // namespace report
