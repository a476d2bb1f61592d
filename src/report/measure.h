#pragma once

#include <QFont>
#include <QString>
#include <QStringView>
#include <vector>

#include "report/template.h"

// Text measured the way the pages draw it. The layout decides on these figures where a line ends,
// how far a text shrinks and how tall a band grows, and the painter follows them, so the preview,
// the PDF and the printer show the same lines on every machine: unhinted glyphs at a fixed
// reference resolution, and no shaping, so no ligature glyph replaces "fi" or "ffl" (a PDF's text
// then searches and copies as typed).
namespace report::metrics {

// The font of a style at a size in points (of the device it is used on).
QFont font(const TextStyle& style, double sizePt);

// Millimetres of one line of text (no line breaks inside).
double width(const TextStyle& style, double sizePt, QStringView text);
// Millimetres of the widest line of a text that may hold line breaks.
double widestLine(const TextStyle& style, double sizePt, const QString& text);
// Millimetres of the widest part of a text that no line break may split (a word, with the hyphen
// or the punctuation that ends it).
double longestWord(const TextStyle& style, double sizePt, const QString& text);
// Millimetres from one line's top to the next one's.
double lineSpacing(const TextStyle& style, double sizePt);
// Millimetres from a box's inner top (inside its vertical padding, boxHeight tall) to the top of a
// text's first line, set at sizePt in `lines` lines as the style aligns it. A text shrunk below
// its style's size keeps the baseline that size would have (aligned to the top) or the bottom of
// its last line (aligned to the bottom), so it stands in line with its neighbours.
double linesTop(const TextStyle& style, double sizePt, int lines, double boxHeight);

// Where the lines after the first start when the text is set in lines no wider than widthMm:
// between words where it can, inside a word only when the word alone is wider than a line, and
// always after a line break in the text.
std::vector<int> wrap(const TextStyle& style, double sizePt, const QString& text, double widthMm);
// Where the lines after the first start when only the text's own line breaks end lines.
std::vector<int> paragraphBreaks(const QString& text);

// Line i of a text cut at breaks, without the blanks and the line break that end it.
QStringView line(const QString& text, const std::vector<int>& breaks, size_t i);

}  // namespace report::metrics
