#include "core/eartag_ranges.h"

#include <QTest>

using eartag::Range;

Q_DECLARE_METATYPE(std::vector<Range>)

namespace {
QString rangesText(const std::vector<Range>& ranges)
{
    QStringList out;
    for (const Range& r : ranges)
        out << r.first + u'-' + r.last;
    return out.join(QStringLiteral(", "));
}
}  // namespace

class EarTagRangesTest : public QObject {
    Q_OBJECT
private slots:
    void runs_data();
    void runs();
    void notANumber_data();
    void notANumber();
};

void EarTagRangesTest::runs_data()
{
    QTest::addColumn<QStringList>("tags");
    QTest::addColumn<QString>("ranges");

    QTest::newRow("gap ends a run") << QStringList{"101", "102", "103", "107"} << "101-103, 107-107";
    // The selection orders ear tags as text.
    QTest::newRow("text order") << QStringList{"10", "11", "9"} << "10-11, 9-9";
    QTest::newRow("repeat starts a run") << QStringList{"5", "5", "6"} << "5-5, 5-6";
    // One sender's 201, 202 and the next sender's 203, 204: the numbers alone decide.
    QTest::newRow("across senders") << QStringList{"201", "202", "203", "204"} << "201-204";
    QTest::newRow("going down is no run") << QStringList{"3", "2", "1"} << "3-3, 2-2, 1-1";
    QTest::newRow("21 digits, consecutive")
        << QStringList{"123456789012345678901", "123456789012345678902"} << "123456789012345678901-123456789012345678902";
    QTest::newRow("21 digits, a gap of one in the last digit")
        << QStringList{"123456789012345678901", "123456789012345678903"}
        << "123456789012345678901-123456789012345678901, 123456789012345678903-123456789012345678903";
    QTest::newRow("21 digits, the same tag twice")
        << QStringList{"123456789012345678901", "123456789012345678901"}
        << "123456789012345678901-123456789012345678901, 123456789012345678901-123456789012345678901";
    // Beyond 2^64 a float cannot tell these apart; beyond 2^63 a 64-bit integer cannot hold them.
    QTest::newRow("above 2^64") << QStringList{"36893488147419103232", "36893488147419103233", "36893488147419103235"}
                                << "36893488147419103232-36893488147419103233, 36893488147419103235-36893488147419103235";
    QTest::newRow("carry into a new digit") << QStringList{"99999999999999999999", "100000000000000000000"}
                                            << "99999999999999999999-100000000000000000000";
    QTest::newRow("25 digits") << QStringList{"9999999999999999999999998", "9999999999999999999999999"}
                               << "9999999999999999999999998-9999999999999999999999999";
    QTest::newRow("leading zeros do not count") << QStringList{"0099", "100", "0101"} << "0099-0101";
    QTest::newRow("leading zeros, same number") << QStringList{"0012", "12"} << "0012-0012, 12-12";
    QTest::newRow("zero") << QStringList{"0", "1", "000"} << "0-1, 000-000";
    QTest::newRow("one tag") << QStringList{"4711"} << "4711-4711";
    QTest::newRow("none") << QStringList{} << "";
}

void EarTagRangesTest::runs()
{
    QFETCH(QStringList, tags);
    QFETCH(QString, ranges);
    QCOMPARE(rangesText(eartag::ranges(tags)), ranges);
}

void EarTagRangesTest::notANumber_data()
{
    QTest::addColumn<QStringList>("tags");
    QTest::addColumn<QString>("named");

    QTest::newRow("letter") << QStringList{"101", "102", "10A", "104"} << "10A";
    QTest::newRow("empty") << QStringList{"101", ""} << "";
    QTest::newRow("blank inside") << QStringList{"1 2"} << "1 2";
    QTest::newRow("blank around") << QStringList{" 12"} << " 12";
    QTest::newRow("sign") << QStringList{"+5"} << "+5";
    QTest::newRow("minus") << QStringList{"-5"} << "-5";
    QTest::newRow("decimal comma") << QStringList{"5,0"} << "5,0";
    QTest::newRow("exponent") << QStringList{"1E5"} << "1E5";
    QTest::newRow("other script's digits") << QStringList{QStringLiteral("١٢")} << QStringLiteral("١٢");
}

void EarTagRangesTest::notANumber()
{
    QFETCH(QStringList, tags);
    QFETCH(QString, named);
    try {
        eartag::ranges(tags);
        QFAIL("no conversion error");
    } catch (const eartag::NotANumber& e) {
        QCOMPARE(e.text(), named);
        QVERIFY2(e.message().contains(QStringLiteral("„") + named + QStringLiteral("”")), qPrintable(e.message()));
    }
}

QTEST_APPLESS_MAIN(EarTagRangesTest)
#include "test_eartag_ranges.moc"
