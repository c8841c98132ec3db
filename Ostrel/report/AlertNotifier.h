#pragma once
// Sends the alerts that each new look at the providers raises as desktop
// notifications (critical only for a window running out within the hour), and
// keeps what fired in alerts.json beside the readings, so a restart or a
// repeated reading never sends one again. Live runs only: demonstration data
// never reaches it. The store and the settings are reached through hooks.
// Where the desktop shows actions, an alert opens the panel, and one about a
// tool signed out also offers to sign it in.

#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include <QObject>

#include "base/WallClock.h"
#include "model/AlertRules.h"
#include "model/Date.h"
#include "model/ProviderDisplay.h"
#include "model/ToolAccount.h"
#include "store/UsageReaders.h"

namespace ostrel {

class DesktopNotifier;

class AlertNotifier : public QObject
{
    Q_OBJECT

public:
    struct Hooks
    {
        /// The displays of every enabled account at `now`.
        std::function<std::vector<ProviderDisplay>(Date now)> displays;
        /// The used share (percent) at which a window alerts.
        std::function<double()> threshold = [] {
            return double{defaultAlertThreshold};
        };
        /// Whether alerts of `topic` are sent.
        std::function<bool(AlertTopic)> sends = [](AlertTopic /*topic*/) {
            return true;
        };
        Clock now = wallClockNow;
        /// Opens the panel: a click on an alert, or its "Open panel".
        std::function<void()> openPanel;
        /// The tools Ostrel found, whose login command "Sign in" runs.
        std::function<UsageReaders::FoundTools()> tools;
        /// A named account's folder, where "Sign in" signs it in; empty for the default account.
        std::function<std::filesystem::path(const AccountKey&)> accountFolder;
    };

    /// `stateFile` is where the state is kept; absent keeps it for this run only.
    /// `notifier` is borrowed and must outlive this object.
    AlertNotifier(Hooks hooks,
                  std::optional<std::filesystem::path> stateFile,
                  DesktopNotifier& notifier,
                  QObject* parent = nullptr);

    /// Reads the kept state and starts watching now: what passed while Ostrel
    /// was not running is dropped, not sent.
    void start();

public Q_SLOTS:
    /// Decides on the providers as they are now, sends what fires and keeps the state.
    void check();
    /// After a sleep: what passed while asleep is dropped, then a check.
    void handleWake();

private:
    void actionInvoked(const AccountKey& account, const QString& key) const;

    Hooks m_hooks;
    std::optional<std::filesystem::path> m_stateFile;
    DesktopNotifier* m_notifier;  ///< never null
    std::optional<AlertState> m_state;
    std::optional<Date> m_watchingSince;
};

}  // namespace ostrel
