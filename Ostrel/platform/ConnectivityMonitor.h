#pragma once
// Tells when the computer is back on the internet: NetworkManager's overall
// state rising to "connected, global" from a lower one, as its StateChanged
// signal on the system bus says. Without NetworkManager nothing is told and
// nothing polls; a NetworkManager that starts later is heard from then on.

#include <QDBusConnection>
#include <QObject>

namespace ostrel {

class ConnectivityMonitor : public QObject
{
    Q_OBJECT

public:
    /// NetworkManager's NM_STATE_CONNECTED_GLOBAL: the internet is reachable.
    static constexpr uint connectedGlobal = 70;

    /// Listens on `bus`, where NetworkManager is looked for.
    explicit ConnectivityMonitor(QDBusConnection bus = QDBusConnection::systemBus(), QObject* parent = nullptr);

Q_SIGNALS:
    /// The state rose to connected-global; a repeat of the same state is not told again.
    void backOnline();

private Q_SLOTS:
    void stateChanged(uint state);

private:
    /// NetworkManager's "unknown" until it tells of a change, so its first
    /// connected-global counts: it tells only of changes.
    uint m_state = 0;
};

}  // namespace ostrel
