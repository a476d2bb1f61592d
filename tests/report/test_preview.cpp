#include "report/preview.h"
#include "ui/platform.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <set>

class PreviewTest : public QObject {
    Q_OBJECT
private slots:
    void offersTheConfiguredButtons_data();
    void offersTheConfiguredButtons();
    void movesBetweenPages();
    void zoomsInStepsAndToTheWidth();
    void findsAndMarksText();
    void printsOnCtrlPOnlyWithAPrinter();
    void savesAndOpensPreparedReports();
    void helpListsTheKeys();
    void paintsOnlyThePagesInView();
};

namespace {

// Pages with a heading each and a few names to find.
report::PreparedReport pages(int count)
{
    report::PreparedReport r;
    r.title = QStringLiteral("Próba");
    report::TextStyle bold;
    bold.bold = true;
    bold.size = 14;
    r.styles = {report::TextStyle(), bold};
    for (int i = 1; i <= count; ++i) {
        report::PreparedPage p;
        p.size = QSizeF(210, 297);
        p.texts.push_back({QRectF(20, 15, 170, 8), QStringLiteral("Fejléc, %1. oldal").arg(i), 1});
        if (i == 2) {
            p.texts.push_back({QRectF(20, 40, 80, 6), QStringLiteral("Kovács János"), 0});
            p.texts.push_back({QRectF(20, 250, 80, 6), QStringLiteral("ifj. Kovács János"), 0});
        }
        if (i == 3)
            p.texts.push_back({QRectF(100, 60, 80, 6), QStringLiteral("Kovács Béla"), 0});
        r.pages.push_back(p);
    }
    return r;
}

void click(QWidget* window, const char* name)
{
    auto* b = window->findChild<QToolButton*>(QString::fromLatin1(name));
    QVERIFY2(b, name);
    QTest::mouseClick(b, Qt::LeftButton);
}

int shownPage(QWidget* window) { return window->findChild<QSpinBox*>(QStringLiteral("pageNumber"))->value(); }

}  // namespace

void PreviewTest::offersTheConfiguredButtons_data()
{
    QTest::addColumn<bool>("withPrint");
    QTest::newRow("range lists, on-site list") << false;
    QTest::newRow("ear-tag list") << true;
}

void PreviewTest::offersTheConfiguredButtons()
{
    QFETCH(bool, withPrint);
    report::PreviewOptions options;
    if (withPrint)
        options.buttons |= report::PreviewButton::Print;
    report::PreviewWindow w(pages(1), options);
    for (const char* name : {"pbZoom", "pbLoad", "pbSave", "pbFind", "pbHelp", "pbExit"})
        QVERIFY2(w.findChild<QToolButton*>(QString::fromLatin1(name)), name);
    QCOMPARE(w.findChild<QToolButton*>(QStringLiteral("pbPrint")) != nullptr, withPrint);
    QCOMPARE(w.windowTitle(), QStringLiteral("Előnézet - Próba"));

    report::PreviewOptions bare;
    bare.buttons = report::PreviewButton::Exit;
    report::PreviewWindow few(pages(1), bare);
    QVERIFY(!few.findChild<QToolButton*>(QStringLiteral("pbZoom")));
    QVERIFY(!few.findChild<QToolButton*>(QStringLiteral("pbSave")));
    QVERIFY(few.findChild<QToolButton*>(QStringLiteral("pbExit")));
}

void PreviewTest::movesBetweenPages()
{
    platform::TestDoubles doubles;
    report::PreviewWindow w(pages(3), {});
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(shownPage(&w), 1);
    QCOMPARE(w.findChild<QLabel*>(QStringLiteral("pageCount"))->text(), QStringLiteral("/ 3"));
    click(&w, "nextPage");
    QCOMPARE(shownPage(&w), 2);
    QTest::keyClick(&w, Qt::Key_PageDown);
    QCOMPARE(shownPage(&w), 3);
    QTest::keyClick(&w, Qt::Key_PageDown);
    QCOMPARE(shownPage(&w), 3);
    QTest::keyClick(&w, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(shownPage(&w), 1);
    click(&w, "lastPage");
    QCOMPARE(shownPage(&w), 3);
    QCOMPARE(w.currentPage(), 3);
    click(&w, "priorPage");
    QCOMPARE(shownPage(&w), 2);
    auto* number = w.findChild<QSpinBox*>(QStringLiteral("pageNumber"));
    number->setFocus();
    number->selectAll();
    QTest::keyClicks(number, QStringLiteral("1"));
    QTest::keyClick(number, Qt::Key_Return);
    QCOMPARE(w.currentPage(), 1);
    // Escape closes the preview.
    QTest::keyClick(&w, Qt::Key_Escape);
    QVERIFY(!w.isVisible());
    QCOMPARE(w.result(), int(QDialog::Rejected));
}

void PreviewTest::zoomsInStepsAndToTheWidth()
{
    platform::TestDoubles doubles;
    report::PreviewWindow w(pages(2), {});
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    // The default: the page's width fills the window.
    const double width = w.pageView()->zoomForPageWidth();
    QCOMPARE(w.pageView()->zoom(), width);
    click(&w, "zoomIn");
    double expected = 0;
    for (double s : report::PreviewWindow::zoomSteps())
        if (s > width + 0.001) {
            expected = s;
            break;
        }
    QCOMPARE(w.pageView()->zoom(), expected);
    QCOMPARE(w.findChild<QLabel*>(QStringLiteral("zoomLabel"))->text(), QStringLiteral("%1 %").arg(std::lround(expected * 100)));
    click(&w, "zoomOut");
    click(&w, "zoomOut");
    QVERIFY(w.pageView()->zoom() < width);
    QTest::keyClick(&w, Qt::Key_Plus, Qt::ControlModifier);
    QVERIFY(w.pageView()->zoom() > width - 0.26);

    auto* menu = w.findChild<QMenu*>(QStringLiteral("zoomMenu"));
    QVERIFY(menu);
    for (QAction* a : menu->actions())
        if (a->text() == u"200%")
            a->trigger();
    QCOMPARE(w.pageView()->zoom(), 2.0);
    for (QAction* a : menu->actions())
        if (a->text() == u"Oldalszélesség")
            a->trigger();
    QCOMPARE(w.pageView()->zoom(), width);
    for (QAction* a : menu->actions())
        if (a->text() == u"Egész oldal")
            a->trigger();
    QVERIFY(w.pageView()->zoom() < width);
}

void PreviewTest::findsAndMarksText()
{
    platform::TestDoubles doubles;
    report::PreviewWindow w(pages(3), {});
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* bar = w.findChild<QWidget*>(QStringLiteral("findBar"));
    auto* text = w.findChild<QLineEdit*>(QStringLiteral("findText"));
    QVERIFY(!bar->isVisible());
    click(&w, "pbFind");
    QVERIFY(bar->isVisible());
    QVERIFY(text->hasFocus());
    QTest::keyClicks(text, QStringLiteral("kov"));
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(w.highlightedPage(), 1);
    QCOMPARE(w.highlightedText(), QStringLiteral("Kovács János"));
    QCOMPARE(shownPage(&w), 2);
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(w.highlightedText(), QStringLiteral("ifj. Kovács János"));
    QTest::keyClick(&w, Qt::Key_F3);
    QCOMPARE(w.highlightedText(), QStringLiteral("Kovács Béla"));
    QCOMPARE(shownPage(&w), 3);
    // Round the end back to the first hit.
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(w.highlightedText(), QStringLiteral("Kovács János"));
    QVERIFY(doubles.messages.isEmpty());

    text->clear();
    QTest::keyClicks(text, QStringLiteral("Szabo"));
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(w.highlightedPage(), -1);
    QCOMPARE(doubles.messageTexts(), QStringList({QStringLiteral("A keresett szöveg nem található: „Szabo”")}));

    // Escape in the find bar puts the bar away; the preview stays.
    text->setFocus();
    QTest::keyClick(text, Qt::Key_Escape);
    QVERIFY(!bar->isVisible());
    QVERIFY(w.isVisible());
}

void PreviewTest::printsOnCtrlPOnlyWithAPrinter()
{
    platform::TestDoubles doubles;
    report::PreviewWindow w(pages(2), {});
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::keyClick(&w, Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(doubles.messageTexts(),
             QStringList({QStringLiteral("Nincs telepített nyomtató, ezért a jelentés nem nyomtatható. A Mentés gombbal "
                                         "PDF-fájlba mentheti, és azt másik gépen kinyomtathatja.")}));
    QVERIFY(doubles.printed.isEmpty());

    doubles.printerNames = {QStringLiteral("Iroda")};
    QTest::keyClick(&w, Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(doubles.printed.size(), 1);
    QCOMPARE(doubles.printed.first().pageCount(), 2);

    report::PreviewOptions withPrint;
    withPrint.buttons |= report::PreviewButton::Print;
    report::PreviewWindow list(pages(1), withPrint);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    click(&list, "pbPrint");
    QCOMPARE(doubles.printed.size(), 2);
}

void PreviewTest::savesAndOpensPreparedReports()
{
    platform::TestDoubles doubles;
    QTemporaryDir dir;
    report::PreviewWindow w(pages(3), {});
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    const QString saved = dir.filePath(QStringLiteral("mentett.frp"));
    doubles.saveAnswers = {saved, dir.filePath(QStringLiteral("lista"))};
    click(&w, "pbSave");
    QVERIFY(QFile::exists(saved));
    // Without an extension the chosen kind decides: PDF unless the prepared-report filter was picked.
    click(&w, "pbSave");
    QFile pdf(dir.filePath(QStringLiteral("lista.pdf")));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(5) == "%PDF-");

    report::PreviewWindow other(pages(1), {});
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    doubles.fileAnswers = {saved};
    click(&other, "pbLoad");
    QCOMPARE(other.pageCount(), 3);
    QCOMPARE(other.report().plainText(), w.report().plainText());
    QCOMPARE(other.report().styles, w.report().styles);
    QCOMPARE(other.findChild<QLabel*>(QStringLiteral("pageCount"))->text(), QStringLiteral("/ 3"));

    // A file that is not a saved report is refused; the pages stay.
    doubles.fileAnswers = {pdf.fileName()};
    click(&other, "pbLoad");
    QCOMPARE(doubles.lastMessage(), QStringLiteral("Nem lehet megnyitni a(z) \"%1\" fájlt. A fájl nem mentett jelentés, "
                                                   "vagy megsérült.")
                                        .arg(pdf.fileName()));
    QCOMPARE(other.pageCount(), 3);
    // Cancelled dialogs do nothing.
    const int before = doubles.messages.size();
    click(&other, "pbLoad");
    click(&other, "pbSave");
    QCOMPARE(doubles.messages.size(), before);
}

void PreviewTest::helpListsTheKeys()
{
    platform::TestDoubles doubles;
    report::PreviewWindow w(pages(1), {});
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::keyClick(&w, Qt::Key_F1);
    QCOMPARE(doubles.messages.size(), 1);
    QVERIFY(doubles.lastMessage().startsWith(QStringLiteral("Az előnézet gombjai és billentyűi:")));
    QVERIFY(doubles.lastMessage().contains(QStringLiteral("Nyomtatás (Ctrl+P)")));
    click(&w, "pbHelp");
    QCOMPARE(doubles.messages.size(), 2);
}

void PreviewTest::paintsOnlyThePagesInView()
{
    platform::TestDoubles doubles;
    report::PreviewWindow w(pages(60), {});
    std::set<int> painted;
    connect(w.pageView(), &report::PageView::pagePainted, this, [&](int page) { painted.insert(page); });
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTRY_VERIFY(painted.count(0) == 1);
    QVERIFY2(painted.size() <= 3, qPrintable(QString::number(painted.size())));
    painted.clear();
    click(&w, "lastPage");
    QTRY_VERIFY(painted.count(59) == 1);
    QVERIFY(painted.size() <= 3);
}

QTEST_MAIN(PreviewTest)
#include "test_preview.moc"
