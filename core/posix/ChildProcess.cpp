#include "posix/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <mutex>
#include <set>
#include <string_view>
#include <thread>

// POSIX declares it in no header; only this file touches it.
extern char** environ;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables,readability-redundant-declaration)

namespace ostrel::posix {
namespace {

using Clock = std::chrono::steady_clock;
/// How long terminateAll still waits for the reaping after its SIGKILL.
constexpr std::chrono::seconds reapAfterKill{1};
/// Poll interval while a group outlives its leader, or without a pidfd.
constexpr std::chrono::milliseconds recheckInterval{20};
constexpr std::chrono::milliseconds longestPoll{1000};

/// Every child started here until it is reaped or, when it was ended early,
/// until its whole group is gone. Children are reaped under `lock`, so a process
/// id listed here is never one the kernel could have handed to someone else.
struct Registry
{
    std::mutex lock;
    std::condition_variable changed;
    std::set<pid_t> live;
    bool closing = false;
    /// Written once when closing begins and never read, so it stays readable.
    std::expected<Pipe, int> notice = makePipe();

    /// Never destroyed: detached threads ending children may still use it while the process exits.
    [[nodiscard]] static Registry& instance()
    {
        // NOLINTNEXTLINE(cppcoreguidelines-owning-memory): deliberately leaked, see above
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

/// posix_spawn's attribute and file-action objects, destroyed on every path.
class SpawnSetup
{
public:
    SpawnSetup()
    {
        posix_spawnattr_init(&m_attributes);
        posix_spawn_file_actions_init(&m_actions);
    }

    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    ~SpawnSetup()
    {
        posix_spawn_file_actions_destroy(&m_actions);
        posix_spawnattr_destroy(&m_attributes);
    }

    [[nodiscard]] posix_spawnattr_t* attributes()
    {
        return &m_attributes;
    }

    [[nodiscard]] posix_spawn_file_actions_t* actions()
    {
        return &m_actions;
    }

private:
    posix_spawnattr_t m_attributes{};
    posix_spawn_file_actions_t m_actions{};
};

/// A C string array for exec, owning its strings.
class CStrings
{
public:
    void add(std::string text)
    {
        m_texts.push_back(std::move(text));
    }

    [[nodiscard]] char** data()
    {
        m_pointers.clear();
        for (auto& text : m_texts) {
            m_pointers.push_back(text.data());
        }
        m_pointers.push_back(nullptr);
        return m_pointers.data();
    }

private:
    std::vector<std::string> m_texts;
    std::vector<char*> m_pointers;
};

[[nodiscard]] bool holdsNul(std::string_view text)
{
    return text.find('\0') != std::string_view::npos;
}

/// A clean signal state for the child: nothing blocked, nothing ignored, and a
/// session of its own, so an interactive login shell cannot take over the
/// terminal the application was started from.
[[nodiscard]] int prepareAttributes(posix_spawnattr_t* attributes)
{
    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    const auto flags = static_cast<std::int16_t>(POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);
    if (const int error = posix_spawnattr_setflags(attributes, flags); error != 0) {
        return error;
    }
    if (const int error = posix_spawnattr_setsigmask(attributes, &none); error != 0) {
        return error;
    }
    return posix_spawnattr_setsigdefault(attributes, &all);
}

[[nodiscard]] int prepareActions(posix_spawn_file_actions_t* actions,
                                 const SpawnRequest& request,
                                 const Pipe& out,
                                 const Pipe& err,
                                 const std::optional<Pipe>& in)
{
    int error = in ? posix_spawn_file_actions_adddup2(actions, in->readEnd.get(), STDIN_FILENO)
                   : posix_spawn_file_actions_addopen(actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (error == 0) {
        error = posix_spawn_file_actions_adddup2(actions, out.writeEnd.get(), STDOUT_FILENO);
    }
    if (error == 0) {
        error = posix_spawn_file_actions_adddup2(actions, err.writeEnd.get(), STDERR_FILENO);
    }
    if (error == 0) {
        error = posix_spawn_file_actions_addchdir_np(actions, request.directory.c_str());
    }
    if (error == 0) {
        // Descriptors that other code opened without close-on-exec stay out of the child too.
        error = posix_spawn_file_actions_addclosefrom_np(actions, STDERR_FILENO + 1);
    }
    return error;
}

[[nodiscard]] std::expected<pid_t, int>
launch(const SpawnRequest& request, const Pipe& out, const Pipe& err, const std::optional<Pipe>& in)
{
    const std::string program = request.executable.string();
    CStrings argv;
    argv.add(program);
    bool malformed = holdsNul(program);
    for (const auto& argument : request.arguments) {
        malformed = malformed || holdsNul(argument);
        argv.add(argument);
    }
    CStrings envp;
    if (request.environment) {
        for (const auto& [name, value] : *request.environment) {
            // A name with '=' or a NUL would smuggle in a different variable.
            malformed =
                malformed || name.empty() || name.find('=') != std::string::npos || holdsNul(name) || holdsNul(value);
            std::string entry = name;
            entry += '=';
            entry += value;
            envp.add(std::move(entry));
        }
    }
    if (malformed) {
        return std::unexpected(EINVAL);
    }

    SpawnSetup setup;
    if (const int error = prepareAttributes(setup.attributes()); error != 0) {
        return std::unexpected(error);
    }
    if (const int error = prepareActions(setup.actions(), request, out, err, in); error != 0) {
        return std::unexpected(error);
    }
    pid_t pid = -1;
    const int error = posix_spawn(&pid,
                                  program.c_str(),
                                  setup.actions(),
                                  setup.attributes(),
                                  argv.data(),
                                  request.environment ? envp.data() : environ);
    if (error != 0) {
        return std::unexpected(error);
    }
    return pid;
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
/// whatever still runs, the child reaped, then forgotten.
void endGroup(pid_t pid, const UniqueFd& exitNotice, std::chrono::milliseconds grace)
{
    const auto deadline = Clock::now() + grace;
    if (reapBy(pid, exitNotice, deadline)) {
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
    const auto pid = launch(request, *out, *err, in);
    if (!pid) {
        return std::unexpected(pid.error());
    }
    registry.live.insert(*pid);
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
    if (status) {
        registry.live.erase(pid);
        registry.changed.notify_all();
    }
    return status;
}

void terminateInBackground(pid_t pid, UniqueFd exitNotice, std::chrono::milliseconds grace)
{
    signalGroup(pid, SIGTERM);
    try {
        std::thread([pid, notice = std::move(exitNotice), grace] { endGroup(pid, notice, grace); }).detach();
    } catch (const std::system_error&) {
        // No thread to wait in: end the group at once rather than leave a zombie.
        const UniqueFd none;
        endGroup(pid, none, std::chrono::milliseconds(0));
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
    for (const pid_t pid : registry.live) {
        signalGroup(pid, SIGTERM);
    }
    const auto allEnded = [&registry] {
        return registry.live.empty();
    };
    if (!registry.changed.wait_for(guard, grace, allEnded)) {
        for (const pid_t pid : registry.live) {
            signalGroup(pid, SIGKILL);
        }
        static_cast<void>(registry.changed.wait_for(guard, reapAfterKill, allEnded));
    }
}

}  // namespace ostrel::posix
