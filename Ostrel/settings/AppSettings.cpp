#include "settings/AppSettings.h"

#include <sys/stat.h>

#include <system_error>
#include <utility>

#include <QDateTime>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "posix/AtomicFile.h"
#include "settings/ConfigHome.h"
#include "store/QtText.h"

namespace ostrel {
namespace {

namespace Key {
constexpr std::string_view claudeEnabled = "claudeEnabled";
constexpr std::string_view openaiEnabled = "openaiEnabled";
constexpr std::string_view refreshMinutes = "refreshMinutes";
constexpr std::string_view menuBarStyle = "menuBarStyle";
constexpr std::string_view trayIcon = "trayIcon";
constexpr std::string_view morningReport = "morningReport";
constexpr std::string_view claudePath = "claudePath";
constexpr std::string_view codexPath = "codexPath";
constexpr std::string_view configuredLoginItem = "configuredLoginItem";
constexpr std::string_view lastMorningReport = "lastMorningReport";
constexpr std::string_view welcomed = "welcomed";
constexpr std::string_view automaticallyChecksForUpdates = "automaticallyChecksForUpdates";
constexpr std::string_view lastUpdateCheck = "lastUpdateCheck";
constexpr std::string_view popoverTab = "popoverTab";
constexpr std::string_view activityRange = "activityRange";
constexpr std::string_view activityMeasure = "activityMeasure";
}  // namespace Key

/// The stored text of `key`. An INI value with unquoted commas reads back as a
/// list (a hand-edited path, say); joined again it is the text that was typed.
[[nodiscard]] std::optional<QString> readText(const QSettings& store, std::string_view key)
{
    const QVariant value = store.value(qText(key));
    if (!value.isValid()) {
        return std::nullopt;
    }
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QLatin1Char(','));
    }
    return value.toString();
}

/// Only what a boolean is written as counts; anything else is not set.
[[nodiscard]] bool readBool(const QSettings& store, std::string_view key, bool fallback)
{
    const std::optional<QString> text = readText(store, key);
    if (!text) {
        return fallback;
    }
    const QString value = text->trimmed();
    if (value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || value == QLatin1String("1")) {
        return true;
    }
    if (value.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 || value == QLatin1String("0")) {
        return false;
    }
    return fallback;
}

[[nodiscard]] int readInt(const QSettings& store, std::string_view key, int fallback)
{
    const std::optional<QString> text = readText(store, key);
    if (!text) {
        return fallback;
    }
    bool ok = false;
    const int value = text->trimmed().toInt(&ok);
    return ok ? value : fallback;
}

[[nodiscard]] std::optional<std::string> readString(const QSettings& store, std::string_view key)
{
    const std::optional<QString> text = readText(store, key);
    return text ? std::optional(text->toStdString()) : std::nullopt;
}

/// A raw value that names no case reads as absent, so the default applies.
template <typename Enum>
[[nodiscard]] Enum readChoice(const QSettings& store,
                              std::string_view key,
                              std::optional<Enum> (*fromRawValue)(std::string_view),
                              Enum fallback)
{
    const std::optional<std::string> raw = readString(store, key);
    return raw ? fromRawValue(*raw).value_or(fallback) : fallback;
}

/// A time written as ISO 8601 UTC text; anything else reads as absent.
[[nodiscard]] std::optional<Date> readDate(const QSettings& store, std::string_view key)
{
    const std::optional<QString> text = readText(store, key);
    if (!text) {
        return std::nullopt;
    }
    const QDateTime time = QDateTime::fromString(text->trimmed(), Qt::ISODate);
    if (!time.isValid()) {
        return std::nullopt;
    }
    return dateFromSince1970(static_cast<double>(time.toSecsSinceEpoch()));
}

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

}  // namespace

AppSettings::AppSettings(std::filesystem::path folder, LoginItem loginItem, QObject* parent)
    : QObject(parent)
    , m_folder(std::move(folder))
    , m_loginItem(std::move(loginItem))
    , m_launchAtLogin(m_loginItem.isEnabled())
{
    // QSettings reads the file as it is made, and would wait for ever on a FIFO.
    if (isSettingsFile(filePath())) {
        load(m_store.emplace(QFile::decodeName(filePath().c_str()), QSettings::IniFormat));
    }
}

std::filesystem::path AppSettings::userFolder()
{
    return currentConfigHome() / "Ostrel";
}

std::filesystem::path AppSettings::filePath() const
{
    return m_folder / fileName;
}

void AppSettings::load(const QSettings& store)
{
    m_claudeEnabled = readBool(store, Key::claudeEnabled, true);
    m_openaiEnabled = readBool(store, Key::openaiEnabled, true);
    m_refreshMinutes = readInt(store, Key::refreshMinutes, defaultRefreshMinutes);
    m_menuBarStyle = readChoice(store, Key::menuBarStyle, &menuBarStyleFromRawValue, MenuBarStyle::bars);
    m_trayIconMode = readChoice(store, Key::trayIcon, &trayIconModeFromRawValue, TrayIconMode::automatic);
    m_morningReport = readBool(store, Key::morningReport, true);
    m_claudePath = readString(store, Key::claudePath).value_or("");
    m_codexPath = readString(store, Key::codexPath).value_or("");
    m_configuredLoginItem = readBool(store, Key::configuredLoginItem, false);
    m_lastMorningReport = readString(store, Key::lastMorningReport);
    m_welcomed = readBool(store, Key::welcomed, false);
    m_automaticallyChecksForUpdates = readBool(store, Key::automaticallyChecksForUpdates, true);
    m_lastUpdateCheck = readDate(store, Key::lastUpdateCheck);
    m_popoverTab = readChoice(store, Key::popoverTab, &popoverTabFromRawValue, PopoverTab::ostrel);
    m_activityRange = readChoice(store, Key::activityRange, &activityRangeFromRawValue, ActivityRange::day);
    m_activityMeasure = readChoice(store, Key::activityMeasure, &activityMeasureFromRawValue, ActivityMeasure::all);
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
    write(Key::claudeEnabled, enabled);
    if (std::exchange(m_claudeEnabled, enabled) != enabled) {
        Q_EMIT claudeEnabledChanged(enabled);
        Q_EMIT changed();
    }
}

void AppSettings::setOpenaiEnabled(bool enabled)
{
    write(Key::openaiEnabled, enabled);
    if (std::exchange(m_openaiEnabled, enabled) != enabled) {
        Q_EMIT openaiEnabledChanged(enabled);
        Q_EMIT changed();
    }
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
    if (m_refreshMinutes < 1) {
        return defaultRefreshMinutes;
    }
    return std::min(m_refreshMinutes, longestRefreshMinutes);
}

void AppSettings::setRefreshMinutes(int minutes)
{
    write(Key::refreshMinutes, minutes);
    if (std::exchange(m_refreshMinutes, minutes) != minutes) {
        Q_EMIT refreshMinutesChanged(refreshMinutes());
        Q_EMIT changed();
    }
}

void AppSettings::setMenuBarStyle(MenuBarStyle style)
{
    write(Key::menuBarStyle, qText(rawValue(style)));
    if (std::exchange(m_menuBarStyle, style) != style) {
        Q_EMIT menuBarStyleChanged(style);
        Q_EMIT changed();
    }
}

void AppSettings::setTrayIconMode(TrayIconMode mode)
{
    write(Key::trayIcon, qText(rawValue(mode)));
    if (std::exchange(m_trayIconMode, mode) != mode) {
        Q_EMIT trayIconModeChanged(mode);
        Q_EMIT changed();
    }
}

void AppSettings::setMorningReport(bool enabled)
{
    write(Key::morningReport, enabled);
    if (std::exchange(m_morningReport, enabled) != enabled) {
        Q_EMIT morningReportChanged(enabled);
        Q_EMIT changed();
    }
}

void AppSettings::setClaudePath(const std::string& path)
{
    write(Key::claudePath, QString::fromStdString(path));
    if (std::exchange(m_claudePath, path) != path) {
        Q_EMIT claudePathChanged();
        Q_EMIT changed();
    }
}

void AppSettings::setCodexPath(const std::string& path)
{
    write(Key::codexPath, QString::fromStdString(path));
    if (std::exchange(m_codexPath, path) != path) {
        Q_EMIT codexPathChanged();
        Q_EMIT changed();
    }
}

std::optional<std::string> AppSettings::pathOverride(Provider provider) const
{
    const std::string& text = provider == Provider::openai ? m_codexPath : m_claudePath;
    if (isBlank(text)) {
        return std::nullopt;
    }
    return text;
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
    write(Key::configuredLoginItem, true);
    m_configuredLoginItem = true;
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
    write(Key::lastMorningReport, QString::fromStdString(dayKey));
    m_lastMorningReport = dayKey;
}

void AppSettings::setWelcomed()
{
    write(Key::welcomed, true);
    m_welcomed = true;
}

void AppSettings::setAutomaticallyChecksForUpdates(bool enabled)
{
    write(Key::automaticallyChecksForUpdates, enabled);
    if (std::exchange(m_automaticallyChecksForUpdates, enabled) != enabled) {
        Q_EMIT automaticallyChecksForUpdatesChanged(enabled);
        Q_EMIT changed();
    }
}

void AppSettings::setLastUpdateCheck(Date when)
{
    const auto seconds = static_cast<qint64>(secondsSince1970(when));
    write(Key::lastUpdateCheck, QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(Qt::ISODate));
    m_lastUpdateCheck = dateFromSince1970(static_cast<double>(seconds));
}

void AppSettings::setPopoverTab(PopoverTab tab)
{
    write(Key::popoverTab, qText(rawValue(tab)));
    if (std::exchange(m_popoverTab, tab) != tab) {
        Q_EMIT popoverTabChanged(tab);
        Q_EMIT changed();
    }
}

void AppSettings::setActivityRange(ActivityRange range)
{
    write(Key::activityRange, qText(rawValue(range)));
    if (std::exchange(m_activityRange, range) != range) {
        Q_EMIT activityRangeChanged(range);
        Q_EMIT changed();
    }
}

void AppSettings::setActivityMeasure(ActivityMeasure measure)
{
    write(Key::activityMeasure, qText(rawValue(measure)));
    if (std::exchange(m_activityMeasure, measure) != measure) {
        Q_EMIT activityMeasureChanged(measure);
        Q_EMIT changed();
    }
}

}  // namespace ostrel
