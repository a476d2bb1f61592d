#include "outgoing/takeover_xml.h"

#include "db/charset.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QHash>
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

// Qt's XML reader messages and ours: %1 and %2 carry over. The two built from the parser's
// expectations ("Expected %1, but got '%2'.", "Unexpected '%1'.") are worded apart.
struct QtXmlText {
    const char* qt;
    const char* ours;
};
constexpr QtXmlText kQtXmlTexts[] = {
    {"Extra content at end of document.", "a dokumentum fő eleme után még tartalom áll"},
    {"Self-referencing entity detected.", "egy entitás önmagára hivatkozik"},
    {"Entity expands to more characters than the entity expansion limit.",
     "egy entitás kifejtve több karakter lenne, mint amennyit a program elfogad"},
    {"Premature end of document.", "a fájl idő előtt véget ér, a vége hiányzik"},
    {"Invalid document.", "a fájl nem XML-dokumentum"},
    {"Attribute '%1' redefined.", "a(z) „%1” attribútum kétszer szerepel egy elemben"},
    {"Expected character data.", "itt szövegnek kellene állnia"},
    {"Invalid entity value.", "érvénytelen entitásérték"},
    {"Invalid XML version string.", "érvénytelen XML-verziószám"},
    {"Unsupported XML version.", "nem támogatott XML-verzió"},
    {"Encoding %1 is unsupported", "a(z) „%1” karakterkódolás nem támogatott"},
    {"Namespace prefix '%1' not declared", "a(z) „%1” névtér-előtag nincs deklarálva"},
    {"Illegal namespace declaration.", "szabálytalan névtér-deklaráció"},
    {"Unexpected character '%1' in public id literal.", "nem megengedett „%1” karakter a nyilvános azonosítóban"},
    {"Encountered incorrectly encoded content.", "hibásan kódolt tartalom"},
    {"Sequence ']]>' not allowed in content.", "a „]]>” jelsorozat nem állhat a szövegben"},
    {"The standalone pseudo attribute must appear after the encoding.",
     "az XML-deklarációban a „standalone” csak az „encoding” után állhat"},
    {"%1 is an invalid encoding name.", "a(z) „%1” nem érvényes karakterkódolás-név"},
    {"Invalid attribute in XML declaration.", "érvénytelen jellemző az XML-deklarációban"},
    {"Standalone accepts only yes or no.", "a „standalone” értéke csak „yes” vagy „no” lehet"},
    {"Invalid XML character.", "nem megengedett karakter"},
    {"Start tag expected.", "itt egy elem nyitócímkéjének kellene állnia"},
    {"Invalid XML name.", "érvénytelen XML-név"},
    {"Entity '%1' not declared.", "a(z) „%1” entitás nincs deklarálva"},
    {"Invalid character reference.", "érvénytelen karakterhivatkozás"},
    {"NDATA in parameter entity declaration.", "NDATA egy paraméter-entitás deklarációjában"},
    {"XML declaration not at start of document.", "az XML-deklaráció nem a fájl elején áll"},
    {"%1 is an invalid processing instruction name.", "a(z) „%1” nem érvényes feldolgozási utasítás név"},
    {"Invalid processing instruction name.", "érvénytelen feldolgozási utasítás név"},
    {"%1 is an invalid PUBLIC identifier.", "a(z) „%1” nem érvényes PUBLIC azonosító"},
    {"Opening and ending tag mismatch.", "a zárócímke nem az utoljára nyitott elemet zárja"},
    {"Reference to unparsed entity '%1'.", "hivatkozás a(z) „%1” entitásra, amely nem szöveg (NDATA)"},
    {"Reference to external entity '%1' in attribute value.",
     "egy attribútum értéke a(z) „%1” külső entitásra hivatkozik, a program külső fájlt nem olvas be"},
};
constexpr const char* kExpectedButGot = "Expected %1, but got '%2'.";
constexpr const char* kUnexpected = "Unexpected '%1'.";

// A message pattern of Qt as a regular expression, its %1 and %2 caught.
QRegularExpression patternOf(const QString& text)
{
    static const QRegularExpression placeholder(QStringLiteral("%[12]"));
    QString re;
    qsizetype from = 0;
    for (auto it = placeholder.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        re += QRegularExpression::escape(text.mid(from, m.capturedStart() - from)) + QStringLiteral("(.*)");
        from = m.capturedEnd();
    }
    re += QRegularExpression::escape(text.mid(from));
    return QRegularExpression(QStringLiteral("^") + re + QStringLiteral("$"),
                              QRegularExpression::DotMatchesEverythingOption);
}

// The match of message against Qt's pattern in English or as translated.
QRegularExpressionMatch matchQt(const QString& message, const char* qtText)
{
    const QString english = QString::fromLatin1(qtText);
    QRegularExpressionMatch m = patternOf(english).match(message);
    if (m.hasMatch())
        return m;
    const QString translated = QCoreApplication::translate("QXmlStream", qtText);
    if (translated != english)
        m = patternOf(translated).match(message);
    return m;
}

// One of the parser's token names, for the person.
QString tokenWords(const QString& token)
{
    if (token == u"end of file" || token == QCoreApplication::translate("QXmlStream", "end of file"))
        return QStringLiteral("a fájl vége");
    if (token == u"[a-zA-Z]")
        return QStringLiteral("betű");
    return QStringLiteral("„%1”").arg(token);
}

// "'<', '&', or '>'" (or its translation) as "„<”, „&” vagy „>”".
QString expectedWords(const QString& list)
{
    static const QRegularExpression quoted(QStringLiteral("'([^']*)'|„([^”]*)”|\"([^\"]*)\""));
    QStringList items;
    for (auto it = quoted.globalMatch(list); it.hasNext();) {
        const auto m = it.next();
        for (int i = 1; i <= 3; ++i)
            if (m.capturedStart(i) >= 0) {
                items << tokenWords(m.captured(i));
                break;
            }
    }
    if (items.isEmpty())
        return {};
    const QString last = items.takeLast();
    return items.isEmpty() ? last : items.join(QStringLiteral(", ")) + QStringLiteral(" vagy ") + last;
}

// Why the reader stopped, for the person, but for the cases its words do not say well.
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
    return xmlReaderMessage(reader.errorString());
}

// An entity reference the reader does not resolve: where it stands and why.
struct Unresolved {
    qsizetype at = -1;  // offset of its "&" or "%" in the text; -1 when every reference resolves
    QString why;
};

// Finds entity references that Qt's reader passes over without a value. The reader expands the
// predefined entities, character references and the entities declared with a value in the
// document's own DTD; a reference to an entity declared SYSTEM or PUBLIC is dropped without a word
// (it never fetches another file), and one left undeclared under an external DTD comes out as a
// bare reference token. This walk reads the text the reader has already found well-formed: markup
// is skipped, and every reference in content and attribute values is looked up.
class ReferenceCheck {
public:
    ReferenceCheck(const QString& text, const QXmlStreamEntityDeclarations& declarations) : m_text(text)
    {
        // The first declaration of a name counts, as in XML.
        for (const QXmlStreamEntityDeclaration& d : declarations)
            if (!m_declared.contains(d.name().toString()))
                m_declared.insert(d.name().toString(), d);
    }

    Unresolved firstUnresolved()
    {
        const qsizetype n = m_text.size();
        qsizetype i = 0;
        while (i < n) {
            const QChar c = m_text.at(i);
            if (c == u'&') {
                if (const auto why = checkGeneral(i))
                    return {i, *why};
                ++i;
            } else if (c == u'<') {
                const auto end = skipMarkup(i);
                if (m_found.at >= 0)
                    return m_found;
                i = end;
            } else {
                ++i;
            }
        }
        return {};
    }

private:
    bool startsAt(qsizetype i, QLatin1StringView s) const { return QStringView(m_text).mid(i).startsWith(s); }

    qsizetype after(qsizetype from, QLatin1StringView end) const
    {
        const qsizetype at = m_text.indexOf(end, from);
        return at < 0 ? m_text.size() : at + end.size();
    }

    // The end of the markup that starts at i; references in attribute values and parameter-entity
    // references in the document type are checked on the way (the first unresolved one is kept).
    qsizetype skipMarkup(qsizetype i)
    {
        if (startsAt(i, QLatin1StringView("<!--")))
            return after(i + 4, QLatin1StringView("-->"));
        if (startsAt(i, QLatin1StringView("<![CDATA[")))
            return after(i + 9, QLatin1StringView("]]>"));
        if (startsAt(i, QLatin1StringView("<?")))
            return after(i + 2, QLatin1StringView("?>"));
        if (startsAt(i, QLatin1StringView("<!DOCTYPE")))
            return skipDocumentType(i + 9);
        // A tag: quoted attribute values may hold references.
        QChar quote;
        for (qsizetype j = i + 1; j < m_text.size(); ++j) {
            const QChar c = m_text.at(j);
            if (!quote.isNull()) {
                if (c == quote) {
                    quote = QChar();
                } else if (c == u'&') {
                    if (const auto why = checkGeneral(j)) {
                        m_found = {j, *why};
                        return j;
                    }
                }
            } else if (c == u'"' || c == u'\'') {
                quote = c;
            } else if (c == u'>') {
                return j + 1;
            }
        }
        return m_text.size();
    }

    qsizetype skipDocumentType(qsizetype i)
    {
        const qsizetype n = m_text.size();
        bool inSubset = false;
        while (i < n) {
            const QChar c = m_text.at(i);
            if (c == u'"' || c == u'\'') {
                const qsizetype close = m_text.indexOf(c, i + 1);
                i = close < 0 ? n : close + 1;
            } else if (inSubset && startsAt(i, QLatin1StringView("<!--"))) {
                i = after(i + 4, QLatin1StringView("-->"));
            } else if (inSubset && startsAt(i, QLatin1StringView("<?"))) {
                i = after(i + 2, QLatin1StringView("?>"));
            } else if (inSubset && c == u'%') {
                const auto name = nameAt(i + 1);
                if (name && !isInternal(*name)) {
                    m_found = {i, QStringLiteral("a(z) „%%1;” paraméter-entitás %2").arg(*name, missingValue(*name))};
                    return i;
                }
                ++i;
            } else if (c == u'[') {
                inSubset = true;
                ++i;
            } else if (c == u']') {
                inSubset = false;
                ++i;
            } else if (c == u'>' && !inSubset) {
                return i + 1;
            } else {
                ++i;
            }
        }
        return n;
    }

    // The name of a reference whose name starts at i and ends with ";", if it is one.
    std::optional<QString> nameAt(qsizetype i) const
    {
        qsizetype j = i;
        while (j < m_text.size() && m_text.at(j) != u';' && !m_text.at(j).isSpace() && m_text.at(j) != u'<' &&
               m_text.at(j) != u'&' && m_text.at(j) != u'%' && j - i < 1000)
            ++j;
        if (j == i || j >= m_text.size() || m_text.at(j) != u';')
            return std::nullopt;
        return m_text.mid(i, j - i);
    }

    bool isInternal(const QString& name) const
    {
        const auto it = m_declared.constFind(name);
        return it != m_declared.cend() && it->systemId().isEmpty() && it->publicId().isEmpty() &&
               it->notationName().isEmpty();
    }

    // Why an entity the reader cannot expand has no value.
    QString missingValue(const QString& name) const
    {
        const auto it = m_declared.constFind(name);
        if (it == m_declared.cend())
            return QStringLiteral("nincs deklarálva a fájlban, így nincs értéke (külső DTD-t a program nem olvas be)");
        if (!it->notationName().isEmpty())
            return QStringLiteral("nem szöveg (NDATA), így nincs értéke");
        const QString where = it->systemId().isEmpty() ? it->publicId().toString() : it->systemId().toString();
        return QStringLiteral("értéke egy külső fájlban volna („%1”), a program külső fájlt nem olvas be").arg(where);
    }

    // A general entity reference ("&name;") at i: nothing when the reader expands it, else why not.
    std::optional<QString> checkGeneral(qsizetype i)
    {
        if (i + 1 < m_text.size() && m_text.at(i + 1) == u'#')
            return std::nullopt;  // a character reference
        const auto name = nameAt(i + 1);
        if (!name)
            return std::nullopt;  // no reference: the reader has judged the text already
        return resolve(*name, 0);
    }

    std::optional<QString> resolve(const QString& name, int depth)
    {
        static const QStringList predefined = {QStringLiteral("lt"), QStringLiteral("gt"), QStringLiteral("amp"),
                                               QStringLiteral("apos"), QStringLiteral("quot")};
        if (predefined.contains(name))
            return std::nullopt;
        if (const auto known = m_resolved.constFind(name); known != m_resolved.cend())
            return *known;
        std::optional<QString> why;
        if (!isInternal(name)) {
            why = QStringLiteral("a(z) „&%1;” entitás %2").arg(name, missingValue(name));
        } else if (depth < 64) {
            // An entity's value is expanded where it is used, with the references it holds.
            m_resolved.insert(name, std::nullopt);  // a loop is the reader's to refuse
            const QString value = m_declared.value(name).value().toString();
            for (qsizetype at = value.indexOf(u'&'); at >= 0 && !why; at = value.indexOf(u'&', at + 1)) {
                if (at + 1 < value.size() && value.at(at + 1) == u'#')
                    continue;
                qsizetype end = value.indexOf(u';', at + 1);
                if (end < 0)
                    break;
                if (const auto inner = resolve(value.mid(at + 1, end - at - 1), depth + 1))
                    why = QStringLiteral("a(z) „&%1;” entitás értékében %2").arg(name, *inner);
            }
        }
        m_resolved.insert(name, why);
        return why;
    }

    const QString& m_text;
    QHash<QString, QXmlStreamEntityDeclaration> m_declared;
    QHash<QString, std::optional<QString>> m_resolved;
    Unresolved m_found;
};

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

QString xmlReaderMessage(const QString& qtMessage)
{
    const QString message = qtMessage.trimmed();
    if (const auto m = matchQt(message, kExpectedButGot); m.hasMatch()) {
        const QString expected = expectedWords(m.captured(1));
        const QString got = tokenWords(m.captured(2));
        if (expected.isEmpty())
            return QStringLiteral("itt nem állhat %1").arg(got);
        return got == u"a fájl vége" ? QStringLiteral("itt %1 következne, de a fájl véget ér").arg(expected)
                                     : QStringLiteral("itt %1 következne, nem %2").arg(expected, got);
    }
    if (const auto m = matchQt(message, kUnexpected); m.hasMatch()) {
        const QString got = tokenWords(m.captured(1));
        return got == u"a fájl vége" ? QStringLiteral("a fájl váratlanul véget ér")
                                     : QStringLiteral("itt nem állhat %1").arg(got);
    }
    for (const QtXmlText& t : kQtXmlTexts) {
        const auto m = matchQt(message, t.qt);
        if (!m.hasMatch())
            continue;
        QString ours = QString::fromUtf8(t.ours);
        for (int i = 1; i <= m.lastCapturedIndex(); ++i)
            ours = ours.arg(m.captured(i));
        return ours;
    }
    return QStringLiteral("a fájl nem szabályos XML");
}

RecordFile readRecords(const QByteArray& content, const QString& name)
{
    Decoded decoded = decode(content, name);
    if (!decoded.error.isEmpty())
        return {{}, decoded.error};

    RecordFile out;
    QXmlStreamReader reader(decoded.text);
    QXmlStreamEntityDeclarations declarations;
    // The texts of the records that are open, in document order. A record's values are the texts
    // from its start to its end, a contiguous run of this list: a record is where its run begins,
    // and the run is cut to its first values when the record ends. A text is kept only while the
    // innermost open record still takes values (the outer ones began earlier, so they hold at
    // least as many): each record costs at most kValuesKept texts, whatever the nesting.
    QStringList values;
    struct Open {
        qsizetype record;
        qsizetype begin;
    };
    std::vector<Open> open;
    // Adjacent character data is one text, as a document's text node is.
    QString text;
    const auto endText = [&] {
        if (text.isEmpty())
            return;
        // White space only is the layout between elements, no value.
        if (!open.empty() && values.size() - open.back().begin < kValuesKept && !isXmlWhiteSpace(text))
            values << trimBlanksAndControls(text);
        text.clear();
    };
    static const QString recordName = QStringLiteral("Records");
    bool bareReference = false;
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
                open.push_back({out.records.size() - 1, values.size()});
            }
            break;
        case QXmlStreamReader::EndElement:
            endText();
            if (reader.name() == recordName && !open.empty()) {
                const Open record = open.back();
                open.pop_back();
                out.records[record.record] =
                    values.mid(record.begin, std::min<qsizetype>(kValuesKept, values.size() - record.begin));
                if (open.empty())
                    values.clear();
            }
            break;
        case QXmlStreamReader::DTD:
            endText();
            declarations = reader.entityDeclarations();
            break;
        case QXmlStreamReader::EntityReference:
            // A name the reader could not expand (undeclared under an external DTD): its value is
            // missing from the text, found again below with where it stands.
            endText();
            bareReference = true;
            break;
        default:  // comments, processing instructions and the like give nothing
            endText();
            break;
        }
    }
    if (reader.hasError())
        return {{}, unreadable(name, position(reader.lineNumber(), reader.columnNumber()),
                               readerFailure(reader, decoded.text))};
    const Unresolved unresolved = ReferenceCheck(decoded.text, declarations).firstUnresolved();
    if (unresolved.at >= 0)
        return {{}, unreadable(name, positionOf(decoded.text, unresolved.at), unresolved.why)};
    if (bareReference)
        return {{}, unreadable(name, position(reader.lineNumber(), reader.columnNumber()),
                               QStringLiteral("egy entitásnak nincs értéke (külső DTD-t a program nem olvas be)"))};
    return out;
}

RecordFile readRecordFile(const QString& fileName)
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
                                : QStringLiteral("a rendszer nem engedi megnyitni");
        return {{}, QStringLiteral("A(z) \"%1\" fájl nem nyitható meg: %2").arg(shown, why)};
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {{}, QStringLiteral("A(z) \"%1\" fájl nem olvasható: olvasási hiba a lemezen").arg(shown)};
    return readRecords(content, fileName);
}

}  // namespace takeover
