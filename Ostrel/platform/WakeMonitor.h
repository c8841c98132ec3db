#pragma once
// Tells when the computer wakes from sleep: logind's PrepareForSleep(false) on
// the system bus where logind runs, otherwise a clock check that notices much
// more wall time passing than the monotonic clock counted (the monotonic clock
// stands still while the machine sleeps).

#include <functional>
#include <optional>

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include "base/WallClock.h"

namespace ostrel {

class WakeMonitor : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        /// The bus logind is looked for on; absent means the clock check only.
        std::optional<QDBusConnection> bus = QDBusConnection::systemBus();
        /// How often the clock check looks (milliseconds).
        int checkInterval = 60000;
        /// Wall time beyond the monotonic time that counts as a sleep (seconds).
        double jumpThreshold = 30;
        Clock wallClock = wallClockNow;
        /// Monotonic seconds that stop while the machine sleeps.
        std::function<double()> monotonicClock;
    };

    WakeMonitor();
    explicit WakeMonitor(Options options, QObject* parent = nullptr);

    /// True when logind's signal is used; false when the clock check is.
    [[nodiscard]] bool usesLogind() const
    {
        return m_usesLogind;
    }

    /// One round of the clock check; the timer calls it.
    void checkClock();

Q_SIGNALS:
    void woke();

private Q_SLOTS:
    void prepareForSleep(bool starting);

private:
    [[nodiscard]] bool subscribeToLogind(QDBusConnection bus);

    Options m_options;
    QElapsedTimer m_monotonic;
    QTimer m_checkTimer;
    bool m_usesLogind = false;
    Date m_lastWall;
    double m_lastMonotonic = 0;
};

}  // namespace ostrel
