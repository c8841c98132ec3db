#pragma once
// The tray presence: one tray item per account of each enabled tool, each
// showing that account's mark (tray hosts draw icons square), one item with a
// row per account in the stacked style, or one item with the gauge symbol when none
// is enabled. Each item has its own title and a tooltip that starts with its
// own provider's line; all share the menu and click behaviour. Where a
// StatusNotifierWatcher is on the session bus when the controller is made,
// the items are StatusNotifierItems of our own (Qt's give every item the
// application's name as id and title); otherwise Qt's tray icons, for XEmbed
// trays. Hover is known only where the host passes the pointer's rest on as a
// tooltip request (XEmbed trays do). Main thread only.

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QDBusServiceWatcher>
#include <QMenu>
#include <QObject>
#include <QTimer>

#include "base/WallClock.h"
#include "model/ToolAccount.h"
#include "platform/TrayItem.h"
#include "tray/LabelSource.h"

namespace ostrel {

class AppSettings;
class PanelWindow;
class UpdateController;
class UsageStore;

class StatusItemController : public QObject
{
    Q_OBJECT

public:
    /// `updates` may be absent: then nothing offers to check for updates.
    StatusItemController(UsageStore& store,
                         AppSettings& settings,
                         Clock clock = wallClockNow,
                         UpdateController* updates = nullptr,
                         QObject* parent = nullptr);
    ~StatusItemController() override;

    StatusItemController(const StatusItemController&) = delete;
    StatusItemController& operator=(const StatusItemController&) = delete;

    /// Opens settings; does nothing until the application replaces it.
    // NOLINTNEXTLINE(misc-non-private-member-variables-in-classes): a hook the application sets after construction
    std::function<void()> openSettings = [] {
    };
    /// Puts a picture of the panel on the clipboard, with `fallbackText` for
    /// those that take only text; does nothing until the application replaces it.
    // NOLINTNEXTLINE(misc-non-private-member-variables-in-classes): a hook the application sets after construction
    std::function<void(const QString& fallbackText)> copyPicture = [](const QString& /*fallbackText*/) {
    };

    /// Shows the tray items.
    void show();
    /// A left click: opens the panel by `anchor` (the item, where the host
    /// reports it) after the checks an opening makes, or closes it.
    void togglePanel(std::optional<QRect> anchor = std::nullopt);
    /// "Copy Snapshot": a picture of the panel on the clipboard.
    void copySnapshot();
    /// "Refresh Now", and a middle click on an item: every enabled provider and the activity, whatever their age.
    void refreshNow();
    /// "Check for Updates…" (only with an updater): the update check dialog.
    void checkForUpdates();
    /// "Copy Summary Text": the report lines as plain text on the clipboard.
    void copyText();
    /// Redraws the marks and the tooltip for `now`; the minute timer and every change call it.
    void reevaluate();
    /// The pointer rests on an item: the tooltip is brought up to date, then old readings are checked.
    void hovered();

    /// Every report line, for the copied text and the item that stands for all providers.
    [[nodiscard]] QString toolTip() const;
    /// The tooltip of item `index`: its own account's line first, then the others.
    [[nodiscard]] QString toolTip(std::size_t index) const;
    /// "Ostrel — Claude" (or "Ostrel — Claude · Work") for an item of one account, "Ostrel" for the others.
    [[nodiscard]] QString title(std::size_t index) const;

    [[nodiscard]] const LabelContent& content() const
    {
        return m_content;
    }

    [[nodiscard]] const std::vector<std::unique_ptr<TrayItem>>& items() const
    {
        return m_items;
    }

    [[nodiscard]] QMenu& menu()
    {
        return m_menu;
    }

    [[nodiscard]] PanelWindow& panel() const
    {
        return *m_panel;
    }

private:
    void buildMenu();
    void applyToolTip();
    void applyTitles();
    /// True when the items were made anew and are still to be shown.
    [[nodiscard]] bool rebuildItems(std::size_t count);
    [[nodiscard]] std::unique_ptr<TrayItem> makeItem();
    /// Shows the items (or, `again`, introduces them to a new host) last first.
    void showInOrder(bool again = false);
    void introduceNext();
    void followWatcher();
    /// The accounts item `index` stands for: its own, or all of them in the stacked style.
    [[nodiscard]] std::vector<AccountKey> accountsOf(std::size_t index) const;

    UsageStore& m_store;
    AppSettings& m_settings;
    Clock m_clock;
    UpdateController* m_updates;
    QMenu m_menu;
    QTimer m_minuteTimer;
    LabelContent m_content;
    bool m_shown = false;
    bool m_statusNotifier = false;
    std::vector<std::unique_ptr<TrayItem>> m_items;
    std::unique_ptr<QDBusServiceWatcher> m_trayWatcher;
    std::deque<TrayItem*> m_toIntroduce;
    TrayItem* m_awaitedItem = nullptr;
    bool m_introducingAgain = false;
    QTimer m_introductionPause;
    std::unique_ptr<PanelWindow> m_panel;
};

}  // namespace ostrel
