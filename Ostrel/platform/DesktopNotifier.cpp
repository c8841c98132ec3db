#include "platform/DesktopNotifier.h"

#include <memory>
#include <utility>

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QPromise>
#include <QStringList>
#include <QUuid>
#include <QVariantMap>

#include "base/AppIdentity.h"

namespace ostrel {
namespace {

constexpr int serverDefaultTimeout = -1;

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

QFuture<void>
DesktopNotifier::post(const QString& identifier, const QString& title, const QString& body, Urgency urgency)
{
    auto promise = std::make_shared<QPromise<void>>();
    promise->start();
    QFuture<void> future = promise->future();

    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(service),
                                                       QString::fromLatin1(path),
                                                       QString::fromLatin1(interface),
                                                       QStringLiteral("Notify"));
    const QVariantMap hints{
        {QString::fromLatin1(identifierHint), identifier},
        {QStringLiteral("desktop-entry"), QStringLiteral("ostrel")},
        {QStringLiteral("suppress-sound"), true},
        // Notification servers read the urgency hint as a byte (D-Bus type y).
        {QStringLiteral("urgency"), QVariant::fromValue(static_cast<uchar>(urgency))},
    };
    call << QStringLiteral("Ostrel") << 0U << QString::fromLatin1(AppIdentity::iconName) << title << body
         << QStringList() << hints << serverDefaultTimeout;

    // Not connected (no session bus at all): nothing can be shown, and that is fine.
    if (!m_bus.isConnected()) {
        promise->finish();
        return future;
    }
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [promise](QDBusPendingCallWatcher* finished) {
        // The reply (the server's own id) or an error: neither changes anything here.
        promise->finish();
        finished->deleteLater();
    });
    return future;
}

}  // namespace ostrel
