#include "storage/stock_takes.h"

#include <QSysInfo>
#include <QThread>

#include "core/database.h"
#include "storage/arrivals.h"
#include "storage/departures.h"
#include "storage/statements.h"

namespace {

// A timestamp as the lists show it: "yyyy.MM.dd hh:mm:ss".
QString timeText(const QString& column)
{
    return QStringLiteral("REPLACE(SUBSTRING(CAST(%1 AS VARCHAR(24)) FROM 1 FOR 19), '-', '.')").arg(column);
}

// What the arrivals and departures stores say of an ear tag, as parts of the lists' statements.
QString latestArrival(const QString& earTag, const QString& value)
{
    return Arrivals::latestArrivalValue(earTag, value);
}
QString lastPass(const QString& earTag, Departures::PassValue value)
{
    return Departures::lastKnownPass(earTag, value);
}
QString passKind(const QString& earTag)
{
    return QStringLiteral("COALESCE(%1, '%2')").arg(lastPass(earTag, Departures::PassValue::Kind), kNeverRegistered);
}

// Days on site up to today, the arrival day not counted (as the on-site list counts them).
QString daysOnSite(const QString& arrival)
{
    return QStringLiteral("CAST(DATEDIFF(DAY FROM %1 TO CAST(:today AS DATE)) AS INTEGER)").arg(arrival);
}

// The mark of an ear tag read more than once: "2× olvasva".
QString repeatMark(const QString& readings)
{
    return QStringLiteral("IIF(%1 > 1, %1 || '× olvasva', '')").arg(readings);
}

const QString kStockTakeColumns = QStringLiteral("idl, %1, lfelhasznalo, lgep, %2, llezarta, llezarogep")
                                      .arg(timeText(QStringLiteral("lkezdet")), timeText(QStringLiteral("llezarva")));

// The lists of an open stock-take, against the register as it is now. For the grids (display) the
// first reading is text; for freezing into LELTARLISTA the columns are those of its INSERT.
enum class Use { Display, Freeze };

QStringList foundList(Use use)
{
    const QString tag = QStringLiteral("t.tfulszam");
    const QString arrival = latestArrival(tag, QStringLiteral("la.bszkelt"));
    QStringList lines;
    if (use == Use::Display)
        lines << QStringLiteral("SELECT t.tfulszam AS RFULSZAM,") << arrival + QStringLiteral(" AS RBESZKELT,")
              << daysOnSite(arrival) + QStringLiteral(" AS RNAPOK,")
              << latestArrival(tag, QStringLiteral("laf.fnev")) + QStringLiteral(" AS RFELADO,")
              << timeText(QStringLiteral("MIN(t.tido)")) + QStringLiteral(" AS RELSO, COUNT(*) AS RDB,")
              << repeatMark(QStringLiteral("COUNT(*)")) + QStringLiteral(" AS RJELZES");
    else
        lines << QStringLiteral(
                     "INSERT INTO leltarlista (rleltar, rlista, rfulszam, rbeszkelt, rnapok, rfelado, relso, rdb)")
              << QStringLiteral("SELECT CAST(:id AS INTEGER), 'M', t.tfulszam,") << arrival + u','
              << daysOnSite(arrival) + u',' << latestArrival(tag, QStringLiteral("laf.fnev")) + u','
              << QStringLiteral("MIN(t.tido), COUNT(*)");
    lines << QStringLiteral("FROM leltartetel t WHERE t.tleltar = :id GROUP BY t.tfulszam")
          << QStringLiteral("HAVING ") + Arrivals::onSiteCondition(tag);
    if (use == Use::Display)
        lines << QStringLiteral("ORDER BY t.tfulszam");
    return lines;
}

// The animals on site that no desk has read: each ear tag once, by its latest arrival.
QStringList missingList(Use use, Arrivals::OnSiteReading reading)
{
    QStringList lines;
    if (use == Use::Display)
        lines << QStringLiteral("SELECT b.bfulszam AS RFULSZAM, b.bszkelt AS RBESZKELT,")
              << daysOnSite(QStringLiteral("b.bszkelt")) + QStringLiteral(" AS RNAPOK, f.fnev AS RFELADO");
    else
        lines << QStringLiteral("INSERT INTO leltarlista (rleltar, rlista, rfulszam, rbeszkelt, rnapok, rfelado)")
              << QStringLiteral("SELECT CAST(:id AS INTEGER), 'H', b.bfulszam, b.bszkelt,")
              << daysOnSite(QStringLiteral("b.bszkelt")) + QStringLiteral(", f.fnev");
    lines << Arrivals::latestArrivalsOnSite(reading)
          << QStringLiteral(
                 "AND NOT EXISTS (SELECT 1 FROM leltartetel t WHERE t.tleltar = :id AND t.tfulszam = b.bfulszam)");
    if (use == Use::Display)
        lines << QStringLiteral("ORDER BY b.bfulszam");
    return lines;
}

QStringList unregisteredList(Use use)
{
    const QString tag = QStringLiteral("t.tfulszam");
    QStringList lines;
    if (use == Use::Display)
        lines << QStringLiteral("SELECT t.tfulszam AS RFULSZAM,")
              << timeText(QStringLiteral("MIN(t.tido)")) + QStringLiteral(" AS RELSO, COUNT(*) AS RDB,")
              << repeatMark(QStringLiteral("COUNT(*)")) + QStringLiteral(" AS RJELZES,")
              << passKind(tag) + QStringLiteral(" AS RMOZGAS,")
              << lastPass(tag, Departures::PassValue::Date) + QStringLiteral(" AS RMDATUM,")
              << lastPass(tag, Departures::PassValue::Partner) + QStringLiteral(" AS RMPARTNER");
    else
        lines << QStringLiteral(
                     "INSERT INTO leltarlista (rleltar, rlista, rfulszam, relso, rdb, rmozgas, rmdatum, rmpartner)")
              << QStringLiteral("SELECT CAST(:id AS INTEGER), 'N', t.tfulszam, MIN(t.tido), COUNT(*),")
              << passKind(tag) + u',' << lastPass(tag, Departures::PassValue::Date) + u','
              << lastPass(tag, Departures::PassValue::Partner);
    lines << QStringLiteral("FROM leltartetel t WHERE t.tleltar = :id GROUP BY t.tfulszam")
          << QStringLiteral("HAVING NOT ") + Arrivals::onSiteCondition(tag);
    if (use == Use::Display)
        lines << QStringLiteral("ORDER BY t.tfulszam");
    return lines;
}

// A closed stock-take's list as frozen, with the columns of the open one's.
QStringList frozenList(QChar list)
{
    QStringList lines{QStringLiteral("SELECT rfulszam AS RFULSZAM,")};
    if (list == u'H')
        lines << QStringLiteral("rbeszkelt AS RBESZKELT, rnapok AS RNAPOK, rfelado AS RFELADO");
    else if (list == u'M')
        lines << QStringLiteral("rbeszkelt AS RBESZKELT, rnapok AS RNAPOK, rfelado AS RFELADO,")
              << timeText(QStringLiteral("relso")) + QStringLiteral(" AS RELSO, rdb AS RDB,")
              << repeatMark(QStringLiteral("rdb")) + QStringLiteral(" AS RJELZES");
    else
        lines << timeText(QStringLiteral("relso")) + QStringLiteral(" AS RELSO, rdb AS RDB,")
              << repeatMark(QStringLiteral("rdb")) + QStringLiteral(" AS RJELZES,")
              << QStringLiteral("rmozgas AS RMOZGAS, rmdatum AS RMDATUM, rmpartner AS RMPARTNER");
    lines << QStringLiteral("FROM leltarlista WHERE rleltar = :id AND rlista = '%1'").arg(list)
          << QStringLiteral("ORDER BY rfulszam");
    return lines;
}

// A table the statement names is not in the database: one made before the stock-takes.
constexpr long kTableUnknown = 335544580L;

// Another desk closing the stock-take, or a reading of another desk not yet committed while this
// one closes it: the engine's nowait conflict. Such a reading is committed within milliseconds.
constexpr int kCloseAttempts = 10;
constexpr int kCloseRetryMs = 100;

}  // namespace

StockTakes::StockTakes(Database& database, Arrivals& arrivals)
    : m_database(database),
      m_arrivals(arrivals),
      m_deskName(QSysInfo::machineHostName()),
      m_counts(database, QStringLiteral("stockTakeCounts"))
{
    // The store's statements and transaction live on the connection: they go before it does.
    connect(&database, &Database::disconnecting, this, &StockTakes::dropStatements);
}

StockTakes::~StockTakes()
{
    dropStatements();
}

void StockTakes::dropStatements()
{
    m_statements.clear();
    try {
        m_transaction.rollback();
    } catch (const fb::Error&) {
    }
}

fb::Statement& StockTakes::statement(const QString& sql)
{
    auto& slot = m_statements[sql];
    if (!slot)
        slot = std::make_unique<fb::Statement>(m_database.connection().attachment(), m_transaction, sql);
    return *slot;
}

template <typename Work>
auto StockTakes::inOwnTransaction(Work work)
{
    m_transaction.start(m_database.connection().attachment());
    const auto rollBack = [this] {
        try {
            m_transaction.rollback();
        } catch (const fb::Error&) {
        }
    };
    try {
        if constexpr (std::is_void_v<decltype(work())>) {
            work();
            m_transaction.commit();
        } else {
            auto result = work();
            m_transaction.commit();
            return result;
        }
    } catch (const fb::Error& e) {
        rollBack();
        if (e.hasCode(kTableUnknown))
            throw fb::Error(QStringLiteral("A leltár táblái hiányoznak az adatbázisból (régebbi adatbázis). Az "
                                           "adatbázist a \"gerundo-mkdb --upgrade\" paranccsal kell frissíteni."),
                            e.code(), e.codes());
        throw;
    } catch (...) {
        rollBack();
        throw;
    }
}

// ---------------------------------------------------------------- starting, finding, joining

std::optional<StockTake> StockTakes::readStockTake(const QString& condition, qint64 id)
{
    return inOwnTransaction([&]() -> std::optional<StockTake> {
        fb::Statement& read =
            statement(QStringLiteral("SELECT FIRST 1 %1 FROM leltar %2").arg(kStockTakeColumns, condition));
        if (read.parameterNames().contains(QStringLiteral("id")))
            read.bind(QStringLiteral("id"), fb::Value::fromInt(id));
        auto cursor = read.openCursor();
        std::vector<unsigned char> row(cursor->columns().messageLength() + 8);
        if (!cursor->fetchNext(row.data()))
            return std::nullopt;
        const fb::Columns& c = cursor->columns();
        StockTake take;
        take.id = c.integer(row.data(), 0);
        take.started = c.text(row.data(), 1);
        take.startedBy = c.text(row.data(), 2);
        take.startedAt = c.text(row.data(), 3);
        take.closed = c.text(row.data(), 4);
        take.closedBy = c.text(row.data(), 5);
        take.closedAt = c.text(row.data(), 6);
        cursor->close();
        return take;
    });
}

StockTake StockTakes::start()
{
    const qint64 id = inOwnTransaction([&] {
        fb::Statement& insert = statement(QStringLiteral("INSERT INTO leltar (lgep) VALUES (:desk) RETURNING idl"));
        insert.bind(QStringLiteral("desk"), fb::Value::fromText(m_deskName, QStringLiteral("gép neve")));
        const std::vector<unsigned char> row = insert.executeReturning();
        return insert.columns().integer(row.data(), 0);
    });
    join(id);
    return *find(id);
}

std::optional<StockTake> StockTakes::latestOpen()
{
    return readStockTake(QStringLiteral("WHERE llezarva IS NULL ORDER BY idl DESC"), 0);
}

std::optional<StockTake> StockTakes::find(qint64 id)
{
    return readStockTake(QStringLiteral("WHERE idl = :id"), id);
}

void StockTakes::join(qint64 id)
{
    inOwnTransaction([&] {
        fb::Statement& join =
            statement(QStringLiteral("UPDATE OR INSERT INTO leltargep (gleltar, gkapcsolat, ggep) "
                                     "VALUES (:id, CURRENT_CONNECTION, :desk) MATCHING (gleltar, gkapcsolat)"));
        join.bind(QStringLiteral("id"), fb::Value::fromInt(id));
        join.bind(QStringLiteral("desk"), fb::Value::fromText(m_deskName, QStringLiteral("gép neve")));
        join.execute();
    });
}

// ---------------------------------------------------------------- reading ear tags

namespace {

// The readings are counted in this connection's desk row last, just before the commit, and only
// while the stock-take is open. A closing holds every desk row until it commits: a reading that
// reaches its row meanwhile fails at once (nowait) and is not stored, one that reached it before
// makes the closing wait for its commit, and one after the closing finds the stock-take closed.
// So no reading is stored past the lists a closing freezes. False: the stock-take is closed.
bool countOnDesk(fb::Statement& touch, fb::Statement& isOpen, fb::Statement& add, qint64 id, qint64 readings,
                 const QString& desk)
{
    touch.bind(QStringLiteral("id"), fb::Value::fromInt(id));
    touch.bind(QStringLiteral("n"), fb::Value::fromInt(readings));
    touch.execute();
    if (touch.affectedRecords() > 0)
        return true;
    isOpen.bind(QStringLiteral("id"), fb::Value::fromInt(id));
    auto cursor = isOpen.openCursor();
    std::vector<unsigned char> row(cursor->columns().messageLength() + 8);
    const bool open = cursor->fetchNext(row.data());
    cursor->close();
    if (!open)
        return false;
    // A connection that has not joined yet (its row is made when a screen shows the stock-take).
    add.bind(QStringLiteral("id"), fb::Value::fromInt(id));
    add.bind(QStringLiteral("n"), fb::Value::fromInt(readings));
    add.bind(QStringLiteral("desk"), fb::Value::fromText(desk, QStringLiteral("gép neve")));
    add.execute();
    return true;
}

const QString kTouchDesk = QStringLiteral(
    "UPDATE leltargep SET gutolso = CURRENT_TIMESTAMP, gdb = gdb + :n "
    "WHERE gleltar = :id AND gkapcsolat = CURRENT_CONNECTION "
    "AND EXISTS (SELECT 1 FROM leltar WHERE idl = :id AND llezarva IS NULL)");
const QString kIsOpen = QStringLiteral("SELECT idl FROM leltar WHERE idl = :id AND llezarva IS NULL");
const QString kAddDesk = QStringLiteral(
    "INSERT INTO leltargep (gleltar, gkapcsolat, ggep, gutolso, gdb) "
    "VALUES (:id, CURRENT_CONNECTION, :desk, CURRENT_TIMESTAMP, :n)");
// Into an open stock-take only: a closed one takes no more readings.
const QString kAddReading = QStringLiteral(
    "INSERT INTO leltartetel (tleltar, tfulszam, tgep) "
    "SELECT idl, :tag, :desk FROM leltar WHERE idl = :id AND llezarva IS NULL");

StockTakeClosed closedMeanwhile()
{
    return StockTakeClosed(
        QStringLiteral("Ezt a leltárt közben lezárták (egy másik gépen); "
                       "a fülszám nem került bele."));
}

}  // namespace

ScanAnswer StockTakes::addReading(qint64 id, const QString& earTag)
{
    return inOwnTransaction([&] {
        fb::Statement& insert = statement(kAddReading);
        insert.bind(QStringLiteral("id"), fb::Value::fromInt(id));
        insert.bind(QStringLiteral("tag"), fb::Value::fromText(earTag, QStringLiteral("Fülszám")));
        insert.bind(QStringLiteral("desk"), fb::Value::fromText(m_deskName, QStringLiteral("gép neve")));
        insert.execute();
        if (insert.affectedRecords() == 0)
            throw closedMeanwhile();

        const QString tag = QStringLiteral(":tag");
        fb::Statement& answer = statement(
            QStringLiteral("SELECT IIF(%1, 1, 0),"
                           "(SELECT COUNT(*) FROM leltartetel WHERE tleltar = :id AND tfulszam = :tag),"
                           "%2, %3, %4, %5, %6 FROM RDB$DATABASE")
                .arg(Arrivals::onSiteCondition(tag), latestArrival(tag, QStringLiteral("la.bszkelt")),
                     latestArrival(tag, QStringLiteral("laf.fnev")), passKind(tag),
                     lastPass(tag, Departures::PassValue::Date), lastPass(tag, Departures::PassValue::Partner)));
        answer.bind(QStringLiteral("id"), fb::Value::fromInt(id));
        answer.bind(QStringLiteral("tag"), fb::Value::fromText(earTag, QStringLiteral("Fülszám")));
        auto cursor = answer.openCursor();
        std::vector<unsigned char> row(cursor->columns().messageLength() + 8);
        ScanAnswer a;
        a.earTag = earTag;
        if (cursor->fetchNext(row.data())) {
            const fb::Columns& c = cursor->columns();
            a.onSite = c.integer(row.data(), 0) != 0;
            a.timesSeen = c.integer(row.data(), 1);
            a.arrived = c.date(row.data(), 2);
            a.sender = c.text(row.data(), 3);
            a.lastPass = c.text(row.data(), 4);
            a.passDate = c.date(row.data(), 5);
            a.passPartner = c.text(row.data(), 6);
        }
        cursor->close();
        if (!countOnDesk(statement(kTouchDesk), statement(kIsOpen), statement(kAddDesk), id, 1, m_deskName))
            throw closedMeanwhile();
        return a;
    });
}

bool StockTakes::addReadings(qint64 id, const QStringList& earTags, const std::function<bool(qint64)>& progress)
{
    if (earTags.isEmpty())
        return true;
    struct Cancelled {};
    try {
        inOwnTransaction([&] {
            fb::Statement& insert = statement(kAddReading);
            insert.bind(QStringLiteral("id"), fb::Value::fromInt(id));
            insert.bind(QStringLiteral("desk"), fb::Value::fromText(m_deskName, QStringLiteral("gép neve")));
            qint64 done = 0;
            for (const QString& tag : earTags) {
                insert.bind(QStringLiteral("tag"), fb::Value::fromText(tag, QStringLiteral("Fülszám")));
                insert.execute();
                if (done == 0 && insert.affectedRecords() == 0)
                    throw closedMeanwhile();
                if (++done % 500 == 0 && progress && !progress(done))
                    throw Cancelled{};
            }
            if (progress && !progress(done))
                throw Cancelled{};
            if (!countOnDesk(statement(kTouchDesk), statement(kIsOpen), statement(kAddDesk), id, earTags.size(),
                             m_deskName))
                throw closedMeanwhile();
        });
    } catch (const Cancelled&) {
        return false;
    }
    return true;
}

qint64 StockTakes::readingCount(qint64 id)
{
    return inOwnTransaction([&] {
        fb::Statement& sum =
            statement(QStringLiteral("SELECT COALESCE(SUM(gdb), 0) FROM leltargep WHERE gleltar = :id"));
        sum.bind(QStringLiteral("id"), fb::Value::fromInt(id));
        auto cursor = sum.openCursor();
        std::vector<unsigned char> row(cursor->columns().messageLength() + 8);
        const qint64 n = cursor->fetchNext(row.data()) ? cursor->columns().integer(row.data(), 0) : 0;
        cursor->close();
        return n;
    });
}

// ---------------------------------------------------------------- the lists

StockTakeCounts StockTakes::countsOfReadings(const StockTake& take)
{
    if (!take.isOpen())
        return counts(take);
    StockTakeCounts c;
    c.readings = readingCount(take.id);
    statements::prepare(m_counts,
                        {QStringLiteral("SELECT COUNT(*) AS TAGS,"),
                         QStringLiteral("COALESCE(SUM(IIF(%1, 1, 0)), 0) AS FOUND")
                             .arg(Arrivals::onSiteCondition(QStringLiteral("g.tfulszam"))),
                         QStringLiteral("FROM (SELECT DISTINCT tfulszam FROM leltartetel WHERE tleltar = :id) g")});
    m_counts.setParamInt(QStringLiteral("id"), take.id);
    m_counts.open();
    c.found = m_counts.fieldInt(QStringLiteral("FOUND"));
    c.unregistered = m_counts.fieldInt(QStringLiteral("TAGS")) - c.found;
    return c;
}

StockTakeCounts StockTakes::counts(const StockTake& take)
{
    if (take.isOpen()) {
        StockTakeCounts c = countsOfReadings(take);
        c.missing = m_arrivals.countOnSite() - c.found;
        return c;
    }
    StockTakeCounts c;
    c.readings = readingCount(take.id);
    statements::prepare(m_counts, {QStringLiteral("SELECT COALESCE(SUM(IIF(rlista = 'M', 1, 0)), 0) AS FOUND,"),
                                   QStringLiteral("COALESCE(SUM(IIF(rlista = 'H', 1, 0)), 0) AS MISSING,"),
                                   QStringLiteral("COALESCE(SUM(IIF(rlista = 'N', 1, 0)), 0) AS UNREGISTERED"),
                                   QStringLiteral("FROM leltarlista WHERE rleltar = :id")});
    m_counts.setParamInt(QStringLiteral("id"), take.id);
    m_counts.open();
    c.found = m_counts.fieldInt(QStringLiteral("FOUND"));
    c.missing = m_counts.fieldInt(QStringLiteral("MISSING"));
    c.unregistered = m_counts.fieldInt(QStringLiteral("UNREGISTERED"));
    return c;
}

void StockTakes::openFound(Dataset& rows, const StockTake& take, const QDate& today)
{
    statements::prepare(rows, take.isOpen() ? foundList(Use::Display) : frozenList(u'M'));
    rows.setParamInt(QStringLiteral("id"), take.id);
    if (take.isOpen())
        rows.setParamDate(QStringLiteral("today"), today);
    rows.open();
}

void StockTakes::openMissing(Dataset& rows, const StockTake& take, const QDate& today, ListReading reading)
{
    const auto onSite =
        reading == ListReading::ByScreenful ? Arrivals::OnSiteReading::ByScreenful : Arrivals::OnSiteReading::Whole;
    statements::prepare(rows, take.isOpen() ? missingList(Use::Display, onSite) : frozenList(u'H'));
    rows.setParamInt(QStringLiteral("id"), take.id);
    if (take.isOpen())
        rows.setParamDate(QStringLiteral("today"), today);
    rows.open();
}

void StockTakes::openUnregistered(Dataset& rows, const StockTake& take)
{
    statements::prepare(rows, take.isOpen() ? unregisteredList(Use::Display) : frozenList(u'N'));
    rows.setParamInt(QStringLiteral("id"), take.id);
    rows.open();
}

void StockTakes::openStockTakeList(Dataset& rows)
{
    statements::open(rows,
                     {QStringLiteral("SELECT idl AS IDL, %1 AS LKEZDET, lfelhasznalo AS LFELHASZNALO, lgep AS LGEP,")
                          .arg(timeText(QStringLiteral("lkezdet"))),
                      QStringLiteral("%1 AS LLEZARVA, llezarta AS LLEZARTA, llezarogep AS LLEZAROGEP,")
                          .arg(timeText(QStringLiteral("llezarva"))),
                      QStringLiteral("(SELECT COALESCE(SUM(gdb), 0) FROM leltargep WHERE gleltar = idl) AS LDB"),
                      QStringLiteral("FROM leltar ORDER BY idl DESC")});
}

// ---------------------------------------------------------------- closing

void StockTakes::close(qint64 id, const QDate& today)
{
    for (int attempt = 1;; ++attempt) {
        try {
            inOwnTransaction([&] {
                fb::Statement& closeIt =
                    statement(QStringLiteral("UPDATE leltar SET llezarva = CURRENT_TIMESTAMP, llezarta = CURRENT_USER, "
                                             "llezarogep = :desk WHERE idl = :id AND llezarva IS NULL"));
                closeIt.bind(QStringLiteral("id"), fb::Value::fromInt(id));
                closeIt.bind(QStringLiteral("desk"), fb::Value::fromText(m_deskName, QStringLiteral("gép neve")));
                closeIt.execute();
                if (closeIt.affectedRecords() == 0)
                    throw StockTakeClosed(QStringLiteral("Ezt a leltárt közben már lezárták (egy másik gépen)."));
                // Every desk row held until the commit: a reading in flight elsewhere stops this
                // closing (it is tried again), one after it finds the stock-take closed.
                fb::Statement& holdDesks =
                    statement(QStringLiteral("UPDATE leltargep SET gdb = gdb WHERE gleltar = :id"));
                holdDesks.bind(QStringLiteral("id"), fb::Value::fromInt(id));
                holdDesks.execute();
                for (const QStringList& lines :
                     {foundList(Use::Freeze), missingList(Use::Freeze, Arrivals::OnSiteReading::Whole),
                      unregisteredList(Use::Freeze)}) {
                    fb::Statement& freeze = statement(lines.join(u'\n'));
                    freeze.bind(QStringLiteral("id"), fb::Value::fromInt(id));
                    if (freeze.parameterNames().contains(QStringLiteral("today")))
                        freeze.bind(QStringLiteral("today"), fb::Value::fromDate(today));
                    freeze.execute();
                }
            });
            return;
        } catch (const fb::Error& e) {
            if (!e.isLockConflict() || attempt >= kCloseAttempts)
                throw;
        }
        QThread::msleep(kCloseRetryMs);
    }
}
