#include "app/infoscreens.h"
#include "screens.h"
#include "ui/helpwindow.h"
#include "ui/platform.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QScrollBar>
#include <QSet>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>

namespace {
struct Link {
    QString href;
    int position;  // where the link's text starts in the document
};

// Every link of the page the browser shows, in reading order.
QList<Link> linksOf(const QTextBrowser* browser)
{
    QList<Link> links;
    for (QTextBlock b = browser->document()->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.charFormat().isAnchor() && !f.charFormat().anchorHref().isEmpty())
                links.append({f.charFormat().anchorHref(), f.position()});
        }
    return links;
}

// The help's page a link leads to, as a resource path (":/help/x.html").
QString target(const QTextBrowser* browser, const QString& href)
{
    const QUrl url = browser->source().resolved(QUrl(href));
    return url.scheme() == QLatin1String("qrc") ? QLatin1Char(':') + url.path() : QString();
}

// A real click in the middle of a link's text.
void clickLink(QTextBrowser* browser, const Link& link)
{
    QTextCursor cursor(browser->document());
    cursor.setPosition(link.position + 1);
    browser->setTextCursor(cursor);
    browser->ensureCursorVisible();
    const QPoint at = browser->cursorRect(cursor).center();
    QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, at);
}

QStringList helpPages()
{
    HelpWindow loadsTheResources;
    return QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
}
}  // namespace

class HelpTest : public QObject {
    Q_OBJECT
private slots:
    void segitsegOpensTheHelpOnItsContents();
    void everyPageLoadsAndItsLinksResolve_data();
    void everyPageLoadsAndItsLinksResolve();
    void contentsLinksEveryPage();
};

void HelpTest::segitsegOpensTheHelpOnItsContents()
{
    platform::TestDoubles doubles;
    HelpDialog screen;
    screen.show();
    QVERIFY(QTest::qWaitForWindowExposed(&screen));
    bool inspected = false;
    doubles.modalHandlers << [&](QDialog* help) {
        inspected = true;
        QVERIFY(help->isVisible());
        auto* browser = child<QTextBrowser>(help, "HelpBrowser");
        QCOMPARE(browser->source(), HelpWindow::contentsUrl());
        QCOMPARE(browser->documentTitle(), QStringLiteral("Gerundo súgó – Tartalom"));
        QCOMPARE(help->windowTitle(), QStringLiteral("Gerundo súgó – Gerundo súgó – Tartalom"));
        QVERIFY(!button(help, "BackButton")->isEnabled());
        // A click on the first link opens its page in the same browser.
        const QList<Link> links = linksOf(browser);
        QVERIFY(!links.isEmpty());
        clickLink(browser, links.first());
        QTRY_COMPARE(browser->source().fileName(), QUrl(links.first().href).fileName());
        QCOMPARE(help->windowTitle(), QStringLiteral("Gerundo súgó – Beszállítás rögzítése"));
        // "Vissza" returns to the contents; "Tartalom" goes there from anywhere.
        QVERIFY(button(help, "BackButton")->isEnabled());
        QTest::mouseClick(button(help, "BackButton"), Qt::LeftButton);
        QCOMPARE(browser->source(), HelpWindow::contentsUrl());
        clickLink(browser, linksOf(browser).last());
        QVERIFY(browser->source() != HelpWindow::contentsUrl());
        QTest::mouseClick(button(help, "ContentsButton"), Qt::LeftButton);
        QCOMPARE(browser->source(), HelpWindow::contentsUrl());
        QTest::mouseClick(button(help, "CloseButton"), Qt::LeftButton);
        QVERIFY(!help->isVisible());
    };
    QTest::mouseClick(button(&screen, "Button3"), Qt::LeftButton);
    QVERIFY(inspected);
    QCOMPARE(doubles.helpRequests, 1);
    QCOMPARE(doubles.modalsShown, QStringList{QStringLiteral("HelpWindow")});
    // The "Súgó" screen stays open behind the help and can ask again.
    QVERIFY(screen.isVisible());
    QTest::mouseClick(button(&screen, "Button3"), Qt::LeftButton);
    QCOMPARE(doubles.helpRequests, 2);
    QVERIFY(screen.isVisible());
}

void HelpTest::everyPageLoadsAndItsLinksResolve_data()
{
    QTest::addColumn<QString>("page");
    for (const QString& page : helpPages())
        QTest::newRow(qPrintable(page)) << page;
}

void HelpTest::everyPageLoadsAndItsLinksResolve()
{
    QFETCH(QString, page);
    HelpWindow help;
    auto* browser = child<QTextBrowser>(&help, "HelpBrowser");
    browser->setSource(QUrl(QStringLiteral("qrc:/help/") + page));
    QVERIFY2(!browser->documentTitle().trimmed().isEmpty(), "the page has no title");
    QVERIFY(browser->toPlainText().trimmed().size() > 100);
    // Hungarian throughout: the pages are written with its accented letters.
    QVERIFY(browser->toPlainText().contains(QRegularExpression(QStringLiteral("[áéíóöőúüű]"))));
    const QList<Link> links = linksOf(browser);
    QVERIFY2(!links.isEmpty(), "a page leads nowhere");
    bool backToContents = page == QLatin1String("index.html");
    for (const Link& link : links) {
        const QString file = target(browser, link.href);
        QVERIFY2(!file.isEmpty(), qPrintable(link.href + QStringLiteral(" leads out of the help")));
        QVERIFY2(QFile::exists(file), qPrintable(link.href + QStringLiteral(" leads to no page")));
        backToContents = backToContents || file == QLatin1String(":/help/index.html");
    }
    QVERIFY2(backToContents, "no way back to the contents");
}

void HelpTest::contentsLinksEveryPage()
{
    HelpWindow help;
    auto* browser = child<QTextBrowser>(&help, "HelpBrowser");
    QSet<QString> linked;
    for (const Link& link : linksOf(browser))
        linked.insert(target(browser, link.href).mid(QStringLiteral(":/help/").size()));
    const QStringList all = helpPages();
    QSet<QString> pages(all.cbegin(), all.cend());
    pages.remove(QStringLiteral("index.html"));
    QCOMPARE(linked, pages);
}

QTEST_MAIN(HelpTest)
#include "test_help.moc"
