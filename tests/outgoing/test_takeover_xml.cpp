#include "outgoing/takeover_xml.h"

#include <QTest>

using Records = QList<QStringList>;

class TakeoverXmlTest : public QObject {
    Q_OBJECT
private slots:
    void walksFixtures_data();
    void walksFixtures();
    void walksDocuments_data();
    void walksDocuments();
    void trimsBlanksAndControls();
};

void TakeoverXmlTest::walksFixtures_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<Records>("expected");
    QTest::newRow("indentation") << "indented.xml"
                                 << Records{{"2011.03.05", "0012345678", "V1", "gyüjtés", "EB-1", "EK-1"},
                                            {"2011.03.06", "123", "V2", "hizlalás", "EB-2", "EK-2"},
                                            {"2011.3.7", "12345678901234567890", "V3", "vágás", "EB-3", "EK-3"}};
    // The empty certificate gives no value: the outgoing certificate moves into its place.
    QTest::newRow("empty element") << "empty_element.xml"
                                   << Records{{"2011.03.05", "500", "V1", "gyüjtés", "EK-1"},
                                              {"2011.03.06", "501", "vágás"}};
    QTest::newRow("comment, CDATA, attribute, PI") << "ignored_parts.xml"
                                                   << Records{{"2011.03.05", "700", "V7"}};
    // Depth and grouping do not matter; the element name is matched exactly ("records" is not one).
    QTest::newRow("nested grouping") << "nested.xml"
                                     << Records{{"2011.03.05", "801", "V1"},
                                                {"2011.03.05", "802", "V2"},
                                                {"2011.03.06", "804"}};
    QTest::newRow("entity references") << "entities.xml"
                                       << Records{{"2011.03.05", "0042", "K&F", "gyüjtés", "EB-<1>"}};
    QTest::newRow("windows-1250 prolog")
        << "windows1250.xml"
        << Records{{"2011.03.05", "1401", "Vevő Kft.", "hízlalás", "Eü-Ő-1", "Eü-Ű-1"}};
    QTest::newRow("truncated") << "truncated.xml" << Records{};
    QTest::newRow("not XML") << "not_xml.xml" << Records{};
    QTest::newRow("more values than columns")
        << "too_many_values.xml"
        << Records{{"2011.03.05", "1001", "V1"},
                   {"2011.03.05", "1002", "V1", "gyüjtés", "EB", "EK", "77", "K1", "tobb"},
                   {"2011.03.05", "1003"}};
    QTest::newRow("non-date in date position") << "bad_date.xml"
                                               << Records{{"2011.03.05", "1101"},
                                                          {"márc. 5.", "1102"},
                                                          {"2011.03.07", "1103"}};
    QTest::newRow("ear tag with letters") << "letters.xml"
                                          << Records{{"2011.03.05", "1201"},
                                                     {"2011.03.05", "12A02"},
                                                     {"2011.03.05", "1203"}};
}

void TakeoverXmlTest::walksFixtures()
{
    QFETCH(QString, fixture);
    QFETCH(Records, expected);
    const QString path = QFINDTESTDATA(QStringLiteral("fixtures/") + fixture);
    QVERIFY2(!path.isEmpty(), qPrintable(fixture));
    QCOMPARE(takeover::readRecordFile(path), expected);
}

void TakeoverXmlTest::walksDocuments_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<Records>("expected");
    QTest::newRow("document element is a record") << QByteArray("<Records><a>1</a><b>2</b></Records>")
                                                  << Records{{"1", "2"}};
    // Mixed content: text beside child elements is taken in document order.
    QTest::newRow("mixed content") << QByteArray("<R><Records>x<a>1</a> y <b>2</b>\n</Records></R>")
                                   << Records{{"x", "1", "y", "2"}};
    QTest::newRow("record inside a record")
        << QByteArray("<R><Records><a>1</a><Records><b>2</b></Records></Records></R>")
        << Records{{"1", "2"}, {"2"}};
    QTest::newRow("empty records") << QByteArray("<R><Records/><Records>\n  </Records></R>") << Records{{}, {}};
    QTest::newRow("no records") << QByteArray("<R><Rec><a>1</a></Rec></R>") << Records{};
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF<R><Records><a>gyüjtés</a></Records></R>")
                                     << Records{{"gyüjtés"}};
    QTest::newRow("ISO-8859-2 prolog")
        << QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?><R><Records><a>\xF5\xFB</a></Records></R>")
        << Records{{"őű"}};
    QTest::newRow("undeclared entity") << QByteArray("<R><Records><a>&x;</a></Records></R>") << Records{};
    QTest::newRow("empty file") << QByteArray() << Records{};
    // Far deeper than any real file: read like any other record, without exhausting the stack.
    const int depth = 60000;
    QTest::newRow("deep nesting") << QByteArray("<R><Records><a>1</a>") + QByteArray("<b>").repeated(depth) + "2" +
                                         QByteArray("</b>").repeated(depth) + "<c>3</c></Records></R>"
                                  << Records{{"1", "2", "3"}};
}

void TakeoverXmlTest::walksDocuments()
{
    QFETCH(QByteArray, xml);
    QFETCH(Records, expected);
    QCOMPARE(takeover::readRecords(xml), expected);
}

void TakeoverXmlTest::trimsBlanksAndControls()
{
    QCOMPARE(takeover::trimBlanksAndControls(QStringLiteral("\t\r\n  12 34 \x01\x1f ")), QStringLiteral("12 34"));
    QCOMPARE(takeover::trimBlanksAndControls(QStringLiteral(" \t ")), QString());
    QCOMPARE(takeover::trimBlanksAndControls(QStringLiteral("ő")), QStringLiteral("ő"));
    QCOMPARE(takeover::readRecordFile(QStringLiteral("/nonexistent/fulszam.xml")), Records{});
}

QTEST_GUILESS_MAIN(TakeoverXmlTest)
#include "test_takeover_xml.moc"
