#pragma once

#include "storage/work_locks.h"

#include <vector>

class QDialog;

// A screen's guard over the work it shares with the other desks on one database (core/worklock.h):
// take() before the work claims it, or tells the person that another desk is doing it; the claim
// lasts until the screen closes, so the later steps of the screen (printing what "Kiválaszt" built,
// posting what "Beolvasás" read) find what this desk left there.
class SharedWorkGuard {
public:
    SharedWorkGuard(WorkLocks& locks, QDialog* screen, std::vector<SharedWork> works);
    ~SharedWorkGuard();
    SharedWorkGuard(const SharedWorkGuard&) = delete;
    SharedWorkGuard& operator=(const SharedWorkGuard&) = delete;

    // True when this desk may do the work now. Otherwise the person has read why not: which work
    // another desk is doing, or (on a server) what failed.
    bool take();
    // The work done is pending in the shared transaction (a deletion without a commit of its own):
    // after the screen closes the claim lasts until that transaction ends.
    void keepUntilCommitted() { m_untilCommitted = true; }

private:
    void letGo();

    QDialog* m_screen;
    WorkClaim m_claim;
    bool m_untilCommitted = false;
};
