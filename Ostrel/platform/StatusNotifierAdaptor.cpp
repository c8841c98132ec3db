#include "platform/StatusNotifierAdaptor.h"

#include "platform/StatusNotifierItem.h"

namespace ostrel {

StatusNotifierAdaptor::StatusNotifierAdaptor(StatusNotifierItem& item)
    : QDBusAbstractAdaptor(&item)
    , m_item(item)
{
    connect(&item, &StatusNotifierItem::titleChanged, this, &StatusNotifierAdaptor::NewTitle);
    connect(&item, &StatusNotifierItem::iconChanged, this, &StatusNotifierAdaptor::NewIcon);
    connect(&item, &StatusNotifierItem::toolTipChanged, this, &StatusNotifierAdaptor::NewToolTip);
}

QString StatusNotifierAdaptor::category()
{
    return QStringLiteral("ApplicationStatus");
}

// The title is the id too: hosts that sort by id then order the items by provider.
QString StatusNotifierAdaptor::id() const
{
    m_item.idRead();
    return m_item.title();
}

QString StatusNotifierAdaptor::title() const
{
    return m_item.title();
}

QString StatusNotifierAdaptor::status()
{
    return QStringLiteral("Active");
}

int StatusNotifierAdaptor::windowId()
{
    return 0;
}

QString StatusNotifierAdaptor::noName()
{
    return {};
}

QList<IconPixmap> StatusNotifierAdaptor::iconPixmaps() const
{
    return m_item.iconPixmaps();
}

QList<IconPixmap> StatusNotifierAdaptor::noPixmaps()
{
    return {};
}

ItemToolTip StatusNotifierAdaptor::toolTip() const
{
    return {.iconName = {}, .pixmaps = {}, .title = m_item.title(), .text = m_item.toolTip()};
}

bool StatusNotifierAdaptor::itemIsMenu()
{
    return false;
}

QDBusObjectPath StatusNotifierAdaptor::menu()
{
    return QDBusObjectPath(QString::fromLatin1(StatusNotifierItem::menuObjectPath));
}

void StatusNotifierAdaptor::Activate(int x, int y)
{
    m_item.activate(x, y);
}

void StatusNotifierAdaptor::SecondaryActivate(int /*x*/, int /*y*/)
{
    m_item.secondaryActivate();
}

void StatusNotifierAdaptor::ContextMenu(int x, int y)
{
    m_item.contextMenu(x, y);
}

void StatusNotifierAdaptor::Scroll(int /*delta*/, const QString& /*orientation*/)
{
    // The items have nothing to scroll through.
}

}  // namespace ostrel
