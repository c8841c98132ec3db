#pragma once
// The updater: asks the signed release feed this build names whether a newer
// Ostrel exists, announces it (`availableVersion`, the panel's Update button,
// the check dialog) and opens its release page. Installing is the package
// manager's work, so it never replaces its own binary. Exists only in normal
// runs of a build that names a feed; everything that offers updates treats it
// as optional. Main thread only; the feed is read on a worker thread.

#include <expected>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>

#include <QDateTime>
#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include "base/WallClock.h"
#include "updates/ReleaseFeed.h"

namespace ostrel {

class AppSettings;
class UpdateDialog;

/// How a check ended.
struct UpdateCheckOutcome
{
    enum class Kind
    {
        newer,
        upToDate,
        failed
    };

    Kind kind = Kind::upToDate;
    /// The feed's entry, for `newer` and `upToDate`.
    std::optional<ReleaseEntry> release;
    /// One sentence, for `failed`.
    std::string failure;
};

class UpdateController : public QObject
{
    Q_OBJECT

public:
    /// Reads the feed; runs on a worker thread.
    using Fetch = std::function<std::expected<ReleaseEntry, std::string>()>;
    /// Opens an address in the user's browser.
    using OpenUrl = std::function<void(const std::string&)>;

    /// The feed this build was configured with; absent (no updater) when the
    /// build names no feed address or no key.
    [[nodiscard]] static std::optional<ReleaseFeedAddress> builtInFeed();
    /// "0.1.0 (3f2a9c1d0b4e)": the program's version and the commit it was built from, or "?".
    [[nodiscard]] static std::string versionText();

    UpdateController(Fetch fetch,
                     std::string currentVersion,
                     AppSettings& settings,
                     Clock clock = wallClockNow,
                     QObject* parent = nullptr);
    ~UpdateController() override;

    UpdateController(const UpdateController&) = delete;
    UpdateController& operator=(const UpdateController&) = delete;

    /// The display version of a newer release the last check found; absent otherwise.
    [[nodiscard]] const std::optional<std::string>& availableVersion() const
    {
        return m_availableVersion;
    }

    [[nodiscard]] bool isChecking() const
    {
        return m_checking;
    }

    /// Asks the feed now, unless a check is already running (then its end serves both).
    void check();
    /// "Check for Updates…" and the panel's Update button: the check dialog,
    /// showing a release already found, else checking.
    void showCheckDialog();
    /// Opens the found release's page; the user has seen it, so the
    /// announcement ends.
    void openReleasePage();
    /// Starts the daily automatic checks (call once the first readings are
    /// done, so a check never competes with them at start-up).
    void startAutomaticChecks();

    /// The next automatic check, for tests; absent when none is scheduled.
    [[nodiscard]] std::optional<QDateTime> nextAutomaticCheck() const;

    /// The release found by the last check that found one.
    [[nodiscard]] const std::optional<ReleaseEntry>& availableRelease() const
    {
        return m_availableRelease;
    }

    [[nodiscard]] const std::optional<UpdateCheckOutcome>& lastOutcome() const
    {
        return m_lastOutcome;
    }

    /// Replaces the browser opener (tests).
    void setOpenUrl(OpenUrl open)
    {
        m_openUrl = std::move(open);
    }

    [[nodiscard]] UpdateDialog* dialog() const
    {
        return m_dialog.get();
    }

Q_SIGNALS:
    void availableVersionChanged();
    void checkStarted();
    void checkFinished(const ostrel::UpdateCheckOutcome& outcome);

private:
    void finish(const std::expected<ReleaseEntry, std::string>& result);
    void setAvailable(std::optional<ReleaseEntry> release);
    void scheduleAutomaticCheck();

    Fetch m_fetch;
    std::string m_currentVersion;
    AppSettings& m_settings;
    Clock m_clock;
    OpenUrl m_openUrl;
    QThreadPool m_worker;
    bool m_checking = false;
    bool m_automatic = false;
    /// The minute of the local day at which this process checks, chosen at
    /// random so the feed's readers do not all arrive at midnight.
    int m_checkMinute = 0;
    QTimer m_timer;
    std::optional<std::string> m_availableVersion;
    std::optional<ReleaseEntry> m_availableRelease;
    std::optional<UpdateCheckOutcome> m_lastOutcome;
    std::unique_ptr<UpdateDialog> m_dialog;
};

}  // namespace ostrel

Q_DECLARE_METATYPE(ostrel::UpdateCheckOutcome)
