#pragma once

#include <QDate>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "core/dataset.h"
#include "db/client.h"

class Arrivals;
class Database;

// One stock-take: when and where it was started, and closed (empty while it is open). Times are
// the database's clock, as "yyyy.MM.dd hh:mm:ss"; who is the connection's user, where the desk's
// host name.
struct StockTake {
    qint64 id = 0;
    QString started;
    QString startedBy;
    QString startedAt;
    QString closed;
    QString closedBy;
    QString closedAt;
    bool isOpen() const { return closed.isEmpty(); }
};

// What the register says of an ear tag just read in a stock-take.
struct ScanAnswer {
    QString earTag;
    bool onSite = false;
    qint64 timesSeen = 0;  // in this stock-take, at any desk, this reading included
    // On site: its latest live arrival.
    QDate arrived;
    QString sender;
    // Not on site: its last known pass in the live and archived tables ("kiszállítva", "kiszállítva
    // (archivált)", "beszállítva (archivált)"), with its date and partner; never registered: the
    // text kNeverRegistered, no date.
    QString lastPass;
    QDate passDate;
    QString passPartner;
};

// The three lists' sizes: found (on site and seen), missing (on site, not seen), unregistered (seen,
// not on site), each ear tag once; and every reading stored, repeats included.
struct StockTakeCounts {
    qint64 found = 0;
    qint64 missing = 0;
    qint64 unregistered = 0;
    qint64 readings = 0;
};

// The stock-take was closed (at another desk) before this reading or closing could be stored.
class StockTakeClosed : public fb::Error {
public:
    using fb::Error::Error;
};

// The stock-takes (LELTAR, the desks taking part LELTARGEP, the readings LELTARTETEL, a closed one's
// lists LELTARLISTA): every statement the program runs on them. A stock-take only reports: nothing
// of the register changes.
//
// Every reading is stored and committed at once, in a transaction of the store's own on the
// program's connection (read committed, nowait), so that a reading the person saw answered is in
// the database whatever happens next, and the program's shared transaction with whatever another
// screen left pending in it is neither committed nor waited for. Desks adding to one stock-take
// never update the same row: each reading is a new row, and each connection counts its readings in
// a row of its own. The lists read in the shared transaction, which sees what is committed.
class StockTakes : public QObject {
    Q_OBJECT
public:
    // The missing count asks the arrivals store how many animals are on site.
    StockTakes(Database& database, Arrivals& arrivals);
    ~StockTakes() override;

    // Which desk this is, as stored with the stock-takes it starts, joins and closes and with its
    // readings: the machine's host name unless set.
    const QString& deskName() const { return m_deskName; }
    void setDeskName(const QString& name) { m_deskName = name; }

    // --- starting, finding, joining
    // Starts a new stock-take, committed, and joins it.
    StockTake start();
    // The open stock-take started last, if any.
    std::optional<StockTake> latestOpen();
    std::optional<StockTake> find(qint64 id);
    // This connection takes part in the stock-take (its own row of LELTARGEP), committed.
    void join(qint64 id);

    // --- reading ear tags
    // Stores one reading (committed) and answers what the register says of the ear tag. A closed
    // stock-take raises StockTakeClosed; a closing under way at another desk raises fb::Error with
    // a lock conflict, nothing stored.
    ScanAnswer addReading(qint64 id, const QString& earTag);
    // Stores every ear tag (a reader's file) in one transaction: all of them or, on any failure,
    // none. progress(done) is called every few hundred rows and may answer false to cancel (then
    // nothing is stored and false is returned).
    bool addReadings(qint64 id, const QStringList& earTags, const std::function<bool(qint64)>& progress = {});
    // Readings stored in the stock-take at every desk, as the desks' own counts have them: cheap, to
    // see whether another desk added some.
    qint64 readingCount(qint64 id);

    // --- the lists
    // The three counts. An open stock-take against the register as it is now (its missing count
    // reads every live arrival); a closed one as it was closed.
    StockTakeCounts counts(const StockTake& take);
    // Of an open stock-take only what its readings give (found, unregistered, readings; missing
    // left 0): no arrival is read, so it is cheap to ask again after other desks' readings.
    StockTakeCounts countsOfReadings(const StockTake& take);
    // The lists a grid shows, in ear-tag order, read a screenful at a time: of an open stock-take
    // against the register as it is now (days on site up to today), of a closed one as frozen.
    // found: RFULSZAM, RBESZKELT (latest arrival), RNAPOK (days on site, the arrival day not
    // counted), RFELADO (its sender), RELSO (first reading, "yyyy.MM.dd hh:mm:ss"), RDB (readings),
    // RJELZES ("2× olvasva" for an ear tag read more than once).
    void openFound(Dataset& rows, const StockTake& take, const QDate& today);
    // missing: RFULSZAM, RBESZKELT, RNAPOK, RFELADO. A grid reads it a screenful at a time; a
    // printout reads it whole, which at a large site is quicker worked out in one pass.
    enum class ListReading { ByScreenful, Whole };
    void openMissing(Dataset& rows, const StockTake& take, const QDate& today,
                     ListReading reading = ListReading::ByScreenful);
    // unregistered: RFULSZAM, RELSO, RDB, RJELZES, RMOZGAS (the last known pass, or
    // kNeverRegistered), RMDATUM (its date), RMPARTNER (its buyer or sender).
    void openUnregistered(Dataset& rows, const StockTake& take);
    // Every stock-take, the newest first: IDL, LKEZDET, LFELHASZNALO, LGEP, LLEZARVA, LLEZARTA,
    // LLEZAROGEP, LDB (its readings).
    void openStockTakeList(Dataset& rows);

    // --- closing
    // Closes the stock-take: its three lists are frozen as they stand against the register now
    // (days on site up to today), in one transaction with the closing, committed. A stock-take
    // closed meanwhile raises StockTakeClosed; a reading in flight at another desk, or another desk
    // closing it at the same moment, a lock conflict (fb::Error) — nothing changed.
    void close(qint64 id, const QDate& today);

private:
    // A statement of the store's own transaction, prepared once per connection.
    fb::Statement& statement(const QString& sql);
    // Runs work in the store's own transaction and commits; any failure rolls it back.
    template <typename Work>
    auto inOwnTransaction(Work work);
    void dropStatements();
    std::optional<StockTake> readStockTake(const QString& condition, qint64 id);

    Database& m_database;
    Arrivals& m_arrivals;
    QString m_deskName;
    fb::Transaction m_transaction;
    std::map<QString, std::unique_ptr<fb::Statement>> m_statements;
    Dataset m_counts;  // the open stock-take's counts, left open on the last read
};

// How the lists name an ear tag that neither the live nor the archived tables have ever held.
inline const QString kNeverRegistered = QStringLiteral("nem szerepelt a nyilvántartásban");
