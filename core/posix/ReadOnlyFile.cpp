#include "posix/ReadOnlyFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace ostrel::posix {

std::expected<FileStatus, int> fileStatus(const std::filesystem::path& path)
{
    struct stat status
    {};

    if (::lstat(path.c_str(), &status) != 0) {
        return std::unexpected(errno);
    }
    return FileStatus{S_ISREG(status.st_mode),
                      static_cast<std::uint64_t>(status.st_size),
                      std::int64_t{status.st_mtim.tv_sec},
                      std::int64_t{status.st_mtim.tv_nsec}};
}

std::expected<ReadOnlyFile, int> ReadOnlyFile::open(const std::filesystem::path& path)
{
    // O_NONBLOCK keeps a FIFO that took a file's name from blocking the open.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.isOpen()) {
        return std::unexpected(errno);
    }

    struct stat status
    {};

    if (::fstat(fd.get(), &status) != 0) {
        return std::unexpected(errno);
    }
    if (!S_ISREG(status.st_mode)) {
        return std::unexpected(EINVAL);
    }
    // Read-ahead helps a single forward pass; a failed hint changes nothing.
    static_cast<void>(::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL));
    return ReadOnlyFile(std::move(fd), static_cast<std::uint64_t>(status.st_size));
}

std::expected<std::size_t, int> ReadOnlyFile::readAt(std::uint64_t offset, std::span<char> into) const
{
    ssize_t count = -1;
    do {
        count = ::pread(m_fd.get(), into.data(), into.size(), static_cast<off_t>(offset));
    } while (count < 0 && errno == EINTR);
    if (count < 0) {
        return std::unexpected(errno);
    }
    return static_cast<std::size_t>(count);
}

std::expected<std::string, int> readWhole(const std::filesystem::path& path, std::uint64_t limit)
{
    const auto file = ReadOnlyFile::open(path);
    if (!file) {
        return std::unexpected(file.error());
    }
    if (file->size() > limit) {
        return std::unexpected(EFBIG);
    }
    // One byte beyond the size seen, so that growth since the open is noticed.
    std::string bytes(file->size() + 1, '\0');
    std::size_t held = 0;
    while (true) {
        if (held == bytes.size()) {
            if (bytes.size() > limit) {
                return std::unexpected(EFBIG);
            }
            bytes.resize(bytes.size() * 2);
        }
        const auto count = file->readAt(held, std::span(bytes).subspan(held));
        if (!count) {
            return std::unexpected(count.error());
        }
        if (*count == 0) {
            break;
        }
        held += *count;
    }
    bytes.resize(held);
    return bytes;
}

}  // namespace ostrel::posix
