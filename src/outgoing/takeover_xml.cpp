#include "outgoing/takeover_xml.h"

#include "db/charset.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <functional>
#include <optional>
#include <vector>

namespace takeover {

namespace {

// The encoding named in the XML declaration, or an empty text when there is none.
QString declaredEncoding(const QByteArray& content)
{
    static const QRegularExpression decl(
        QStringLiteral("^\\s*<\\?xml[^>]*?\\bencoding\\s*=\\s*[\"']([A-Za-z0-9._:-]+)[\"']"));
    const auto m = decl.match(QString::fromLatin1(content.left(256)));
    return m.hasMatch() ? m.captured(1) : QString();
}

bool isWin1250Name(const QString& name)
{
    const QString n = name.toLower();
    return n == u"windows-1250" || n == u"cp1250" || n == u"x-cp1250";
}

bool isXmlWhiteSpace(const QString& text)
{
    for (QChar c : text)
        if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r')
            return false;
    return true;
}

// "12. sor, 5. oszlop".
QString position(qint64 line, qint64 column)
{
    return QStringLiteral("%1. sor, %2. oszlop").arg(line).arg(std::max<qint64>(column, 1));
}

// Where index stands in text, lines broken as XML breaks them (LF, CR LF, CR).
QString positionOf(const QString& text, qsizetype index)
{
    qint64 line = 1;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < index && i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\n' || (c == u'\r' && (i + 1 >= text.size() || text.at(i + 1) != u'\n'))) {
            ++line;
            lineStart = i + 1;
        }
    }
    return position(line, index - lineStart + 1);
}

QString unreadable(const QString& name, const QString& where, const QString& why)
{
    return QStringLiteral("A(z) \"%1\" fájl nem olvasható be (%2): %3").arg(QDir::toNativeSeparators(name), where, why);
}

qsizetype byteOrderMarkLength(const QByteArray& content)
{
    for (const QByteArray& mark : {QByteArray("\xEF\xBB\xBF"), QByteArray("\xFF\xFE\x00\x00", 4),
                                   QByteArray("\x00\x00\xFE\xFF", 4), QByteArray("\xFF\xFE"), QByteArray("\xFE\xFF")})
        if (content.startsWith(mark))
            return mark.size();
    return 0;
}

// The file's text: by its byte-order mark, else by the encoding its declaration names, else UTF-8.
// The ear-tag program writes Hungarian letters in a single-byte code page named in the prolog;
// those files read the same whether or not this Qt's converters know that code page.
struct Decoded {
    QString text;
    QString error;  // the message when a byte is no character of the encoding, or it is unknown
};

Decoded decode(const QByteArray& content, const QString& name)
{
    std::optional<QStringConverter::Encoding> encoding = QStringConverter::encodingForData(content, u'<');
    QString encodingName;
    if (!encoding) {
        encodingName = declaredEncoding(content);
        const QString lower = encodingName.toLower();
        // A declaration read as ASCII cannot be UTF-16 or UTF-32: such a file came with a mark.
        if (encodingName.isEmpty() || lower.startsWith(u"utf") || lower.startsWith(u"ucs"))
            encoding = QStringConverter::Utf8;
    }
    std::function<QStringDecoder()> makeDecoder;
    if (encoding) {
        makeDecoder = [e = *encoding] { return QStringDecoder(e); };
    } else if (QStringDecoder(encodingName.toLatin1().constData()).isValid()) {
        makeDecoder = [n = encodingName.toLatin1()] { return QStringDecoder(n.constData()); };
    } else if (isWin1250Name(encodingName)) {
        return {fb::fromWin1250(content.constData(), static_cast<int>(content.size())), {}};
    } else {
        return {{}, unreadable(name, position(1, 1),
                               QStringLiteral("ismeretlen karakterkódolás: \"%1\"").arg(encodingName))};
    }
    QStringDecoder decoder = makeDecoder();
    Decoded out{decoder.decode(content), {}};
    if (!decoder.hasError())
        return out;
    // The first byte that is no character: the shortest beginning of the file that fails to decode
    // ends with it (a sequence cut off at the end of a beginning is no failure yet).
    qsizetype good = 0;
    qsizetype bad = content.size();
    while (bad - good > 1) {
        const qsizetype mid = good + (bad - good) / 2;
        QStringDecoder d = makeDecoder();
        const QString decoded = d.decode(QByteArrayView(content.constData(), mid));  // decodes when converted
        (d.hasError() ? bad : good) = mid;
    }
    QStringDecoder d = makeDecoder();
    const QString before = d.decode(QByteArrayView(content.constData(), bad - 1));
    // The failure shows at the byte that cannot follow; the faulty sequence may have begun before
    // it, right after the last character decoded.
    QStringEncoder encoder(decoder.name());
    const QByteArray again = encoder.encode(before);
    const qsizetype start = encoder.hasError() ? bad - 1 : std::min(bad - 1, byteOrderMarkLength(content) + again.size());
    out.text.clear();
    out.error = unreadable(name, positionOf(before, before.size()),
                           QStringLiteral("a(z) %1 kódolásban érvénytelen bájt (0x%2)")
                               .arg(QString::fromLatin1(decoder.name()))
                               .arg(QStringLiteral("%1")
                                        .arg(static_cast<uchar>(content.at(start)), 2, 16, QLatin1Char('0'))
                                        .toUpper()));
    return out;
}

// Why the reader stopped, for the person: Qt's own words (translated with Qt's translations), but
// for the cases its words do not say well.
QString readerFailure(const QXmlStreamReader& reader, const QString& text)
{
    if (reader.error() == QXmlStreamReader::PrematureEndOfDocumentError)
        return isXmlWhiteSpace(text) ? QStringLiteral("a fájl üres")
                                     : QStringLiteral("a fájl idő előtt véget ér, a vége hiányzik");
    const qint64 at = reader.characterOffset() - 1;
    if (at >= 0 && at < text.size()) {
        const QChar c = text.at(at);
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_NotAssigned ||
            c.category() == QChar::Other_Surrogate)
            return QStringLiteral("nem megengedett karakter (U+%1)")
                .arg(QStringLiteral("%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper());
    }
    return reader.errorString();
}

}  // namespace

QString trimBlanksAndControls(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

RecordFile readRecords(const QByteArray& content, const QString& name, int maxValues)
{
    Decoded decoded = decode(content, name);
    if (!decoded.error.isEmpty())
        return {{}, decoded.error};

    RecordFile out;
    QXmlStreamReader reader(decoded.text);
    // The records whose element is open, outermost first. Every text found belongs to each of
    // them; those that hold maxValues already are a leading part of the list (an outer record got
    // every value an inner one got), so the records still taking values start at firstTaking.
    std::vector<qsizetype> open;
    size_t firstTaking = 0;
    const auto full = [&](qsizetype record) { return maxValues >= 0 && out.records.at(record).size() >= maxValues; };
    // Adjacent character data is one text, as a document's text node is.
    QString text;
    const auto endText = [&] {
        if (text.isEmpty())
            return;
        // White space only is the layout between elements, no value.
        if (!isXmlWhiteSpace(text) && firstTaking < open.size()) {
            const QString value = trimBlanksAndControls(text);
            for (size_t i = firstTaking; i < open.size(); ++i)
                out.records[open[i]] << value;
            while (firstTaking < open.size() && full(open[firstTaking]))
                ++firstTaking;
        }
        text.clear();
    };
    static const QString recordName = QStringLiteral("Records");
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::Characters:
            if (reader.isCDATA()) {
                endText();  // a CDATA section gives nothing and parts the texts around it
            } else {
                text += reader.text();
            }
            break;
        case QXmlStreamReader::StartElement:
            endText();
            if (reader.name() == recordName) {
                out.records.append(QStringList());
                open.push_back(out.records.size() - 1);
                if (full(open.back()))
                    firstTaking = open.size();
            }
            break;
        case QXmlStreamReader::EndElement:
            endText();
            if (reader.name() == recordName && !open.empty()) {
                open.pop_back();
                firstTaking = std::min(firstTaking, open.size());
            }
            break;
        default:  // comments, processing instructions, the document type and the like give nothing
            endText();
            break;
        }
    }
    if (reader.hasError())
        return {{}, unreadable(name, position(reader.lineNumber(), reader.columnNumber()),
                               readerFailure(reader, decoded.text))};
    return out;
}

RecordFile readRecordFile(const QString& fileName, int maxValues)
{
    const QFileInfo info(fileName);
    const QString shown = QDir::toNativeSeparators(fileName);
    if (!info.exists())
        return {{}, QStringLiteral("A(z) \"%1\" fájl nem található.").arg(shown)};
    if (info.isDir())
        return {{}, QStringLiteral("A(z) \"%1\" nem fájl, hanem mappa.").arg(shown)};
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        const QString why = file.error() == QFileDevice::PermissionsError
                                ? QStringLiteral("nincs hozzá olvasási jog")
                                : file.errorString();
        return {{}, QStringLiteral("A(z) \"%1\" fájl nem nyitható meg: %2").arg(shown, why)};
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {{}, QStringLiteral("A(z) \"%1\" fájl nem olvasható: %2").arg(shown, file.errorString())};
    return readRecords(content, fileName, maxValues);
}

}  // namespace takeover
