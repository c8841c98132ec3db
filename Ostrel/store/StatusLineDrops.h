#pragma once
// The figures that `ostrel --statusline` leaves in the data folder each time
// Claude Code updates its status line. The folder is watched rather than the
// file, since each drop replaces the last by a rename, which a watch on the
// file itself would not survive. Each Claude account has a drop of its own
// (ClaudeStatusLine::dropName). Main thread only.

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <QFileSystemWatcher>
#include <QObject>

#include "model/Date.h"
#include "readers/ClaudeStatusLine.h"

namespace ostrel {

class StatusLineDrops : public QObject
{
    Q_OBJECT

public:
    /// Makes the folder (private) when it is missing, to watch it.
    explicit StatusLineDrops(std::filesystem::path dataFolder, QObject* parent = nullptr);

    /// Announces each account's drop there is now, unless it was announced before.
    void check();
    /// Removes the drops of named accounts `isKept` refuses: a removed account
    /// leaves nothing behind that an account added later by its name would take.
    void removeAllBut(const std::function<bool(const std::string& accountId)>& isKept);

Q_SIGNALS:
    /// The drop of Claude's account `accountId` (empty for the default one).
    void arrived(const std::string& accountId, const ClaudeStatusLine::Figures& figures);

private:
    /// The accounts whose drop is in the folder now; empty for the default account.
    [[nodiscard]] std::vector<std::string> accountsWithDrops() const;

    std::filesystem::path m_folder;
    QFileSystemWatcher m_watcher;
    /// Per account, the time received of the drop announced last.
    std::map<std::string, Date> m_lastReceived;
};

}  // namespace ostrel
