#pragma once
// A tray item through Qt's own tray icon, for XEmbed trays: Qt embeds a window
// of its own per item, which carries the item's tooltip, and draws the menu
// itself. That window is titled after the item, so the desktop and its tools
// tell the items apart. Main thread only.

#include <QMenu>
#include <QSystemTrayIcon>

#include "platform/TrayItem.h"

namespace ostrel {

class SystemTrayItem final : public TrayItem
{
    Q_OBJECT

public:
    explicit SystemTrayItem(QMenu& menu, QObject* parent = nullptr);

    void setIcon(const QIcon& icon) override;
    void setToolTip(const QString& text) override;
    void setTitle(const QString& title) override;
    void setShown(bool shown) override;

    [[nodiscard]] QIcon icon() const override;
    [[nodiscard]] QString toolTip() const override;
    [[nodiscard]] QString title() const override;

    /// Qt's icon, which receives the host's events.
    [[nodiscard]] QSystemTrayIcon& trayIcon()
    {
        return m_icon;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void titleEmbeddedWindow();

    QSystemTrayIcon m_icon;
    QString m_title;
};

}  // namespace ostrel
