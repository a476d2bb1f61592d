#include "storage/work_locks.h"

#include "core/database.h"
#include "db/database_settings.h"

#include <algorithm>

namespace {

// Another transaction inserted the row and has not committed: the same as holding it.
constexpr long kUniqueKeyViolation = 335544665L;
constexpr long kNoDuplicates = 335544349L;
// GERUNDO_LOCK unknown: a database made by a version before the claims.
constexpr long kTableUnknown = 335544580L;

const QString kTryAgain = QStringLiteral("\nPróbálja újra, ha ott befejezték, és bezárták azt az ablakot.");

}  // namespace

QString lockName(SharedWork work)
{
    switch (work) {
    case SharedWork::EarTagWorkTable: return QStringLiteral("FULSZAM");
    case SharedWork::SenderRanges: return QStringLiteral("FULSZAM0");
    case SharedWork::TakeoverStaging: return QStringLiteral("KISZALL1");
    case SharedWork::DepartureMoves: return QStringLiteral("KISZALL");
    }
    return {};
}

QString busyMessage(SharedWork work)
{
    switch (work) {
    case SharedWork::EarTagWorkTable:
        return QStringLiteral("Foglalt: a FULSZAM fülszám-munkatáblát most egy másik gép használja "
                              "(nyomtatás, beszállító fülszámai, arhiválás vagy visszavonás).") + kTryAgain;
    case SharedWork::SenderRanges:
        return QStringLiteral("Foglalt: a FULSZAM0 fülszám-tartomány táblát most egy másik gép használja "
                              "(beszállító fülszámai).") + kTryAgain;
    case SharedWork::TakeoverStaging:
        return QStringLiteral("Foglalt: a KISZALL1 átvételi táblát most egy másik gép használja (adatátvétel).")
            + kTryAgain;
    case SharedWork::DepartureMoves:
        return QStringLiteral("Foglalt: a kiszállítások áthelyezése vagy törlése most egy másik gépen folyik "
                              "(arhiválás, visszavonás vagy kiszállítás törlése).") + kTryAgain;
    }
    return {};
}

// ---------------------------------------------------------------- WorkLocks

WorkLocks::WorkLocks(Database& database) : m_database(database)
{
    connect(&database, &Database::transactionEnded, this, &WorkLocks::sharedTransactionEnded);
    // Claims are transactions of their own on the connection: they end before it does.
    connect(&database, &Database::disconnecting, this, &WorkLocks::releaseAll);
}

WorkLocks::~WorkLocks() { releaseAll(); }

WorkLocks::Outcome WorkLocks::claim(SharedWork work)
{
    const auto held = m_claims.find(work);
    if (held != m_claims.end()) {
        ++held->second.count;
        std::erase(m_untilSharedEnds, work);
        return Outcome::Claimed;
    }
    auto transaction = std::make_unique<fb::Transaction>();
    try {
        fb::Attachment& attachment = m_database.connection().attachment();
        transaction->start(attachment);
        fb::Statement take(attachment, *transaction,
                           QStringLiteral("UPDATE OR INSERT INTO GERUNDO_LOCK (NAME, TAKEN) "
                                          "VALUES (:name, CURRENT_TIMESTAMP) MATCHING (NAME)"));
        take.bind(QStringLiteral("name"), fb::Value::fromText(lockName(work)));
        take.execute();
    } catch (const fb::Error& e) {
        transaction.reset();  // rolled back: nothing is held
        if (e.isLockConflict() || e.hasCode(kUniqueKeyViolation) || e.hasCode(kNoDuplicates))
            return Outcome::Busy;
        if (dbsettings::isOnServer(m_database.connection().params.database)) {
            if (e.hasCode(kTableUnknown))
                throw fb::Error(QStringLiteral("Az adatbázisban nincs GERUNDO_LOCK tábla, így nem védhető, hogy "
                                               "két gép egyszerre ne végezze ugyanazt a munkát. Az adatbázist a "
                                               "\"gerundo-mkdb --upgrade\" paranccsal kell frissíteni."),
                                e.code(), e.codes());
            throw;
        }
        // The only desk: no other can hold the work, and what keeps failing is reported by the
        // work itself.
    }
    m_claims[work] = Claim{std::move(transaction), 1};
    return Outcome::Claimed;
}

void WorkLocks::release(SharedWork work)
{
    const auto held = m_claims.find(work);
    if (held == m_claims.end())
        return;
    if (--held->second.count > 0)
        return;
    end(work);
}

void WorkLocks::releaseWithSharedTransaction(SharedWork work)
{
    const auto held = m_claims.find(work);
    if (held == m_claims.end())
        return;
    if (held->second.count > 1 || !m_database.transaction().inTransaction()) {
        release(work);
        return;
    }
    held->second.count = 0;
    if (std::find(m_untilSharedEnds.begin(), m_untilSharedEnds.end(), work) == m_untilSharedEnds.end())
        m_untilSharedEnds.push_back(work);
}

bool WorkLocks::holds(SharedWork work) const { return m_claims.count(work) > 0; }

void WorkLocks::sharedTransactionEnded()
{
    const std::vector<SharedWork> pending = std::move(m_untilSharedEnds);
    m_untilSharedEnds.clear();
    for (SharedWork work : pending)
        end(work);
}

void WorkLocks::releaseAll()
{
    m_untilSharedEnds.clear();
    while (!m_claims.empty())
        end(m_claims.begin()->first);
}

void WorkLocks::end(SharedWork work)
{
    const auto held = m_claims.find(work);
    if (held == m_claims.end())
        return;
    std::unique_ptr<fb::Transaction> transaction = std::move(held->second.transaction);
    m_claims.erase(held);
    std::erase(m_untilSharedEnds, work);
    if (!transaction)
        return;
    try {
        transaction->rollback();
    } catch (const fb::Error&) {
        // A lost connection took the claim with it; the handle goes with the transaction object.
    }
}

// ---------------------------------------------------------------- WorkClaim

WorkClaim::WorkClaim(WorkLocks& locks, std::vector<SharedWork> works) : m_works(std::move(works)), m_locks(&locks)
{
}

WorkClaim::~WorkClaim() { release(); }

WorkClaim::Result WorkClaim::claim()
{
    if (m_claimed)
        return Result::Claimed;
    if (!m_locks) {
        m_failure = fb::notConnectedMessage();
        return Result::Failed;
    }
    WorkLocks& locks = *m_locks;
    m_failure.clear();
    std::vector<SharedWork> taken;
    auto undo = [&] {
        for (SharedWork work : taken)
            locks.release(work);
    };
    try {
        for (SharedWork work : m_works) {
            if (locks.claim(work) == WorkLocks::Outcome::Busy) {
                undo();
                m_busy = work;
                return Result::Busy;
            }
            taken.push_back(work);
        }
    } catch (const fb::Error& e) {
        undo();
        m_failure = e.message();
        return Result::Failed;
    }
    m_claimed = true;
    return Result::Claimed;
}

void WorkClaim::release() { letGo(&WorkLocks::release); }

void WorkClaim::releaseWithSharedTransaction() { letGo(&WorkLocks::releaseWithSharedTransaction); }

void WorkClaim::letGo(void (WorkLocks::*how)(SharedWork))
{
    if (!m_claimed)
        return;
    m_claimed = false;
    if (WorkLocks* locks = m_locks.data())
        for (SharedWork work : m_works)
            (locks->*how)(work);
}
