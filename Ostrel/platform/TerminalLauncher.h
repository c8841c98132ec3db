#pragma once
// Opens the user's terminal emulator, empty or running one command given as
// its argument list: no shell in between, started detached and never waited
// on. The program is chosen from what exists: $TERMINAL, xdg-terminal-exec,
// x-terminal-emulator, the running desktop's own terminal, any other
// well-known one, then xterm.

#include <optional>

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace ostrel::TerminalLauncher {

/// What the choice depends on, read from the process environment by `current()`.
struct Environment
{
    QString terminal;        ///< $TERMINAL: a program name or path; may be empty
    QString currentDesktop;  ///< $XDG_CURRENT_DESKTOP: colon-separated names
    QStringList searchPath;  ///< the folders of $PATH
    QString workingFolder;   ///< where the terminal starts (the home folder)
    /// What the terminal, and so the command in it, starts with.
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();

    [[nodiscard]] static Environment current();
};

/// The program names tried, in order, for `environment`.
[[nodiscard]] QStringList candidates(const Environment& environment);

/// The full path of the first candidate that exists; absent when none does.
[[nodiscard]] std::optional<QString> find(const Environment& environment);

/// The arguments that make `program` (a name or a path) run `command`, a
/// program and its arguments, after that terminal's own convention; none for
/// an empty command.
[[nodiscard]] QStringList arguments(const QString& program, const QStringList& command);

/// Starts the terminal detached, running `command` when one is given, and
/// returns its process id; absent when no terminal exists or it could not be
/// started.
[[nodiscard]] std::optional<qint64> open(const Environment& environment, const QStringList& command = {});

}  // namespace ostrel::TerminalLauncher
