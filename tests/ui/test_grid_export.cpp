#include "storage/shared_datasets.h"
#include "testdb.h"
#include "ui/dbwidgets.h"
#include "ui/grid_export.h"
#include "ui/platform.h"
#include "xlsxreader.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The list the tests show, and its data source.
Dataset& listQuery() { return Data->ZQ21; }
DataSource* listSource() { return &Data->DS21; }

void fillArrivals(TestDatabase& db, int count)
{
    const QString sender = db.addPartner(QStringLiteral("Őrségi Állattartó Kft."));
    db.exec(QStringLiteral("INSERT INTO beszall (bfulszam, bszkelt, bfkod) VALUES ('0099', DATE '2011-03-15', '%1')")
                .arg(sender));
    db.exec(QStringLiteral("EXECUTE BLOCK AS DECLARE I INT = 1; BEGIN WHILE (I < %1) DO BEGIN "
                           "INSERT INTO beszall (bfulszam, bszkelt, bfkod) VALUES "
                           "('3' || LPAD(:I, 9, '0'), DATE '2011-01-01' + MOD(:I, 300), '%2'); I = I + 1; END END")
                .arg(count)
                .arg(sender));
}

// A window with a titled list of arrivals: ear tag, arrival date, sender, id (a hidden column between).
class ListWindow : public QDialog {
public:
    ListWindow()
    {
        setWindowTitle(QStringLiteral("Beszállítás"));
        auto* lay = new QVBoxLayout(this);
        grid = new DBGrid(this);
        lay->addWidget(grid);
        listQuery().setSql({QStringLiteral("SELECT b.IDb, b.bfulszam, b.bszkelt, f.fnev FROM beszall b "
                                           "JOIN felado f ON f.fkod = b.bfkod ORDER BY b.IDb")});
        grid->setDataSource(listSource());
        grid->setColumns({{QStringLiteral("bfulszam"), QStringLiteral("Fülszám")},
                          {QStringLiteral("bszkelt"), QStringLiteral("Beszállítás")},
                          {QStringLiteral("bhkat"), QStringLiteral("Rejtett")},
                          {QStringLiteral("fnev"), QStringLiteral("Feladó neve ")},
                          {QStringLiteral("idb"), QStringLiteral("ID")}});
        grid->setColumnHidden(2, true);
        resize(500, 300);
    }
    DBGrid* grid;
};

const QStringList kTitles = {QStringLiteral("Fülszám"), QStringLiteral("Beszállítás"), QStringLiteral("Feladó neve"),
                             QStringLiteral("ID")};

QStringList filesIn(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

}  // namespace

class GridExportTest : public QObject {
    Q_OBJECT
private slots:
    void init() { gridexport::setProgressDelay(300); }
    void ctrlEExportsEveryRow_data();
    void ctrlEExportsEveryRow();
    void contextMenuEntry();
    void cancelledWhileRunningLeavesNoFile();
    void unwritableTargetIsNamed();
};

void GridExportTest::ctrlEExportsEveryRow_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("filter");
    QTest::addColumn<QString>("written");
    QTest::newRow("xlsx") << QStringLiteral("lista.xlsx") << 0 << QStringLiteral("lista.xlsx");
    QTest::newRow("csv by its filter") << QStringLiteral("lista") << 1 << QStringLiteral("lista.csv");
    QTest::newRow("csv by its extension") << QStringLiteral("lista.csv") << 0 << QStringLiteral("lista.csv");
}

// Ctrl+E on the shown list writes every row of its statement with the columns and titles shown,
// and the list keeps the rows it read and its position.
void GridExportTest::ctrlEExportsEveryRow()
{
    QFETCH(QString, answer);
    QFETCH(int, filter);
    QFETCH(QString, written);
    TestDatabase db;
    fillArrivals(db, 3000);
    platform::TestDoubles doubles;
    doubles.saveAnswers << QDir(db.dir()).filePath(answer);
    doubles.saveFilterAnswers << filter;

    ListWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    listQuery().open();
    QVERIFY(listQuery().moveTo(5));
    QCoreApplication::processEvents();
    const int fetched = listQuery().fetchedCount();
    const int shown = window.grid->model()->rowCount();
    QVERIFY(fetched < 3000);
    window.grid->setFocus();
    QTest::keyClick(window.grid, Qt::Key_E, Qt::ControlModifier);

    QCOMPARE(doubles.saveDialogsShown.size(), 1);
    QCOMPARE(doubles.saveDialogsShown[0].title, QStringLiteral("Exportálás"));
    QCOMPARE(doubles.saveDialogsShown[0].fileName, QStringLiteral("Beszállítás.xlsx"));
    const QString path = QDir(db.dir()).filePath(written);
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Az exportálás elkészült (3000 sor):\n%1").arg(path)});
    QCOMPARE(listQuery().fetchedCount(), fetched);
    QCOMPARE(listQuery().recNo(), 5);
    QCOMPARE(window.grid->model()->rowCount(), shown);
    QCOMPARE(window.grid->currentIndex().row(), 5);

    const QList<QStringList> rows =
        db.rows(QStringLiteral("SELECT b.bfulszam, b.bszkelt, f.fnev, b.IDb FROM beszall b "
                               "JOIN felado f ON f.fkod = b.bfkod ORDER BY b.IDb"));
    if (written.endsWith(QStringLiteral(".csv"))) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), rows.size() + 2);  // the header, the rows, and nothing after the last CR LF
        QCOMPARE(lines[0], kTitles.join(u';'));
        for (int r = 0; r < rows.size(); ++r)
            QCOMPARE(lines[r + 1], rows[r].join(u';'));
        QCOMPARE(lines.last(), QString());
        return;
    }
    const xlsx::Workbook book = xlsx::read(path);
    QVERIFY2(book.error.isEmpty(), qPrintable(book.error));
    QCOMPARE(book.sheets.size(), 1);
    const xlsx::Sheet& sheet = book.sheets[0];
    QCOMPARE(sheet.name, QStringLiteral("Beszállítás"));
    QCOMPARE(sheet.rows.size(), rows.size() + 1);
    for (int c = 0; c < kTitles.size(); ++c)
        QCOMPARE(sheet.rows[0].value(c).text, kTitles[c]);
    for (int r = 0; r < rows.size(); ++r) {
        const QList<xlsx::Cell>& cells = sheet.rows[r + 1];
        QCOMPARE(cells.value(0).type, QStringLiteral("inlineStr"));
        QCOMPARE(cells.value(0).text, rows[r][0]);
        QCOMPARE(sheet.styleOf(cells.value(1)).formatCode, QStringLiteral("yyyy.mm.dd"));
        QCOMPARE(QDate(1899, 12, 30).addDays(cells.value(1).text.toInt()).toString(QStringLiteral("yyyy.MM.dd")),
                 rows[r][1]);
        QCOMPARE(cells.value(2).text, rows[r][2]);
        QCOMPARE(cells.value(3).type, QString());
        QCOMPARE(cells.value(3).text, rows[r][3]);
    }
    QCOMPARE(sheet.rows[1][0].text, QStringLiteral("0099"));
    QCOMPARE(sheet.rows[1][2].text, QStringLiteral("Őrségi Állattartó Kft."));
}

// The context menu offers "Exportálás…" (not while the list is closed) and exports from there.
void GridExportTest::contextMenuEntry()
{
    TestDatabase db;
    fillArrivals(db, 10);
    platform::TestDoubles doubles;
    const QString path = QDir(db.dir()).filePath(QStringLiteral("menü.xlsx"));
    doubles.saveAnswers << path;

    ListWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* action = window.grid->findChild<QAction*>(QStringLiteral("exportAction"));
    QVERIFY(action);
    QCOMPARE(action->text(), QStringLiteral("Exportálás…"));
    QVERIFY(!action->isEnabled());  // a closed list has nothing to export
    listQuery().open();
    QVERIFY(action->isEnabled());

    QString offered;
    bool menuSeen = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu || menuSeen)
            return;
        menuSeen = true;
        QAction* entry = menu->actions().value(0);
        offered = entry ? entry->text() : QString();
        if (entry && entry->isEnabled())
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
        else
            menu->close();
    });
    poll.start(10);
    const QPoint at = window.grid->visualRect(window.grid->model()->index(0, 0)).center();
    QTest::mousePress(window.grid->viewport(), Qt::RightButton, {}, at);
    // What the window system delivers after a right-button press (QTest's mouse events go to the
    // widget directly, past the window that makes it).
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at, window.grid->viewport()->mapToGlobal(at));
    QApplication::sendEvent(window.grid->viewport(), &menuEvent);
    QTest::mouseRelease(window.grid->viewport(), Qt::RightButton, {}, at);
    QTRY_VERIFY(menuSeen);
    poll.stop();
    QCOMPARE(offered, QStringLiteral("Exportálás…"));
    QTRY_COMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Az exportálás elkészült (10 sor):\n%1").arg(path)});
    const xlsx::Workbook book = xlsx::read(path);
    QVERIFY2(book.error.isEmpty(), qPrintable(book.error));
    QCOMPARE(book.sheets.value(0).rows.size(), 11);
}

// "Mégsem" in the progress window of a running export stops it and removes what was written; the
// window says nothing more.
void GridExportTest::cancelledWhileRunningLeavesNoFile()
{
    TestDatabase db;
    fillArrivals(db, 30000);
    platform::TestDoubles doubles;
    QTemporaryDir target;
    const QString path = target.filePath(QStringLiteral("hosszú.xlsx"));
    doubles.saveAnswers << path;
    gridexport::setProgressDelay(0);

    ListWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    listQuery().open();
    window.grid->setFocus();

    bool clicked = false;
    bool windowHeld = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() != u"exportProgress" || !w->isVisible() || clicked)
                continue;
            // Meanwhile the list's window takes no input: Ctrl+E there starts nothing.
            QTest::keyClick(window.grid, Qt::Key_E, Qt::ControlModifier);
            windowHeld = doubles.saveDialogsShown.size() == 1;
            auto* cancel = w->findChild<QPushButton*>(QStringLiteral("cancelExportButton"));
            QVERIFY(cancel);
            QCOMPARE(cancel->text(), QStringLiteral("Mégsem"));
            QTest::mouseClick(cancel, Qt::LeftButton);
            clicked = true;
        }
    });
    poll.start(5);
    QTest::keyClick(window.grid, Qt::Key_E, Qt::ControlModifier);
    poll.stop();
    QVERIFY(clicked);
    QVERIFY(windowHeld);
    QCOMPARE(doubles.messageTexts(), QStringList());
    QCOMPARE(filesIn(target.path()), QStringList());
    // The progress window went with the export.
    for (QWidget* w : QApplication::topLevelWidgets())
        QVERIFY(w->objectName() != u"exportProgress" || !w->isVisible());
}

void GridExportTest::unwritableTargetIsNamed()
{
    TestDatabase db;
    fillArrivals(db, 10);
    platform::TestDoubles doubles;
    const QString path = QDir(db.dir()).filePath(QStringLiteral("nincs/ilyen/lista.xlsx"));
    doubles.saveAnswers << path;
    ListWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    listQuery().open();
    window.grid->setFocus();
    QTest::keyClick(window.grid, Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(doubles.messageTexts(),
             QStringList{QStringLiteral("Nem lehet menteni a(z) \"%1\" fájlt. A mappa nem létezik.").arg(path)});
    QVERIFY(!QFileInfo::exists(QDir(db.dir()).filePath(QStringLiteral("nincs"))));
}

QTEST_MAIN(GridExportTest)
#include "test_grid_export.moc"
