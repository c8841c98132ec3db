#pragma once
// The desktop's side of the tray for bus tests: a StatusNotifierWatcher that
// records what registers with it, served on a connection of its own as a
// panel would, and calls made over the bus without blocking the event loop
// that serves what is being called.

#include <chrono>
#include <mutex>
#include <vector>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVirtualObject>
#include <gtest/gtest.h>

#include "platform/TrayHost.h"
#include "support/EventLoop.h"

namespace ostrel::testing {

inline const QString watcherName = QString::fromLatin1(TrayHost::watcherService);

/// A panel's connection holding the watcher's name and object while it lives.
class WatcherOnBus : public QDBusVirtualObject
{
public:
    explicit WatcherOnBus(const QString& connectionName)
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName))
    {
        EXPECT_TRUE(m_bus.isConnected()) << "no session bus: run under dbus-run-session";
        EXPECT_TRUE(m_bus.registerVirtualObject(QStringLiteral("/StatusNotifierWatcher"), this));
        EXPECT_TRUE(m_bus.registerService(watcherName));
    }

    ~WatcherOnBus() override
    {
        m_bus.unregisterService(watcherName);
        m_bus.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
        QDBusConnection::disconnectFromBus(m_bus.name());
    }

    WatcherOnBus(const WatcherOnBus&) = delete;
    WatcherOnBus& operator=(const WatcherOnBus&) = delete;

    /// The names (or "sender/path") the items registered under, in the order they came.
    [[nodiscard]] std::vector<QString> registered() const
    {
        const std::lock_guard lock(m_mutex);
        return m_registered;
    }

    QString introspect(const QString& /*path*/) const override
    {
        return {};
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.member() != QStringLiteral("RegisterStatusNotifierItem")
            || message.signature() != QStringLiteral("s")) {
            connection.send(message.createErrorReply(QDBusError::UnknownMethod, QStringLiteral("not served")));
            return true;
        }
        const QString service = message.arguments().front().toString();
        const std::lock_guard lock(m_mutex);
        m_registered.push_back(service.startsWith(QLatin1Char('/')) ? message.service() + service : service);
        connection.send(message.createReply());
        return true;
    }

private:
    QDBusConnection m_bus;
    mutable std::mutex m_mutex;
    std::vector<QString> m_registered;
};

/// The reply to `call`, which the event loop keeps serving meanwhile.
[[nodiscard]] inline QDBusMessage callOverBus(const QDBusMessage& call)
{
    const QDBusPendingCall pending = QDBusConnection::sessionBus().asyncCall(call);
    EXPECT_TRUE(spinUntil([&] { return pending.isFinished(); }, std::chrono::seconds(5)));
    return pending.reply();
}

}  // namespace ostrel::testing
