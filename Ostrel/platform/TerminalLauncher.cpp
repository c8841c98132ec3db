#include "platform/TerminalLauncher.h"

#include <array>
#include <string_view>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace ostrel::TerminalLauncher {
namespace {

struct DesktopTerminal
{
    std::string_view desktop;  ///< as $XDG_CURRENT_DESKTOP names it, compared without case
    std::string_view program;
};

// Each desktop's own terminal, in the order tried when the desktop is unknown.
constexpr auto desktopTerminals = std::to_array<DesktopTerminal>({
    {"GNOME", "gnome-terminal"},
    {"GNOME", "kgx"},
    {"KDE", "konsole"},
    {"XFCE", "xfce4-terminal"},
    {"MATE", "mate-terminal"},
    {"X-Cinnamon", "gnome-terminal"},
    {"LXQt", "qterminal"},
    {"LXDE", "lxterminal"},
    {"Budgie", "tilix"},
    {"Deepin", "deepin-terminal"},
});

QString qText(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

void appendOnce(QStringList& list, const QString& name)
{
    if (!name.isEmpty() && !list.contains(name)) {
        list.append(name);
    }
}

}  // namespace

Environment Environment::current()
{
    Environment environment;
    environment.terminal = qEnvironmentVariable("TERMINAL").trimmed();
    environment.currentDesktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    environment.searchPath = qEnvironmentVariable("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    environment.workingFolder = QDir::homePath();
    return environment;
}

QStringList candidates(const Environment& environment)
{
    QStringList names;
    appendOnce(names, environment.terminal);
    appendOnce(names, QStringLiteral("xdg-terminal-exec"));
    appendOnce(names, QStringLiteral("x-terminal-emulator"));
    const QStringList desktops = environment.currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& desktop : desktops) {
        for (const DesktopTerminal& entry : desktopTerminals) {
            if (desktop.compare(qText(entry.desktop), Qt::CaseInsensitive) == 0) {
                appendOnce(names, qText(entry.program));
            }
        }
    }
    for (const DesktopTerminal& entry : desktopTerminals) {
        appendOnce(names, qText(entry.program));
    }
    appendOnce(names, QStringLiteral("xterm"));
    return names;
}

std::optional<QString> find(const Environment& environment)
{
    for (const QString& name : candidates(environment)) {
        // A path in $TERMINAL is taken as it is; a bare name is looked up on $PATH.
        if (name.contains(QLatin1Char('/'))) {
            const QFileInfo file(name);
            if (file.isFile() && file.isExecutable()) {
                return file.absoluteFilePath();
            }
            continue;
        }
        // An empty list would make Qt search the process's own PATH instead.
        if (environment.searchPath.isEmpty()) {
            continue;
        }
        const QString found = QStandardPaths::findExecutable(name, environment.searchPath);
        if (!found.isEmpty()) {
            return found;
        }
    }
    return std::nullopt;
}

std::optional<qint64> open(const Environment& environment)
{
    const std::optional<QString> program = find(environment);
    if (!program) {
        return std::nullopt;
    }
    qint64 pid = 0;
    if (!QProcess::startDetached(*program, {}, environment.workingFolder, &pid)) {
        return std::nullopt;
    }
    return pid;
}

}  // namespace ostrel::TerminalLauncher
