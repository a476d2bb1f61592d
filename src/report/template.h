#pragma once

#include "report/expression.h"

#include <QHash>
#include <QMarginsF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <stdexcept>
#include <vector>

namespace report {

enum FrameLine : unsigned { FrameLeft = 1, FrameTop = 2, FrameRight = 4, FrameBottom = 8, FrameAll = 15 };

// What a text does when it is wider than its box: shrink its font (down to minSize), go on in
// further lines (its band grows with it), or end in "…" (only where a template asks for it).
enum class Fit { Shrink, Wrap, Elide };

// How a text object looks. Sizes in points, lengths in millimetres.
struct TextStyle {
    QString family = QStringLiteral("DejaVu Sans");
    double size = 9;
    bool bold = false;
    bool italic = false;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop;
    unsigned frame = 0;  // FrameLine bits
    double frameWidth = 0.2;
    Fit fit = Fit::Shrink;
    double minSize = 7;    // the smallest size a shrinking text goes down to
    double padding = 0.5;  // between the frame and the text, left and right
    double vpadding = 0;   // between the frame and the text, above and below

    bool operator==(const TextStyle& o) const = default;
};

struct TextObject {
    QRectF rect;  // millimetres, from the band's top left corner; a cell's x and width come from its column
    TextStyle style;
    Expression expression;
    int column = -1;  // a cell: index into Template::columns
    int line = 0;     // in the template file
};

// A column that cells of several bands share. A fixed one has its width; the others are as wide as
// their widest text (never narrower than min), and those with a share divide what the page leaves.
struct Column {
    QString name;
    double fixed = 0;  // millimetres; 0: sized by the content
    double min = 0;
    double share = 0;
    int line = 0;
};

enum class BandKind { Title, PageHeader, MasterData, PageFooter, Summary };

struct Band {
    BandKind kind = BandKind::Title;
    double height = 0;  // millimetres
    QString dataset;    // master data: the report dataset it is bound to
    std::vector<TextObject> objects;
    int line = 0;
};

// A report layout as read from its template file (format: README, "Report templates").
struct Template {
    QString fileName;
    QString title;
    QSizeF pageSize = QSizeF(210, 297);  // millimetres, as printed (landscape already swapped)
    QMarginsF margins = QMarginsF(10, 10, 10, 10);
    TextStyle defaultStyle;
    QStringList uses;                        // datasets read without a band of their own
    Expression documentTitle;                // the prepared report's title (caption, PDF); default: title
    Expression author;                       // the PDF's author
    std::vector<Column> columns;             // left to right from the left margin
    std::vector<Band> bands;                 // in the file's order; master data bands print in this order
    QHash<QString, Expression> expressions;  // the template's own named expressions, by lower-case name

    const Band* band(BandKind kind) const;
    double printableWidth() const { return pageSize.width() - margins.left() - margins.right(); }
    double printableHeight() const { return pageSize.height() - margins.top() - margins.bottom(); }
};

// A template file that cannot be used. message() is the text for the standard error box.
class TemplateError : public std::runtime_error {
public:
    enum class Kind { Missing, Unreadable, Malformed };
    TemplateError(Kind kind, const QString& fileName, const QString& detail, int line = 0);

    Kind kind() const { return m_kind; }
    const QString& fileName() const { return m_fileName; }
    int line() const { return m_line; }
    const QString& detail() const { return m_detail; }
    const QString& message() const { return m_message; }

private:
    Kind m_kind;
    QString m_fileName;
    QString m_detail;
    int m_line;
    QString m_message;
};

// Reads a template by file name (a bare name is looked up in the working directory).
Template loadTemplate(const QString& fileName);
Template parseTemplate(const QByteArray& content, const QString& fileName);

}  // namespace report
