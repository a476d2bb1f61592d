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
// what it says, and how it looks (an index into the report's styles).
struct PreparedText {
    QRectF rect;
    QString text;
    int style = 0;
};

struct PreparedPage {
    QSizeF size;  // millimetres
    std::vector<PreparedText> texts;
};

// Every page of a report, laid out and filled: what the preview shows, prints and saves.
struct PreparedReport {
    QString title;
    std::vector<TextStyle> styles;
    std::vector<PreparedPage> pages;

    int pageCount() const { return static_cast<int>(pages.size()); }
    int addStyle(const TextStyle& style);

    // A page's texts as lines of reading: texts whose tops are level, left to right, joined by
    // " | " (a text's own line breaks become blanks).
    QStringList lines(int pageIndex) const;
    // Every page's lines under a "=== N. oldal ===" heading: a readable form for comparisons.
    QString plainText() const;
};

// The program's own prepared-report file (JSON, extension .frp): saved from the preview and
// opened there again without the database. Both raise Error.
void savePrepared(const PreparedReport& report, const QString& fileName);
PreparedReport loadPrepared(const QString& fileName);

}  // namespace report
