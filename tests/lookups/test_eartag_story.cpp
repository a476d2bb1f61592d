// "Fülszám története": the passes of one ear tag through the site, from the live and the archived
// tables, the summary line, the printout, the bad input, and opening it from a list's current row.
#include "app/mainwindow.h"
#include "expected_pages.h"
#include "lookups/eartag_search.h"
#include "lookups/eartag_story.h"
#include "report/preview.h"
#include "screens.h"
#include "testdb.h"
#include "ui/dbwidgets.h"
#include "ui/platform.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace {

enum class Kept { Live, Archived };

const QString kTemplate = QStringLiteral("Fulszamtortenet.frf");

// A site with a long memory. Today is 2011.03.15 (the platform's test clock). Each ear tag below is
// one case of the story; the comment says what happened to it.
struct StorySite {
    TestDatabase db;
    platform::TestDoubles doubles;
    QString kiss, nagy, szabo, toth, husVago;

    StorySite()
    {
        db.exec(QStringLiteral(
            "INSERT INTO partner (pnev, pirszam, phelyseg, putca, phszam, ptel, padoszam) VALUES "
            "('Gerundo Állatforgalmi Kft.', '4244', 'Újfehértó', 'Vasút utca', '12.', '06-42-555-123', "
            "'12345678-2-15')"));
        kiss = db.addCarrier(QStringLiteral("ABC-123"), QStringLiteral("Kiss Fuvar Bt."));
        nagy = db.addCarrier(QStringLiteral("XYZ-789"), QStringLiteral("Nagy Szállítás Kft."));
        szabo = db.addPartner(QStringLiteral("Szabó Gazda"), QStringLiteral("Nagykálló"), QStringLiteral("HU1234567"));
        toth = db.addPartner(QStringLiteral("Tóth Ágnes"), QStringLiteral("Balkány"), QStringLiteral("HU7654321"));
        husVago = db.addPartner(QStringLiteral("Hús-Vágó Zrt."), QStringLiteral("Kaba"), QStringLiteral("HU5550001"));

        // One pass, archived.
        arrival(Kept::Archived, "3600001", "2010-05-03", szabo, kiss, "EÜ-A1");
        departure(Kept::Archived, "3600001", "2010-05-06", husVago, nagy, "EÜ-A1", "EÜ-K1");
        // One live pass: on site since 2011.03.10.
        arrival(Kept::Live, "3600002", "2011-03-10", toth, nagy, "EÜ-B1");
        // Came and went on one day.
        arrival(Kept::Live, "3600003", "2011-03-01", szabo, kiss, "EÜ-C1");
        departure(Kept::Live, "3600003", "2011-03-01", husVago, kiss, "EÜ-C1", "EÜ-K3");
        // Came back: the first pass archived, here again since 2011.03.12.
        arrival(Kept::Archived, "3600004", "2010-06-01", szabo, kiss, "EÜ-D1");
        departure(Kept::Archived, "3600004", "2010-06-10", husVago, nagy, "EÜ-D1", "EÜ-K4", "hizlalás");
        arrival(Kept::Live, "3600004", "2011-03-12", toth, nagy, "EÜ-D2");
        // Left without ever arriving.
        departure(Kept::Live, "3600005", "2011-03-14", husVago, nagy, "EÜ-X5", "EÜ-K5");
        // Arrived twice on one day, left once: the later entry leaves, the earlier stays on site.
        arrival(Kept::Live, "3600006", "2011-03-08", szabo, kiss, "EÜ-F1");
        arrival(Kept::Live, "3600006", "2011-03-08", szabo, kiss, "EÜ-F2");
        departure(Kept::Live, "3600006", "2011-03-11", husVago, kiss, "EÜ-F2", "EÜ-K6");
        // The arrival went into the archive with another day's departure; its own departure is live.
        arrival(Kept::Archived, "3600007", "2011-02-01", toth, kiss, "EÜ-G1");
        departure(Kept::Live, "3600007", "2011-03-02", husVago, nagy, "EÜ-G1", "EÜ-K7");
        // Left before it arrived: the departure finds no arrival, the later arrival is on site.
        departure(Kept::Live, "3600008", "2011-03-01", husVago, nagy, "EÜ-X8", "EÜ-K8");
        arrival(Kept::Live, "3600008", "2011-03-05", toth, kiss, "EÜ-H1");
        // Ninety-nine, written three ways; 990, 199 and 9900 are other animals.
        arrival(Kept::Archived, "0099", "2010-09-01", szabo, kiss, "EÜ-N1");
        departure(Kept::Archived, "99", "2010-09-05", husVago, kiss, "EÜ-N1", "EÜ-K9");
        arrival(Kept::Live, "099", "2011-03-13", szabo, kiss, "EÜ-N2");
        arrival(Kept::Live, "990", "2011-03-13", szabo, kiss, "EÜ-Z1");
        arrival(Kept::Live, "199", "2011-03-13", szabo, kiss, "EÜ-Z2");
        departure(Kept::Live, "9900", "2011-03-14", husVago, kiss, "EÜ-Z3", "EÜ-Z4");
        // The longest ear tag the columns hold, beside its neighbours.
        arrival(Kept::Live, "1234567890123456789012345", "2011-03-14", toth, nagy, "EÜ-L1");
        departure(Kept::Live, "1234567890123456789012345", "2011-03-15", husVago, nagy, "EÜ-L1", "EÜ-KL");
        arrival(Kept::Live, "1234567890123456789012344", "2011-03-14", toth, nagy, "EÜ-L2");
        arrival(Kept::Live, "234567890123456789012345", "2011-03-14", toth, nagy, "EÜ-L3");
    }

    void arrival(Kept kept, const char* earTag, const char* date, const QString& sender, const QString& carrier,
                 const char* certificate, const char* category = "gyüjtés")
    {
        db.exec(QStringLiteral("INSERT INTO %1 (bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod) "
                               "VALUES ('%2', DATE '%3', DATE '%3' - 1, '%4', '%5', '%6', '%7')")
                    .arg(kept == Kept::Live ? QStringLiteral("beszall") : QStringLiteral("beszall0"),
                         QString::fromUtf8(earTag), QString::fromUtf8(date), QString::fromUtf8(category),
                         QString::fromUtf8(certificate), carrier, sender));
    }

    void departure(Kept kept, const char* earTag, const char* date, const QString& buyer, const QString& carrier,
                   const char* certificateIn, const char* certificateOut, const char* category = "vágás")
    {
        db.exec(QStringLiteral("INSERT INTO %1 (kfulszam, kikelt, khkat, keubizbe, keubizki, kskod, kfkod) "
                               "VALUES ('%2', DATE '%3', '%4', '%5', '%6', '%7', '%8')")
                    .arg(kept == Kept::Live ? QStringLiteral("kiszall") : QStringLiteral("kiszall0"),
                         QString::fromUtf8(earTag), QString::fromUtf8(date), QString::fromUtf8(category),
                         QString::fromUtf8(certificateIn), QString::fromUtf8(certificateOut), carrier, buyer));
    }

    // Every row of every table, to see that nothing was written.
    QStringList everything()
    {
        QStringList out;
        for (const char* table : {"beszall", "kiszall", "beszall0", "kiszall0", "szallito", "felado", "partner",
                                  "fulszam", "fulszam0", "kiszall1"})
            for (const QStringList& row : db.rows(QStringLiteral("SELECT * FROM %1").arg(QLatin1String(table))))
                out << QLatin1String(table) + u':' + row.join(u'|');
        return out;
    }
};

// The grid's column positions.
enum Column { Sor, Beerkezes, Vasarlas, Felado, Tenyeszkod, SzallitoBe, EubizBe, Kiszallitas, Vevo, SzallitoKi,
              EubizKi, HasznKat, Napok, Allapot, Hely, ColumnCount };

DBGrid* passesGrid(const QObject* screen) { return child<DBGrid>(screen, "passesGrid"); }

// What the grid shows, a row a line, the given columns joined by " | ".
QStringList shownRows(DBGrid* grid, const QList<int>& columns)
{
    QStringList out;
    auto* model = grid->model();
    while (model->canFetchMore({}))
        model->fetchMore({});
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList cells;
        for (int c : columns)
            cells << model->index(r, c).data().toString();
        out << cells.join(QStringLiteral(" | "));
    }
    return out;
}

QStringList passes(DBGrid* grid) { return shownRows(grid, {Beerkezes, EubizBe, Kiszallitas, Napok, Allapot, Hely}); }

void show(QWidget* screen)
{
    screen->show();
    QVERIFY(QTest::qWaitForWindowExposed(screen));
}

// Types the ear tag into the field and presses Enter, as a person does.
void typeAndEnter(QDialog* screen, const QString& typed)
{
    QLineEdit* field = edit(screen, "earTagEdit");
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, typed);
    QTest::keyClick(field, Qt::Key_Return);
}

QString summary(int passes, const char* now, int days)
{
    return QStringLiteral("Áthaladások száma: %1 – %2 – Telepen töltött napok összesen: %3")
        .arg(passes)
        .arg(QString::fromUtf8(now))
        .arg(days);
}

// Clicks a row of a grid.
void clickRow(DBGrid* grid, int row)
{
    const QRect cell = grid->visualRect(grid->model()->index(row, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

// What a story screen opened over another one showed: its ear tag and its passes.
struct OpenedStory {
    QString objectName, earTag, summary;
    QStringList passes;
};
void recordStory(platform::TestDoubles& doubles, std::optional<OpenedStory>& opened)
{
    doubles.modalHandlers << [&opened](QDialog* screen) {
        opened = OpenedStory{screen->objectName(), edit(screen, "earTagEdit")->text(), shown(screen, "summaryLabel"),
                             passes(passesGrid(screen))};
    };
}

}  // namespace

class EarTagStoryTest : public QObject {
    Q_OBJECT
private slots:
    void storyOfOneEarTag_data();
    void storyOfOneEarTag();
    void aPassShowsBothEnds();
    void pairingFollowsTheRule();
    void badInput_data();
    void badInput();
    void inputRulesOfTheEarTagFields();
    void printoutReadsAsStored();
    void missingTemplateIsNamed();
    void exportWritesThePasses();
    void openedFromTheEarTagSearch_data();
    void openedFromTheEarTagSearch();
    void listsOfferTheStoryOfTheirCurrentRow_data();
    void listsOfferTheStoryOfTheirCurrentRow();
    void menuOpensTheStory();
};

void EarTagStoryTest::storyOfOneEarTag_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("rows");  // arrival | certificate in | departure | days | status | kept
    QTest::addColumn<QString>("summaryLine");

    QTest::newRow("one pass, archived") << "3600001"
                                        << QStringList{"2010.05.03 | EÜ-A1 | 2010.05.06 | 3 |  | archivált"}
                                        << summary(1, "Nincs a telepen", 3);
    QTest::newRow("one live pass, on site") << "3600002" << QStringList{"2011.03.10 | EÜ-B1 |  | 5 | telepen | élő"}
                                            << summary(1, "Most a telepen", 5);
    QTest::newRow("came and went on one day") << "3600003" << QStringList{"2011.03.01 | EÜ-C1 | 2011.03.01 | 0 |  | élő"}
                                              << summary(1, "Nincs a telepen", 0);
    QTest::newRow("came back, the first pass archived")
        << "3600004"
        << QStringList{"2010.06.01 | EÜ-D1 | 2010.06.10 | 9 |  | archivált", "2011.03.12 | EÜ-D2 |  | 3 | telepen | élő"}
        << summary(2, "Most a telepen", 12);
    QTest::newRow("departure without an arrival")
        << "3600005" << QStringList{" | EÜ-X5 | 2011.03.14 |  | nincs beérkezés | élő"}
        << summary(1, "Nincs a telepen", 0);
    QTest::newRow("two arrivals on one day")
        << "3600006"
        << QStringList{"2011.03.08 | EÜ-F1 |  | 7 | telepen | élő", "2011.03.08 | EÜ-F2 | 2011.03.11 | 3 |  | élő"}
        << summary(2, "Most a telepen", 10);
    QTest::newRow("arrival archived, departure live")
        << "3600007" << QStringList{"2011.02.01 | EÜ-G1 | 2011.03.02 | 29 |  | archivált / élő"}
        << summary(1, "Nincs a telepen", 29);
    QTest::newRow("left before it arrived")
        << "3600008"
        << QStringList{" | EÜ-X8 | 2011.03.01 |  | nincs beérkezés | élő", "2011.03.05 | EÜ-H1 |  | 10 | telepen | élő"}
        << summary(2, "Most a telepen", 10);
    const QStringList ninetyNine{"2010.09.01 | EÜ-N1 | 2010.09.05 | 4 |  | archivált",
                                 "2011.03.13 | EÜ-N2 |  | 2 | telepen | élő"};
    QTest::newRow("leading zeros: 99") << "99" << ninetyNine << summary(2, "Most a telepen", 6);
    QTest::newRow("leading zeros: 0099") << "0099" << ninetyNine << summary(2, "Most a telepen", 6);
    QTest::newRow("leading zeros: 25 digits") << QString(23, u'0') + QStringLiteral("99") << ninetyNine
                                              << summary(2, "Most a telepen", 6);
    QTest::newRow("25-digit tag") << "1234567890123456789012345"
                                  << QStringList{"2011.03.14 | EÜ-L1 | 2011.03.15 | 1 |  | élő"}
                                  << summary(1, "Nincs a telepen", 1);
}

void EarTagStoryTest::storyOfOneEarTag()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, rows);
    QFETCH(QString, summaryLine);
    StorySite s;
    const QStringList before = s.everything();
    EarTagStoryDialog screen(s.db.session());
    show(&screen);
    typeAndEnter(&screen, typed);
    QVERIFY2(s.doubles.messages.isEmpty(), qPrintable(s.doubles.messageTexts().join(u'\n')));
    QCOMPARE(edit(&screen, "earTagEdit")->text(), typed);
    QCOMPARE(passes(passesGrid(&screen)), rows);
    QCOMPARE(shownRows(passesGrid(&screen), {Sor}).size(), rows.size());
    QCOMPARE(shownRows(passesGrid(&screen), {Sor}).last(), QString::number(rows.size()));
    QCOMPARE(shown(&screen, "summaryLabel"), summaryLine);
    QVERIFY(button(&screen, "printButton")->isEnabled());
    // Only read: nothing waits for a commit, and every table holds what it held.
    QCOMPARE(s.db.session().transaction().pendingWrites(), 0);
    QCOMPARE(s.everything(), before);
}

void EarTagStoryTest::aPassShowsBothEnds()
{
    StorySite s;
    EarTagStoryDialog screen(s.db.session());
    show(&screen);
    QCOMPARE(passesGrid(&screen)->titles(),
             QStringList({"Sor", "Beérkezés", "Vásárlás", "Feladó", "Tenyészkód", "Szállító (be)", "Eü. biz. be",
                          "Kiszállítás", "Vevő", "Szállító (ki)", "Eü. biz. ki", "Haszn. kat.", "Napok", "Állapot",
                          "Hely"}));
    typeAndEnter(&screen, QStringLiteral("3600004"));
    QList<int> all;
    for (int c = 0; c < ColumnCount; ++c)
        all << c;
    // The category is the one it left with, or the one it came with while it is on site.
    QCOMPARE(shownRows(passesGrid(&screen), all),
             QStringList({"1 | 2010.06.01 | 2010.05.31 | Szabó Gazda | HU1234567 | Kiss Fuvar Bt. | EÜ-D1 | 2010.06.10 | "
                          "Hús-Vágó Zrt. | Nagy Szállítás Kft. | EÜ-K4 | hizlalás | 9 |  | archivált",
                          "2 | 2011.03.12 | 2011.03.11 | Tóth Ágnes | HU7654321 | Nagy Szállítás Kft. | EÜ-D2 |  |  |  |  "
                          "| gyüjtés | 3 | telepen | élő"}));
    // The row without an arrival has no sender, and the certificate it came with from its own row.
    typeAndEnter(&screen, QStringLiteral("3600005"));
    QCOMPARE(shownRows(passesGrid(&screen), all),
             QStringList({"1 |  |  |  |  |  | EÜ-X5 | 2011.03.14 | Hús-Vágó Zrt. | Nagy Szállítás Kft. | EÜ-K5 | vágás "
                          "|  | nincs beérkezés | élő"}));
}

// Random histories of many ear tags against the rule itself, taken literally: each departure, oldest
// first, belongs to the latest arrival on or before its date that has no departure yet (of one day,
// archived rows count as the earlier, then the one entered first); the passes oldest first.
void EarTagStoryTest::pairingFollowsTheRule()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    struct Event {
        bool departure;
        bool archived;
        int day;
        int entered;
        QString mark;
    };
    const auto order = [](const Event& a, const Event& b) {
        return std::tuple(a.day, a.departure, !a.archived, a.entered) <
               std::tuple(b.day, b.departure, !b.archived, b.entered);
    };
    QRandomGenerator random(26);
    constexpr int kHistories = 160;
    std::vector<std::vector<Event>> histories;
    QStringList inserts;
    int entered = 0;
    for (int h = 0; h < kHistories; ++h) {
        std::vector<Event> events;
        const int count = 1 + static_cast<int>(random.bounded(8));
        for (int i = 0; i < count; ++i) {
            Event e{random.bounded(2) == 1, random.bounded(2) == 1, static_cast<int>(random.bounded(4)), entered++,
                    QStringLiteral("E%1").arg(entered)};
            events.push_back(e);
            const QString tag = QString::number(7000000 + h);
            const QString date = QDate(2011, 1, 1).addDays(e.day).toString(Qt::ISODate);
            if (e.departure)
                inserts << QStringLiteral("INSERT INTO %1 (kfulszam, kikelt, keubizbe, keubizki) VALUES "
                                          "('%2', DATE '%3', '', '%4');")
                               .arg(e.archived ? QStringLiteral("kiszall0") : QStringLiteral("kiszall"), tag, date,
                                    e.mark);
            else
                inserts << QStringLiteral("INSERT INTO %1 (bfulszam, bszkelt, beubiz) VALUES ('%2', DATE '%3', '%4');")
                               .arg(e.archived ? QStringLiteral("beszall0") : QStringLiteral("beszall"), tag, date,
                                    e.mark);
        }
        histories.push_back(events);
    }
    for (qsizetype at = 0; at < inserts.size(); at += 200)
        db.exec(QStringLiteral("EXECUTE BLOCK AS BEGIN\n") + inserts.mid(at, 200).join(u'\n') +
                QStringLiteral("\nEND"));

    Dataset rows(db.session().database(), QStringLiteral("storyRows"));
    for (int h = 0; h < kHistories; ++h) {
        std::vector<Event> arrivals, departures;
        for (const Event& e : histories[static_cast<size_t>(h)])
            (e.departure ? departures : arrivals).push_back(e);
        std::sort(arrivals.begin(), arrivals.end(), order);
        std::sort(departures.begin(), departures.end(), order);
        std::vector<QString> leftWith(arrivals.size());
        std::vector<Event> passes;  // the arrivals and the departures without one, keyed by their own event
        std::vector<QString> expectedOf;
        for (const Event& d : departures) {
            int taken = -1;
            for (int a = 0; a < static_cast<int>(arrivals.size()); ++a)
                if (arrivals[static_cast<size_t>(a)].day <= d.day && leftWith[static_cast<size_t>(a)].isEmpty())
                    taken = a;  // sorted: the last one that qualifies is the latest
            if (taken >= 0)
                leftWith[static_cast<size_t>(taken)] = d.mark;
            else
                passes.push_back(d);
        }
        for (const Event& a : arrivals)
            passes.push_back(a);
        std::sort(passes.begin(), passes.end(), order);
        QStringList expected;
        for (const Event& p : passes) {
            if (p.departure) {
                expected << QStringLiteral(" > %1 nincs beérkezés").arg(p.mark);
            } else {
                const auto at = std::find_if(arrivals.begin(), arrivals.end(),
                                             [&](const Event& a) { return a.mark == p.mark; }) -
                                arrivals.begin();
                const QString& out = leftWith[static_cast<size_t>(at)];
                expected << QStringLiteral("%1 > %2 %3").arg(p.mark, out, out.isEmpty() ? QStringLiteral("telepen") : QString());
            }
        }

        db.session().earTagStories().openStory(rows, QString::number(7000000 + h), QDate(2011, 3, 15));
        QStringList actual;
        const int n = rows.recordCount();
        for (int r = 0; r < n; ++r) {
            const QString status = rows.cellText(r, rows.fieldIndex(QStringLiteral("ALLAPOT")));
            const QString in = status == QStringLiteral("nincs beérkezés")
                                   ? QString()
                                   : rows.cellText(r, rows.fieldIndex(QStringLiteral("EUBIZ_BE")));
            actual << QStringLiteral("%1 > %2 %3").arg(in, rows.cellText(r, rows.fieldIndex(QStringLiteral("EUBIZ_KI"))),
                                                        status);
        }
        QVERIFY2(actual == expected, qPrintable(QStringLiteral("history %1\n  expected: %2\n  actual:   %3")
                                                    .arg(h)
                                                    .arg(expected.join(QStringLiteral("; ")),
                                                         actual.join(QStringLiteral("; ")))));
    }
}

void EarTagStoryTest::badInput_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("byButton");
    QTest::addColumn<QString>("message");

    QTest::newRow("empty field, Enter") << "" << false << "Adja meg a fülszámot!";
    QTest::newRow("empty field, Keresés") << "" << true << "Adja meg a fülszámot!";
    QTest::newRow("no such ear tag") << "4242" << false << "Ez a fülszám nem szerepel a nyilvántartásban.";
    // 990 is not 99, nor is 99 a beginning of it.
    QTest::newRow("no such number") << "9" << true << "Ez a fülszám nem szerepel a nyilvántartásban.";
}

void EarTagStoryTest::badInput()
{
    QFETCH(QString, typed);
    QFETCH(bool, byButton);
    QFETCH(QString, message);
    StorySite s;
    const QStringList before = s.everything();
    EarTagStoryDialog screen(s.db.session());
    show(&screen);
    // A story is shown first: the bad input does not leave it standing as if it were the answer.
    typeAndEnter(&screen, QStringLiteral("3600004"));
    QCOMPARE(passes(passesGrid(&screen)).size(), 2);
    QLineEdit* field = edit(&screen, "earTagEdit");
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, typed);
    if (byButton)
        QTest::mouseClick(button(&screen, "searchButton"), Qt::LeftButton);
    else
        QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(s.doubles.messageTexts(), QStringList{message});
    QCOMPARE(passes(passesGrid(&screen)), QStringList());
    QVERIFY(shown(&screen, "summaryLabel").isEmpty());
    QVERIFY(!button(&screen, "printButton")->isEnabled());
    QVERIFY(field->hasFocus());
    QCOMPARE(s.db.session().transaction().pendingWrites(), 0);
    QCOMPARE(s.everything(), before);
}

void EarTagStoryTest::inputRulesOfTheEarTagFields()
{
    StorySite s;
    EarTagStoryDialog screen(s.db.session());
    show(&screen);
    QLineEdit* field = edit(&screen, "earTagEdit");
    QVERIFY(field->hasFocus());
    QCOMPARE(child<QLabel>(&screen, "earTagEditLabel")->buddy(), field);
    QTest::keyClicks(field, QStringLiteral("36a00-0 04"));
    QCOMPARE(field->text(), QStringLiteral("3600004"));
    field->clear();
    QTest::keyClicks(field, QString(26, u'1'));
    QCOMPARE(field->text(), QString(25, u'1'));
    // The field is wide enough to show all 25 digits.
    QVERIFY(field->width() >= field->fontMetrics().horizontalAdvance(QString(25, u'0')));
}

void EarTagStoryTest::printoutReadsAsStored()
{
    StorySite s;
    QVERIFY(s.db.install(QFINDTESTDATA("../../templates/Fulszamtortenet.frf")));
    const QStringList before = s.everything();
    EarTagStoryDialog screen(s.db.session());
    show(&screen);
    typeAndEnter(&screen, QStringLiteral("3600004"));
    clickRow(passesGrid(&screen), 1);
    QTest::mouseClick(button(&screen, "printButton"), Qt::LeftButton);
    QVERIFY2(s.doubles.messages.isEmpty(), qPrintable(s.doubles.messageTexts().join(u'\n')));
    QCOMPARE(s.doubles.reportsShown.size(), 1);
    const platform::ShownReport& shownReport = s.doubles.reportsShown.first();
    QVERIFY(pagesReadAsStored(shownReport.pages, QFINDTESTDATA("expected/Fulszamtortenet.txt")));
    QVERIFY(shownReport.options.modal);
    QVERIFY(shownReport.options.buttons.testFlag(report::PreviewButton::Save));
    QVERIFY(shownReport.options.buttons.testFlag(report::PreviewButton::Print));
    QCOMPARE(shownReport.pages.pages.front().size, QSizeF(297, 210));
    // The grid stays on the row it was on.
    QCOMPARE(passesGrid(&screen)->currentIndex().row(), 1);

    // Saved from the preview as PDF.
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("tortenet.pdf"));
    report::PreviewWindow preview(shownReport.pages, shownReport.options);
    QVERIFY(preview.savePdf(pdf));
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(5) == "%PDF-");
    QVERIFY(file.size() > 1000);

    QCOMPARE(s.db.session().transaction().pendingWrites(), 0);
    QCOMPARE(s.everything(), before);
}

void EarTagStoryTest::missingTemplateIsNamed()
{
    StorySite s;
    EarTagStoryDialog screen(s.db.session());
    show(&screen);
    typeAndEnter(&screen, QStringLiteral("3600002"));
    QTest::mouseClick(button(&screen, "printButton"), Qt::LeftButton);
    QCOMPARE(s.doubles.reportsShown.size(), 0);
    QCOMPARE(s.doubles.messages.size(), 1);
    QVERIFY2(s.doubles.lastMessage().contains(kTemplate), qPrintable(s.doubles.lastMessage()));
    // The story is still there to print once the template is back.
    QCOMPARE(passes(passesGrid(&screen)).size(), 1);
}

// Ctrl+E on the grid runs the story's statement again on its own and writes what the grid shows.
void EarTagStoryTest::exportWritesThePasses()
{
    StorySite s;
    EarTagStoryDialog screen(s.db.session());
    show(&screen);
    typeAndEnter(&screen, QStringLiteral("0099"));
    const QString path = QDir(s.db.dir()).filePath(QStringLiteral("tortenet.csv"));
    s.doubles.saveAnswers << path;
    passesGrid(&screen)->setFocus();
    QTest::keyClick(passesGrid(&screen), Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(s.doubles.messageTexts(), QStringList{QStringLiteral("Az exportálás elkészült (2 sor):\n%1").arg(path)});
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll().mid(3)).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.mid(0, 3),
             QStringList({"Sor;Beérkezés;Vásárlás;Feladó;Tenyészkód;Szállító (be);Eü. biz. be;Kiszállítás;Vevő;"
                          "Szállító (ki);Eü. biz. ki;Haszn. kat.;Napok;Állapot;Hely",
                          "1;2010.09.01;2010.08.31;Szabó Gazda;HU1234567;Kiss Fuvar Bt.;EÜ-N1;2010.09.05;"
                          "Hús-Vágó Zrt.;Kiss Fuvar Bt.;EÜ-K9;vágás;4;;archivált",
                          "2;2011.03.13;2011.03.12;Szabó Gazda;HU1234567;Kiss Fuvar Bt.;EÜ-N2;;;;;gyüjtés;2;telepen;élő"}));
}

void EarTagStoryTest::openedFromTheEarTagSearch_data()
{
    QTest::addColumn<bool>("departures");
    QTest::addColumn<bool>("byButton");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("earTag");
    QTest::addColumn<QStringList>("story");

    // The live arrivals beginning 360000, in text order: 3600002, 3600003, 3600004, 3600006 (twice), 3600008.
    const QStringList cameBack{"2010.06.01 | EÜ-D1 | 2010.06.10 | 9 |  | archivált",
                               "2011.03.12 | EÜ-D2 |  | 3 | telepen | élő"};
    QTest::newRow("arrivals, button") << false << true << "360000" << 2 << "3600004" << cameBack;
    QTest::newRow("arrivals, context menu") << false << false << "360000" << 2 << "3600004" << cameBack;
    // The live departures beginning 360000: 3600003, 3600005, 3600006, 3600007, 3600008.
    const QStringList noArrival{" | EÜ-X5 | 2011.03.14 |  | nincs beérkezés | élő"};
    QTest::newRow("departures, button") << true << true << "360000" << 1 << "3600005" << noArrival;
    QTest::newRow("departures, context menu") << true << false << "360000" << 1 << "3600005" << noArrival;
    // The search finds 099 by its text; the story is that of the number 99.
    QTest::newRow("leading zero in the list") << false << true << "09" << 0 << "099"
                                              << QStringList{"2010.09.01 | EÜ-N1 | 2010.09.05 | 4 |  | archivált",
                                                             "2011.03.13 | EÜ-N2 |  | 2 | telepen | élő"};
}

void EarTagStoryTest::openedFromTheEarTagSearch()
{
    QFETCH(bool, departures);
    QFETCH(bool, byButton);
    QFETCH(QString, typed);
    QFETCH(int, row);
    QFETCH(QString, earTag);
    QFETCH(QStringList, story);
    StorySite s;
    EarTagSearchDialog search(s.db.session());
    show(&search);
    if (departures)
        QTest::mouseClick(child<QRadioButton>(&search, "departuresRadio"), Qt::LeftButton);
    QTest::keyClicks(edit(&search, "earTagEdit"), typed);
    QTest::mouseClick(button(&search, "searchButton"), Qt::LeftButton);
    auto* results = child<DBGrid>(&search, "resultsGrid");
    clickRow(results, row);

    std::optional<OpenedStory> opened;
    recordStory(s.doubles, opened);
    if (byButton) {
        QTest::mouseClick(button(&search, "earTagStoryButton"), Qt::LeftButton);
    } else {
        const QList<QAction*> menu = results->actions();
        const auto entry = std::find_if(menu.begin(), menu.end(),
                                        [](QAction* a) { return a->text() == QStringLiteral("Fülszám története"); });
        QVERIFY(entry != menu.end());
        QVERIFY((*entry)->isEnabled());
        (*entry)->trigger();
    }
    QVERIFY2(s.doubles.messages.isEmpty(), qPrintable(s.doubles.messageTexts().join(u'\n')));
    QCOMPARE(s.doubles.modalsShown, QStringList{"earTagStoryDialog"});
    QVERIFY(opened.has_value());
    QCOMPARE(opened->earTag, earTag);
    QCOMPARE(opened->passes, story);
    QVERIFY(!opened->summary.isEmpty());
    // The search's own list is as it was.
    QCOMPARE(results->currentIndex().row(), row);
}

void EarTagStoryTest::listsOfferTheStoryOfTheirCurrentRow_data()
{
    QTest::addColumn<bool>("departures");
    QTest::addColumn<QString>("earTag");
    QTest::addColumn<int>("passCount");

    // The incoming and on-site lists show arrivals (BFULSZAM), the outgoing list departures (KFULSZAM).
    QTest::newRow("a list of arrivals") << false << "3600008" << 2;
    QTest::newRow("a list of departures") << true << "3600006" << 2;
}

void EarTagStoryTest::listsOfferTheStoryOfTheirCurrentRow()
{
    QFETCH(bool, departures);
    QFETCH(QString, earTag);
    QFETCH(int, passCount);
    StorySite s;
    Dataset rows(s.db.session().database(), QStringLiteral("listRows"));
    DataSource source(rows, QStringLiteral("listRowsSource"));
    QDialog list;
    auto* grid = new DBGrid(&list);
    grid->setDataSource(&source);
    grid->showAllFields();
    (new QVBoxLayout(&list))->addWidget(grid);
    QAction* story = lookups::addEarTagStoryAction(s.db.session(), grid);
    show(&list);
    QCOMPARE(story->objectName(), QStringLiteral("earTagStoryAction"));
    QCOMPARE(story->text(), QStringLiteral("Fülszám története"));
    QVERIFY(grid->actions().contains(story));
    // Nothing listed, nothing to tell.
    QVERIFY(!story->isEnabled());

    if (departures)
        s.db.session().departures().openByEarTag(rows);
    else
        s.db.session().arrivals().openByEarTag(rows);
    QVERIFY(story->isEnabled());
    QVERIFY(rows.locate(departures ? QStringLiteral("kfulszam") : QStringLiteral("bfulszam"), earTag));
    std::optional<OpenedStory> opened;
    recordStory(s.doubles, opened);
    story->trigger();
    QVERIFY(opened.has_value());
    QCOMPARE(opened->objectName, QStringLiteral("earTagStoryDialog"));
    QCOMPARE(opened->earTag, earTag);
    QCOMPARE(opened->passes.size(), passCount);

    rows.close();
    QVERIFY(!story->isEnabled());
}

void EarTagStoryTest::menuOpensTheStory()
{
    StorySite s;
    MainWindow form(&s.db.session());
    auto* item = form.findChild<QAction*>(QStringLiteral("earTagStoryMenuItem"));
    QVERIFY(item);
    QCOMPARE(item->text(), QStringLiteral("Fülszám története"));
    std::optional<OpenedStory> opened;
    recordStory(s.doubles, opened);
    item->trigger();
    QCOMPARE(s.doubles.modalsShown, QStringList{"earTagStoryDialog"});
    QVERIFY(opened.has_value());
    QVERIFY(opened->earTag.isEmpty());
    QVERIFY(opened->passes.isEmpty());
}

QTEST_MAIN(EarTagStoryTest)
#include "test_eartag_story.moc"
