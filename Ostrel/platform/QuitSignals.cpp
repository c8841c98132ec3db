#include "platform/QuitSignals.h"

#include <sys/signalfd.h>

#include <csignal>
#include <string>

#include <QCoreApplication>
#include <QSocketNotifier>

namespace ostrel {
sigset_t QuitSignals::signalSet()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

void QuitSignals::block()
{
    const sigset_t set = signalSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

QuitSignals::QuitSignals(QObject* parent)
    : QObject(parent)
{
    const sigset_t set = signalSet();
    m_signals = posix::UniqueFd(::signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK));
    if (!m_signals.isOpen()) {
        pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        return;
    }
    m_notifier = new QSocketNotifier(m_signals.get(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitSignals::quitOnSignal);
}

void QuitSignals::quitOnSignal()
{
    // Consumed, so the notifier does not fire again for the same signal.
    std::string records;
    for (auto read = posix::readSome(m_signals.get(), records, sizeof(signalfd_siginfo)); read && *read > 0;
         read = posix::readSome(m_signals.get(), records, sizeof(signalfd_siginfo))) {
        records.clear();
    }
    QCoreApplication::quit();
}

}  // namespace ostrel

// Compiled here rather than with the room's other meta-objects, so that the
// command, which needs only this adapter, pulls in none of the bus adapters.
#include "moc_QuitSignals.cpp"  // NOLINT(bugprone-suspicious-include): the meta-object code, compiled here on purpose
