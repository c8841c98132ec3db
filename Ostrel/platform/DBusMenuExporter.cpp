#include "platform/DBusMenuExporter.h"

#include <QActionEvent>
#include <QActionGroup>
#include <QDBusMessage>
#include <QGuiApplication>

namespace ostrel {
namespace {

constexpr int rootId = 0;

// Qt marks a mnemonic with '&' ("&&" for the sign itself); the menu protocol
// marks it with '_' ("__" for the underscore itself).
QString protocolLabel(const QString& text)
{
    QString label;
    label.reserve(text.size());
    for (qsizetype index = 0; index < text.size(); ++index) {
        const QChar c = text[index];
        if (c == QLatin1Char('&')) {
            if (index + 1 < text.size() && text[index + 1] == QLatin1Char('&')) {
                label += QLatin1Char('&');
                ++index;
            } else {
                label += QLatin1Char('_');
            }
        } else if (c == QLatin1Char('_')) {
            label += QStringLiteral("__");
        } else {
            label += c;
        }
    }
    return label;
}

QVariantMap actionProperties(const QAction& action)
{
    QVariantMap properties;
    properties.insert(QStringLiteral("visible"), action.isVisible());
    if (action.isSeparator()) {
        properties.insert(QStringLiteral("type"), QStringLiteral("separator"));
        return properties;
    }
    properties.insert(QStringLiteral("type"), QStringLiteral("standard"));
    properties.insert(QStringLiteral("label"), protocolLabel(action.text()));
    properties.insert(QStringLiteral("enabled"), action.isEnabled());
    if (action.isCheckable()) {
        const bool radio = action.actionGroup() != nullptr && action.actionGroup()->isExclusive();
        properties.insert(QStringLiteral("toggle-type"), radio ? QStringLiteral("radio") : QStringLiteral("checkmark"));
        properties.insert(QStringLiteral("toggle-state"), action.isChecked() ? 1 : 0);
    }
    if (!action.icon().name().isEmpty()) {
        properties.insert(QStringLiteral("icon-name"), action.icon().name());
    }
    if (action.menu() != nullptr) {
        properties.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
    }
    return properties;
}

QVariantMap only(QVariantMap properties, const QStringList& names)
{
    if (names.isEmpty()) {
        return properties;
    }
    QVariantMap kept;
    for (const QString& name : names) {
        if (properties.contains(name)) {
            kept.insert(name, properties.value(name));
        }
    }
    return kept;
}

}  // namespace

DBusMenuExporter::DBusMenuExporter(QMenu& menu, QObject* parent)
    : QObject(parent)
    , m_menu(menu)
{
    registerTrayBusTypes();
    // Menus are built and changed an action at a time; hosts hear of it once.
    m_announce.setSingleShot(true);
    m_announce.setInterval(0);
    connect(&m_announce, &QTimer::timeout, this, &DBusMenuExporter::announce);
    watch(&m_menu);
}

bool DBusMenuExporter::exportOn(QDBusConnection& bus, const QString& path)
{
    return bus.registerObject(path,
                              QString::fromLatin1(interfaceName),
                              this,
                              QDBusConnection::ExportScriptableContents | QDBusConnection::ExportAllProperties);
}

QString DBusMenuExporter::textDirection()
{
    return QGuiApplication::layoutDirection() == Qt::RightToLeft ? QStringLiteral("rtl") : QStringLiteral("ltr");
}

void DBusMenuExporter::watch(QMenu* menu)
{
    if (m_watched.contains(menu)) {
        return;
    }
    m_watched.insert(menu);
    menu->installEventFilter(this);
    connect(menu, &QObject::destroyed, this, [this, menu] { m_watched.remove(menu); });
}

int DBusMenuExporter::idOf(QAction* action)
{
    if (const auto found = m_ids.constFind(action); found != m_ids.constEnd()) {
        return *found;
    }
    const int id = m_nextId++;
    m_ids.insert(action, id);
    m_actions.insert(id, action);
    connect(action, &QObject::destroyed, this, [this, action, id] {
        m_ids.remove(action);
        m_actions.remove(id);
    });
    return id;
}

QAction* DBusMenuExporter::actionOf(int id) const
{
    return m_actions.value(id).data();
}

QMenu* DBusMenuExporter::menuOf(int id) const
{
    if (id == rootId) {
        return &m_menu;
    }
    const QAction* action = actionOf(id);
    return action != nullptr ? action->menu() : nullptr;
}

bool DBusMenuExporter::known(int id) const
{
    return id == rootId || actionOf(id) != nullptr;
}

QVariantMap DBusMenuExporter::properties(int id, const QStringList& names)
{
    if (id == rootId) {
        return only({{QStringLiteral("children-display"), QStringLiteral("submenu")}}, names);
    }
    const QAction* action = actionOf(id);
    return action != nullptr ? only(actionProperties(*action), names) : QVariantMap{};
}

// `depth` counts the levels of children still wanted; below zero, all of them.
MenuLayout DBusMenuExporter::layoutOf(int id, int depth, const QStringList& names)
{
    MenuLayout layout{id, properties(id, names), {}};
    QMenu* menu = menuOf(id);
    if (menu == nullptr || depth == 0) {
        return layout;
    }
    watch(menu);
    for (QAction* action : menu->actions()) {
        layout.children.push_back(layoutOf(idOf(action), depth - 1, names));
    }
    return layout;
}

void DBusMenuExporter::refuseUnknown(int id)
{
    if (calledFromDBus()) {
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("no menu entry %1").arg(id));
    }
}

uint DBusMenuExporter::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames, MenuLayout& layout)
{
    if (!known(parentId)) {
        refuseUnknown(parentId);
        return m_revision;
    }
    layout = layoutOf(parentId, recursionDepth, propertyNames);
    return m_revision;
}

QList<MenuItemProperties> DBusMenuExporter::GetGroupProperties(const QList<int>& ids, const QStringList& propertyNames)
{
    QList<MenuItemProperties> found;
    for (const int id : ids) {
        if (known(id)) {
            found.push_back({id, properties(id, propertyNames)});
        }
    }
    return found;
}

QDBusVariant DBusMenuExporter::GetProperty(int id, const QString& name)
{
    const QVariantMap all = properties(id);
    if (!all.contains(name)) {
        refuseUnknown(id);
        return QDBusVariant(QVariant(0));
    }
    return QDBusVariant(all.value(name));
}

bool DBusMenuExporter::handleEvent(int id, const QString& eventId)
{
    if (!known(id)) {
        return false;
    }
    if (eventId == QStringLiteral("clicked")) {
        QAction* action = actionOf(id);
        // Triggered once the call is answered: an action may quit or open a
        // modal window, and the host is waiting for the reply.
        if (action != nullptr && action->isEnabled()) {
            QMetaObject::invokeMethod(action, &QAction::trigger, Qt::QueuedConnection);
        }
    }
    return true;
}

void DBusMenuExporter::Event(int id, const QString& eventId, const QDBusVariant& /*data*/, uint /*timestamp*/)
{
    if (!handleEvent(id, eventId)) {
        refuseUnknown(id);
    }
}

QList<int> DBusMenuExporter::EventGroup(const QList<MenuEvent>& events)
{
    QList<int> idErrors;
    for (const MenuEvent& event : events) {
        if (!handleEvent(event.id, event.eventId)) {
            idErrors.push_back(event.id);
        }
    }
    return idErrors;
}

bool DBusMenuExporter::AboutToShow(int id)
{
    if (QMenu* menu = menuOf(id)) {
        // Code that fills a menu as it opens listens here; what it changes
        // reaches the host as a layout update of its own.
        Q_EMIT menu->aboutToShow();
    }
    return false;
}

QList<int> DBusMenuExporter::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors)
{
    for (const int id : ids) {
        if (known(id)) {
            (void)AboutToShow(id);
        } else {
            idErrors.push_back(id);
        }
    }
    return {};
}

bool DBusMenuExporter::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ActionAdded:
    case QEvent::ActionRemoved:
        m_layoutChanged = true;
        m_announce.start();
        break;
    case QEvent::ActionChanged:
        if (const auto* changed = dynamic_cast<QActionEvent*>(event);
            changed != nullptr && m_ids.contains(changed->action())) {
            m_changed.insert(m_ids.value(changed->action()));
            m_announce.start();
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void DBusMenuExporter::announce()
{
    if (m_layoutChanged) {
        m_layoutChanged = false;
        m_changed.clear();
        Q_EMIT LayoutUpdated(++m_revision, rootId);
        return;
    }
    QList<MenuItemProperties> updated;
    for (const int id : std::as_const(m_changed)) {
        if (known(id)) {
            updated.push_back({id, properties(id)});
        }
    }
    m_changed.clear();
    if (!updated.isEmpty()) {
        Q_EMIT ItemsPropertiesUpdated(updated, {});
    }
}

}  // namespace ostrel
