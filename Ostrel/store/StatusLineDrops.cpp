#include "store/StatusLineDrops.h"

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

void StatusLineDrops::check()
{
    const std::optional<ClaudeStatusLine::Figures> figures = ClaudeStatusLine::pickUp(m_folder);
    if (!figures || figures->receivedAt == m_lastReceived) {
        return;
    }
    m_lastReceived = figures->receivedAt;
    Q_EMIT arrived(*figures);
}

}  // namespace ostrel
