#include "settings/AppSettings.h"

#include <sys/stat.h>

#include <algorithm>
#include <iterator>
#include <system_error>
#include <tuple>
#include <utility>

#include <QDir>
#include <QFile>
#include <QString>
#include <QVariant>

#include "base/ConfigHome.h"
#include "base/QtText.h"
#include "posix/AtomicFile.h"
#include "readers/AccountList.h"
#include "readers/ToolFolder.h"
#include "settings/AccountGroups.h"
#include "settings/AppSettingsKeys.h"
#include "settings/SettingKey.h"

namespace ostrel {
namespace {

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

}  // namespace

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
    if (m_store) {
        const std::string home = QDir::homePath().toStdString();
        for (const Provider provider : allProviders) {
            namedAccounts(provider) = AccountList::decode(provider, AccountGroups::read(*m_store, provider), home);
        }
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

template <class K>
void AppSettings::load(const K& key)
{
    using T = std::remove_cvref_t<decltype(key.fallback)>;
    const auto text = settings::text(m_store ? m_store->value(qText(key.name)) : QVariant());
    const std::optional<T> read = text ? parse<T>(*text) : std::nullopt;
    this->*key.member = read.value_or(key.fallback);
}

template <class K, class T>
void AppSettings::assign(const K& key, T value)
{
    write([&key, &value](QSettings& store) { store.setValue(qText(key.name), stored(value)); });
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

void AppSettings::write(const std::function<void(QSettings&)>& change)
{
    // The folder is made private before QSettings creates the file in it; a
    // failure here shows as a failed sync, and settings failures are not reported.
    static_cast<void>(posix::createFolders(m_folder, S_IRWXU));
    // Kept in memory alone, for this run, while something else holds the file's place.
    if (!m_store || !isSettingsFile(filePath())) {
        return;
    }
    change(*m_store);
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
    return settings::refreshMinutesInEffect(m_refreshMinutes);
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
    return settings::thresholdInEffect(m_alertThresholdPercent);
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

std::vector<ToolAccount> AppSettings::enabledAccounts() const
{
    std::vector<ToolAccount> accounts;
    for (const Provider provider : enabledProviders()) {
        std::ranges::move(this->accounts(provider), std::back_inserter(accounts));
    }
    return accounts;
}

std::optional<ToolAccount> AppSettings::account(const AccountKey& key) const
{
    if (key.id.empty()) {
        return ToolAccount{.provider = key.provider};
    }
    const auto& named = namedAccounts(key.provider);
    const auto found = std::ranges::find(named, key.id, &ToolAccount::id);
    return found == named.end() ? std::nullopt : std::optional(*found);
}

ToolChoice AppSettings::toolChoice(const ToolAccount& account) const
{
    ToolChoice choice = toolChoice(account.provider);
    if (!account.isDefault()) {
        choice.folder = account.folder.string();
    }
    return choice;
}

std::vector<ToolAccount> AppSettings::accounts(Provider provider) const
{
    std::vector<ToolAccount> accounts{ToolAccount{.provider = provider}};
    std::ranges::copy(namedAccounts(provider), std::back_inserter(accounts));
    return accounts;
}

std::vector<ToolAccount>& AppSettings::namedAccounts(Provider provider)
{
    return provider == Provider::openai ? m_codexAccounts : m_claudeAccounts;
}

const std::vector<ToolAccount>& AppSettings::namedAccounts(Provider provider) const
{
    return provider == Provider::openai ? m_codexAccounts : m_claudeAccounts;
}

std::expected<ToolAccount, std::string>
AppSettings::addAccount(Provider provider, const std::string& name, const std::filesystem::path& folder)
{
    const std::string home = QDir::homePath().toStdString();
    const QByteArray variable = qgetenv(ToolFolder::variable(provider).data());
    const auto fromEnvironment = variable.isNull() ? std::nullopt : std::optional(variable.toStdString());
    const auto defaultFolder = ToolFolder::choose(provider, toolChoice(provider).folder, fromEnvironment, {}, home);
    auto added = AccountList::add(provider, namedAccounts(provider), name, folder.string(), defaultFolder.path, home);
    if (added) {
        namedAccounts(provider).push_back(*added);
        storeAccounts(provider);
    }
    return added;
}

bool AppSettings::removeAccount(Provider provider, const std::string& id)
{
    if (std::erase_if(namedAccounts(provider), [&id](const ToolAccount& account) { return account.id == id; }) == 0) {
        return false;
    }
    storeAccounts(provider);
    return true;
}

void AppSettings::storeAccounts(Provider provider)
{
    write([this, provider](QSettings& store) { AccountGroups::write(store, provider, namedAccounts(provider)); });
    Q_EMIT accountsChanged(provider);
    Q_EMIT changed();
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
