#pragma once
// SIGTERM, SIGINT and SIGHUP as a normal quit of the application: the signals
// are blocked in every thread and read from a signalfd by the event loop, so
// the run ends through QCoreApplication::quit() and everything is torn down in
// order (outside programs ended, the store's workers joined) before exit 0.

#include <csignal>

#include <QObject>

#include "posix/UniqueFd.h"

class QSocketNotifier;

namespace ostrel {

class QuitSignals : public QObject
{
    Q_OBJECT

public:
    /// Blocks the three signals in the calling thread. Call it first in main,
    /// before any thread starts, so that every thread inherits the block.
    static void block();

    /// The three signals, for a run without an event loop that reads them itself.
    [[nodiscard]] static sigset_t signalSet();

    /// Quits the application when one of them arrives. Without a signalfd the
    /// signals are unblocked again, so they still end the run as before.
    explicit QuitSignals(QObject* parent = nullptr);

private:
    void quitOnSignal();

    posix::UniqueFd m_signals;
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace ostrel
