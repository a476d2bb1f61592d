#include "app/mainwindow.h"
#include "storage/shared_datasets.h"
#include "db/charset.h"
#include "maintenance/legacy_format.h"
#include "maintenance/legacy_import.h"
#include "testdb.h"
#include "ui/platform.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

using Rows = QList<QStringList>;

namespace {

const QStringList kClosing = {"A régi beszall adatok átemelve",  "A régi kiszall adatok átemelve",
                              "A régi beszall0 adatok átemelve", "A régi kiszall0 adatok átemelve",
                              "A régi felado adatok átemelve",   "A régi szallito adatok átemelve"};
const QStringList kFiles = {"beszall.txt", "kiszall.txt", "beszall0.txt", "kiszall0.txt", "felado.txt", "szallito.txt"};

const QString kArrivals = QStringLiteral(
    "SELECT bskod, bfkod, bfulszam, COALESCE(CAST(bszkelt AS VARCHAR(12)), 'NULL'), "
    "COALESCE(CAST(bvkelt AS VARCHAR(12)), 'NULL'), bhkat, beubiz FROM %1 ORDER BY idb");
const QString kDepartures = QStringLiteral(
    "SELECT kskod, COALESCE(CAST(kikelt AS VARCHAR(12)), 'NULL'), kfulszam, kfkod, khkat, keubizbe, keubizki "
    "FROM %1 ORDER BY idk");

QString fixture(const QString& name)
{
    const QString path = QFINDTESTDATA(QStringLiteral("fixtures/") + name);
    if (path.isEmpty())
        qFatal("missing fixture %s", qPrintable(name));
    return path;
}

// A directory of legacy files: the good set, with some files replaced or left out.
QString legacyDir(TestDatabase& db, const QMap<QString, QString>& replaced = {}, const QStringList& missing = {})
{
    const QString dir = db.dir() + QStringLiteral("/legacy/");
    QDir().mkpath(dir);
    for (const QString& name : kFiles) {
        QFile::remove(dir + name);
        if (missing.contains(name))
            continue;
        const QString source = replaced.contains(name) ? fixture(replaced.value(name)) : fixture(QStringLiteral("legacy/") + name);
        if (!QFile::copy(source, dir + name))
            qFatal("cannot copy %s", qPrintable(source));
    }
    return dir;
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
}

// An arrival line with the ear tag 9000000 + n, padded to its columns.
QByteArray arrivalLine(int n, const char* date = "2010.06.01")
{
    QByteArray line(131, ' ');
    auto put = [&](int first, const QByteArray& text) { line.replace(first - 1, text.size(), text); };
    put(1, "    1");
    put(7, "    1");
    put(13, QByteArray::number(9000000 + n).rightJustified(25, ' '));
    put(39, date);
    put(50, "2010.05.31");
    put(61, "v\xE1g\xE1s");  // Windows-1250, as the old program wrote it
    put(87, "EU-" + QByteArray::number(n));
    return line;
}

// A departure line with the ear tag 9000000 + n, padded to its columns.
QByteArray departureLine(int n, const char* date)
{
    QByteArray line(126, ' ');
    auto put = [&](int first, const QByteArray& text) { line.replace(first - 1, text.size(), text); };
    put(1, "    1");
    put(7, date);
    put(18, QByteArray::number(9000000 + n).rightJustified(25, ' '));
    put(44, "    1");
    put(50, "v\xE1g\xE1s");
    return line;
}

QByteArray arrivalFile(int lines, int badDateLine = 0)
{
    QByteArray content;
    for (int i = 1; i <= lines; ++i)
        content += arrivalLine(i, i == badDateLine ? "2010.02.30" : "2010.06.01") + "\r\n";
    return content;
}

QStringList earTags(TestDatabase& db, const QString& table = QStringLiteral("beszall"))
{
    QStringList tags;
    for (const QStringList& r : db.rows(QStringLiteral("SELECT bfulszam FROM %1 ORDER BY idb").arg(table)))
        tags << r.first();
    return tags;
}

QStringList expectedTags(int from, int to)
{
    QStringList tags;
    for (int i = from; i <= to; ++i)
        tags << QString::number(9000000 + i);
    return tags;
}

// The screen, shown, with its controls found by their names.
struct Screen {
    LegacyImportDialog dialog;
    QLineEdit* directory = dialog.findChild<QLineEdit*>(QStringLiteral("Edit1"));
    QPlainTextEdit* memo = dialog.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
    QPushButton* import = dialog.findChild<QPushButton*>(QStringLiteral("Button1"));
    QPushButton* cancel = dialog.findChild<QPushButton*>(QStringLiteral("Button3"));
    QPushButton* stop = dialog.findChild<QPushButton*>(QStringLiteral("StopButton"));
    QPushButton* save = dialog.findChild<QPushButton*>(QStringLiteral("SaveSummaryButton"));
    QProgressBar* progress = dialog.findChild<QProgressBar*>(QStringLiteral("ProgressBar"));
    QTableWidget* summary = dialog.findChild<QTableWidget*>(QStringLiteral("SummaryGrid"));
    QPlainTextEdit* notes = dialog.findChild<QPlainTextEdit*>(QStringLiteral("SummaryNotes"));

    Screen()
    {
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog))
            qFatal("screen not shown");
    }
    void run(const QString& dir)
    {
        directory->setText(dir);
        QTest::mouseClick(import, Qt::LeftButton);
    }
    QStringList summaryRow(const QString& file) const
    {
        for (int r = 0; r < summary->rowCount(); ++r)
            if (summary->item(r, 0)->text() == file) {
                QStringList cells;
                for (int c = 0; c < summary->columnCount(); ++c)
                    cells << summary->item(r, c)->text();
                return cells;
            }
        return {};
    }
};

// The closing messages with the given extra messages shown before the closing message of file.
QStringList closingWith(const QString& file, const QStringList& extra)
{
    QStringList out;
    for (int i = 0; i < kFiles.size(); ++i) {
        if (kFiles.at(i) == file)
            out << extra;
        out << kClosing.at(i);
    }
    return out;
}

}  // namespace

class LegacyImportTest : public QObject {
    Q_OBJECT
private slots:
    void screenAsListed();
    void menuOpensTheScreen();
    void importsEveryFileIntoItsTable();
    void codesOfRegistersMeetDeliveries_data();
    void codesOfRegistersMeetDeliveries();
    void boxShowsTheFileBeingImported();
    void badMiddleDateLosesOnlyThatLine();
    void eachDeliveryFileHasItsMessage_data();
    void eachDeliveryFileHasItsMessage();
    void badInput_data();
    void badInput();
    void missingFileEndsTheImport();
    void directoryUsedAsTyped();
    void secondRunDoublesEveryTableAfterWarning();
    void declinedWarningImportsNothing();
    void stopButtonEndsBetweenLinesAndRunIsGuarded();
    void stopWhileRunningKeepsCommittedLines();
    void stopFromTheFailureBox();
    void lostConnectionGivesTheStopMessage();
    void summarySavedAsUtf8Text();
    void skippedLinesNamedInTheSummary();
    void datesOutsideTheSitesYears_data();
    void datesOutsideTheSitesYears();
    void utf8FileRefusedBeforeAnyLine_data();
    void utf8FileRefusedBeforeAnyLine();
    void hugeLinesReadInParts_data();
    void hugeLinesReadInParts();
    void hugeLineCutInTheBoxAndStopTakesEffect();
};

void LegacyImportTest::screenAsListed()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Screen s;
    QCOMPARE(s.dialog.objectName(), QStringLiteral("Form31"));
    QCOMPARE(s.dialog.windowTitle(), QStringLiteral("Régiből import"));
    auto* heading = s.dialog.findChild<QLabel*>(QStringLiteral("Label1"));
    QVERIFY(heading);
    QCOMPARE(heading->text(), QStringLiteral("A régi verzióból átemeli az adatait"));
    QCOMPARE(s.directory->text(), QStringLiteral("c:\\dudoz\\"));
    QVERIFY(s.memo->toPlainText().isEmpty());
    QCOMPARE(s.memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(s.memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(s.import->text(), QStringLiteral("Import"));
    QCOMPARE(s.cancel->text(), QStringLiteral("Mégsem"));
    QVERIFY(!s.stop->isEnabled());
    QVERIFY(!s.save->isEnabled());
    // Every field is announced by its label.
    for (QWidget* field : {static_cast<QWidget*>(s.directory), static_cast<QWidget*>(s.memo)}) {
        bool labelled = false;
        for (QLabel* l : s.dialog.findChildren<QLabel*>())
            labelled = labelled || l->buddy() == field;
        QVERIFY2(labelled, qPrintable(field->objectName()));
    }
    // "Mégsem" closes the screen when no import runs.
    QTest::mouseClick(s.cancel, Qt::LeftButton);
    QVERIFY(!s.dialog.isVisible());
}

void LegacyImportTest::menuOpensTheScreen()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    MainWindow main(&db.session());
    QString title;
    doubles.modalHandlers << [&](QDialog* d) { title = d->windowTitle(); };
    auto* item = main.findChild<QAction*>(QStringLiteral("Rgiblimport1"));
    QVERIFY(item);
    QCOMPARE(item->text(), QStringLiteral("Régiből import"));
    item->trigger();
    QCOMPARE(doubles.modalsShown, QStringList{QStringLiteral("Form31")});
    QCOMPARE(title, QStringLiteral("Régiből import"));
}

void LegacyImportTest::importsEveryFileIntoItsTable()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Screen s;
    s.run(legacyDir(db));
    QCOMPARE(doubles.messageTexts(), kClosing);

    QCOMPARE(db.rows(kArrivals.arg("beszall")),
             Rows({{"1", "1", "3456789012", "2010-03-01", "2010-02-27", "gyüjtés", "EÜ-2010/0001"},
                   {"2", "3", "3456789013", "2010-03-01", "2010-02-28", "hizlalás", "EÜ-2010/0002"},
                   {"3", "2", "3456789020", "2010-03-02", "2010-03-01", "vágás", "EÜ-2010/0003"}}));
    // The second departure line has only 60 characters: its category is cut at column 60.
    QCOMPARE(db.rows(kDepartures.arg("kiszall")),
             Rows({{"2", "2010-03-05", "3456789012", "3", "vágás", "EÜ-2010/0001", "EÜ-KI-2010/0100"},
                   {"1", "2010-03-06", "3456789013", "1", "hizlalás-ka", "", ""}}));
    QCOMPARE(db.rows(kArrivals.arg("beszall0")),
             Rows({{"3", "3", "2222222201", "2009-11-10", "2009-11-09", "gyüjtés", "EÜ-2009/0501"},
                   {"1", "2", "2222222202", "2009-11-10", "2009-11-09", "gyüjtés", "EÜ-2009/0502"}}));
    QCOMPARE(db.rows(kDepartures.arg("kiszall0")),
             Rows({{"3", "2009-12-01", "2222222201", "1", "vágás", "EÜ-2009/0501", "EÜ-KI-2009/0900"},
                   {"2", "2009-12-01", "2222222202", "2", "vágás", "EÜ-2009/0502", "EÜ-KI-2009/0900"}}));
    QCOMPARE(db.rows("SELECT fkod, fnev, fcim, ftenykod, fsznev, fszcim FROM felado ORDER BY idf"),
             Rows({{"1", "Tóth Árpád", "Mórahalom, Szegedi út 5.", "TK-1001", "Tóth tanya", "Mórahalom, külterület 12."},
                   {"2", "Nagy Mező Kft.", "Baja, Dózsa György út 9.", "TK-1002", "Mező major", "Baja, Pető sor 2."},
                   {"3", "Szűcs Győző", "Kiskunhalas, Kossuth u. 44.", "TK-1003", "Szűcs udvar", "Kiskunhalas, Ősz u. 1."}}));
    // A registration number of 23 characters, then its separator and the name.
    QCOMPARE(db.rows("SELECT skod, srendszam, snev, scim, sjovaszam FROM szallito ORDER BY ids"),
             Rows({{"1", "ABC-123-DEF-456-GHI-789", "Kovács Szállító Kft.", "Szeged, Fő utca 1.", "HU-SZ-0001"},
                   {"2", "XYZ-987", "Őze Fuvar Bt.", "Kecskemét, Rákóczi út 12.", "HU-SZ-0002"},
                   {"3", "JKL-555", "Bérczi Ödön", "Csongrád, Árpád tér 3.", "HU-SZ-0003"}}));

    // Nothing is left uncommitted: the rows are there for another connection, and the summary counts them.
    QCOMPARE(s.summaryRow("beszall.txt"), QStringList({"beszall.txt", "3", "3", "3", "0", "0", "kész"}));
    QCOMPARE(s.summaryRow("kiszall.txt"), QStringList({"kiszall.txt", "2", "2", "2", "0", "0", "kész"}));
    QCOMPARE(s.summaryRow("szallito.txt"), QStringList({"szallito.txt", "3", "3", "3", "0", "0", "kész"}));
    QCOMPARE(s.summaryRow("Összesen"), QStringList({"Összesen", "15", "15", "15", "0", "0", ""}));
    QVERIFY(s.notes->toPlainText().startsWith(
        QStringLiteral("Az import befejeződött: mind a hat fájlt végigolvasta, 15 sort beírt, 0 sor kimaradt.")));
    QVERIFY(s.save->isEnabled());
    QVERIFY(s.import->isEnabled());
    QVERIFY(!s.stop->isEnabled());
}

void LegacyImportTest::codesOfRegistersMeetDeliveries_data()
{
    QTest::addColumn<QString>("partners");
    QTest::addColumn<QStringList>("partnerNames");
    QTest::newRow("as written") << "legacy/felado.txt" << QStringList{"Tóth Árpád", "Nagy Mező Kft.", "Szűcs Győző"};
    // A blank line still becomes a partner: skipping it would hand its code to the next partner.
    QTest::newRow("blank line in the partners") << "bad/blank_line_felado.txt" << QStringList{"Tóth Árpád", "", "Szűcs Győző"};
    // A damaged partner line keeps its place too.
    QTest::newRow("byte outside Windows-1250 in a partner")
        << "bad/not_windows1250_felado.txt" << QStringList{"Tóth Árpád", "Nag? Mező Kft.", "Szűcs Győző"};
}

void LegacyImportTest::codesOfRegistersMeetDeliveries()
{
    QFETCH(QString, partners);
    QFETCH(QStringList, partnerNames);
    TestDatabase db;
    platform::TestDoubles doubles;
    Screen s;
    s.run(legacyDir(db, {{"felado.txt", partners}}));
    QCOMPARE(doubles.messages.last().text, kClosing.last());

    const QStringList carriers = {"Kovács Szállító Kft.", "Őze Fuvar Bt.", "Bérczi Ödön"};
    // Each delivery line's old codes, as written in the fixture files.
    const Rows arrivals = db.rows("SELECT b.bfulszam, s.snev, f.fnev FROM beszall b JOIN szallito s ON s.skod = b.bskod "
                                  "JOIN felado f ON f.fkod = b.bfkod ORDER BY b.idb");
    QCOMPARE(arrivals, Rows({{"3456789012", carriers[0], partnerNames[0]},
                             {"3456789013", carriers[1], partnerNames[2]},
                             {"3456789020", carriers[2], partnerNames[1]}}));
    const Rows departures = db.rows("SELECT k.kfulszam, s.snev, f.fnev FROM kiszall k JOIN szallito s ON s.skod = k.kskod "
                                    "JOIN felado f ON f.fkod = k.kfkod ORDER BY k.idk");
    QCOMPARE(departures, Rows({{"3456789012", carriers[1], partnerNames[2]}, {"3456789013", carriers[0], partnerNames[0]}}));
    const Rows archived = db.rows("SELECT k.kfulszam, s.snev, f.fnev FROM kiszall0 k JOIN szallito s ON s.skod = k.kskod "
                                  "JOIN felado f ON f.fkod = k.kfkod ORDER BY k.idk");
    QCOMPARE(archived, Rows({{"2222222201", carriers[2], partnerNames[0]}, {"2222222202", carriers[1], partnerNames[1]}}));
}

void LegacyImportTest::boxShowsTheFileBeingImported()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Screen s;
    const QString dir = legacyDir(db, {{"kiszall.txt", "bad/long_line_kiszall.txt"}});
    // What the box shows while each file's closing message is on the screen, and the progress then.
    QStringList shown;
    QList<int> progress;
    doubles.onMessage = [&](const platform::ShownMessage&) {
        shown << s.memo->toPlainText();
        progress << s.progress->value() << s.progress->maximum();
    };
    s.run(dir);
    QCOMPARE(doubles.messageTexts(), kClosing);
    for (int i = 0; i < kFiles.size(); ++i) {
        QFile f(dir + kFiles.at(i));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        // Each line up to the layout's last column, "…" where it went on.
        const int last = legacy::lastColumn(legacy::importFiles().at(i));
        QStringList expected;
        for (const legacy::LineSpan& span : legacy::splitLines(bytes)) {
            const QByteArray line = bytes.mid(span.offset, span.length);
            expected << fb::fromWin1250(line.constData(), static_cast<int>(std::min<qsizetype>(line.size(), last))) +
                            (line.size() > last ? QStringLiteral("…") : QString());
        }
        QCOMPARE(shown.at(i), expected.join(u'\n'));
        // The progress bar stands at the file's end when its closing message shows.
        QCOMPARE(progress.at(2 * i), progress.at(2 * i + 1));
    }
    QVERIFY(shown.at(0).contains(QStringLiteral("vágás")));
    // The line of 10,000 characters shows the columns the layout reads.
    QCOMPARE(shown.at(1).split(u'\n').at(1).size(), 126 + 1);
    QVERIFY(shown.at(1).split(u'\n').at(1).contains(QStringLiteral("EÜ-L2")));
    QVERIFY(shown.at(1).split(u'\n').at(1).endsWith(QStringLiteral("…")));
    // The box is emptied after every file but the last, which it keeps showing.
    QCOMPARE(s.memo->toPlainText(), shown.last());
    QVERIFY(s.memo->toPlainText().contains(QStringLiteral("Bérczi Ödön")));
}

void LegacyImportTest::badMiddleDateLosesOnlyThatLine()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Screen s;
    s.run(legacyDir(db, {{"beszall.txt", "bad/impossible_date_beszall.txt"}}));
    QCOMPARE(doubles.messageTexts(), closingWith("beszall.txt", {"Hiba311: Újban, INSERT az beszall "}));
    QCOMPARE(earTags(db), QStringList({"100001", "100003"}));
    QCOMPARE(s.summaryRow("beszall.txt"), QStringList({"beszall.txt", "3", "3", "2", "1", "0", "kész"}));
    QVERIFY(s.notes->toPlainText().contains(QStringLiteral("beszall.txt, 2. sor: kimaradt: a(z) „2010.02.30” nem dátum")));
    // The import went on to the other files.
    QCOMPARE(db.count("szallito"), 3);
}

void LegacyImportTest::eachDeliveryFileHasItsMessage_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("message");
    QTest::newRow("beszall") << "beszall.txt" << "beszall" << "Hiba311: Újban, INSERT az beszall ";
    QTest::newRow("kiszall") << "kiszall.txt" << "kiszall" << "Hiba313: Újban, INSERT az kiszall ";
    QTest::newRow("beszall0") << "beszall0.txt" << "beszall0" << "Hiba315: Újban, INSERT az beszall0 ";
    QTest::newRow("kiszall0") << "kiszall0.txt" << "kiszall0" << "Hiba317: Újban, INSERT az kiszall0 ";
}

void LegacyImportTest::eachDeliveryFileHasItsMessage()
{
    QFETCH(QString, file);
    QFETCH(QString, table);
    QFETCH(QString, message);
    TestDatabase db;
    platform::TestDoubles doubles;
    Screen s;
    const QString dir = legacyDir(db);
    // A second line whose date cannot be a date, in the file's own layout.
    QFile f(dir + file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = f.readAll().split('\n');
    f.close();
    QByteArray bad = lines.at(0);
    const int dateColumn = file.startsWith(u'b') ? 39 : 7;
    bad.replace(dateColumn - 1, 10, "2010.13.01");
    lines.insert(1, bad);
    writeFile(dir + file, lines.join('\n'));
    const int before = static_cast<int>(lines.size()) - 2;  // without the bad line and the empty end

    s.run(dir);
    QCOMPARE(doubles.messageTexts(), closingWith(file, {message}));
    QCOMPARE(db.count(table), before);
}

void LegacyImportTest::badInput_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("fixtureFile");
    QTest::addColumn<QStringList>("extraMessages");
    QTest::addColumn<QString>("query");
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<int>("skipped");

    const QString arrivals = kArrivals.arg("beszall");
    QTest::newRow("text past the layout is ignored")
        << "beszall.txt" << "bad/past_columns_beszall.txt" << QStringList{} << arrivals
        << Rows{{"1", "1", "100011", "2010-04-01", "2010-03-31", "gyüjtés", "EÜ-B"},
                {"1", "1", "100012", "2010-04-01", "2010-03-31", "gyüjtés", "EÜ-B"}} << 0;
    // A blank line of a delivery file holds nothing to import: skipped, and counted.
    QTest::newRow("blank line skipped")
        << "beszall.txt" << "bad/blank_line_beszall.txt" << QStringList{} << arrivals
        << Rows{{"1", "1", "100021", "2010-04-01", "2010-03-31", "gyüjtés", "EÜ-B"},
                {"1", "1", "100023", "2010-04-01", "2010-03-31", "gyüjtés", "EÜ-B"}}
        << 1;
    QTest::newRow("NUL padding trimmed, NUL inside refused")
        << "beszall.txt" << "bad/nul_byte_beszall.txt"
        << QStringList{"A(z) beszall.txt 2. sora kimaradt: a 34. oszlopban NUL bájt áll (sérült sor)."} << arrivals
        << Rows{{"1", "1", "100031", "2010-04-01", "2010-03-31", "gyüjtés", "EÜ-B"},
                {"1", "1", "100033", "2010-04-01", "2010-03-31", "gyüjtés", "EÜ-B"}} << 0;
    QTest::newRow("byte outside Windows-1250 in a delivery refused")
        << "beszall.txt" << "bad/not_windows1250_beszall.txt"
        << QStringList{"A(z) beszall.txt 2. sora kimaradt: a 90. oszlopban álló 0x81 bájt nem Windows-1250 karakter "
                       "(más kódolású fájl?)."}
        << arrivals
        << Rows{{"1", "1", "100040", "2010-04-01", "2010-03-31", "gyüjtés", "EÜ-B"},
                {"1", "1", "100042", "2010-04-01", "2010-03-31", "gyüjtés", "EÜ-B"}} << 0;
    QTest::newRow("byte outside Windows-1250 in a register kept in place")
        << "felado.txt" << "bad/not_windows1250_felado.txt"
        << QStringList{"A(z) felado.txt 2. sorában a 4. oszlopban álló 0x98 bájt nem Windows-1250 karakter (más "
                       "kódolású fájl?). A sor „?” jellel a bájt helyén került be (FNEV), hogy a későbbi sorok kódja "
                       "ne csússzon el; javítsa kézzel."}
        << "SELECT fkod, fnev FROM felado ORDER BY idf"
        << Rows{{"1", "Tóth Árpád"}, {"2", "Nag? Mező Kft."}, {"3", "Szűcs Győző"}} << 0;
    QTest::newRow("line of 10,000 characters")
        << "kiszall.txt" << "bad/long_line_kiszall.txt" << QStringList{} << kDepartures.arg("kiszall")
        << Rows{{"1", "2010-05-01", "100050", "1", "vágás", "EÜ-L0", "EÜ-L0"},
                {"1", "2010-05-01", "100051", "1", "vágás", "EÜ-L1", "EÜ-L2"}} << 0;
    QTest::newRow("zero bytes: nothing imported, closing message shown")
        << "kiszall.txt" << "bad/zero_bytes.txt" << QStringList{} << kDepartures.arg("kiszall") << Rows{} << 0;
    // Blank lines (blanks only, or nothing) and the DOS end-of-file mark after the last line: no
    // row of empty texts without dates, no box; counted as skipped.
    QTest::newRow("blank lines and the end-of-file mark in a delivery file")
        << "kiszall.txt" << "bad/blank_and_eof_kiszall.txt" << QStringList{} << kDepartures.arg("kiszall")
        << Rows{{"1", "2010-05-01", "100071", "1", "vágás", "EÜ-K", "EÜ-K"},
                {"1", "2010-05-01", "100073", "1", "vágás", "EÜ-K", "EÜ-K"}}
        << 3;
    // In a register a blank line keeps its code's place; the end-of-file mark after it is no partner.
    QTest::newRow("end-of-file mark after a register's blank line")
        << "felado.txt" << "bad/eof_mark_felado.txt" << QStringList{} << "SELECT fkod, fnev FROM felado ORDER BY idf"
        << Rows{{"1", "Tóth Árpád"}, {"2", "Nagy Mező Kft."}, {"3", "Szűcs Győző"}, {"4", ""}} << 1;
    QTest::newRow("line of NUL bytes refused")
        << "beszall.txt" << "bad/nul_line_beszall.txt"
        << QStringList{"A(z) beszall.txt 2. sora kimaradt: a sorban nincs adat, csak vezérlőkarakterek (pl. NUL bájtok) "
                       "állnak (sérült sor)."}
        << arrivals
        << Rows{{"1", "1", "100081", "2010-04-01", "2010-03-31", "gyüjtés", "EÜ-B"},
                {"1", "1", "100083", "2010-04-01", "2010-03-31", "gyüjtés", "EÜ-B"}} << 0;
    // A line moved one column to the left would go in with the arrival date 0010.04.01.
    QTest::newRow("line moved a column to the left")
        << "beszall.txt" << "bad/shifted_line_beszall.txt"
        << QStringList{"A(z) beszall.txt 2. sora kimaradt: a(z) BSZKELT dátuma, „010.04.01” (0010.04.01) nem 1950 és "
                       "2012 közé esik (elcsúszott vagy sérült sor?)."}
        << "SELECT bfulszam, bszkelt, bhkat FROM beszall ORDER BY idb"
        << Rows{{"100091", "2010.04.01", "gyüjtés"}, {"100093", "2010.04.01", "gyüjtés"}} << 0;
    QTest::newRow("CR LF, lone CR, lone LF, no ending at the end")
        << "beszall.txt" << "bad/mixed_line_ends_beszall.txt" << QStringList{} << "SELECT bfulszam FROM beszall ORDER BY idb"
        << Rows{{"100061"}, {"100062"}, {"100063"}, {"100064"}} << 0;
}

void LegacyImportTest::badInput()
{
    QFETCH(QString, target);
    QFETCH(QString, fixtureFile);
    QFETCH(QStringList, extraMessages);
    QFETCH(QString, query);
    QFETCH(Rows, rows);
    QFETCH(int, skipped);
    TestDatabase db;
    platform::TestDoubles doubles;
    Screen s;
    s.run(legacyDir(db, {{target, fixtureFile}}));
    QCOMPARE(doubles.messageTexts(), closingWith(target, extraMessages));
    QCOMPARE(db.rows(query), rows);
    const QStringList row = s.summaryRow(target);
    QCOMPARE(row.at(6), QStringLiteral("kész"));
    QCOMPARE(row.at(3).toInt(), rows.size());  // "Beírva"
    QCOMPARE(row.at(5).toInt(), skipped);      // "Átugorva"
    QCOMPARE(row.at(2).toInt(), row.at(3).toInt() + row.at(4).toInt() + row.at(5).toInt());
    // Every other file went in whole.
    QCOMPARE(db.count("szallito"), 3);
}

void LegacyImportTest::missingFileEndsTheImport()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Screen s;
    const QString dir = legacyDir(db, {}, {"kiszall.txt"});
    s.run(dir);
    QCOMPARE(doubles.messageTexts(),
             QStringList({kClosing.at(0), QStringLiteral("A(z) „%1kiszall.txt” fájl nem található.").arg(dir)}));
    // The file before it stays imported; no later file is read.
    QCOMPARE(db.count("beszall"), 3);
    for (const char* table : {"kiszall", "beszall0", "kiszall0", "felado", "szallito"})
        QCOMPARE(db.count(table), 0);
    QCOMPARE(s.summaryRow("kiszall.txt").at(6), QStringLiteral("nem olvasható: itt véget ért az import"));
    QCOMPARE(s.summaryRow("felado.txt").at(6), QStringLiteral("nem került sorra"));
}

void LegacyImportTest::directoryUsedAsTyped()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Screen s;
    QString dir = legacyDir(db);
    dir.chop(1);  // no separator at the end: the file name is glued to the directory's name
    s.run(dir);
    QCOMPARE(doubles.messageTexts(),
             QStringList({QStringLiteral("A(z) „%1beszall.txt” fájl nem található. A fájl nevét a könyvtár szövege "
                                         "után írja az import, ezért annak elválasztóval („/” vagy „\\”) kell végződnie.")
                              .arg(dir)}));
    QCOMPARE(db.count("beszall"), 0);

    // Typed with blanks or a relative path, the text is used as it stands.
    doubles.messages.clear();
    QDir::setCurrent(db.dir());
    s.run(QStringLiteral("legacy/"));
    QCOMPARE(doubles.messageTexts(), kClosing);
}

void LegacyImportTest::secondRunDoublesEveryTableAfterWarning()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Screen s;
    const QString dir = legacyDir(db);
    s.run(dir);
    QVERIFY(doubles.choiceButtonsShown.isEmpty());  // an empty database needs no warning
    doubles.messages.clear();

    s.run(dir);
    QCOMPARE(doubles.choiceButtonsShown, QList<QStringList>({{"Import indítása", "Mégsem"}}));
    const QString warning = doubles.messages.first().text;
    QVERIFY(warning.startsWith(QStringLiteral("Ezekben a táblákban már vannak sorok: Beszállítás (BESZALL), "
                                              "Kiszállítás (KISZALL), Archivált beszállítás (BESZALL0), Archivált "
                                              "kiszállítás (KISZALL0), Feladó-Vevö (FELADO), Szállító (SZALLITO).")));
    QVERIFY(warning.contains(QStringLiteral("nem a régi kódjukat kapják")));
    QCOMPARE(doubles.messageTexts().mid(1), kClosing);

    for (const auto& [table, n] : QList<std::pair<const char*, int>>{
             {"beszall", 6}, {"kiszall", 4}, {"beszall0", 4}, {"kiszall0", 4}, {"felado", 6}, {"szallito", 6}})
        QCOMPARE(db.count(table), n);
    // The second run's registers got new codes; its deliveries kept the old ones.
    QCOMPARE(db.rows("SELECT skod FROM szallito ORDER BY ids"), Rows({{"1"}, {"2"}, {"3"}, {"4"}, {"5"}, {"6"}}));
    QCOMPARE(db.rows("SELECT fkod FROM felado ORDER BY idf"), Rows({{"1"}, {"2"}, {"3"}, {"4"}, {"5"}, {"6"}}));
    QCOMPARE(db.rows("SELECT bskod FROM beszall ORDER BY idb"), Rows({{"1"}, {"2"}, {"3"}, {"1"}, {"2"}, {"3"}}));
    // The closing summary says it too.
    QVERIFY(s.notes->toPlainText().contains(QStringLiteral("Figyelem: az import előtt ezek a táblák már nem voltak üresek")));
}

void LegacyImportTest::declinedWarningImportsNothing()
{
    TestDatabase db;
    db.addCarrier(QStringLiteral("AAA-111"), QStringLiteral("Meglévő"));
    platform::TestDoubles doubles;
    doubles.choiceAnswers << 1;
    Screen s;
    s.run(legacyDir(db));
    QCOMPARE(doubles.messages.size(), 1);
    QCOMPARE(doubles.messages.first().kind, platform::BoxKind::Choice);
    QVERIFY(doubles.messages.first().text.contains(QStringLiteral("Szállító (SZALLITO)")));
    QCOMPARE(db.count("szallito"), 1);
    QCOMPARE(db.count("beszall"), 0);
    QVERIFY(s.memo->toPlainText().isEmpty());
}

void LegacyImportTest::stopButtonEndsBetweenLinesAndRunIsGuarded()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Screen s;
    const QString dir = legacyDir(db);
    writeFile(dir + "beszall.txt", arrivalFile(60, 30));
    bool checkedGuards = false;
    doubles.onMessage = [&](const platform::ShownMessage& m) {
        if (m.text != QStringLiteral("Hiba311: Újban, INSERT az beszall ") || checkedGuards)
            return;
        checkedGuards = true;
        // While the import runs: closing, Escape and the import button do nothing; the stop button works.
        QVERIFY(s.dialog.running());
        s.dialog.close();
        QTest::keyClick(&s.dialog, Qt::Key_Escape);
        QTest::keyClick(s.stop, Qt::Key_Escape);
        QTest::mouseClick(s.cancel, Qt::LeftButton);
        QTest::mouseClick(s.import, Qt::LeftButton);
        QVERIFY(s.dialog.isVisible());
        QTest::mouseClick(s.stop, Qt::LeftButton);
    };
    s.run(dir);
    QVERIFY(checkedGuards);
    QVERIFY(s.dialog.isVisible());
    QVERIFY(!s.dialog.running());
    // The failing line was rolled back, the import stopped before the next one.
    QCOMPARE(doubles.messageTexts(),
             QStringList({"Hiba311: Újban, INSERT az beszall ",
                          "Az import leállítva a(z) beszall.txt 31. sora előtt. Az addig beírt sorok megmaradtak; a "
                          "fájl többi sora és a további fájlok nem kerültek be."}));
    QCOMPARE(earTags(db), expectedTags(1, 29));
    QCOMPARE(s.summaryRow("beszall.txt"),
             QStringList({"beszall.txt", "60", "30", "29", "1", "0", "leállítva a(z) 30. sor után"}));
    QCOMPARE(s.summaryRow("kiszall.txt").at(6), QStringLiteral("nem került sorra"));
    QCOMPARE(db.count("kiszall"), 0);
    // After the run the screen closes again.
    QTest::mouseClick(s.cancel, Qt::LeftButton);
    QVERIFY(!s.dialog.isVisible());
}

void LegacyImportTest::stopWhileRunningKeepsCommittedLines()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Screen s;
    const QString dir = legacyDir(db);
    const int lines = 10000;
    writeFile(dir + "beszall.txt", arrivalFile(lines));
    // The click arrives while lines are being committed, as soon as the label counts some: the
    // screen handles events between lines.
    int progressWhenStopped = -1;
    const QRegularExpression linesDone(QStringLiteral("beszall\\.txt \\(1\\. fájl a 6 közül\\): (\\d+) / %1 sor").arg(lines));
    QTimer poll;
    poll.setInterval(1);
    connect(&poll, &QTimer::timeout, s.stop, [&] {
        const auto done = linesDone.match(s.dialog.findChild<QLabel*>(QStringLiteral("ProgressLabel"))->text());
        if (progressWhenStopped >= 0 || !done.hasMatch() || done.captured(1).toInt() < 1 || !s.stop->isEnabled())
            return;
        progressWhenStopped = done.captured(1).toInt();
        QTest::mouseClick(s.stop, Qt::LeftButton);
    });
    poll.start();
    s.run(dir);
    QVERIFY(progressWhenStopped > 0);
    const QStringList tags = earTags(db);
    QVERIFY2(tags.size() < lines, "the import ran to its end before the stop arrived");
    QVERIFY(tags.size() >= progressWhenStopped);
    QCOMPARE(tags, expectedTags(1, static_cast<int>(tags.size())));
    QCOMPARE(s.summaryRow("beszall.txt").at(3), QString::number(tags.size()));
    QCOMPARE(doubles.messageTexts(),
             QStringList({QStringLiteral("Az import leállítva a(z) beszall.txt %1. sora előtt. Az addig beírt sorok "
                                         "megmaradtak; a fájl többi sora és a további fájlok nem kerültek be.")
                              .arg(tags.size() + 1)}));
}

void LegacyImportTest::stopFromTheFailureBox()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    doubles.choiceAnswers << 1;
    Screen s;
    s.run(legacyDir(db, {{"beszall.txt", "bad/impossible_date_beszall.txt"}}));
    QCOMPARE(doubles.choiceButtonsShown, QList<QStringList>({{"OK", "Import leállítása"}}));
    QCOMPARE(doubles.messageTexts(),
             QStringList({"Hiba311: Újban, INSERT az beszall ",
                          "Az import leállítva a(z) beszall.txt 2. sora után. Az addig beírt sorok megmaradtak; a "
                          "fájl többi sora és a további fájlok nem kerültek be."}));
    QCOMPARE(earTags(db), QStringList({"100001"}));
}

void LegacyImportTest::lostConnectionGivesTheStopMessage()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Screen s;
    doubles.onMessage = [&](const platform::ShownMessage& m) {
        if (m.text.startsWith(QStringLiteral("Hiba311")))
            Data->ZCon1.close();
    };
    s.run(legacyDir(db, {{"beszall.txt", "bad/impossible_date_beszall.txt"}}));
    // The next line cannot start its transaction: the file's stop message ends the whole import.
    QCOMPARE(doubles.messageTexts(), QStringList({"Hiba311: Újban, INSERT az beszall ", "Hiba312!"}));
    QCOMPARE(earTags(db), QStringList({"100001"}));
    QCOMPARE(s.summaryRow("beszall.txt").at(6), QStringLiteral("megszakadt a(z) 3. sornál"));
    QVERIFY(s.notes->toPlainText().contains(QStringLiteral("Hiba312!")));
}

void LegacyImportTest::summarySavedAsUtf8Text()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Screen s;
    const QString dir = legacyDir(db, {{"beszall.txt", "bad/impossible_date_beszall.txt"}});
    s.run(dir);
    const QString target = db.dir() + QStringLiteral("/összesítés.txt");

    doubles.saveAnswers << QString();  // cancelled: nothing written
    QTest::mouseClick(s.save, Qt::LeftButton);
    QCOMPARE(doubles.saveDialogsShown.size(), 1);
    QCOMPARE(doubles.saveDialogsShown.first().initialDir, dir);
    QVERIFY(!QFile::exists(target));

    doubles.saveAnswers << target;
    QTest::mouseClick(s.save, Qt::LeftButton);
    QFile f(target);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    const QString text = QString::fromUtf8(bytes);
    QCOMPARE(text.toUtf8(), bytes);  // valid UTF-8
    QVERIFY(text.startsWith(QStringLiteral("Régiből import – összesítés\nKönyvtár: %1\n").arg(dir)));
    QVERIFY(QRegularExpression(QStringLiteral("\\nbeszall\\.txt +3 +3 +2 +1 +0  kész\\n")).match(text).hasMatch());
    QVERIFY(QRegularExpression(QStringLiteral("\\nszallito\\.txt +3 +3 +3 +0 +0  kész\\n")).match(text).hasMatch());
    QVERIFY(QRegularExpression(QStringLiteral("\\nÖsszesen +15 +15 +14 +1 +0\\n")).match(text).hasMatch());
    QVERIFY(text.contains(QStringLiteral("beszall.txt, 2. sor: kimaradt: a(z) „2010.02.30” nem dátum")));

    // A place that cannot be written is reported, not passed over.
    const QString messagesBefore = doubles.lastMessage();
    doubles.saveAnswers << db.dir() + QStringLiteral("/nincs/ilyen/konyvtar/x.txt");
    QTest::mouseClick(s.save, Qt::LeftButton);
    QVERIFY(doubles.lastMessage() != messagesBefore);
    QVERIFY(doubles.lastMessage().startsWith(QStringLiteral("Az összesítés nem menthető ide: „")));
}


void LegacyImportTest::skippedLinesNamedInTheSummary()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Screen s;
    s.run(legacyDir(db, {{"kiszall.txt", "bad/blank_and_eof_kiszall.txt"}}));
    QCOMPARE(s.summaryRow("kiszall.txt"), QStringList({"kiszall.txt", "5", "5", "2", "0", "3", "kész"}));
    const QString notes = s.notes->toPlainText();
    QVERIFY2(notes.startsWith(QStringLiteral("Az import befejeződött: mind a hat fájlt végigolvasta, 15 sort beírt, 0 sor "
                                             "kimaradt, 3 üres sort (vagy fájlvége-jelet) átugrott.")),
             qPrintable(notes));
    for (const char* note : {"kiszall.txt, 2. sor: átugorva: üres sor", "kiszall.txt, 4. sor: átugorva: üres sor",
                             "kiszall.txt, 5. sor: átugorva: a DOS fájlvége-jel (0x1A)"})
        QVERIFY2(notes.contains(QString::fromUtf8(note)), note);
}

void LegacyImportTest::datesOutsideTheSitesYears_data()
{
    // The screen's today is 2011.03.15: a site's dates run from 1950 to 2012.
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("date");
    QTest::addColumn<QString>("stored");  // empty: the line is refused
    QTest::addColumn<QString>("read");    // how the date was read, in the refusal
    QTest::newRow("year read from a line moved a column") << "beszall.txt" << QByteArray("010.06.01") << "" << "0010.06.01";
    QTest::newRow("the year before 1950") << "beszall.txt" << QByteArray("1949.12.31") << "" << "1949.12.31";
    QTest::newRow("1950") << "beszall.txt" << QByteArray("1950.01.01") << "1950.01.01" << "";
    QTest::newRow("next year") << "beszall.txt" << QByteArray("2012.12.31") << "2012.12.31" << "";
    QTest::newRow("the year after next") << "beszall.txt" << QByteArray("2013.01.01") << "" << "2013.01.01";
    QTest::newRow("year 9999") << "beszall.txt" << QByteArray("9999-01-01") << "" << "9999.01.01";
    QTest::newRow("day first, as the database reads it") << "beszall.txt" << QByteArray("1.6.2010") << "2010.06.01" << "";
    QTest::newRow("dispatch date of a departure") << "kiszall.txt" << QByteArray("0210.05.01") << "" << "0210.05.01";
    QTest::newRow("dispatch date in range") << "kiszall.txt" << QByteArray("2010.5.1") << "2010.05.01" << "";
}

void LegacyImportTest::datesOutsideTheSitesYears()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, date);
    QFETCH(QString, stored);
    QFETCH(QString, read);
    TestDatabase db;
    platform::TestDoubles doubles;
    Screen s;
    const QString dir = legacyDir(db);
    const bool arrivals = file == u"beszall.txt";
    QByteArray content;
    for (int i = 1; i <= 3; ++i)
        content += (arrivals ? arrivalLine(i, i == 2 ? date.constData() : "2010.06.01")
                             : departureLine(i, i == 2 ? date.constData() : "2010.06.01")) +
                   "\r\n";
    writeFile(dir + file, content);
    s.run(dir);
    const QString table = arrivals ? QStringLiteral("beszall") : QStringLiteral("kiszall");
    const QString column = arrivals ? QStringLiteral("BSZKELT") : QStringLiteral("KIKELT");
    const Rows rows = db.rows(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3").arg(column, table, arrivals ? "idb" : "idk"));
    if (stored.isEmpty()) {
        const QString why = QStringLiteral("a(z) %1 dátuma, „%2” (%3) nem 1950 és 2012 közé esik (elcsúszott vagy sérült "
                                           "sor?)")
                                .arg(column, QString::fromLatin1(date), read);
        QCOMPARE(doubles.messageTexts(), closingWith(file, {QStringLiteral("A(z) %1 2. sora kimaradt: %2.").arg(file, why)}));
        QCOMPARE(rows, Rows({{"2010.06.01"}, {"2010.06.01"}}));
        QVERIFY(s.notes->toPlainText().contains(QStringLiteral("%1, 2. sor: kimaradt: %2").arg(file, why)));
        QCOMPARE(s.summaryRow(file).mid(2, 4), QStringList({"3", "2", "1", "0"}));
    } else {
        QCOMPARE(doubles.messageTexts(), kClosing);
        QCOMPARE(rows, Rows({{"2010.06.01"}, {stored}, {"2010.06.01"}}));
    }
}

void LegacyImportTest::utf8FileRefusedBeforeAnyLine_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("where");
    const auto legacyFile = [](const char* name) {
        QFile f(fixture(QStringLiteral("legacy/") + QString::fromLatin1(name)));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    QTest::newRow("byte-order mark") << "felado.txt" << "\xEF\xBB\xBF" + legacyFile("felado.txt")
                                     << "az elején UTF-8 bájtsorrend-jel (BOM) áll";
    QByteArray third = departureLine(3, "2009.12.01");
    third.replace(49, 7, "v\xC3\xA1g\xC3\xA1s");  // "vágás" in UTF-8
    QTest::newRow("UTF-8 letters in the third line") << "kiszall0.txt" << legacyFile("kiszall0.txt") + third + "\r\n"
                                                     << "a(z) 3. sorában UTF-8 kódolású „á” betű áll";
    // The part of a line past the layout is not imported, but it tells the file's encoding too.
    QByteArray second = arrivalLine(2);
    second += QByteArray(100, ' ') + "megjegyz\xC3\xA9s";
    QTest::newRow("UTF-8 past the layout's columns") << "beszall.txt" << arrivalLine(1) + "\r\n" + second + "\r\n"
                                                     << "a(z) 2. sorában UTF-8 kódolású „é” betű áll";
    QTest::newRow("UTF-8 in the last file")
        << "szallito.txt" << legacyFile("szallito.txt") + "XYZ-1 \xC5\x90ze Fuvar\r\n" << "a(z) 4. sorában UTF-8 kódolású „Ő” betű áll";
}

void LegacyImportTest::utf8FileRefusedBeforeAnyLine()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(QString, where);
    TestDatabase db;
    platform::TestDoubles doubles;
    Screen s;
    const QString dir = legacyDir(db);
    writeFile(dir + file, content);
    s.run(dir);
    // One message naming the file and the first such line; nothing of any file imported.
    QCOMPARE(doubles.messageTexts(),
             QStringList({QStringLiteral("A(z) „%1%2” fájl nem Windows-1250, hanem UTF-8 kódolású: %3. Beolvasva az ékezetes "
                                         "betűk hibásan kerülnének be, és a sor későbbi mezői elcsúsznának. Az import "
                                         "semmit sem írt be; mentse a fájlt Windows-1250 kódolással, és indítsa újra.")
                              .arg(dir, file, where)}));
    for (const char* table : {"beszall", "kiszall", "beszall0", "kiszall0", "felado", "szallito"})
        QCOMPARE(db.count(table), 0);
    for (const QString& other : kFiles)
        QCOMPARE(s.summaryRow(other).at(6), other == file ? QStringLiteral("UTF-8 kódolású: semmi sem került be")
                                                          : QStringLiteral("nem került sorra"));
    QVERIFY(s.notes->toPlainText().contains(QStringLiteral("%1, ").arg(file) + QStringLiteral("%1. sor: UTF-8 kódolású fájl: ")
                                                                                   .arg(where.contains(u'3') ? 3 : where.contains(u'2') ? 2 : where.contains(u'4') ? 4 : 1)));
}

void LegacyImportTest::hugeLinesReadInParts_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("lines");
    QTest::newRow("5 MB without a line break") << QByteArray(5 * 1000 * 1000, 'A') << 1;
    QTest::newRow("2 MB of NUL bytes") << QByteArray(2 * 1000 * 1000, '\0') << 1;
    QTest::newRow("a huge line between two lines")
        << arrivalLine(1) + "\r\n" + QByteArray(3 * 1000 * 1000, '7') + "\r\n" + arrivalLine(3) << 3;
}

void LegacyImportTest::hugeLinesReadInParts()
{
    // One huge line never keeps the import from its caller: the checking, the reading into the box
    // and the import each report progress by bytes while the line is still being read, and the box
    // gets the line as the layout keeps it.
    QFETCH(QByteArray, content);
    QFETCH(int, lines);
    TestDatabase db;
    platform::TestDoubles doubles;
    const QString dir = legacyDir(db);
    writeFile(dir + "beszall.txt", content);

    struct Watcher : legacy::ImportObserver {
        QMap<legacy::FileSummary::Phase, QList<qint64>> positions;  // of beszall.txt, by phase
        QList<QByteArray> kept;
        QList<bool> cut;
        void tell(const QString&) override {}
        bool lineRefused(const QString&) override { return false; }
        void progressed(const legacy::FileLayout& layout, const legacy::FileSummary& p) override
        {
            if (layout.fileName == u"beszall.txt")
                positions[p.phase] << p.position;
        }
        void lineRead(const legacy::FileLayout& layout, QByteArrayView line, bool wasCut) override
        {
            if (layout.fileName == u"beszall.txt") {
                kept << line.toByteArray();
                cut << wasCut;
            }
        }
    } watcher;
    legacy::LegacyImporter importer(*Data, watcher);
    const legacy::ImportSummary summary = importer.run(dir);
    QVERIFY(summary.completed);
    QCOMPARE(summary.files.first().lines, lines);
    for (auto phase : {legacy::FileSummary::Phase::Checking, legacy::FileSummary::Phase::Reading,
                       legacy::FileSummary::Phase::Importing}) {
        const QList<qint64>& at = watcher.positions.value(phase);
        // Told again and again while the huge line was read, never going back.
        QVERIFY2(std::count_if(at.begin(), at.end(), [&](qint64 p) { return p > 0 && p < content.size(); }) >= 10,
                 qPrintable(QString::number(at.size())));
        QVERIFY(std::is_sorted(at.begin(), at.end()));
    }
    QCOMPARE(watcher.kept.size(), lines);
    const QByteArray& huge = watcher.kept.at(lines == 3 ? 1 : 0);
    QCOMPARE(huge.size(), 131);
    QVERIFY(watcher.cut.at(lines == 3 ? 1 : 0));
    QCOMPARE(db.count("szallito"), 3);  // and the import went on to the other files
}

void LegacyImportTest::hugeLineCutInTheBoxAndStopTakesEffect()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Screen s;
    const QString dir = legacyDir(db);
    writeFile(dir + "beszall.txt", QByteArray(8 * 1000 * 1000, 'A'));
    // A click on "Leállítás" as soon as the window takes one: it takes effect before the huge line
    // is imported, and the box then shows the line as far as the layout reads it.
    QTimer::singleShot(0, s.stop, [&] { QTest::mouseClick(s.stop, Qt::LeftButton); });
    QString boxWhenStopped;
    doubles.onMessage = [&](const platform::ShownMessage&) { boxWhenStopped = s.memo->toPlainText(); };
    s.run(dir);
    QCOMPARE(doubles.messageTexts(),
             QStringList({"Az import leállítva a(z) beszall.txt 1. sora előtt. Az addig beírt sorok megmaradtak; a fájl "
                          "többi sora és a további fájlok nem kerültek be."}));
    QCOMPARE(boxWhenStopped, QString(131, u'A') + QStringLiteral("…"));
    QCOMPARE(db.count("beszall"), 0);
    QCOMPARE(s.summaryRow("beszall.txt").mid(1, 2), QStringList({"1", "0"}));
}

QTEST_MAIN(LegacyImportTest)
#include "test_legacy_import.moc"
