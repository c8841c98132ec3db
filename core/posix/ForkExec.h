#pragma once
// Starting one child process: fork and exec with only async-signal-safe calls
// in between, always from one long-lived thread, so that the child's
// parent-death signal follows the application rather than a pool thread.
// The child gets a session of its own, a clean signal state, its three
// streams and nothing else. Waiting for it and ending it are ChildProcess's.

#include <sys/types.h>

#include <expected>
#include <optional>

#include "posix/ChildProcess.h"
#include "posix/UniqueFd.h"

namespace ostrel::posix {

/// Starts `request` with `out` and `err` as its standard output and error and
/// `in`, where given, as its standard input (else the null device). The
/// child's pid, or the errno of a launch that failed before the exec took
/// (EINVAL for an argument, variable or path holding a NUL, or a malformed name).
[[nodiscard]] std::expected<pid_t, int>
forkExec(const SpawnRequest& request, const Pipe& out, const Pipe& err, const std::optional<Pipe>& in);

}  // namespace ostrel::posix
