#pragma once
// The application's single source of truth and its main loop: the last
// reading and failure of each provider, the allowance history, the local
// activity and the detected tool paths. It decides when each provider is read,
// runs the readers off the main thread, records and saves their results, and
// tells observers through `changed()`. Confined to the main thread.

#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <QDBusConnection>
#include <QFuture>
#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include "base/WallClock.h"
#include "model/AllowancePoint.h"
#include "model/Date.h"
#include "model/Provider.h"
#include "model/ProviderDisplay.h"
#include "model/ReadingsFile.h"
#include "model/ReadingsWriter.h"
#include "model/ToolAccount.h"
#include "readers/ClaudeStatusLine.h"
#include "store/AccountDisplays.h"
#include "store/ActivityScans.h"
#include "store/ReadingsInFlight.h"
#include "store/RetrySchedule.h"
#include "store/UsageReaders.h"

namespace ostrel {

class AppSettings;
class ConnectivityMonitor;
class CredentialWatch;
class SettingsFollower;
class StatusLineDrops;
class WakeMonitor;

class UsageStore : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        bool demo = false;
        /// Where readings.json lives; absent means nothing is loaded or saved.
        std::optional<std::filesystem::path> dataFolder;
        UsageReaders readers;
        Clock clock = wallClockNow;
        /// Where NetworkManager is listened to (live runs); absent means the system bus.
        std::optional<QDBusConnection> networkBus;
    };

    UsageStore(const AppSettings& settings, Options options, QObject* parent = nullptr);
    ~UsageStore() override;

    UsageStore(const UsageStore&) = delete;
    UsageStore& operator=(const UsageStore&) = delete;

    /// Live operation: the schedule, a first reading, a first scan, the tool search.
    void start();
    /// Reads every account of the given providers exactly as listed, or the enabled accounts; returns at once.
    void refresh(const std::optional<std::vector<Provider>>& providers = std::nullopt);
    /// Reads the providers' accounts now, or, where a reading is in flight (it may have
    /// started with settings since changed), again as soon as it is recorded.
    void readAgain(const std::vector<Provider>& providers);
    /// `readAgain` for the given accounts alone.
    void readAccountsAgain(const std::vector<AccountKey>& accounts);
    /// The tool's named accounts changed in the settings: a new one is read at
    /// once, and a removed one's readings are forgotten, here and in the file.
    void followAccounts(Provider provider);
    /// Reads each enabled account last attempted more than `maxAge` seconds ago, or never.
    void refreshIfStale(double maxAge);

    /// Scans activity unless a scan runs or the last one ended less than `maxAge` seconds ago.
    void refreshActivity(double maxAge)
    {
        m_activity->refresh(maxAge);
    }

    /// Scans activity now, or again as soon as the scan in flight ends.
    void rescanActivity()
    {
        m_activity->rescan();
    }

    /// (Re)creates the regular refresh from the settings' interval.
    void reschedule();
    /// Searches both tools afresh and publishes what was found.
    QFuture<void> detectPaths();
    /// Reads every enabled provider at once, joining a reading already in
    /// flight; finishes when all results are recorded.
    QFuture<void> refreshAndWait();
    /// The two checks after the computer wakes from sleep.
    void handleWake();
    /// Takes what Claude Code's status line reported as the reading of
    /// Claude's account `accountId` (empty for the default one) when it is
    /// newer than the last and no fresh reading of Claude's own readers
    /// stands; the retries after their failures go on regardless. Figures of
    /// an account not enabled in the settings are dropped.
    void takeStatusLine(const std::string& accountId, const ClaudeStatusLine::Figures& figures);

    [[nodiscard]] std::vector<Provider> enabledProviders() const;
    /// For each enabled provider, in `allProviders` order: its default account, then its named ones.
    [[nodiscard]] std::vector<ToolAccount> enabledAccounts() const;
    /// Seconds after which a reading without a later failure counts as stale.
    [[nodiscard]] double staleAfter() const;

    /// The default account's display.
    [[nodiscard]] ProviderDisplay display(Provider provider, Date now) const
    {
        return display(AccountKey{provider, {}}, now);
    }

    [[nodiscard]] ProviderDisplay display(const AccountKey& account, Date now) const
    {
        return AccountDisplays::display(m_saved, m_settings, account, now, staleAfter());
    }

    [[nodiscard]] std::vector<std::string> reportLines(Date now) const
    {
        return AccountDisplays::reportLines(m_saved, m_settings, now, staleAfter());
    }

    /// Where readings.json lives; absent in demonstration runs.
    [[nodiscard]] const std::optional<std::filesystem::path>& dataFolder() const
    {
        return m_options.dataFolder;
    }

    /// The account's readings joined by the allowance points its own folder's logs hold.
    [[nodiscard]] std::vector<AllowancePoint> glidePath(const AccountKey& account) const
    {
        return AccountDisplays::glidePath(m_saved, *m_activity, account, m_options.clock());
    }

    /// Set when the account's server-side usage is far above what this computer logged for it.
    [[nodiscard]] std::optional<std::string> otherDevicesNote(const AccountKey& account) const
    {
        return AccountDisplays::otherDevicesNote(m_saved, *m_activity, account, m_options.clock());
    }

    [[nodiscard]] std::optional<Date> lastUpdated() const
    {
        return AccountDisplays::lastUpdated(m_saved, m_settings);
    }

    /// Why the last save failed; absent after one that succeeded, and before the first.
    [[nodiscard]] const std::optional<std::string>& saveProblem() const
    {
        return m_saveProblem;
    }

    [[nodiscard]] const Saved& saved() const
    {
        return m_saved;
    }

    /// The default accounts' snapshots.
    [[nodiscard]] const Json::SnapshotMap& snapshots() const
    {
        return m_saved.snapshots;
    }

    [[nodiscard]] const Json::HistoryMap& history() const
    {
        return m_saved.history;
    }

    /// Each account's activity on this computer.
    [[nodiscard]] const ActivityScans& activity() const
    {
        return *m_activity;
    }

    [[nodiscard]] const std::set<AccountKey>& refreshing() const
    {
        return m_inFlight.accounts();
    }

    [[nodiscard]] bool scanningActivity() const
    {
        return m_activity->scanning();
    }

    /// What the last search found for each tool: its executable and folder.
    [[nodiscard]] const UsageReaders::FoundTools& detectedTools() const
    {
        return m_detectedTools;
    }

    [[nodiscard]] std::optional<Date> lastActivityScan() const
    {
        return m_activity->lastScan();
    }

    [[nodiscard]] bool isDemo() const
    {
        return m_options.demo;
    }

    /// The timers, for tests that check delays without waiting for them.
    [[nodiscard]] QTimer* scheduleTimer()
    {
        return m_scheduleTimer.get();
    }

    [[nodiscard]] QTimer* retryTimer()
    {
        return m_retries.timer();
    }

Q_SIGNALS:
    /// Any observed field changed: snapshots, history, activity, refreshing,
    /// scanningActivity or detectedTools.
    void changed();
    /// The computer woke from sleep (live runs, after start()); the store has made its
    /// own checks, and the morning report listens too, so one watch serves both.
    void woke();
    /// The readings cannot be kept: the file was set aside at the start (told
    /// by start()) or a save failed. At most once per run; `text` is one or two
    /// sentences for the user.
    void readingsNotKept(const QString& text);

private:
    [[nodiscard]] int intervalMinutes() const;
    [[nodiscard]] ToolChoice toolChoice(Provider provider) const;
    void read(const std::vector<ToolAccount>& accounts);
    [[nodiscard]] QFuture<FetchResult> startReading(const ToolAccount& account);
    void record(const FetchResult& result, const AccountKey& account);
    /// Drops the readings of named accounts the settings no longer hold.
    bool forgetRemovedAccounts();
    /// Reads again the enabled providers whose last reading failed and is to be retried.
    void retryFailing();
    /// The network came back: the retries are made now rather than when due.
    void retryAtOnce();
    void save();
    void tellReadingsNotKept(const std::string& text);

    const AppSettings& m_settings;
    Options m_options;
    Saved m_saved;
    /// Saves the readings, taking in what other processes saved; absent when nothing is kept.
    std::optional<ReadingsWriter> m_writer;
    std::optional<std::string> m_saveProblem;
    bool m_toldReadingsNotKept = false;
    ReadingsInFlight m_inFlight;
    UsageReaders::FoundTools m_detectedTools;
    RetrySchedule m_retries{[this] {
        return intervalMinutes();
    }};
    std::unique_ptr<QTimer> m_scheduleTimer;
    std::unique_ptr<WakeMonitor> m_wakeMonitor;
    std::unique_ptr<ConnectivityMonitor> m_connectivity;
    std::unique_ptr<StatusLineDrops> m_statusLineDrops;
    std::unique_ptr<SettingsFollower> m_settingsFollower;
    std::unique_ptr<CredentialWatch> m_credentialWatch;
    /// Readings, scans and tool searches; sized so a slow reading never holds up the others.
    QThreadPool m_workers;
    /// Each account's activity; its scans run on the workers.
    std::unique_ptr<ActivityScans> m_activity;
};

}  // namespace ostrel
