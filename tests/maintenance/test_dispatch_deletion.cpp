#include "../outgoing/outgoing_fixture.h"
#include "app/mainwindow.h"
#include "storage/shared_datasets.h"
#include "maintenance/dispatch_deletion.h"
#include "testdb.h"
#include "ui/dbwidgets.h"
#include "ui/platform.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {
const QString kDeleted = QStringLiteral("A kiszállitás sorok törölve!");
const QString kFailed = QStringLiteral("Hiba231: Kiszállitás DELETE törlésekor");

QPushButton* deleteButton(QWidget* screen) { return screen->findChild<QPushButton*>(QStringLiteral("Button1")); }

// Three live dispatches of two days, their arrivals, and one archived day.
void sampleDay(TestDatabase& db)
{
    const QString carrier = db.addCarrier(QStringLiteral("ABC-123"), QStringLiteral("Kiss Fuvar"));
    const QString buyer = db.addPartner(QStringLiteral("Vágóhíd Kft"));
    for (const char* tag : {"1001", "1002", "1003", "2001"})
        fixture::arrival(db, QString::fromLatin1(tag));
    fixture::departure(db, QStringLiteral("1001"), carrier, buyer, QStringLiteral("2011-03-10"));
    fixture::departure(db, QStringLiteral("1002"), carrier, buyer, QStringLiteral("2011-03-11"));
    fixture::departureWithoutCodes(db, QStringLiteral("1003"));
    db.exec(QStringLiteral("INSERT INTO kiszall0 (kfulszam, kikelt) VALUES ('2001', '2011-03-01')"));
    db.exec(QStringLiteral("INSERT INTO beszall0 (bfulszam, bszkelt) VALUES ('2001', '2011-02-01')"));
}

int ownCount(const QString& table)
{
    Data->ZQ13.setSql({QStringLiteral("SELECT COUNT(*) AS n FROM %1").arg(table)});
    Data->ZQ13.open();
    const int n = static_cast<int>(Data->ZQ13.fieldInt(QStringLiteral("n")));
    Data->ZQ13.close();
    return n;
}
}  // namespace

class DispatchDeletionTest : public QObject {
    Q_OBJECT
private slots:
    void layout();
    void deletesEveryLiveDispatchAndNothingElse();
    void deletionWaitsForTheNextCommit_data();
    void deletionWaitsForTheNextCommit();
    void emptyTableStillReportsSuccess();
    void failedDeletionReportedAndNothingRolledBack();
    void closingTheProgramMakesTheDeletionPermanent();
};

void DispatchDeletionTest::layout()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    sampleDay(db);
    Data->reopenTables();
    DispatchDeletionDialog screen;
    QCOMPARE(screen.objectName(), QStringLiteral("Form23"));
    QCOMPARE(screen.windowTitle(), QStringLiteral("Kiszállítottak törlése"));
    const QStringList lines = {
        QStringLiteral("A kiszállított tételek  törlése."),
        QStringLiteral("Az arhivált kiszállításokat nem törli."),
        QStringLiteral("A törlés után nem állítható vissza."),
        QStringLiteral("Csak azokat a napokat legyenek a kiszállításban melyeket  törölni szeretne."),
        QStringLiteral("Nem törlendő napokat ideiglenesen arhiválja le , majd törlés után visszatöltés az arhivból.")};
    for (int i = 0; i < lines.size(); ++i)
        QCOMPARE(screen.findChild<QLabel*>(QStringLiteral("Label%1").arg(i + 1))->text(), lines.at(i));
    QCOMPARE(deleteButton(&screen)->text(), QStringLiteral("Törlés"));
    QCOMPARE(screen.findChild<QPushButton*>(QStringLiteral("Button2"))->text(), QStringLiteral("Mégsem"));
    // Every column of KISZALL, every live dispatch (the incomplete one too).
    auto* grid = screen.findChild<DBGrid*>(QStringLiteral("DBGrid1"));
    QCOMPARE(grid->datasetModel()->dataset(), &Data->IBTable2);
    QCOMPARE(grid->titles(), QStringList({"IDK", "KKOD", "KSKOD", "KIKELT", "KFULSZAM", "KHKOD", "KFKOD", "KHKAT",
                                          "KEUBIZBE", "KEUBIZKI"}));
    QCOMPARE(Data->IBTable2.recordCount(), 3);
    QCOMPARE(grid->model()->rowCount(), 3);
    auto* nav = screen.findChild<DBNavigator*>(QStringLiteral("DBNavigator1"));
    for (auto b : {DBNavigator::First, DBNavigator::Prior, DBNavigator::Next, DBNavigator::Last})
        QVERIFY(!nav->button(b)->isHidden());
    for (auto b : {DBNavigator::Insert, DBNavigator::Delete, DBNavigator::Edit, DBNavigator::Post, DBNavigator::Cancel,
                   DBNavigator::Refresh})
        QVERIFY(nav->button(b)->isHidden());
    // Locked, the grid offers no editing.
    QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    screen.findChild<QPushButton*>(QStringLiteral("Button2"))->click();
    QVERIFY(!screen.isVisible());
}

void DispatchDeletionTest::deletesEveryLiveDispatchAndNothingElse()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    sampleDay(db);
    Data->reopenTables();
    DispatchDeletionDialog screen;
    fixture::showActive(&screen);
    QTest::mouseClick(deleteButton(&screen), Qt::LeftButton);
    // No question asked; one message.
    QCOMPARE(doubles.messageTexts(), QStringList{kDeleted});
    QCOMPARE(doubles.messages.first().kind, platform::BoxKind::Plain);
    QCOMPARE(ownCount(QStringLiteral("kiszall")), 0);
    // Arrivals and the archive are untouched.
    QCOMPARE(ownCount(QStringLiteral("beszall")), 4);
    QCOMPARE(ownCount(QStringLiteral("kiszall0")), 1);
    QCOMPARE(ownCount(QStringLiteral("beszall0")), 1);
    // The grid shows what is left: nothing.
    QVERIFY(Data->IBTable2.active());
    QCOMPARE(screen.findChild<DBGrid*>(QStringLiteral("DBGrid1"))->model()->rowCount(), 0);
}

void DispatchDeletionTest::deletionWaitsForTheNextCommit_data()
{
    QTest::addColumn<bool>("gridStartedTransaction");
    QTest::addColumn<bool>("commit");  // else a rollback follows
    QTest::newRow("committed later") << false << true;
    QTest::newRow("rolled back later") << false << false;
    QTest::newRow("grid's reading started the transaction, committed") << true << true;
    QTest::newRow("grid's reading started the transaction, rolled back") << true << false;
}

void DispatchDeletionTest::deletionWaitsForTheNextCommit()
{
    QFETCH(bool, gridStartedTransaction);
    QFETCH(bool, commit);
    TestDatabase db;
    platform::TestDoubles doubles;
    sampleDay(db);
    if (gridStartedTransaction)
        Data->IBTrans1.commit();  // the screen's own opening of KISZALL then starts it
    DispatchDeletionDialog screen;
    QVERIFY(Data->IBTable2.active());
    deleteButton(&screen)->click();
    QCOMPARE(doubles.lastMessage(), kDeleted);
    // Visible at once to the program's own reads, but not committed by the screen, not even when
    // the grid's table closes.
    Data->reopenTables();
    Data->IBTable2.close();
    QCOMPARE(ownCount(QStringLiteral("kiszall")), 0);
    QCOMPARE(db.count(QStringLiteral("kiszall")), 3);
    QVERIFY(Data->IBTrans1.inTransaction());
    if (commit)
        Data->IBTrans1.commit();
    else
        Data->IBTrans1.rollback();
    QCOMPARE(db.count(QStringLiteral("kiszall")), commit ? 0 : 3);
    QCOMPARE(db.count(QStringLiteral("beszall")), 4);
    QCOMPARE(db.count(QStringLiteral("kiszall0")), 1);
}

void DispatchDeletionTest::emptyTableStillReportsSuccess()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    fixture::arrival(db, QStringLiteral("1"));
    DispatchDeletionDialog screen;
    deleteButton(&screen)->click();
    QCOMPARE(doubles.messageTexts(), QStringList{kDeleted});
    QCOMPARE(ownCount(QStringLiteral("beszall")), 1);
}

void DispatchDeletionTest::failedDeletionReportedAndNothingRolledBack()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    sampleDay(db);
    // Some other work of the run is still waiting for its commit.
    Data->ZQ31.setSql({QStringLiteral("INSERT INTO szallito (snev) VALUES ('pending')")});
    Data->ZQ31.execSql();
    DispatchDeletionDialog screen;
    {
        fixture::ForeignChange other(db, QStringLiteral("UPDATE kiszall SET khkat = 'x' WHERE kfulszam = '1002'"));
        deleteButton(&screen)->click();
    }
    QCOMPARE(doubles.messageTexts(), QStringList{kFailed});
    QCOMPARE(ownCount(QStringLiteral("kiszall")), 3);
    QCOMPARE(ownCount(QStringLiteral("szallito")), 2);
    QCOMPARE(Data->IBTable2.recordCount(), 3);
    QCOMPARE(screen.findChild<DBGrid*>(QStringLiteral("DBGrid1"))->model()->rowCount(), 3);
    // With the other connection gone it works.
    deleteButton(&screen)->click();
    QCOMPARE(doubles.lastMessage(), kDeleted);
    QCOMPARE(ownCount(QStringLiteral("kiszall")), 0);
}

void DispatchDeletionTest::closingTheProgramMakesTheDeletionPermanent()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    sampleDay(db);
    {
        MainWindow main(&db.session());
        doubles.modalHandlers << [](QDialog* screen) {
            QCOMPARE(screen->objectName(), QStringLiteral("Form23"));
            QTest::mouseClick(deleteButton(screen), Qt::LeftButton);
        };
        main.findChild<QAction*>(QStringLiteral("Kiszlltstrlse1"))->trigger();
        QCOMPARE(doubles.lastMessage(), kDeleted);
        QCOMPARE(db.count(QStringLiteral("kiszall")), 3);
        main.close();
        QVERIFY(!Data->ZCon1.connected());
    }
    QCOMPARE(db.count(QStringLiteral("kiszall")), 0);
    QCOMPARE(db.count(QStringLiteral("beszall")), 4);
    QCOMPARE(db.count(QStringLiteral("kiszall0")), 1);
}

QTEST_MAIN(DispatchDeletionTest)
#include "test_dispatch_deletion.moc"
