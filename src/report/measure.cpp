#include "report/measure.h"

#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <array>
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

// Unshaped text has no kerning and no ligatures: a line is exactly as wide as its characters'
// advances added up, so the advances of the characters a report meets are kept once measured.
constexpr char16_t kKeptAdvances = 0x0300;  // Latin with its accents, below the combining marks

struct Face {
    QFontMetricsF metrics;
    double mmPerUnit;
    std::array<double, kKeptAdvances> advances;  // font units; < 0 until measured
    // Millimetres (asking Qt for them takes a lock every time).
    double lineSpacing = 0;
    double ascent = 0;
    double descent = 0;
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

Face& face(const TextStyle& style, double sizePt)
{
    static QHash<FaceKey, std::shared_ptr<Face>> faces;
    // The faces asked for last, most recent first: a row's few styles, without building a key.
    struct Recent {
        Face* face = nullptr;
        QString family;
        bool bold = false;
        bool italic = false;
        int centiPoints = 0;
    };
    static std::array<Recent, 4> recent;
    const int centiPoints = static_cast<int>(sizePt * 100 + 0.5);
    for (size_t i = 0; i < recent.size(); ++i) {
        Recent& r = recent[i];
        if (r.face && r.centiPoints == centiPoints && r.bold == style.bold && r.italic == style.italic &&
            (r.family.constData() == style.family.constData() || r.family == style.family)) {
            if (i > 0)
                std::rotate(recent.begin(), recent.begin() + static_cast<long>(i),
                            recent.begin() + static_cast<long>(i) + 1);
            return *recent[0].face;
        }
    }
    FaceKey key{style.family, style.bold, style.italic, centiPoints};
    auto it = faces.find(key);
    if (it == faces.end()) {
        const QImage& device = referenceDevice();
        auto f = std::make_shared<Face>(
            Face{QFontMetricsF(font(style, centiPoints / 100.0), &device), kMmPerInch / device.logicalDpiX(), {}});
        f->advances.fill(-1);
        f->lineSpacing = f->metrics.lineSpacing() * f->mmPerUnit;
        f->ascent = f->metrics.ascent() * f->mmPerUnit;
        f->descent = f->metrics.descent() * f->mmPerUnit;
        it = faces.insert(key, f);
    }
    std::rotate(recent.begin(), recent.end() - 1, recent.end());
    recent[0] = Recent{it->get(), style.family, style.bold, style.italic, centiPoints};
    return *recent[0].face;
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
    Face& f = face(style, sizePt);
    double units = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= kKeptAdvances)  // combining marks, other scripts: Qt measures the whole line
            return f.metrics.horizontalAdvance(text.toString()) * f.mmPerUnit;
        double& advance = f.advances[u];
        if (advance < 0)
            advance = f.metrics.horizontalAdvance(c);
        units += advance;
    }
    return units * f.mmPerUnit;
}

double widestLine(const TextStyle& style, double sizePt, const QString& text)
{
    // Usually one line of kept characters: added up in one pass.
    Face& f = face(style, sizePt);
    double units = 0;
    bool simple = true;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= kKeptAdvances || u == u'\n') {
            simple = false;
            break;
        }
        double& advance = f.advances[u];
        if (advance < 0)
            advance = f.metrics.horizontalAdvance(c);
        units += advance;
    }
    if (simple)
        return units * f.mmPerUnit;
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
    return face(style, sizePt).lineSpacing;
}

double linesTop(const TextStyle& style, double sizePt, int lines, double boxHeight)
{
    const Face& f = face(style, sizePt);
    const double block = lines * f.lineSpacing;
    const Qt::Alignment vertical = style.align & Qt::AlignVertical_Mask;
    if (vertical & Qt::AlignVCenter)
        return (boxHeight - block) / 2;
    const bool shrunk = sizePt < style.size - 0.001;
    const double ascent = f.ascent;
    const double descent = f.descent;
    if (vertical & Qt::AlignBottom)
        return boxHeight - block - (shrunk ? face(style, style.size).descent - descent : 0);
    return shrunk ? face(style, style.size).ascent - ascent : 0;
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
