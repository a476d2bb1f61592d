#include "../outgoing/outgoing_fixture.h"
#include "app/mainwindow.h"
#include "storage/shared_datasets.h"
#include "maintenance/dispatch_deletion.h"
#include "maintenance/table_editor.h"
#include "maintenance/table_unlock.h"
#include "screens.h"
#include "testdb.h"
#include "ui/dbwidgets.h"
#include "ui/platform.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace {
// The grids, numbered as the tables are, in the order of the tabs.
const int kGridNumbers[] = {1, 2, 3, 4, 6, 7, 8, 9, 10};

DBGrid* grid(QWidget* screen, int number)
{
    return screen->findChild<DBGrid*>(QStringLiteral("DBGrid%1").arg(number));
}

QPushButton* navButton(QWidget* screen, int number, const char* button)
{
    auto* nav = screen->findChild<DBNavigator*>(QStringLiteral("DBNavigator%1").arg(number));
    return nav ? nav->findChild<QPushButton*>(QString::fromLatin1(button)) : nullptr;
}

void showTab(QWidget* screen, int number)
{
    auto* pages = screen->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    pages->setCurrentWidget(screen->findChild<QWidget*>(QStringLiteral("TabSheet%1").arg(number)));
    QApplication::processEvents();
}

// The next password dialog gets this answer typed, then OK or "Mégsem" pressed.
void answerPassword(platform::TestDoubles& doubles, const QString& answer, bool ok = true)
{
    doubles.modalHandlers << [answer, ok](QDialog* dialog) {
        QCOMPARE(dialog->objectName(), QStringLiteral("PasswordDlg"));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Jelszó"));
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("Password"));
        QCOMPARE(edit->echoMode(), QLineEdit::Password);
        QTest::keyClicks(edit, answer);
        QCOMPARE(edit->displayText(), QString(answer.size(), u'*'));
        QTest::mouseClick(dialog->findChild<QPushButton*>(ok ? QStringLiteral("OKBtn") : QStringLiteral("CancelBtn")),
                          Qt::LeftButton);
    };
}

QModelIndex cell(DBGrid* g, int row, const char* field)
{
    const int col = g->datasetModel()->dataset()->fieldIndex(QString::fromLatin1(field));
    return g->model()->index(row, col);
}

void clickCell(DBGrid* g, int row, const char* field)
{
    const QModelIndex idx = cell(g, row, field);
    g->scrollTo(idx);
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(idx).center());
    QApplication::processEvents();
}

// Typed key by key, accented letters included.
void typeText(QWidget* w, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(w, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

QLineEdit* openCellEditor(DBGrid* g)
{
    for (QLineEdit* e : g->viewport()->findChildren<QLineEdit*>())
        if (e->isVisible())
            return e;
    return nullptr;
}

// What a person does: click the cell, open it with F2, replace its text, close it with Enter.
void typeIntoCell(DBGrid* g, int row, const char* field, const QString& text)
{
    clickCell(g, row, field);
    QTest::keyClick(g, Qt::Key_F2);
    QLineEdit* editor = openCellEditor(g);
    QVERIFY(editor);
    editor->selectAll();
    typeText(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    QVERIFY(!openCellEditor(g));
}

// No way into a change: no cell editor on a double-click or typing, no new row on Insert, and
// the navigator's editing buttons unavailable.
void checkOffersNoEditing(QWidget* screen, int number)
{
    DBGrid* g = grid(screen, number);
    auto* table = g->datasetModel()->table();
    const int rowsBefore = g->model()->rowCount();
    if (rowsBefore > 0) {
        const QModelIndex idx = g->model()->index(0, 1);
        QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(idx).center());
        QTest::keyClicks(g, QStringLiteral("7"));
        QVERIFY(!openCellEditor(g));
        QVERIFY(!(g->model()->flags(idx) & Qt::ItemIsEditable));
    }
    QTest::keyClick(g, Qt::Key_Insert);
    QTest::keyClick(g, Qt::Key_Delete, Qt::ControlModifier);
    QVERIFY2(!table->hasUnsavedRow(), qPrintable(table->name()));
    QCOMPARE(g->model()->rowCount(), rowsBefore);
    for (const char* b : {"nbInsert", "nbDelete", "nbEdit", "nbPost", "nbCancel"})
        QVERIFY2(!navButton(screen, number, b)->isEnabled(), b);
}

bool offersEditing(QWidget* screen, int number)
{
    return navButton(screen, number, "nbInsert")->isEnabled() &&
           (grid(screen, number)->editTriggers() & QAbstractItemView::AnyKeyPressed);
}

struct Sample {
    explicit Sample(TestDatabase& db)
    {
        db.addCarrier(QStringLiteral("AAA-111"), QStringLiteral("Kiss"));
        db.addCarrier(QStringLiteral("BBB-222"), QStringLiteral("Nagy"));
        fixture::arrival(db, QStringLiteral("100"));
        fixture::arrival(db, QStringLiteral("200"));
        db.exec(QStringLiteral("INSERT INTO partner (pnev) VALUES ('Telep Kft')"));
        Data->reopenTables();
    }
};
// The sample tables, every one unlocked, and the editor shown on the tab of a grid.
struct UnlockedEditor {
    TestDatabase db;
    platform::TestDoubles doubles;
    Sample sample{db};
    TableEditorDialog editor;
    explicit UnlockedEditor(int number)
    {
        maintenance::unlockTables(maintenance::TableAccess::All);
        fixture::showActive(&editor);
        showTab(&editor, number);
    }
};
}  // namespace

class TableEditorTest : public QObject {
    Q_OBJECT
private slots:
    void layoutAndAllColumns();
    void passwords_data();
    void passwords();
    void wrongAnswerThenRightOne();
    void shortcutLetter_data();
    void shortcutLetter();
    void lockedTablesOfferNoEditing();
    void editedRowIsCommittedAndReadBackAfterDetach();
    void refusedEditKeepsTheRow_data();
    void refusedEditKeepsTheRow();
    void navigatorInsertsSavesAndDeletes();
    void unlockingLastsAndReachesOtherScreens();
    void menuOpensScreens();
    void mainWindowRefreshLeavesAnUnsavedRowAlone();
};

void TableEditorTest::layoutAndAllColumns()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Sample sample(db);
    TableEditorDialog editor;
    QCOMPARE(editor.objectName(), QStringLiteral("Form24"));
    QCOMPARE(editor.windowTitle(), QStringLiteral("Adatok"));
    auto* pages = editor.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    QStringList captions;
    for (int i = 0; i < pages->count(); ++i)
        captions << pages->tabText(i);
    QCOMPARE(captions, QStringList({"BESZALL", "KISZALL", "SZALLITO", "FELADO", "FULSZAM", "BESZALL0 ", "KISZALL0",
                                    "FULSZAM0", "PARTNER"}));
    QCOMPARE(pages->currentIndex(), 0);
    QCOMPARE(editor.findChild<QPushButton*>(QStringLiteral("Button6"))->text(), QStringLiteral("Szerkeszt"));
    QCOMPARE(editor.findChild<QPushButton*>(QStringLiteral("Button1"))->text(), QStringLiteral("Mégsem"));
    // Each grid shows every column of its table in the database's order, titled by its name, on
    // the data module's table dataset, with a navigator of all ten buttons.
    const char* tables[] = {"BESZALL", "KISZALL", "SZALLITO", "FELADO", "FULSZAM", "BESZALL0", "KISZALL0", "FULSZAM0", "PARTNER"};
    for (int i = 0; i < 9; ++i) {
        DBGrid* g = grid(&editor, kGridNumbers[i]);
        QVERIFY(g);
        auto* table = g->datasetModel()->table();
        QCOMPARE(table->tableName(), QString::fromLatin1(tables[i]));
        QCOMPARE(table, Data->tables()[static_cast<size_t>(kGridNumbers[i] - 1)]);
        const auto columns = db.rows(QStringLiteral("SELECT TRIM(rdb$field_name) FROM rdb$relation_fields "
                                                    "WHERE rdb$relation_name = '%1' ORDER BY rdb$field_position")
                                         .arg(QString::fromLatin1(tables[i])));
        QStringList names;
        for (const auto& r : columns)
            names << r.first();
        QCOMPARE(g->titles(), names);
        for (int b = DBNavigator::First; b <= DBNavigator::Refresh; b <<= 1)
            QVERIFY(!editor.findChild<DBNavigator*>(QStringLiteral("DBNavigator%1").arg(kGridNumbers[i]))
                         ->button(static_cast<DBNavigator::Button>(b))
                         ->isHidden());
    }
    // Columns wide enough for their values: an ear tag of 25 digits is not cut.
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    DBGrid* arrivals = grid(&editor, 1);
    const int tagColumn = cell(arrivals, 0, "BFULSZAM").column();
    QVERIFY(arrivals->columnWidth(tagColumn) >= arrivals->fontMetrics().horizontalAdvance(QString(25, u'8')));
}

void TableEditorTest::passwords_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("writable");  // how many of IBTable1..IBTable10, from the first
    QTest::newRow("nine tables") << "582917364" << true << 9;
    QTest::newRow("all ten") << "jvq" << true << 10;
    QTest::newRow("wrong") << "582917365" << true << 0;
    QTest::newRow("empty") << "" << true << 0;
    QTest::newRow("trailing blank") << "582917364 " << true << 0;
    QTest::newRow("leading blank") << " jvq" << true << 0;
    QTest::newRow("other letter case") << "JVQ" << true << 0;
    QTest::newRow("one capital") << "Jvq" << true << 0;
    QTest::newRow("cancelled after the right answer") << "582917364" << false << 9;
    QTest::newRow("cancelled after the other one") << "jvq" << false << 10;
    QTest::newRow("cancelled after a wrong one") << "jv" << false << 0;
}

void TableEditorTest::passwords()
{
    QFETCH(QString, answer);
    QFETCH(bool, ok);
    QFETCH(int, writable);
    TestDatabase db;
    platform::TestDoubles doubles;
    Sample sample(db);
    TableEditorDialog editor;
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    answerPassword(doubles, answer, ok);
    QTest::mouseClick(editor.findChild<QPushButton*>(QStringLiteral("Button6")), Qt::LeftButton);
    QCOMPARE(doubles.modalsShown, QStringList{QStringLiteral("PasswordDlg")});
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
    const auto tables = Data->tables();
    for (int i = 0; i < 10; ++i)
        QCOMPARE(tables[static_cast<size_t>(i)]->readOnly(), i >= writable);
    // The tables were read again: every grid stands on its first row.
    for (TableDataset* t : tables)
        QVERIFY(t->active());
    QCOMPARE(offersEditing(&editor, 1), writable >= 9);
    QCOMPARE(offersEditing(&editor, 10), writable == 10);
}

void TableEditorTest::wrongAnswerThenRightOne()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Sample sample(db);
    TableEditorDialog editor;
    editor.show();
    auto* edit = editor.findChild<QPushButton*>(QStringLiteral("Button6"));
    answerPassword(doubles, QStringLiteral("rossz"));
    QTest::mouseClick(edit, Qt::LeftButton);
    QVERIFY(Data->IBTable1.readOnly());
    answerPassword(doubles, QStringLiteral("582917364"));
    QTest::mouseClick(edit, Qt::LeftButton);
    QCOMPARE(doubles.modalsShown.size(), 2);
    QVERIFY(!Data->IBTable1.readOnly());
    QVERIFY(Data->IBTable10.readOnly());
    // Asked again, the other password unlocks PARTNER as well.
    answerPassword(doubles, QStringLiteral("jvq"));
    QTest::mouseClick(edit, Qt::LeftButton);
    QVERIFY(!Data->IBTable10.readOnly());
    QVERIFY(doubles.messages.isEmpty());
}

void TableEditorTest::shortcutLetter_data()
{
    QTest::addColumn<char>("key");
    QTest::addColumn<bool>("unlocks");
    QTest::newRow("the letter") << 'q' << true;
    QTest::newRow("the letter in upper case") << 'Q' << true;
    QTest::newRow("another letter") << 'w' << false;
    QTest::newRow("a digit") << '5' << false;
}

void TableEditorTest::shortcutLetter()
{
    QFETCH(char, key);
    QFETCH(bool, unlocks);
    QCOMPARE(TableEditorDialog::kUnlockLetter, u'q');  // named in the README for administrators
    TestDatabase db;
    platform::TestDoubles doubles;
    Sample sample(db);
    TableEditorDialog editor;
    fixture::showActive(&editor);
    auto* edit = editor.findChild<QPushButton*>(QStringLiteral("Button6"));
    edit->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), edit);
    QTest::keyClick(edit, key);
    // No password asked, no box shown; the nine tables but never PARTNER.
    QVERIFY(doubles.modalsShown.isEmpty());
    QVERIFY(doubles.messages.isEmpty());
    for (int i = 0; i < 9; ++i)
        QCOMPARE(Data->tables()[static_cast<size_t>(i)]->readOnly(), !unlocks);
    QVERIFY(Data->IBTable10.readOnly());
    // The letter typed anywhere else does nothing.
    if (!unlocks) {
        QTest::keyClick(grid(&editor, 1), 'q');
        QVERIFY(Data->IBTable1.readOnly());
    }
}

void TableEditorTest::lockedTablesOfferNoEditing()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Sample sample(db);
    TableEditorDialog editor;
    fixture::showActive(&editor);
    for (int n : kGridNumbers) {
        showTab(&editor, n);
        checkOffersNoEditing(&editor, n);
        QVERIFY(navButton(&editor, n, "nbNext")->isEnabled());
    }
    // Unlocked for nine tables: PARTNER still offers nothing, BESZALL does.
    maintenance::unlockTables(maintenance::TableAccess::AllButPartner);
    showTab(&editor, 10);
    checkOffersNoEditing(&editor, 10);
    QVERIFY(offersEditing(&editor, 1));
    QCOMPARE(db.count(QStringLiteral("partner")), 1);
    QVERIFY(doubles.messages.isEmpty());
}

void TableEditorTest::editedRowIsCommittedAndReadBackAfterDetach()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Sample sample(db);
    TableEditorDialog editor;
    fixture::showActive(&editor);
    answerPassword(doubles, QStringLiteral("582917364"));
    QTest::mouseClick(editor.findChild<QPushButton*>(QStringLiteral("Button6")), Qt::LeftButton);
    fixture::showActive(&editor);
    showTab(&editor, 3);
    DBGrid* carriers = grid(&editor, 3);
    // A cell opened and closed again without a change leaves no unsaved row.
    clickCell(carriers, 1, "SNEV");
    QTest::keyClick(carriers, Qt::Key_F2);
    QVERIFY(openCellEditor(carriers));
    QCOMPARE(Data->IBTable3.state(), TableDataset::State::Edit);
    QTest::keyClick(openCellEditor(carriers), Qt::Key_Escape);
    QVERIFY(!openCellEditor(carriers));
    QVERIFY(!Data->IBTable3.hasUnsavedRow());
    QVERIFY(editor.isVisible());

    typeIntoCell(carriers, 1, "SNEV", QStringLiteral("Nagy és Társa"));
    QCOMPARE(Data->IBTable3.state(), TableDataset::State::Edit);
    QCOMPARE(carriers->model()->headerData(1, Qt::Vertical).toString(), QStringLiteral("✎"));
    QTest::keyClick(carriers, Qt::Key_Return);  // saves the row
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'|')));
    QCOMPARE(Data->IBTable3.state(), TableDataset::State::Browse);
    QCOMPARE(carriers->model()->data(cell(carriers, 1, "SNEV")).toString(), QStringLiteral("Nagy és Társa"));
    QCOMPARE(carriers->currentIndex().row(), 1);

    // A second change, saved by moving to another row with the mouse.
    typeIntoCell(carriers, 0, "SRENDSZAM", QStringLiteral("XYZ-999"));
    clickCell(carriers, 1, "SNEV");
    QTRY_COMPARE(Data->IBTable3.state(), TableDataset::State::Browse);
    QCOMPARE(Data->IBTable3.recNo(), 1);

    // Close the program's attachment (it rolls back whatever it had not committed) and read back.
    editor.close();
    Data->ZCon1.close();
    QCOMPARE(db.rows(QStringLiteral("SELECT srendszam, snev FROM szallito ORDER BY ids")),
             QList<QStringList>({{QStringLiteral("XYZ-999"), QStringLiteral("Kiss")},
                                 {QStringLiteral("BBB-222"), QStringLiteral("Nagy és Társa")}}));
}

void TableEditorTest::refusedEditKeepsTheRow_data()
{
    QTest::addColumn<int>("number");  // grid
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("held");
    QTest::addColumn<QString>("engineSays");
    QTest::newRow("duplicate code") << 3 << "SKOD" << "1" << "" << "UX_SZALLITO_SKOD";
    QTest::newRow("value too long") << 3 << "SRENDSZAM" << QString(26, u'9') << "" << "A szöveg hosszabb, mint amit az oszlopa tárol: legfeljebb 25 karakter fér el, a szöveg 26 karakteres.";
    QTest::newRow("date that is no date") << 1 << "BSZKELT" << "2011.02.30" << ""
                                          << "Érvénytelen szám vagy dátum: „2011.02.30”";
    QTest::newRow("text the database cannot hold")
        << 3 << "SNEV" << "Kõvári" << ""
        << unstorableTextMessage(QStringLiteral("SNEV"), QStringLiteral("\"õ\" (U+00F5)"));
    QTest::newRow("row held by another connection")
        << 3 << "SNEV" << "Mine" << "UPDATE szallito SET snev = 'theirs' WHERE srendszam = 'BBB-222'"
        << "most egy másik felhasználó (vagy egy másik gép) módosítja";
}

void TableEditorTest::refusedEditKeepsTheRow()
{
    QFETCH(int, number);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, held);
    QFETCH(QString, engineSays);
    UnlockedEditor setup(number);
    auto& [db, doubles, sample, editor] = setup;
    DBGrid* g = grid(&editor, number);
    auto* table = g->datasetModel()->table();
    std::unique_ptr<fixture::ForeignChange> other;
    if (!held.isEmpty())
        other = std::make_unique<fixture::ForeignChange>(db, held);
    const QByteArray f = field.toLatin1();

    typeIntoCell(g, 1, f.constData(), typed);
    QTest::keyClick(g, Qt::Key_Return);
    QCOMPARE(doubles.messages.size(), 1);
    QVERIFY2(doubles.lastMessage().contains(engineSays), qPrintable(doubles.lastMessage()));
    // The row is still there, unsaved, with what was typed.
    QCOMPARE(g->model()->data(cell(g, 1, f.constData())).toString(), typed);
    QCOMPARE(g->model()->headerData(1, Qt::Vertical).toString(), QStringLiteral("✎"));
    QCOMPARE(table->state(), TableDataset::State::Edit);

    // Leaving the row tries again, is refused again, and the grid comes back to the row.
    clickCell(g, 0, f.constData());
    QTRY_COMPARE(doubles.messages.size(), 2);
    QTRY_COMPARE(g->currentIndex().row(), 1);
    QCOMPARE(table->recNo(), 1);
    // The main window's refresh behind the screen leaves that table alone.
    Data->reopenTables();
    QCOMPARE(g->model()->data(cell(g, 1, f.constData())).toString(), typed);
    // Closing the screen is refused too, on that table's tab.
    showTab(&editor, number == 1 ? 3 : 1);
    editor.reject();
    QVERIFY(editor.isVisible());
    QCOMPARE(doubles.messages.size(), 3);
    QCOMPARE(editor.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->currentWidget()->objectName(),
             QStringLiteral("TabSheet%1").arg(number));
    // Escape drops the change; the row shows what is stored, and the screen closes.
    g->setFocus();
    QTest::keyClick(g, Qt::Key_Escape);
    QCOMPARE(table->state(), TableDataset::State::Browse);
    QVERIFY(g->model()->data(cell(g, 1, f.constData())).toString() != typed);
    editor.reject();
    QVERIFY(!editor.isVisible());
    QCOMPARE(doubles.messages.size(), 3);
}

void TableEditorTest::navigatorInsertsSavesAndDeletes()
{
    UnlockedEditor setup(10);
    auto& [db, doubles, sample, editor] = setup;
    DBGrid* g = grid(&editor, 10);
    QTest::mouseClick(navButton(&editor, 10, "nbInsert"), Qt::LeftButton);
    QCOMPARE(Data->IBTable10.state(), TableDataset::State::Insert);
    QCOMPARE(g->model()->rowCount(), 2);
    QCOMPARE(g->currentIndex().row(), 0);
    QCOMPARE(g->model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("*"));
    QVERIFY(navButton(&editor, 10, "nbPost")->isEnabled());
    QVERIFY(!navButton(&editor, 10, "nbRefresh")->isEnabled());
    typeIntoCell(g, 0, "PNEV", QStringLiteral("Gerundo Állattartó Bt."));
    typeIntoCell(g, 0, "PIRSZAM", QStringLiteral("6000"));
    QTest::mouseClick(navButton(&editor, 10, "nbPost"), Qt::LeftButton);
    QVERIFY(doubles.messages.isEmpty());
    // The database gave the identifier; the row is committed at once.
    QCOMPARE(g->model()->data(cell(g, 0, "IDP")).toString(), QStringLiteral("2"));
    QCOMPARE(db.value(QStringLiteral("SELECT pnev || '/' || pirszam FROM partner WHERE idp = 2")),
             QStringLiteral("Gerundo Állattartó Bt./6000"));

    // Deleting asks first: No keeps the row, Yes deletes it.
    doubles.questionAnswers = {false, true};
    QTest::mouseClick(navButton(&editor, 10, "nbDelete"), Qt::LeftButton);
    QCOMPARE(db.count(QStringLiteral("partner")), 2);
    QTest::mouseClick(navButton(&editor, 10, "nbDelete"), Qt::LeftButton);
    QCOMPARE(doubles.messageTexts(), QStringList({QStringLiteral("Törli a sort?"), QStringLiteral("Törli a sort?")}));
    QCOMPARE(doubles.messages.first().kind, platform::BoxKind::Question);
    QCOMPARE(db.count(QStringLiteral("partner")), 1);
    QCOMPARE(g->model()->rowCount(), 1);

    // A new row dropped with the navigator's cancel leaves nothing behind.
    QTest::mouseClick(navButton(&editor, 10, "nbInsert"), Qt::LeftButton);
    QTest::mouseClick(navButton(&editor, 10, "nbCancel"), Qt::LeftButton);
    QCOMPARE(g->model()->rowCount(), 1);
    QVERIFY(!Data->IBTable10.hasUnsavedRow());
    // Refresh reads what another connection committed meanwhile.
    db.exec(QStringLiteral("INSERT INTO partner (pnev) VALUES ('Más')"));
    QTest::mouseClick(navButton(&editor, 10, "nbRefresh"), Qt::LeftButton);
    QTRY_COMPARE(g->model()->rowCount(), 2);
}

void TableEditorTest::unlockingLastsAndReachesOtherScreens()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Sample sample(db);
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam) VALUES ('100')"));
    Data->reopenTables();
    {
        TableEditorDialog editor;
        fixture::showActive(&editor);
        auto* edit = editor.findChild<QPushButton*>(QStringLiteral("Button6"));
        edit->setFocus(Qt::TabFocusReason);
        QTest::keyClick(edit, 'q');
    }
    // Closed and opened again, the editor still edits; so does the dispatch deletion screen's grid.
    {
        TableEditorDialog editor;
        QVERIFY(offersEditing(&editor, 1));
    }
    DispatchDeletionDialog deletion;
    fixture::showActive(&deletion);
    DBGrid* g = grid(&deletion, 1);
    QVERIFY(g->editTriggers() & QAbstractItemView::AnyKeyPressed);
    typeIntoCell(g, 0, "KEUBIZKI", QStringLiteral("KI-77"));
    QTest::keyClick(g, Qt::Key_Return);
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(db.value(QStringLiteral("SELECT keubizki FROM kiszall")), QStringLiteral("KI-77"));
}

void TableEditorTest::menuOpensScreens()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    MainWindow main(&db.session());
    main.findChild<QAction*>(QStringLiteral("Kiszlltstrlse1"))->trigger();
    main.findChild<QAction*>(QStringLiteral("Beszllitott1"))->trigger();
    QCOMPARE(doubles.modalsShown, QStringList({QStringLiteral("Form23"), QStringLiteral("Form24")}));
}

void TableEditorTest::mainWindowRefreshLeavesAnUnsavedRowAlone()
{
    UnlockedEditor setup(3);
    auto& [db, doubles, sample, editor] = setup;
    MainWindow main(&db.session());
    DBGrid* carriers = grid(&editor, 3);
    typeIntoCell(carriers, 1, "SNEV", QStringLiteral("Félig beírt"));
    fixture::arrival(db, QStringLiteral("300"));
    main.refreshTables();
    // The other tables were read again; the carriers, with their unsaved row, were not touched.
    QCOMPARE(Data->IBTable1.recordCount(), 3);
    QCOMPARE(Data->IBTable3.state(), TableDataset::State::Edit);
    QCOMPARE(carriers->model()->data(cell(carriers, 1, "SNEV")).toString(), QStringLiteral("Félig beírt"));
    QTest::keyClick(carriers, Qt::Key_Return);
    QVERIFY(doubles.messages.isEmpty());
    QCOMPARE(db.value(QStringLiteral("SELECT snev FROM szallito WHERE ids = 2")), QStringLiteral("Félig beírt"));
}

QTEST_MAIN(TableEditorTest)
#include "test_table_editor.moc"
