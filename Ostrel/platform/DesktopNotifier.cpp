#include "platform/DesktopNotifier.h"

#include <algorithm>
#include <memory>
#include <utility>

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QPromise>
#include <QUuid>
#include <QVariantMap>

#include "base/AppIdentity.h"

namespace ostrel {
namespace {

constexpr int serverDefaultTimeout = -1;

QDBusMessage serverCall(const QString& method)
{
    return QDBusMessage::createMethodCall(QString::fromLatin1(DesktopNotifier::service),
                                          QString::fromLatin1(DesktopNotifier::path),
                                          QString::fromLatin1(DesktopNotifier::interface),
                                          method);
}

}  // namespace

DesktopNotifier::DesktopNotifier(QObject* parent)
    : DesktopNotifier(QDBusConnection::sessionBus(), parent)
{}

DesktopNotifier::DesktopNotifier(QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{}

QString DesktopNotifier::newReportIdentifier()
{
    return QStringLiteral("ostrel-report-") + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

QFuture<void> DesktopNotifier::post(const QString& identifier,
                                    const QString& title,
                                    const QString& body,
                                    Urgency urgency,
                                    Actions actions)
{
    auto promise = std::make_shared<QPromise<void>>();
    promise->start();
    QFuture<void> future = promise->future();
    // Not connected (no session bus at all): nothing can be shown, and that is fine.
    if (!m_bus.isConnected()) {
        promise->finish();
        return future;
    }
    const Notification notification{.identifier = identifier, .title = title, .body = body, .urgency = urgency};
    auto done = [promise] {
        promise->finish();
    };
    if (actions.offered.isEmpty()) {
        notify(notification, {}, done);
        return future;
    }
    whenCapabilitiesKnown([this, notification, actions = std::move(actions), done]() mutable {
        // A server without them may show the labels as text or refuse the call: plain text it is.
        if (!m_capabilities->contains(QStringLiteral("actions"))) {
            actions = {};
        }
        notify(notification, std::move(actions), done);
    });
    return future;
}

void DesktopNotifier::whenCapabilitiesKnown(std::function<void()> then)
{
    if (m_capabilities) {
        then();
        return;
    }
    m_waitingForCapabilities.push_back(std::move(then));
    if (m_waitingForCapabilities.size() > 1) {
        return;  // asked already
    }
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(serverCall(QStringLiteral("GetCapabilities"))), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
        const QDBusPendingReply<QStringList> reply = *finished;
        // A server that does not answer is taken to show text only.
        m_capabilities = reply.isError() ? QStringList() : reply.value();
        for (const auto& waiting : std::exchange(m_waitingForCapabilities, {})) {
            waiting();
        }
        finished->deleteLater();
    });
}

void DesktopNotifier::notify(const Notification& notification, Actions actions, const std::function<void()>& done)
{
    const QVariantMap hints{
        {QString::fromLatin1(identifierHint), notification.identifier},
        {QStringLiteral("desktop-entry"), QStringLiteral("ostrel")},
        {QStringLiteral("suppress-sound"), true},
        // Notification servers read the urgency hint as a byte (D-Bus type y).
        {QStringLiteral("urgency"), QVariant::fromValue(static_cast<uchar>(notification.urgency))},
    };
    // The server takes the actions as one flat list: a key, then its label.
    QStringList keysAndLabels;
    for (const Action& action : actions.offered) {
        keysAndLabels << action.key << action.label;
    }
    QDBusMessage call = serverCall(QStringLiteral("Notify"));
    call << QStringLiteral("Ostrel") << 0U << QString::fromLatin1(AppIdentity::iconName) << notification.title
         << notification.body << keysAndLabels << hints << serverDefaultTimeout;
    if (!actions.offered.isEmpty()) {
        followActions();
    }
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher,
            &QDBusPendingCallWatcher::finished,
            this,
            [this, actions = std::move(actions), done](QDBusPendingCallWatcher* finished) mutable {
                // The reply is the server's own id, the one its signals name; an error changes nothing.
                const QDBusPendingReply<uint> reply = *finished;
                if (!reply.isError() && !actions.offered.isEmpty() && actions.invoked) {
                    m_posted[reply.value()] = std::move(actions);
                }
                done();
                finished->deleteLater();
            });
}

void DesktopNotifier::followActions()
{
    if (m_followingActions) {
        return;
    }
    m_followingActions = true;
    const QString name = QString::fromLatin1(service);
    const QString object = QString::fromLatin1(path);
    const QString face = QString::fromLatin1(interface);
    m_bus.connect(name, object, face, QStringLiteral("ActionInvoked"), this, SLOT(serverInvoked(uint, QString)));
    m_bus.connect(name, object, face, QStringLiteral("NotificationClosed"), this, SLOT(serverClosed(uint, uint)));
}

void DesktopNotifier::serverInvoked(uint id, const QString& key)
{
    // The server tells every client of every notification's actions: only ours are answered.
    const auto posted = m_posted.find(id);
    if (posted == m_posted.end()) {
        return;
    }
    const Actions& actions = posted->second;
    const bool offered =
        std::ranges::any_of(actions.offered, [&key](const Action& action) { return action.key == key; });
    if (!offered || actions.context.isNull()) {
        return;
    }
    // A copy: the handler may post again, or close the notification, while it runs.
    const std::function<void(const QString&)> invoked = actions.invoked;
    invoked(key);
}

void DesktopNotifier::serverClosed(uint id, uint /*reason*/)
{
    m_posted.erase(id);
}

}  // namespace ostrel
