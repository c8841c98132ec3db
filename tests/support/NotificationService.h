#pragma once
// The notification service of a private session bus (the dbus suite runs
// under dbus-run-session): it records every well-formed Notify call and
// answers it as a server would.

#include <mutex>
#include <vector>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QVariantMap>

namespace ostrel::testing {

class NotificationService : public QDBusVirtualObject
{
public:
    struct Call
    {
        QString appName;
        QString summary;
        QString body;
        QVariantMap hints;
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
        m_calls.push_back({.appName = args[0].toString(),
                           .summary = args[3].toString(),
                           .body = args[4].toString(),
                           .hints = qdbus_cast<QVariantMap>(args[6])});
        connection.send(message.createReply(QVariant::fromValue(static_cast<uint>(m_calls.size()))));
        return true;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<Call> m_calls;
};

}  // namespace ostrel::testing
