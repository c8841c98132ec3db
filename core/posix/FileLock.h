#pragma once
// An exclusive advisory lock on a file, held for as long as its descriptor is
// open. The kernel drops it when the holder exits, however it exits, so a
// crashed holder never leaves a stale lock behind.

#include <chrono>
#include <expected>
#include <filesystem>

#include "posix/UniqueFd.h"

namespace ostrel::posix {

/// Creates `path` (mode 0600) when missing and locks it without waiting: the
/// descriptor that holds the lock, or the errno (EWOULDBLOCK while another
/// open file holds it, in this process or another).
[[nodiscard]] std::expected<UniqueFd, int> lockExclusively(const std::filesystem::path& path);

/// `lockExclusively`, trying again every few milliseconds while another holds
/// the lock, for about `wait` at most; EWOULDBLOCK when it was held all along.
[[nodiscard]] std::expected<UniqueFd, int> lockExclusively(const std::filesystem::path& path,
                                                           std::chrono::milliseconds wait);

}  // namespace ostrel::posix
