#include "core/handover.h"
#include "lookups/sender_ranges.h"
#include "lookups_fixture.h"
#include "screens.h"
#include "storage/session.h"
#include "testdb.h"
#include "ui/dbwidgets.h"
#include "ui/platform.h"

#include <QTest>

using namespace lookups_fixture;

namespace {

const QString kLiveFailed = QStringLiteral("Hiba191: Insert a beszall -ból a fulszam -ban ");
const QString kArchiveFailed = QStringLiteral("Hiba193: Insert beszall0 -ból a fülszámban ");
const QString kRunRefused = QStringLiteral("Hiba195: INSERT INTO fulszam0 ! ");
const QString kRunsBroken = QStringLiteral("Hiba196: az insert  közben a fulszam0 -ban!");

DBGrid* grid(QDialog* screen) { return child<DBGrid>(screen, "runsGrid"); }

// The ranges the grid shows, "first-last" each.
QStringList shownRanges(QDialog* screen)
{
    const QStringList first = gridColumn(grid(screen), 1);
    const QStringList last = gridColumn(grid(screen), 2);
    QStringList out;
    for (int i = 0; i < first.size(); ++i)
        out << first[i] + u'-' + last[i];
    return out;
}

// What another connection sees: only what was committed.
QStringList committedRanges(TestDatabase& db)
{
    QStringList out;
    for (const QStringList& row : db.rows(QStringLiteral("SELECT ufultol, ufulig FROM fulszam0 ORDER BY ufultol")))
        out << row.join(u'-');
    return out;
}
QStringList committedEarTags(TestDatabase& db)
{
    QStringList out;
    for (const QStringList& row : db.rows(QStringLiteral("SELECT ufultol FROM fulszam ORDER BY ufultol")))
        out << row.first();
    return out;
}

void showScreen(QDialog* screen)
{
    screen->show();
    QVERIFY(QTest::qWaitForWindowExposed(screen));
}

// "Beszállító": the picker closes on the partner with this code.
void pick(TestDatabase& db, platform::TestDoubles& doubles, QDialog* screen, const QString& code)
{
    doubles.modalHandlers << [&db, code](QDialog* picker) {
        QCOMPARE(picker->objectName(), QStringLiteral("partnerListDialog"));
        QVERIFY(db.session().partners().list().locate(QStringLiteral("fkod"), code));
        button(picker, "chooseButton")->click();
    };
    QTest::mouseClick(button(screen, "pickSenderButton"), Qt::LeftButton);
}

void collect(QDialog* screen) { QTest::mouseClick(button(screen, "collectButton"), Qt::LeftButton); }

// Szabó delivered 1001-1005, which are still on site, and 1006-1010, which are archived; Tóth's
// ear tags lie next to and inside Szabó's but are no part of them.
struct RangesSite {
    TestDatabase db;
    platform::TestDoubles doubles;
    Site site{db};
    RangesSite()
    {
        for (int tag = 1001; tag <= 1005; ++tag)
            arrival(db, QString::number(tag), QStringLiteral("2011-03-15"), site.carrier, site.szabo);
        for (int tag = 1006; tag <= 1010; ++tag)
            archivedArrival(db, QString::number(tag), site.carrier, site.szabo);
        arrival(db, QStringLiteral("1011"), QStringLiteral("2011-03-15"), site.carrier, site.toth);
        archivedArrival(db, QStringLiteral("1000"), site.carrier, site.toth);
        // What earlier runs left in the work tables.
        db.exec(QStringLiteral("INSERT INTO fulszam (ufultol) VALUES ('777')"));
        db.exec(QStringLiteral("INSERT INTO fulszam0 (ufultol, ufulig) VALUES ('500', '502')"));
    }
};

// The database refuses to insert this ear tag into the work table (FULSZAM or FULSZAM0); the
// session starts again, so that it sees the trigger.
void refuseInsert(TestDatabase& db, const QString& workTable, const QString& earTag)
{
    db.exec(QStringLiteral("CREATE EXCEPTION REFUSED 'refused here'"));
    db.exec(QStringLiteral("CREATE TRIGGER %1_REFUSE FOR %1 BEFORE INSERT AS BEGIN "
                           "IF (NEW.UFULTOL = '%2') THEN EXCEPTION REFUSED; END")
                .arg(workTable, earTag));
    db.openSession();
}

// Shows the screen, picks the sender and presses "Lekérdezés".
void collectFor(RangesSite& s, QDialog* screen, const QString& sender)
{
    showScreen(screen);
    pick(s.db, s.doubles, screen, sender);
    collect(screen);
}

}  // namespace

class SenderRangesTest : public QObject {
    Q_OBJECT
private slots:
    void opensOnTheFirstPartnerByName();
    void rangesAcrossLiveAndArchive();
    void runsOfTheSendersEarTags_data();
    void runsOfTheSendersEarTags();
    void queryWithoutPickUsesTheShownSender();
    void searchByFirstEarTag_data();
    void searchByFirstEarTag();
    void refusedRangeIsMissingTheOthersCommit();
    void failedLiveCopyStopsBeforeTheRuns();
    void failedArchiveCopyGoesOnWithTheLiveEarTags();
    void lostConnectionStopsTheWalk();
    void earTagThatIsNoNumberChangesNothing();
};

void SenderRangesTest::opensOnTheFirstPartnerByName()
{
    RangesSite s;
    SenderEarTagRangesDialog screen(s.db.session());
    showScreen(&screen);
    // "Hús-Vágó Zrt." comes first by name.
    QCOMPARE(shown(&screen, "fnevText"), QStringLiteral("Hús-Vágó Zrt."));
    QCOMPARE(shown(&screen, "fkodText"), s.site.buyer);
    QCOMPARE(screen.senderCode(), s.site.buyer);
    QCOMPARE(child<QLabel>(&screen, "fnevTextLabel")->text(), QStringLiteral("Beszállító/eladó neve:"));
    QCOMPARE(child<QLabel>(&screen, "fnevTextLabel")->buddy(), child<QWidget>(&screen, "fnevText"));
    QCOMPARE(child<QLabel>(&screen, "idfTextLabel")->buddy(), child<QWidget>(&screen, "idfText"));
    QCOMPARE(child<DBText>(&screen, "idfText")->property("field").toString(), QStringLiteral("IDf"));
    QCOMPARE(grid(&screen)->titles(), QStringList({"Sorszám", "Fülszámtól", "Fülszámig"}));
    QCOMPARE(shownRanges(&screen), QStringList());
    QVERIFY(s.doubles.messages.isEmpty());
}

void SenderRangesTest::rangesAcrossLiveAndArchive()
{
    RangesSite s;
    SenderEarTagRangesDialog screen(s.db.session());
    showScreen(&screen);
    pick(s.db, s.doubles, &screen, s.site.szabo);
    QCOMPARE(s.db.session().handOver().partnerCode, s.site.szabo);
    QCOMPARE(shown(&screen, "fnevText"), QStringLiteral("Szabó Gazda"));
    collect(&screen);

    QVERIFY2(s.doubles.messages.isEmpty(), qPrintable(s.doubles.messageTexts().join(u'\n')));
    QCOMPARE(shownRanges(&screen), QStringList{"1001-1010"});
    QCOMPARE(committedRanges(s.db), QStringList{"1001-1010"});
    QCOMPARE(committedEarTags(s.db).size(), 10);
    // "Sorszám" is the database's own row id of the range.
    QCOMPARE(gridColumn(grid(&screen), 0),
             QStringList{s.db.value(QStringLiteral("SELECT idu FROM fulszam0 WHERE ufultol = '1001'"))});
    // The commits closed the partner list; the screen still shows the sender.
    QCOMPARE(shown(&screen, "fnevText"), QStringLiteral("Szabó Gazda"));
}

void SenderRangesTest::runsOfTheSendersEarTags_data()
{
    QTest::addColumn<QStringList>("live");
    QTest::addColumn<QStringList>("archived");
    QTest::addColumn<QStringList>("ranges");

    // A repeated ear tag starts a new run.
    QTest::newRow("7, 7, 8") << QStringList{"7", "8"} << QStringList{"7"} << QStringList{"7-7", "7-8"};
    // Ear tags come in text order: 10 and 11 before 9.
    QTest::newRow("9, 10, 11") << QStringList{"9", "10", "11"} << QStringList{} << QStringList{"10-11", "9-9"};
    // Exact whole numbers of any length: 21 digits are no float's and no 64-bit integer's.
    QTest::newRow("21 digits, consecutive")
        << QStringList{"123456789012345678901"} << QStringList{"123456789012345678902"}
        << QStringList{"123456789012345678901-123456789012345678902"};
    QTest::newRow("21 digits, two apart")
        << QStringList{"123456789012345678901", "123456789012345678903"} << QStringList{}
        << QStringList{"123456789012345678901-123456789012345678901", "123456789012345678903-123456789012345678903"};
    QTest::newRow("21 digits past 2^64 + 1")
        << QStringList{"18446744073709551617", "18446744073709551618"} << QStringList{}
        << QStringList{"18446744073709551617-18446744073709551618"};
    QTest::newRow("leading zeros do not count") << QStringList{"0099", "0100"} << QStringList{}
                                                << QStringList{"0099-0100"};
    QTest::newRow("no arrivals") << QStringList{} << QStringList{} << QStringList{};
}

void SenderRangesTest::runsOfTheSendersEarTags()
{
    QFETCH(QStringList, live);
    QFETCH(QStringList, archived);
    QFETCH(QStringList, ranges);
    TestDatabase db;
    platform::TestDoubles doubles;
    Site site(db);
    for (const QString& tag : live)
        arrival(db, tag, QStringLiteral("2011-03-15"), site.carrier, site.toth);
    for (const QString& tag : archived)
        archivedArrival(db, tag, site.carrier, site.toth);
    db.exec(QStringLiteral("INSERT INTO fulszam0 (ufultol, ufulig) VALUES ('500', '502')"));
    SenderEarTagRangesDialog screen(db.session());
    showScreen(&screen);
    pick(db, doubles, &screen, site.toth);
    collect(&screen);
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'\n')));
    QCOMPARE(shownRanges(&screen), ranges);
    QCOMPARE(committedRanges(db), ranges);
}

void SenderRangesTest::queryWithoutPickUsesTheShownSender()
{
    RangesSite s;
    arrival(s.db, QStringLiteral("5001"), QStringLiteral("2011-03-15"), s.site.carrier, s.site.buyer);
    arrival(s.db, QStringLiteral("5002"), QStringLiteral("2011-03-15"), s.site.carrier, s.site.buyer);
    // Another screen left Tóth's code behind; the screen shows the first partner by name.
    s.db.session().handOver().partnerCode = s.site.toth;
    SenderEarTagRangesDialog screen(s.db.session());
    showScreen(&screen);
    collect(&screen);
    QCOMPARE(shownRanges(&screen), QStringList{"5001-5002"});
    QCOMPARE(shown(&screen, "fnevText"), QStringLiteral("Hús-Vágó Zrt."));

    // After a pick, the picked sender, and again without a new pick.
    pick(s.db, s.doubles, &screen, s.site.szabo);
    collect(&screen);
    QCOMPARE(shownRanges(&screen), QStringList{"1001-1010"});
    collect(&screen);
    QCOMPARE(shownRanges(&screen), QStringList{"1001-1010"});
    QVERIFY2(s.doubles.messages.isEmpty(), qPrintable(s.doubles.messageTexts().join(u'\n')));
}

void SenderRangesTest::searchByFirstEarTag_data()
{
    QTest::addColumn<bool>("queryFirst");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("ranges");

    // Only the first ear tag of a range is matched, from its beginning.
    QTest::newRow("inside a range") << true << "1003" << QStringList{};
    QTest::newRow("first ear tag") << true << "1001" << QStringList{"1001-1010"};
    QTest::newRow("beginning") << true << "3" << QStringList{"30050-30051"};
    QTest::newRow("nothing typed") << true << "" << QStringList{"1001-1010", "2001-2001", "30050-30051"};
    // Before a query: whatever the last query, whichever sender's, left there.
    QTest::newRow("before a query") << false << "" << QStringList{"500-502"};
}

void SenderRangesTest::searchByFirstEarTag()
{
    QFETCH(bool, queryFirst);
    QFETCH(QString, typed);
    QFETCH(QStringList, ranges);
    RangesSite s;
    for (const char* tag : {"2001", "30050", "30051"})
        archivedArrival(s.db, QString::fromLatin1(tag), s.site.carrier, s.site.szabo);
    SenderEarTagRangesDialog screen(s.db.session());
    showScreen(&screen);
    if (queryFirst) {
        pick(s.db, s.doubles, &screen, s.site.szabo);
        collect(&screen);
    }
    QTest::keyClicks(edit(&screen, "earTagEdit"), typed);
    QTest::mouseClick(button(&screen, "searchButton"), Qt::LeftButton);
    QVERIFY2(s.doubles.messages.isEmpty(), qPrintable(s.doubles.messageTexts().join(u'\n')));
    QCOMPARE(shownRanges(&screen), ranges);
}

void SenderRangesTest::refusedRangeIsMissingTheOthersCommit()
{
    RangesSite s;
    for (const char* tag : {"2001", "2002", "3001"})
        archivedArrival(s.db, QString::fromLatin1(tag), s.site.carrier, s.site.szabo);
    refuseInsert(s.db, QStringLiteral("fulszam0"), QStringLiteral("2001"));
    SenderEarTagRangesDialog screen(s.db.session());
    // Half way through the walk the screen cannot be closed, nor can a click reach its buttons.
    bool closedMidway = true;
    s.doubles.onMessage = [&](const platform::ShownMessage&) {
        closedMidway = screen.close();
        QTest::mouseClick(button(&screen, "pickSenderButton"), Qt::LeftButton);
    };
    collectFor(s, &screen, s.site.szabo);
    QVERIFY(!closedMidway);
    QVERIFY(screen.isVisible());
    QCOMPARE(s.doubles.modalsShown, QStringList{"partnerListDialog"});  // the pick before, no picker midway
    QCOMPARE(s.doubles.messageTexts(), QStringList{kRunRefused});
    QCOMPARE(shownRanges(&screen), QStringList({"1001-1010", "3001-3001"}));
    QCOMPARE(committedRanges(s.db), QStringList({"1001-1010", "3001-3001"}));
}

void SenderRangesTest::failedLiveCopyStopsBeforeTheRuns()
{
    RangesSite s;
    refuseInsert(s.db, QStringLiteral("fulszam"), QStringLiteral("1003"));
    SenderEarTagRangesDialog screen(s.db.session());
    collectFor(s, &screen, s.site.szabo);
    // FULSZAM keeps what it held, and it is not passed off as Szabó's ear tags.
    QCOMPARE(s.doubles.messageTexts(), QStringList{kLiveFailed});
    QCOMPARE(committedEarTags(s.db), QStringList{"777"});
    QCOMPARE(committedRanges(s.db), QStringList{"500-502"});
    QCOMPARE(shownRanges(&screen), QStringList());
    QCOMPARE(shown(&screen, "fnevText"), QStringLiteral("Szabó Gazda"));
}

void SenderRangesTest::failedArchiveCopyGoesOnWithTheLiveEarTags()
{
    RangesSite s;
    refuseInsert(s.db, QStringLiteral("fulszam"), QStringLiteral("1008"));
    SenderEarTagRangesDialog screen(s.db.session());
    collectFor(s, &screen, s.site.szabo);
    QCOMPARE(s.doubles.messageTexts(), QStringList{kArchiveFailed});
    QCOMPARE(committedEarTags(s.db), QStringList({"1001", "1002", "1003", "1004", "1005"}));
    QCOMPARE(shownRanges(&screen), QStringList{"1001-1005"});
    QCOMPARE(committedRanges(s.db), QStringList{"1001-1005"});
}

void SenderRangesTest::lostConnectionStopsTheWalk()
{
    RangesSite s;
    for (const char* tag : {"2001", "3001", "4001"})
        archivedArrival(s.db, QString::fromLatin1(tag), s.site.carrier, s.site.szabo);
    refuseInsert(s.db, QStringLiteral("fulszam0"), QStringLiteral("2001"));
    // The connection goes while the refusal is shown: nothing more can be stored.
    s.doubles.onMessage = [&s](const platform::ShownMessage& m) {
        if (m.text == kRunRefused)
            s.db.session().database().connection().close();
    };
    SenderEarTagRangesDialog screen(s.db.session());
    collectFor(s, &screen, s.site.szabo);
    QCOMPARE(s.doubles.messageTexts().mid(0, 2), QStringList({kRunRefused, kRunsBroken}));
    // Nothing of the walk was committed, not even the emptying.
    QCOMPARE(committedRanges(s.db), QStringList{"500-502"});
}

void SenderRangesTest::earTagThatIsNoNumberChangesNothing()
{
    RangesSite s;
    arrival(s.db, QStringLiteral("10x2"), QStringLiteral("2011-03-15"), s.site.carrier, s.site.szabo);
    SenderEarTagRangesDialog screen(s.db.session());
    collectFor(s, &screen, s.site.szabo);
    QCOMPARE(s.doubles.messages.size(), 1);
    QCOMPARE(s.doubles.messages.first().kind, platform::BoxKind::Plain);
    QVERIFY2(s.doubles.lastMessage().contains(QStringLiteral("10x2")), qPrintable(s.doubles.lastMessage()));
    QCOMPARE(committedRanges(s.db), QStringList{"500-502"});
    QCOMPARE(shownRanges(&screen), QStringList());
}

QTEST_MAIN(SenderRangesTest)
#include "test_sender_ranges.moc"
