#include "legacy_sample.h"

#include "db/charset.h"
#include "maintenance/legacy_format.h"

#include <QDate>
#include <QFile>

#include <stdexcept>

namespace legacysample {

namespace {

QByteArray lineOf(const legacy::FileLayout& layout, const QStringList& values)
{
    QByteArray line(layout.fields.last().last, ' ');
    for (int f = 0; f < layout.fields.size(); ++f) {
        const legacy::Field& field = layout.fields.at(f);
        const QByteArray text = fb::toWin1250(values.at(f)).left(field.last - field.first + 1);
        line.replace(field.first - 1, text.size(), text);
    }
    return line;
}

QString date(int n)
{
    // Days spread over the years the previous version ran.
    return QDate(2004, 1, 1).addDays(n % 2500).toString(QStringLiteral("yyyy.MM.dd"));
}

QStringList valuesFor(int file, int n, const Counts& c)
{
    const QString carrier = QString::number(1 + n % std::max(1, c.carriers));
    const QString partner = QString::number(1 + (n * 7) % std::max(1, c.partners));
    const QString tag = QString::number(3000000000LL + file * 100000000LL + n);
    const QString cert = QStringLiteral("EÜ-%1/%2").arg(2004 + n % 7).arg(n % 9973, 4, 10, QLatin1Char('0'));
    const QStringList categories = {QStringLiteral("gyüjtés"), QStringLiteral("hizlalás"), QStringLiteral("vágás")};
    const QString category = categories.at(n % 3);
    switch (file) {
    case 0:
    case 2: return {carrier, partner, tag, date(n), date(n + 2500 - 3), category, cert};
    case 1:
    case 3: return {carrier, date(n + 10), tag, partner, category, cert, QStringLiteral("KI-%1").arg(n)};
    case 4:
        return {QStringLiteral("Feladó Győző %1").arg(n), QStringLiteral("Szeged, Fő utca %1.").arg(n),
                QStringLiteral("TK-%1").arg(n), QStringLiteral("Tanya %1").arg(n), QStringLiteral("Ásotthalom %1").arg(n)};
    default:
        return {QStringLiteral("RSZ-%1").arg(n, 6, 10, QLatin1Char('0')), QStringLiteral("Fuvarozó Ödön %1").arg(n),
                QStringLiteral("Kecskemét, Rákóczi út %1.").arg(n), QStringLiteral("HU-SZ-%1").arg(n)};
    }
}

}  // namespace

Counts countsFor(int totalLines)
{
    Counts c;
    c.carriers = std::max(1, totalLines / 100);
    c.partners = std::max(1, totalLines / 10);
    const int deliveries = std::max(0, totalLines - c.carriers - c.partners);
    c.arrivals = deliveries / 2;
    c.departures = deliveries * 2 / 5;
    c.archivedArrivals = deliveries / 20;
    c.archivedDepartures = deliveries - c.arrivals - c.departures - c.archivedArrivals;
    return c;
}

void write(const QString& directory, const Counts& counts)
{
    const QList<legacy::FileLayout>& files = legacy::importFiles();
    const QList<int> lines = counts.inImportOrder();
    for (int f = 0; f < files.size(); ++f) {
        QFile out(directory + files.at(f).fileName);
        if (!out.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write " + out.fileName().toStdString());
        QByteArray chunk;
        for (int n = 1; n <= lines.at(f); ++n) {
            chunk += lineOf(files.at(f), valuesFor(f, n, counts)) + "\r\n";
            if (chunk.size() > (1 << 20)) {
                out.write(chunk);
                chunk.clear();
            }
        }
        out.write(chunk);
    }
}

}  // namespace legacysample
