// The animals on site as the database keeps them, against the definition computed here from every
// row of the live tables, after every step of sequences of the changes the program and other
// programs make: arrivals and departures entered, deleted, their ear tags changed, days archived and
// withdrawn, dispatches deleted, transactions rolled back or committed with retaining, statements
// that fail half way, two connections at once; and the comparison that repairs it.
#include "core/day_counts.h"
#include "core/dbcreate.h"
#include "db/client.h"
#include "testdb.h"

#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

fb::ConnectParams paramsOf(const QString& file)
{
    fb::ConnectParams p;
    p.database = file;
    p.password = QStringLiteral("medvehagy");
    return p;
}

// An ear tag of a step: "_" stands for a blank, NULL for none, '' for the empty text.
QString tagLiteral(QString word)
{
    if (word == QLatin1String("NULL"))
        return word;
    if (word == QLatin1String("''"))
        return QStringLiteral("''");
    return u'\'' + word.replace(u'_', u' ') + u'\'';
}

// The balances by the definition: every live arrival +1, every departure -1 under its ear tag,
// trailing blanks aside; no ear tag (none or blanks) is no animal. Read here row by row, not by
// the engine's grouping.
QMap<QString, qint64> balancesFromRows(const QString& file)
{
    QMap<QString, qint64> out;
    auto add = [&](const QString& sql, int step) {
        for (const QStringList& row : testdb::rows(file, sql)) {
            QString tag = row.value(0);
            while (tag.endsWith(u' '))
                tag.chop(1);
            if (!tag.isEmpty())
                out[tag] += step;
        }
    };
    add(QStringLiteral("SELECT bfulszam FROM beszall"), 1);
    add(QStringLiteral("SELECT kfulszam FROM kiszall"), -1);
    for (auto it = out.begin(); it != out.end();)
        it = it.value() == 0 ? out.erase(it) : std::next(it);
    return out;
}

QString shown(const QMap<QString, qint64>& balances)
{
    QStringList out;
    for (auto it = balances.begin(); it != balances.end(); ++it)
        out << QStringLiteral("'%1':%2").arg(it.key()).arg(it.value());
    return out.join(u' ');
}

qint64 onSite(const QMap<QString, qint64>& balances)
{
    qint64 n = 0;
    for (qint64 b : balances)
        n += b > 0 ? 1 : 0;
    return n;
}

QMap<QString, qint64> keptBalances(const QString& file)
{
    QMap<QString, qint64> out;
    for (const QStringList& row : testdb::rows(file, QStringLiteral("SELECT fulszam, balance FROM gerundo_onsite_tag"))) {
        QString tag = row.value(0);
        while (tag.endsWith(u' '))
            tag.chop(1);
        out.insert(tag, row.value(1).toLongLong());
    }
    return out;
}

// Runs the steps of a sequence on a connection of its own, as another program would.
class Writer {
public:
    explicit Writer(const QString& file) : m_file(file) { m_att.attach(paramsOf(file)); }

    // One step, in a transaction of its own, committed; "undo: a; b" runs a and b in one
    // transaction and rolls it back, "tx: a; b" commits it, "retain: a; b" commits with retaining
    // after each step and at the end. Inside them "!B 5" is an arrival in a statement that fails
    // after it: the engine undoes the statement, the transaction goes on.
    void step(const QString& text)
    {
        const QString kind = text.section(u':', 0, 0);
        if (text.contains(u':') && (kind == QLatin1String("undo") || kind == QLatin1String("tx")
                                    || kind == QLatin1String("retain"))) {
            fb::Transaction tra;
            tra.start(m_att);
            for (const QString& inner : text.section(u':', 1).split(u';', Qt::SkipEmptyParts)) {
                run(tra, inner.trimmed());
                if (kind == QLatin1String("retain"))
                    tra.commitRetaining();
            }
            if (kind == QLatin1String("undo"))
                tra.rollback();
            else
                tra.commit();
            return;
        }
        fb::Transaction tra;
        tra.start(m_att);
        run(tra, text);
        tra.commit();
    }

    fb::Attachment& attachment() { return m_att; }

    void exec(fb::Transaction& tra, const QString& sql)
    {
        fb::Statement st(m_att, tra, sql, false);
        st.execute();
    }

private:
    void run(fb::Transaction& tra, const QString& text)
    {
        const QStringList w = text.split(u' ', Qt::SkipEmptyParts);
        const QString op = w.value(0);
        const QString arg = w.value(1);
        const bool arrivals = op.endsWith(u'B');
        const QString table = arrivals ? QStringLiteral("beszall") : QStringLiteral("kiszall");
        const QString id = arrivals ? QStringLiteral("idb") : QStringLiteral("idk");
        const QString tag = arrivals ? QStringLiteral("bfulszam") : QStringLiteral("kfulszam");
        // "a..b": the ear tags a to b, in one statement.
        const auto range = QRegularExpression(QStringLiteral("^(\\d+)\\.\\.(\\d+)$")).match(arg);
        auto forRange = [&](const QString& body) {
            exec(tra, QStringLiteral("EXECUTE BLOCK AS DECLARE I INTEGER; BEGIN I = %1; WHILE (I <= %2) DO BEGIN "
                                     "%3; I = I + 1; END END")
                          .arg(range.captured(1), range.captured(2), body));
        };
        if (op == QLatin1String("B") || op == QLatin1String("K")) {
            if (range.hasMatch()) {
                forRange(QStringLiteral("INSERT INTO %1 (%2) VALUES (:I)").arg(table, tag));
            } else if (arg.contains(u'>')) {
                exec(tra, QStringLiteral("UPDATE %1 SET %2 = %3 WHERE %4 = (SELECT MIN(%4) FROM %1 WHERE %2 %5)")
                              .arg(table, tag, tagLiteral(arg.section(u'>', 1)), id,
                                   arg.section(u'>', 0, 0) == QLatin1String("NULL")
                                       ? QStringLiteral("IS NULL")
                                       : QStringLiteral("= ") + tagLiteral(arg.section(u'>', 0, 0))));
            } else {
                exec(tra, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, tag, tagLiteral(arg)));
            }
        } else if (op == QLatin1String("-B") || op == QLatin1String("-K")) {
            if (arg == QLatin1String("*"))
                exec(tra, QStringLiteral("DELETE FROM %1").arg(table));
            else if (range.hasMatch())
                forRange(QStringLiteral("DELETE FROM %1 WHERE %2 = :I").arg(table, tag));
            else
                exec(tra, QStringLiteral("DELETE FROM %1 WHERE %2 = (SELECT MIN(%2) FROM %1 WHERE %3 = %4)")
                              .arg(table, id, tag, tagLiteral(arg)));
        } else if (op == QLatin1String("!B")) {
            try {
                exec(tra, QStringLiteral("EXECUTE BLOCK AS BEGIN INSERT INTO beszall (bfulszam) VALUES (%1); "
                                         "EXCEPTION GERUNDO_CODES_EXHAUSTED; END")
                              .arg(tagLiteral(arg)));
                QFAIL("the failing statement did not fail");
            } catch (const fb::Error&) {
            }
        } else if (op == QLatin1String("archive") || op == QLatin1String("withdraw")) {
            // As archiving moves a day: the departures, then the arrivals of their ear tags, copied
            // across and deleted where they were.
            const bool out = op == QLatin1String("archive");
            const QString k = out ? QStringLiteral("kiszall") : QStringLiteral("kiszall0");
            const QString k2 = out ? QStringLiteral("kiszall0") : QStringLiteral("kiszall");
            const QString b = out ? QStringLiteral("beszall") : QStringLiteral("beszall0");
            const QString b2 = out ? QStringLiteral("beszall0") : QStringLiteral("beszall");
            const QString which = range.hasMatch()
                                      ? QStringLiteral("BETWEEN %1 AND %2").arg(range.captured(1), range.captured(2))
                                      : QStringLiteral("= ") + tagLiteral(arg);
            exec(tra, QStringLiteral("INSERT INTO %1 (kfulszam) SELECT kfulszam FROM %2 WHERE CAST(kfulszam AS INTEGER) %3")
                          .arg(k2, k, which));
            exec(tra, QStringLiteral("INSERT INTO %1 (bfulszam) SELECT bfulszam FROM %2 WHERE bfulszam IN "
                                     "(SELECT kfulszam FROM %3 WHERE CAST(kfulszam AS INTEGER) %4)")
                          .arg(b2, b, k, which));
            exec(tra, QStringLiteral("DELETE FROM %1 WHERE bfulszam IN (SELECT kfulszam FROM %2 WHERE "
                                     "CAST(kfulszam AS INTEGER) %3)")
                          .arg(b, k, which));
            exec(tra, QStringLiteral("DELETE FROM %1 WHERE CAST(kfulszam AS INTEGER) %2").arg(k, which));
        } else if (op == QLatin1String("fold")) {
            // The next count row is the one that folds the committed ones.
            exec(tra, QStringLiteral("EXECUTE PROCEDURE gerundo_onsite_compact"));
        } else if (op == QLatin1String("seq")) {
            exec(tra, QStringLiteral("ALTER SEQUENCE gen_gerundo_onsite_count RESTART WITH %1").arg(arg));
        } else {
            QFAIL(qPrintable(QStringLiteral("unknown step ") + text));
        }
    }

    QString m_file;
    fb::Attachment m_att;
};

// The kept count and balances against the definition; the count from the tables too.
void verifyAgainstTables(fb::Attachment& program, const QString& file, const QString& after)
{
    const QMap<QString, qint64> expected = balancesFromRows(file);
    const QString where = QStringLiteral(" after ") + after;
    const QMap<QString, qint64> kept = keptBalances(file);
    QVERIFY2(kept == expected, qPrintable(QStringLiteral("kept %1, tables %2").arg(shown(kept), shown(expected)) + where));
    QVERIFY2(daycounts::countOnSite(program) == onSite(expected), qPrintable(where));
    QVERIFY2(daycounts::countOnSiteFromTables(program) == onSite(expected), qPrintable(where));
}

// The schema as it was before the database kept the count.
QString schemaWithoutKeeping()
{
    QString schema = dbcreate::builtinSchema();
    const qsizetype from = schema.indexOf(QStringLiteral("/* The animals on site"));
    const qsizetype to = schema.lastIndexOf(QStringLiteral("COMMIT;"));
    if (from < 0 || to < from)
        qFatal("the schema keeps no on-site count");
    return schema.remove(from, to - from);
}

}  // namespace

class OnSiteCountTest : public QObject {
    Q_OBJECT
private slots:
    void sequences_data();
    void sequences();
    void foldingKeepsRowsOfRunningTransactions();
    void desksWritingDifferentAnimalsDoNotMeet();
    void aCommitWithRetainingLeavesItsPartToTheFold();
    void changesAroundTheTriggersAreRepairedAtTheNextCheck();
    void comparisonRepairsWhatAnotherProgramWroteIntoTheKeeping_data();
    void comparisonRepairsWhatAnotherProgramWroteIntoTheKeeping();
    void repairRefusedByAWriterChangesNothing();
    void olderDatabaseCountsFromTablesUntilUpgraded();
};

void OnSiteCountTest::sequences_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<qint64>("animals");

    QTest::newRow("arrival") << QStringList{"B 1"} << 1LL;
    QTest::newRow("arrival and departure") << QStringList{"B 1", "K 1"} << 0LL;
    QTest::newRow("came back: two arrivals, one departure") << QStringList{"B 1", "K 1", "B 1"} << 1LL;
    QTest::newRow("came back and left again") << QStringList{"B 1", "K 1", "B 1", "K 1"} << 0LL;
    QTest::newRow("arrived twice without leaving: one animal") << QStringList{"B 1", "B 1"} << 1LL;
    QTest::newRow("departure entered before the arrival") << QStringList{"K 1", "B 1", "B 1"} << 1LL;
    QTest::newRow("departure without arrival takes nobody away") << QStringList{"B 1", "B 2", "K 9"} << 2LL;
    QTest::newRow("leading zeros make another ear tag") << QStringList{"B 012", "K 12", "B 12"} << 1LL;
    QTest::newRow("trailing blanks do not") << QStringList{"B 7_", "K 7", "B 8", "K 8__"} << 0LL;
    QTest::newRow("no ear tag is no animal") << QStringList{"B NULL", "B ''", "B __", "K NULL", "K ''"} << 0LL;
    QTest::newRow("arrival deleted") << QStringList{"B 1", "B 2", "-B 1"} << 1LL;
    QTest::newRow("departure deleted: the animal is back") << QStringList{"B 1", "K 1", "-K 1"} << 1LL;
    QTest::newRow("one of two arrivals of a departed animal deleted")
        << QStringList{"B 1", "B 1", "K 1", "-B 1"} << 0LL;
    QTest::newRow("arrival's ear tag changed") << QStringList{"B 1", "B 1", "B 1>2", "K 2"} << 1LL;
    QTest::newRow("departure's ear tag changed") << QStringList{"B 1", "B 2", "K 1", "K 1>2"} << 1LL;
    QTest::newRow("ear tag taken away and given") << QStringList{"B 1", "B 1>NULL", "B NULL>3", "B 3>3_"} << 1LL;
    QTest::newRow("a day archived and withdrawn")
        << QStringList{"B 1..20", "K 1..10", "archive 1..10", "withdraw 1..10", "archive 3"} << 10LL;
    QTest::newRow("archiving takes every arrival of a came-back animal")
        << QStringList{"B 5", "K 5", "B 5", "B 6", "archive 5"} << 1LL;
    QTest::newRow("every departure deleted") << QStringList{"B 1..50", "K 1..30", "K 40", "-K *"} << 50LL;
    QTest::newRow("every arrival deleted") << QStringList{"B 1..50", "K 1..30", "-B *"} << 0LL;
    QTest::newRow("a range of departures deleted") << QStringList{"B 1..50", "K 1..50", "-K 11..20"} << 10LL;
    QTest::newRow("rolled back") << QStringList{"B 1", "undo: B 2; K 1; B 3; -B 1"} << 1LL;
    QTest::newRow("a statement failed half way, the transaction went on")
        << QStringList{"tx: !B 2; B 1; !B 4; B 3", "tx: !B 5"} << 2LL;
    QTest::newRow("committed with retaining between moves, folded meanwhile")
        << QStringList{"retain: B 1; B 2; fold; K 1; B 3; fold; K 2", "B 4"} << 2LL;
    QTest::newRow("folds while the transactions come and go")
        << QStringList{"B 1", "B 2", "seq 4093", "B 3", "K 1", "B 4", "tx: B 5; K 2; B 6", "K 3"} << 3LL;
    QTest::newRow("thousands in one transaction")
        << QStringList{"B 1..9000", "K 1..4500", "tx: -K 1..100; B 1..50", "K 4501..9000"} << 100LL;
}

void OnSiteCountTest::sequences()
{
    QFETCH(QStringList, steps);
    QFETCH(qint64, animals);
    TestDatabase db(false);
    fb::Attachment program;  // the main window's connection
    program.attach(paramsOf(db.file()));
    Writer writer(db.file());
    verifyAgainstTables(program, db.file(), QStringLiteral("nothing"));
    for (const QString& step : steps) {
        writer.step(step);
        if (QTest::currentTestFailed())
            return;
        verifyAgainstTables(program, db.file(), step);
        if (QTest::currentTestFailed())
            return;
    }
    QCOMPARE(daycounts::countOnSite(program), animals);
    // Nothing was changed around the keeping: the start-up check leaves it alone, the full
    // comparison finds it right.
    QCOMPARE(daycounts::checkOnSite(program, false).outcome, daycounts::OnSiteCheck::Outcome::Trusted);
    const auto full = daycounts::checkOnSite(program, true);
    QCOMPARE(full.outcome, daycounts::OnSiteCheck::Outcome::Agreed);
    QCOMPARE(full.counted, animals);
}

void OnSiteCountTest::foldingKeepsRowsOfRunningTransactions()
{
    TestDatabase db(false);
    fb::Attachment program;  // the main window's connection
    program.attach(paramsOf(db.file()));
    Writer writer(db.file());
    for (int i = 1; i <= 3; ++i)
        writer.step(QStringLiteral("B %1").arg(i));
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM gerundo_onsite_count")), QStringLiteral("3"));
    writer.step(QStringLiteral("seq 4095"));

    // A transaction whose first move takes row 4096 folds the committed rows, not its own.
    fb::Transaction running;
    running.start(writer.attachment());
    writer.exec(running, QStringLiteral("INSERT INTO beszall (bfulszam) VALUES ('10')"));
    writer.exec(running, QStringLiteral("INSERT INTO beszall (bfulszam) VALUES ('11')"));
    QCOMPARE(db.rows(QStringLiteral("SELECT part, animals FROM gerundo_onsite_count")),
             QList<QStringList>({{"4097", "3"}}));
    QCOMPARE(daycounts::countOnSite(program), 3LL);
    running.rollback();
    verifyAgainstTables(program, db.file(), QStringLiteral("the rollback"));
    QCOMPARE(daycounts::countOnSite(program), 3LL);

    // Committed, its row is folded by the next fold.
    writer.step(QStringLiteral("tx: B 10; B 11"));
    writer.step(QStringLiteral("fold"));
    QCOMPARE(db.rows(QStringLiteral("SELECT animals FROM gerundo_onsite_count")), QList<QStringList>({{"5"}}));
    verifyAgainstTables(program, db.file(), QStringLiteral("the fold"));

    // Many transactions: the rows stay within one fold's worth.
    writer.step(QStringLiteral("seq 8000"));
    for (int i = 100; i < 300; ++i)
        writer.step(QStringLiteral("B %1").arg(i));
    QVERIFY(db.value(QStringLiteral("SELECT COUNT(*) FROM gerundo_onsite_count")).toInt() < 20);
    verifyAgainstTables(program, db.file(), QStringLiteral("200 transactions"));
}

// Two connections, as two desks: each in its nowait transaction, neither committed yet. Different
// animals never meet, not even when one of them folds the count meanwhile; one ear tag written by
// both at once does, as any row another desk holds does.
void OnSiteCountTest::desksWritingDifferentAnimalsDoNotMeet()
{
    TestDatabase db(false);
    fb::Attachment program;  // the main window's connection
    program.attach(paramsOf(db.file()));
    Writer first(db.file());
    Writer second(db.file());
    first.step(QStringLiteral("tx: B 1; B 2; B 3"));
    first.step(QStringLiteral("seq 4094"));

    fb::Transaction a;
    a.start(first.attachment());
    fb::Transaction b;
    b.start(second.attachment());
    // Arrivals, a departure and a deletion of different animals, interleaved; b's first move takes
    // the row that folds.
    first.exec(a, QStringLiteral("INSERT INTO beszall (bfulszam) VALUES ('10')"));
    second.exec(b, QStringLiteral("INSERT INTO beszall (bfulszam) VALUES ('20')"));
    first.exec(a, QStringLiteral("INSERT INTO kiszall (kfulszam) VALUES ('1')"));
    second.exec(b, QStringLiteral("DELETE FROM beszall WHERE bfulszam = '2'"));
    first.exec(a, QStringLiteral("INSERT INTO beszall (bfulszam) VALUES ('11')"));
    second.exec(b, QStringLiteral("INSERT INTO kiszall (kfulszam) VALUES ('20')"));
    QCOMPARE(daycounts::countOnSite(program), 3LL);  // neither committed

    // The same animal at once: the second is refused at once, as a row the other holds (a new ear
    // tag's balance row is a key the other holds: the engine says so as a duplicate key).
    constexpr long kUniqueKeyViolation = 335544665L;
    try {
        second.exec(b, QStringLiteral("INSERT INTO kiszall (kfulszam) VALUES ('10')"));
        QFAIL("two writes of one ear tag at once were both taken");
    } catch (const fb::Error& e) {
        QVERIFY2(e.hasCode(kUniqueKeyViolation), qPrintable(e.message()));
    }
    try {
        second.exec(b, QStringLiteral("DELETE FROM beszall WHERE bfulszam = '3'"));
        first.exec(a, QStringLiteral("INSERT INTO kiszall (kfulszam) VALUES ('3')"));
        QFAIL("two writes of one ear tag at once were both taken");
    } catch (const fb::Error& e) {
        QVERIFY2(e.isLockConflict(), qPrintable(e.message()));
    }
    second.exec(b, QStringLiteral("INSERT INTO beszall (bfulszam) VALUES ('3')"));
    b.commit();
    QCOMPARE(daycounts::countOnSite(program), 2LL);  // 1, 3
    a.commit();
    verifyAgainstTables(program, db.file(), QStringLiteral("both desks committed"));
    QCOMPARE(daycounts::countOnSite(program), 3LL);  // 3, 10, 11
}

// The program's transaction lives on through commits with retaining (the table editor's saves):
// once committed, its part of the count belongs to the fold, and its next move takes a new part, so
// a fold running at that moment (here another transaction holding the committed rows deleted)
// never meets the desk's next save.
void OnSiteCountTest::aCommitWithRetainingLeavesItsPartToTheFold()
{
    TestDatabase db(false);
    fb::Attachment program;
    program.attach(paramsOf(db.file()));
    Writer desk(db.file());
    Writer folding(db.file());
    fb::Transaction kept;
    kept.start(desk.attachment());
    desk.exec(kept, QStringLiteral("INSERT INTO beszall (bfulszam) VALUES ('1')"));
    kept.commitRetaining();

    fb::Transaction fold;
    fold.start(folding.attachment());
    folding.exec(fold, QStringLiteral("DELETE FROM gerundo_onsite_count"));
    try {
        desk.exec(kept, QStringLiteral("INSERT INTO beszall (bfulszam) VALUES ('2')"));
    } catch (const fb::Error& e) {
        QFAIL(qPrintable(QStringLiteral("the save met the fold: ") + e.message()));
    }
    fold.rollback();
    kept.commitRetaining();
    desk.exec(kept, QStringLiteral("INSERT INTO kiszall (kfulszam) VALUES ('1')"));
    kept.commit();
    verifyAgainstTables(program, db.file(), QStringLiteral("the commits with retaining"));
    QCOMPARE(daycounts::countOnSite(program), 1LL);
    QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM gerundo_onsite_count")), QStringLiteral("3"));
}

void OnSiteCountTest::changesAroundTheTriggersAreRepairedAtTheNextCheck()
{
    TestDatabase db(false);
    fb::Attachment program;  // the main window's connection
    program.attach(paramsOf(db.file()));
    Writer writer(db.file());
    writer.step(QStringLiteral("tx: B 1..10; K 1..3"));
    QCOMPARE(daycounts::countOnSite(program), 7LL);

    // Another program switches the arrivals' trigger off and writes around it.
    db.exec(QStringLiteral("ALTER TRIGGER beszall_onsite INACTIVE"));
    writer.step(QStringLiteral("tx: B 11..15; -B 4; B 2>NULL"));
    // Meanwhile the count is taken from the tables, and the check says why.
    QCOMPARE(daycounts::countOnSite(program), 11LL);
    const auto off = daycounts::checkOnSite(program, false);
    QCOMPARE(off.outcome, daycounts::OnSiteCheck::Outcome::NotKept);
    QCOMPARE(off.missing, QStringLiteral("BESZALL_ONSITE"));
    QVERIFY(daycounts::describe(off).contains(QStringLiteral("BESZALL_ONSITE")));

    // Switched on again: the keeping is marked for comparison, counted from the tables until then.
    db.exec(QStringLiteral("ALTER TRIGGER beszall_onsite ACTIVE"));
    QCOMPARE(db.value(QStringLiteral("SELECT flag FROM gerundo_onsite_state WHERE name = 'STALE'")),
             QStringLiteral("1"));
    QCOMPARE(daycounts::countOnSite(program), 11LL);
    QVERIFY(keptBalances(db.file()) != balancesFromRows(db.file()));

    const auto check = daycounts::checkOnSite(program, false);
    QCOMPARE(check.outcome, daycounts::OnSiteCheck::Outcome::Repaired);
    QCOMPARE(check.earTagsRepaired, 7LL);  // 11..15 and 2 (its arrival lost the ear tag) missing, 4 still kept
    QCOMPARE(check.keptBefore, 7LL);
    QCOMPARE(check.counted, 11LL);
    QCOMPARE(daycounts::describe(check),
             QStringLiteral("A telepen lévő állatok nyilvántartott száma nem egyezett a táblákkal: 7 fülszám "
                            "javítva a táblák szerint, a szám 7 helyett 11."));
    verifyAgainstTables(program, db.file(), QStringLiteral("the repair"));
    QCOMPARE(db.value(QStringLiteral("SELECT flag FROM gerundo_onsite_state WHERE name = 'STALE'")),
             QStringLiteral("0"));
    // Kept from here on, and trusted again.
    writer.step(QStringLiteral("K 11"));
    verifyAgainstTables(program, db.file(), QStringLiteral("a departure after the repair"));
    QCOMPARE(daycounts::checkOnSite(program, false).outcome, daycounts::OnSiteCheck::Outcome::Trusted);

    // The mark is made in the transaction that changes the trigger: rolled back, neither stays.
    {
        fb::Transaction tra;
        tra.start(writer.attachment());
        writer.exec(tra, QStringLiteral("ALTER TRIGGER kiszall_onsite INACTIVE"));
        tra.rollback();
    }
    QCOMPARE(db.value(QStringLiteral("SELECT flag FROM gerundo_onsite_state WHERE name = 'STALE'")),
             QStringLiteral("0"));
}

void OnSiteCountTest::comparisonRepairsWhatAnotherProgramWroteIntoTheKeeping_data()
{
    QTest::addColumn<QString>("tampering");
    QTest::addColumn<qint64>("earTagsRepaired");
    QTest::addColumn<qint64>("keptBefore");

    QTest::newRow("a balance wrong") << "UPDATE gerundo_onsite_tag SET balance = 5 WHERE fulszam = '4'" << 1LL << 6LL;
    QTest::newRow("a balance lost") << "DELETE FROM gerundo_onsite_tag WHERE fulszam = '5'" << 1LL << 6LL;
    QTest::newRow("an ear tag the tables do not have")
        << "INSERT INTO gerundo_onsite_tag (fulszam, balance) VALUES ('99', 1)" << 1LL << 6LL;
    QTest::newRow("a blank ear tag") << "INSERT INTO gerundo_onsite_tag (fulszam, balance) VALUES ('  ', 2)" << 1LL
                                     << 6LL;
    QTest::newRow("a balance of zero") << "UPDATE gerundo_onsite_tag SET balance = 0 WHERE fulszam = '6'" << 1LL << 6LL;
    QTest::newRow("the count off") << "INSERT INTO gerundo_onsite_count (part, animals) VALUES (-1, 40)" << 0LL << 46LL;
    QTest::newRow("the count emptied") << "DELETE FROM gerundo_onsite_count" << 0LL << 0LL;
}

void OnSiteCountTest::comparisonRepairsWhatAnotherProgramWroteIntoTheKeeping()
{
    QFETCH(QString, tampering);
    QFETCH(qint64, earTagsRepaired);
    QFETCH(qint64, keptBefore);
    TestDatabase db(false);
    fb::Attachment program;  // the main window's connection
    program.attach(paramsOf(db.file()));
    Writer writer(db.file());
    writer.step(QStringLiteral("tx: B 1..8; K 1..2; K 9; B 3"));
    QCOMPARE(daycounts::countOnSite(program), 6LL);
    db.exec(tampering);
    // Only a change of the triggers marks the keeping: at start-up it is trusted.
    QCOMPARE(daycounts::checkOnSite(program, false).outcome, daycounts::OnSiteCheck::Outcome::Trusted);

    const auto check = daycounts::checkOnSite(program, true);
    QCOMPARE(check.outcome, daycounts::OnSiteCheck::Outcome::Repaired);
    QCOMPARE(check.earTagsRepaired, earTagsRepaired);
    QCOMPARE(check.keptBefore, keptBefore);
    QCOMPARE(check.counted, 6LL);
    verifyAgainstTables(program, db.file(), tampering);
    QCOMPARE(daycounts::checkOnSite(program, true).outcome, daycounts::OnSiteCheck::Outcome::Agreed);
}

void OnSiteCountTest::repairRefusedByAWriterChangesNothing()
{
    TestDatabase db(false);
    fb::Attachment program;  // the main window's connection
    program.attach(paramsOf(db.file()));
    Writer writer(db.file());
    writer.step(QStringLiteral("tx: B 1..5"));
    db.exec(QStringLiteral("UPDATE gerundo_onsite_tag SET balance = 3 WHERE fulszam = '2'"));
    db.exec(QStringLiteral("UPDATE gerundo_onsite_state SET flag = 1 WHERE name = 'STALE'"));
    // A desk is writing the very ear tag the repair must put right.
    fb::Transaction holding;
    holding.start(writer.attachment());
    writer.exec(holding, QStringLiteral("INSERT INTO kiszall (kfulszam) VALUES ('2')"));

    const auto refused = daycounts::checkOnSite(program, false);
    QCOMPARE(refused.outcome, daycounts::OnSiteCheck::Outcome::Failed);
    QVERIFY(!refused.error.isEmpty());
    QVERIFY(daycounts::describe(refused).startsWith(
        QStringLiteral("A telepen lévő állatok számának összevetése a táblákkal nem sikerült, semmi sem változott")));
    QCOMPARE(db.value(QStringLiteral("SELECT flag FROM gerundo_onsite_state WHERE name = 'STALE'")),
             QStringLiteral("1"));
    QCOMPARE(daycounts::countOnSite(program), 5LL);  // from the tables meanwhile

    holding.commit();
    const auto repaired = daycounts::checkOnSite(program, false);
    QCOMPARE(repaired.outcome, daycounts::OnSiteCheck::Outcome::Repaired);
    verifyAgainstTables(program, db.file(), QStringLiteral("the repair"));
    QCOMPARE(daycounts::countOnSite(program), 4LL);
}

void OnSiteCountTest::olderDatabaseCountsFromTablesUntilUpgraded()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Dudoz.fdb"));
    dbcreate::createDatabase(file, schemaWithoutKeeping());
    {
        Writer writer(file);
        writer.step(QStringLiteral("tx: B 1..6; K 1..2; B 1; B 0012; K 12"));
    }
    fb::Attachment att;
    att.attach(paramsOf(file));
    QCOMPARE(daycounts::countOnSite(att), 6LL);
    const auto check = daycounts::checkOnSite(att, false);
    QCOMPARE(check.outcome, daycounts::OnSiteCheck::Outcome::NotKept);
    QCOMPARE(check.missing, QStringLiteral("GERUNDO_ONSITE_TAG, GERUNDO_ONSITE_COUNT, GERUNDO_ONSITE_STATE, "
                                           "GERUNDO_ONSITE_MOVE, BESZALL_ONSITE, KISZALL_ONSITE"));
    att.detach();

    const auto upgraded = dbcreate::upgradeDatabase(file);
    QVERIFY(upgraded.refused.isEmpty());
    QCOMPARE(upgraded.createdTables,
             QStringList({"GERUNDO_ONSITE_TAG", "GERUNDO_ONSITE_COUNT", "GERUNDO_ONSITE_STATE"}));
    QCOMPARE(upgraded.createdObjects,
             QStringList({"SEQUENCE GEN_GERUNDO_ONSITE_COUNT", "PROCEDURE GERUNDO_ONSITE_COMPACT",
                          "PROCEDURE GERUNDO_ONSITE_MOVE", "TRIGGER BESZALL_ONSITE", "TRIGGER KISZALL_ONSITE",
                          "TRIGGER GERUNDO_ONSITE_COMMIT", "TRIGGER GERUNDO_ONSITE_WATCH"}));
    QCOMPARE(upgraded.onSite.outcome, daycounts::OnSiteCheck::Outcome::Built);
    QCOMPARE(upgraded.onSite.counted, 6LL);
    QCOMPARE(daycounts::describe(upgraded.onSite),
             QStringLiteral("A telepen lévő állatok nyilvántartása elkészült a táblákból: 6 állat."));

    att.attach(paramsOf(file));
    QCOMPARE(daycounts::checkOnSite(att, false).outcome, daycounts::OnSiteCheck::Outcome::Trusted);
    QCOMPARE(daycounts::countOnSite(att), 6LL);
    att.detach();
    {
        Writer writer(file);
        writer.step(QStringLiteral("K 3"));
    }
    const auto again = dbcreate::upgradeDatabase(file);
    QVERIFY(again.createdTables.isEmpty() && again.created.isEmpty() && again.createdObjects.isEmpty());
    QCOMPARE(again.onSite.outcome, daycounts::OnSiteCheck::Outcome::Agreed);
    QCOMPARE(again.onSite.counted, 5LL);
}

QTEST_GUILESS_MAIN(OnSiteCountTest)
#include "test_onsite_count.moc"
