#include "posix/ChildProcess.h"

#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "posix/ForkExec.h"

// POSIX declares it in no header.
extern char** environ;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables,readability-redundant-declaration)

namespace ostrel::posix {
namespace {

using Clock = std::chrono::steady_clock;
/// How long terminateAll still waits for the reaping after its SIGKILL.
constexpr std::chrono::seconds reapAfterKill{1};
/// Poll interval while a group outlives its leader, or without a pidfd.
constexpr std::chrono::milliseconds recheckInterval{20};
constexpr std::chrono::milliseconds longestPoll{1000};

/// Every child started here until it is reaped and its whole group is gone:
/// the group keeps its id reserved while any member lives. Children are reaped
/// under `lock`, so a process id listed here is never one the kernel could have
/// handed to someone else.
struct Registry
{
    std::mutex lock;
    std::condition_variable changed;
    std::map<pid_t, bool> live;  ///< each child, and whether it has been reaped
    bool closing = false;
    /// Written once when closing begins and never read, so it stays readable.
    std::expected<Pipe, int> notice = makePipe();

    /// Never destroyed: detached threads ending children may still use it while the process exits.
    [[nodiscard]] static Registry& instance()
    {
        // NOLINTNEXTLINE(cppcoreguidelines-owning-memory,cppcoreguidelines-avoid-non-const-global-variables): see above
        static auto* const registry = new Registry();
        return *registry;
    }

    void forget(pid_t pid)
    {
        const std::scoped_lock guard(lock);
        live.erase(pid);
        changed.notify_all();
    }
};

/// Signals the group the child leads (its session made it the leader).
void signalGroup(pid_t pid, int signal)
{
    ::kill(-pid, signal);
}

[[nodiscard]] bool groupExists(pid_t pid)
{
    return ::kill(-pid, 0) == 0 || errno == EPERM;
}

/// A descriptor that turns readable when the child ends, or -1 on kernels
/// without pidfds. Called through syscall because glibc 2.36's <sys/pidfd.h>
/// lacks C linkage for C++ callers.
[[nodiscard]] int openPidfd(pid_t pid)
{
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0U));
}

[[nodiscard]] int decodeStatus(int raw)
{
    if (WIFEXITED(raw)) {
        return WEXITSTATUS(raw);
    }
    if (WIFSIGNALED(raw)) {
        return 128 + WTERMSIG(raw);
    }
    return raw;
}

/// waitpid without blocking: the decoded status once the child has ended.
[[nodiscard]] std::optional<int> reapNow(pid_t pid)
{
    int raw = 0;
    pid_t reaped = -1;
    do {
        reaped = ::waitpid(pid, &raw, WNOHANG);
    } while (reaped < 0 && errno == EINTR);
    if (reaped == pid) {
        return decodeStatus(raw);
    }
    if (reaped < 0 && errno == ECHILD) {
        // Someone else reaped it; it has ended all the same.
        return -1;
    }
    return std::nullopt;
}

[[nodiscard]] bool reapLocked(pid_t pid)
{
    const std::scoped_lock guard(Registry::instance().lock);
    return reapNow(pid).has_value();
}

/// Waits for the child until `deadline`; true when it ended and was reaped.
/// The registry still lists it afterwards: its group may outlive it.
[[nodiscard]] bool reapBy(pid_t pid, const UniqueFd& exitNotice, Clock::time_point deadline)
{
    while (true) {
        if (reapLocked(pid)) {
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return false;
        }
        if (exitNotice.isOpen()) {
            // Bounded, so an unlimited deadline cannot overflow poll's int.
            pollfd watch{exitNotice.get(), POLLIN, 0};
            static_cast<void>(::poll(&watch, 1, static_cast<int>(std::min(left, longestPoll).count())));
        } else {
            std::this_thread::sleep_for(std::min(left, recheckInterval));
        }
    }
}

/// Ends a child already sent SIGTERM, and its group: SIGKILL after `grace` to
/// whatever still runs, the child reaped (unless it was already), then forgotten.
void endGroup(pid_t pid, const UniqueFd& exitNotice, std::chrono::milliseconds grace, bool reaped)
{
    const auto deadline = Clock::now() + grace;
    if (reaped || reapBy(pid, exitNotice, deadline)) {
        // What the child forked gets the rest of the grace; the group keeps its
        // id reserved while any member lives.
        while (groupExists(pid) && Clock::now() < deadline) {
            std::this_thread::sleep_for(recheckInterval);
        }
        if (groupExists(pid)) {
            signalGroup(pid, SIGKILL);
        }
    } else {
        // Not yet reaped, so the id cannot have been reused by another process.
        signalGroup(pid, SIGKILL);
        static_cast<void>(reapBy(pid, exitNotice, Clock::time_point::max()));
    }
    Registry::instance().forget(pid);
}

}  // namespace

std::map<std::string, std::string> processEnvironment()
{
    std::map<std::string, std::string> variables;
    // NOLINTNEXTLINE(cppcoreguidelines-pro-bounds-pointer-arithmetic): environ is a C array
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string_view text(*entry);
        const auto equals = text.find('=');
        if (equals != std::string_view::npos && equals > 0) {
            variables.emplace(text.substr(0, equals), text.substr(equals + 1));
        }
    }
    return variables;
}

std::expected<SpawnedChild, int> spawnChild(const SpawnRequest& request)
{
    auto out = makePipe();
    auto err = makePipe();
    if (!out || !err) {
        return std::unexpected(!out ? out.error() : err.error());
    }
    std::optional<Pipe> in;
    if (request.pipedInput) {
        auto pipe = makePipe();
        if (!pipe) {
            return std::unexpected(pipe.error());
        }
        in = std::move(*pipe);
    }
    Registry& registry = Registry::instance();
    std::unique_lock guard(registry.lock);
    if (registry.closing) {
        return std::unexpected(ECANCELED);
    }
    const auto pid = forkExec(request, *out, *err, in);
    if (!pid) {
        return std::unexpected(pid.error());
    }
    registry.live.insert_or_assign(*pid, false);
    guard.unlock();
    SpawnedChild child;
    child.pid = *pid;
    // Until it is reaped the child's id stays ours, so opening the pidfd now is safe.
    child.exitNotice = UniqueFd(openPidfd(*pid));
    child.stdoutRead = std::move(out->readEnd);
    child.stderrRead = std::move(err->readEnd);
    if (in) {
        child.stdinWrite = std::move(in->writeEnd);
    }
    return child;
}

std::optional<int> reapIfEnded(pid_t pid)
{
    Registry& registry = Registry::instance();
    const std::scoped_lock guard(registry.lock);
    const auto status = reapNow(pid);
    const auto listed = registry.live.find(pid);
    if (status && listed != registry.live.end()) {
        // What it forked may still run in its group; the group is ended with it.
        if (groupExists(pid)) {
            listed->second = true;
        } else {
            registry.live.erase(listed);
        }
        registry.changed.notify_all();
    }
    return status;
}

void terminateInBackground(pid_t pid, UniqueFd exitNotice, std::chrono::milliseconds grace)
{
    bool reaped = false;
    {
        Registry& registry = Registry::instance();
        const std::scoped_lock guard(registry.lock);
        const auto listed = registry.live.find(pid);
        if (listed == registry.live.end()) {
            return;  // reaped, with nothing of its group left
        }
        reaped = listed->second;
        if (reaped && !groupExists(pid)) {
            registry.live.erase(listed);
            registry.changed.notify_all();
            return;
        }
        signalGroup(pid, SIGTERM);
    }
    try {
        std::thread([pid, notice = std::move(exitNotice), grace, reaped] {
            endGroup(pid, notice, grace, reaped);
        }).detach();
    } catch (const std::system_error&) {
        // No thread to wait in: end the group at once rather than leave a zombie.
        const UniqueFd none;
        endGroup(pid, none, std::chrono::milliseconds(0), reaped);
    }
}

int closingNotice()
{
    const Registry& registry = Registry::instance();
    return registry.notice ? registry.notice->readEnd.get() : -1;
}

void terminateAll(std::chrono::milliseconds grace)
{
    Registry& registry = Registry::instance();
    std::unique_lock guard(registry.lock);
    if (!registry.closing) {
        registry.closing = true;
        if (registry.notice) {
            static_cast<void>(writeSome(registry.notice->writeEnd.get(), "q"));
        }
    }
    for (const auto& [pid, reaped] : registry.live) {
        signalGroup(pid, SIGTERM);
    }
    // A reaped child's group that ends by itself tells nobody: it is looked at again and again.
    const auto allEndedBy = [&](Clock::time_point deadline) {
        while (true) {
            std::erase_if(registry.live, [](const auto& child) { return child.second && !groupExists(child.first); });
            if (registry.live.empty() || Clock::now() >= deadline) {
                return registry.live.empty();
            }
            static_cast<void>(registry.changed.wait_for(guard, recheckInterval));
        }
    };
    if (!allEndedBy(Clock::now() + grace)) {
        for (const auto& [pid, reaped] : registry.live) {
            signalGroup(pid, SIGKILL);
        }
        static_cast<void>(allEndedBy(Clock::now() + reapAfterKill));
    }
}

}  // namespace ostrel::posix
