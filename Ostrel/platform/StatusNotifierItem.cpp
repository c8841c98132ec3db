#include "platform/StatusNotifierItem.h"

#include <atomic>

#include <QCoreApplication>
#include <QDBusMessage>

#include "platform/StatusNotifierAdaptor.h"
#include "platform/TrayHost.h"

namespace ostrel {
namespace {

QString nextServiceName()
{
    // Numbers the items of this process, so their names stay apart even when
    // items are made again.
    static std::atomic<int> itemCount{0};
    return QStringLiteral("org.kde.StatusNotifierItem-%1-%2").arg(QCoreApplication::applicationPid()).arg(++itemCount);
}

}  // namespace

StatusNotifierItem::StatusNotifierItem(QMenu& menu, QObject* parent)
    : TrayItem(parent)
    , m_serviceName(nextServiceName())
    , m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, m_serviceName))
    , m_menu(menu)
{
    registerTrayBusTypes();
    // The adaptor is a child: it goes with the item.
    new StatusNotifierAdaptor(*this);
    m_exported = m_bus.isConnected()
                 && m_bus.registerObject(QString::fromLatin1(itemPath), this, QDBusConnection::ExportAdaptors)
                 && m_menu.exportOn(m_bus, QString::fromLatin1(menuObjectPath));
}

StatusNotifierItem::~StatusNotifierItem()
{
    m_bus.unregisterObject(QString::fromLatin1(itemPath));
    m_bus.unregisterObject(QString::fromLatin1(menuObjectPath));
    QDBusConnection::disconnectFromBus(m_serviceName);
}

void StatusNotifierItem::setIcon(const QIcon& icon)
{
    m_icon = icon;
    QList<IconPixmap> pixmaps;
    for (const int side : iconSides) {
        const QImage image = icon.pixmap(QSize(side, side), 1.0).toImage();
        if (!image.isNull()) {
            pixmaps.push_back(IconPixmap::fromImage(image));
        }
    }
    if (pixmaps != m_pixmaps) {
        m_pixmaps = std::move(pixmaps);
        Q_EMIT iconChanged();
    }
}

void StatusNotifierItem::setToolTip(const QString& text)
{
    if (text != m_toolTip) {
        m_toolTip = text;
        Q_EMIT toolTipChanged();
    }
}

void StatusNotifierItem::setTitle(const QString& title)
{
    if (title != m_title) {
        m_title = title;
        Q_EMIT titleChanged();
        // The tooltip carries the title too.
        Q_EMIT toolTipChanged();
    }
}

void StatusNotifierItem::setShown(bool shown)
{
    if (shown == m_shown || !m_exported) {
        return;
    }
    m_shown = shown;
    if (shown) {
        m_bus.registerService(m_serviceName);
        registerWithWatcher();
    } else {
        // The watcher drops an item whose name goes away.
        m_bus.unregisterService(m_serviceName);
    }
}

void StatusNotifierItem::hostChanged()
{
    registerWithWatcher();
}

void StatusNotifierItem::registerWithWatcher()
{
    if (!m_shown) {
        return;
    }
    QDBusMessage request = QDBusMessage::createMethodCall(QString::fromLatin1(TrayHost::watcherService),
                                                          QStringLiteral("/StatusNotifierWatcher"),
                                                          QString::fromLatin1(TrayHost::watcherService),
                                                          QStringLiteral("RegisterStatusNotifierItem"));
    request << m_serviceName;
    m_awaitingHost = true;
    // No watcher now is no failure: the item registers when one comes. The
    // watcher takes the name from the argument, whichever connection sends it.
    (void)QDBusConnection::sessionBus().send(request);
}

void StatusNotifierItem::activate(int x, int y)
{
    // Hosts that do not say where the item is send the origin.
    if (x == 0 && y == 0) {
        Q_EMIT clicked(std::nullopt);
    } else {
        Q_EMIT clicked(QRect(x, y, 1, 1));
    }
}

void StatusNotifierItem::secondaryActivate()
{
    Q_EMIT middleClicked();
}

void StatusNotifierItem::idRead()
{
    if (m_awaitingHost) {
        m_awaitingHost = false;
        // Said once the host has its answer, which is being read now.
        QMetaObject::invokeMethod(this, &TrayItem::takenIn, Qt::QueuedConnection);
    }
}

void StatusNotifierItem::contextMenu(int x, int y)
{
    Q_EMIT menuRequested(QPoint(x, y));
}

}  // namespace ostrel
