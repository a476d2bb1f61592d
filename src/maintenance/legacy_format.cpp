#include "maintenance/legacy_format.h"

#include "db/charset.h"

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
