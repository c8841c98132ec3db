#pragma once
// The notification service of a private session bus: it records every
// well-formed Notify call and answers it as a server would. The bus may call
// it from its own thread, so what it records is guarded.

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
        int urgency = -1;  ///< the hint's value; -1 without one
    };

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
                           .urgency = urgency.isValid() ? urgency.toInt() : -1});
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

    NotificationService service;
    // A connection of its own, so calls to the service travel through the bus.
    QDBusConnection serviceBus =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("notification-service"));
};

}  // namespace ostrel::testing
