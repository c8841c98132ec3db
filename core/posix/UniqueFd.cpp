#include "posix/UniqueFd.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <ctime>
#include <system_error>
#include <utility>

namespace ostrel::posix {
namespace {

/// Moves a descriptor that landed on 0, 1 or 2 (possible when the application
/// runs with a standard stream closed) above them, keeping close-on-exec.
[[nodiscard]] std::expected<UniqueFd, int> aboveStandardStreams(UniqueFd fd)
{
    if (fd.get() > 2) {
        return fd;
    }
    const int moved = ::fcntl(fd.get(), F_DUPFD_CLOEXEC, 3);
    if (moved < 0) {
        return std::unexpected(errno);
    }
    return UniqueFd(moved);
}

}  // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept
{
    if (this != &other) {
        reset();
        m_fd = other.release();
    }
    return *this;
}

UniqueFd::~UniqueFd()
{
    reset();
}

int UniqueFd::release() noexcept
{
    return std::exchange(m_fd, -1);
}

void UniqueFd::reset() noexcept
{
    if (m_fd >= 0) {
        // Linux frees the descriptor even when close reports EINTR, so it is not retried.
        static_cast<void>(::close(m_fd));
        m_fd = -1;
    }
}

std::expected<Pipe, int> makePipe()
{
    std::array<int, 2> fds{-1, -1};
    if (::pipe2(fds.data(), O_CLOEXEC) != 0) {
        return std::unexpected(errno);
    }
    auto readEnd = aboveStandardStreams(UniqueFd(fds[0]));
    auto writeEnd = aboveStandardStreams(UniqueFd(fds[1]));
    if (!readEnd) {
        return std::unexpected(readEnd.error());
    }
    if (!writeEnd) {
        return std::unexpected(writeEnd.error());
    }
    return Pipe{std::move(*readEnd), std::move(*writeEnd)};
}

std::expected<void, int> setNonBlocking(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) {
        return std::unexpected(errno);
    }
    return {};
}

std::expected<std::size_t, int> readSome(int fd, std::string& target, std::size_t capacity)
{
    const std::size_t before = target.size();
    target.resize(before + capacity);
    ssize_t count = -1;
    do {
        count = ::read(fd, &target[before], capacity);
    } while (count < 0 && errno == EINTR);
    const int error = errno;
    target.resize(before + (count > 0 ? static_cast<std::size_t>(count) : 0));
    if (count < 0) {
        return std::unexpected(error);
    }
    return static_cast<std::size_t>(count);
}

std::expected<std::size_t, int> writeSome(int fd, std::string_view bytes)
{
    // SIGPIPE is blocked on this thread for the write only; one raised by it is
    // taken off the pending set again, unless one was pending already.
    sigset_t pipeOnly;
    sigemptyset(&pipeOnly);
    sigaddset(&pipeOnly, SIGPIPE);
    sigset_t pendingBefore;
    sigpending(&pendingBefore);
    const bool wasPending = sigismember(&pendingBefore, SIGPIPE) == 1;
    sigset_t previousMask;
    pthread_sigmask(SIG_BLOCK, &pipeOnly, &previousMask);

    ssize_t count = -1;
    do {
        count = ::write(fd, bytes.data(), bytes.size());
    } while (count < 0 && errno == EINTR);
    const int error = errno;

    if (count < 0 && error == EPIPE && !wasPending) {
        const timespec noWait{0, 0};
        while (sigtimedwait(&pipeOnly, nullptr, &noWait) < 0 && errno == EINTR) {}
    }
    pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
    if (count < 0) {
        return std::unexpected(error);
    }
    return static_cast<std::size_t>(count);
}

std::string describeErrno(int code)
{
    return std::generic_category().message(code);
}

}  // namespace ostrel::posix
