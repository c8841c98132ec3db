#include "base/ConfigHome.h"

#include <string>

#include <QByteArray>
#include <QDir>
#include <QtGlobal>

namespace ostrel {

std::filesystem::path configHome(std::optional<std::string_view> xdgConfigHome, const std::filesystem::path& home)
{
    if (xdgConfigHome) {
        std::filesystem::path folder(*xdgConfigHome);
        if (folder.is_absolute()) {
            return folder;
        }
    }
    return home / ".config";
}

std::filesystem::path currentConfigHome()
{
    const std::string xdg = qgetenv("XDG_CONFIG_HOME").toStdString();
    const std::string home = QDir::homePath().toLocal8Bit().toStdString();
    return configHome(xdg.empty() ? std::nullopt : std::optional<std::string_view>(xdg), home);
}

}  // namespace ostrel
