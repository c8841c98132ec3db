#include "platform/TrayHost.h"

#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QFile>
#include <QSystemTrayIcon>

namespace ostrel {
namespace {

// One X round trip a second: cheap, and quick enough for a tray started by hand.
constexpr std::chrono::milliseconds embeddedPollInterval{1000};

}  // namespace

TrayHost::TrayHost(QDBusConnection bus, bool embedding, std::chrono::milliseconds grace, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_embedding(embedding)
    , m_watcher(QString::fromLatin1(watcherService),
                m_bus,
                QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration)
{
    m_missingTimer.setSingleShot(true);
    m_missingTimer.setInterval(grace);
    connect(&m_missingTimer, &QTimer::timeout, this, [this] {
        if (!m_present) {
            Q_EMIT missing();
        }
    });
}

void TrayHost::start()
{
    connect(&m_watcher, &QDBusServiceWatcher::serviceRegistered, this, &TrayHost::update);
    connect(&m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, &TrayHost::update);
    if (m_embedding) {
        // The X11 platform announces the tray manager's coming and going only to
        // its private interface, so the manager is asked for now and then instead.
        connect(&m_embeddedPoll, &QTimer::timeout, this, &TrayHost::update);
        m_embeddedPoll.start(embeddedPollInterval);
    }
    m_present = hostNow();
    if (m_present) {
        Q_EMIT appeared();
    } else {
        m_missingTimer.start();
    }
}

void TrayHost::update()
{
    const bool now = hostNow();
    if (now == m_present) {
        return;
    }
    m_present = now;
    if (now) {
        m_missingTimer.stop();
        Q_EMIT appeared();
    } else {
        m_missingTimer.start();
    }
}

bool TrayHost::watcherRegistered(const QDBusConnection& bus)
{
    const QDBusConnectionInterface* names = bus.isConnected() ? bus.interface() : nullptr;
    return names != nullptr && names->isServiceRegistered(QString::fromLatin1(watcherService)).value();
}

bool TrayHost::newItemsGoLast(const QDBusConnection& bus)
{
    const QByteArray program = watcherProgram(bus);
    return program == "waybar" || program == "lxqt-panel";
}

QByteArray TrayHost::watcherProgram(const QDBusConnection& bus)
{
    const QDBusConnectionInterface* names = bus.isConnected() ? bus.interface() : nullptr;
    if (names == nullptr) {
        return {};
    }
    const QDBusReply<uint> pid = names->servicePid(QString::fromLatin1(watcherService));
    if (!pid.isValid()) {
        return {};
    }
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid.value()));
    if (!comm.open(QIODevice::ReadOnly)) {
        return {};
    }
    return comm.readAll().trimmed();
}

bool TrayHost::hostNow() const
{
    // Qt's answer on X11 covers the XEmbed tray manager.
    return watcherRegistered(m_bus) || (m_embedding && QSystemTrayIcon::isSystemTrayAvailable());
}

}  // namespace ostrel
