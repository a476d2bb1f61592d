#include "lookups/eartag_checks.h"
#include "lookups_fixture.h"
#include "screens.h"
#include "storage/session.h"
#include "testdb.h"
#include "ui/platform.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace lookups_fixture;

namespace {

enum class Check { Duplicates, WithoutArrival };

std::unique_ptr<QDialog> makeScreen(Session& session, Check check)
{
    if (check == Check::Duplicates)
        return std::make_unique<DuplicateEarTagsDialog>(session);
    return std::make_unique<DeparturesWithoutArrivalDialog>(session);
}

QPlainTextEdit* memo(QDialog* screen) { return child<QPlainTextEdit>(screen, "reportMemo"); }
QStringList memoLines(QDialog* screen) { return memo(screen)->toPlainText().split(u'\n'); }

void runCheck(QDialog* screen)
{
    screen->show();
    QVERIFY(QTest::qWaitForWindowExposed(screen));
    QTest::mouseClick(button(screen, "checkButton"), Qt::LeftButton);
}

const QString kArrivalsHeading = QStringLiteral(" ****   Duplikált fülszám keresése a beszállítások között... ");
const QString kDeparturesHeading = QStringLiteral(" ****   Duplikált fülszám keresése a kiszállítások között... ");
const QString kDuplicatesEnd = QStringLiteral(" ****   Vége. ****");
const QString kMissingHeading = QStringLiteral(" ****   Beszállításból hiányzik de kiszállításban benne van ... ");
const QString kMissingEnd = QStringLiteral("****   Vége. **** ");

QString duplicate(const QString& earTag, const QString& idName, const QString& id)
{
    return QStringLiteral("Dupla:  fülszám = %1     Sorszáma: %2 = %3").arg(earTag, idName, id);
}

QString idOf(TestDatabase& db, const QString& table, const QString& idColumn, int nth)
{
    return db.value(QStringLiteral("SELECT %2 FROM %1 ORDER BY %2 ROWS %3 TO %3").arg(table, idColumn).arg(nth));
}

}  // namespace

Q_DECLARE_METATYPE(Check)

class EarTagChecksTest : public QObject {
    Q_OBJECT
private slots:
    void emptyTablesGiveOnlyTheFrame_data();
    void emptyTablesGiveOnlyTheFrame();
    void duplicatesAreNeighboursInEarTagOrder();
    void departuresWithoutLiveArrival();
    void eachCheckWritesTheTablesAsTheyAre();
    void databaseErrorKeepsTheLinesSoFar();
    void savesWhatTheMemoShows();
    void saveThatFailsSaysWhere();
};

void EarTagChecksTest::emptyTablesGiveOnlyTheFrame_data()
{
    QTest::addColumn<Check>("check");
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("duplicates") << Check::Duplicates << "duplicateEarTagsDialog" << "Dupla fülszámok listája"
                                << QStringList{kArrivalsHeading, " ", " ", " ", kDeparturesHeading, " ", " ",
                                               kDuplicatesEnd};
    QTest::newRow("without arrival") << Check::WithoutArrival << "departuresWithoutArrivalDialog"
                                     << "Beszállításból hiányzó fülszámok listája"
                                     << QStringList{kMissingHeading, " ", " ", kMissingEnd};
}

void EarTagChecksTest::emptyTablesGiveOnlyTheFrame()
{
    QFETCH(Check, check);
    QFETCH(QString, objectName);
    QFETCH(QString, before);
    QFETCH(QStringList, after);
    TestDatabase db;
    platform::TestDoubles doubles;
    auto screen = makeScreen(db.session(), check);
    QCOMPARE(screen->objectName(), objectName);
    QCOMPARE(memo(screen.get())->toPlainText(), before);
    QVERIFY(memo(screen.get())->isReadOnly());
    QCOMPARE(memo(screen.get())->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(memo(screen.get())->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QVERIFY(!button(screen.get(), "saveButton")->isEnabled());
    runCheck(screen.get());
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'\n')));
    QCOMPARE(memoLines(screen.get()), after);
}

void EarTagChecksTest::duplicatesAreNeighboursInEarTagOrder()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Site site(db);
    // 555 stands in three arrivals; 1234 and 01234 are different ear tags; 777 arrived once and
    // left once, which is no duplicate; 1234 left twice.
    for (const char* tag : {"555", "1234", "555", "777", "555", "01234"})
        arrival(db, QString::fromLatin1(tag), QStringLiteral("2011-03-15"), site.carrier, site.szabo);
    for (const char* tag : {"1234", "777", "01234", "1234"})
        departure(db, QString::fromLatin1(tag), QStringLiteral("2011-03-16"), site.carrier, site.buyer);
    const QString b1 = idOf(db, "beszall", "idb", 1), b3 = idOf(db, "beszall", "idb", 3),
                  b5 = idOf(db, "beszall", "idb", 5);
    const QString k1 = idOf(db, "kiszall", "idk", 1), k4 = idOf(db, "kiszall", "idk", 4);

    DuplicateEarTagsDialog screen(db.session());
    runCheck(&screen);
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'\n')));
    // The middle row of the three is in both pairs.
    QCOMPARE(memoLines(&screen),
             QStringList({kArrivalsHeading, " ",
                          duplicate("555", "IDb", b1), duplicate("555", "IDb", b3), " ",
                          duplicate("555", "IDb", b3), duplicate("555", "IDb", b5), " ",
                          " ", " ",
                          kDeparturesHeading, " ",
                          duplicate("1234", "IDk", k1), duplicate("1234", "IDk", k4), " ",
                          " ", kDuplicatesEnd}));
}

void EarTagChecksTest::departuresWithoutLiveArrival()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Site site(db);
    arrival(db, QStringLiteral("3600101"), QStringLiteral("2011-03-15"), site.carrier, site.szabo);
    arrival(db, QStringLiteral("1234"), QStringLiteral("2011-03-15"), site.carrier, site.szabo);
    // Its arrival was archived while the departure stayed live.
    archivedArrival(db, QStringLiteral("3600102"), site.carrier, site.szabo);
    for (const char* tag : {"3600101", "3600102", "3600103", "01234"})
        departure(db, QString::fromLatin1(tag), QStringLiteral("2011-03-16"), site.carrier, site.buyer);
    const QString k2 = idOf(db, "kiszall", "idk", 2), k3 = idOf(db, "kiszall", "idk", 3),
                  k4 = idOf(db, "kiszall", "idk", 4);

    DeparturesWithoutArrivalDialog screen(db.session());
    runCheck(&screen);
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'\n')));
    const QStringList lines = memoLines(&screen);
    QCOMPARE(lines.mid(0, 2), QStringList({kMissingHeading, " "}));
    QCOMPARE(lines.mid(lines.size() - 2), QStringList({" ", kMissingEnd}));
    // Each departure is a line and a blank one, in the order the database gives them.
    QStringList entries;
    for (int i = 2; i + 2 < lines.size(); i += 2) {
        QCOMPARE(lines[i + 1], QStringLiteral(" "));
        entries << lines[i];
    }
    std::sort(entries.begin(), entries.end());
    QCOMPARE(entries, QStringList({"A fülszám = 01234     Sorszáma: IDk = " + k4,
                                   "A fülszám = 3600102     Sorszáma: IDk = " + k2,
                                   "A fülszám = 3600103     Sorszáma: IDk = " + k3}));
}

void EarTagChecksTest::eachCheckWritesTheTablesAsTheyAre()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Site site(db);
    arrival(db, QStringLiteral("42"), QStringLiteral("2011-03-15"), site.carrier, site.szabo);
    arrival(db, QStringLiteral("42"), QStringLiteral("2011-03-15"), site.carrier, site.szabo);
    for (Check check : {Check::Duplicates, Check::WithoutArrival}) {
        auto screen = makeScreen(db.session(), check);
        runCheck(screen.get());
        const QString first = memo(screen.get())->toPlainText();
        QTest::mouseClick(button(screen.get(), "checkButton"), Qt::LeftButton);
        QCOMPARE(memo(screen.get())->toPlainText(), first);
        departure(db, QStringLiteral("43"), QStringLiteral("2011-03-16"), site.carrier, site.buyer);
        departure(db, QStringLiteral("43"), QStringLiteral("2011-03-16"), site.carrier, site.buyer);
        QTest::mouseClick(button(screen.get(), "checkButton"), Qt::LeftButton);
        QVERIFY(memo(screen.get())->toPlainText() != first);
        QVERIFY(memo(screen.get())->toPlainText().contains(QStringLiteral("fülszám = 43 ")));
        db.exec(QStringLiteral("DELETE FROM kiszall"));
    }
    QVERIFY(doubles.messages.isEmpty());
}

void EarTagChecksTest::databaseErrorKeepsTheLinesSoFar()
{
    TestDatabase db(false);
    Site site(db);
    arrival(db, QStringLiteral("42"), QStringLiteral("2011-03-15"), site.carrier, site.szabo);
    arrival(db, QStringLiteral("42"), QStringLiteral("2011-03-15"), site.carrier, site.szabo);
    // The departures' statement cannot run any more.
    db.exec(QStringLiteral("ALTER TABLE kiszall DROP keubizki"));
    db.openSession();
    platform::TestDoubles doubles;
    DuplicateEarTagsDialog screen(db.session());
    runCheck(&screen);
    QCOMPARE(doubles.messages.size(), 1);
    QVERIFY2(doubles.lastMessage().contains(QStringLiteral("KEUBIZKI")), qPrintable(doubles.lastMessage()));
    const QStringList lines = memoLines(&screen);
    QCOMPARE(lines.size(), 7);
    QCOMPARE(lines.first(), kArrivalsHeading);
    QCOMPARE(lines.mid(4), QStringList({" ", " ", " "}));
}

void EarTagChecksTest::savesWhatTheMemoShows()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Site site(db);
    departure(db, QStringLiteral("3600103"), QStringLiteral("2011-03-16"), site.carrier, site.buyer);
    DeparturesWithoutArrivalDialog screen(db.session());
    runCheck(&screen);
    const QString path = QDir(db.dir()).filePath(QStringLiteral("hiányzók.txt"));
    doubles.saveAnswers << QString() << path;
    // Cancelled: nothing written.
    QTest::mouseClick(button(&screen, "saveButton"), Qt::LeftButton);
    QVERIFY(!QFile::exists(path));
    QTest::mouseClick(button(&screen, "saveButton"), Qt::LeftButton);
    QCOMPARE(doubles.saveDialogsShown.size(), 2);
    QCOMPARE(doubles.saveDialogsShown.last().fileName, QStringLiteral("hianyzo-beszallitasok.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QCOMPARE(QString::fromUtf8(bytes), memo(&screen)->toPlainText() + u'\n');
    QVERIFY(bytes.contains("Besz\xc3\xa1ll\xc3\xadt\xc3\xa1sb\xc3\xb3l hi\xc3\xa1nyzik"));  // UTF-8
    QVERIFY(bytes.contains("A f\xc3\xbclsz\xc3\xa1m = 3600103     Sorsz\xc3\xa1ma: IDk = "));
    QVERIFY(doubles.messages.isEmpty());
}

void EarTagChecksTest::saveThatFailsSaysWhere()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    DuplicateEarTagsDialog screen(db.session());
    runCheck(&screen);
    const QString path = QDir(db.dir()).filePath(QStringLiteral("nincs/ilyen/lista.txt"));
    doubles.saveAnswers << path;
    QTest::mouseClick(button(&screen, "saveButton"), Qt::LeftButton);
    QCOMPARE(doubles.messages.size(), 1);
    QVERIFY2(doubles.lastMessage().startsWith(QStringLiteral("A lista nem menthető ide: „%1” (").arg(path)),
             qPrintable(doubles.lastMessage()));
}

QTEST_MAIN(EarTagChecksTest)
#include "test_eartag_checks.moc"
