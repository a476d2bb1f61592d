#pragma once

#include "db/client.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <map>
#include <memory>
#include <vector>

class Database;

// Work that every desk on one database does in the same tables, so that two desks must not do it
// at the same time: the work tables are emptied and refilled whole, and the moves and deletions of
// departures take whole days. Each kind of work is one row of GERUNDO_LOCK.
enum class SharedWork {
    EarTagWorkTable,  // FULSZAM: the delivery printouts, a sender's ranges, archiving and withdrawal
    SenderRanges,     // FULSZAM0: a sender's ranges
    TakeoverStaging,  // KISZALL1: the takeover's read and its posting
    DepartureMoves,   // moving a dispatch day into the archive or back, deleting every departure
};

// The work's row in GERUNDO_LOCK.
QString lockName(SharedWork work);
// What the person at a desk reads when another desk holds the work.
QString busyMessage(SharedWork work);

// The work this program has claimed. A claim is an update of the work's row in a transaction of its
// own (read committed, nowait) on the program's connection, never committed: another desk's update of
// that row fails at once, and the claim ends with that transaction. Not in the shared transaction,
// whose commits come in the middle of the work (a printout commits its work table, then reads it)
// and would let the claim go with them. A desk that dies loses its connection and with it the claim.
//
// With the embedded engine the program is the only desk (the file is opened exclusively): a claim
// is one short update that never finds the row taken, and a database without GERUNDO_LOCK (made by
// an older version) claims nothing. Claims are counted: the same work claimed twice by this
// program (a screen over another) is held once and let go with its last release.
class WorkLocks : public QObject {
    Q_OBJECT
public:
    explicit WorkLocks(Database& database);
    ~WorkLocks() override;

    enum class Outcome { Claimed, Busy };
    // Claims the work: Busy when another desk holds it. A failure of its own (a lost server, a
    // database without GERUNDO_LOCK on a server) raises fb::Error.
    Outcome claim(SharedWork work);
    void release(SharedWork work);
    // The work left changes pending in the shared transaction: the claim lasts until that ends.
    void releaseWithSharedTransaction(SharedWork work);
    bool holds(SharedWork work) const;

    // Ends every claim (done when the connection closes).
    void releaseAll();

private:
    struct Claim {
        std::unique_ptr<fb::Transaction> transaction;  // null when nothing had to be held
        int count = 0;
    };
    void end(SharedWork work);
    // The shared transaction ended: the work that waited for it is let go.
    void sharedTransactionEnded();

    Database& m_database;
    std::map<SharedWork, Claim> m_claims;
    std::vector<SharedWork> m_untilSharedEnds;
};

// A screen's claim on the work it shares with other desks: claimed before the work, let go by
// release() or when the claim is destroyed.
class WorkClaim {
public:
    WorkClaim(WorkLocks& locks, std::vector<SharedWork> works);
    ~WorkClaim();
    WorkClaim(const WorkClaim&) = delete;
    WorkClaim& operator=(const WorkClaim&) = delete;

    enum class Result { Claimed, Busy, Failed };
    // Claims every work named, all or none; once claimed, later calls claim nothing more.
    // Busy: busyWork() is held by another desk. Failed: failure() says why.
    Result claim();
    bool claimed() const { return m_claimed; }
    SharedWork busyWork() const { return m_busy; }
    const QString& failure() const { return m_failure; }

    void release();
    // The claimed work is pending in the shared transaction (a deletion not yet committed): the
    // claims end with that transaction, not before.
    void releaseWithSharedTransaction();

private:
    void letGo(void (WorkLocks::*how)(SharedWork));

    std::vector<SharedWork> m_works;
    QPointer<WorkLocks> m_locks;
    bool m_claimed = false;
    SharedWork m_busy = SharedWork::EarTagWorkTable;
    QString m_failure;
};
