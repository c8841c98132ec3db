#include "platform/SystemTrayItem.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace ostrel {
namespace {

// Qt names the widget it embeds in an XEmbed tray for each item this way.
constexpr QLatin1String embeddedItemName{"QSystemTrayIconSys"};

}  // namespace

SystemTrayItem::SystemTrayItem(QMenu& menu, QObject* parent)
    : TrayItem(parent)
{
    m_icon.setContextMenu(&menu);
    m_icon.installEventFilter(this);
    connect(&m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // The host opens the context menu itself; a plain click is the left click.
        // A double click arrives after its first click's Trigger, so it is not a second one.
        if (reason == QSystemTrayIcon::Trigger) {
            Q_EMIT clicked(m_icon.geometry());
        } else if (reason == QSystemTrayIcon::MiddleClick) {
            Q_EMIT middleClicked();
        }
    });
}

void SystemTrayItem::setIcon(const QIcon& icon)
{
    m_icon.setIcon(icon);
}

void SystemTrayItem::setToolTip(const QString& text)
{
    m_icon.setToolTip(text);
    titleEmbeddedWindow();
}

void SystemTrayItem::setTitle(const QString& title)
{
    m_title = title;
    m_icon.setObjectName(title);
    titleEmbeddedWindow();
}

void SystemTrayItem::setShown(bool shown)
{
    m_icon.setVisible(shown);
    titleEmbeddedWindow();
}

QIcon SystemTrayItem::icon() const
{
    return m_icon.icon();
}

QString SystemTrayItem::toolTip() const
{
    return m_icon.toolTip();
}

QString SystemTrayItem::title() const
{
    return m_title;
}

// QSystemTrayIcon has no setter for an item's title, and its embedded window
// is known only by the tooltip it carries, which is the item's own.
void SystemTrayItem::titleEmbeddedWindow()
{
    if (m_title.isEmpty()) {
        return;
    }
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == embeddedItemName && widget->toolTip() == m_icon.toolTip()) {
            widget->setWindowTitle(m_title);
        }
    }
}

bool SystemTrayItem::eventFilter(QObject* watched, QEvent* event)
{
    // QSystemTrayIcon has no hover signal; the tooltip request is the one sign
    // of a resting pointer, and it is let through so the fresh tip is shown.
    if (watched == &m_icon && event->type() == QEvent::ToolTip) {
        Q_EMIT hovered();
    }
    return TrayItem::eventFilter(watched, event);
}

}  // namespace ostrel
