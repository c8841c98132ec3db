#include "posix/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>

namespace ostrel::posix {

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

}  // namespace ostrel::posix
