#pragma once
// The one thin layer over raw file descriptors: a move-only owner that closes on
// destruction, pipes created close-on-exec, and reads and writes that retry on
// EINTR. Nothing outside core/readers/posix calls ::read, ::write or ::close.

#include <cerrno>
#include <cstddef>
#include <expected>
#include <string>
#include <string_view>

namespace ostrel::posix {

class UniqueFd
{
public:
    UniqueFd() = default;

    explicit UniqueFd(int fd) noexcept
        : m_fd(fd)
    {}

    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    UniqueFd(UniqueFd&& other) noexcept
        : m_fd(other.release())
    {}

    UniqueFd& operator=(UniqueFd&& other) noexcept;
    ~UniqueFd();

    [[nodiscard]] int get() const noexcept
    {
        return m_fd;
    }

    [[nodiscard]] bool isOpen() const noexcept
    {
        return m_fd >= 0;
    }

    /// Gives up ownership; the descriptor stays open.
    [[nodiscard]] int release() noexcept;
    /// Closes now; a failure to close is ignored (the descriptor is gone either way on Linux).
    void reset() noexcept;

private:
    int m_fd = -1;
};

struct Pipe
{
    UniqueFd readEnd;
    UniqueFd writeEnd;
};

/// A close-on-exec pipe whose two ends are never 0, 1 or 2, so that placing them
/// on a child's standard streams cannot clobber one another. The errno on failure.
[[nodiscard]] std::expected<Pipe, int> makePipe();

/// Makes the descriptor non-blocking; the errno on failure.
[[nodiscard]] std::expected<void, int> setNonBlocking(int fd);

/// One read of at most `capacity` bytes appended to `target`: the count read
/// (0 at end of stream), or the errno (EAGAIN when nothing is ready).
[[nodiscard]] std::expected<std::size_t, int> readSome(int fd, std::string& target, std::size_t capacity);

/// One write of a prefix of `bytes`: the count written, or the errno. A reader
/// that has gone away yields EPIPE; SIGPIPE is kept from ending the process.
[[nodiscard]] std::expected<std::size_t, int> writeSome(int fd, std::string_view bytes);

/// The operating system's description of an errno value.
[[nodiscard]] std::string describeErrno(int code);

}  // namespace ostrel::posix
