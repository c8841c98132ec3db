#include "platform/WakeMonitor.h"

#include <QDBusConnectionInterface>

namespace ostrel {
namespace {

const QString login1Service = QStringLiteral("org.freedesktop.login1");

}  // namespace

WakeMonitor::WakeMonitor()
    : WakeMonitor(Options{})
{}

WakeMonitor::WakeMonitor(Options options, QObject* parent)
    : QObject(parent)
    , m_options(std::move(options))
{
    if (m_options.bus && subscribeToLogind(*m_options.bus)) {
        m_usesLogind = true;
        return;
    }
    m_monotonic.start();
    if (!m_options.monotonicClock) {
        m_options.monotonicClock = [this] {
            return static_cast<double>(m_monotonic.elapsed()) / 1000.0;
        };
    }
    m_lastWall = m_options.wallClock();
    m_lastMonotonic = m_options.monotonicClock();
    m_checkTimer.setTimerType(Qt::VeryCoarseTimer);
    m_checkTimer.setInterval(m_options.checkInterval);
    connect(&m_checkTimer, &QTimer::timeout, this, &WakeMonitor::checkClock);
    m_checkTimer.start();
}

bool WakeMonitor::subscribeToLogind(QDBusConnection bus)
{
    if (!bus.isConnected() || bus.interface() == nullptr || !bus.interface()->isServiceRegistered(login1Service)) {
        return false;
    }
    return bus.connect(login1Service,
                       QStringLiteral("/org/freedesktop/login1"),
                       QStringLiteral("org.freedesktop.login1.Manager"),
                       QStringLiteral("PrepareForSleep"),
                       this,
                       SLOT(prepareForSleep(bool)));
}

void WakeMonitor::prepareForSleep(bool starting)
{
    // The same signal announces the sleep (true) and the wake (false).
    if (!starting) {
        Q_EMIT woke();
    }
}

void WakeMonitor::checkClock()
{
    const Date wall = m_options.wallClock();
    const double monotonic = m_options.monotonicClock();
    const double wallElapsed = (wall - m_lastWall).count();
    const double monotonicElapsed = monotonic - m_lastMonotonic;
    m_lastWall = wall;
    m_lastMonotonic = monotonic;
    if (wallElapsed - monotonicElapsed > m_options.jumpThreshold) {
        Q_EMIT woke();
    }
}

}  // namespace ostrel
