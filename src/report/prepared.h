#pragma once

#include "report/error.h"
#include "report/template.h"

#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <vector>

namespace report {

// One text of a finished page: where it stands (millimetres from the page's top left corner),
// what it says, how it looks (an index into the report's styles), and how the layout set it: where
// its lines end, and the size it shrank to.
struct PreparedText {
    PreparedText() = default;
    PreparedText(const QRectF& r, const QString& t, int s, std::vector<int> b = {}, double sz = 0)
        : rect(r), text(t), style(s), breaks(std::move(b)), size(sz)
    {
    }

    QRectF rect;
    QString text;
    int style = 0;
    std::vector<int> breaks;  // where the second, third … line starts in text; empty: one line
    double size = 0;          // points, when shrunk below the style's size; 0: the style's

    int lineCount() const { return static_cast<int>(breaks.size()) + 1; }
    double sizeIn(const TextStyle& style) const { return size > 0 ? size : style.size; }
};

// A text the layout could not show as its template meant: cut at its box's edge, ended in "…" (its
// template asked for that), drawn over another text, or a text meant for one line (a code, an ear
// tag: shrink) that went on in a further line even at its smallest size. A text that shrank, or
// one meant to wrap that went on in further lines, is no problem.
struct FitProblem {
    enum class Kind { Cut, Elided, Overlap, Broken };
    Kind kind = Kind::Cut;
    int page = 0;        // from 0
    int text = 0;        // index into the page's texts
    int other = -1;      // an overlap: the other text
    int templateLine = 0;
};

struct PreparedPage {
    QSizeF size;  // millimetres
    std::vector<PreparedText> texts;
};

// Every page of a report, laid out and filled: what the preview shows, prints and saves.
struct PreparedReport {
    QString title;
    QString author;
    std::vector<TextStyle> styles;
    std::vector<PreparedPage> pages;
    // What the layout found that did not fit; empty when every text shows whole. Not saved.
    std::vector<FitProblem> fitProblems;

    int pageCount() const { return static_cast<int>(pages.size()); }
    int addStyle(const TextStyle& style);

    // A page's texts as lines of reading: texts whose tops are level, left to right, joined by
    // " | " (a text's own line breaks become blanks), each text whole.
    QStringList lines(int pageIndex) const;
    // The same lines as printed: a text set in several lines gives its first line to its row, the
    // further ones follow under the row, indented by two blanks (those of several texts of the
    // row joined by " | ").
    QStringList printedLines(int pageIndex) const;
    // Every page's printed lines under a "=== N. oldal ===" heading: a readable form for comparisons.
    QString plainText() const;
    // One readable line per fit problem: page, kind, the text and its template line.
    QStringList fitReport() const;
};

// The program's own prepared-report file (JSON, extension .frp): saved from the preview and
// opened there again without the database. Both raise Error.
void savePrepared(const PreparedReport& report, const QString& fileName);
PreparedReport loadPrepared(const QString& fileName);

}  // namespace report
