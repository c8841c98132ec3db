#pragma once
// The notification service of a private session bus: it records every
// well-formed Notify call and answers it, and GetCapabilities, as a server
// would. The bus may call it from its own thread, so what it records is
// guarded.

#include <atomic>
#include <mutex>
#include <vector>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <gtest/gtest.h>

#include "platform/DesktopNotifier.h"

namespace ostrel::testing {

class NotificationService : public QDBusVirtualObject
{
public:
    struct Call
    {
        QString summary;
        QString body;
        int urgency = -1;     ///< the hint's value; -1 without one
        QStringList actions;  ///< as sent: a key, then its label
    };

    /// Whether GetCapabilities lists "actions"; set before the first post.
    std::atomic<bool> offersActions = false;
    std::atomic<int> capabilityRequests = 0;

    [[nodiscard]] std::vector<Call> calls() const
    {
        const std::lock_guard lock(m_mutex);
        return m_calls;
    }

    QString introspect(const QString& /*path*/) const override
    {
        return {};
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.member() == QStringLiteral("GetCapabilities")) {
            ++capabilityRequests;
            const QStringList capabilities = offersActions
                                                 ? QStringList{QStringLiteral("body"), QStringLiteral("actions")}
                                                 : QStringList{QStringLiteral("body")};
            connection.send(message.createReply(capabilities));
            return true;
        }
        if (message.member() != QStringLiteral("Notify") || message.signature() != QStringLiteral("susssasa{sv}i")) {
            connection.send(message.createErrorReply(QDBusError::UnknownMethod, QStringLiteral("not served")));
            return true;
        }
        const QList<QVariant> args = message.arguments();
        const std::lock_guard lock(m_mutex);
        const auto hints = qdbus_cast<QVariantMap>(args[6]);
        const QVariant urgency = hints.value(QStringLiteral("urgency"));
        m_calls.push_back({.summary = args[3].toString(),
                           .body = args[4].toString(),
                           .urgency = urgency.isValid() ? urgency.toInt() : -1,
                           .actions = args[5].toStringList()});
        connection.send(message.createReply(QVariant::fromValue(static_cast<uint>(m_calls.size()))));
        return true;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<Call> m_calls;
};

/// A test with the notification service on the session bus, under the name
/// and path the notifier calls, for each test in turn.
class NotificationServiceTest : public ::testing::Test
{
public:
    void SetUp() override
    {
        ASSERT_TRUE(serviceBus.isConnected()) << "no session bus: run under dbus-run-session";
        ASSERT_TRUE(serviceBus.registerVirtualObject(QString::fromLatin1(DesktopNotifier::path), &service));
        ASSERT_TRUE(serviceBus.registerService(QString::fromLatin1(DesktopNotifier::service)));
    }

    /// Also what a test calls to take the service away.
    void TearDown() override
    {
        serviceBus.unregisterService(QString::fromLatin1(DesktopNotifier::service));
        serviceBus.unregisterObject(QString::fromLatin1(DesktopNotifier::path));
        QDBusConnection::disconnectFromBus(serviceBus.name());
    }

    /// What a server sends when the user chooses `key` on notification `id`
    /// (the Notify call's number, from 1), or closes it when `key` is empty:
    /// a signal from the service's own connection.
    void signal(uint id, const QString& key) const
    {
        QDBusMessage message = QDBusMessage::createSignal(QString::fromLatin1(DesktopNotifier::path),
                                                          QString::fromLatin1(DesktopNotifier::interface),
                                                          key.isEmpty() ? QStringLiteral("NotificationClosed")
                                                                        : QStringLiteral("ActionInvoked"));
        message << id;
        message << (key.isEmpty() ? QVariant::fromValue(2U) : QVariant(key));
        ASSERT_TRUE(serviceBus.send(message));
    }

    NotificationService service;
    // A connection of its own, so calls to the service travel through the bus.
    QDBusConnection serviceBus =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("notification-service"));
};

}  // namespace ostrel::testing
