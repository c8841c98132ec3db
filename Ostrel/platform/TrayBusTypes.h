#pragma once
// The structures that tray items and their menus put on the session bus, with
// their D-Bus marshalling: icon pixmaps and tooltips of a StatusNotifierItem,
// and the items and layout of an exported menu. registerTrayBusTypes() must
// run before any of them crosses the bus; it may run any number of times.

#include <QByteArray>
#include <QDBusArgument>
#include <QImage>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace ostrel {

/// One picture of an icon: ARGB32 pixels, each in network byte order (a(iiay)).
struct IconPixmap
{
    int width = 0;
    int height = 0;
    QByteArray bytes;

    [[nodiscard]] static IconPixmap fromImage(const QImage& image);
    friend bool operator==(const IconPixmap&, const IconPixmap&) = default;
};

using IconPixmaps = QList<IconPixmap>;

/// An item's tooltip: an icon by name or by pixmaps, a title and a text ((sa(iiay)ss)).
struct ItemToolTip
{
    QString iconName;
    IconPixmaps pixmaps;
    QString title;
    QString text;
};

/// One menu entry and its properties (ia{sv}).
struct MenuItemProperties
{
    int id = 0;
    QVariantMap properties;
};

using MenuItemPropertiesList = QList<MenuItemProperties>;

/// Properties an entry no longer has (ias).
struct MenuItemRemovedProperties
{
    int id = 0;
    QStringList names;
};

using MenuItemRemovedPropertiesList = QList<MenuItemRemovedProperties>;

/// A menu entry with its children, each child a variant holding another layout (ia{sv}av).
struct MenuLayout
{
    int id = 0;
    QVariantMap properties;
    QList<MenuLayout> children;
};

/// One event of a group: entry, event name, data, time stamp (isvu).
struct MenuEvent
{
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};

using MenuEventList = QList<MenuEvent>;

void registerTrayBusTypes();

QDBusArgument& operator<<(QDBusArgument& argument, const IconPixmap& pixmap);
const QDBusArgument& operator>>(const QDBusArgument& argument, IconPixmap& pixmap);
QDBusArgument& operator<<(QDBusArgument& argument, const ItemToolTip& tip);
const QDBusArgument& operator>>(const QDBusArgument& argument, ItemToolTip& tip);
QDBusArgument& operator<<(QDBusArgument& argument, const MenuItemProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, MenuItemProperties& item);
QDBusArgument& operator<<(QDBusArgument& argument, const MenuItemRemovedProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, MenuItemRemovedProperties& item);
QDBusArgument& operator<<(QDBusArgument& argument, const MenuLayout& layout);
const QDBusArgument& operator>>(const QDBusArgument& argument, MenuLayout& layout);
QDBusArgument& operator<<(QDBusArgument& argument, const MenuEvent& event);
const QDBusArgument& operator>>(const QDBusArgument& argument, MenuEvent& event);

}  // namespace ostrel

Q_DECLARE_METATYPE(ostrel::IconPixmap)
Q_DECLARE_METATYPE(ostrel::ItemToolTip)
Q_DECLARE_METATYPE(ostrel::MenuItemProperties)
Q_DECLARE_METATYPE(ostrel::MenuItemRemovedProperties)
Q_DECLARE_METATYPE(ostrel::MenuLayout)
Q_DECLARE_METATYPE(ostrel::MenuEvent)
