#include "store/StatusLineDrops.h"

#include <system_error>
#include <utility>

#include <QFile>
#include <QString>

#include "posix/AtomicFile.h"

namespace ostrel {

StatusLineDrops::StatusLineDrops(std::filesystem::path dataFolder, QObject* parent)
    : QObject(parent)
    , m_folder(std::move(dataFolder))
{
    static_cast<void>(posix::createFolders(m_folder, 0700));
    m_watcher.addPath(QFile::decodeName(m_folder.c_str()));
    // Every change in the folder comes here, the store's own saves included;
    // the drop's time received tells a new drop from one already taken.
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &StatusLineDrops::check);
}

std::vector<std::string> StatusLineDrops::accountsWithDrops() const
{
    std::vector<std::string> accounts;
    std::error_code error;
    for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(m_folder, error)) {
        if (std::optional<std::string> account = ClaudeStatusLine::dropAccount(entry.path().filename().string())) {
            accounts.push_back(std::move(*account));
        }
    }
    return accounts;
}

void StatusLineDrops::check()
{
    for (const std::string& account : accountsWithDrops()) {
        const std::optional<ClaudeStatusLine::Figures> figures = ClaudeStatusLine::pickUp(m_folder, account);
        if (!figures) {
            continue;
        }
        const auto [last, first] = m_lastReceived.try_emplace(account, figures->receivedAt);
        if (!first && last->second == figures->receivedAt) {
            continue;
        }
        last->second = figures->receivedAt;
        Q_EMIT arrived(account, *figures);
    }
}

void StatusLineDrops::removeAllBut(const std::function<bool(const std::string& accountId)>& isKept)
{
    for (const std::string& account : accountsWithDrops()) {
        if (!account.empty() && !isKept(account)) {
            std::error_code error;
            std::filesystem::remove(m_folder / ClaudeStatusLine::dropName(account), error);
            m_lastReceived.erase(account);
        }
    }
}

}  // namespace ostrel
