#pragma once
// Runs one outside program to completion and hands back everything it printed.
// A run ends at the first of: the child's exit (its output then read to the end,
// for at most one more second), the time-out, or the caller's predicate saying
// the standard output so far is enough. A child that prints more than
// `outputLimit` on one stream, or a run still going when the application quits
// (`terminateAll`), fails instead. When a run ends, whatever of the child's
// process group still runs (the child ended early, or a grandchild it left
// behind) gets SIGTERM and, two seconds later in the background, SIGKILL; the
// caller never waits for that, but `terminateAll` does.

#include <cstddef>
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

/// More than this on standard output or standard error ends the run: far above
/// any real reply, it keeps a runaway child from filling the memory.
inline constexpr std::size_t outputLimit = std::size_t{16} * 1024 * 1024;

/// Why a run gave no output.
struct Failure
{
    enum class Kind
    {
        launch,          ///< the child could not be started
        outputTooLarge,  ///< it printed more than `outputLimit` on one stream
        quitting         ///< `terminateAll` ended it
    };

    Kind kind = Kind::launch;
    int code = 0;  ///< the errno value of a failed launch, 0 otherwise
    /// The operating system's text for a failed launch, else what happened
    /// ("codex printed more than 16 MiB on standard output").
    std::string description;

    bool operator==(const Failure&) const = default;
};

/// Blocks the calling thread until the run is done; safe to call from several
/// threads at once. `arguments` go to the program as they are, with no shell.
/// `environment` absent: the application's is inherited; present: it is the
/// child's whole environment. `directory` absent: the temporary folder.
/// `input` absent: standard input is the null device; present: a pipe that
/// carries these bytes and stays open until the run is done.
/// Everything but a `Failure` is an output, a non-zero status included.
// NOLINTNEXTLINE(readability-function-size): the operation's fixed signature, used by every reader
[[nodiscard]] std::expected<ProcessOutput, Failure> run(const std::filesystem::path& executable,
                                                        const std::vector<std::string>& arguments,
                                                        const std::optional<Environment>& environment,
                                                        const std::optional<std::filesystem::path>& directory,
                                                        const std::optional<std::string>& input,
                                                        Seconds timeout,
                                                        const Predicate& until = {});

/// Ends every child of every run at once, for quitting: runs in progress fail
/// as `quitting` straight away, no run starts from now on (each fails to
/// launch), and the children's process groups get SIGTERM and, two seconds
/// later, SIGKILL. Returns once all are gone, three seconds at most.
void terminateAll();

}  // namespace ProcessRunner

}  // namespace ostrel
