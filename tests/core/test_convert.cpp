#include "core/convert.h"

#include <QLocale>
#include <QTest>

class ConvertTest : public QObject {
    Q_OBJECT
private slots:
    void dates_data();
    void dates();
    void floats_data();
    void floats();
    void integers();
    void earTagNumbers_data();
    void earTagNumbers();
    void fixedPoint();
    void noLocaleMatters_data();
    void noLocaleMatters();
};

void ConvertTest::dates_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");  // empty: refused
    QTest::newRow("program form") << "2011.03.05" << "2011.03.05";
    QTest::newRow("one-digit month and day") << "2011.3.5" << "2011.03.05";
    QTest::newRow("blanks around") << " 2010.01.01 " << "2010.01.01";
    QTest::newRow("leap day") << "2012.02.29" << "2012.02.29";
    QTest::newRow("impossible day") << "2011.02.30" << "";
    QTest::newRow("no leap year") << "2011.02.29" << "";
    QTest::newRow("month 13") << "2011.13.01" << "";
    QTest::newRow("two-digit year") << "11.03.05" << "";
    QTest::newRow("other separator") << "2011-03-05" << "";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("trailing text") << "2011.03.05x" << "";
}

void ConvertTest::dates()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const auto d = convert::textToDate(text);
    QCOMPARE(d ? convert::dateToText(*d) : QString(), expected);
}

void ConvertTest::floats_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("plusOne");  // empty: not a number
    QTest::newRow("leading zeros") << "0012" << "13";
    QTest::newRow("carry") << "999" << "1000";
    QTest::newRow("fraction with comma") << " 1,5 " << "2,5";
    QTest::newRow("point is no separator") << "1.5" << "";
    QTest::newRow("exponent") << "1e3" << "1001";
    QTest::newRow("15 digits stay plain") << "123456789012344" << "123456789012345";
    QTest::newRow("beyond 15 digits") << "1234567890123456789" << "1,23456789012346E18";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("letters") << "12a" << "";
}

void ConvertTest::floats()
{
    QFETCH(QString, text);
    QFETCH(QString, plusOne);
    const auto v = convert::textToFloat(text);
    QCOMPARE(v ? convert::floatToText(*v + 1) : QString(), plusOne);
}

void ConvertTest::integers()
{
    QCOMPARE(convert::textToInt32(QStringLiteral("2147483647")), std::optional<qint32>(2147483647));
    QCOMPARE(convert::textToInt32(QStringLiteral("2147483648")), std::nullopt);
    QCOMPARE(convert::textToInt32(QStringLiteral("-0012")), std::optional<qint32>(-12));
    QCOMPARE(convert::textToInt32(QStringLiteral("")), std::nullopt);
    QCOMPARE(convert::textToInt64(QStringLiteral("9223372036854775807")), std::optional<qint64>(9223372036854775807LL));
    QCOMPARE(convert::textToInt64(QStringLiteral("9223372036854775808")), std::nullopt);
    QCOMPARE(convert::trimRight(QStringLiteral("  a  ")), QStringLiteral("  a"));
    QCOMPARE(convert::trimRight(QStringLiteral("   ")), QString());
}

void ConvertTest::earTagNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("plusOne");
    QTest::newRow("leading zeros") << "0012345678" << "12345678" << "12345679";
    QTest::newRow("blanks") << " 123 " << "123" << "124";
    QTest::newRow("zero") << "000" << "0" << "1";
    QTest::newRow("carry") << "0999" << "999" << "1000";
    QTest::newRow("20 digits exact") << "98765432109876543219" << "98765432109876543219" << "98765432109876543220";
    QTest::newRow("all nines long") << "9999999999999999" << "9999999999999999" << "10000000000000000";
    QTest::newRow("letters") << "12AB" << "" << "";
    QTest::newRow("inner blank") << "12 34" << "" << "";
    QTest::newRow("empty") << "" << "" << "";
}

void ConvertTest::earTagNumbers()
{
    QFETCH(QString, text);
    QFETCH(QString, plain);
    QFETCH(QString, plusOne);
    QCOMPARE(convert::earTagNumberText(text).value_or(QString()), plain);
    QCOMPARE(convert::earTagPlusOne(text).value_or(QString()), plusOne);
}

void ConvertTest::fixedPoint()
{
    QCOMPARE(convert::fixedPointToText(12345, -2), QStringLiteral("123,45"));
    QCOMPARE(convert::fixedPointToText(-5, -3), QStringLiteral("-0,005"));
    QCOMPARE(convert::fixedPointToText(42, 0), QStringLiteral("42"));
    QCOMPARE(convert::floatToText(1.0f / 3, 7), QStringLiteral("0,3333333"));
}

void ConvertTest::noLocaleMatters_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::newRow("Hungarian") << QLocale(QLocale::Hungarian, QLocale::Hungary);
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany);
    QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates);
}

void ConvertTest::noLocaleMatters()
{
    // Whatever locale Qt or the desktop uses, the program's forms stay its own.
    QFETCH(QLocale, locale);
    const QLocale before;
    QLocale::setDefault(locale);
    const QDate day(2010, 1, 1);
    QCOMPARE(convert::dateToText(day), QStringLiteral("2010.01.01"));
    QCOMPARE(convert::dateTimeToText(QDateTime(day, QTime(14, 7, 9))), QStringLiteral("2010.01.01 14:07:09"));
    QCOMPARE(convert::textToDate(QStringLiteral("2010.01.01")), std::optional<QDate>(day));
    QCOMPARE(convert::textToFloat(QStringLiteral("1,5")), std::optional<double>(1.5));
    QCOMPARE(convert::textToFloat(QStringLiteral("1.5")), std::nullopt);
    QCOMPARE(convert::floatToText(1234.5), QStringLiteral("1234,5"));
    QCOMPARE(convert::fixedPointToText(-123456, -2), QStringLiteral("-1234,56"));
    QLocale::setDefault(before);
}

QTEST_MAIN(ConvertTest)
#include "test_convert.moc"
