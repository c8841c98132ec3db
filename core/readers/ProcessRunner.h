#pragma once
// Runs one outside program to completion and hands back everything it printed.
// A run ends at the first of: the child's exit (its output then read to the end,
// for at most one more second), the time-out, or the caller's predicate saying
// the standard output so far is enough. Ended early, the child gets SIGTERM and,
// two seconds later in the background, SIGKILL; the caller never waits for that.

#include <cstdint>
#include <expected>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Date.h"

namespace ostrel {

struct ProcessOutput
{
    /// The exit status when the child ended by itself (128 + the signal number
    /// when a signal ended it); absent when the time-out or the predicate ended the run.
    std::optional<std::int32_t> status;
    std::string stdoutBytes;  ///< everything read from standard output, as bytes
    std::string stderrBytes;  ///< everything read from standard error, as bytes
    bool timedOut = false;    ///< true only when the time-out ended the run

    /// The bytes as UTF-8 with every invalid sequence replaced by U+FFFD.
    [[nodiscard]] std::string stdoutText() const;
    [[nodiscard]] std::string stderrText() const;
};

namespace ProcessRunner {

using Environment = std::map<std::string, std::string>;
/// Sees the whole standard output collected so far, after every chunk.
using Predicate = std::function<bool(std::string_view)>;

/// The child could not be started; `description` is the operating system's text.
struct LaunchError
{
    int code = 0;  ///< the errno value
    std::string description;

    bool operator==(const LaunchError&) const = default;
};

/// Blocks the calling thread until the run is done; safe to call from several
/// threads at once. `arguments` go to the program as they are, with no shell.
/// `environment` absent: the application's is inherited; present: it is the
/// child's whole environment. `directory` absent: the temporary folder.
/// `input` absent: standard input is the null device; present: a pipe that
/// carries these bytes and stays open until the run is done.
/// Everything but a failed launch is an output, a non-zero status included.
// NOLINTNEXTLINE(readability-function-size): the operation's fixed signature, used by every reader
[[nodiscard]] std::expected<ProcessOutput, LaunchError> run(const std::filesystem::path& executable,
                                                            const std::vector<std::string>& arguments,
                                                            const std::optional<Environment>& environment,
                                                            const std::optional<std::filesystem::path>& directory,
                                                            const std::optional<std::string>& input,
                                                            Seconds timeout,
                                                            const Predicate& until = {});

}  // namespace ProcessRunner

}  // namespace ostrel
