#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "core/dbcreate.h"
#include "db/client.h"
#include "db/database_settings.h"
#include "report/render.h"
#include "screens.h"
#include "stocktake/scan_input.h"
#include "stocktake/stocktake_dialog.h"
#include "stocktake_fixture.h"
#include "storage/session.h"
#include "testdb.h"
#include "ui/dbwidgets.h"
#include "ui/grid_export.h"
#include "ui/platform.h"

using namespace stocktake_fixture;

namespace {

// Every row of a grid's column, as shown (the grid fetches as it is scrolled: all of it here).
QStringList column(DBGrid* grid, int col)
{
    QAbstractItemModel* model = grid->model();
    while (model->canFetchMore({}))
        model->fetchMore({});
    QStringList out;
    for (int r = 0; r < model->rowCount(); ++r)
        out << model->data(model->index(r, col), Qt::DisplayRole).toString();
    return out;
}

// One row of a grid: its cells joined by " | ".
QStringList rows(DBGrid* grid)
{
    QAbstractItemModel* model = grid->model();
    while (model->canFetchMore({}))
        model->fetchMore({});
    QStringList out;
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model->columnCount(); ++c)
            cells << model->data(model->index(r, c), Qt::DisplayRole).toString();
        out << cells.join(QStringLiteral(" | "));
    }
    return out;
}

QTabWidget* tabs(QWidget* screen)
{
    return child<QTabWidget>(screen, "listTabs");
}
QStringList tabTitles(QWidget* screen)
{
    QStringList titles;
    for (int i = 0; i < tabs(screen)->count(); ++i)
        titles << tabs(screen)->tabText(i);
    return titles;
}
DBGrid* grid(QWidget* screen, const char* name)
{
    return child<DBGrid>(screen, name);
}

// A list's rows, the list brought into view first (as a person clicks its tab).
QStringList listRows(QWidget* screen, int tab, const char* gridName)
{
    QCoreApplication::processEvents();
    tabs(screen)->setCurrentIndex(tab);
    return rows(grid(screen, gridName));
}

// The ear tag typed and Enter pressed, as a person or a hand-held reader does.
void read(QWidget* screen, const QString& text)
{
    QLineEdit* field = edit(screen, "earTagEdit");
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

QString answer(QWidget* screen)
{
    return shown(screen, "readingAnswerLabel");
}
QString detail(QWidget* screen)
{
    return shown(screen, "readingDetailLabel");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

const QStringList kFoundRows{
    "1001 | 2011.03.01 | 14 | Alfa Kft | %1 | 2 | 2× olvasva",
    "1002 | 2011.03.05 | 10 | Alfa Kft | %1 | 1 | ",
};
const QStringList kMissingRows{
    "1004 | 2011.03.10 | 5 | Béta Bt",
    "1005 | 2011.03.12 | 3 | Béta Bt",
    "1006 | 2011.03.14 | 1 | Alfa Kft",
};
// Ear tag, last known pass, its date, partner (the reading times and counts after them).
const QStringList kUnregisteredStart{
    "1003 | kiszállítva | 2011.02.10 | Vevő Bt",
    "2001 | kiszállítva (archivált) | 2010.05.20 | Vevő Bt",
    "3001 | kiszállítva | 2011.03.02 | Vevő Bt",
    "9999 | nem szerepelt a nyilvántartásban |  | ",
};
const QStringList kTitles{"Megvan (2)", "Hiányzik (3)", "Nincs nyilvántartva (4)"};

// The found list without its reading times (they are the database's clock).
QStringList withoutTimes(const QStringList& rows, int timeColumn)
{
    QStringList out;
    for (const QString& row : rows) {
        QStringList cells = row.split(QStringLiteral(" | "));
        if (timeColumn < cells.size())
            cells[timeColumn] = QStringLiteral("%1");
        out << cells.join(QStringLiteral(" | "));
    }
    return out;
}
QStringList firstColumns(const QStringList& rows, int count)
{
    QStringList out;
    for (const QString& row : rows)
        out << row.split(QStringLiteral(" | ")).mid(0, count).join(QStringLiteral(" | "));
    return out;
}

std::unique_ptr<StockTakeDialog> openScreen(Session& session)
{
    auto screen = std::make_unique<StockTakeDialog>(session);
    screen->show();
    if (!QTest::qWaitForWindowExposed(screen.get()))
        qFatal("the stock-take screen did not show");
    return screen;
}

std::unique_ptr<StockTakeDialog> startNew(Session& session)
{
    auto screen = openScreen(session);
    QTest::mouseClick(button(screen.get(), "newStockTakeButton"), Qt::LeftButton);
    return screen;
}

QString pdfText(const QString& file)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"),
            {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), file, QStringLiteral("-")});
    if (!p.waitForFinished(60000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace

class StockTakeTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        gridexport::setProgressDelay(0);
        StockTakeDialog::setOtherDesksInterval(StockTakeDialog::kOtherDesksInterval);
    }

    void earTagReadings_data();
    void earTagReadings();
    void readerFiles_data();
    void readerFiles();

    void typedReadingsAreAnsweredAtOnce();
    void blankAndRefusedInputStoresNothing();
    void fileGivesTheSameListsAndNamesItsBadLines();
    void unusableFileStoresNothing_data();
    void unusableFileStoresNothing();
    void stopsAndGoesOnLater();
    void earlierStockTakeOpensAgain();
    void closingFreezesPrintsAndLeavesTheRegister();
    void readingRefusedOnceAnotherDeskClosed();
    void closingWaitsForAReadingInFlight();
    void listExportsAsTheOtherGrids();
    void anotherDesksReadingsAppear();
    void upgradeAddsTheStockTakeTables();
};

// ---------------------------------------------------------------- what counts as an ear tag

void StockTakeTest::earTagReadings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("result");  // the ear tag, or why it is none

    using K = stocktake::Reading::Kind;
    QTest::newRow("digits") << "1001" << int(K::EarTag) << "1001";
    QTest::newRow("printed as on the tag") << "HU 31 0046 0000 3" << int(K::EarTag) << "31004600003";
    QTest::newRow("leading zeros kept") << "0031 0046" << int(K::EarTag) << "00310046";
    QTest::newRow("dashes, dots, slashes") << "HU-31.0046/0000" << int(K::EarTag) << "3100460000";
    QTest::newRow("a reader's tab and blanks") << "\t 1002 \r" << int(K::EarTag) << "1002";
    QTest::newRow("25 digits") << QString(25, u'7') << int(K::EarTag) << QString(25, u'7');
    QTest::newRow("empty") << "" << int(K::Blank) << "";
    QTest::newRow("blanks") << "   " << int(K::Blank) << "";
    QTest::newRow("a header") << "Fülszám" << int(K::NotEarTag) << "nincs benne számjegy";
    QTest::newRow("letters only") << "abc" << int(K::NotEarTag) << "nincs benne számjegy";
    QTest::newRow("a letter among the digits") << "31 00A4" << int(K::NotEarTag) << "„A” nem lehet a fülszámban";
    QTest::newRow("a date after the tag") << "1001;2011.03.01" << int(K::NotEarTag) << "„;” nem lehet a fülszámban";
    QTest::newRow("26 digits") << QString(26, u'7') << int(K::NotEarTag) << "több mint 25 számjegy";
    QTest::newRow("a word before the number")
        << "Marha 1001" << int(K::NotEarTag) << "a szám előtt legfeljebb 3 betű állhat";
}

void StockTakeTest::earTagReadings()
{
    QFETCH(QString, text);
    QFETCH(int, kind);
    QFETCH(QString, result);
    const stocktake::Reading r = stocktake::readEarTag(text);
    QCOMPARE(int(r.kind), kind);
    QCOMPARE(r.kind == stocktake::Reading::Kind::EarTag ? r.earTag : r.reason, result);
}

// ---------------------------------------------------------------- reader files

void StockTakeTest::readerFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("earTags");
    QTest::addColumn<QStringList>("refused");  // "line: text (reason)"
    QTest::addColumn<qint64>("header");
    QTest::addColumn<qint64>("blank");

    QTest::newRow("a reader's export, CR LF")
        << QByteArray("Fulszam\r\nHU 1001\r\n\r\n1002\r\nxyz\r\n1001\r\n") << QStringList{"1001", "1002", "1001"}
        << QStringList{"5: xyz (nincs benne számjegy)"} << qint64(1) << qint64(1);
    QTest::newRow("UTF-8 header with a byte-order mark, LF, no end of line")
        << QByteArray(
               "\xEF\xBB\xBF"
               "Fülszám;Idő\n1003\n31 00A4\n9999")
        << QStringList{"1003", "9999"} << QStringList{"3: 31 00A4 („A” nem lehet a fülszámban)"} << qint64(1)
        << qint64(0);
    QTest::newRow("Windows-1250 header, lone CR")
        << QByteArray("F\xFClsz\xE1m\r1005\r\r1006\r") << QStringList{"1005", "1006"} << QStringList{} << qint64(1)
        << qint64(1);
    QTest::newRow("no header: a first line of letters after a blank one is still the header")
        << QByteArray("\n  \nAllatok\n1001\n") << QStringList{"1001"} << QStringList{} << qint64(3) << qint64(2);
    QTest::newRow("a bad first line of digits is no header")
        << QByteArray("1001;2\n1002\n") << QStringList{"1002"} << QStringList{"1: 1001;2 („;” nem lehet a fülszámban)"}
        << qint64(0) << qint64(0);
    QTest::newRow("UTF-16 with its byte-order mark") << QByteArray(
                                                            "\xFF\xFE"
                                                            "F\0u\0l\0\n\0"
                                                            "1\0"
                                                            "0\0"
                                                            "0\0"
                                                            "4\0\r\0\n\0",
                                                            22)
                                                     << QStringList{"1004"} << QStringList{} << qint64(1) << qint64(0);
    QTest::newRow("a line longer than any ear tag")
        << (QByteArray("1001\n") + QByteArray(5000, '1') + "\n1002\n") << QStringList{"1001", "1002"}
        << QStringList{QStringLiteral("2: %1… (túl hosszú sor)").arg(QString(200, u'1'))} << qint64(0) << qint64(0);
}

void StockTakeTest::readerFiles()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, earTags);
    QFETCH(QStringList, refused);
    QFETCH(qint64, header);
    QFETCH(qint64, blank);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("olvaso.txt"));
    writeFile(path, content);
    const auto result = stocktake::readTagFile(path);
    if (const auto* refusal = std::get_if<stocktake::FileRefusal>(&result))
        QFAIL(qPrintable(refusal->message));
    const auto& file = std::get<stocktake::TagFile>(result);
    QCOMPARE(file.earTags, earTags);
    QStringList refusedShown;
    for (const auto& line : file.refused)
        refusedShown << QStringLiteral("%1: %2 (%3)").arg(line.line).arg(line.text, line.reason);
    QCOMPARE(refusedShown, refused);
    QCOMPARE(file.refusedCount, qint64(refused.size()));
    QCOMPARE(file.headerLine, header);
    QCOMPARE(file.blankLines, blank);
}

// ---------------------------------------------------------------- reading at the desk

void StockTakeTest::typedReadingsAreAnsweredAtOnce()
{
    TestDatabase db;
    fillSite(db);
    platform::TestDoubles doubles;
    const auto screen = startNew(db.session());
    QVERIFY(screen->stockTake() && screen->stockTake()->isOpen());
    QCOMPARE(tabTitles(screen.get()), QStringList({"Megvan (0)", "Hiányzik (5)", "Nincs nyilvántartva (0)"}));
    QVERIFY(edit(screen.get(), "earTagEdit")->hasFocus());

    struct Step {
        const char* typed;
        const char* answer;
        const char* detail;
        int beeps;  // in all, after the step
    };
    const Step steps[] = {
        {"1001", "1001: Megvan", "Telepen van. Beérkezett: 2011.03.01 (14 napja), feladó: Alfa Kft.", 0},
        // As printed on the tag: blanks and country letters go.
        {"HU 10 02", "1002: Megvan", "Telepen van. Beérkezett: 2011.03.05 (10 napja), feladó: Alfa Kft.", 0},
        {"1001", "1001: Megvan (már beolvasva, 2. olvasás)",
         "Telepen van. Beérkezett: 2011.03.01 (14 napja), feladó: Alfa Kft.", 0},
        {"1003", "1003: Nincs nyilvántartva",
         "A nyilvántartás szerint nincs telepen. Utolsó ismert mozgása: kiszállítva 2011.02.10, Vevő Bt.", 1},
        {"2001", "2001: Nincs nyilvántartva",
         "A nyilvántartás szerint nincs telepen. Utolsó ismert mozgása: kiszállítva (archivált) 2010.05.20, Vevő Bt.",
         2},
        {"3001", "3001: Nincs nyilvántartva",
         "A nyilvántartás szerint nincs telepen. Utolsó ismert mozgása: kiszállítva 2011.03.02, Vevő Bt.", 3},
        {"9999", "9999: Nincs nyilvántartva",
         "A nyilvántartás szerint nincs telepen: nem szerepelt a nyilvántartásban.", 4},
    };
    for (const Step& step : steps) {
        read(screen.get(), QString::fromUtf8(step.typed));
        QCOMPARE(answer(screen.get()), QString::fromUtf8(step.answer));
        QCOMPARE(detail(screen.get()), QString::fromUtf8(step.detail));
        QCOMPARE(doubles.beeps, step.beeps);
        // The field is empty for the next tag, and keeps the focus.
        QCOMPARE(edit(screen.get(), "earTagEdit")->text(), QString());
        QVERIFY(edit(screen.get(), "earTagEdit")->hasFocus());
    }
    QVERIFY(doubles.messages.isEmpty());  // nothing asked for a click

    // An ear tag read twice is counted once and flagged.
    QCOMPARE(tabTitles(screen.get()), QStringList({"Megvan (2)", "Hiányzik (3)", "Nincs nyilvántartva (4)"}));
    QCOMPARE(withoutTimes(listRows(screen.get(), 0, "foundGrid"), 4), kFoundRows);
    QCOMPARE(listRows(screen.get(), 1, "missingGrid"), kMissingRows);
    QCOMPARE(firstColumns(listRows(screen.get(), 2, "unregisteredGrid"), 4), kUnregisteredStart);
    // The newest reading on top of the recent ones.
    auto* recent = child<QListWidget>(screen.get(), "recentReadingsList");
    QCOMPARE(recent->count(), 7);
    QVERIFY(recent->item(0)->text().endsWith(QStringLiteral("9999  Nincs nyilvántartva")));

    // Every reading is in the database at once, committed, with its desk and user.
    QCOMPARE(db.rows(QStringLiteral("SELECT tfulszam, tgep, tfelhasznalo FROM leltartetel ORDER BY idt")),
             QList<QStringList>({{"1001", db.session().stockTakes().deskName(), "SYSDBA"},
                                 {"1002", db.session().stockTakes().deskName(), "SYSDBA"},
                                 {"1001", db.session().stockTakes().deskName(), "SYSDBA"},
                                 {"1003", db.session().stockTakes().deskName(), "SYSDBA"},
                                 {"2001", db.session().stockTakes().deskName(), "SYSDBA"},
                                 {"3001", db.session().stockTakes().deskName(), "SYSDBA"},
                                 {"9999", db.session().stockTakes().deskName(), "SYSDBA"}}));
    QCOMPARE(db.value(QStringLiteral("SELECT gdb FROM leltargep")), QStringLiteral("7"));
}

void StockTakeTest::blankAndRefusedInputStoresNothing()
{
    TestDatabase db;
    fillSite(db);
    platform::TestDoubles doubles;
    const auto screen = startNew(db.session());
    read(screen.get(), QStringLiteral("1001"));
    const QString before = answer(screen.get());

    // An empty line does nothing at all.
    read(screen.get(), QString());
    read(screen.get(), QStringLiteral("   "));
    QCOMPARE(answer(screen.get()), before);
    QCOMPARE(doubles.beeps, 0);
    QCOMPARE(edit(screen.get(), "earTagEdit")->text(), QString());

    // No ear tag: said in red with a beep, nothing stored, the text selected to be typed over.
    read(screen.get(), QStringLiteral("31 00A4"));
    QCOMPARE(answer(screen.get()), QStringLiteral("Nem fülszám: „31 00A4”"));
    QCOMPARE(detail(screen.get()), QStringLiteral("„A” nem lehet a fülszámban; nem került a leltárba."));
    QCOMPARE(doubles.beeps, 1);
    QVERIFY(edit(screen.get(), "earTagEdit")->hasSelectedText());
    QVERIFY(doubles.messages.isEmpty());
    // The next reading replaces it.
    read(screen.get(), QStringLiteral("1002"));
    QCOMPARE(answer(screen.get()), QStringLiteral("1002: Megvan"));
    QCOMPARE(db.rows(QStringLiteral("SELECT tfulszam FROM leltartetel ORDER BY idt")),
             QList<QStringList>({{"1001"}, {"1002"}}));
    QCOMPARE(tabTitles(screen.get()), QStringList({"Megvan (2)", "Hiányzik (3)", "Nincs nyilvántartva (0)"}));
}

void StockTakeTest::fileGivesTheSameListsAndNamesItsBadLines()
{
    TestDatabase db;
    fillSite(db);
    platform::TestDoubles doubles;
    const QString path = QDir(db.dir()).filePath(QStringLiteral("olvaso.csv"));
    writeFile(
        path,
        QByteArray("Fulszam\r\n1001\r\nHU 10 02\r\n\r\nabc\r\n1001\r\n1003\r\n2001;x\r\n2001\r\n3001\r\n9999\r\n"));
    const auto screen = startNew(db.session());
    doubles.fileAnswers << path;
    QTest::mouseClick(button(screen.get(), "readFileButton"), Qt::LeftButton);

    QCOMPARE(doubles.messageTexts(),
             QStringList{QStringLiteral("A(z) „%1” fájlból 7 fülszám került a leltárba.\n"
                                        "Új a leltárban: Megvan 2, Nincs nyilvántartva 4; a többi már beolvasott "
                                        "fülszám ismételt olvasása (1).\n"
                                        "Átugorva: a fejléc (1. sor), 1 üres sor.\n"
                                        "Nem fülszám, ezért kimaradt 2 sor:\n"
                                        "  5. sor: „abc” (nincs benne számjegy)\n"
                                        "  8. sor: „2001;x” („;” nem lehet a fülszámban)")
                             .arg(QDir::toNativeSeparators(path))});
    QCOMPARE(doubles.beeps, 1);  // ear tags not on site among them
    QCOMPARE(tabTitles(screen.get()), kTitles);
    QCOMPARE(withoutTimes(listRows(screen.get(), 0, "foundGrid"), 4), kFoundRows);
    QCOMPARE(listRows(screen.get(), 1, "missingGrid"), kMissingRows);
    QCOMPARE(firstColumns(listRows(screen.get(), 2, "unregisteredGrid"), 4), kUnregisteredStart);
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM leltartetel")), QStringLiteral("7"));
}

void StockTakeTest::unusableFileStoresNothing_data()
{
    QTest::addColumn<QByteArray>("content");  // empty: no file at all
    QTest::addColumn<QString>("message");     // %1: the file

    QTest::newRow("no such file") << QByteArray()
                                  << "A(z) „%1” fájl nem olvasható: A rendszer nem engedi megnyitni. "
                                     "Semmi sem került a leltárba.";
    QTest::newRow("a spreadsheet") << QByteArray("PK\x03\x04\x14\0\0\0\x08\0", 10)
                                   << "A(z) „%1” fájl nem szövegfájl: a(z) 1. sorában vezérlőkarakter áll (például "
                                      "táblázat vagy kép). Semmi sem került a leltárba.";
    QTest::newRow("ear tags, then a NUL") << QByteArray(
                                                 "1001\n1002\n10\0"
                                                 "03\n",
                                                 14)
                                          << "A(z) „%1” fájl nem szövegfájl: a(z) 3. sorában vezérlőkarakter áll "
                                             "(például táblázat vagy kép). Semmi sem került a leltárba.";
    QTest::newRow("empty") << QByteArray("", 0) << "A(z) „%1” fájl üres, nincs benne fülszám.";
    QTest::newRow("no ear tag in it") << QByteArray("Fulszam\nabc\n\n")
                                      << "A(z) „%1” fájlban nincs egy fülszám sem. Semmi sem került a leltárba.\n"
                                         "2. sor: „abc” (nincs benne számjegy)";
}

void StockTakeTest::unusableFileStoresNothing()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    TestDatabase db;
    fillSite(db);
    platform::TestDoubles doubles;
    const QString path = QDir(db.dir()).filePath(QStringLiteral("olvaso.txt"));
    if (!content.isNull())
        writeFile(path, content);
    const auto screen = startNew(db.session());
    doubles.fileAnswers << path;
    QTest::mouseClick(button(screen.get(), "readFileButton"), Qt::LeftButton);
    QCOMPARE(doubles.messageTexts(), QStringList{message.arg(QDir::toNativeSeparators(path))});
    QCOMPARE(doubles.beeps, 1);
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM leltartetel")), QStringLiteral("0"));
    QCOMPARE(tabTitles(screen.get()), QStringList({"Megvan (0)", "Hiányzik (5)", "Nincs nyilvántartva (0)"}));
    // The screen takes readings again.
    read(screen.get(), QStringLiteral("1001"));
    QCOMPARE(answer(screen.get()), QStringLiteral("1001: Megvan"));
}

// ---------------------------------------------------------------- the stock-take kept

void StockTakeTest::stopsAndGoesOnLater()
{
    TestDatabase db;
    fillSite(db);
    platform::TestDoubles doubles;
    {
        const auto screen = startNew(db.session());
        read(screen.get(), QStringLiteral("1001"));
        read(screen.get(), QStringLiteral("9999"));
        QTest::mouseClick(button(screen.get(), "closeButton"), Qt::LeftButton);
    }
    // The program ends and starts again: the open stock-take is there to go on with.
    db.closeSession();
    Session& session = db.openSession();
    const auto screen = openScreen(session);
    QVERIFY(screen->stockTake() && screen->stockTake()->isOpen());
    QCOMPARE(screen->stockTake()->id, 1);
    QCOMPARE(tabTitles(screen.get()), QStringList({"Megvan (1)", "Hiányzik (4)", "Nincs nyilvántartva (1)"}));
    read(screen.get(), QStringLiteral("1001"));
    QCOMPARE(answer(screen.get()), QStringLiteral("1001: Megvan (már beolvasva, 2. olvasás)"));
    read(screen.get(), QStringLiteral("1002"));
    QCOMPARE(tabTitles(screen.get()), QStringList({"Megvan (2)", "Hiányzik (3)", "Nincs nyilvántartva (1)"}));
    // This connection counts its readings in a row of its own.
    QCOMPARE(db.rows(QStringLiteral("SELECT gdb FROM leltargep ORDER BY gkapcsolat")),
             QList<QStringList>({{"2"}, {"2"}}));
}

void StockTakeTest::earlierStockTakeOpensAgain()
{
    TestDatabase db;
    fillSite(db);
    platform::TestDoubles doubles;
    const auto screen = startNew(db.session());
    read(screen.get(), QStringLiteral("1001"));
    // A second one while the first is open: asked, the first stays open.
    doubles.questionAnswers << true;
    QTest::mouseClick(button(screen.get(), "newStockTakeButton"), Qt::LeftButton);
    QCOMPARE(doubles.messageTexts(),
             QStringList{QStringLiteral("Új leltárt kezd?\nA mostani (1. sz.) leltár nyitva marad, a „Megnyitás…” "
                                        "gombbal később folytatható.")});
    QCOMPARE(screen->stockTake()->id, 2);
    QCOMPARE(tabTitles(screen.get()), QStringList({"Megvan (0)", "Hiányzik (5)", "Nincs nyilvántartva (0)"}));
    read(screen.get(), QStringLiteral("1005"));

    // "Megnyitás…": the list, the newest first; the first one picked.
    QStringList listed;
    doubles.modalHandlers << [&listed](QDialog* picker) {
        DBGrid* list = child<DBGrid>(picker, "stockTakesGrid");
        listed = column(list, 0);
        QTest::keyClick(list, Qt::Key_Down);
        QTest::mouseClick(button(picker, "openButton"), Qt::LeftButton);
    };
    QTest::mouseClick(button(screen.get(), "openStockTakeButton"), Qt::LeftButton);
    QCOMPARE(doubles.modalsShown, QStringList{"stockTakePickerDialog"});
    QCOMPARE(listed, QStringList({"2", "1"}));
    QCOMPARE(screen->stockTake()->id, 1);
    QCOMPARE(tabTitles(screen.get()), QStringList({"Megvan (1)", "Hiányzik (4)", "Nincs nyilvántartva (0)"}));
    QCOMPARE(answer(screen.get()), QStringLiteral("A leltár (1. sz.) folytatható."));
    read(screen.get(), QStringLiteral("1006"));
    QCOMPARE(db.rows(QStringLiteral("SELECT tleltar, tfulszam FROM leltartetel ORDER BY idt")),
             QList<QStringList>({{"1", "1001"}, {"2", "1005"}, {"1", "1006"}}));
}

void StockTakeTest::closingFreezesPrintsAndLeavesTheRegister()
{
    TestDatabase db;
    fillSite(db);
    QVERIFY(db.install(QStringLiteral(GERUNDO_TEMPLATES "/Leltar.frf")));
    db.exec(
        QStringLiteral("INSERT INTO partner (pnev, pirszam, phelyseg, putca, phszam, ptel, padoszam) "
                       "VALUES ('Gyűjtő Telep Kft', '6720', 'Szeged', 'Fő utca', '1', '62/123-456', '12345678-2-06')"));
    platform::TestDoubles doubles;
    const auto screen = startNew(db.session());
    for (const char* tag : {"1001", "1002", "1001", "1003", "2001", "3001", "9999"})
        read(screen.get(), QString::fromLatin1(tag));
    const QString registerBefore =
        db.value(QStringLiteral("SELECT (SELECT COUNT(*) FROM beszall) || '/' || (SELECT COUNT(*) FROM kiszall) || '/' "
                                "|| (SELECT COUNT(*) FROM beszall0) || '/' || (SELECT COUNT(*) FROM kiszall0) "
                                "FROM rdb$database"));

    // An open stock-take prints as it stands now, its missing animals read in one pass.
    QTest::mouseClick(button(screen.get(), "printButton"), Qt::LeftButton);
    QCOMPARE(doubles.reportsShown.size(), 1);
    const QString interim = doubles.reportsShown.takeFirst().pages.plainText();
    for (const char* expected :
         {"Nyitott leltár: a mostani állapot, a listák még változhatnak.", "Lezárva: | még nyitott", "Hiányzik (3)",
          "1. | 1004 | 2011.03.10 | 5 | Béta Bt", "2. | 1005 | 2011.03.12 | 3 | Béta Bt",
          "3. | 1006 | 2011.03.14 | 1 | Alfa Kft", "Nincs nyilvántartva (4)", "Megvan (2)"})
        QVERIFY2(interim.contains(QString::fromUtf8(expected)),
                 qPrintable(QString::fromUtf8(expected) + u'\n' + interim));

    doubles.questionAnswers << true;
    QTest::mouseClick(button(screen.get(), "closeStockTakeButton"), Qt::LeftButton);
    QCOMPARE(
        doubles.messageTexts(),
        QStringList{QStringLiteral("Lezárja a leltárt (1. sz.)?\nUtána nem olvasható be több fülszám; a három lista "
                                   "a mostani állapotában marad meg, és kinyomtatható.")});
    QVERIFY(!screen->stockTake()->isOpen());
    QCOMPARE(answer(screen.get()), QStringLiteral("A leltár (1. sz.) lezárva."));
    QVERIFY(!edit(screen.get(), "earTagEdit")->isEnabled());
    QVERIFY(!button(screen.get(), "closeStockTakeButton")->isEnabled());
    QVERIFY(!button(screen.get(), "readFileButton")->isEnabled());
    QCOMPARE(db.rows(QStringLiteral("SELECT llezarta, llezarogep, llezarva IS NOT NULL FROM leltar")),
             QList<QStringList>({{"SYSDBA", db.session().stockTakes().deskName(), "True"}}));
    QCOMPARE(db.rows(QStringLiteral("SELECT rlista, COUNT(*) FROM leltarlista GROUP BY rlista")),
             QList<QStringList>({{"H", "3"}, {"M", "2"}, {"N", "4"}}));

    // Printed at once: the company's heading, the counts, the lists.
    QCOMPARE(doubles.reportsShown.size(), 1);
    const report::PreparedReport& pages = doubles.reportsShown.first().pages;
    const QString text = pages.plainText();
    for (const char* expected :
         {"Gyűjtő Telep Kft", "Leltár (1. sz.)", "Lezárt leltár",
          "Megvan: 2     Hiányzik: 3     Nincs nyilvántartva: 4     Olvasások: 7", "Hiányzik (3)",
          "1. | 1004 | 2011.03.10 | 5 | Béta Bt", "3. | 1006 | 2011.03.14 | 1 | Alfa Kft", "Nincs nyilvántartva (4)",
          "4. | 9999 | 1 | nem szerepelt a nyilvántartásban",
          "2. | 2001 | 1 | kiszállítva (archivált) | 2010.05.20 | Vevő Bt", "Megvan (2)", "Oldal 1 / 1"})
        QVERIFY2(text.contains(QString::fromUtf8(expected)), qPrintable(QString::fromUtf8(expected) + u'\n' + text));
    // Hiányzik before Nincs nyilvántartva before Megvan.
    QVERIFY(text.indexOf(QStringLiteral("Hiányzik (3)")) < text.indexOf(QStringLiteral("Nincs nyilvántartva (4)")));
    QVERIFY(text.indexOf(QStringLiteral("Nincs nyilvántartva (4)")) < text.indexOf(QStringLiteral("Megvan (2)")));
    QVERIFY(doubles.reportsShown.first().options.buttons & report::PreviewButton::Print);
    // The same pages as a PDF, the texts searchable.
    const QString pdf = QDir(db.dir()).filePath(QStringLiteral("leltar.pdf"));
    report::writePdf(pages, pdf);
    const QString pdfWords = pdfText(pdf);
    QVERIFY2(pdfWords.contains(QStringLiteral("Hiányzik (3)")) && pdfWords.contains(QStringLiteral("1004")),
             qPrintable(pdfWords));

    // Nothing of the register changed.
    QCOMPARE(
        db.value(QStringLiteral("SELECT (SELECT COUNT(*) FROM beszall) || '/' || (SELECT COUNT(*) FROM kiszall) || "
                                "'/' || (SELECT COUNT(*) FROM beszall0) || '/' || (SELECT COUNT(*) FROM kiszall0) "
                                "FROM rdb$database")),
        registerBefore);

    // The register moves on; the closed stock-take shows what it found.
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam, kikelt, kfkod) VALUES ('1001', '2011-03-15', 'V')"));
    db.exec(QStringLiteral("INSERT INTO beszall (bfulszam, bszkelt, bfkod) VALUES ('9999', '2011-03-15', 'A')"));
    QTest::mouseClick(button(screen.get(), "refreshButton"), Qt::LeftButton);
    QCOMPARE(tabTitles(screen.get()), kTitles);
    QCOMPARE(withoutTimes(listRows(screen.get(), 0, "foundGrid"), 4), kFoundRows);
    QCOMPARE(listRows(screen.get(), 1, "missingGrid"), kMissingRows);
    QCOMPARE(firstColumns(listRows(screen.get(), 2, "unregisteredGrid"), 4), kUnregisteredStart);
    // ... and prints it again.
    QTest::mouseClick(button(screen.get(), "printButton"), Qt::LeftButton);
    QCOMPARE(doubles.reportsShown.size(), 2);
    QCOMPARE(doubles.reportsShown.last().pages.plainText(), text);
}

void StockTakeTest::readingRefusedOnceAnotherDeskClosed()
{
    // The screen does not look meanwhile: its next reading finds the closing.
    StockTakeDialog::setOtherDesksInterval(3600 * 1000);
    TestDatabase db;
    fillSite(db);
    platform::TestDoubles doubles;
    const auto screen = startNew(db.session());
    read(screen.get(), QStringLiteral("1001"));
    {
        // Another desk (a connection of its own) closes it.
        Session other(db.file());
        other.stockTakes().close(1, QDate(2011, 3, 15));
    }
    read(screen.get(), QStringLiteral("1002"));
    QCOMPARE(answer(screen.get()), QStringLiteral("1002: NEM került a leltárba"));
    QCOMPARE(detail(screen.get()),
             QStringLiteral("Ezt a leltárt közben lezárták (egy másik gépen); a fülszám nem került bele."));
    QCOMPARE(doubles.beeps, 1);
    QVERIFY(doubles.messages.isEmpty());
    QVERIFY(!screen->stockTake()->isOpen());
    QVERIFY(!edit(screen.get(), "earTagEdit")->isEnabled());
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM leltartetel")), QStringLiteral("1"));
    QCOMPARE(tabTitles(screen.get()), QStringList({"Megvan (1)", "Hiányzik (4)", "Nincs nyilvántartva (0)"}));
}

void StockTakeTest::closingWaitsForAReadingInFlight()
{
    TestDatabase db;
    fillSite(db);
    platform::TestDoubles doubles;
    const auto screen = startNew(db.session());
    read(screen.get(), QStringLiteral("1001"));

    // Another desk's reading, stored but not yet committed: its desk row is held.
    fb::Attachment other;
    other.attach(dbsettings::params(db.file()));
    {
        fb::Transaction reading;
        reading.start(other);
        fb::Statement join(
            other, reading,
            QStringLiteral("INSERT INTO leltargep (gleltar, gkapcsolat, ggep, gdb) VALUES (1, -1, 'masik', 1)"));
        join.execute();
        reading.commit();
        reading.start(other);
        fb::Statement touch(other, reading, QStringLiteral("UPDATE leltargep SET gdb = gdb + 1 WHERE gkapcsolat = -1"));
        touch.execute();

        doubles.questionAnswers << true;
        QTest::mouseClick(button(screen.get(), "closeStockTakeButton"), Qt::LeftButton);
        QCOMPARE(doubles.messageTexts().value(1),
                 QStringLiteral("A leltár most nem zárható le: egy másik gépen éppen fülszámot mentenek bele, vagy ott "
                                "zárják le.\nPróbálja újra."));
        QVERIFY(screen->stockTake()->isOpen());
        QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM leltar WHERE llezarva IS NULL")), QStringLiteral("1"));
        QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM leltarlista")), QStringLiteral("0"));
        QVERIFY(doubles.reportsShown.isEmpty());
        reading.commit();
    }
    other.detach();
    // Once that reading is in, the closing goes through.
    doubles.questionAnswers << true;
    QTest::mouseClick(button(screen.get(), "closeStockTakeButton"), Qt::LeftButton);
    QVERIFY(!screen->stockTake()->isOpen());
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM leltarlista")), QStringLiteral("5"));
}

void StockTakeTest::listExportsAsTheOtherGrids()
{
    TestDatabase db;
    fillSite(db);
    platform::TestDoubles doubles;
    const auto screen = startNew(db.session());
    read(screen.get(), QStringLiteral("1001"));
    tabs(screen.get())->setCurrentIndex(1);
    DBGrid* missing = grid(screen.get(), "missingGrid");
    missing->setFocus(Qt::OtherFocusReason);
    const QString csv = QDir(db.dir()).filePath(QStringLiteral("hianyzik.csv"));
    doubles.saveAnswers << csv;
    QTest::keyClick(missing, Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(doubles.lastMessage(),
             QStringLiteral("Az exportálás elkészült (4 sor):\n%1").arg(QDir::toNativeSeparators(csv)));
    QFile f(csv);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(),
             QStringLiteral("\uFEFFFülszám;Beérkezés;Napok;Feladó\r\n1002;2011.03.05;10;Alfa Kft\r\n"
                            "1004;2011.03.10;5;Béta Bt\r\n1005;2011.03.12;3;Béta Bt\r\n1006;2011.03.14;1;Alfa Kft\r\n")
                 .toUtf8());
}

void StockTakeTest::anotherDesksReadingsAppear()
{
    StockTakeDialog::setOtherDesksInterval(200);
    TestDatabase db;
    fillSite(db);
    platform::TestDoubles doubles;
    const auto screen = startNew(db.session());
    read(screen.get(), QStringLiteral("1001"));
    // Another desk reads into the same stock-take.
    Session other(db.file());
    other.stockTakes().setDeskName(QStringLiteral("masik-gep"));
    other.stockTakes().join(1);
    other.stockTakes().addReading(1, QStringLiteral("1002"));
    other.stockTakes().addReading(1, QStringLiteral("9999"));
    // This desk sees them without a click.
    QTRY_COMPARE_WITH_TIMEOUT(tabTitles(screen.get()),
                              QStringList({"Megvan (2)", "Hiányzik (3)", "Nincs nyilvántartva (1)"}), 5000);
    QCOMPARE(firstColumns(listRows(screen.get(), 0, "foundGrid"), 1), QStringList({"1001", "1002"}));
    // A tag the other desk read is a repeat here.
    read(screen.get(), QStringLiteral("9999"));
    QCOMPARE(answer(screen.get()), QStringLiteral("9999: Nincs nyilvántartva (már beolvasva, 2. olvasás)"));
    QCOMPARE(tabTitles(screen.get()), QStringList({"Megvan (2)", "Hiányzik (3)", "Nincs nyilvántartva (1)"}));
    QCOMPARE(db.rows(QStringLiteral("SELECT tgep, COUNT(*) FROM leltartetel WHERE tgep = 'masik-gep' GROUP BY tgep")),
             QList<QStringList>({{"masik-gep", "2"}}));
    QCOMPARE(db.rows(QStringLiteral("SELECT tgep, COUNT(*) FROM leltartetel WHERE tgep <> 'masik-gep' GROUP BY tgep")),
             QList<QStringList>({{db.session().stockTakes().deskName(), "2"}}));
    // ... and sees it closed there, before anyone reads into it.
    other.stockTakes().close(1, QDate(2011, 3, 15));
    QTRY_VERIFY_WITH_TIMEOUT(!screen->stockTake()->isOpen(), 5000);
    QCOMPARE(answer(screen.get()), QStringLiteral("A leltárt (1. sz.) egy másik gépen lezárták."));
    QVERIFY(!edit(screen.get(), "earTagEdit")->isEnabled());
    QCOMPARE(tabTitles(screen.get()), QStringList({"Megvan (2)", "Hiányzik (3)", "Nincs nyilvántartva (1)"}));
}

void StockTakeTest::upgradeAddsTheStockTakeTables()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Dudoz.fdb"));
    // A database of the version before the stock-takes.
    QString schema = dbcreate::builtinSchema();
    const int from = schema.indexOf(QStringLiteral("CREATE TABLE LELTAR ("));
    const int to = schema.indexOf(QStringLiteral("/* One sequence per table"));
    QVERIFY(from > 0 && to > from);
    schema.remove(from, to - from);
    schema.remove(QRegularExpression(QStringLiteral("CREATE INDEX IX_LELTARTETEL_FULSZAM [^;]*;")));
    dbcreate::createDatabase(file, schema);
    {
        platform::TestDoubles doubles;
        Session old(file);
        StockTakeDialog screen(old);
        QCOMPARE(doubles.messageTexts(),
                 QStringList{QStringLiteral("A leltár táblái hiányoznak az adatbázisból (régebbi adatbázis). Az "
                                            "adatbázist a \"gerundo-mkdb --upgrade\" paranccsal kell frissíteni.")});
        QVERIFY(!screen.stockTake());
    }

    const auto result = dbcreate::upgradeDatabase(file);
    QCOMPARE(result.createdTables, QStringList({"LELTAR", "LELTARGEP", "LELTARTETEL", "LELTARLISTA"}));
    QVERIFY(result.created.contains(QStringLiteral("IX_LELTARTETEL_FULSZAM")));
    QVERIFY(result.refused.isEmpty());
    // Identifiers come with the tables.
    Session upgraded(file);
    const StockTake take = upgraded.stockTakes().start();
    QCOMPARE(take.id, 1);
    QCOMPARE(upgraded.stockTakes().addReading(take.id, QStringLiteral("1001")).timesSeen, 1);
    QVERIFY(dbcreate::upgradeDatabase(file).createdTables.isEmpty());
}

QTEST_MAIN(StockTakeTest)
#include "test_stocktake.moc"
