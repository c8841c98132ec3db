#pragma once
// Starting and ending child processes on POSIX: fork and exec with piped
// standard streams in a session of its own, nothing but 0, 1 and 2 inherited,
// SIGKILL when the application dies, and reaping that never leaves a zombie
// behind, even after a kill. A child is ended with its whole process group, so
// what it forked goes with it; every child whose group may still run is known
// here, so quitting can end them all at once.

#include <sys/types.h>

#include <chrono>
#include <expected>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "posix/UniqueFd.h"

namespace ostrel::posix {

struct SpawnRequest
{
    std::filesystem::path executable;
    std::vector<std::string> arguments;                             ///< without the program name
    std::optional<std::map<std::string, std::string>> environment;  ///< absent: the application's
    std::filesystem::path directory;
    bool pipedInput = false;  ///< a pipe on standard input, else the null device
};

struct SpawnedChild
{
    pid_t pid = -1;
    UniqueFd exitNotice;  ///< a pidfd that turns readable at exit; closed when the kernel has none
    UniqueFd stdoutRead;
    UniqueFd stderrRead;
    UniqueFd stdinWrite;  ///< open only with piped input
};

/// The application's environment as it is now.
[[nodiscard]] std::map<std::string, std::string> processEnvironment();

/// Starts the child; the errno of the failed launch otherwise (a missing or
/// non-executable program included: no child is left running then).
/// ECANCELED once `terminateAll` has begun.
[[nodiscard]] std::expected<SpawnedChild, int> spawnChild(const SpawnRequest& request);

/// Reaps the child when it has ended: its exit status (128 + the signal number
/// when a signal ended it), absent while it still runs. A child whose process
/// group outlives it stays known until `terminateInBackground` or
/// `terminateAll` ends the group.
[[nodiscard]] std::optional<int> reapIfEnded(pid_t pid);

/// Sends SIGTERM to what still runs of the child's process group now and, from
/// a background thread, SIGKILL to whatever of it still runs after `grace`; that
/// thread reaps the child unless `reapIfEnded` did. Returns at once, and at
/// once does nothing when the child was reaped and its group is gone.
void terminateInBackground(pid_t pid, UniqueFd exitNotice, std::chrono::milliseconds grace);

/// A descriptor that turns readable, for good, once `terminateAll` has begun;
/// -1 when the kernel gave none.
[[nodiscard]] int closingNotice();

/// Ends every child started here whose process group may still run, each with
/// its group: SIGTERM now, SIGKILL after `grace` to what remains, also to
/// groups already being ended in the background, so a process about to exit
/// leaves nothing behind. No child starts from then on. Returns once all are
/// reaped and gone, or after `grace` and one more second at most.
void terminateAll(std::chrono::milliseconds grace);

}  // namespace ostrel::posix
