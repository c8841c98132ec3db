#include "posix/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <thread>

namespace ostrel::posix {
namespace {

/// Between two tries of a waiting lock: a holder that saves a small file is done in a few.
constexpr std::chrono::milliseconds retryEvery{5};

}  // namespace

std::expected<UniqueFd, int> lockExclusively(const std::filesystem::path& path)
{
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600));
    if (!fd.isOpen()) {
        return std::unexpected(errno);
    }
    int result = 0;
    do {
        result = ::flock(fd.get(), LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        return std::unexpected(errno);
    }
    return fd;
}

std::expected<UniqueFd, int> lockExclusively(const std::filesystem::path& path, std::chrono::milliseconds wait)
{
    // Counted tries rather than a deadline: the wait is a bound, not a measurement.
    for (auto waited = std::chrono::milliseconds{0};; waited += retryEvery) {
        auto lock = lockExclusively(path);
        if (lock || lock.error() != EWOULDBLOCK || waited >= wait) {
            return lock;
        }
        std::this_thread::sleep_for(retryEvery);
    }
}

}  // namespace ostrel::posix
