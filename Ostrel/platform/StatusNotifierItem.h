#pragma once
// A tray item served on the session bus as an org.kde.StatusNotifierItem, for
// desktops whose tray is a StatusNotifierItem host: each item has a bus name
// of its own (on a connection of its own, since the object path is fixed), an
// id and title of its own, its icon as pixmaps drawn for the common slot
// sizes, its tooltip, and the menu exported beside it. Shown, it registers
// with the StatusNotifierWatcher (and again when asked, for a host that
// restarted); hidden, it gives its name up, which takes it out of the tray.
// Registrations go out on the application's own session connection, one
// after another, so the watcher learns of the items in the order they were
// shown. Main thread only.

#include <array>

#include <QDBusConnection>
#include <QMenu>

#include "platform/DBusMenuExporter.h"
#include "platform/TrayBusTypes.h"
#include "platform/TrayItem.h"

namespace ostrel {

class StatusNotifierItem final : public TrayItem
{
    Q_OBJECT

public:
    static constexpr const char* itemPath = "/StatusNotifierItem";
    static constexpr const char* menuObjectPath = "/MenuBar";
    /// Device-pixel sides of the icon's pictures: the common slots and their doubles.
    static constexpr std::array iconSides{16, 22, 24, 32, 44, 48, 64, 96};

    explicit StatusNotifierItem(QMenu& menu, QObject* parent = nullptr);
    ~StatusNotifierItem() override;

    StatusNotifierItem(const StatusNotifierItem&) = delete;
    StatusNotifierItem& operator=(const StatusNotifierItem&) = delete;

    void setIcon(const QIcon& icon) override;
    void setToolTip(const QString& text) override;
    void setTitle(const QString& title) override;
    void setShown(bool shown) override;
    void hostChanged() override;

    [[nodiscard]] QIcon icon() const override
    {
        return m_icon;
    }

    [[nodiscard]] QString toolTip() const override
    {
        return m_toolTip;
    }

    [[nodiscard]] QString title() const override
    {
        return m_title;
    }

    /// The bus name the item is known by, org.kde.StatusNotifierItem-<pid>-<n>, and
    /// the name of its connection.
    [[nodiscard]] QString serviceName() const
    {
        return m_serviceName;
    }

    /// False when the item could not be put on the bus at all.
    [[nodiscard]] bool exported() const
    {
        return m_exported;
    }

    [[nodiscard]] QList<IconPixmap> iconPixmaps() const
    {
        return m_pixmaps;
    }

    /// What a host's click asks of the item: (`x`, `y`) is where on the
    /// screen, or 0, 0 from hosts that do not say.
    void activate(int x, int y);
    void secondaryActivate();
    void contextMenu(int x, int y);
    /// A host read the item's id, which every host does as it takes an item in.
    void idRead();

Q_SIGNALS:
    // Each goes out on the bus as the protocol's signal for it (NewTitle, NewIcon, NewToolTip).
    void titleChanged();
    void iconChanged();
    void toolTipChanged();

private:
    void registerWithWatcher();

    QString m_serviceName;
    QDBusConnection m_bus;
    DBusMenuExporter m_menu;
    QIcon m_icon;
    QList<IconPixmap> m_pixmaps;
    QString m_toolTip;
    QString m_title;
    bool m_shown = false;
    bool m_exported = false;
    bool m_awaitingHost = false;
};

}  // namespace ostrel
