#include "hungarian.h"
#include "outgoing/takeover_xml.h"
#include "ui/translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

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
    void unresolvedEntities_data();
    void unresolvedEntities();
    void resolvedEntitiesStillRead();
    void externalFileNeverRead();
    void readerMessagesInHungarian_data();
    void readerMessagesInHungarian();
    void qtMessagesMapped_data();
    void qtMessagesMapped();
    void sameWordsUnderQtTranslations();
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
                                       << "a(z) „x” entitás nincs deklarálva";
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
    QTest::newRow("tags crossed") << QByteArray("<R><Records><a>1</b></Records></R>") << "1. sor, 20. oszlop"
                                  << "a zárócímke nem az utoljára nyitott elemet zárja";
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
    const int nested = 20000;
    Records inRecords;
    for (int i = 0; i < nested; ++i)
        inRecords << QStringList{"x"};
    QTest::newRow("records 20,000 deep") << QByteArray("<Records>").repeated(nested) + "x" +
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
    // Records nested in records, a text at every level: each keeps no more than its first nine.
    const int nested = 100000;
    QByteArray xml;
    for (int i = 0; i < nested; ++i)
        xml += "<Records>" + QByteArray::number(i);
    xml += QByteArray("</Records>").repeated(nested);
    const takeover::RecordFile file = takeover::readRecords(xml, QStringLiteral("x.xml"));
    QVERIFY2(file.ok(), qPrintable(file.error));
    QCOMPARE(file.records.size(), nested);
    QCOMPARE(file.records.first(), QStringList({"0", "1", "2", "3", "4", "5", "6", "7", "8"}));
    QCOMPARE(file.records.at(500), QStringList({"500", "501", "502", "503", "504", "505", "506", "507", "508"}));
    QCOMPARE(file.records.at(nested - 9), QStringList({"99991", "99992", "99993", "99994", "99995", "99996", "99997",
                                                       "99998", "99999"}));
    QCOMPARE(file.records.last(), QStringList{QString::number(nested - 1)});
    // The values a record keeps are its first ones, also when they come from records inside it and
    // after them.
    QByteArray flat = "<Records>";
    for (int i = 1; i <= 12; ++i)
        flat += (i == 3 ? "<Records><a>3</a><a>4</a></Records>" : i == 4 ? QByteArray() : "<a>" + QByteArray::number(i) + "</a>");
    flat += "</Records>";
    QCOMPARE(takeover::readRecords(flat, QStringLiteral("x.xml")).records,
             Records({{"1", "2", "3", "4", "5", "6", "7", "8", "9"}, {"3", "4"}}));
}

void TakeoverXmlTest::unresolvedEntities_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("why");
    const QString external = QStringLiteral("értéke egy külső fájlban volna („%1”), a program külső fájlt nem olvas be");
    const QString undeclared =
        QStringLiteral("nincs deklarálva a fájlban, így nincs értéke (külső DTD-t a program nem olvas be)");
    // The shape of the finding: the reference vanished and the buyer code moved into the ear tag.
    QTest::newRow("external entity in a value")
        << QByteArray("<?xml version=\"1.0\"?>\n<!DOCTYPE R [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>\n<R>\n"
                      "<Records><Kikelt>2011.03.05</Kikelt><Fulszam>&x;</Fulszam><Vevokod>V1</Vevokod></Records>\n</R>")
        << "4. sor, 46. oszlop" << "a(z) „&x;” entitás " + external.arg("file:///etc/passwd");
    QTest::newRow("external entity by PUBLIC id")
        << QByteArray("<!DOCTYPE R [<!ENTITY x PUBLIC \"-//X//Y\" \"y.ent\">]><R><Records><a>1</a>&x;</Records></R>")
        << "1. sor, 72. oszlop" << "a(z) „&x;” entitás " + external.arg("y.ent");
    QTest::newRow("undeclared entity under an external DTD")
        << QByteArray("<!DOCTYPE R SYSTEM \"fulszam.dtd\">\n<R><Records><a>&foo;</a><b>2</b></Records></R>")
        << "2. sor, 16. oszlop" << "a(z) „&foo;” entitás " + undeclared;
    QTest::newRow("undeclared entity under a PUBLIC DTD")
        << QByteArray("<!DOCTYPE R PUBLIC \"-//X//Y\" \"x.dtd\"><R><Records>&foo;</Records></R>")
        << "1. sor, 50. oszlop" << "a(z) „&foo;” entitás " + undeclared;
    QTest::newRow("declared entity whose value holds an external one")
        << QByteArray("<!DOCTYPE R [<!ENTITY x SYSTEM \"a.ent\"><!ENTITY y \"<b>1</b>&x;\">]><R><Records>&y;</Records></R>")
        << "1. sor, 79. oszlop" << "a(z) „&y;” entitás értékében a(z) „&x;” entitás " + external.arg("a.ent");
    QTest::newRow("external entity in an attribute under an external DTD")
        << QByteArray("<!DOCTYPE R SYSTEM \"x.dtd\"><R a=\"&foo;\"><Records><a>1</a></Records></R>")
        << "1. sor, 34. oszlop" << "a(z) „&foo;” entitás " + undeclared;
    QTest::newRow("external parameter entity")
        << QByteArray("<!DOCTYPE R [\n  <!ENTITY % ext SYSTEM \"file:///etc/passwd\">\n  %ext;\n]><R><Records><a>1</a></Records></R>")
        << "3. sor, 3. oszlop"
        << "a(z) „%ext;” paraméter-entitás " + external.arg("file:///etc/passwd");
    // Declarations after an external parameter entity are not read: the first unresolved reference
    // is the parameter entity itself.
    QTest::newRow("declaration after an external parameter entity")
        << QByteArray("<!DOCTYPE R [<!ENTITY % e SYSTEM \"e.ent\"> %e; <!ENTITY z \"zz\">]><R><Records>&z;</Records></R>")
        << "1. sor, 43. oszlop" << "a(z) „%e;” paraméter-entitás " + external.arg("e.ent");
    // What the reader itself refuses, in Hungarian.
    QTest::newRow("external entity in an attribute")
        << QByteArray("<!DOCTYPE R [<!ENTITY x SYSTEM \"a.ent\">]><R a=\"&x;\"><Records><a>1</a></Records></R>")
        << "1. sor, 50. oszlop"
        << "egy attribútum értéke a(z) „x” külső entitásra hivatkozik, a program külső fájlt nem olvas be";
    QTest::newRow("unparsed entity")
        << QByteArray("<!DOCTYPE R [<!ENTITY x SYSTEM \"a.png\" NDATA png>]><R><Records><a>&x;</a></Records></R>")
        << "1. sor, 69. oszlop" << "hivatkozás a(z) „x” entitásra, amely nem szöveg (NDATA)";
    QTest::newRow("undeclared entity, no DTD") << QByteArray("<R><Records><a>&foo;</a></Records></R>")
                                               << "1. sor, 20. oszlop" << "a(z) „foo” entitás nincs deklarálva";
    QTest::newRow("entity referring to itself")
        << QByteArray("<!DOCTYPE R [<!ENTITY a \"&b;\"><!ENTITY b \"&a;\">]><R><Records><a>&a;</a></Records></R>")
        << "1. sor, 67. oszlop" << "egy entitás önmagára hivatkozik";
    QByteArray laughs = "<!DOCTYPE R [<!ENTITY a \"xxxxxxxxxx\">";
    for (char c = 'b'; c <= 'g'; ++c)
        laughs += QByteArray("<!ENTITY ") + c + " \"" + (QByteArray("&") + char(c - 1) + ";").repeated(10) + "\">";
    laughs += "]><R><Records><a>&g;</a></Records></R>";
    QTest::newRow("entity expanding past the limit")
        << laughs << "1. sor, 321. oszlop" << "egy entitás kifejtve több karakter lenne, mint amennyit a program elfogad";
}

void TakeoverXmlTest::unresolvedEntities()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, where);
    QFETCH(QString, why);
    const takeover::RecordFile file = takeover::readRecords(xml, QStringLiteral("C:/fulszam/fulszam.xml"));
    QVERIFY(file.records.isEmpty());
    QCOMPARE(file.error, QStringLiteral("A(z) \"%1\" fájl nem olvasható be (%2): %3")
                             .arg(QDir::toNativeSeparators(QStringLiteral("C:/fulszam/fulszam.xml")), where, why));
}

void TakeoverXmlTest::resolvedEntitiesStillRead()
{
    // What the file itself declares is read: entities in entities, character references made into
    // a reference, entities only declared and never used (an external one included), a parameter
    // entity of the file's own, and an external DTD when no entity needs it.
    const QByteArray xml =
        "<!DOCTYPE R SYSTEM \"kulso.dtd\" [\n"
        "  <!ENTITY x SYSTEM \"file:///etc/passwd\">\n"
        "  <!ENTITY % sajat '<!ENTITY q \"Q\">'> %sajat;\n"
        "  <!ENTITY a \"A&b;\"> <!ENTITY b \"&#66;&amp;&#38;#67;\">\n"
        "]>\n"
        "<R x='&amp;&lt;' y=\"&a;\"><Records><a>&a;</a><b>&q;</b><!-- &x; --><![CDATA[&x;]]><?pi &x;?><c>&#x31;</c></Records></R>";
    const takeover::RecordFile file = takeover::readRecords(xml);
    QVERIFY2(file.ok(), qPrintable(file.error));
    QCOMPARE(file.records, Records({{"AB&C", "Q", "1"}}));
}

void TakeoverXmlTest::externalFileNeverRead()
{
    // The entity names a real file: the read fails and nothing of that file shows anywhere.
    QTemporaryDir dir;
    const QString secret = dir.filePath(QStringLiteral("titok.txt"));
    QFile s(secret);
    QVERIFY(s.open(QIODevice::WriteOnly));
    s.write("TITOK-12345");
    s.close();
    const QString name = dir.filePath(QStringLiteral("fulszam.xml"));
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<!DOCTYPE R [<!ENTITY x SYSTEM \"" + QUrl::fromLocalFile(secret).toEncoded() +
            "\"><!ENTITY y SYSTEM \"titok.txt\">]>\n<R><Records><a>2011.03.05</a><b>&y;</b><c>V1</c></Records></R>");
    f.close();
    const takeover::RecordFile file = takeover::readRecordFile(name);
    QVERIFY(!file.ok());
    QVERIFY(file.records.isEmpty());
    QVERIFY2(file.error.contains(QStringLiteral("(2. sor, 33. oszlop): a(z) „&y;” entitás")), qPrintable(file.error));
    QVERIFY(!file.error.contains(QStringLiteral("TITOK")));
}

void TakeoverXmlTest::readerMessagesInHungarian_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("why");
    QTest::newRow("tags crossed") << QByteArray("<R><Records><a>1</b></Records></R>")
                                  << "a zárócímke nem az utoljára nyitott elemet zárja";
    QTest::newRow("two roots") << QByteArray("<R/><S/>") << "a dokumentum fő eleme után még tartalom áll";
    QTest::newRow("attribute twice") << QByteArray("<R a='1' a='2'/>") << "a(z) „a” attribútum kétszer szerepel egy elemben";
    QTest::newRow("text before the root") << QByteArray("2011.03.05 0012345678") << "itt egy elem nyitócímkéjének kellene állnia";
    QTest::newRow("bad character reference") << QByteArray("<R>&#0;</R>") << "érvénytelen karakterhivatkozás";
    QTest::newRow("declaration not first") << QByteArray("<R/>\n<?xml version='1.0'?>")
                                           << "az XML-deklaráció nem a fájl elején áll";
    QTest::newRow("bad XML version") << QByteArray("<?xml version='2.0'?><R/>") << "nem támogatott XML-verzió";
    QTest::newRow("standalone") << QByteArray("<?xml version='1.0' standalone='talán'?><R/>")
                                << "a „standalone” értéke csak „yes” vagy „no” lehet";
    QTest::newRow("]]> in text") << QByteArray("<R>a]]>b</R>") << "a „]]>” jelsorozat nem állhat a szövegben";
    QTest::newRow("namespace prefix") << QByteArray("<x:R/>") << "a(z) „x” névtér-előtag nincs deklarálva";
    QTest::newRow("bad name") << QByteArray("<R><1a/></R>") << "";
    QTest::newRow("unquoted attribute") << QByteArray("<R a=1/>") << "";
}

void TakeoverXmlTest::readerMessagesInHungarian()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, why);
    const takeover::RecordFile file = takeover::readRecords(xml, QStringLiteral("f.xml"));
    QVERIFY(!file.ok());
    const QString reason = file.error.mid(file.error.indexOf(QStringLiteral("): ")) + 3);
    if (!why.isEmpty())
        QCOMPARE(reason, why);
    QVERIFY2(!hungarian::looksEnglish(reason), qPrintable(reason));
}

void TakeoverXmlTest::qtMessagesMapped_data()
{
    QTest::addColumn<QString>("qt");
    QTest::addColumn<QString>("ours");
    QTest::newRow("expected list") << "Expected '>' or '/', but got '<'." << "itt „>” vagy „/” következne, nem „<”";
    QTest::newRow("expected, end of file") << "Expected '?>', but got 'end of file'."
                                           << "itt „?>” következne, de a fájl véget ér";
    QTest::newRow("expected three") << "Expected '=', '>', or '/', but got '['." << "itt „=”, „>” vagy „/” következne, nem „[”";
    QTest::newRow("unexpected") << "Unexpected '<!'." << "itt nem állhat „<!”";
    QTest::newRow("unexpected end") << "Unexpected 'end of file'." << "a fájl váratlanul véget ér";
    QTest::newRow("not declared") << "Entity 'foo' not declared." << "a(z) „foo” entitás nincs deklarálva";
    QTest::newRow("expansion limit") << "Entity expands to more characters than the entity expansion limit."
                                     << "egy entitás kifejtve több karakter lenne, mint amennyit a program elfogad";
    QTest::newRow("encoding") << "Encoding x-nincs is unsupported" << "a(z) „x-nincs” karakterkódolás nem támogatott";
    QTest::newRow("unknown message") << "Something new went wrong." << "a fájl nem szabályos XML";
}

void TakeoverXmlTest::qtMessagesMapped()
{
    QFETCH(QString, qt);
    QFETCH(QString, ours);
    QCOMPARE(takeover::xmlReaderMessage(qt), ours);
}

void TakeoverXmlTest::sameWordsUnderQtTranslations()
{
    // The program runs with Qt's Hungarian translations, which give some of the reader's messages in
    // Hungarian of their own: the person gets the same words either way.
    const QList<QByteArray> broken = {"<R><Records><a>&foo;</a></Records></R>", "<R a='1' a='2'/>",
                                      "<R><Records><a>1</b></Records></R>", "<R><1a/></R>", "<R/><S/>",
                                      "<!DOCTYPE R [<!ENTITY x SYSTEM \"a.png\" NDATA png>]><R>&x;</R>"};
    QStringList before;
    for (const QByteArray& xml : broken)
        before << takeover::readRecords(xml).error;
    QVERIFY(platform::installQtTranslations(*QCoreApplication::instance()));
    QCOMPARE(QCoreApplication::translate("QXmlStream", "Entity '%1' not declared."),
             QStringLiteral("A(z) „%1” entitás nincs deklarálva."));
    QStringList after;
    for (const QByteArray& xml : broken)
        after << takeover::readRecords(xml).error;
    QCOMPARE(after, before);
}

QTEST_GUILESS_MAIN(TakeoverXmlTest)
#include "test_takeover_xml.moc"
