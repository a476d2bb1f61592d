#include "report/measure.h"

#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QTextBoundaryFinder>
#include <cmath>
#include <memory>

namespace report::metrics {

namespace {

// Fine enough that rounding to the device's dots plays no part in a layout.
constexpr double kReferenceDpi = 1200;
constexpr double kMmPerInch = 25.4;

struct FaceKey {
    QString family;
    bool bold;
    bool italic;
    int centiPoints;
    bool operator==(const FaceKey&) const = default;
};

size_t qHash(const FaceKey& k, size_t seed = 0)
{
    return qHashMulti(seed, k.family, k.bold, k.italic, k.centiPoints);
}

struct Face {
    QFontMetricsF metrics;
    double mmPerUnit;
};

const QImage& referenceDevice()
{
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        const int dotsPerMetre = static_cast<int>(std::lround(kReferenceDpi / kMmPerInch * 1000));
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
        return image;
    }();
    return device;
}

const Face& face(const TextStyle& style, double sizePt)
{
    static QHash<FaceKey, std::shared_ptr<Face>> faces;
    static const Face* last = nullptr;
    static FaceKey lastKey;
    FaceKey key{style.family, style.bold, style.italic, static_cast<int>(std::lround(sizePt * 100))};
    if (last && key == lastKey)
        return *last;
    auto it = faces.find(key);
    if (it == faces.end()) {
        const QImage& device = referenceDevice();
        auto f = std::make_shared<Face>(
            Face{QFontMetricsF(font(style, key.centiPoints / 100.0), &device), kMmPerInch / device.logicalDpiX()});
        it = faces.insert(key, f);
    }
    last = it->get();
    lastKey = std::move(key);
    return *last;
}

}  // namespace

QFont font(const TextStyle& style, double sizePt)
{
    QFont f(style.family);
    f.setPointSizeF(std::max(0.1, sizePt));
    f.setBold(style.bold);
    f.setItalic(style.italic);
    f.setKerning(true);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

double width(const TextStyle& style, double sizePt, QStringView text)
{
    if (text.isEmpty())
        return 0;
    const Face& f = face(style, sizePt);
    return f.metrics.horizontalAdvance(text.toString()) * f.mmPerUnit;
}

double widestLine(const TextStyle& style, double sizePt, const QString& text)
{
    if (!text.contains(u'\n'))
        return width(style, sizePt, text);
    double widest = 0;
    const std::vector<int> breaks = paragraphBreaks(text);
    for (size_t i = 0; i <= breaks.size(); ++i)
        widest = std::max(widest, width(style, sizePt, line(text, breaks, i)));
    return widest;
}

double longestWord(const TextStyle& style, double sizePt, const QString& text)
{
    double longest = 0;
    QTextBoundaryFinder opportunities(QTextBoundaryFinder::Line, text);
    qsizetype from = 0;
    for (qsizetype p = opportunities.toNextBoundary(); p > 0; p = opportunities.toNextBoundary()) {
        QStringView word = QStringView(text).mid(from, p - from);
        while (!word.isEmpty() && word.back().isSpace())
            word.chop(1);
        longest = std::max(longest, width(style, sizePt, word));
        from = p;
    }
    return longest;
}

double lineSpacing(const TextStyle& style, double sizePt)
{
    const Face& f = face(style, sizePt);
    return f.metrics.lineSpacing() * f.mmPerUnit;
}

double linesTop(const TextStyle& style, double sizePt, int lines, double boxHeight)
{
    const Face& f = face(style, sizePt);
    const double block = lines * f.metrics.lineSpacing() * f.mmPerUnit;
    const Qt::Alignment vertical = style.align & Qt::AlignVertical_Mask;
    if (vertical & Qt::AlignVCenter)
        return (boxHeight - block) / 2;
    const bool shrunk = sizePt < style.size - 0.001;
    if (vertical & Qt::AlignBottom) {
        const double lower = shrunk ? (face(style, style.size).metrics.descent() * face(style, style.size).mmPerUnit -
                                       f.metrics.descent() * f.mmPerUnit)
                                    : 0;
        return boxHeight - block - lower;
    }
    return shrunk ? face(style, style.size).metrics.ascent() * face(style, style.size).mmPerUnit -
                        f.metrics.ascent() * f.mmPerUnit
                  : 0;
}

std::vector<int> paragraphBreaks(const QString& text)
{
    std::vector<int> breaks;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text.at(i) == u'\n' && i + 1 < text.size())
            breaks.push_back(static_cast<int>(i + 1));
    return breaks;
}

QStringView line(const QString& text, const std::vector<int>& breaks, size_t i)
{
    const qsizetype from = i == 0 ? 0 : breaks[i - 1];
    const qsizetype to = i < breaks.size() ? breaks[i] : text.size();
    QStringView v = QStringView(text).mid(from, to - from);
    while (!v.isEmpty() && v.back().isSpace())
        v.chop(1);
    return v;
}

namespace {

// The longest run of whole characters from `from` that fits widthMm; at least one character, so
// a line always moves on.
qsizetype fittingPrefix(const TextStyle& style, double sizePt, const QString& text, qsizetype from, qsizetype to,
                        double widthMm)
{
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    graphemes.setPosition(from);
    qsizetype best = graphemes.toNextBoundary();
    qsizetype beforeBest = best;
    for (qsizetype p = graphemes.toNextBoundary(); p > 0 && p <= to; p = graphemes.toNextBoundary()) {
        if (width(style, sizePt, QStringView(text).mid(from, p - from)) > widthMm)
            break;
        beforeBest = best;
        best = p;
    }
    // A comma or a full stop does not start the next line: it stays with the letter before it.
    if (best < to && best > beforeBest && beforeBest > from) {
        const QChar next = text.at(best);
        if (next.isPunct() && next.category() != QChar::Punctuation_Open && next != u'-')
            best = beforeBest;
    }
    return best;
}

}  // namespace

std::vector<int> wrap(const TextStyle& style, double sizePt, const QString& text, double widthMm)
{
    std::vector<int> breaks;
    const auto fits = [&](qsizetype from, qsizetype to) {
        QStringView v = QStringView(text).mid(from, to - from);
        while (!v.isEmpty() && v.back().isSpace())
            v.chop(1);
        return width(style, sizePt, v) <= widthMm;
    };
    QTextBoundaryFinder opportunities(QTextBoundaryFinder::Line, text);
    qsizetype lineStart = 0;
    qsizetype lastFit = -1;  // the furthest opportunity up to which the current line fits
    qsizetype p = opportunities.toNextBoundary();
    while (p > 0) {
        const bool mandatory = text.at(p - 1) == u'\n';
        if (fits(lineStart, p)) {
            lastFit = p;
            if (mandatory && p < text.size()) {
                breaks.push_back(static_cast<int>(p));
                lineStart = p;
                lastFit = -1;
            }
            p = opportunities.toNextBoundary();
            continue;
        }
        if (lastFit > lineStart) {
            breaks.push_back(static_cast<int>(lastFit));
            lineStart = lastFit;
        } else {
            // One word wider than the whole line: it goes on over as many lines as it needs.
            qsizetype end = p;
            while (end > lineStart && text.at(end - 1).isSpace())
                --end;
            qsizetype cut = fittingPrefix(style, sizePt, text, lineStart, end, widthMm);
            if (cut >= end) {  // a single character wider than the line stands on a line of its own
                if (p >= text.size())
                    break;
                cut = p;
            }
            breaks.push_back(static_cast<int>(cut));
            lineStart = cut;
        }
        lastFit = -1;
        // the same opportunity is tried again from the new line's start
    }
    return breaks;
}

}  // namespace report::metrics
