#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>

// Every conversion between text and dates or numbers that the program does: the screens, the
// database layer's text of a value, the reports' printed form. The program's date form is
// year.month.day with "." as separator; the decimal separator is ",". These are the program's own
// separators, whatever the locale of the desktop or of Qt: the conversions depend on no locale, and
// start-up changes none.
namespace convert {

inline constexpr QChar kDateSeparator = u'.';
inline constexpr QChar kDecimalSeparator = u',';
inline const QString kDateFormat = QStringLiteral("yyyy.MM.dd");

QString dateToText(const QDate& date);
// The date form followed by the time of day: "2011.03.05 14:07:09".
QString dateTimeToText(const QDateTime& moment);
// Four-digit year, then month and day of one or two digits ("2011.03.05" and "2011.3.5" alike),
// blanks around allowed. Impossible dates ("2011.02.30") give nothing.
std::optional<QDate> textToDate(const QString& text);

// Floating-point text as the program reads typed numbers: blanks around, optional sign, digits,
// "," with a fraction, an exponent.
std::optional<double> textToFloat(const QString& text);
// General format with at most 15 significant digits (or as many as given): whole numbers up to
// that many digits come out as plain digits ("13", "1000"); beyond that an exponent form
// ("1,23456789012346E19").
QString floatToText(double value, int significantDigits = 15);
// A whole number of units of 10^scale (scale 0 or below, as the database keeps exact numerics):
// 12345 with scale -2 is "123,45".
QString fixedPointToText(qint64 units, int scale);

std::optional<qint32> textToInt32(const QString& text);
std::optional<qint64> textToInt64(const QString& text);

// True when text (blanks around ignored) is an optional sign followed by decimal digits only.
bool isPlainInteger(const QString& text);

// An ear tag read as a number and written back plainly: "0012345678" -> "12345678". Digit strings
// are handled exactly whatever their length (no exponent form); other numeric text goes through
// the floating-point form above. Nothing when the text is not a number.
std::optional<QString> earTagNumberText(const QString& text);
// The ear tag plus one, exactly for digit strings of any length ("0012" -> "13", "999" -> "1000").
std::optional<QString> earTagPlusOne(const QString& text);

// Text with trailing blanks removed.
QString trimRight(const QString& text);
// What the validations call an empty field: nothing left once trailing blanks are removed.
bool isBlank(const QString& text);

}  // namespace convert
