#pragma once
// `--refresh` while Ostrel runs: the running app reads the providers, so that
// it stays the one process that records them. `ostrel --status --refresh` asks
// it to read every enabled provider and waits until the results are saved,
// then prints the file as `--status` does; with no app on the session bus it
// reads the providers itself. `ostrel --refresh` only asks, and never starts
// the tray. Both run in the application program as core processes, with the
// quit signals blocked.

#include <chrono>
#include <optional>

#include <QDBusConnection>
#include <QStringList>

#include "app/LaunchOptions.h"
#include "app/StatusOutput.h"
#include "base/WallClock.h"

namespace ostrel::RefreshHandOver {

/// How long the status command waits for the app's readings. The slowest
/// Claude reading adds up to about two minutes (the keyring and the usage
/// endpoint twice each, 10 s and 15 s, the login shell's 6 s, `claude -p
/// /usage`'s 45 s and `claude auth status`'s 15 s); Codex's takes 30 s at most.
inline constexpr std::chrono::seconds readingsWait{150};

/// `ostrel --refresh`: 0 when the app took it, else 1 and one line on standard error.
[[nodiscard]] int request(const QDBusConnection& bus, const QStringList& switches);

/// `ostrel --status --refresh` through the app: the exit status once it printed,
/// absent when no app took the request and the command should read itself.
[[nodiscard]] std::optional<int> printThroughApp(const QDBusConnection& bus,
                                                 const LaunchOptions& options,
                                                 const StatusOutput::Places& places,
                                                 const Clock& clock);

}  // namespace ostrel::RefreshHandOver
