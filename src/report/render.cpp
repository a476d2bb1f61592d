#include "report/render.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <algorithm>

namespace report {

namespace {

QPageLayout layoutFor(const PreparedPage& page)
{
    return QPageLayout(QPageSize(page.size, QPageSize::Millimeter), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
}

QFont fontFor(const TextStyle& s, double pixelsPerMm, const QPaintDevice* device)
{
    QFont f(s.family);
    // Sizes are points of the printed page: convert to this device's pixels, then to the points
    // Qt expects for the device's own resolution.
    const double pixels = s.size / 72.0 * 25.4 * pixelsPerMm;
    const double dpi = device ? device->logicalDpiY() : 96.0;
    f.setPointSizeF(std::max(0.5, pixels * 72.0 / dpi));
    f.setBold(s.bold);
    f.setItalic(s.italic);
    f.setKerning(true);
    return f;
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
    int currentStyle = -1;
    for (const PreparedText& t : page.texts) {
        const TextStyle& s = report.styles[static_cast<size_t>(t.style)];
        const QRectF r(t.rect.x() * pixelsPerMm, t.rect.y() * pixelsPerMm, t.rect.width() * pixelsPerMm,
                       t.rect.height() * pixelsPerMm);
        if (s.frame)
            drawFrame(p, r, s, pixelsPerMm);
        if (t.text.isEmpty())
            continue;
        if (t.style != currentStyle) {
            p.setFont(fontFor(s, pixelsPerMm, p.device()));
            currentStyle = t.style;
        }
        p.setPen(Qt::black);
        const double pad = s.padding * pixelsPerMm;
        const QRectF inner = r.adjusted(pad, 0, -pad, 0);
        const int flags = static_cast<int>(s.align) | (s.wrap ? Qt::TextWordWrap : 0);
        // A one-line text longer than its box ends in "…", so the paper shows that it was cut.
        QString shown = t.text;
        if (!s.wrap && !shown.contains(u'\n')) {
            const QFontMetricsF metrics(p.font(), p.device());
            if (metrics.horizontalAdvance(shown) > inner.width())
                shown = metrics.elidedText(shown, Qt::ElideRight, inner.width());
        }
        p.save();
        p.setClipRect(r, Qt::IntersectClip);
        p.drawText(inner, flags, shown);
        p.restore();
    }
    p.restore();
}

void writePdf(const PreparedReport& report, const QString& fileName)
{
    if (report.pages.empty())
        throw Error(QStringLiteral("Nincs mit menteni: a jelentésnek nincs oldala."));
    QPdfWriter writer(fileName);
    writer.setCreator(QStringLiteral("Gerundo"));
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
    if (!painter.end() || !QFileInfo(fileName).size())
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
