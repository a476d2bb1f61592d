#include "maintenance/legacy_format.h"

#include <QBuffer>
#include <QTest>

#include <optional>

using legacy::BadByte;
using legacy::FileLayout;

Q_DECLARE_METATYPE(std::optional<BadByte::Kind>)

namespace {

const FileLayout& layoutOf(const QString& fileName)
{
    for (const FileLayout& f : legacy::importFiles())
        if (f.fileName == fileName)
            return f;
    qFatal("no layout %s", qPrintable(fileName));
}

// A line with each text placed at its first column (counted from 1), blanks between.
QByteArray placed(const QList<std::pair<int, QByteArray>>& parts, int width = 0)
{
    QByteArray line;
    for (const auto& [first, text] : parts) {
        if (line.size() < first - 1)
            line.append(QByteArray(first - 1 - line.size(), ' '));
        line = line.left(first - 1) + text + line.mid(first - 1 + text.size());
    }
    if (line.size() < width)
        line.append(QByteArray(width - line.size(), ' '));
    return line;
}

QByteArray w1250(const char* utf8)
{
    // The fixture texts hold only Latin and Hungarian letters; Qt's codec is not needed for them.
    QByteArray out;
    for (QChar c : QString::fromUtf8(utf8)) {
        switch (c.unicode()) {
        case u'á': out += '\xE1'; break;
        case u'é': out += '\xE9'; break;
        case u'í': out += '\xED'; break;
        case u'ó': out += '\xF3'; break;
        case u'ö': out += '\xF6'; break;
        case u'ő': out += '\xF5'; break;
        case u'ú': out += '\xFA'; break;
        case u'ü': out += '\xFC'; break;
        case u'ű': out += '\xFB'; break;
        case u'Ő': out += '\xD5'; break;
        case u'Ü': out += '\xDC'; break;
        default: out += static_cast<char>(c.unicode()); break;
        }
    }
    return out;
}

}  // namespace

class LegacyFormatTest : public QObject {
    Q_OBJECT
private slots:
    void filesInImportOrder();
    void lineEnds_data();
    void lineEnds();
    void fields_data();
    void fields();
    void readerFindsTheSameLinesInAnyChunks_data();
    void readerFindsTheSameLinesInAnyChunks();
    void readerKeepsTheLayoutsColumns();
    void readerFindsUtf8_data();
    void readerFindsUtf8();
};

void LegacyFormatTest::filesInImportOrder()
{
    QStringList names;
    for (const FileLayout& f : legacy::importFiles())
        names << f.fileName;
    QCOMPARE(names, QStringList({"beszall.txt", "kiszall.txt", "beszall0.txt", "kiszall0.txt", "felado.txt",
                                 "szallito.txt"}));
    // Every field has a parameter in the statement, in order, and no two fields share a column.
    for (const FileLayout& f : legacy::importFiles()) {
        const QString sql = f.insertStatement.join(u' ');
        for (int i = 0; i < f.fields.size(); ++i) {
            QVERIFY2(sql.contains(QStringLiteral(":p%1,").arg(i + 1)) || sql.contains(QStringLiteral(":p%1 ").arg(i + 1)),
                     qPrintable(f.fileName));
            QVERIFY2(sql.contains(f.fields.at(i).column), qPrintable(f.fields.at(i).column));
            if (i > 0)
                QCOMPARE(f.fields.at(i).first, f.fields.at(i - 1).last + 2);  // one separator column
        }
        QVERIFY(!sql.contains(QStringLiteral(":p%1").arg(f.fields.size() + 1)));
    }
}

void LegacyFormatTest::lineEnds_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::newRow("empty file") << QByteArray() << QList<QByteArray>{};
    QTest::newRow("no ending") << QByteArray("a") << QList<QByteArray>{"a"};
    QTest::newRow("CR LF at the end opens no line") << QByteArray("a\r\n") << QList<QByteArray>{"a"};
    QTest::newRow("only a line ending is one blank line") << QByteArray("\r\n") << QList<QByteArray>{""};
    QTest::newRow("CR LF, lone CR, lone LF") << QByteArray("a\r\nb\rc\nd") << QList<QByteArray>{"a", "b", "c", "d"};
    QTest::newRow("blank line between") << QByteArray("a\r\n\r\nb\r\n") << QList<QByteArray>{"a", "", "b"};
    QTest::newRow("CR before CR LF is a blank line") << QByteArray("a\r\r\nb") << QList<QByteArray>{"a", "", "b"};
    QTest::newRow("LF CR is two endings") << QByteArray("a\n\rb") << QList<QByteArray>{"a", "", "b"};
    QTest::newRow("blank lines at the end count") << QByteArray("a\n\n\n") << QList<QByteArray>{"a", "", ""};
    QTest::newRow("NUL is no line ending") << QByteArray("a\0b\nc", 5) << QList<QByteArray>{QByteArray("a\0b", 3), "c"};
}

void LegacyFormatTest::lineEnds()
{
    QFETCH(QByteArray, content);
    QFETCH(QList<QByteArray>, lines);
    QList<QByteArray> got;
    for (const legacy::LineSpan& s : legacy::splitLines(content))
        got << content.mid(s.offset, s.length);
    QCOMPARE(got, lines);
}

void LegacyFormatTest::readerFindsTheSameLinesInAnyChunks_data() { lineEnds_data(); }

void LegacyFormatTest::readerFindsTheSameLinesInAnyChunks()
{
    // The line endings and the chunks of the file fall anywhere: a CR LF split between two chunks
    // is one ending.
    QFETCH(QByteArray, content);
    QFETCH(QList<QByteArray>, lines);
    for (qsizetype chunk : {qsizetype(1), qsizetype(2), qsizetype(3), legacy::LineReader::kChunk}) {
        QBuffer device(&content);
        QVERIFY(device.open(QIODevice::ReadOnly));
        QList<qint64> positions;
        legacy::LineReader reader(device, 1000, [&](qint64 at) { positions << at; }, chunk);
        QList<QByteArray> got;
        while (reader.next()) {
            got << reader.line().toByteArray();
            QCOMPARE(reader.number(), got.size());
            QCOMPARE(reader.atEnd(), got.size() == lines.size());
        }
        QCOMPARE(got, lines);
        QCOMPARE(reader.position(), content.size());
        QVERIFY(!reader.failed());
        QVERIFY(std::is_sorted(positions.begin(), positions.end()));
        QCOMPARE(positions.isEmpty() ? 0 : positions.last(), content.size());
    }
}

void LegacyFormatTest::readerKeepsTheLayoutsColumns()
{
    // Of a line of a million bytes the reader keeps the layout's columns, and knows there was more.
    QByteArray content = "short\r\n" + QByteArray(1000000, 'x') + "\nend";
    QBuffer device(&content);
    QVERIFY(device.open(QIODevice::ReadOnly));
    int chunks = 0;
    legacy::LineReader reader(device, 131, [&](qint64) { ++chunks; }, 4096);
    QVERIFY(reader.next());
    QCOMPARE(reader.line().toByteArray(), QByteArray("short"));
    QVERIFY(!reader.cut());
    QVERIFY(reader.next());
    QCOMPARE(reader.line().toByteArray(), QByteArray(131, 'x'));
    QCOMPARE(reader.length(), 1000000);
    QVERIFY(reader.cut());
    QVERIFY(chunks > 200);  // the caller heard from the reader all along the line
    QVERIFY(reader.next());
    QCOMPARE(reader.line().toByteArray(), QByteArray("end"));
    QVERIFY(!reader.next());
    QCOMPARE(legacy::lastColumn(layoutOf(QStringLiteral("beszall.txt"))), 131);
    QCOMPARE(legacy::lastColumn(layoutOf(QStringLiteral("felado.txt"))), 209);
}

void LegacyFormatTest::readerFindsUtf8_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("line");  // of the first UTF-8 sequence, 0 for none
    QTest::addColumn<QString>("character");
    QTest::newRow("Windows-1250 letters") << w1250("Szűcs Győző, Ősz utca, gyüjtés, ÁÉÍÓÖŐÚÜŰ") << 0 << "";
    QTest::newRow("Windows-1250 letters side by side") << QByteArray("\xC1\xE9 \xD5\xF5 \xC9\xDA") << 0 << "";
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBFKiss") << 1 << QStringLiteral("\uFEFF");
    QTest::newRow("two-byte letter in line 2") << QByteArray("abc\r\nGy\xC5\x91z\xC5\x91") << 2 << "ő";
    QTest::newRow("three-byte character") << QByteArray("x\n\n\xE2\x82\xAC 5") << 3 << "€";
    QTest::newRow("four-byte character") << QByteArray("\xF0\x9F\x90\x84") << 1 << QString::fromUtf8("🐄");
    QTest::newRow("overlong form is no UTF-8") << QByteArray("\xC0\x80 \xE0\x80\x80 \xF0\x80\x80\x80") << 0 << "";
    QTest::newRow("surrogate is no UTF-8") << QByteArray("\xED\xA0\x80") << 0 << "";
    QTest::newRow("past U+10FFFF is no UTF-8") << QByteArray("\xF4\x90\x80\x80") << 0 << "";
    QTest::newRow("sequence cut by a line end") << QByteArray("\xC5\n\x91") << 0 << "";
    QTest::newRow("false start before a sequence") << QByteArray("\xE1\xC3\xA9") << 1 << "é";
}

void LegacyFormatTest::readerFindsUtf8()
{
    QFETCH(QByteArray, content);
    QFETCH(int, line);
    QFETCH(QString, character);
    for (qsizetype chunk : {qsizetype(1), qsizetype(2), legacy::LineReader::kChunk}) {
        QBuffer device(&content);
        QVERIFY(device.open(QIODevice::ReadOnly));
        legacy::LineReader reader(device, 2, {}, chunk);  // the kept columns do not limit the search
        reader.setFindUtf8(true);
        int found = 0;
        QString what;
        while (reader.next())
            if (!found && !reader.utf8Character().isEmpty()) {
                found = reader.number();
                what = reader.utf8Character();
            }
        QCOMPARE(found, line);
        QCOMPARE(what, character);
    }
}

void LegacyFormatTest::fields_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<std::optional<BadByte::Kind>>("bad");
    QTest::addColumn<int>("badColumn");
    const std::optional<BadByte::Kind> clean;

    QTest::newRow("ear tag padded with blanks")
        << "beszall.txt"
        << placed({{1, "    1"}, {7, "   12"}, {13, "      3456789012         "}, {39, "2010.03.01"}, {50, "2010.02.27"},
                   {61, w1250("gyüjtés")}, {87, w1250("EÜ-2010/0001")}}, 131)
        << QStringList{"1", "12", "3456789012", "2010.03.01", "2010.02.27", "gyüjtés", "EÜ-2010/0001"} << clean << 0;
    QTest::newRow("departure line of 60 characters")
        << "kiszall.txt"
        << placed({{1, "    1"}, {7, "2010.03.06"}, {18, "3456789013"}, {44, "    1"}, {50, w1250("hizlalás-kat")}}).left(60)
        << QStringList{"1", "2010.03.06", "3456789013", "1", "hizlalás-ka", "", ""} << clean << 0;
    QTest::newRow("registration number of 23 characters, then the name")
        << "szallito.txt" << placed({{1, "ABC-123-DEF-456-GHI-789"}, {24, " "}, {25, w1250("Kovács Szállító Kft.")}})
        << QStringList{"ABC-123-DEF-456-GHI-789", "Kovács Szállító Kft.", "", ""} << clean << 0;
    QTest::newRow("line ends inside the ear tag")
        << "beszall.txt" << QByteArray("    1     2    12345")
        << QStringList{"1", "2", "12345", "", "", "", ""} << clean << 0;
    QTest::newRow("blank line gives empty texts") << "beszall.txt" << QByteArray()
                                                  << QStringList{"", "", "", "", "", "", ""} << clean << 0;
    QTest::newRow("separator columns and text past the layout are not read")
        << "szallito.txt"
        << placed({{1, "R1"}, {24, "X"}, {25, w1250("Név")}, {70, "Y"}, {71, w1250("Cím")}, {116, "Z"}, {117, "J1"}, {142, "MEGJEGYZES"}},
                  10000)
        << QStringList{"R1", "Név", "Cím", "J1"} << clean << 0;
    QTest::newRow("text running over a field's last column is cut there")
        << "felado.txt" << placed({{1, QByteArray(45, 'N') + "TULLOG"}})
        << QStringList{QString(45, u'N'), "ULLOG", "", "", ""} << clean << 0;
    QTest::newRow("blanks and control characters trimmed at both ends, kept inside")
        << "felado.txt" << placed({{1, "\t\x1A Kiss\tJ\x01nos \x7F"}, {47, QByteArray("\0\0Cim\0", 6)}})
        << QStringList{"Kiss\tJ\x01nos", "Cim", "", "", ""} << clean << 0;
    QTest::newRow("Windows-1250 letters") << "felado.txt" << placed({{1, w1250("Szűcs Győző")}, {47, w1250("Ősz utca")}})
                                          << QStringList{"Szűcs Győző", "Ősz utca", "", "", ""} << clean << 0;
    QTest::newRow("NUL padding is trimmed")
        << "beszall.txt" << placed({{13, QByteArray(19, '\0') + "100031"}})
        << QStringList{"", "", "100031", "", "", "", ""} << clean << 0;
    QTest::newRow("NUL inside a field")
        << "beszall.txt" << placed({{13, QByteArray("    10\0" "032", 10)}, {39, "2010.04.01"}})
        << QStringList{"", "", "10?032", "2010.04.01", "", "", ""} << std::optional(BadByte::Kind::Nul) << 19;
    QTest::newRow("byte Windows-1250 leaves unassigned")
        << "felado.txt" << placed({{1, "Nag\x98 Mez\xF5"}})
        << QStringList{"Nag? Mező", "", "", "", ""} << std::optional(BadByte::Kind::NotWindows1250) << 4;
    QTest::newRow("first bad byte is reported")
        << "kiszall.txt" << placed({{76, "EU\x81"}, {102, QByteArray("K\0I", 3)}})
        << QStringList{"", "", "", "", "", "EU?", "K?I"} << std::optional(BadByte::Kind::NotWindows1250) << 78;
}

void LegacyFormatTest::fields()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, line);
    QFETCH(QStringList, values);
    QFETCH(std::optional<BadByte::Kind>, bad);
    QFETCH(int, badColumn);
    const legacy::ParsedLine parsed = legacy::parseLine(layoutOf(file), line);
    QCOMPARE(parsed.values, values);
    QCOMPARE(parsed.badByte.has_value(), bad.has_value());
    if (bad) {
        QCOMPARE(parsed.badByte->kind, *bad);
        QCOMPARE(parsed.badByte->column, badColumn);
        QCOMPARE(static_cast<int>(static_cast<unsigned char>(line.at(badColumn - 1))),
                 static_cast<int>(parsed.badByte->byte));
        QVERIFY(!legacy::describe(*parsed.badByte).isEmpty());
    }
}

QTEST_GUILESS_MAIN(LegacyFormatTest)
#include "test_legacy_format.moc"
