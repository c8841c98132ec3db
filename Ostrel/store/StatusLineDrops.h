#pragma once
// The figures that `ostrel --statusline` leaves in the data folder each time
// Claude Code updates its status line. The folder is watched rather than the
// file, since each drop replaces the last by a rename, which a watch on the
// file itself would not survive. Main thread only.

#include <filesystem>
#include <optional>

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

    /// Announces the drop there is now, unless it was announced before.
    void check();

Q_SIGNALS:
    void arrived(const ClaudeStatusLine::Figures& figures);

private:
    std::filesystem::path m_folder;
    QFileSystemWatcher m_watcher;
    std::optional<Date> m_lastReceived;
};

}  // namespace ostrel
