#pragma once

#include <QDate>
#include <QString>

namespace report {

// What a field, a variable or an expression of a report yields.
class Value {
public:
    enum class Kind { Null, Int, Float, Text, Date };

    Value() = default;
    static Value integer(qint64 v);
    static Value number(double v);
    static Value text(const QString& v);
    static Value date(const QDate& v);  // an invalid date is Null

    Kind kind() const { return m_kind; }
    bool isNull() const { return m_kind == Kind::Null; }
    bool isNumber() const { return m_kind == Kind::Int || m_kind == Kind::Float; }

    qint64 toInt() const;
    double toDouble() const;
    QDate toDate() const { return m_kind == Kind::Date ? m_date : QDate(); }
    // The printed form: dates as yyyy.MM.dd, fractions with ",", Null as nothing.
    QString toText() const;
    // What a condition sees: a non-zero number, a non-empty text, a date.
    bool isTrue() const;

    bool operator==(const Value& other) const;
    bool operator!=(const Value& other) const { return !(*this == other); }

private:
    Kind m_kind = Kind::Null;
    qint64 m_int = 0;
    double m_float = 0;
    QString m_text;
    QDate m_date;
};

}  // namespace report
