#include "maintenance/legacy_format.h"

#include "db/charset.h"

#include <algorithm>
#include <cstring>

namespace legacy {

namespace {

const QString kDeliveryValues = QStringLiteral("   VALUES             (  :p1,   :p2,      :p3,     :p4,    :p5,   :p6,    :p7  ) ");

QList<Field> arrivalFields()
{
    return {{1, 5, QStringLiteral("BSKOD")},          {7, 11, QStringLiteral("BFKOD")},
            {13, 37, QStringLiteral("BFULSZAM")},     {39, 48, QStringLiteral("BSZKELT"), true},
            {50, 59, QStringLiteral("BVKELT"), true}, {61, 85, QStringLiteral("BHKAT")},
            {87, 131, QStringLiteral("BEUBIZ")}};
}

QList<Field> departureFields()
{
    return {{1, 5, QStringLiteral("KSKOD")},       {7, 16, QStringLiteral("KIKELT"), true},
            {18, 42, QStringLiteral("KFULSZAM")},  {44, 48, QStringLiteral("KFKOD")},
            {50, 74, QStringLiteral("KHKAT")},     {76, 100, QStringLiteral("KEUBIZBE")},
            {102, 126, QStringLiteral("KEUBIZKI")}};
}

FileLayout fileLayout(const char* fileName, const char* table, QStringList insertStatement, QList<Field> fields,
                      int lineFailedNumber, int stopNumber, bool isRegister)
{
    FileLayout f;
    f.fileName = QString::fromLatin1(fileName);
    f.table = QString::fromLatin1(table);
    f.insertStatement = std::move(insertStatement);
    f.fields = std::move(fields);
    f.isRegister = isRegister;
    f.closingMessage = QStringLiteral("A régi %1 adatok átemelve").arg(f.table);
    f.lineFailedMessage = QStringLiteral("Hiba%1: Újban, INSERT az %2 ").arg(lineFailedNumber).arg(f.table);
    f.stopMessage = QStringLiteral("Hiba%1!").arg(stopNumber);
    return f;
}

QList<FileLayout> buildFiles()
{
    return {
        fileLayout("beszall.txt", "beszall",
                   {QStringLiteral("INSERT INTO beszall  ( BSKOD, BFKOD, BFULSZAM, BSZKELT, BVKELT, BHKAT, BEUBIZ  ) "),
                    kDeliveryValues},
                   arrivalFields(), 311, 312, false),
        fileLayout("kiszall.txt", "kiszall",
                   {QStringLiteral("INSERT INTO kiszall  ( KSKOD, KIKELT, KFULSZAM, KFKOD, KHKAT, KEUBIZBE, KEUBIZKI  ) "),
                    kDeliveryValues},
                   departureFields(), 313, 314, false),
        fileLayout("beszall0.txt", "beszall0",
                   {QStringLiteral("INSERT INTO beszall0 ( BSKOD, BFKOD, BFULSZAM, BSZKELT, BVKELT, BHKAT, BEUBIZ  ) "),
                    kDeliveryValues},
                   arrivalFields(), 315, 316, false),
        fileLayout("kiszall0.txt", "kiszall0",
                   {QStringLiteral("INSERT INTO kiszall0 ( KSKOD, KIKELT, KFULSZAM, KFKOD, KHKAT, KEUBIZBE, KEUBIZKI  ) "),
                    kDeliveryValues},
                   departureFields(), 317, 318, false),
        fileLayout("felado.txt", "felado",
                   {QStringLiteral("INSERT INTO felado ( FNEV , FCIM, FTENYKOD, FSZNEV, FSZCIM  ) "),
                    QStringLiteral("   VALUES          (  :p1,   :p2,      :p3,    :p4,    :p5  ) ")},
                   {{1, 45, QStringLiteral("FNEV")},
                    {47, 91, QStringLiteral("FCIM")},
                    {93, 117, QStringLiteral("FTENYKOD")},
                    {119, 163, QStringLiteral("FSZNEV")},
                    {165, 209, QStringLiteral("FSZCIM")}},
                   319, 3110, true),
        fileLayout("szallito.txt", "szallito",
                   {QStringLiteral("INSERT INTO szallito ( SRENDSZAM, SNEV, SCIM, SJOVASZAM  ) "),
                    QStringLiteral("   VALUES            (       :p1,  :p2,  :p3,       :p4  ) ")},
                   {{1, 23, QStringLiteral("SRENDSZAM")},
                    {25, 69, QStringLiteral("SNEV")},
                    {71, 115, QStringLiteral("SCIM")},
                    {117, 141, QStringLiteral("SJOVASZAM")}},
                   3111, 3112, true),
    };
}

// Blanks and control characters, removed from both ends of a field.
bool isTrimmed(unsigned char b) { return b <= 0x20 || b == 0x7F; }

bool isUnassignedInWindows1250(unsigned char b)
{
    return b == 0x81 || b == 0x83 || b == 0x88 || b == 0x90 || b == 0x98;
}

}  // namespace

const QList<FileLayout>& importFiles()
{
    static const QList<FileLayout> files = buildFiles();
    return files;
}

QList<LineSpan> splitLines(QByteArrayView content)
{
    QList<LineSpan> lines;
    const qsizetype n = content.size();
    const char* data = content.data();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char c = data[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.append({start, i - start});
        if (c == '\r' && i + 1 < n && data[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append({start, n - start});
    return lines;
}

int lastColumn(const FileLayout& layout)
{
    int last = 0;
    for (const Field& f : layout.fields)
        last = std::max(last, f.last);
    return last;
}

LineReader::LineReader(QIODevice& device, qsizetype keep, std::function<void(qint64)> hook, qsizetype chunk)
    : m_device(device), m_keep(keep), m_hook(std::move(hook)), m_chunkSize(std::max<qsizetype>(1, chunk))
{
    m_line.reserve(keep);
}

bool LineReader::fill()
{
    while (m_pos >= m_chunk.size() && !m_eof) {
        m_chunkStart += m_chunk.size();
        m_chunk.resize(m_chunkSize);
        const qint64 got = m_device.read(m_chunk.data(), m_chunkSize);
        if (got < 0)
            m_failed = true;
        m_chunk.resize(std::max<qint64>(0, got));
        m_pos = 0;
        m_nextCr = m_nextLf = -1;
        if (got <= 0)
            m_eof = true;
        if (m_skipLf && !m_chunk.isEmpty() && m_chunk.at(0) == '\n')
            m_pos = 1;
        if (!m_chunk.isEmpty() || m_eof)
            m_skipLf = false;
        if (m_hook)
            m_hook(position());
    }
    return m_pos < m_chunk.size();
}

bool LineReader::atEnd()
{
    return !fill();
}

void LineReader::take(const char* from, const char* to)
{
    const qsizetype n = to - from;
    m_length += n;
    if (m_line.size() < m_keep)
        m_line.append(from, std::min(n, m_keep - m_line.size()));
    if (m_findUtf8 && m_utf8Character.isEmpty())
        scanUtf8(reinterpret_cast<const unsigned char*>(from), reinterpret_cast<const unsigned char*>(to));
}

void LineReader::scanUtf8(const unsigned char* from, const unsigned char* to)
{
    for (const unsigned char* p = from; p < to && m_utf8Character.isEmpty(); ++p) {
        const unsigned char b = *p;
        if (m_utf8Needed > 0) {
            if (b >= m_utf8Low && b <= m_utf8High) {
                m_utf8Sequence.append(static_cast<char>(b));
                m_utf8Low = 0x80;
                m_utf8High = 0xBF;
                if (--m_utf8Needed == 0) {
                    // Decoded by hand: Qt's decoders drop a byte-order mark, the very thing sought.
                    const auto* q = reinterpret_cast<const unsigned char*>(m_utf8Sequence.constData());
                    const qsizetype n = m_utf8Sequence.size();
                    char32_t code = q[0] & (n == 2 ? 0x1F : n == 3 ? 0x0F : 0x07);
                    for (qsizetype k = 1; k < n; ++k)
                        code = (code << 6) | (q[k] & 0x3F);
                    m_utf8Character.clear();
                    if (QChar::requiresSurrogates(code))
                        m_utf8Character.append(QChar(QChar::highSurrogate(code))).append(QChar(QChar::lowSurrogate(code)));
                    else
                        m_utf8Character.append(QChar(static_cast<char16_t>(code)));
                }
                continue;
            }
            m_utf8Needed = 0;  // not a continuation: the byte may begin a sequence itself
        }
        if (b < 0x80)
            continue;
        // Lead bytes and the range of the byte that may follow them (no overlong forms, no
        // surrogates, nothing past U+10FFFF).
        m_utf8Low = 0x80;
        m_utf8High = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            m_utf8Needed = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            m_utf8Needed = 2;
            if (b == 0xE0)
                m_utf8Low = 0xA0;
            else if (b == 0xED)
                m_utf8High = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            m_utf8Needed = 3;
            if (b == 0xF0)
                m_utf8Low = 0x90;
            else if (b == 0xF4)
                m_utf8High = 0x8F;
        } else {
            continue;
        }
        m_utf8Sequence = QByteArray(1, static_cast<char>(b));
    }
}

bool LineReader::next()
{
    m_line.clear();
    m_length = 0;
    m_utf8Character.clear();
    m_utf8Needed = 0;
    bool begun = false;  // the line has a byte, or its ending was met
    for (;;) {
        if (!fill()) {
            if (!begun)
                return false;
            ++m_number;
            return true;
        }
        const char* data = m_chunk.constData();
        const qsizetype size = m_chunk.size();
        if (m_nextCr < m_pos) {
            const void* cr = std::memchr(data + m_pos, '\r', static_cast<size_t>(size - m_pos));
            m_nextCr = cr ? static_cast<const char*>(cr) - data : size;
        }
        if (m_nextLf < m_pos) {
            const void* lf = std::memchr(data + m_pos, '\n', static_cast<size_t>(size - m_pos));
            m_nextLf = lf ? static_cast<const char*>(lf) - data : size;
        }
        const qsizetype end = std::min(m_nextCr, m_nextLf);
        take(data + m_pos, data + end);
        begun = true;
        if (end >= size) {
            m_pos = size;
            continue;
        }
        m_pos = end + 1;
        if (data[end] == '\r') {
            if (m_pos < size) {
                if (data[m_pos] == '\n')
                    ++m_pos;
            } else {
                m_skipLf = true;
            }
        }
        ++m_number;
        return true;
    }
}

ParsedLine parseLine(const FileLayout& layout, QByteArrayView line)
{
    ParsedLine parsed;
    parsed.values.reserve(layout.fields.size());
    const qsizetype length = line.size();
    const auto* bytes = reinterpret_cast<const unsigned char*>(line.data());
    for (int f = 0; f < layout.fields.size(); ++f) {
        const Field& field = layout.fields.at(f);
        // Columns count from 1; a short line gives the part of the field that exists.
        qsizetype begin = std::min<qsizetype>(field.first - 1, length);
        qsizetype end = std::min<qsizetype>(field.last, length);
        while (begin < end && isTrimmed(bytes[begin]))
            ++begin;
        while (end > begin && isTrimmed(bytes[end - 1]))
            --end;
        QByteArray text(reinterpret_cast<const char*>(bytes + begin), end - begin);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const auto b = static_cast<unsigned char>(text.at(i));
            if (b != 0 && !isUnassignedInWindows1250(b))
                continue;
            if (!parsed.badByte)
                parsed.badByte = BadByte{b == 0 ? BadByte::Kind::Nul : BadByte::Kind::NotWindows1250,
                                         static_cast<int>(begin + i + 1), b, f};
            text[i] = '?';
        }
        parsed.values << fb::fromWin1250(text.constData(), static_cast<int>(text.size()));
    }
    return parsed;
}

QString describe(const BadByte& bad)
{
    if (bad.kind == BadByte::Kind::Nul)
        return QStringLiteral("a %1. oszlopban NUL bájt áll (sérült sor)").arg(bad.column);
    return QStringLiteral("a %1. oszlopban álló 0x%2 bájt nem Windows-1250 karakter (más kódolású fájl?)")
        .arg(bad.column)
        .arg(QString::number(bad.byte, 16).toUpper());
}

}  // namespace legacy
