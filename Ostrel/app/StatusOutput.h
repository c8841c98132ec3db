#pragma once
// `ostrel --status`: the providers' state printed for bars, terminals and
// scripts, with no display, tray or desktop bus. It reads the readings file
// that the running app keeps (or, with --refresh when no running app takes it,
// see RefreshHandOver, reads the providers once and saves their results as the
// app does) and never changes a file it cannot read.
// With --watch it stays, printing again whenever the readings file is replaced
// and once a minute, until a quit signal arrives or its output is closed.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/LaunchOptions.h"
#include "base/WallClock.h"
#include "model/ProviderDisplay.h"
#include "model/ReadingsFile.h"
#include "store/UsageReaders.h"

namespace ostrel {

class AppSettings;

class StatusOutput
{
public:
    /// Exit statuses.
    static constexpr int succeeded = 0;
    static constexpr int noReadings = 1;
    static constexpr int badOption = 2;

    /// Seconds between updates of --watch when nothing changes, for the time texts.
    static constexpr int tickSeconds = 60;

    struct Places
    {
        /// Where readings.json lives; absent when the environment names no home.
        std::optional<std::filesystem::path> dataFolder;
        std::filesystem::path home;
        std::filesystem::path settingsFolder;
    };

    /// The places of the current user, from the environment.
    [[nodiscard]] static Places forCurrentUser();

    /// The enabled providers' display state for `now`, as the tooltip shows it.
    [[nodiscard]] static std::vector<ProviderDisplay>
    displays(const Saved& saved, const AppSettings& settings, Date now);

    /// Writes all of `bytes` to `fd`; false once the reader has gone.
    [[nodiscard]] static bool writeAll(int fd, std::string_view bytes);

    /// Runs the whole command and returns the exit status. The quit signals must
    /// already be blocked (QuitSignals::block) for --watch to end cleanly on them,
    /// and for --refresh to take them: it then ends the tools and the process
    /// itself, with 128 + the signal.
    /// `read` is one reading of a provider, for --refresh; the `ostrel` command
    /// leaves the readers out (they bring the network libraries) and has the
    /// application run --refresh instead.
    [[nodiscard]] static int
    run(const LaunchOptions& options, const Places& places, const Clock& clock, const UsageReaders::Read& read = {});
};

}  // namespace ostrel
