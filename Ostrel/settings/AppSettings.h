#pragma once
// The user's choices, read once from the settings file and kept in memory;
// every assignment writes its key and syncs at once. Defaults live here in code
// and are never written. Also owns the login item and the panel's and morning
// report's remembered keys. Main thread only.

#include <expected>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QObject>
#include <QSettings>

#include "model/AlertRules.h"
#include "model/ClockTime.h"
#include "model/Date.h"
#include "model/Provider.h"
#include "model/ToolAccount.h"
#include "platform/LoginItem.h"
#include "readers/ToolChoice.h"
#include "settings/SettingChoices.h"

namespace ostrel {

class AppSettings : public QObject
{
    Q_OBJECT

public:
    static constexpr std::string_view fileName = "Ostrel.conf";
    static constexpr int defaultRefreshMinutes = 60;
    /// The longest interval whose milliseconds still fit a timer's int.
    static constexpr int longestRefreshMinutes = 35791;

    /// Keeps the settings in `folder`/Ostrel.conf (the folder is made, 0700, on
    /// the first write) and the login item as `loginItem`. Anything but a regular
    /// file in the settings file's place (a FIFO would block) is never opened:
    /// the defaults hold, and choices made are kept for this run alone.
    AppSettings(std::filesystem::path folder, LoginItem loginItem, QObject* parent = nullptr);

    /// $XDG_CONFIG_HOME/Ostrel, else ~/.config/Ostrel.
    [[nodiscard]] static std::filesystem::path userFolder();

    [[nodiscard]] std::filesystem::path filePath() const;

    [[nodiscard]] bool claudeEnabled() const
    {
        return m_claudeEnabled;
    }

    void setClaudeEnabled(bool enabled);

    [[nodiscard]] bool openaiEnabled() const
    {
        return m_openaiEnabled;
    }

    void setOpenaiEnabled(bool enabled);

    /// `claudeEnabled` or `openaiEnabled`.
    [[nodiscard]] bool isEnabled(Provider provider) const;
    /// The enabled providers in the order of `allProviders`.
    [[nodiscard]] std::vector<Provider> enabledProviders() const;

    /// The interval in effect, in minutes: a stored value below 1 counts as 60
    /// (it would make the timer fire continuously) and one above
    /// `longestRefreshMinutes` as that. Every consumer reads this one.
    [[nodiscard]] int refreshMinutes() const;

    /// The value as stored, which the sanitising above never rewrites.
    [[nodiscard]] int storedRefreshMinutes() const
    {
        return m_refreshMinutes;
    }

    void setRefreshMinutes(int minutes);

    [[nodiscard]] TrayStyle trayStyle() const
    {
        return m_trayStyle;
    }

    void setTrayStyle(TrayStyle style);

    /// "trayIcon": the panel colour the tray marks are drawn for.
    [[nodiscard]] TrayIconMode trayIconMode() const
    {
        return m_trayIconMode;
    }

    void setTrayIconMode(TrayIconMode mode);

    [[nodiscard]] GaugeWindow gaugeWindow() const
    {
        return m_gaugeWindow;
    }

    void setGaugeWindow(GaugeWindow window);

    [[nodiscard]] bool morningReport() const
    {
        return m_morningReport;
    }

    void setMorningReport(bool enabled);

    /// "morningReportTime": when on the wall clock the morning report goes out.
    [[nodiscard]] ClockTime morningReportTime() const
    {
        return m_morningReportTime;
    }

    void setMorningReportTime(ClockTime time);

    /// Whether the alerts of `topic` are sent; all are, until switched off.
    [[nodiscard]] bool alertOn(AlertTopic topic) const;
    void setAlertOn(AlertTopic topic, bool on);

    /// The used share (percent) at which a limit alerts: one of `alertThresholds`.
    [[nodiscard]] int alertThresholdPercent() const;
    void setAlertThresholdPercent(int percent);

    [[nodiscard]] const std::string& claudePath() const
    {
        return m_claudePath;
    }

    void setClaudePath(const std::string& path);

    [[nodiscard]] const std::string& codexPath() const
    {
        return m_codexPath;
    }

    void setCodexPath(const std::string& path);

    /// The folder claude keeps its settings, credentials and logs in; blank for
    /// the one CLAUDE_CONFIG_DIR names or ~/.claude.
    [[nodiscard]] const std::string& claudeFolder() const
    {
        return m_claudeFolder;
    }

    void setClaudeFolder(const std::string& folder);

    /// The same for codex: blank for the one CODEX_HOME names or ~/.codex.
    [[nodiscard]] const std::string& codexFolder() const
    {
        return m_codexFolder;
    }

    void setCodexFolder(const std::string& folder);

    /// The path and folder to use for the provider's tool: the stored texts as
    /// they are, each absent when only blanks and tabs (or nothing) are stored.
    [[nodiscard]] ToolChoice toolChoice(Provider provider) const;
    /// The account's: a named account is read with the tool's executable and its own folder.
    [[nodiscard]] ToolChoice toolChoice(const ToolAccount& account) const;

    /// The tool's accounts: the default one first, its folder empty (it is
    /// wherever `ToolFolder` finds it), then the named ones in the order they
    /// were added (the groups "claudeAccounts" and "codexAccounts"; AccountGroups).
    [[nodiscard]] std::vector<ToolAccount> accounts(Provider provider) const;
    /// For each enabled provider, in `allProviders` order: its default account, then its named ones.
    [[nodiscard]] std::vector<ToolAccount> enabledAccounts() const;
    /// The tool's account known by `key`; absent once it was removed.
    [[nodiscard]] std::optional<ToolAccount> account(const AccountKey& key) const;

    /// Adds a named account of the tool, or says in one sentence why it cannot
    /// (AccountList::add; the default account's folder is the one the settings
    /// or Ostrel's environment give: the login shell is not asked here).
    [[nodiscard]] std::expected<ToolAccount, std::string>
    addAccount(Provider provider, const std::string& name, const std::filesystem::path& folder);

    /// Removes the tool's named account `id`; false when it has none by that id.
    bool removeAccount(Provider provider, const std::string& id);

    /// Mirrors the login item; assigning a different value turns the item on or off.
    [[nodiscard]] bool launchAtLogin() const
    {
        return m_launchAtLogin;
    }

    /// A failure keeps the requested value and sets `launchAtLoginError`.
    void setLaunchAtLogin(bool enabled);

    /// The description of the last failed login-item change; a later success
    /// does not clear it.
    [[nodiscard]] const std::optional<std::string>& launchAtLoginError() const
    {
        return m_launchAtLoginError;
    }

    /// On the first normal launch for a user, turns the login item on, once.
    void applyFirstLaunchDefaults();

    /// Takes over the login item's state when it changed outside Ostrel.
    void syncLaunchAtLogin();

    /// "configuredLoginItem": true once the first-launch login item was set up.
    [[nodiscard]] bool configuredLoginItem() const
    {
        return m_configuredLoginItem;
    }

    /// "lastMorningReport": the day key ("2026-03-09") of the last morning report.
    [[nodiscard]] const std::optional<std::string>& lastMorningReport() const
    {
        return m_lastMorningReport;
    }

    void setLastMorningReport(const std::string& dayKey);

    /// "welcomed": true once the first live launch told the user where Ostrel lives.
    [[nodiscard]] bool welcomed() const
    {
        return m_welcomed;
    }

    void setWelcomed();

    /// "automaticallyChecksForUpdates": whether the updater checks on its own, once a day.
    [[nodiscard]] bool automaticallyChecksForUpdates() const
    {
        return m_automaticallyChecksForUpdates;
    }

    void setAutomaticallyChecksForUpdates(bool enabled);

    /// "lastUpdateCheck": when the updater last asked the release feed (stored
    /// as ISO 8601 UTC text, whole seconds); absent before the first check.
    [[nodiscard]] std::optional<Date> lastUpdateCheck() const
    {
        return m_lastUpdateCheck;
    }

    void setLastUpdateCheck(Date when);

    [[nodiscard]] PanelTab panelTab() const
    {
        return m_panelTab;
    }

    void setPanelTab(PanelTab tab);

    [[nodiscard]] ActivityRange activityRange() const
    {
        return m_activityRange;
    }

    void setActivityRange(ActivityRange range);

    [[nodiscard]] ActivityMeasure activityMeasure() const
    {
        return m_activityMeasure;
    }

    void setActivityMeasure(ActivityMeasure measure);

Q_SIGNALS:
    // Each is emitted after its value changed (an assignment of the same value
    // writes the key but notifies nobody), followed by `changed`.
    void claudeEnabledChanged(bool enabled);
    void openaiEnabledChanged(bool enabled);
    /// Carries the interval in effect.
    void refreshMinutesChanged(int minutes);
    void trayStyleChanged(ostrel::TrayStyle style);
    void trayIconModeChanged(ostrel::TrayIconMode mode);
    void gaugeWindowChanged(ostrel::GaugeWindow window);
    void morningReportChanged(bool enabled);
    void morningReportTimeChanged();
    /// A switch or the threshold of the alerts.
    void alertsChanged();
    void claudePathChanged();
    void codexPathChanged();
    void claudeFolderChanged();
    void codexFolderChanged();
    /// A named account of the tool was added or removed.
    void accountsChanged(ostrel::Provider provider);
    void launchAtLoginChanged(bool enabled);
    void launchAtLoginErrorChanged();
    void automaticallyChecksForUpdatesChanged(bool enabled);
    void panelTabChanged(ostrel::PanelTab tab);
    void activityRangeChanged(ostrel::ActivityRange range);
    void activityMeasureChanged(ostrel::ActivityMeasure measure);
    /// After any of the above.
    void changed();

private:
    struct Keys;

    /// Reads `key` from the file, or its default.
    template <class K>
    void load(const K& key);
    /// Writes `value` under `key`, keeps it and, when it changed, tells the key's listeners.
    template <class K, class T>
    void assign(const K& key, T value);
    /// Makes `change` to the file, syncs, and keeps the folder and file private.
    void write(const std::function<void(QSettings&)>& change);
    [[nodiscard]] std::vector<ToolAccount>& namedAccounts(Provider provider);
    [[nodiscard]] const std::vector<ToolAccount>& namedAccounts(Provider provider) const;
    /// Writes the tool's named accounts and tells their listeners.
    void storeAccounts(Provider provider);

    std::filesystem::path m_folder;
    /// Absent when something other than a regular file holds the settings file's place.
    std::optional<QSettings> m_store;
    LoginItem m_loginItem;
    /// Declared after the login item, which it is read from.
    bool m_launchAtLogin = false;
    std::optional<std::string> m_launchAtLoginError;

    // The stored keys, read from the file by the constructor; their names and
    // defaults are in the table of keys, AppSettingsKeys.h.
    bool m_claudeEnabled{};
    bool m_openaiEnabled{};
    int m_refreshMinutes{};
    TrayStyle m_trayStyle{};
    TrayIconMode m_trayIconMode{};
    GaugeWindow m_gaugeWindow{};
    bool m_morningReport{};
    ClockTime m_morningReportTime;
    bool m_alertPace{};
    bool m_alertRunsOut{};
    bool m_alertThreshold{};
    bool m_alertRenewed{};
    bool m_alertAccount{};
    int m_alertThresholdPercent{};
    std::string m_claudePath;
    std::string m_codexPath;
    std::string m_claudeFolder;
    std::string m_codexFolder;
    bool m_configuredLoginItem{};
    std::optional<std::string> m_lastMorningReport;
    bool m_welcomed{};
    bool m_automaticallyChecksForUpdates{};
    std::optional<Date> m_lastUpdateCheck;
    PanelTab m_panelTab{};
    ActivityRange m_activityRange{};
    ActivityMeasure m_activityMeasure{};
    // The named accounts, read by the constructor from groups of their own (AccountGroups).
    std::vector<ToolAccount> m_claudeAccounts;
    std::vector<ToolAccount> m_codexAccounts;
};

}  // namespace ostrel
