#include "store/CredentialWatch.h"

#include <algorithm>
#include <vector>

#include "base/QtText.h"
#include "readers/ToolFolder.h"
#include "store/UsageStore.h"

namespace ostrel {

CredentialWatch::CredentialWatch(UsageStore& store, std::chrono::milliseconds settle, QObject* parent)
    : QObject(parent)
    , m_store(store)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(settle);
    connect(&m_settle, &QTimer::timeout, this, &CredentialWatch::check);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_settle, qOverload<>(&QTimer::start));
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_settle, qOverload<>(&QTimer::start));
    connect(&store, &UsageStore::changed, this, &CredentialWatch::follow);
    follow();
}

CredentialWatch::Stamp CredentialWatch::stampOf(const std::filesystem::path& file)
{
    const auto status = posix::fileStatus(file);
    return status ? Stamp{true, *status} : Stamp{};
}

void CredentialWatch::follow()
{
    std::map<AccountKey, std::filesystem::path> files;
    for (const auto& [provider, found] : m_store.detectedTools()) {
        files[{provider, {}}] = found.folder.path / ToolFolder::credentialsName(provider);
    }
    for (const ToolAccount& account : m_store.enabledAccounts()) {
        if (!account.isDefault()) {
            files[account.key()] = account.folder / ToolFolder::credentialsName(account.provider);
        }
    }
    const bool moved = files != m_files;
    std::erase_if(m_seen, [&files](const auto& seen) { return !files.contains(seen.first); });
    for (const auto& [account, file] : files) {
        if (m_files[account] != file) {
            m_seen[account] = stampOf(file);
        }
    }
    m_files = std::move(files);
    const auto& reading = m_store.refreshing();
    for (const AccountKey& account : m_reading) {
        if (!reading.contains(account) && m_files.contains(account)) {
            m_seen[account] = stampOf(m_files[account]);
        }
    }
    m_reading = reading;
    if (moved) {
        watchPaths();
    }
}

void CredentialWatch::check()
{
    std::vector<AccountKey> changed;
    for (const auto& [account, file] : m_files) {
        // A reading in flight may be what wrote it; its end takes the file as it is then.
        if (m_reading.contains(account)) {
            continue;
        }
        if (auto stamp = stampOf(file); stamp != m_seen[account]) {
            m_seen[account] = stamp;
            changed.push_back(account);
        }
    }
    const auto enabled = m_store.enabledProviders();
    std::erase_if(changed, [&enabled](const AccountKey& account) {
        return std::ranges::find(enabled, account.provider) == enabled.end();
    });
    if (!changed.empty()) {
        m_store.readAccountsAgain(changed);
    }
    // A folder that appeared is watched from now on, and a file written for the first time.
    watchPaths();
}

void CredentialWatch::watchPaths()
{
    QStringList wanted;
    for (const auto& [account, file] : m_files) {
        std::error_code error;
        const auto folder = file.parent_path();
        if (std::filesystem::is_directory(folder, error)) {
            wanted.append(qText(folder.string()));
            if (std::filesystem::exists(file, error)) {
                wanted.append(qText(file.string()));
            }
        } else if (std::filesystem::is_directory(folder.parent_path(), error)) {
            wanted.append(qText(folder.parent_path().string()));
        }
    }
    wanted.removeDuplicates();
    const QStringList watched = m_watcher.directories() + m_watcher.files();
    QStringList gone;
    for (const QString& path : watched) {
        if (!wanted.contains(path)) {
            gone.append(path);
        }
    }
    if (!gone.isEmpty()) {
        m_watcher.removePaths(gone);
    }
    QStringList added;
    for (const QString& path : wanted) {
        if (!watched.contains(path)) {
            added.append(path);
        }
    }
    if (!added.isEmpty()) {
        (void)m_watcher.addPaths(added);
    }
}

}  // namespace ostrel
