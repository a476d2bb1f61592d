#include "core/convert.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace convert {

QString dateToText(const QDate& date)
{
    return date.isValid() ? date.toString(kDateFormat) : QString();
}

QString dateTimeToText(const QDateTime& moment)
{
    return moment.isValid() ? dateToText(moment.date()) + u' ' + moment.time().toString(QStringLiteral("HH:mm:ss"))
                            : QString();
}

std::optional<QDate> textToDate(const QString& text)
{
    static const QRegularExpression re(QStringLiteral("^\\s*(\\d{4})\\.(\\d{1,2})\\.(\\d{1,2})\\s*$"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!d.isValid())
        return std::nullopt;
    return d;
}

std::optional<double> textToFloat(const QString& text)
{
    static const QRegularExpression re(QStringLiteral("^\\s*[+-]?(\\d+(,\\d*)?|,\\d+)([eE][+-]?\\d+)?\\s*$"));
    if (!re.match(text).hasMatch())
        return std::nullopt;
    QString t = text.trimmed();
    t.replace(kDecimalSeparator, u'.');
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

QString floatToText(double value, int significantDigits)
{
    // QString::number is the C locale's, whatever the default locale.
    QString s = QString::number(value, 'g', significantDigits);
    const int e = static_cast<int>(s.indexOf(u'e'));
    if (e < 0)
        return s.replace(u'.', kDecimalSeparator);
    QString mantissa = s.left(e).replace(u'.', kDecimalSeparator);
    const int exponent = s.mid(e + 1).toInt();
    return mantissa + u'E' + QString::number(exponent);
}

QString fixedPointToText(qint64 units, int scale)
{
    if (scale >= 0)
        return QString::number(units);
    const bool negative = units < 0;
    QString digits = QString::number(negative ? -static_cast<quint64>(units) : static_cast<quint64>(units));
    const int places = -scale;
    while (digits.size() <= places)
        digits.prepend(u'0');
    digits.insert(digits.size() - places, kDecimalSeparator);
    return negative ? u'-' + digits : digits;
}

std::optional<qint64> textToInt64(const QString& text)
{
    if (!isPlainInteger(text))
        return std::nullopt;
    bool ok = false;
    QString t = text.trimmed();
    if (t.startsWith(u'+'))
        t.remove(0, 1);
    const qint64 v = t.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return v;
}

std::optional<qint32> textToInt32(const QString& text)
{
    const auto v = textToInt64(text);
    if (!v || *v < std::numeric_limits<qint32>::min() || *v > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return static_cast<qint32>(*v);
}

bool isPlainInteger(const QString& text)
{
    static const QRegularExpression re(QStringLiteral("^\\s*[+-]?\\d+\\s*$"));
    return re.match(text).hasMatch();
}

namespace {
QString stripLeadingZeros(QString digits)
{
    int i = 0;
    while (i < digits.size() - 1 && digits.at(i) == u'0')
        ++i;
    return digits.mid(i);
}
}  // namespace

std::optional<QString> earTagNumberText(const QString& text)
{
    const QString t = text.trimmed();
    static const QRegularExpression digitsOnly(QStringLiteral("^\\+?(\\d+)$"));
    const auto m = digitsOnly.match(t);
    if (m.hasMatch())
        return stripLeadingZeros(m.captured(1));
    const auto v = textToFloat(text);
    if (!v)
        return std::nullopt;
    return floatToText(*v);
}

std::optional<QString> earTagPlusOne(const QString& text)
{
    const QString t = text.trimmed();
    static const QRegularExpression digitsOnly(QStringLiteral("^\\+?(\\d+)$"));
    const auto m = digitsOnly.match(t);
    if (m.hasMatch()) {
        QString digits = stripLeadingZeros(m.captured(1));
        int i = static_cast<int>(digits.size()) - 1;
        while (i >= 0 && digits.at(i) == u'9') {
            digits[i] = u'0';
            --i;
        }
        if (i < 0)
            digits.prepend(u'1');
        else
            digits[i] = QChar(digits.at(i).unicode() + 1);
        return digits;
    }
    const auto v = textToFloat(text);
    if (!v)
        return std::nullopt;
    return floatToText(*v + 1);
}

QString trimRight(const QString& text)
{
    int n = static_cast<int>(text.size());
    while (n > 0 && text.at(n - 1).isSpace())
        --n;
    return text.left(n);
}

bool isBlank(const QString& text) { return trimRight(text).isEmpty(); }

}  // namespace convert
