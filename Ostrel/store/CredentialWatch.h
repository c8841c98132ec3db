#pragma once
// Reads an account again as soon as its sign-in changes on disk (after
// `claude auth login`, `codex login` or a sign-out) rather than at the next
// scheduled reading. It watches each account's folder (for the default account
// the one the tool search found), where a credentials file
// replaced by a rename shows, and the file itself, which some versions write
// in place; while the folder does not exist, its parent, to see it appear.
// Changes come in bursts, so it looks once they settle, and only a file that
// really changed counts. A reading may rewrite the file itself (a refreshed
// token): what changes while the account is being read is taken as the
// reading's own. Main thread only.

#include <chrono>
#include <filesystem>
#include <map>
#include <set>

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include "model/ToolAccount.h"
#include "posix/ReadOnlyFile.h"

namespace ostrel {

class UsageStore;

class CredentialWatch : public QObject
{
    Q_OBJECT

public:
    /// How long the folders must stay quiet before the files are looked at.
    static constexpr std::chrono::milliseconds settleTime{1000};

    explicit CredentialWatch(UsageStore& store,
                             std::chrono::milliseconds settle = settleTime,
                             QObject* parent = nullptr);

private:
    /// What the file looked like: missing, or its size and modification time.
    struct Stamp
    {
        bool exists = false;
        posix::FileStatus status;

        bool operator==(const Stamp&) const = default;
    };

    /// Follows the store: the files of the folders it found, and the end of each reading.
    void follow();
    void check();
    void watchPaths();
    [[nodiscard]] static Stamp stampOf(const std::filesystem::path& file);

    UsageStore& m_store;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    std::map<AccountKey, std::filesystem::path> m_files;
    std::map<AccountKey, Stamp> m_seen;
    std::set<AccountKey> m_reading;
};

}  // namespace ostrel
