#include "updates/UpdateController.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include <QDesktopServices>
#include <QFuture>
#include <QUrl>
#include <QtConcurrent>

#include "base/QtText.h"
#include "settings/AppSettings.h"
#include "updates/ReleaseVersion.h"
#include "updates/UpdateDialog.h"

namespace ostrel {
namespace {

constexpr int minutesPerDay = 24 * 60;

[[nodiscard]] QDateTime localTime(Date date)
{
    return QDateTime::fromSecsSinceEpoch(static_cast<qint64>(secondsSince1970(date)), Qt::LocalTime);
}

[[nodiscard]] int randomMinuteOfDay()
{
    std::random_device device;
    return std::uniform_int_distribution<int>(0, minutesPerDay - 1)(device);
}

}  // namespace

std::optional<ReleaseFeedAddress> UpdateController::builtInFeed()
{
    ReleaseFeedAddress address;
    address.url = OSTREL_RELEASE_FEED_URL;
    address.publicKey = OSTREL_RELEASE_FEED_KEY;
    if (address.url.empty() || address.publicKey.empty()) {
        return std::nullopt;
    }
    return address;
}

std::string UpdateController::versionText()
{
    return std::string(OSTREL_VERSION) + " (" + OSTREL_BUILD_ID + ")";
}

UpdateController::UpdateController(Fetch fetch,
                                   std::string currentVersion,
                                   AppSettings& settings,
                                   Clock clock,
                                   QObject* parent)
    : QObject(parent)
    , m_fetch(std::move(fetch))
    , m_currentVersion(std::move(currentVersion))
    , m_settings(settings)
    , m_clock(std::move(clock))
    , m_openUrl([](const std::string& address) { QDesktopServices::openUrl(QUrl(qText(address))); })
    , m_checkMinute(randomMinuteOfDay())
{
    m_worker.setMaxThreadCount(1);
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::VeryCoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, &UpdateController::check);
    connect(&m_settings,
            &AppSettings::automaticallyChecksForUpdatesChanged,
            this,
            &UpdateController::scheduleAutomaticCheck);
}

// The dialog refers to the controller, so it goes first; the worker pool then
// waits for a check in flight, which the feed's time-out bounds.
UpdateController::~UpdateController()
{
    m_dialog.reset();
}

void UpdateController::check()
{
    if (m_checking) {
        return;
    }
    m_checking = true;
    m_timer.stop();
    // Recorded at the start, so a check that fails is not retried at once.
    m_settings.setLastUpdateCheck(m_clock());
    Q_EMIT checkStarted();
    QtConcurrent::run(&m_worker, m_fetch).then(this, [this](const std::expected<ReleaseEntry, std::string>& result) {
        finish(result);
    });
}

void UpdateController::finish(const std::expected<ReleaseEntry, std::string>& result)
{
    m_checking = false;
    UpdateCheckOutcome outcome;
    if (!result) {
        outcome.kind = UpdateCheckOutcome::Kind::failed;
        outcome.failure = result.error();
        // A failed check tells nothing about the release found before it.
    } else {
        const auto offered = ReleaseVersion::parse(result->version);
        const auto current = ReleaseVersion::parse(m_currentVersion);
        const bool newer = offered && (!current || *offered > *current);
        outcome.kind = newer ? UpdateCheckOutcome::Kind::newer : UpdateCheckOutcome::Kind::upToDate;
        outcome.release = *result;
        setAvailable(newer ? std::optional(*result) : std::nullopt);
    }
    m_lastOutcome = outcome;
    Q_EMIT checkFinished(outcome);
    scheduleAutomaticCheck();
}

void UpdateController::setAvailable(std::optional<ReleaseEntry> release)
{
    std::optional<std::string> version;
    if (release) {
        version = release->version;
    }
    m_availableRelease = std::move(release);
    if (std::exchange(m_availableVersion, version) != version) {
        Q_EMIT availableVersionChanged();
    }
}

void UpdateController::showCheckDialog()
{
    if (!m_dialog) {
        m_dialog = std::make_unique<UpdateDialog>(*this);
    }
    if (m_availableRelease) {
        m_dialog->showOutcome(UpdateCheckOutcome{UpdateCheckOutcome::Kind::newer, m_availableRelease, {}});
    } else {
        m_dialog->showChecking();
        check();
    }
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}

void UpdateController::openReleasePage()
{
    if (!m_availableRelease) {
        return;
    }
    m_openUrl(m_availableRelease->page);
    setAvailable(std::nullopt);
}

void UpdateController::startAutomaticChecks()
{
    m_automatic = true;
    scheduleAutomaticCheck();
}

std::optional<QDateTime> UpdateController::nextAutomaticCheck() const
{
    if (!m_timer.isActive()) {
        return std::nullopt;
    }
    return localTime(m_clock()).addMSecs(m_timer.remainingTime());
}

void UpdateController::scheduleAutomaticCheck()
{
    m_timer.stop();
    if (!m_automatic || !m_settings.automaticallyChecksForUpdates() || m_checking) {
        return;
    }
    // Once a day, at this process's minute of the local day: the latest such
    // moment not after now is due unless a check has happened since.
    const QDateTime now = localTime(m_clock());
    QDateTime due = QDateTime(now.date(), QTime(0, 0)).addSecs(qint64{m_checkMinute} * 60);
    if (due > now) {
        due = due.addDays(-1);
    }
    const auto last = m_settings.lastUpdateCheck();
    const bool checkedSince = last && localTime(*last) >= due;
    const qint64 wait = checkedSince ? now.msecsTo(due.addDays(1)) : 0;
    m_timer.start(static_cast<int>(std::clamp<qint64>(wait, 0, std::numeric_limits<int>::max())));
}

}  // namespace ostrel
