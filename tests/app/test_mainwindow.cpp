#include "app/infoscreens.h"
#include "app/mainwindow.h"
#include "app/splash.h"
#include "storage/shared_datasets.h"
#include "screens.h"
#include "testdb.h"
#include "ui/platform.h"

#include "ui/input.h"

#include <QAction>
#include <QLabel>
#include <QLocale>
#include <QTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {
const QString kStartupFailure = QStringLiteral("Az adatbáziskezelöt nem találja.\nA program müködéséhez szükséges.");

// Runs start-up the way the program does, with a short splash.
bool startUp(MainWindow& form)
{
    LoadingSplash::setIntervalForTests(20);
    return form.startUp();
}
}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { MainWindow::setVersionInfoForTests(std::nullopt); }
    void startUpOpensTheTenTables();
    void splashRunsForItsIntervalBeforeConnecting();
    void startUpFailures_data();
    void startUpFailures();
    void secondInstanceGetsTheStartUpMessage();
    void startUpFailsWhenATableIsMissing();
    void versionTextAndCaption_data();
    void versionTextAndCaption();
    void completeMenu();
    void tablesReopenOnReactivation();
    void closingCommitsPendingWork();
    void endingFromOutsideCommitsPendingWork_data();
    void endingFromOutsideCommitsPendingWork();
    void informationScreens();
    void splashStaysItsFullTime();
    void aboutScreenTabMovesTheFocus();
};

void MainWindowTest::startUpOpensTheTenTables()
{
    TestDatabase db(false);
    platform::TestDoubles doubles;
    MainWindow form;
    const QLocale localeBefore;
    QVERIFY(startUp(form));
    // Only the program's own separators, in its conversions: Qt's locale is left as it was, so a
    // date Qt writes is not turned into "2010. 01. 01.".
    QCOMPARE(QLocale(), localeBefore);
    QCOMPARE(QLocale().toString(QDate(2010, 1, 1), QLocale::ShortFormat),
             localeBefore.toString(QDate(2010, 1, 1), QLocale::ShortFormat));
    QVERIFY(Data);
    QVERIFY(doubles.messages.isEmpty());
    for (TableDataset* t : Data->tables())
        QVERIFY2(t->active(), qPrintable(t->name()));
    QVERIFY(!Data->IBTable11.active());
    QVERIFY(Data->IBTrans1.inTransaction());
}

void MainWindowTest::splashRunsForItsIntervalBeforeConnecting()
{
    TestDatabase db(false);
    platform::TestDoubles doubles;
    MainWindow form;
    LoadingSplash::setIntervalForTests(300);
    QElapsedTimer t;
    t.start();
    QVERIFY(form.startUp());
    QVERIFY(t.elapsed() >= 290);
    // The program itself never shortens it.
    LoadingSplash::setIntervalForTests(3000);
    LoadingSplash box;
    QCOMPARE(box.objectName(), QStringLiteral("AboutBox"));
    QCOMPARE(child<QTimer>(&box, "Timer1")->interval(), 3000);
    QCOMPARE(box.windowTitle(), QStringLiteral("Betöltés..."));
    QCOMPARE(shown(&box, "Version"), QStringLiteral("Gerundo"));
}

void MainWindowTest::startUpFailures_data()
{
    QTest::addColumn<QByteArray>("content");  // empty: no file at all
    QTest::newRow("missing") << QByteArray();
    QTest::newRow("damaged") << QByteArray(64 * 1024, '\x5a');
    QTest::newRow("empty file") << QByteArray("x", 0).append('\0');
}

void MainWindowTest::startUpFailures()
{
    QFETCH(QByteArray, content);
    TestDatabase db(false);
    QFile::remove(db.file());
    if (!content.isEmpty()) {
        QFile f(db.file());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    platform::TestDoubles doubles;
    MainWindow form;
    QVERIFY(!startUp(form));
    QCOMPARE(doubles.messages.size(), 1);
    QCOMPARE(doubles.messages.first().kind, platform::BoxKind::ConfirmYes);
    QCOMPARE(doubles.messages.first().text, kStartupFailure);
    QVERIFY(!Data);
    form.shutDown();  // nothing to close: no crash
}

void MainWindowTest::secondInstanceGetsTheStartUpMessage()
{
    TestDatabase db(false);
    // Another program holds the file (the embedded engine opens it exclusively).
    QProcess holder;
    holder.setWorkingDirectory(db.dir());
    holder.start(QStringLiteral("isql-fb"), {QStringLiteral("-user"), QStringLiteral("SYSDBA"), QStringLiteral("Dudoz.fdb")});
    QVERIFY(holder.waitForStarted());
    holder.write("SELECT COUNT(*) FROM szallito;\n");
    QVERIFY(holder.waitForReadyRead(10000));
    platform::TestDoubles doubles;
    MainWindow form;
    QElapsedTimer t;
    t.start();
    QVERIFY(!startUp(form));
    QVERIFY(t.elapsed() < 10000);  // refused at once, no hang
    QCOMPARE(doubles.lastMessage(), kStartupFailure);
    holder.write("QUIT;\n");
    holder.closeWriteChannel();
    QVERIFY(holder.waitForFinished(10000));
}

void MainWindowTest::startUpFailsWhenATableIsMissing()
{
    TestDatabase db(false);
    db.exec(QStringLiteral("DROP TABLE partner"));
    platform::TestDoubles doubles;
    MainWindow form;
    QVERIFY(!startUp(form));
    QCOMPARE(doubles.messageTexts(), QStringList({kStartupFailure}));
    QVERIFY(!Data);
}

void MainWindowTest::versionTextAndCaption_data()
{
    QTest::addColumn<bool>("hasInfo");
    QTest::addColumn<QList<int>>("file");
    QTest::addColumn<QList<int>>("product");
    QTest::addColumn<QString>("versionText");
    QTest::addColumn<QString>("caption");
    QTest::newRow("2.1") << true << QList<int>{2, 1, 0, 0} << QList<int>{2, 1, 0, 0} << QStringLiteral("2.01")
                         << QStringLiteral("Gerundo  -  Verzió: 2.01   2008 - 2011");
    QTest::newRow("minor from product") << true << QList<int>{2, 7, 3, 4} << QList<int>{5, 12, 0, 0}
                                        << QStringLiteral("2.012") << QStringLiteral("Gerundo  -  Verzió: 2.012   2008 - 2011");
    QTest::newRow("no version information") << false << QList<int>{} << QList<int>{} << QString()
                                            << QStringLiteral("Gerundo  -  Verzió:    2008 - 2011");
}

void MainWindowTest::versionTextAndCaption()
{
    QFETCH(bool, hasInfo);
    QFETCH(QList<int>, file);
    QFETCH(QList<int>, product);
    QFETCH(QString, versionText);
    QFETCH(QString, caption);
    std::optional<VersionInfo> info;
    if (hasInfo) {
        VersionInfo v;
        for (int i = 0; i < 4; ++i) {
            v.file[static_cast<size_t>(i)] = static_cast<quint16>(file.at(i));
            v.product[static_cast<size_t>(i)] = static_cast<quint16>(product.at(i));
        }
        info = v;
    }
    MainWindow::setVersionInfoForTests(info);
    TestDatabase db(false);
    platform::TestDoubles doubles;
    MainWindow form;
    QVERIFY(startUp(form));
    QCOMPARE(form.versionText(), versionText);
    QCOMPARE(form.windowTitle(), caption);
}

void MainWindowTest::completeMenu()
{
    MainWindow form;
    struct Entry {
        const char* name;
        const char* caption;
    };
    // Top level in order; "-" stands for a separator.
    const QList<QPair<Entry, QList<Entry>>> expected = {
        {{"Felvsrlsijegy1", "&Szállítás"},
         {{"j1", "&Beszállítás"}, {"Mdosits1", "&Kiszállítás"}, {"Adattvtel2", "Adatátvétel"},
          {"Bekiszllits1", "&Adatfeltöltés"}}},
        {{"Nyomtats1", "&Nyomtatás"},
         {{"Beszllts1", "&Beszállítás"}, {"Kiszllts1", "&Kiszállítás"}, {"Telepen1", "&Telepen"},
          {"Flszmlista1", "&Fülszámlista"}}},
        {{"Keress1", "Keresés"},
         {{"Flszm1", "Fülszám"}, {"Beszlltiflszmok1", "Beszállító fülszámai"},
          {"earTagStoryMenuItem", "Fülszám története"}}},
        {{"Termk1", "&Feladó"}, {}},
        {{"Trzsadatok1", "S&zállító"}, {}},
        {{"Arhivls1", "Arhiválás"}, {{"Arhivbattel1", "Arhiválás"}, {"Visszavons1", "Visszavonás"}}},
        {{"Segdlet1", "Segédlet"},
         {{"Duplaflszm1", "Dupla fülszám"}, {"Kiszlltstrlse1", "Kiszállítás törlése"},
          {"Beszlltsblhinyzik1", "Beszállításból hiányzik"}, {"Beszllitott1", "Adatok"}, {"N1", "-"},
          {"Nvjegy1", "&Névjegy"}, {"Tvsegtsg1", "Távsegítség"}, {"Sg1", "Súgó"}, {"N2", "-"},
          {"Rgiblimport1", "Régiből import"}, {"N3", "-"}, {"Mentes1", "Mentés"},
          {"Visszatoltes1", "Visszatöltés"}, {"N4", "-"}, {"stockTakeAction", "Leltár"}}},
        {{"Kilps1", "&Kilépés"}, {}},
    };
    const QList<QAction*> top = form.menuBar()->actions();
    QCOMPARE(top.size(), expected.size());
    for (int i = 0; i < top.size(); ++i) {
        QCOMPARE(top[i]->objectName(), QString::fromUtf8(expected[i].first.name));
        QCOMPARE(top[i]->text(), QString::fromUtf8(expected[i].first.caption));
        const QList<Entry>& items = expected[i].second;
        QMenu* menu = top[i]->menu();
        QCOMPARE(menu != nullptr, !items.isEmpty());
        if (!menu)
            continue;
        const QList<QAction*> acts = menu->actions();
        QCOMPARE(acts.size(), items.size());
        for (int j = 0; j < acts.size(); ++j) {
            QCOMPARE(acts[j]->objectName(), QString::fromUtf8(items[j].name));
            if (QString::fromUtf8(items[j].caption) == QStringLiteral("-"))
                QVERIFY(acts[j]->isSeparator());
            else
                QCOMPARE(acts[j]->text(), QString::fromUtf8(items[j].caption));
        }
    }
}

void MainWindowTest::tablesReopenOnReactivation()
{
    TestDatabase db(false);
    platform::TestDoubles doubles;
    MainWindow form;
    QVERIFY(startUp(form));
    form.show();
    QCoreApplication::processEvents();
    // A screen commits: every table closes...
    Data->IBTrans1.commit();
    QVERIFY(!Data->IBTable1.active());
    db.exec(QStringLiteral("INSERT INTO szallito (snev) VALUES ('uj')"));
    // ...and the main window, active again when the screen closes, reopens them once.
    int opens = 0;
    QObject::connect(&Data->IBTable3, &Dataset::opened, [&] { ++opens; });
    QEvent deactivate(QEvent::WindowDeactivate);
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&form, &deactivate);
    QCoreApplication::sendEvent(&form, &activate);
    QCoreApplication::sendEvent(&form, &activate);
    QTRY_VERIFY(Data->IBTable10.active());
    QCoreApplication::processEvents();
    QCOMPARE(opens, 1);
    for (TableDataset* t : Data->tables())
        QVERIFY(t->active());
    QCOMPARE(Data->IBTable3.fieldText(QStringLiteral("snev")), QStringLiteral("uj"));
}

void MainWindowTest::closingCommitsPendingWork()
{
    TestDatabase db(false);
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam) VALUES ('123')"));
    platform::TestDoubles doubles;
    {
        MainWindow form;
        QVERIFY(startUp(form));
        // A deletion that no screen committed...
        Data->ZQ23.setSql({QStringLiteral("DELETE FROM kiszall"), QStringLiteral("WHERE kfulszam = :p1")});
        Data->ZQ23.setParamText(QStringLiteral("p1"), QStringLiteral("123"));
        Data->ZQ23.execSql();
        QCOMPARE(db.count(QStringLiteral("kiszall")), 1);
        form.close();  // ...is made permanent when the program closes
        QVERIFY(!Data->ZCon1.connected());
    }
    QCOMPARE(db.count(QStringLiteral("kiszall")), 0);
}

void MainWindowTest::endingFromOutsideCommitsPendingWork_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<QString>("state");  // the signal driver's argument
    const QList<std::pair<const char*, int>> signals_ = {{"SIGTERM", SIGTERM}, {"SIGHUP", SIGHUP}, {"SIGINT", SIGINT}};
    const QList<std::pair<const char*, QString>> states = {
        {"main window", QString()},
        {"a screen open", QStringLiteral("--screen-open")},
        {"splash", QStringLiteral("--splash")},
        {"start-up message", QStringLiteral("--startup-message")},
        {"import running", QStringLiteral("--importing")},
    };
    for (const auto& [stateName, state] : states)
        for (const auto& [signalName, signalNumber] : signals_)
            QTest::addRow("%s, %s", signalName, stateName) << signalNumber << state;
}

void MainWindowTest::endingFromOutsideCommitsPendingWork()
{
    QFETCH(int, signalNumber);
    QFETCH(QString, state);
    TestDatabase db(false);
    const bool importing = state == QLatin1String("--importing");
    if (!importing) {  // the import would first ask about tables that are not empty
        db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam) VALUES ('123')"));
        db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam) VALUES ('124')"));
    }
    const QString file = db.file();
    // The program itself, in the state asked for; for the start-up message without a database.
    QTemporaryDir empty;
    const bool noDatabase = state == QLatin1String("--startup-message");
    QProcess program;
    program.setWorkingDirectory(noDatabase ? empty.path() : db.dir());
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QStringLiteral(GERUNDO_SIGNAL_DRIVER), state.isEmpty() ? QStringList{} : QStringList{state});
    QVERIFY(program.waitForStarted());
    QByteArray out;
    while (!out.contains("ready") && program.waitForReadyRead(60000))
        out += program.readAllStandardOutput();
    QVERIFY2(out.contains("ready"), out.constData());
    QCOMPARE(::kill(static_cast<pid_t>(program.processId()), signalNumber), 0);
    // The splash would stay a minute and the start-up message until answered: the program ends
    // because it was asked to.
    QVERIFY(program.waitForFinished(20000));
    // Ended as on "Kilépés": a normal end...
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    const QList<QStringList> left = testdb::rows(file, QStringLiteral("SELECT kfulszam FROM kiszall ORDER BY 1"));
    if (state.isEmpty() || state == QLatin1String("--screen-open")) {
        // ...and the pending deletion is permanent.
        QCOMPARE(left, QList<QStringList>{{QStringLiteral("124")}});
    } else if (importing) {
        // ...the import stopped after a committed line: what it wrote stays, the rest was not read.
        const int arrivals = testdb::rows(file, QStringLiteral("SELECT COUNT(*) FROM beszall")).at(0).at(0).toInt();
        QVERIFY2(arrivals > 100, qPrintable(QString::number(arrivals)));
        QVERIFY(testdb::rows(file, QStringLiteral("SELECT COUNT(*) FROM felado")).at(0).at(0).toInt() == 0);
    } else {
        // ...before the database was even opened.
        QCOMPARE(left, (QList<QStringList>{{QStringLiteral("123")}, {QStringLiteral("124")}}));
    }
}

void MainWindowTest::informationScreens()
{
    platform::TestDoubles doubles;
    MainWindow form;
    // "Távsegítség": starts the program each time, silently when it is missing, and stays open.
    QPointer<QDialog> remoteSupport;
    doubles.modalHandlers << [&remoteSupport](QDialog* f) {
        remoteSupport = f;
        QCOMPARE(f->windowTitle(), QStringLiteral("Távsegítség"));
        QCOMPARE(button(f, "Button3")->text(), QStringLiteral("Program indítása"));
        button(f, "Button3")->click();
        button(f, "Button3")->click();
        QVERIFY(f->isVisible());
        button(f, "Button2")->click();
        QVERIFY(!f->isVisible());
    };
    child<QAction>(&form, "Tvsegtsg1")->trigger();
    QCOMPARE(doubles.programsStarted, QStringList({QStringLiteral("ShowMyPC3000.exe"), QStringLiteral("ShowMyPC3000.exe")}));
    QVERIFY(doubles.messages.isEmpty());
    QVERIFY(!remoteSupport);  // destroyed when it closed
    // "Súgó": one help request per press, answered by the help window.
    doubles.modalHandlers << [](QDialog* f) {
        QCOMPARE(f->windowTitle(), QStringLiteral("Súgó"));
        QCOMPARE(button(f, "Button3")->text(), QStringLiteral("Segítség"));
        button(f, "Button3")->click();
        QVERIFY(f->isVisible());
    };
    child<QAction>(&form, "Sg1")->trigger();
    QCOMPARE(doubles.helpRequests, 1);
    // "Névjegy": typed text is gone the next time.
    QString firstText;
    doubles.modalHandlers << [&](QDialog* f) {
        QCOMPARE(f->windowTitle(), QStringLiteral("Névjegy"));
        firstText = child<QPlainTextEdit>(f, "Memo1")->toPlainText();
        child<QPlainTextEdit>(f, "Memo1")->appendPlainText(QStringLiteral("beírt szöveg"));
        button(f, "Button1")->click();
    };
    doubles.modalHandlers << [&](QDialog* f) {
        QCOMPARE(child<QPlainTextEdit>(f, "Memo1")->toPlainText(), firstText);
    };
    child<QAction>(&form, "Nvjegy1")->trigger();
    child<QAction>(&form, "Nvjegy1")->trigger();
    QCOMPARE(doubles.modalsShown,
             QStringList({QStringLiteral("Form26"), QStringLiteral("Form27"), QStringLiteral("HelpWindow"),
                          QStringLiteral("Form25"), QStringLiteral("Form25")}));
    // The real seam: a missing program is not an error either.
    QVERIFY(!QProcess::startDetached(QStringLiteral("ShowMyPC3000.exe"), {}));
}

void MainWindowTest::splashStaysItsFullTime()
{
    LoadingSplash::setIntervalForTests(400);
    QElapsedTimer t;
    t.start();  // the splash's time runs from its creation
    QPointer<LoadingSplash> splash = new LoadingSplash(nullptr);
    bool stayedAfterEscape = false;
    bool stayedAfterClose = false;
    QTimer::singleShot(60, [&] {
        QTest::keyClick(splash, Qt::Key_Escape);
        stayedAfterEscape = splash && splash->isVisible();
        splash->close();  // the window's close button
        stayedAfterClose = splash && splash->isVisible();
    });
    splash->exec();
    QVERIFY(t.elapsed() >= 390);
    QVERIFY(stayedAfterEscape);
    QVERIFY(stayedAfterClose);
    QTRY_VERIFY(!splash);  // released once its time is up
}

void MainWindowTest::aboutScreenTabMovesTheFocus()
{
    AboutDialog about;
    about.show();
    QVERIFY(QTest::qWaitForWindowActive(&about));
    auto* text = child<QPlainTextEdit>(&about, "Memo1");
    const QString shownText = text->toPlainText();
    text->setFocus();
    QTest::keyClick(text, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), button(&about, "Button1"));
    QCOMPARE(text->toPlainText(), shownText);  // no tab typed into it
    QTest::keyClick(button(&about, "Button1"), Qt::Key_Tab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), text);
    // Typing is still possible, and "Mégsem" is reached and pressed from the keyboard.
    QTest::keyClicks(text, QStringLiteral("x"));
    QVERIFY(text->toPlainText() != shownText);
    QTest::keyClick(text, Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QVERIFY(!about.isVisible());
}

QTEST_MAIN(MainWindowTest)
#include "test_mainwindow.moc"
