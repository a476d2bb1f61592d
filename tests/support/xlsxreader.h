#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// Reads back what an export wrote: the members of a zip file (stored or deflated, through zlib) and
// the parts of an .xlsx workbook that matter to a person opening it, parsed with QXmlStreamReader.
namespace xlsx {

// The members of a zip file by name; empty when the file is no zip or a member cannot be inflated.
QMap<QString, QByteArray> unzip(const QString& path, QString* error = nullptr);

struct Cell {
    QString type;  // the cell's t attribute: "inlineStr", "s", "str", "b", or "" for a number
    QString text;  // the value as the file holds it (a number's digits, a string's text)
    int style = 0;
};

struct Style {
    int numFmtId = 0;
    QString formatCode;  // the custom format's code, or "@" / "General" for the built-in ones used
    bool bold = false;
};

struct Sheet {
    QString name;
    QList<QList<Cell>> rows;      // by row, each by column (missing cells are empty ones)
    QString frozenTopLeft;        // the pane's top-left cell when frozen ("A2"), else empty
    QString autoFilter;           // the autofilter's range ("A1:E4"), else empty
    QList<double> widths;         // per column, 0 where none was set
    QList<int> columnStyles;      // per column, the style of the column itself
    // The style of a cell.
    Style styleOf(const Cell& cell) const { return styles.value(cell.style); }
    QList<Style> styles;
};

struct Workbook {
    QList<Sheet> sheets;
    QString error;  // why it could not be read; empty when it was
};

Workbook read(const QString& path);

}  // namespace xlsx
