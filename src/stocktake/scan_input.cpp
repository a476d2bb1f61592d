#include "stocktake/scan_input.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <algorithm>

#include "core/file_errors.h"

namespace stocktake {

namespace {

// What may stand between the digit groups of a printed ear tag.
bool isSeparator(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'-' || c == u'.' || c == u'/' || c == u':' || c == u'_' ||
           c == QChar(0x00A0);
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Country letters in front of the number: "HU", or three letters at most.
constexpr int kMaxCountryLetters = 3;

// Of a line, only this much is kept: an ear tag with its letters and blanks is far shorter, and a
// refused line is shown this far.
constexpr int kKeptLineLength = 200;

// A reader's file of more ear tags than this is no stock-take of one site.
constexpr qint64 kMaxFileTags = 1000000;

constexpr qint64 kChunk = 64 * 1024;

QString quoted(const QString& text)
{
    return QStringLiteral("„%1”").arg(text);
}

QString fileNamed(const QString& path)
{
    return quoted(QDir::toNativeSeparators(path));
}

// A control character that no text file holds: a NUL byte of a spreadsheet or a picture. Tabs,
// line and page ends, and the DOS end-of-file mark are text.
bool isForeignControl(uint c)
{
    return c < 0x20 && c != 0x09 && c != 0x0A && c != 0x0B && c != 0x0C && c != 0x0D && c != 0x1A;
}

// Gathers a file's lines, decoded, and sorts them into ear tags, blank lines, the header and
// refused lines.
class LineSorter {
public:
    explicit LineSorter(TagFile& file) : m_file(file) {}

    void take(const QString& text, bool overlong)
    {
        const qint64 number = ++m_file.lines;
        if (overlong) {
            refuse(number, text + QStringLiteral("…"), QStringLiteral("túl hosszú sor"));
            return;
        }
        const Reading reading = readEarTag(text);
        switch (reading.kind) {
            case Reading::Kind::Blank:
                ++m_file.blankLines;
                break;
            case Reading::Kind::EarTag:
                m_file.earTags << reading.earTag;
                m_seenContent = true;
                break;
            case Reading::Kind::NotEarTag: {
                // A reader's export may begin with a line naming its columns.
                const bool hasLetter = std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isLetter(); });
                if (!m_seenContent && hasLetter) {
                    m_file.headerLine = number;
                    m_seenContent = true;
                    break;
                }
                refuse(number, text.trimmed(), reading.reason);
                break;
            }
        }
    }

private:
    void refuse(qint64 number, const QString& text, const QString& reason)
    {
        m_seenContent = true;
        ++m_file.refusedCount;
        if (m_file.refused.size() < kMaxRefusedKept)
            m_file.refused.append({number, text, reason});
    }

    TagFile& m_file;
    bool m_seenContent = false;  // a line other than blank ones came already
};

}  // namespace

Reading readEarTag(QStringView text)
{
    const QStringView t = text.trimmed();
    Reading r;
    if (t.isEmpty() || std::all_of(t.begin(), t.end(), [](QChar c) { return isSeparator(c) || c.isSpace(); }))
        return r;
    QString digits;
    int i = 0;
    const int n = static_cast<int>(t.size());
    int letters = 0;
    while (i < n && (t[i].isLetter() || (letters > 0 && isSeparator(t[i]) && i + 1 < n && t[i + 1].isLetter()))) {
        letters += t[i].isLetter() ? 1 : 0;
        ++i;
    }
    auto refuse = [&r](const QString& reason) {
        r.kind = Reading::Kind::NotEarTag;
        r.reason = reason;
        return r;
    };
    for (int j = i; j < n; ++j) {
        const QChar c = t[j];
        if (isAsciiDigit(c))
            digits += c;
        else if (!isSeparator(c) && !c.isSpace())
            return refuse(digits.isEmpty() && !std::any_of(t.begin() + j, t.end(), isAsciiDigit)
                              ? QStringLiteral("nincs benne számjegy")
                              : QStringLiteral("%1 nem lehet a fülszámban").arg(quoted(QString(c))));
    }
    if (digits.isEmpty())
        return refuse(QStringLiteral("nincs benne számjegy"));
    if (letters > kMaxCountryLetters)
        return refuse(QStringLiteral("a szám előtt legfeljebb %1 betű állhat").arg(kMaxCountryLetters));
    if (digits.size() > kMaxEarTagDigits)
        return refuse(QStringLiteral("több mint %1 számjegy").arg(kMaxEarTagDigits));
    r.kind = Reading::Kind::EarTag;
    r.earTag = digits;
    return r;
}

std::variant<TagFile, FileRefusal> readTagFile(const QString& path, const ReadProgress& progress)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return FileRefusal{QStringLiteral("A(z) %1 fájl nem olvasható: %2 Semmi sem került a leltárba.")
                               .arg(fileNamed(path), fileErrorText(f))};
    const qint64 total = f.size();
    if (total == 0 && f.atEnd())
        return FileRefusal{QStringLiteral("A(z) %1 fájl üres, nincs benne fülszám.").arg(fileNamed(path))};

    TagFile result;
    LineSorter sorter(result);
    auto notText = [&](qint64 line) {
        return FileRefusal{QStringLiteral("A(z) %1 fájl nem szövegfájl: a(z) %2. sorában vezérlőkarakter áll (például "
                                          "táblázat vagy kép). Semmi sem került a leltárba.")
                               .arg(fileNamed(path))
                               .arg(line)};
    };

    enum class Encoding { Bytes, Utf16Le, Utf16Be } encoding = Encoding::Bytes;
    QStringDecoder utf16;
    QByteArray chunk;
    qint64 read = 0;
    bool first = true;

    // The line being gathered: bytes (UTF-8 or Windows-1250, decided per line) or UTF-16 text.
    QByteArray lineBytes;
    QString lineText;
    bool overlong = false;
    bool afterCr = false;  // a CR ended the last line: an LF right after it belongs to it
    auto endLine = [&]() {
        QString text;
        if (encoding == Encoding::Bytes) {
            QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            text = utf8.decode(lineBytes);
            if (utf8.hasError()) {
                QStringDecoder win1250("windows-1250");
                text = win1250.isValid() ? QString(win1250.decode(lineBytes)) : QString::fromLatin1(lineBytes);
            }
        } else {
            text = lineText;
        }
        sorter.take(text, overlong);
        lineBytes.clear();
        lineText.clear();
        overlong = false;
    };

    for (;;) {
        chunk = f.read(kChunk);
        if (chunk.isEmpty()) {
            if (f.error() != QFileDevice::NoError || !f.atEnd())
                return FileRefusal{QStringLiteral("A(z) %1 fájl nem olvasható: %2 Semmi sem került a leltárba.")
                                       .arg(fileNamed(path), fileErrorText(f))};
            break;
        }
        read += chunk.size();
        qsizetype start = 0;
        if (first) {
            first = false;
            if (chunk.startsWith("\xEF\xBB\xBF")) {
                start = 3;
            } else if (chunk.startsWith("\xFF\xFE")) {
                encoding = Encoding::Utf16Le;
                utf16 = QStringDecoder(QStringDecoder::Utf16LE);
                start = 2;
            } else if (chunk.startsWith("\xFE\xFF")) {
                encoding = Encoding::Utf16Be;
                utf16 = QStringDecoder(QStringDecoder::Utf16BE);
                start = 2;
            }
        }
        if (encoding == Encoding::Bytes) {
            for (qsizetype i = start; i < chunk.size(); ++i) {
                const auto b = static_cast<unsigned char>(chunk[i]);
                if (b == '\n' && afterCr) {
                    afterCr = false;
                    continue;
                }
                afterCr = false;
                if (b == '\n' || b == '\r') {
                    endLine();
                    afterCr = b == '\r';
                    continue;
                }
                if (isForeignControl(b))
                    return notText(result.lines + 1);
                if (lineBytes.size() < kKeptLineLength)
                    lineBytes.append(static_cast<char>(b));
                else
                    overlong = true;
            }
        } else {
            const QString text = utf16.decode(QByteArrayView(chunk).sliced(start));
            for (const QChar c : text) {
                if (c == u'\n' && afterCr) {
                    afterCr = false;
                    continue;
                }
                afterCr = false;
                if (c == u'\n' || c == u'\r') {
                    endLine();
                    afterCr = c == u'\r';
                    continue;
                }
                if (isForeignControl(c.unicode()))
                    return notText(result.lines + 1);
                if (lineText.size() < kKeptLineLength)
                    lineText.append(c);
                else
                    overlong = true;
            }
        }
        if (result.earTags.size() > kMaxFileTags)
            return FileRefusal{QStringLiteral("A(z) %1 fájlban több mint %2 fülszám áll; ennyi egy leltárba nem "
                                              "fér. Semmi sem került a leltárba.")
                                   .arg(fileNamed(path))
                                   .arg(kMaxFileTags)};
        if (progress && !progress(read, total))
            return FileRefusal{{}, true};
    }
    if (!lineBytes.isEmpty() || !lineText.isEmpty() || overlong)
        endLine();
    if (encoding != Encoding::Bytes && utf16.hasError())
        return notText(result.lines);

    if (result.earTags.isEmpty()) {
        QString message =
            QStringLiteral("A(z) %1 fájlban nincs egy fülszám sem. Semmi sem került a leltárba.").arg(fileNamed(path));
        for (qsizetype i = 0; i < result.refused.size() && i < 5; ++i)
            message += QStringLiteral("\n%1. sor: %2 (%3)")
                           .arg(result.refused[i].line)
                           .arg(quoted(result.refused[i].text), result.refused[i].reason);
        return FileRefusal{message};
    }
    return result;
}

}  // namespace stocktake
