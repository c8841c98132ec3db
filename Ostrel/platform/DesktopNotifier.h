#pragma once
// Posts desktop notifications through the freedesktop notification service on
// the session bus. Delivery is best effort: a missing service, a refusal or
// any bus error is swallowed, and the returned future finishes either way.
// Actions are offered only where the server says it shows them; a choice the
// user makes comes back to the handler given with that notification.

#include <functional>
#include <map>
#include <optional>
#include <vector>

#include <QDBusConnection>
#include <QFuture>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

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
    /// The action servers invoke for a click on the notification itself.
    static constexpr const char* defaultAction = "default";

    /// As the notification service ranks them; critical ones stay until dismissed.
    enum class Urgency : uchar
    {
        low = 0,
        normal = 1,
        critical = 2
    };

    struct Action
    {
        QString key;
        QString label;
    };

    /// What a notification offers besides its text, and who hears the choice.
    struct Actions
    {
        QList<Action> offered;
        /// The handler is called only while `context` exists.
        QPointer<const QObject> context;
        std::function<void(const QString& key)> invoked;
    };

    explicit DesktopNotifier(QObject* parent = nullptr);
    DesktopNotifier(QDBusConnection bus, QObject* parent);

    /// "ostrel-report-" followed by a new UUID in upper case.
    [[nodiscard]] static QString newReportIdentifier();

    /// Shows one notification at once, without sound; with `actions` where
    /// the server shows actions, else as plain text. The future finishes when
    /// the service has answered or the call has failed; it is cancelled if the
    /// notifier goes away first.
    QFuture<void> post(const QString& identifier,
                       const QString& title,
                       const QString& body,
                       Urgency urgency = Urgency::normal,
                       Actions actions = {});

private Q_SLOTS:
    void serverInvoked(uint id, const QString& key);
    void serverClosed(uint id, uint reason);

private:
    struct Notification
    {
        QString identifier;
        QString title;
        QString body;
        Urgency urgency = Urgency::normal;
    };

    /// Runs `then` once the server's capabilities are known, asking for them the first time.
    void whenCapabilitiesKnown(std::function<void()> then);
    void notify(const Notification& notification, Actions actions, const std::function<void()>& done);
    void followActions();

    QDBusConnection m_bus;
    std::optional<QStringList> m_capabilities;
    std::vector<std::function<void()>> m_waitingForCapabilities;
    bool m_followingActions = false;
    /// The server's ids of notifications with actions, until the server closes them.
    std::map<uint, Actions> m_posted;
};

}  // namespace ostrel
