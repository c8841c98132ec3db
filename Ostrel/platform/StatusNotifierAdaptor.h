#pragma once
// The org.kde.StatusNotifierItem interface of a StatusNotifierItem, as hosts
// see it on the bus: its properties, the methods a host calls on a click or
// scroll, and the signals that say what changed, relayed from the item.

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>

#include "platform/TrayBusTypes.h"

namespace ostrel {

class StatusNotifierItem;

class StatusNotifierAdaptor final : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconThemePath READ noName)
    Q_PROPERTY(QString IconName READ noName)
    Q_PROPERTY(QList<ostrel::IconPixmap> IconPixmap READ iconPixmaps)
    Q_PROPERTY(QString OverlayIconName READ noName)
    Q_PROPERTY(QList<ostrel::IconPixmap> OverlayIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionIconName READ noName)
    Q_PROPERTY(QList<ostrel::IconPixmap> AttentionIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionMovieName READ noName)
    Q_PROPERTY(ostrel::ItemToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)

public:
    explicit StatusNotifierAdaptor(StatusNotifierItem& item);

    [[nodiscard]] static QString category();
    [[nodiscard]] QString id() const;
    [[nodiscard]] QString title() const;
    [[nodiscard]] static QString status();
    [[nodiscard]] static int windowId();
    [[nodiscard]] static QString noName();
    [[nodiscard]] QList<IconPixmap> iconPixmaps() const;
    [[nodiscard]] static QList<IconPixmap> noPixmaps();
    [[nodiscard]] ItemToolTip toolTip() const;
    [[nodiscard]] static bool itemIsMenu();
    [[nodiscard]] static QDBusObjectPath menu();

    // NOLINTBEGIN(readability-identifier-naming): the protocol's names, which the bus carries as they are
public Q_SLOTS:
    void Activate(int x, int y);
    void SecondaryActivate(int x, int y);
    void ContextMenu(int x, int y);
    void Scroll(int delta, const QString& orientation);

Q_SIGNALS:
    void NewTitle();
    void NewIcon();
    void NewAttentionIcon();
    void NewOverlayIcon();
    void NewToolTip();
    void NewStatus(const QString& status);
    // NOLINTEND(readability-identifier-naming)

private:
    StatusNotifierItem& m_item;
};

}  // namespace ostrel
