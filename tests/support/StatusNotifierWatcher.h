#pragma once
// The StatusNotifierWatcher a panel runs on the session bus, with a host
// registered: it records every item registration. It describes its properties
// in its introspection, as Qt reads them from there. The bus may call it from
// its own thread, so what it records is guarded.

#include <mutex>
#include <vector>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QStringList>
#include <QVariantMap>

namespace ostrel::testing {

class StatusNotifierWatcher : public QDBusVirtualObject
{
public:
    static constexpr const char* service = "org.kde.StatusNotifierWatcher";
    static constexpr const char* path = "/StatusNotifierWatcher";

    /// The arguments of every RegisterStatusNotifierItem call, in order.
    [[nodiscard]] QStringList items() const
    {
        const std::lock_guard lock(m_mutex);
        return m_items;
    }

    QString introspect(const QString& /*path*/) const override
    {
        return QStringLiteral(
            "<interface name=\"org.kde.StatusNotifierWatcher\">"
            "<method name=\"RegisterStatusNotifierItem\"><arg name=\"service\" type=\"s\" direction=\"in\"/></method>"
            "<method name=\"RegisterStatusNotifierHost\"><arg name=\"service\" type=\"s\" direction=\"in\"/></method>"
            "<property name=\"RegisteredStatusNotifierItems\" type=\"as\" access=\"read\"/>"
            "<property name=\"IsStatusNotifierHostRegistered\" type=\"b\" access=\"read\"/>"
            "<property name=\"ProtocolVersion\" type=\"i\" access=\"read\"/>"
            "<signal name=\"StatusNotifierItemRegistered\"><arg type=\"s\"/></signal>"
            "</interface>");
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        const QString member = message.member();
        if (member == QStringLiteral("RegisterStatusNotifierItem") && message.signature() == QStringLiteral("s")) {
            const std::lock_guard lock(m_mutex);
            m_items.append(message.arguments().front().toString());
            connection.send(message.createReply());
        } else if (member == QStringLiteral("RegisterStatusNotifierHost")) {
            connection.send(message.createReply());
        } else if (member == QStringLiteral("Get") && message.signature() == QStringLiteral("ss")) {
            const QVariant value = properties().value(message.arguments().value(1).toString());
            connection.send(value.isValid() ? message.createReply(QVariant::fromValue(QDBusVariant(value)))
                                            : message.createErrorReply(QDBusError::InvalidArgs,
                                                                       QStringLiteral("no such property")));
        } else if (member == QStringLiteral("GetAll")) {
            connection.send(message.createReply(properties()));
        } else {
            connection.send(message.createErrorReply(QDBusError::UnknownMethod, QStringLiteral("not served")));
        }
        return true;
    }

private:
    [[nodiscard]] QVariantMap properties() const
    {
        const std::lock_guard lock(m_mutex);
        return {{QStringLiteral("RegisteredStatusNotifierItems"), m_items},
                {QStringLiteral("IsStatusNotifierHostRegistered"), true},
                {QStringLiteral("ProtocolVersion"), 0}};
    }

    mutable std::mutex m_mutex;
    QStringList m_items;
};

}  // namespace ostrel::testing
