#include "ui/sharedwork.h"

#include "ui/platform.h"

#include <QDialog>

SharedWorkGuard::SharedWorkGuard(WorkLocks& locks, QDialog* screen, std::vector<SharedWork> works)
    : m_screen(screen), m_claim(locks, std::move(works))
{
    QObject::connect(screen, &QDialog::finished, screen, [this] { letGo(); });
}

SharedWorkGuard::~SharedWorkGuard() { letGo(); }

void SharedWorkGuard::letGo()
{
    if (m_untilCommitted)
        m_claim.releaseWithSharedTransaction();
    else
        m_claim.release();
    m_untilCommitted = false;
}

bool SharedWorkGuard::take()
{
    switch (m_claim.claim()) {
    case WorkClaim::Result::Claimed:
        return true;
    case WorkClaim::Result::Busy:
        platform::showMessage(m_screen, busyMessage(m_claim.busyWork()));
        return false;
    case WorkClaim::Result::Failed:
        platform::showError(m_screen, m_claim.failure());
        return false;
    }
    return false;
}
