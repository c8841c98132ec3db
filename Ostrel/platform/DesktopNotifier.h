#pragma once
// Posts desktop notifications through the freedesktop notification service on
// the session bus. Delivery is best effort: a missing service, a refusal or
// any bus error is swallowed, and the returned future finishes either way.

#include <QDBusConnection>
#include <QFuture>
#include <QObject>
#include <QString>

namespace ostrel {

class DesktopNotifier : public QObject
{
    Q_OBJECT

public:
    static constexpr const char* service = "org.freedesktop.Notifications";
    static constexpr const char* path = "/org/freedesktop/Notifications";
    static constexpr const char* interface = "org.freedesktop.Notifications";
    /// The hint under which a notification's own identifier travels.
    static constexpr const char* identifierHint = "x-ostrel-identifier";

    /// As the notification service ranks them; critical ones stay until dismissed.
    enum class Urgency : uchar
    {
        low = 0,
        normal = 1,
        critical = 2
    };

    explicit DesktopNotifier(QObject* parent = nullptr);
    DesktopNotifier(QDBusConnection bus, QObject* parent);

    /// "ostrel-report-" followed by a new UUID in upper case.
    [[nodiscard]] static QString newReportIdentifier();

    /// Shows one notification at once, without sound or actions. The future
    /// finishes when the service has answered or the call has failed; it is
    /// cancelled if the notifier goes away first.
    QFuture<void>
    post(const QString& identifier, const QString& title, const QString& body, Urgency urgency = Urgency::normal);

private:
    QDBusConnection m_bus;
};

}  // namespace ostrel
