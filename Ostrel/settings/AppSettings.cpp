#include "settings/AppSettings.h"

#include <sys/stat.h>

#include <algorithm>
#include <system_error>
#include <tuple>
#include <utility>

#include <QFile>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "base/ConfigHome.h"
#include "base/QtText.h"
#include "posix/AtomicFile.h"
#include "settings/SettingKey.h"

namespace ostrel {
namespace {

using settings::Key;
using settings::parse;
using settings::stored;

/// A regular file, or nothing yet; a FIFO, a device or a folder is never opened.
[[nodiscard]] bool isSettingsFile(const std::filesystem::path& file)
{
    std::error_code error;
    const auto type = std::filesystem::status(file, error).type();
    return type == std::filesystem::file_type::regular || type == std::filesystem::file_type::not_found;
}

[[nodiscard]] bool isBlank(std::string_view text)
{
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

/// Below 1 the timer would fire continuously; above the longest its milliseconds overflow.
[[nodiscard]] int refreshMinutesInEffect(int minutes)
{
    return minutes < 1 ? AppSettings::defaultRefreshMinutes : std::min(minutes, AppSettings::longestRefreshMinutes);
}

/// Only the offered thresholds count; a hand-edited other value reads as the default.
[[nodiscard]] int thresholdInEffect(int percent)
{
    return std::ranges::find(alertThresholds, percent) != alertThresholds.end() ? percent : defaultAlertThreshold;
}

}  // namespace

/// Every key of the settings file. Defaults live here and are never written.
struct AppSettings::Keys
{
    using S = AppSettings;
    static inline const Key claudeEnabled{"claudeEnabled", true, &S::m_claudeEnabled, &S::claudeEnabledChanged};
    static inline const Key openaiEnabled{"openaiEnabled", true, &S::m_openaiEnabled, &S::openaiEnabledChanged};
    static inline const Key refreshMinutes{"refreshMinutes",
                                           defaultRefreshMinutes,
                                           &S::m_refreshMinutes,
                                           &S::refreshMinutesChanged,
                                           &refreshMinutesInEffect};
    static inline const Key trayStyle{"menuBarStyle", TrayStyle::cells, &S::m_trayStyle, &S::trayStyleChanged};
    static inline const Key trayIcon{"trayIcon", TrayIconMode::automatic, &S::m_trayIconMode, &S::trayIconModeChanged};
    static inline const Key gaugeWindow{"gaugeWindow", GaugeWindow::weekly, &S::m_gaugeWindow, &S::gaugeWindowChanged};
    static inline const Key morningReport{"morningReport", true, &S::m_morningReport, &S::morningReportChanged};
    static inline const Key morningReportTime{"morningReportTime",
                                              ClockTime{},
                                              &S::m_morningReportTime,
                                              &S::morningReportTimeChanged};
    static inline const Key alertPace{"alertPace", true, &S::m_alertPace, &S::alertsChanged};
    static inline const Key alertRunsOut{"alertRunsOut", true, &S::m_alertRunsOut, &S::alertsChanged};
    static inline const Key alertThreshold{"alertThreshold", true, &S::m_alertThreshold, &S::alertsChanged};
    static inline const Key alertRenewed{"alertRenewed", true, &S::m_alertRenewed, &S::alertsChanged};
    static inline const Key alertAccount{"alertAccount", true, &S::m_alertAccount, &S::alertsChanged};

    /// The switch of `topic`'s alerts.
    static const auto& alertSwitch(AlertTopic topic)
    {
        static const auto switches =
            std::to_array({&alertPace, &alertRunsOut, &alertThreshold, &alertRenewed, &alertAccount});
        static_assert(switches.size() == allCases<AlertTopic>.size());
        return *switches.at(static_cast<std::size_t>(topic));
    }

    static inline const Key alertThresholdPercent{"alertThresholdPercent",
                                                  int{defaultAlertThreshold},
                                                  &S::m_alertThresholdPercent,
                                                  &S::alertsChanged,
                                                  &thresholdInEffect};
    static inline const Key claudePath{"claudePath", std::string(), &S::m_claudePath, &S::claudePathChanged};
    static inline const Key codexPath{"codexPath", std::string(), &S::m_codexPath, &S::codexPathChanged};
    static inline const Key claudeFolder{"claudeFolder", std::string(), &S::m_claudeFolder, &S::claudeFolderChanged};
    static inline const Key codexFolder{"codexFolder", std::string(), &S::m_codexFolder, &S::codexFolderChanged};
    static inline const Key configuredLoginItem{"configuredLoginItem", false, &S::m_configuredLoginItem, nullptr};
    static inline const Key lastMorningReport{"lastMorningReport",
                                              std::optional<std::string>(),
                                              &S::m_lastMorningReport,
                                              nullptr};
    static inline const Key welcomed{"welcomed", false, &S::m_welcomed, nullptr};
    static inline const Key automaticallyChecksForUpdates{"automaticallyChecksForUpdates",
                                                          true,
                                                          &S::m_automaticallyChecksForUpdates,
                                                          &S::automaticallyChecksForUpdatesChanged};
    static inline const Key lastUpdateCheck{"lastUpdateCheck", std::optional<Date>(), &S::m_lastUpdateCheck, nullptr};
    static inline const Key panelTab{"popoverTab", PanelTab::pace, &S::m_panelTab, &S::panelTabChanged};
    static inline const Key activityRange{"activityRange",
                                          ActivityRange::day,
                                          &S::m_activityRange,
                                          &S::activityRangeChanged};
    static inline const Key activityMeasure{"activityMeasure",
                                            ActivityMeasure::all,
                                            &S::m_activityMeasure,
                                            &S::activityMeasureChanged};

    static inline const auto all = std::tie(claudeEnabled,
                                            openaiEnabled,
                                            refreshMinutes,
                                            trayStyle,
                                            trayIcon,
                                            gaugeWindow,
                                            morningReport,
                                            morningReportTime,
                                            alertPace,
                                            alertRunsOut,
                                            alertThreshold,
                                            alertRenewed,
                                            alertAccount,
                                            alertThresholdPercent,
                                            claudePath,
                                            codexPath,
                                            claudeFolder,
                                            codexFolder,
                                            configuredLoginItem,
                                            lastMorningReport,
                                            welcomed,
                                            automaticallyChecksForUpdates,
                                            lastUpdateCheck,
                                            panelTab,
                                            activityRange,
                                            activityMeasure);
};

AppSettings::AppSettings(std::filesystem::path folder, LoginItem loginItem, QObject* parent)
    : QObject(parent)
    , m_folder(std::move(folder))
    , m_loginItem(std::move(loginItem))
    , m_launchAtLogin(m_loginItem.isEnabled())
{
    // QSettings reads the file as it is made, and would wait for ever on a FIFO.
    if (isSettingsFile(filePath())) {
        m_store.emplace(QFile::decodeName(filePath().c_str()), QSettings::IniFormat);
    }
    std::apply([this](const auto&... key) { (load(key), ...); }, Keys::all);
}

std::filesystem::path AppSettings::userFolder()
{
    return currentConfigHome() / "Ostrel";
}

std::filesystem::path AppSettings::filePath() const
{
    return m_folder / fileName;
}

template <class K>
void AppSettings::load(const K& key)
{
    using T = std::remove_cvref_t<decltype(key.fallback)>;
    const QVariant value = m_store ? m_store->value(qText(key.name)) : QVariant();
    std::optional<T> read;
    if (value.typeId() == QMetaType::QStringList) {
        // Unquoted commas make an INI value a list (a hand-edited path, say); joined, it is the text typed.
        read = parse<T>(value.toStringList().join(QLatin1Char(',')));
    } else if (value.isValid()) {
        read = parse<T>(value.toString());
    }
    this->*key.member = read.value_or(key.fallback);
}

template <class K, class T>
void AppSettings::assign(const K& key, T value)
{
    write(key.name, stored(value));
    const bool same = std::exchange(this->*key.member, value) == value;
    if constexpr (!std::is_null_pointer_v<decltype(key.notify)>) {
        if (same) {
            return;
        }
        if constexpr (std::is_invocable_v<decltype(key.notify), AppSettings&>) {
            Q_EMIT(this->*key.notify)();
        } else {
            Q_EMIT(this->*key.notify)(key.inEffect ? key.inEffect(value) : value);
        }
        Q_EMIT changed();
    }
}

void AppSettings::write(std::string_view key, const QVariant& value)
{
    // The folder is made private before QSettings creates the file in it; a
    // failure here shows as a failed sync, and settings failures are not reported.
    static_cast<void>(posix::createFolders(m_folder, S_IRWXU));
    // Kept in memory alone, for this run, while something else holds the file's place.
    if (!m_store || !isSettingsFile(filePath())) {
        return;
    }
    m_store->setValue(qText(key), value);
    m_store->sync();
    // The file holds tool paths; later syncs keep the mode of the file they replace.
    std::error_code error;
    std::filesystem::permissions(filePath(),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::replace,
                                 error);
}

void AppSettings::setClaudeEnabled(bool enabled)
{
    assign(Keys::claudeEnabled, enabled);
}

void AppSettings::setOpenaiEnabled(bool enabled)
{
    assign(Keys::openaiEnabled, enabled);
}

bool AppSettings::isEnabled(Provider provider) const
{
    switch (provider) {
    case Provider::claude:
        return m_claudeEnabled;
    case Provider::openai:
        return m_openaiEnabled;
    }
    return false;
}

std::vector<Provider> AppSettings::enabledProviders() const
{
    std::vector<Provider> providers;
    for (const Provider provider : allProviders) {
        if (isEnabled(provider)) {
            providers.push_back(provider);
        }
    }
    return providers;
}

int AppSettings::refreshMinutes() const
{
    return refreshMinutesInEffect(m_refreshMinutes);
}

void AppSettings::setRefreshMinutes(int minutes)
{
    assign(Keys::refreshMinutes, minutes);
}

void AppSettings::setTrayStyle(TrayStyle style)
{
    assign(Keys::trayStyle, style);
}

void AppSettings::setGaugeWindow(GaugeWindow window)
{
    assign(Keys::gaugeWindow, window);
}

void AppSettings::setTrayIconMode(TrayIconMode mode)
{
    assign(Keys::trayIcon, mode);
}

void AppSettings::setMorningReport(bool enabled)
{
    assign(Keys::morningReport, enabled);
}

void AppSettings::setMorningReportTime(ClockTime time)
{
    assign(Keys::morningReportTime, time);
}

bool AppSettings::alertOn(AlertTopic topic) const
{
    return this->*Keys::alertSwitch(topic).member;
}

void AppSettings::setAlertOn(AlertTopic topic, bool on)
{
    assign(Keys::alertSwitch(topic), on);
}

int AppSettings::alertThresholdPercent() const
{
    return thresholdInEffect(m_alertThresholdPercent);
}

void AppSettings::setAlertThresholdPercent(int percent)
{
    assign(Keys::alertThresholdPercent, percent);
}

void AppSettings::setClaudePath(const std::string& path)
{
    assign(Keys::claudePath, path);
}

void AppSettings::setCodexPath(const std::string& path)
{
    assign(Keys::codexPath, path);
}

void AppSettings::setClaudeFolder(const std::string& folder)
{
    assign(Keys::claudeFolder, folder);
}

void AppSettings::setCodexFolder(const std::string& folder)
{
    assign(Keys::codexFolder, folder);
}

ToolChoice AppSettings::toolChoice(Provider provider) const
{
    const auto unlessBlank = [](const std::string& text) {
        return isBlank(text) ? std::nullopt : std::optional(text);
    };
    const bool codex = provider == Provider::openai;
    return {unlessBlank(codex ? m_codexPath : m_claudePath), unlessBlank(codex ? m_codexFolder : m_claudeFolder)};
}

void AppSettings::setLaunchAtLogin(bool enabled)
{
    if (std::exchange(m_launchAtLogin, enabled) == enabled) {
        return;
    }
    const auto result = enabled ? m_loginItem.enable() : m_loginItem.disable();
    if (!result) {
        m_launchAtLoginError = result.error().description;
    }
    Q_EMIT launchAtLoginChanged(enabled);
    if (!result) {
        Q_EMIT launchAtLoginErrorChanged();
    }
    Q_EMIT changed();
}

void AppSettings::applyFirstLaunchDefaults()
{
    if (m_configuredLoginItem) {
        return;
    }
    assign(Keys::configuredLoginItem, true);
    setLaunchAtLogin(true);
}

void AppSettings::syncLaunchAtLogin()
{
    const bool enabled = m_loginItem.isEnabled();
    if (enabled != m_launchAtLogin) {
        setLaunchAtLogin(enabled);
    }
}

void AppSettings::setLastMorningReport(const std::string& dayKey)
{
    assign(Keys::lastMorningReport, std::optional(dayKey));
}

void AppSettings::setWelcomed()
{
    assign(Keys::welcomed, true);
}

void AppSettings::setAutomaticallyChecksForUpdates(bool enabled)
{
    assign(Keys::automaticallyChecksForUpdates, enabled);
}

void AppSettings::setLastUpdateCheck(Date when)
{
    // Kept as it is stored, to the whole second, so it reads back the same.
    const auto seconds = static_cast<qint64>(secondsSince1970(when));
    assign(Keys::lastUpdateCheck, std::optional(dateFromSince1970(static_cast<double>(seconds))));
}

void AppSettings::setPanelTab(PanelTab tab)
{
    assign(Keys::panelTab, tab);
}

void AppSettings::setActivityRange(ActivityRange range)
{
    assign(Keys::activityRange, range);
}

void AppSettings::setActivityMeasure(ActivityMeasure measure)
{
    assign(Keys::activityMeasure, measure);
}

}  // namespace ostrel
