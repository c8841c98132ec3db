#include "platform/ConnectivityMonitor.h"

#include <utility>

namespace ostrel {

ConnectivityMonitor::ConnectivityMonitor(QDBusConnection bus, QObject* parent)
    : QObject(parent)
{
    // Subscribed by name, whether or not NetworkManager runs now: the bus
    // passes its signals on from whichever process takes the name. No bus at
    // all (a container, a minimal system) simply leaves the monitor silent.
    bus.connect(QStringLiteral("org.freedesktop.NetworkManager"),
                QStringLiteral("/org/freedesktop/NetworkManager"),
                QStringLiteral("org.freedesktop.NetworkManager"),
                QStringLiteral("StateChanged"),
                this,
                SLOT(stateChanged(uint)));
}

void ConnectivityMonitor::stateChanged(uint state)
{
    const uint before = std::exchange(m_state, state);
    if (state == connectedGlobal && before < connectedGlobal) {
        Q_EMIT backOnline();
    }
}

}  // namespace ostrel
