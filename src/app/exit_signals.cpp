#include "app/exit_signals.h"

#include <QSocketNotifier>

#include <csignal>
#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {
sigset_t exitSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    sigaddset(&set, SIGINT);
    return set;
}
}  // namespace

void ExitSignals::holdBack()
{
    const sigset_t set = exitSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

ExitSignals::ExitSignals(QObject* parent) : QObject(parent)
{
    const sigset_t set = exitSignals();
    m_fd = ::signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    if (m_fd < 0)
        return;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ExitSignals::readSignal);
}

ExitSignals::~ExitSignals()
{
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

void ExitSignals::readSignal()
{
    signalfd_siginfo info{};
    while (::read(m_fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
        emit received(static_cast<int>(info.ssi_signo));
}
