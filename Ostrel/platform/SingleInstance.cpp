#include "platform/SingleInstance.h"

#include <cerrno>

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVirtualObject>
#include <QMetaObject>

#include "posix/FileLock.h"

namespace ostrel {
namespace {

// The owner may quit between our failed claim and our call; then the name is free again.
constexpr int claimAttempts = 3;

}  // namespace

// Serves the methods of later launches. The bus may call them from its own
// thread, so they are only queued to the owner's thread.
class SingleInstance::Endpoint : public QDBusVirtualObject
{
public:
    explicit Endpoint(SingleInstance& owner)
        : m_owner(owner)
    {}

    [[nodiscard]] QString introspect(const QString& /*path*/) const override
    {
        return QStringLiteral("<interface name=\"%1\"><method name=\"%2\">"
                              "<arg name=\"switches\" type=\"as\" direction=\"in\"/></method>"
                              "<method name=\"%3\"/></interface>")
            .arg(QString::fromLatin1(SingleInstance::interface),
                 QString::fromLatin1(SingleInstance::method),
                 QString::fromLatin1(SingleInstance::refreshMethod));
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.member() == QString::fromLatin1(SingleInstance::refreshMethod) && message.signature().isEmpty()) {
            // Answered later, from the owner's thread, once the readings are saved.
            message.setDelayedReply(true);
            QMetaObject::invokeMethod(
                &m_owner,
                [owner = &m_owner, message, connection] { owner->serveRefresh(message, connection); },
                Qt::QueuedConnection);
            return true;
        }
        if (message.member() != QString::fromLatin1(SingleInstance::method)
            || message.signature() != QStringLiteral("as")) {
            connection.send(message.createErrorReply(QDBusError::UnknownMethod, QStringLiteral("not served")));
            return true;
        }
        const QStringList switches = message.arguments().value(0).toStringList();
        QMetaObject::invokeMethod(
            &m_owner,
            [owner = &m_owner, switches] { Q_EMIT owner->requested(switches); },
            Qt::QueuedConnection);
        connection.send(message.createReply());
        return true;
    }

private:
    SingleInstance& m_owner;
};

SingleInstance::SingleInstance(QDBusConnection bus, std::filesystem::path lockFolder, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_lockFolder(std::move(lockFolder))
    , m_endpoint(std::make_unique<Endpoint>(*this))
{}

SingleInstance::~SingleInstance()
{
    if (m_ownsName) {
        m_bus.interface()->unregisterService(QString::fromLatin1(service));
        m_bus.unregisterObject(QString::fromLatin1(path));
    }
}

bool SingleInstance::noOwner(const QDBusMessage& reply)
{
    const QString name = reply.errorName();
    return name == QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown")
           || name == QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner");
}

QDBusMessage SingleInstance::callToFirst(const char* member)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(service),
                                                       QString::fromLatin1(path),
                                                       QString::fromLatin1(interface),
                                                       QString::fromLatin1(member));
    // Nothing may start on the call's behalf: only a running Ostrel answers.
    call.setAutoStartService(false);
    return call;
}

void SingleInstance::serveRefresh(const QDBusMessage& call, const QDBusConnection& connection)
{
    if (!refresh) {
        connection.send(call.createErrorReply(QDBusError::NotSupported, QStringLiteral("no readings in this run")));
        return;
    }
    // Should this run quit first, the bus tells the caller that no reply will come.
    refresh().then(this, [call, connection](const QString& problem) {
        connection.send(problem.isEmpty() ? call.createReply()
                                          : call.createErrorReply(QString::fromLatin1(notSaved), problem));
    });
}

SingleInstance::Claim SingleInstance::claim(const QStringList& switches)
{
    return m_bus.isConnected() ? claimName(switches) : claimLock();
}

SingleInstance::Claim SingleInstance::claimName(const QStringList& switches)
{
    // The method is served before the name is taken, so whoever sees the name can call it.
    m_bus.registerVirtualObject(QString::fromLatin1(path), m_endpoint.get());
    QDBusConnectionInterface* bus = m_bus.interface();
    for (int attempt = 0; attempt < claimAttempts; ++attempt) {
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> taken =
            bus->registerService(QString::fromLatin1(service),
                                 QDBusConnectionInterface::DontQueueService,
                                 QDBusConnectionInterface::DontAllowReplacement);
        // A bus that refuses the name altogether cannot tell two runs apart; this one runs.
        if (!taken.isValid()) {
            return Claim::first;
        }
        if (taken.value() == QDBusConnectionInterface::ServiceRegistered) {
            m_ownsName = true;
            return Claim::first;
        }
        QDBusMessage call = callToFirst(method);
        call << switches;
        const QDBusMessage reply = m_bus.call(call, QDBus::Block, handOverTimeout);
        if (reply.type() == QDBusMessage::ReplyMessage) {
            m_bus.unregisterObject(QString::fromLatin1(path));
            return Claim::handedOver;
        }
        if (!noOwner(reply)) {
            break;
        }
    }
    m_bus.unregisterObject(QString::fromLatin1(path));
    return Claim::unanswered;
}

SingleInstance::Claim SingleInstance::claimLock()
{
    if (m_lockFolder.empty()) {
        return Claim::first;
    }
    auto lock = posix::lockExclusively(m_lockFolder / lockName);
    if (lock) {
        m_lock = std::move(*lock);
        return Claim::first;
    }
    // Any other failure (no such folder, no permission) cannot prove that one runs.
    return lock.error() == EWOULDBLOCK ? Claim::alreadyRunning : Claim::first;
}

}  // namespace ostrel
