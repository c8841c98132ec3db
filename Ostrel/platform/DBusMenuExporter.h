#pragma once
// A QMenu served on the session bus as a com.canonical.dbusmenu object, the
// way StatusNotifierItem hosts draw an item's menu themselves: its entries
// (labels, enabled, visible, separators, toggles, submenus) under ids of their
// own, the root being 0, and a click on an entry triggers its action. The
// menu's actions may change; hosts are told of each change once the event
// loop turns. Main thread only.

#include <QAction>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusVariant>
#include <QHash>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QTimer>

#include "platform/TrayBusTypes.h"

namespace ostrel {

class DBusMenuExporter final
    : public QObject
    , protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

public:
    static constexpr const char* interfaceName = "com.canonical.dbusmenu";

    explicit DBusMenuExporter(QMenu& menu, QObject* parent = nullptr);

    /// Serves the menu at `path` on `bus`; false when the path is taken.
    [[nodiscard]] bool exportOn(QDBusConnection& bus, const QString& path);

    [[nodiscard]] static uint version()
    {
        return 3;
    }

    [[nodiscard]] static QString textDirection();

    [[nodiscard]] static QString status()
    {
        return QStringLiteral("normal");
    }

    [[nodiscard]] static QStringList iconThemePath()
    {
        return {};
    }

    /// The entry's properties as a host reads them; `names` empty means all.
    [[nodiscard]] QVariantMap properties(int id, const QStringList& names = {});

    // NOLINTBEGIN(readability-identifier-naming): the protocol's names, which the bus carries as they are
public Q_SLOTS:
    Q_SCRIPTABLE uint GetLayout(int parentId,
                                int recursionDepth,
                                const QStringList& propertyNames,
                                ostrel::MenuLayout& layout);
    Q_SCRIPTABLE QList<ostrel::MenuItemProperties> GetGroupProperties(const QList<int>& ids,
                                                                      const QStringList& propertyNames);
    Q_SCRIPTABLE QDBusVariant GetProperty(int id, const QString& name);
    Q_SCRIPTABLE void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
    Q_SCRIPTABLE QList<int> EventGroup(const QList<ostrel::MenuEvent>& events);
    Q_SCRIPTABLE bool AboutToShow(int id);
    Q_SCRIPTABLE QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

Q_SIGNALS:
    Q_SCRIPTABLE void LayoutUpdated(uint revision, int parent);
    Q_SCRIPTABLE void ItemsPropertiesUpdated(const QList<ostrel::MenuItemProperties>& updatedProps,
                                             const QList<ostrel::MenuItemRemovedProperties>& removedProps);
    Q_SCRIPTABLE void ItemActivationRequested(int id, uint timestamp);
    // NOLINTEND(readability-identifier-naming)

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    [[nodiscard]] int idOf(QAction* action);
    [[nodiscard]] QAction* actionOf(int id) const;
    /// The menu whose entries are `id`'s children: the root's or a submenu; null for none.
    [[nodiscard]] QMenu* menuOf(int id) const;
    [[nodiscard]] bool known(int id) const;
    [[nodiscard]] MenuLayout layoutOf(int id, int depth, const QStringList& names);
    [[nodiscard]] bool handleEvent(int id, const QString& eventId);
    void watch(QMenu* menu);
    void refuseUnknown(int id);
    void announce();

    QMenu& m_menu;
    QHash<QAction*, int> m_ids;
    QHash<int, QPointer<QAction>> m_actions;
    QSet<QMenu*> m_watched;
    QSet<int> m_changed;
    int m_nextId = 1;
    uint m_revision = 1;
    bool m_layoutChanged = false;
    QTimer m_announce;
};

}  // namespace ostrel
