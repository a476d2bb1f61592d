#include "storage/shared_datasets.h"
#include "testdb.h"
#include "ui/dbwidgets.h"
#include "ui/input.h"
#include "ui/longjob.h"
#include "ui/platform.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

class WidgetsTest : public QObject {
    Q_OBJECT
private slots:
    void keyFiltersTypedNotPasted_data();
    void keyFiltersTypedNotPasted();
    void tabLeavesAFilteredField_data();
    void tabLeavesAFilteredField();
    void enterMovesLikeTab();
    void leavingAFieldButNotTowardsCancel();
    void refreshGuardsAgainstLoops();
    void refreshWhenAModalOverTheWindowCloses();
    void ownRefreshAfterAModalRunsOnce();
    void longJobHoldsTheWindowButNotItsStopButtonOrABox();
    void gridFollowsDatasetLazily();
    void gridTitleClickCarriesColumn();
    void gridScrollsUpPastTheTailAndToTheTop();
    void gridColumnsSizedToTitlesAndValues();
    void boundTextFollowsCurrentRow();
    void detailPanelNamesAndLabels();
    void detailPanelShowsTheWholeValue();
};

void WidgetsTest::keyFiltersTypedNotPasted_data()
{
    QTest::addColumn<bool>("dateField");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ear tag digits") << false << QStringLiteral("12a3.4 5") << QStringLiteral("12345");
    QTest::newRow("date") << true << QStringLiteral("2011.x03-05") << QStringLiteral("2011.0305");
}

void WidgetsTest::keyFiltersTypedNotPasted()
{
    QFETCH(bool, dateField);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QLineEdit edit;
    dateField ? input::dateCharacters(&edit) : input::digitsOnly(&edit);
    edit.show();
    QTest::keyClicks(&edit, typed);
    QCOMPARE(edit.text(), expected);
    // A character typed with AltGr (Ctrl+Alt where the platform reports it so) is filtered too.
    QTest::keyClick(&edit, Qt::Key_At, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(edit.text(), expected);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QCOMPARE(edit.text(), expected.chopped(1));
    // Pasted text is not filtered.
    QApplication::clipboard()->setText(QStringLiteral("ab"));
    edit.paste();
    QCOMPARE(edit.text(), expected.chopped(1) + QStringLiteral("ab"));
}

void WidgetsTest::tabLeavesAFilteredField_data()
{
    QTest::addColumn<bool>("dateField");
    QTest::newRow("ear tag") << false;
    QTest::newRow("date") << true;
}

void WidgetsTest::tabLeavesAFilteredField()
{
    QFETCH(bool, dateField);
    QWidget window;
    auto* lay = new QVBoxLayout(&window);
    auto* before = new QLineEdit(&window);
    auto* field = new QLineEdit(&window);
    auto* after = new QLineEdit(&window);
    for (QLineEdit* e : {before, field, after})
        lay->addWidget(e);
    dateField ? input::dateCharacters(field) : input::digitsOnly(field);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), after);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), before);
    // Delete still deletes; it types nothing.
    field->setText(QStringLiteral("123"));
    field->setCursorPosition(0);
    QTest::keyClick(field, Qt::Key_Delete);
    QCOMPARE(field->text(), QStringLiteral("23"));
}

void WidgetsTest::enterMovesLikeTab()
{
    QDialog dlg;
    auto* lay = new QVBoxLayout(&dlg);
    auto* a = new QLineEdit(&dlg);
    auto* b = new QLineEdit(&dlg);
    auto* ok = new QPushButton(QStringLiteral("OK"), &dlg);
    auto* c = new QLineEdit(&dlg);
    for (QWidget* w : {static_cast<QWidget*>(a), static_cast<QWidget*>(b), static_cast<QWidget*>(ok), static_cast<QWidget*>(c)})
        lay->addWidget(w);
    ok->setAutoDefault(false);
    int clicks = 0;
    QObject::connect(ok, &QPushButton::clicked, [&] { ++clicks; });
    input::digitsOnly(a);
    input::enterAsTab(&dlg);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    a->setFocus();
    QTest::keyClick(a, Qt::Key_Return);
    QTRY_COMPARE(QApplication::focusWidget(), b);
    QTest::keyClick(b, Qt::Key_Return, Qt::ShiftModifier);
    QTRY_COMPARE(QApplication::focusWidget(), a);
    QVERIFY(a->text().isEmpty());  // the field itself takes nothing from Enter
    ok->setFocus();
    QTest::keyClick(ok, Qt::Key_Enter);
    QCOMPARE(clicks, 1);  // a focused button is pressed...
    QTRY_COMPARE(QApplication::focusWidget(), c);  // ...and the focus still moves on
    QVERIFY(dlg.isVisible());
    // A button that puts the focus into a field itself (a failed validation) keeps it there.
    auto conn = QObject::connect(ok, &QPushButton::clicked, [&] { a->setFocus(); });
    ok->setFocus();
    QTest::keyClick(ok, Qt::Key_Return);
    QTest::qWait(20);
    QCOMPARE(QApplication::focusWidget(), a);
    QObject::disconnect(conn);
}

void WidgetsTest::leavingAFieldButNotTowardsCancel()
{
    platform::TestDoubles doubles;
    QDialog dlg;
    auto* lay = new QVBoxLayout(&dlg);
    auto* edit = new QLineEdit(&dlg);
    auto* other = new QLineEdit(&dlg);
    auto* cancel = new QPushButton(QStringLiteral("Mégsem"), &dlg);
    lay->addWidget(edit);
    lay->addWidget(other);
    lay->addWidget(cancel);
    input::markLeavesForm(cancel);
    int exits = 0;
    input::onExit(edit, [&] { ++exits; });
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    edit->setFocus();
    other->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(exits, 1);
    edit->setFocus();
    cancel->setFocus(Qt::MouseFocusReason);  // heading for "Mégsem": no check
    QTest::qWait(20);
    QCOMPARE(exits, 1);
    // A modal dialog opening over the window is not leaving the field.
    edit->setFocus();
    QDialog over(&dlg);
    over.show();
    QVERIFY(QTest::qWaitForWindowActive(&over));
    QTest::qWait(20);
    QCOMPARE(exits, 1);
}

void WidgetsTest::refreshGuardsAgainstLoops()
{
    platform::TestDoubles doubles;
    QWidget window;
    int refreshes = 0;
    auto* refresh = new input::ReactivationRefresh(&window, [&] {
        ++refreshes;
        // A failing refresh reports; closing that box re-activates the window.
        platform::showMessage(&window, QStringLiteral("hiba"));
    });
    QEvent deactivate(QEvent::WindowDeactivate);
    QEvent activate(QEvent::WindowActivate);
    auto boxOpensAndCloses = [&] {
        QCoreApplication::sendEvent(&window, &deactivate);
        QCoreApplication::sendEvent(&window, &activate);
    };
    doubles.onMessage = [&](const platform::ShownMessage&) { boxOpensAndCloses(); };
    boxOpensAndCloses();
    QCoreApplication::sendEvent(&window, &activate);  // two events of one occasion: one refresh
    QTRY_COMPARE(refreshes, 1);
    QTest::qWait(30);
    QCOMPARE(refreshes, 1);
    QCOMPARE(doubles.messages.size(), 1);
    refresh->trigger();
    QTest::qWait(30);
    QCOMPARE(refreshes, 2);
}

void WidgetsTest::refreshWhenAModalOverTheWindowCloses()
{
    QWidget window;
    int refreshes = 0;
    new input::ReactivationRefresh(&window, [&] { ++refreshes; });
    window.show();
    QTRY_COMPARE(refreshes, 1);  // shown
    {
        QDialog modal(&window);
        QTimer::singleShot(50, &modal, &QDialog::accept);
        modal.exec();  // a real modal loop, closed by the timer
    }
    QTRY_COMPARE(refreshes, 2);
    QTest::qWait(30);
    QCOMPARE(refreshes, 2);
}

void WidgetsTest::ownRefreshAfterAModalRunsOnce()
{
    QWidget window;
    int refreshes = 0;
    auto* refresh = new input::ReactivationRefresh(&window, [&] { ++refreshes; });
    window.show();
    QTRY_COMPARE(refreshes, 1);
    {
        QDialog modal(&window);
        QTimer::singleShot(50, &modal, &QDialog::accept);
        modal.exec();
    }
    // The screen refreshes at once after its dialog; the refresh the closing scheduled is that one.
    refresh->trigger();
    QCOMPARE(refreshes, 2);
    QTest::qWait(50);
    QCOMPARE(refreshes, 2);
}

void WidgetsTest::longJobHoldsTheWindowButNotItsStopButtonOrABox()
{
    QDialog window;
    auto* lay = new QVBoxLayout(&window);
    auto* field = new QLineEdit(&window);
    auto* run = new QPushButton(QStringLiteral("Import"), &window);
    auto* stop = new QPushButton(QStringLiteral("Leállítás"), &window);
    lay->addWidget(field);
    lay->addWidget(run);
    lay->addWidget(stop);
    int runs = 0, stops = 0;
    QObject::connect(run, &QPushButton::clicked, [&] { ++runs; });
    QObject::connect(stop, &QPushButton::clicked, [&] { ++stops; });
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    field->setFocus();
    {
        input::LongJob job(&window, {stop});
        QTest::mouseClick(run, Qt::LeftButton);
        QTest::keyClicks(field, QStringLiteral("12"));
        QTest::keyClick(&window, Qt::Key_Escape);  // would reject the dialog
        QVERIFY(!window.close());
        QCOMPARE(runs, 0);
        QCOMPARE(field->text(), QString());
        QVERIFY(window.isVisible());
        QTest::mouseClick(stop, Qt::LeftButton);
        QCOMPARE(stops, 1);
        // A box opened during the job still takes its answer.
        QDialog box(&window);
        auto* ok = new QPushButton(QStringLiteral("OK"), &box);
        QObject::connect(ok, &QPushButton::clicked, &box, &QDialog::accept);
        QTimer::singleShot(0, ok, [ok] { QTest::mouseClick(ok, Qt::LeftButton); });
        QCOMPARE(box.exec(), int(QDialog::Accepted));
        job.pump(true);
    }
    QTest::mouseClick(run, Qt::LeftButton);
    QCOMPARE(runs, 1);
    QVERIFY(window.close());
}

void WidgetsTest::gridFollowsDatasetLazily()
{
    TestDatabase db;
    db.exec(QStringLiteral("EXECUTE BLOCK AS DECLARE I INT = 0; BEGIN WHILE (I < 5000) DO BEGIN "
                           "INSERT INTO beszall (bfulszam) VALUES (:I); I = I + 1; END END"));
    DBGrid grid;
    grid.setDataSource(&Data->DS1);
    grid.setColumns({{QStringLiteral("bfulszam"), QStringLiteral("Fülszám")}, {QStringLiteral("nincs"), QStringLiteral("Kód")}});
    grid.resize(300, 200);
    grid.show();
    Data->IBTable1.open();
    QCoreApplication::processEvents();
    QVERIFY(Data->IBTable1.fetchedCount() < 1000);  // only what is shown
    QCOMPARE(grid.model()->index(0, 1).data().toString(), QString());  // a field the set lacks shows empty
    Data->IBTable1.last();
    QCOMPARE(grid.currentIndex().row(), 4999);
    grid.selectRow(10);
    QCOMPARE(Data->IBTable1.recNo(), 10);
    Data->IBTrans1.commit();  // closing empties the grid
    QCOMPARE(grid.model()->rowCount(), 0);
}

void WidgetsTest::gridScrollsUpPastTheTailAndToTheTop()
{
    TestDatabase db;
    db.exec(QStringLiteral("EXECUTE BLOCK AS DECLARE I INT = 0; BEGIN WHILE (I < 1000) DO BEGIN "
                           "INSERT INTO beszall (bfulszam) VALUES (10000 + :I); I = I + 1; END END"));
    Dataset& q = Data->ZQ11;
    q.setSql({QStringLiteral("SELECT bfulszam, IDb FROM beszall ORDER BY IDb")});
    q.open();
    QWidget window;
    auto* lay = new QVBoxLayout(&window);
    DBGrid grid;
    DBNavigator navigator;
    lay->addWidget(&grid);
    lay->addWidget(&navigator);
    grid.setDataSource(&Data->DS11);
    navigator.setDataSource(&Data->DS11);
    grid.setColumns(
        {{QStringLiteral("bfulszam"), QStringLiteral("Fülszám")}, {QStringLiteral("IDb"), QStringLiteral("ID")}});
    window.resize(300, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const auto idAt = [&grid](int y) {
        return grid.model()->index(grid.rowAt(y), 1).data().toString();
    };

    // The last row: the grid shows the tail, the last row in view, and reads nothing above it.
    q.last();
    const int tail = q.fetchedCount();
    QTest::qWait(20);
    QCOMPARE(q.fieldText(QStringLiteral("IDb")), QStringLiteral("1000"));
    QVERIFY(tail < 500);
    QCOMPARE(q.fetchedCount(), tail);
    QCOMPARE(grid.currentIndex().row(), q.recNo());
    QVERIFY(grid.visualRect(grid.currentIndex()).intersects(grid.viewport()->rect()));

    // Scrolled to its top, the grid reads the rows above and keeps the rows in view where they are.
    const int fetched = q.fetchedCount();
    grid.verticalScrollBar()->setValue(0);
    const QString topRow = idAt(1);
    QTRY_VERIFY(q.fetchedCount() > fetched);
    QApplication::processEvents();
    QCOMPARE(idAt(1), topRow);
    QVERIFY(grid.verticalScrollBar()->value() > 0);
    QCOMPARE(q.fieldText(QStringLiteral("IDb")), QStringLiteral("1000"));  // the current row stays
    QCOMPARE(grid.model()->index(grid.currentIndex().row(), 1).data().toString(), QStringLiteral("1000"));
    // Up the keys, past the rows read so far: on the first row read, the rows above it come in.
    grid.setFocus();
    grid.setCurrentIndex(grid.model()->index(0, 0));
    const int firstRead = q.fieldText(QStringLiteral("IDb")).toInt();
    const int before = q.fetchedCount();
    QTRY_VERIFY(q.fetchedCount() > before);
    QTest::keyClick(&grid, Qt::Key_Up);
    QCOMPARE(q.fieldText(QStringLiteral("IDb")).toInt(), firstRead - 1);

    // Ctrl+Home: the very first row, at the top of the grid.
    q.last();
    QApplication::processEvents();
    QTest::keyClick(&grid, Qt::Key_Home, Qt::ControlModifier);
    QApplication::processEvents();
    QVERIFY(q.startsAtTop());
    QCOMPARE(q.fieldText(QStringLiteral("IDb")), QStringLiteral("1"));
    QCOMPARE(grid.currentIndex().row(), 0);
    QCOMPARE(idAt(1), QStringLiteral("1"));

    // The navigator's first button likewise.
    q.last();
    QApplication::processEvents();
    QVERIFY(!q.startsAtTop());
    navigator.button(DBNavigator::First)->click();
    QApplication::processEvents();
    QCOMPARE(q.fieldText(QStringLiteral("IDb")), QStringLiteral("1"));
    QCOMPARE(idAt(1), QStringLiteral("1"));
}

void WidgetsTest::gridTitleClickCarriesColumn()
{
    DBGrid grid;
    grid.setColumns({{QStringLiteral("a"), QStringLiteral("Név")}, {QStringLiteral("b"), QStringLiteral("Cim")}});
    QCOMPARE(grid.titles(), QStringList({QStringLiteral("Név"), QStringLiteral("Cim")}));
    QSignalSpy spy(&grid, &DBGrid::titleClicked);
    grid.show();
    const int x = grid.horizontalHeader()->sectionViewportPosition(1) + 5;
    QTest::mouseClick(grid.horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.first().first().toInt(), 1);
}

void WidgetsTest::gridColumnsSizedToTitlesAndValues()
{
    TestDatabase db;
    const QString longName = QString(45, u'Ő');
    db.exec(QStringLiteral("EXECUTE BLOCK AS DECLARE I INT = 0; BEGIN WHILE (I < 3000) DO BEGIN "
                           "INSERT INTO kiszall (kfulszam, khkat, keubizki) VALUES ('HU' || (3123456000 + :I), "
                           "'gyüjtés', IIF(:I = 2500, '%1', 'KI-' || :I)); I = I + 1; END END")
                .arg(longName));
    Data->ZQ21.setSql({QStringLiteral("SELECT IDk, kfulszam, khkat, keubizki, kkod FROM kiszall ORDER BY IDk")});
    DBGrid grid;
    grid.setDataSource(&Data->DS21);
    grid.setColumns({{QStringLiteral("IDK"), QStringLiteral("ID")},
                     {QStringLiteral("KFULSZAM"), QStringLiteral("Fülszám")},
                     {QStringLiteral("KHKAT"), QStringLiteral("Hasznositási kategória")},
                     {QStringLiteral("KEUBIZKI"), QStringLiteral("Eü.biz. ki")},
                     {QStringLiteral("KKOD"), QStringLiteral("Kód")}});
    grid.resize(1100, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    Data->ZQ21.open();
    QTest::qWait(20);
    const QFontMetrics fm = grid.fontMetrics();
    const auto fits = [&](int row, int column) {
        return grid.sizeHintForIndex(grid.model()->index(row, column)).width() <= grid.columnWidth(column);
    };
    // Sized from the rows in sight only: nothing fetched for it.
    QVERIFY(Data->ZQ21.fetchedCount() < 200);
    // A short column is narrow, yet its title and values fit.
    QVERIFY(grid.columnWidth(0) < 100);
    QVERIFY(grid.columnWidth(0) >= grid.horizontalHeader()->sectionSizeHint(0));
    QVERIFY(fits(0, 0));
    // An ear tag is never cut: room for the longest the column holds (25 characters).
    QVERIFY(grid.columnWidth(1) >= fm.horizontalAdvance(QString(25, u'8')));
    QVERIFY(fits(0, 1));
    // A column as wide as its title where that is wider than its values.
    QVERIFY(grid.columnWidth(2) >= grid.horizontalHeader()->sectionSizeHint(2));
    QVERIFY(fits(0, 2));
    // The last column takes the rest.
    const QHeaderView* header = grid.horizontalHeader();
    QCOMPARE(header->sectionViewportPosition(4) + header->sectionSize(4), grid.viewport()->width());
    // Scrolled down to a long value: its column widens, within bounds; the value whole as tooltip.
    const int before = grid.columnWidth(3);
    grid.scrollTo(grid.model()->index(0, 0));
    QVERIFY(Data->ZQ21.locate(QStringLiteral("keubizki"), longName));
    QTRY_VERIFY(grid.columnWidth(3) > before);
    QVERIFY(grid.columnWidth(3) <= fm.averageCharWidth() * 40 + 20);
    QVERIFY(!fits(2500, 3));
    QVERIFY(Data->ZQ21.fetchedCount() < 3000);
    // A column the user resized keeps the user's width, also when the list is opened again.
    grid.horizontalHeader()->resizeSection(2, 300);
    Data->ZQ21.close();
    Data->ZQ21.open();
    QTest::qWait(20);
    QCOMPARE(grid.columnWidth(2), 300);
}

void WidgetsTest::boundTextFollowsCurrentRow()
{
    TestDatabase db;
    db.addCarrier(QStringLiteral("AAA"), QStringLiteral("Első"));
    db.addCarrier(QStringLiteral("BBB"), QStringLiteral("Második"));
    DBText text;
    text.bind(&Data->DS30, QStringLiteral("snev"));
    Data->ZQ30.setSql({QStringLiteral("SELECT snev FROM szallito ORDER BY srendszam")});
    Data->ZQ30.open();
    QCOMPARE(text.text(), QStringLiteral("Első"));
    Data->ZQ30.next();
    QCOMPARE(text.text(), QStringLiteral("Második"));
    Data->ZQ30.close();
    QCOMPARE(text.text(), QString());
}

void WidgetsTest::detailPanelNamesAndLabels()
{
    TestDatabase db;
    db.addCarrier(QStringLiteral("AAA"), QStringLiteral("Első"));
    Data->ZQ30.setSql({QStringLiteral("SELECT srendszam, snev, IDs, skod FROM szallito")});
    Data->ZQ30.open();
    QWidget screen;
    QGroupBox* box = buildDetailPanel(&screen, QStringLiteral("GroupBox2"), QStringLiteral("Szállító"), &Data->DS30,
                                      {{QStringLiteral("Név:"), {QStringLiteral("snev")}},
                                       {QStringLiteral("Kód:"), {QStringLiteral("IDs"), QStringLiteral("skod")}}},
                                      nullptr);
    QCOMPARE(box->objectName(), QStringLiteral("GroupBox2"));
    QCOMPARE(box->title(), QStringLiteral("Szállító"));
    const auto text = [box](const char* name) { return box->findChild<DBText*>(QString::fromLatin1(name)); };
    QCOMPARE(text("snevText")->text(), QStringLiteral("Első"));
    QCOMPARE(text("skodText")->property("field").toString(), QStringLiteral("skod"));
    // Each caption labels the first text of its line and is named after it.
    auto* name = box->findChild<QLabel*>(QStringLiteral("snevTextLabel"));
    QVERIFY(name);
    QCOMPARE(name->text(), QStringLiteral("Név:"));
    QCOMPARE(name->buddy(), text("snevText"));
    auto* code = box->findChild<QLabel*>(QStringLiteral("idsTextLabel"));
    QVERIFY(code);
    QCOMPARE(code->buddy(), text("idsText"));

    // A screen reader reads the value, and by it what the value is.
    for (const char* name : {"snevText", "idsText", "skodText"}) {
        QAccessibleInterface* value = QAccessible::queryAccessibleInterface(text(name));
        QVERIFY(value);
        QCOMPARE(value->text(QAccessible::Name), text(name)->text());
        QCOMPARE(value->text(QAccessible::Description),
                 QString::fromLatin1(name) == QLatin1String("snevText") ? QStringLiteral("Név:") : QStringLiteral("Kód:"));
    }
    QCOMPARE(QAccessible::queryAccessibleInterface(text("snevText"))->text(QAccessible::Name), QStringLiteral("Első"));
    const auto labels = QAccessible::queryAccessibleInterface(text("snevText"))->relations(QAccessible::Label);
    QStringList labelledBy;  // the caption, and the panel's title around it
    for (const auto& relation : labels)
        labelledBy << relation.first->text(QAccessible::Name);
    QVERIFY2(labelledBy.contains(QStringLiteral("Név:")), qPrintable(labelledBy.join(u'|')));
}

void WidgetsTest::detailPanelShowsTheWholeValue()
{
    TestDatabase db;
    const QString longName = QStringLiteral("Kelet-magyarországi Állatfelvásárló és Értékesítő Zrt.");
    db.addCarrier(QStringLiteral("AAA"), longName);
    db.addCarrier(QStringLiteral("BBB"), QStringLiteral("Kiss <b>&amp;</b> Fia"));
    Data->ZQ30.setSql({QStringLiteral("SELECT srendszam, snev, IDs, skod FROM szallito ORDER BY srendszam")});
    Data->ZQ30.open();
    QWidget screen;
    auto* lay = new QVBoxLayout(&screen);
    QGroupBox* box = buildDetailPanel(&screen, QStringLiteral("GroupBox1"), QStringLiteral("Szállító"), &Data->DS30,
                                      {{QStringLiteral("Név:"), {QStringLiteral("snev")}}});
    lay->addWidget(box);
    screen.setFixedWidth(260);  // narrower than the name
    screen.show();
    QVERIFY(QTest::qWaitForWindowExposed(&screen));
    auto* name = box->findChild<DBText*>(QStringLiteral("snevText"));
    // Cut with "…", whole in the tooltip, whole for a screen reader; the panel keeps its width.
    QCOMPARE(name->text(), longName);
    QVERIFY(name->isCut());
    QCOMPARE(name->toolTip(), longName);
    QCOMPARE(QAccessible::queryAccessibleInterface(name)->text(QAccessible::Name), longName);
    QVERIFY(screen.width() <= 260);
    // A value that fits has no tooltip; a value is never read as markup.
    Data->ZQ30.next();
    QCOMPARE(name->text(), QStringLiteral("Kiss <b>&amp;</b> Fia"));
    QCOMPARE(name->textFormat(), Qt::PlainText);
    QVERIFY(!name->isCut());
    QVERIFY(name->toolTip().isEmpty());
    // An ear tag is never cut: the layout gives it its whole width, where a name is cut.
    Data->ZQ30.first();
    screen.setFixedWidth(380);
    Data->ZQ11.setSql({QStringLiteral("SELECT bfulszam FROM beszall")});
    db.exec(QStringLiteral("INSERT INTO beszall (bfulszam) VALUES ('HU3123456789012345678901')"));
    Data->ZQ11.open();
    QGroupBox* tags = buildDetailPanel(&screen, QStringLiteral("GroupBox3"), QStringLiteral("Fülszám"), &Data->DS11,
                                       {{QStringLiteral("Fülszám:"), {QStringLiteral("bfulszam")}}});
    lay->addWidget(tags);
    auto* tag = tags->findChild<DBText*>(QStringLiteral("bfulszamText"));
    QTRY_VERIFY(tag->isVisible());
    QApplication::processEvents();
    QVERIFY(!tag->isCut());
    QVERIFY(name->isCut());
    // Wide enough, the whole name is shown.
    screen.setFixedWidth(900);
    QTRY_VERIFY(!name->isCut());
    QVERIFY(name->toolTip().isEmpty());
}

QTEST_MAIN(WidgetsTest)
#include "test_widgets.moc"
