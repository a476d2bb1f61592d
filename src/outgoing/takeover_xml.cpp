#include "outgoing/takeover_xml.h"

#include "db/charset.h"

#include <QDomDocument>
#include <QDomNodeList>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

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

// The ear-tag program writes Hungarian letters in a single-byte code page named in the prolog.
// Those files are decoded here by their declaration, so they read the same whether or not this
// Qt's converters know that code page; Unicode files are left to the parser (it also honours a
// byte-order mark).
bool setDocumentContent(QDomDocument& doc, const QByteArray& content)
{
    const QString encoding = declaredEncoding(content);
    const QString lower = encoding.toLower();
    if (encoding.isEmpty() || lower.startsWith(u"utf") || lower.startsWith(u"ucs"))
        return static_cast<bool>(doc.setContent(content));
    QStringDecoder decoder(encoding.toLatin1().constData());
    if (decoder.isValid()) {
        const QString text = decoder.decode(content);
        if (decoder.hasError())
            return false;
        return static_cast<bool>(doc.setContent(text));
    }
    if (isWin1250Name(encoding))
        return static_cast<bool>(
            doc.setContent(fb::fromWin1250(content.constData(), static_cast<int>(content.size()))));
    return static_cast<bool>(doc.setContent(content));  // the parser reports what it cannot read
}

bool isXmlWhiteSpace(const QString& text)
{
    for (QChar c : text)
        if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r')
            return false;
    return true;
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

void travelChildren(const QDomNodeList& nodes, QStringList& values)
{
    // Depth first with a stack of our own: a file nested tens of thousands of levels deep must
    // not exhaust the call stack.
    struct Level {
        QDomNodeList nodes;
        int length;
        int next;
    };
    QList<Level> stack{{nodes, nodes.length(), 0}};
    while (!stack.isEmpty()) {
        Level& level = stack.last();
        if (level.next >= level.length) {
            stack.removeLast();
            continue;
        }
        const QDomNode node = level.nodes.item(level.next++);
        switch (node.nodeType()) {
        case QDomNode::ElementNode:
        case QDomNode::EntityReferenceNode: {
            const QDomNodeList children = node.childNodes();
            stack.append({children, children.length(), 0});
            break;
        }
        case QDomNode::TextNode: {
            // Layout between elements is no text of the document, whether or not the parser
            // kept it.
            const QString text = node.nodeValue();
            if (!isXmlWhiteSpace(text))
                values << trimBlanksAndControls(text);
            break;
        }
        default:  // CDATA sections, comments, processing instructions and the like give nothing
            break;
        }
    }
}

QList<QStringList> readRecords(const QByteArray& content)
{
    QList<QStringList> records;
    QDomDocument doc;
    if (!setDocumentContent(doc, content))
        return records;
    const QDomNodeList elements = doc.elementsByTagName(QStringLiteral("Records"));
    const int count = elements.length();
    records.reserve(count);
    for (int i = 0; i < count; ++i) {
        QStringList values;
        travelChildren(elements.item(i).childNodes(), values);
        records << values;
    }
    return records;
}

QList<QStringList> readRecordFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return readRecords(file.readAll());
}

}  // namespace takeover
