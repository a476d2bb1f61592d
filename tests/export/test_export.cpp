#include "storage/shared_datasets.h"
#include "export/dataset_rows.h"
#include "export/spreadsheet.h"
#include "testdb.h"
#include "xlsxreader.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using spreadsheet::Format;
using spreadsheet::Kind;

namespace {

// The dataset the tests export from, and the statement of the fixture.
Dataset& listQuery() { return Data->ZQ21; }
const QString kStatement = QStringLiteral(
    "SELECT b.IDb, b.bfulszam, b.bszkelt, f.fnev, b.beubiz FROM beszall b "
    "LEFT JOIN felado f ON f.fkod = b.bfkod ORDER BY b.IDb");
const std::vector<spreadsheet::DatasetField> kFields = {
    {QStringLiteral("bfulszam"), QStringLiteral("Fülszám")},
    {QStringLiteral("BSZKELT"), QStringLiteral("Beszállítás")},
    {QStringLiteral("fnev"), QStringLiteral("Feladó neve")},
    {QStringLiteral("idb"), QStringLiteral("ID")},
    {QStringLiteral("nincs"), QStringLiteral("Megjegyzés")},
};
constexpr int kGenerated = 2500;

// Three arrivals that show what a spreadsheet gets wrong (leading zeros, a long digit string, a
// missing date, a date before 2000, accents, a separator, quotes and a line break in a name, a name
// that a spreadsheet would run as a formula), then many plain ones.
void fillFixture(TestDatabase& db)
{
    const QString accents = db.addPartner(QStringLiteral("Árvíztűrő Tükörfúrógép Kft."));
    const QString awkward = db.addPartner(QStringLiteral("Kovács; \"Bika\" Bt.\nTelep 2"));
    const QString formula = db.addPartner(QStringLiteral("=HYPERLINK(\"x\")"));
    db.exec(QStringLiteral("INSERT INTO beszall (bfulszam, bszkelt, bfkod, beubiz) VALUES "
                           "('0099', DATE '2011-03-15', '%1', 'EU-0001')").arg(accents));
    db.exec(QStringLiteral("INSERT INTO beszall (bfulszam, bszkelt, bfkod, beubiz) VALUES "
                           "('000123456789012345', NULL, '%1', NULL)").arg(awkward));
    db.exec(QStringLiteral("INSERT INTO beszall (bfulszam, bszkelt, bfkod, beubiz) VALUES "
                           "('HU 31 2345 6789', DATE '1999-12-31', '%1', 'ő')").arg(formula));
    db.exec(QStringLiteral("EXECUTE BLOCK AS DECLARE I INT = 0; BEGIN WHILE (I < %1) DO BEGIN "
                           "INSERT INTO beszall (bfulszam, bszkelt, bfkod) VALUES "
                           "('3' || LPAD(:I, 9, '0'), DATE '2011-01-01' + MOD(:I, 300), '%2'); I = I + 1; END END")
                .arg(kGenerated)
                .arg(accents));
}

// The rows the file must hold, as the database gives them: ear tag, date, name, id, nothing.
QList<QStringList> expectedRows(TestDatabase& db)
{
    QList<QStringList> out;
    for (const QStringList& r : db.rows(kStatement))
        out << QStringList{r[1], r[2], r[3], r[0], QString()};
    return out;
}

// A CSV file as a spreadsheet reads it: records of fields, quotes undone.
struct Csv {
    bool bom = false;
    bool crlfOnly = true;  // every line end outside quotes is CR LF
    QList<QStringList> records;
};
Csv parseCsv(const QByteArray& bytes)
{
    Csv csv;
    QByteArray b = bytes;
    if (b.startsWith("\xEF\xBB\xBF")) {
        csv.bom = true;
        b.remove(0, 3);
    }
    const QString text = QString::fromUtf8(b);
    QStringList record;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (quoted) {
            if (ch == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else if (ch == u'"') {
                quoted = false;
            } else {
                field += ch;
            }
        } else if (ch == u'"') {
            quoted = true;
        } else if (ch == u';') {
            record << field;
            field.clear();
        } else if (ch == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            record << field;
            csv.records << record;
            record.clear();
            field.clear();
            ++i;
        } else if (ch == u'\n' || ch == u'\r') {
            csv.crlfOnly = false;
            field += ch;
        } else {
            field += ch;
        }
    }
    if (!field.isEmpty() || !record.isEmpty())
        csv.records << (record << field);
    return csv;
}

QDate fromSerial(const QString& serial) { return QDate(1899, 12, 30).addDays(serial.toLongLong()); }

// Files in dir other than the ones named.
QStringList leftovers(const QString& dir, const QStringList& known = {})
{
    QStringList out;
    for (const QString& f : QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot))
        if (!known.contains(f))
            out << f;
    return out;
}

// A source of generated rows: a text, a date and a number each.
class Generated : public spreadsheet::RowSource {
public:
    explicit Generated(qint64 rows, qint64 failAt = -1) : m_rows(rows), m_failAt(failAt) {}
    std::vector<spreadsheet::Column> columns() override
    {
        return {{QStringLiteral("Fülszám"), Kind::Text},
                {QStringLiteral("Nap"), Kind::Date},
                {QStringLiteral("Darab"), Kind::Number}};
    }
    bool next(spreadsheet::Row& row) override
    {
        if (m_at == m_failAt)
            throw spreadsheet::SourceError(QStringLiteral("A kapcsolat megszakadt."));
        if (m_at >= m_rows)
            return false;
        row.setText(0, QStringLiteral("%1").arg(m_at, 12, 10, QChar(u'0')));
        row.setDate(1, QDate(2011, 1, 1).addDays(m_at % 365));
        row.setInteger(2, m_at);
        ++m_at;
        return true;
    }

private:
    qint64 m_rows;
    qint64 m_failAt;
    qint64 m_at = 0;
};

}  // namespace

class ExportTest : public QObject {
    Q_OBJECT
private slots:
    void datasetRowsToFile_data();
    void datasetRowsToFile();
    void rowsBeyondASheetGoOnTheNext();
    void cancelledExportLeavesNoFile_data();
    void cancelledExportLeavesNoFile();
    void unwritableTargetIsNamed_data();
    void unwritableTargetIsNamed();
    void fileGrowingPastTheLimitLeavesNoFile_data();
    void fileGrowingPastTheLimitLeavesNoFile();
    void failingSourceLeavesNoFile();
};

void ExportTest::datasetRowsToFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("xlsx") << QStringLiteral("beszállítás.xlsx");
    QTest::newRow("csv") << QStringLiteral("beszállítás.csv");
}

// Every row of the statement reaches the file (not only the ones the list fetched), with its titles
// and types, and the list keeps its rows and position.
void ExportTest::datasetRowsToFile()
{
    QFETCH(QString, name);
    TestDatabase db;
    fillFixture(db);
    const QList<QStringList> expected = expectedRows(db);
    QCOMPARE(expected.size(), kGenerated + 3);

    Dataset& q = listQuery();
    q.setSql({kStatement});
    q.open();
    QVERIFY(q.moveTo(1));
    const int fetched = q.fetchedCount();
    QVERIFY(fetched < expected.size());
    QSignalSpy fetchedSpy(&q, &Dataset::rowsFetched);
    QSignalSpy currentSpy(&q, &Dataset::currentChanged);

    const QString path = QDir(db.dir()).filePath(name);
    spreadsheet::DatasetRows source(q, kFields);
    qint64 reported = 0;
    const auto result = spreadsheet::write(source, path, spreadsheet::formatOf(path), {QStringLiteral("Beszállítás")},
                                           [&](const spreadsheet::Progress& p) {
                                               reported = p.rows;
                                               return true;
                                           });
    QVERIFY2(result.ok(), qPrintable(result.message));
    QCOMPARE(result.rows, expected.size());
    QCOMPARE(reported, expected.size());
    QCOMPARE(q.fetchedCount(), fetched);
    QCOMPARE(q.recNo(), 1);
    QVERIFY(q.active());
    QCOMPARE(fetchedSpy.count(), 0);
    QCOMPARE(currentSpy.count(), 0);
    QCOMPARE(leftovers(db.dir(), {QStringLiteral("Dudoz.fdb"), name}), QStringList());

    const QStringList titles = {QStringLiteral("Fülszám"), QStringLiteral("Beszállítás"), QStringLiteral("Feladó neve"),
                                QStringLiteral("ID"), QStringLiteral("Megjegyzés")};
    if (spreadsheet::formatOf(path) == Format::Csv) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const Csv csv = parseCsv(f.readAll());
        QVERIFY(csv.bom);
        QVERIFY(csv.crlfOnly);
        QCOMPARE(csv.records.size(), expected.size() + 1);
        QCOMPARE(csv.records[0], titles);
        QList<QStringList> want = expected;
        want[2][2] = QStringLiteral("'=HYPERLINK(\"x\")");  // kept from running as a formula
        for (int r = 0; r < expected.size(); ++r)
            QCOMPARE(csv.records[r + 1], want[r]);
        QCOMPARE(csv.records[2][2], QStringLiteral("Kovács; \"Bika\" Bt.\nTelep 2"));
        return;
    }

    const xlsx::Workbook book = xlsx::read(path);
    QVERIFY2(book.error.isEmpty(), qPrintable(book.error));
    QCOMPARE(book.sheets.size(), 1);
    const xlsx::Sheet& sheet = book.sheets[0];
    QCOMPARE(sheet.name, QStringLiteral("Beszállítás"));
    QCOMPARE(sheet.rows.size(), expected.size() + 1);
    // The header: bold titles, frozen, filtered over every row.
    for (int c = 0; c < titles.size(); ++c) {
        QCOMPARE(sheet.rows[0].value(c).text, titles[c]);
        QVERIFY(sheet.styleOf(sheet.rows[0][c]).bold);
    }
    QCOMPARE(sheet.frozenTopLeft, QStringLiteral("A2"));
    QCOMPARE(sheet.autoFilter, QStringLiteral("A1:E%1").arg(expected.size() + 1));
    for (int r = 0; r < expected.size(); ++r) {
        const QList<xlsx::Cell>& cells = sheet.rows[r + 1];
        const QStringList& want = expected[r];
        // Ear tags and names: text cells in a text column, exactly as stored.
        for (int c : {0, 2}) {
            const xlsx::Cell cell = cells.value(c);
            if (want[c].isEmpty()) {
                QVERIFY(cell.text.isEmpty());
                continue;
            }
            QCOMPARE(cell.type, QStringLiteral("inlineStr"));
            QCOMPARE(cell.text, want[c]);
            QCOMPARE(sheet.styleOf(cell).formatCode, QStringLiteral("@"));
        }
        // Dates: numbers shown through the date format; a missing one is an empty cell.
        const xlsx::Cell date = cells.value(1);
        if (want[1].isEmpty()) {
            QVERIFY(date.text.isEmpty());
        } else {
            QCOMPARE(date.type, QString());
            QCOMPARE(sheet.styleOf(date).formatCode, QStringLiteral("yyyy.mm.dd"));
            QCOMPARE(fromSerial(date.text).toString(QStringLiteral("yyyy.MM.dd")), want[1]);
        }
        // Identifiers: plain numbers.
        QCOMPARE(cells.value(3).type, QString());
        QCOMPARE(cells.value(3).text, want[3]);
        QVERIFY(cells.value(4).text.isEmpty());
    }
    QCOMPARE(sheet.rows[1][0].text, QStringLiteral("0099"));
    QCOMPARE(sheet.rows[2][0].text, QStringLiteral("000123456789012345"));
    QCOMPARE(sheet.rows[1][2].text, QStringLiteral("Árvíztűrő Tükörfúrógép Kft."));
    // Columns as wide as their contents: the 18-digit ear tag and the longest name fit whole.
    QCOMPARE(sheet.widths.size(), titles.size());
    QVERIFY(sheet.widths[0] >= 18);
    QVERIFY(sheet.widths[2] >= QStringLiteral("Árvíztűrő Tükörfúrógép Kft.").size());
    QVERIFY(sheet.widths[1] >= 10);
    // Empty cells a person types into later are text in a text column and dates in a date column.
    QCOMPARE(sheet.styles.value(sheet.columnStyles[0]).formatCode, QStringLiteral("@"));
    QCOMPARE(sheet.styles.value(sheet.columnStyles[1]).formatCode, QStringLiteral("yyyy.mm.dd"));
}

void ExportTest::rowsBeyondASheetGoOnTheNext()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sok.xlsx"));
    Generated source(7);
    spreadsheet::Options options;
    options.sheetName = QStringLiteral("Napi: mozgások [be/ki]");
    options.rowsPerSheet = 4;  // the header and three rows
    const auto result = spreadsheet::write(source, path, Format::Xlsx, options);
    QVERIFY2(result.ok(), qPrintable(result.message));
    const xlsx::Workbook book = xlsx::read(path);
    QVERIFY2(book.error.isEmpty(), qPrintable(book.error));
    QCOMPARE(book.sheets.size(), 3);
    QCOMPARE(book.sheets[0].name, QStringLiteral("Napi- mozgások -be-ki-"));
    QCOMPARE(book.sheets[1].name, QStringLiteral("Napi- mozgások -be-ki- (2)"));
    int row = 0;
    for (const xlsx::Sheet& sheet : book.sheets) {
        QCOMPARE(sheet.rows[0].value(0).text, QStringLiteral("Fülszám"));
        QCOMPARE(sheet.frozenTopLeft, QStringLiteral("A2"));
        QCOMPARE(sheet.autoFilter, QStringLiteral("A1:C%1").arg(sheet.rows.size()));
        for (int r = 1; r < sheet.rows.size(); ++r, ++row) {
            QCOMPARE(sheet.rows[r].value(0).text, QStringLiteral("%1").arg(row, 12, 10, QChar(u'0')));
            QCOMPARE(sheet.rows[r].value(2).text, QString::number(row));
        }
    }
    QCOMPARE(row, 7);
}

void ExportTest::cancelledExportLeavesNoFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("existing");
    QTest::newRow("xlsx") << QStringLiteral("lista.xlsx") << false;
    QTest::newRow("csv") << QStringLiteral("lista.csv") << false;
    QTest::newRow("xlsx over an older file") << QStringLiteral("lista.xlsx") << true;
    QTest::newRow("csv over an older file") << QStringLiteral("lista.csv") << true;
}

// Cancelling removes what was written so far; a file of the same name from before stays as it was.
void ExportTest::cancelledExportLeavesNoFile()
{
    QFETCH(QString, name);
    QFETCH(bool, existing);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    if (existing) {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("régi");
    }
    Generated source(200000);
    int calls = 0;
    const auto result = spreadsheet::write(source, path, spreadsheet::formatOf(path), {},
                                           [&](const spreadsheet::Progress&) { return ++calls < 3; });
    QCOMPARE(result.outcome, spreadsheet::Result::Outcome::Cancelled);
    QVERIFY(result.rows < 200000);
    QVERIFY(result.message.isEmpty());
    if (existing) {
        QFile old(path);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("régi"));
        QCOMPARE(leftovers(dir.path(), {name}), QStringList());
    } else {
        QCOMPARE(leftovers(dir.path()), QStringList());
    }
}

void ExportTest::unwritableTargetIsNamed_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no such folder") << QStringLiteral("nincs/ilyen/lista.xlsx") << QStringLiteral("A mappa nem létezik.");
    QTest::newRow("a file as folder") << QStringLiteral("fájl.txt/lista.csv") << QStringLiteral("A mappa nem létezik.");
    // Found only when the finished file is to take its name: the written rows must go as well.
    QTest::newRow("a folder of that name, xlsx") << QStringLiteral("mappa.xlsx")
                                                 << QStringLiteral("Ezen a néven egy mappa van.");
    QTest::newRow("a folder of that name, csv") << QStringLiteral("mappa.csv")
                                                << QStringLiteral("Ezen a néven egy mappa van.");
}

void ExportTest::unwritableTargetIsNamed()
{
    QFETCH(QString, relative);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("fájl.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("mappa.xlsx")));
    QVERIFY(QFile::copy(dir.filePath(QStringLiteral("fájl.txt")), dir.filePath(QStringLiteral("mappa.xlsx/benne"))));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("mappa.csv")));
    QVERIFY(QFile::copy(dir.filePath(QStringLiteral("fájl.txt")), dir.filePath(QStringLiteral("mappa.csv/benne"))));
    const QString path = dir.filePath(relative);
    Generated source(100);
    const auto result = spreadsheet::write(source, path, spreadsheet::formatOf(path));
    QCOMPARE(result.outcome, spreadsheet::Result::Outcome::Failed);
    QCOMPARE(result.message, QStringLiteral("Nem lehet menteni a(z) \"%1\" fájlt. %2").arg(path, reason));
    QCOMPARE(leftovers(dir.path(), {QStringLiteral("fájl.txt")}), QStringList());
    QCOMPARE(QDir(dir.filePath(QStringLiteral("mappa.xlsx"))).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("benne")});
}

void ExportTest::fileGrowingPastTheLimitLeavesNoFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("xlsx") << QStringLiteral("nagy.xlsx");
    QTest::newRow("csv") << QStringLiteral("nagy.csv");
}

// A write that fails half way (here the file-size limit of the process, as a full disk would):
// the file's name in a message, and no file.
void ExportTest::fileGrowingPastTheLimitLeavesNoFile()
{
    QFETCH(QString, name);
    QTemporaryDir dir;
    QTemporaryDir tmp;  // libxlsxwriter's temporary files, watched by the same limit
    qputenv("TMPDIR", QFile::encodeName(tmp.path()));
    const QString path = dir.filePath(name);
    rlimit old{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 1 << 20;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    Generated source(200000);
    const auto result = spreadsheet::write(source, path, spreadsheet::formatOf(path));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    qunsetenv("TMPDIR");
    QCOMPARE(result.outcome, spreadsheet::Result::Outcome::Failed);
    QCOMPARE(result.message, QStringLiteral("Nem lehet menteni a(z) \"%1\" fájlt. "
                                            "A fájl nagyobb, mint amekkorát a rendszer megenged.")
                                 .arg(path));
    QCOMPARE(leftovers(dir.path()), QStringList());
}

void ExportTest::failingSourceLeavesNoFile()
{
    for (const QString& name : {QStringLiteral("hiba.xlsx"), QStringLiteral("hiba.csv")}) {
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        Generated source(10000, 5000);
        const auto result = spreadsheet::write(source, path, spreadsheet::formatOf(path));
        QCOMPARE(result.outcome, spreadsheet::Result::Outcome::Failed);
        QCOMPARE(result.message, QStringLiteral("Az adatok olvasása nem sikerült, a(z) \"%1\" fájl nem készült el.\n"
                                                "A kapcsolat megszakadt.")
                                     .arg(path));
        QCOMPARE(leftovers(dir.path()), QStringList());
    }
}

QTEST_MAIN(ExportTest)
#include "test_export.moc"
