#include "outgoing/takeover_xml.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
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
    void brokenFiles_data();
    void brokenFiles();
    void missingOrUnreadableFiles();
    void anyDepth_data();
    void anyDepth();
    void keepsAtMostMaxValues();
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
    const takeover::RecordFile file = takeover::readRecordFile(path);
    QVERIFY2(file.ok(), qPrintable(file.error));
    QCOMPARE(file.records, expected);
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
    const takeover::RecordFile file = takeover::readRecords(xml);
    QVERIFY2(file.ok(), qPrintable(file.error));
    QCOMPARE(file.records, expected);
}

void TakeoverXmlTest::trimsBlanksAndControls()
{
    QCOMPARE(takeover::trimBlanksAndControls(QStringLiteral("\t\r\n  12 34 \x01\x1f ")), QStringLiteral("12 34"));
    QCOMPARE(takeover::trimBlanksAndControls(QStringLiteral(" \t ")), QString());
    QCOMPARE(takeover::trimBlanksAndControls(QStringLiteral("ő")), QStringLiteral("ő"));
}

void TakeoverXmlTest::brokenFiles_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("where");  // line and column where reading failed
    QTest::addColumn<QString>("why");    // empty: the parser's own words
    const auto fixture = [](const char* name) {
        QFile f(QFINDTESTDATA(QStringLiteral("fixtures/") + QString::fromLatin1(name)));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    QTest::newRow("truncated") << fixture("truncated.xml") << "10. sor, 18. oszlop"
                               << "a fájl idő előtt véget ér, a vége hiányzik";
    QTest::newRow("not XML") << fixture("not_xml.xml") << "1. sor, 1. oszlop" << "";
    QTest::newRow("empty file") << QByteArray() << "1. sor, 1. oszlop" << "a fájl üres";
    QTest::newRow("one control character")
        << QByteArray("<R>\n<Records>\n  <a>12\x01" "3</a>\n</Records></R>") << "3. sor, 8. oszlop"
        << "nem megengedett karakter (U+0001)";
    QTest::newRow("undeclared entity") << QByteArray("<R>\n<Records><a>&x;</a></Records></R>") << "2. sor, 15. oszlop"
                                       << "";
    QTest::newRow("bad byte in UTF-8")
        << QByteArray("<R>\n<Records>\n<a>gyüjtés</a><b>x\xFF</b></Records></R>") << "3. sor, 19. oszlop"
        << "a(z) UTF-8 kódolásban érvénytelen bájt (0xFF)";
    QTest::newRow("cut UTF-8 sequence")
        << QByteArray("<R><Records><a>\xC3(</a></Records></R>") << "1. sor, 16. oszlop"
        << "a(z) UTF-8 kódolásban érvénytelen bájt (0xC3)";
    QTest::newRow("bad byte after a byte-order mark")
        << QByteArray("\xEF\xBB\xBF<R>\xC3\xA9\xE9</R>") << "1. sor, 5. oszlop"
        << "a(z) UTF-8 kódolásban érvénytelen bájt (0xE9)";
    QTest::newRow("unknown encoding")
        << QByteArray("<?xml version=\"1.0\" encoding=\"x-nincs-ilyen\"?><R/>") << "1. sor, 1. oszlop"
        << "ismeretlen karakterkódolás: \"x-nincs-ilyen\"";
    QTest::newRow("tags crossed") << QByteArray("<R><Records><a>1</b></Records></R>") << "1. sor, 20. oszlop" << "";
}

void TakeoverXmlTest::brokenFiles()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, where);
    QFETCH(QString, why);
    const takeover::RecordFile file = takeover::readRecords(xml, QStringLiteral("C:/fulszam/fulszam.xml"));
    QVERIFY(!file.ok());
    QVERIFY(file.records.isEmpty());  // a file read halfway is not taken over
    const QString start = QStringLiteral("A(z) \"%1\" fájl nem olvasható be (%2): ")
                              .arg(QDir::toNativeSeparators(QStringLiteral("C:/fulszam/fulszam.xml")), where);
    QVERIFY2(file.error.startsWith(start), qPrintable(file.error));
    if (!why.isEmpty())
        QCOMPARE(file.error.mid(start.size()), why);
    else
        QVERIFY2(file.error.size() > start.size() + 3, qPrintable(file.error));
}

void TakeoverXmlTest::missingOrUnreadableFiles()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("fulszam.xml"));
    QCOMPARE(takeover::readRecordFile(missing).error,
             QStringLiteral("A(z) \"%1\" fájl nem található.").arg(QDir::toNativeSeparators(missing)));
    QCOMPARE(takeover::readRecordFile(dir.path()).error,
             QStringLiteral("A(z) \"%1\" nem fájl, hanem mappa.").arg(QDir::toNativeSeparators(dir.path())));
    QVERIFY(takeover::readRecordFile(missing).records.isEmpty());
}

void TakeoverXmlTest::anyDepth_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<Records>("expected");
    QTest::addColumn<bool>("wellFormed");
    const int deep = 200000;
    QTest::newRow("one record 200,000 levels deep")
        << QByteArray("<R><Records><a>1</a>") + QByteArray("<b>").repeated(deep) + "2" +
               QByteArray("</b>").repeated(deep) + "<c>3</c></Records></R>"
        << Records{{"1", "2", "3"}} << true;
    QTest::newRow("an element 200,000 levels deep, no record")
        << QByteArray("<a>").repeated(deep) + QByteArray("</a>").repeated(deep) << Records{} << true;
    QTest::newRow("200,000 levels, never closed") << QByteArray("<a>").repeated(deep) + "<Records>1" << Records{}
                                                  << false;
    // Every record holds the texts of the records inside it.
    const int nested = 2000;
    Records inRecords;
    for (int i = 0; i < nested; ++i)
        inRecords << QStringList{"x"};
    QTest::newRow("records 2,000 deep") << QByteArray("<Records>").repeated(nested) + "x" +
                                               QByteArray("</Records>").repeated(nested)
                                        << inRecords << true;
}

void TakeoverXmlTest::anyDepth()
{
    QFETCH(QByteArray, xml);
    QFETCH(Records, expected);
    QFETCH(bool, wellFormed);
    const takeover::RecordFile file = takeover::readRecords(xml);
    QCOMPARE(file.ok(), wellFormed);
    QCOMPARE(file.records, expected);
}

void TakeoverXmlTest::keepsAtMostMaxValues()
{
    // Records nested in records, a text at every level: each keeps no more than asked for.
    const int nested = 100000;
    QByteArray xml;
    for (int i = 0; i < nested; ++i)
        xml += "<Records>" + QByteArray::number(i);
    xml += QByteArray("</Records>").repeated(nested);
    const takeover::RecordFile file = takeover::readRecords(xml, QStringLiteral("x.xml"), 9);
    QVERIFY2(file.ok(), qPrintable(file.error));
    QCOMPARE(file.records.size(), nested);
    QCOMPARE(file.records.first(), QStringList({"0", "1", "2", "3", "4", "5", "6", "7", "8"}));
    QCOMPARE(file.records.at(500), QStringList({"500", "501", "502", "503", "504", "505", "506", "507", "508"}));
    QCOMPARE(file.records.last(), QStringList{QString::number(nested - 1)});
    // The values a record keeps are its first ones.
    const Records firstTwo{{"1", "2"}};
    QCOMPARE(takeover::readRecords("<Records><a>1</a><a>2</a><a>3</a></Records>", QStringLiteral("x.xml"), 2).records,
             firstTwo);
}

QTEST_GUILESS_MAIN(TakeoverXmlTest)
#include "test_takeover_xml.moc"
