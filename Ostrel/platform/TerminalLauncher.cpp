#include "platform/TerminalLauncher.h"

#include <algorithm>
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
    {"GNOME", "ptyxis"},
    {"KDE", "konsole"},
    {"XFCE", "xfce4-terminal"},
    {"MATE", "mate-terminal"},
    {"X-Cinnamon", "gnome-terminal"},
    {"LXQt", "qterminal"},
    {"LXDE", "lxterminal"},
    {"Budgie", "tilix"},
    {"Deepin", "deepin-terminal"},
});

struct CommandConvention
{
    std::string_view program;
    std::string_view before;  ///< what goes between the terminal and the command; empty for nothing
};

// How each known terminal takes a command with its arguments as separate
// words. Where "-e" takes a single string it would be split again by a shell
// or by the terminal, so those take "--" or "-x" instead. Any other terminal
// gets xterm's "-e", which Debian asks of every x-terminal-emulator.
constexpr auto commandConventions = std::to_array<CommandConvention>({
    {"xdg-terminal-exec", ""},
    {"x-terminal-emulator", "-e"},
    {"gnome-terminal", "--"},
    {"kgx", "--"},
    {"ptyxis", "--"},
    {"konsole", "-e"},
    {"xfce4-terminal", "-x"},
    {"mate-terminal", "-x"},
    {"qterminal", "-e"},
    {"lxterminal", "-e"},
    {"tilix", "-x"},
    {"terminator", "-x"},
    {"deepin-terminal", "-e"},
    {"foot", ""},
    {"kitty", ""},
    {"xterm", "-e"},
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

QStringList arguments(const QString& program, const QStringList& command)
{
    if (command.isEmpty()) {
        return {};
    }
    const QString name = QFileInfo(program).fileName();
    const auto* known = std::ranges::find_if(commandConventions, [&name](const CommandConvention& convention) {
        return name == qText(convention.program);
    });
    const QString before = known == commandConventions.end() ? QStringLiteral("-e") : qText(known->before);
    return before.isEmpty() ? command : QStringList{before} + command;
}

std::optional<qint64> open(const Environment& environment, const QStringList& command)
{
    const std::optional<QString> program = find(environment);
    if (!program) {
        return std::nullopt;
    }
    QProcess terminal;
    terminal.setProgram(*program);
    terminal.setArguments(arguments(*program, command));
    terminal.setWorkingDirectory(environment.workingFolder);
    terminal.setProcessEnvironment(environment.variables);
    qint64 pid = 0;
    if (!terminal.startDetached(&pid)) {
        return std::nullopt;
    }
    return pid;
}

}  // namespace ostrel::TerminalLauncher
