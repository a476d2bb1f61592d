#include "report/value.h"

#include "core/convert.h"

#include <cmath>

namespace report {

Value Value::integer(qint64 v)
{
    Value r;
    r.m_kind = Kind::Int;
    r.m_int = v;
    return r;
}

Value Value::number(double v)
{
    Value r;
    r.m_kind = Kind::Float;
    r.m_float = v;
    return r;
}

Value Value::text(const QString& v)
{
    Value r;
    r.m_kind = Kind::Text;
    r.m_text = v;
    return r;
}

Value Value::date(const QDate& v)
{
    Value r;
    if (v.isValid()) {
        r.m_kind = Kind::Date;
        r.m_date = v;
    }
    return r;
}

qint64 Value::toInt() const
{
    switch (m_kind) {
    case Kind::Int:
        return m_int;
    case Kind::Float:
        return static_cast<qint64>(std::llround(m_float));
    case Kind::Text:
        return m_text.trimmed().toLongLong();
    default:
        return 0;
    }
}

double Value::toDouble() const
{
    switch (m_kind) {
    case Kind::Int:
        return static_cast<double>(m_int);
    case Kind::Float:
        return m_float;
    case Kind::Text: {
        QString t = m_text.trimmed();
        t.replace(u',', u'.');
        return t.toDouble();
    }
    default:
        return 0;
    }
}

QString Value::toText() const
{
    switch (m_kind) {
    case Kind::Int:
        return QString::number(m_int);
    case Kind::Float:
        // Up to 15 significant digits, "," as the decimal separator, no exponent for ordinary sizes.
        return convert::floatToText(m_float);
    case Kind::Text:
        return m_text;
    case Kind::Date:
        return convert::dateToText(m_date);
    default:
        return {};
    }
}

bool Value::isTrue() const
{
    switch (m_kind) {
    case Kind::Int:
        return m_int != 0;
    case Kind::Float:
        return m_float != 0;
    case Kind::Text:
        return !m_text.isEmpty();
    case Kind::Date:
        return true;
    default:
        return false;
    }
}

bool Value::operator==(const Value& other) const
{
    if (m_kind != other.m_kind)
        return false;
    switch (m_kind) {
    case Kind::Int:
        return m_int == other.m_int;
    case Kind::Float:
        return m_float == other.m_float;
    case Kind::Text:
        return m_text == other.m_text;
    case Kind::Date:
        return m_date == other.m_date;
    default:
        return true;
    }
}

}  // namespace report
