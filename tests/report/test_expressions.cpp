#include "storage/shared_datasets.h"
#include "printing/report_feeds.h"
#include "report/engine.h"
#include "report/variables.h"
#include "testdb.h"
#include "ui/platform.h"

#include <QTest>

// Every case is one text object on the data band of the simple on-site list's dataset (ZQ11),
// which holds one arrival: ear tag 12345, arrived 2011.03.01.
class ExpressionTest : public QObject {
    Q_OBJECT
private slots:
    void evaluates_data();
    void evaluates();
    void faultyExpressionNamesLineAndColumn_data();
    void faultyExpressionNamesLineAndColumn();
};

namespace {

report::Template templateFor(const QString& expression)
{
    const QString text = QStringLiteral("[report]\n"
                                        "title = Kifejezés\n"
                                        "[expressions]\n"
                                        "napok = [v_datum] - [bszkelt]\n"
                                        "cimke = [napok] + \" nap\"\n"
                                        "[masterdata]\n"
                                        "dataset = frDBTelepennap\n"
                                        "height = 6\n"
                                        "text 0 0 150 6 : %1\n")
                             .arg(expression);
    return report::parseTemplate(text.toUtf8(), QStringLiteral("Kifejezes.frf"));
}

}  // namespace

void ExpressionTest::evaluates_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("unresolved");

    QTest::newRow("field") << "[bfulszam]" << "12345" << "";
    QTest::newRow("field of a named dataset") << "[ZQ11.BFULSZAM]" << "12345" << "";
    QTest::newRow("date field") << "[bszkelt]" << "2011.03.01" << "";
    QTest::newRow("text variable") << "[v_teszt]" << "alma" << "";
    QTest::newRow("integer variable, arithmetic") << "[v_szam] * 2 + 1" << "15" << "";
    QTest::newRow("precedence and brackets") << "(2 + 3) * 4 - 10 / 5" << "18" << "";
    QTest::newRow("unary minus") << "-[v_szam] + 10" << "3" << "";
    QTest::newRow("fraction") << "7 / 2" << "3,5" << "";
    QTest::newRow("division by zero is empty") << "1 / 0" << "" << "";
    QTest::newRow("page number") << "[PAGE]" << "1" << "";
    QTest::newRow("page count") << "\"Oldal \" + [PAGE] + \" / \" + [PAGES]" << "Oldal 1 / 1" << "";
    QTest::newRow("engine's row number") << "[LINE] + \".\"" << "1." << "";
    QTest::newRow("today") << "[DATE]" << "2011.03.15" << "";
    QTest::newRow("text and number joined") << "\"Sor: \" + 3" << "Sor: 3" << "";
    QTest::newRow("quote inside a text") << "\"Az \"\"OK\"\" gomb\"" << "Az \"OK\" gomb" << "";
    QTest::newRow("date difference") << "[v_datum] - [bszkelt]" << "14" << "";
    QTest::newRow("date plus days") << "[bszkelt] + 30" << "2011.03.31" << "";
    QTest::newRow("date minus days") << "[bszkelt] - 1" << "2011.02.28" << "";
    QTest::newRow("template's own expressions") << "[cimke]" << "14 nap" << "";
    QTest::newRow("comparison of dates") << "[bszkelt] < [v_datum]" << "1" << "";
    QTest::newRow("IF, empty text is false") << "IF([v_ures] = \"\", \"-\", [v_szam])" << "-" << "";
    QTest::newRow("IF, text is true") << "IF([bfulszam], \"van\", \"nincs\")" << "van" << "";
    QTest::newRow("TRIM") << "\"[\" + TRIM(\"  x  \") + \"]\"" << "[x]" << "";
    QTest::newRow("name found nowhere") << "[nincs_ilyen]" << "" << "nincs_ilyen";
    QTest::newRow("name found nowhere in arithmetic") << "[nincs_ilyen] + 1" << "" << "nincs_ilyen";
    QTest::newRow("field of a dataset not in the catalog") << "[Sehol.mezo]" << "" << "Sehol.mezo";
    QTest::newRow("closed dataset reads nothing") << "\"<\" + [ZQ13.bfulszam] + \">\"" << "<>" << "";
}

void ExpressionTest::evaluates()
{
    QFETCH(QString, expression);
    QFETCH(QString, expected);
    QFETCH(QString, unresolved);

    TestDatabase db;
    platform::TestDoubles doubles;
    db.exec(QStringLiteral("INSERT INTO beszall (bfulszam, bszkelt) VALUES ('12345', '2011-03-01')"));
    ReportFeeds& feeds = ReportFeeds::of(*Data);
    Data->ZQ11.setSql({QStringLiteral("SELECT bfulszam, bszkelt, IDb FROM beszall")});
    auto& vars = report::variables();
    vars.setText(QStringLiteral("v_teszt"), QStringLiteral("alma"));
    vars.setInt(QStringLiteral("v_szam"), 7);
    vars.setDate(QStringLiteral("v_datum"), QDate(2011, 3, 15));
    vars.setText(QStringLiteral("v_ures"), QString());

    report::Report& r = feeds.frReport5;
    r.setTemplate(templateFor(expression));
    const report::PreparedReport pages = r.prepare();
    QCOMPARE(pages.pageCount(), 1);
    const auto& texts = pages.pages[0].texts;
    QCOMPARE(texts.empty() ? QString() : texts[0].text, expected);
    QCOMPARE(r.unresolvedNames().join(u','), unresolved);
}

void ExpressionTest::faultyExpressionNamesLineAndColumn_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("detail");

    QTest::newRow("unclosed reference") << "[bfulszam" << "hiányzó „]” (a kifejezés 1. karakterénél)";
    QTest::newRow("unclosed text") << "\"abc" << "hiányzó záró idézőjel (a kifejezés 1. karakterénél)";
    QTest::newRow("missing operand") << "1 +" << "hiányzik egy érték a kifejezés végén (a kifejezés 4. karakterénél)";
    QTest::newRow("unknown function") << "FOO(1)" << "ismeretlen függvény: FOO (a kifejezés 1. karakterénél)";
    QTest::newRow("bare name")
        << "bfulszam" << "ismeretlen név: bfulszam (mezőt és változót szögletes zárójelben kell írni: [bfulszam]) "
                         "(a kifejezés 1. karakterénél)";
    QTest::newRow("IF with two arguments") << "IF(1, 2)" << "a(z) IF függvénynek 3 argumentuma van (a kifejezés 1. karakterénél)";
    QTest::newRow("unclosed bracket") << "(1 + 2" << "hiányzó „)” (a kifejezés 7. karakterénél)";
    QTest::newRow("two values") << "1 2" << "fölösleges szöveg a kifejezés végén: „2” (a kifejezés 3. karakterénél)";
    QTest::newRow("empty reference") << "[ ]" << "üres hivatkozás: [] (a kifejezés 1. karakterénél)";
}

void ExpressionTest::faultyExpressionNamesLineAndColumn()
{
    QFETCH(QString, expression);
    QFETCH(QString, detail);
    try {
        report::parseTemplate(QStringLiteral("[report]\n[title]\nheight = 5\n\ntext 0 0 10 5 :%1\n").arg(expression).toUtf8(),
                              QStringLiteral("Rossz.frf"));
        QFAIL("a faulty expression must not load");
    } catch (const report::TemplateError& e) {
        QCOMPARE(e.kind(), report::TemplateError::Kind::Malformed);
        QCOMPARE(e.line(), 5);
        QCOMPARE(e.message(),
                 QStringLiteral("Nem lehet megnyitni a(z) \"Rossz.frf\" fájlt. Hibás jelentéssablon, 5. sor: ") + detail);
    }
}

QTEST_MAIN(ExpressionTest)
#include "test_expressions.moc"
