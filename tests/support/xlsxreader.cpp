#include "xlsxreader.h"

#include <QFile>
#include <QXmlStreamReader>

#include <zlib.h>

#include <cstring>

namespace xlsx {

namespace {

quint32 u32(const QByteArray& b, qsizetype at)
{
    if (at < 0 || at + 4 > b.size())
        return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData() + at);
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<quint32>(p[3]) << 24);
}

quint16 u16(const QByteArray& b, qsizetype at)
{
    if (at < 0 || at + 2 > b.size())
        return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData() + at);
    return static_cast<quint16>(p[0] | (p[1] << 8));
}

bool inflateRaw(const char* data, qsizetype size, qsizetype expected, QByteArray& out)
{
    out.resize(expected);
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        return false;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    z.avail_in = static_cast<uInt>(size);
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(expected);
    const int r = inflate(&z, Z_FINISH);
    inflateEnd(&z);
    return r == Z_STREAM_END && z.total_out == static_cast<uLong>(expected);
}

// "BC12" → column 1 (zero-based), or -1.
int columnOf(const QString& ref)
{
    int col = 0;
    int letters = 0;
    for (const QChar ch : ref) {
        if (ch < u'A' || ch > u'Z')
            break;
        col = col * 26 + (ch.unicode() - u'A' + 1);
        ++letters;
    }
    return letters ? col - 1 : -1;
}

QString builtInFormat(int id)
{
    switch (id) {
    case 0: return QStringLiteral("General");
    case 49: return QStringLiteral("@");
    case 14: return QStringLiteral("m/d/yyyy");
    default: return QString();
    }
}

QList<Style> readStyles(const QByteArray& xml)
{
    QMap<int, QString> formats;
    QList<bool> boldFonts;
    QList<Style> styles;
    QXmlStreamReader r(xml);
    bool inFonts = false, inFont = false, inXfs = false;
    while (!r.atEnd()) {
        r.readNext();
        const QStringView name = r.name();
        if (r.isStartElement()) {
            if (name == u"numFmt")
                formats[r.attributes().value(QLatin1StringView("numFmtId")).toInt()] = r.attributes().value(QLatin1StringView("formatCode")).toString();
            else if (name == u"fonts")
                inFonts = true;
            else if (inFonts && name == u"font") {
                inFont = true;
                boldFonts << false;
            } else if (inFont && name == u"b")
                boldFonts.last() = true;
            else if (name == u"cellXfs")
                inXfs = true;
            else if (inXfs && name == u"xf") {
                Style s;
                s.numFmtId = r.attributes().value(QLatin1StringView("numFmtId")).toInt();
                s.formatCode = formats.value(s.numFmtId, builtInFormat(s.numFmtId));
                s.bold = boldFonts.value(r.attributes().value(QLatin1StringView("fontId")).toInt());
                styles << s;
            }
        } else if (r.isEndElement()) {
            if (name == u"fonts")
                inFonts = false;
            else if (name == u"font")
                inFont = false;
            else if (name == u"cellXfs")
                inXfs = false;
        }
    }
    return styles;
}

QStringList readSharedStrings(const QByteArray& xml)
{
    QStringList out;
    QXmlStreamReader r(xml);
    QString current;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == u"si")
            current.clear();
        else if (r.isStartElement() && r.name() == u"t")
            current += r.readElementText();
        else if (r.isEndElement() && r.name() == u"si")
            out << current;
    }
    return out;
}

QString readSheet(const QByteArray& xml, const QStringList& shared, Sheet& sheet)
{
    QXmlStreamReader r(xml);
    int row = -1;
    Cell cell;
    int col = -1;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            const QStringView name = r.name();
            const QXmlStreamAttributes a = r.attributes();
            if (name == u"pane") {
                if (a.value(QLatin1StringView("state")) == u"frozen")
                    sheet.frozenTopLeft = a.value(QLatin1StringView("topLeftCell")).toString();
            } else if (name == u"col") {
                const int first = a.value(QLatin1StringView("min")).toInt(), last = a.value(QLatin1StringView("max")).toInt();
                for (int c = first; c <= last && c > 0; ++c) {
                    while (sheet.widths.size() < c) {
                        sheet.widths << 0;
                        sheet.columnStyles << 0;
                    }
                    sheet.widths[c - 1] = a.value(QLatin1StringView("width")).toDouble();
                    sheet.columnStyles[c - 1] = a.value(QLatin1StringView("style")).toInt();
                }
            } else if (name == u"row") {
                row = a.value(QLatin1StringView("r")).toInt() - 1;
                while (sheet.rows.size() <= row)
                    sheet.rows << QList<Cell>();
            } else if (name == u"c") {
                cell = Cell();
                cell.type = a.value(QLatin1StringView("t")).toString();
                cell.style = a.value(QLatin1StringView("s")).toInt();
                col = columnOf(a.value(QLatin1StringView("r")).toString());
            } else if (name == u"v") {
                cell.text = r.readElementText();
                if (cell.type == u"s")
                    cell.text = shared.value(cell.text.toInt());
            } else if (name == u"t") {
                cell.text += r.readElementText();
            } else if (name == u"autoFilter") {
                sheet.autoFilter = a.value(QLatin1StringView("ref")).toString();
            }
        } else if (r.isEndElement() && r.name() == u"c") {
            if (row < 0 || col < 0)
                return QStringLiteral("a cell outside a row or without a reference");
            QList<Cell>& cells = sheet.rows[row];
            while (cells.size() <= col)
                cells << Cell();
            cells[col] = cell;
        }
    }
    if (r.hasError())
        return QStringLiteral("sheet XML: %1 (line %2)").arg(r.errorString()).arg(r.lineNumber());
    return {};
}

}  // namespace

QMap<QString, QByteArray> unzip(const QString& path, QString* error)
{
    QMap<QString, QByteArray> out;
    const auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return QMap<QString, QByteArray>();
    };
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot open %1").arg(path));
    const QByteArray z = f.readAll();
    // The end of the central directory: its signature, searched from the end.
    qsizetype end = -1;
    for (qsizetype i = z.size() - 22; i >= 0 && i >= z.size() - 22 - 65535; --i)
        if (u32(z, i) == 0x06054b50) {
            end = i;
            break;
        }
    if (end < 0)
        return fail(QStringLiteral("no zip"));
    const int entries = u16(z, end + 10);
    qsizetype at = u32(z, end + 16);
    for (int e = 0; e < entries; ++e) {
        if (u32(z, at) != 0x02014b50)
            return fail(QStringLiteral("bad central directory"));
        const int method = u16(z, at + 10);
        const quint32 compressed = u32(z, at + 20);
        const quint32 size = u32(z, at + 24);
        const int nameLength = u16(z, at + 28), extraLength = u16(z, at + 30), commentLength = u16(z, at + 32);
        const quint32 local = u32(z, at + 42);
        const QString name = QString::fromUtf8(z.mid(at + 46, nameLength));
        at += 46 + nameLength + extraLength + commentLength;
        if (u32(z, local) != 0x04034b50)
            return fail(QStringLiteral("bad local header of %1").arg(name));
        const qsizetype data = local + 30 + u16(z, local + 26) + u16(z, local + 28);
        if (data + compressed > z.size())
            return fail(QStringLiteral("%1 cut short").arg(name));
        QByteArray member;
        if (method == 0)
            member = z.mid(data, compressed);
        else if (method != 8 || !inflateRaw(z.constData() + data, compressed, size, member))
            return fail(QStringLiteral("cannot inflate %1").arg(name));
        out.insert(name, member);
    }
    return out;
}

Workbook read(const QString& path)
{
    Workbook book;
    const QMap<QString, QByteArray> parts = unzip(path, &book.error);
    if (parts.isEmpty()) {
        if (book.error.isEmpty())
            book.error = QStringLiteral("empty zip");
        return book;
    }
    const QList<Style> styles = readStyles(parts.value(QStringLiteral("xl/styles.xml")));
    const QStringList shared = readSharedStrings(parts.value(QStringLiteral("xl/sharedStrings.xml")));
    // The sheets in the workbook's order, found through its relationships.
    QMap<QString, QString> targets;
    QXmlStreamReader rels(parts.value(QStringLiteral("xl/_rels/workbook.xml.rels")));
    while (!rels.atEnd())
        if (rels.readNext() == QXmlStreamReader::StartElement && rels.name() == u"Relationship")
            targets[rels.attributes().value(QLatin1StringView("Id")).toString()] = rels.attributes().value(QLatin1StringView("Target")).toString();
    QXmlStreamReader wb(parts.value(QStringLiteral("xl/workbook.xml")));
    while (!wb.atEnd()) {
        if (wb.readNext() != QXmlStreamReader::StartElement || wb.name() != u"sheet")
            continue;
        Sheet sheet;
        sheet.name = wb.attributes().value(QLatin1StringView("name")).toString();
        sheet.styles = styles;
        QString target;
        for (const QXmlStreamAttribute& a : wb.attributes())
            if (a.name() == u"id")
                target = targets.value(a.value().toString());
        const QString member = target.startsWith(u'/') ? target.mid(1) : QStringLiteral("xl/") + target;
        if (!parts.contains(member)) {
            book.error = QStringLiteral("no member %1").arg(member);
            return book;
        }
        const QString why = readSheet(parts.value(member), shared, sheet);
        if (!why.isEmpty()) {
            book.error = why;
            return book;
        }
        book.sheets << sheet;
    }
    if (wb.hasError())
        book.error = wb.errorString();
    return book;
}

}  // namespace xlsx
