#include "posix/ForkExec.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

// POSIX declares it in no header.
extern char** environ;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables,readability-redundant-declaration)

namespace ostrel::posix {
namespace {

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

/// Everything the child needs, made before the fork: between fork and exec the
/// child may only make async-signal-safe calls, so it allocates nothing.
struct LaunchPlan
{
    const char* program = nullptr;
    char** argv = nullptr;
    char** envp = nullptr;
    const char* directory = nullptr;
    std::array<int, 3> streams{-1, -1, -1};  ///< for 0, 1 and 2; -1 on 0: the null device
    pid_t parent = -1;
    int report = -1;  ///< the write end of a close-on-exec pipe that carries a failure's errno
};

[[noreturn]] void failInChild(int report, int error) noexcept
{
    static_cast<void>(::write(report, &error, sizeof error));
    ::_exit(127);
}

/// The child's side, up to exec: a clean signal state (nothing blocked, nothing
/// ignored), a session of its own, so an interactive login shell cannot take
/// over the terminal the application was started from, SIGKILL when its parent
/// dies, the three streams and nothing else inherited.
[[noreturn]] void becomeChild(LaunchPlan plan) noexcept
{
    struct sigaction standard
    {};

    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    for (int signal = 1; signal < NSIG; ++signal) {
        static_cast<void>(::sigaction(signal, &standard, nullptr));  // fails harmlessly for SIGKILL and SIGSTOP
    }
    sigset_t none;
    sigemptyset(&none);
    pthread_sigmask(SIG_SETMASK, &none, nullptr);
    if (::setsid() < 0 || ::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0) {
        failInChild(plan.report, errno);
    }
    if (::getppid() != plan.parent) {
        ::_exit(127);  // the parent died before the signal was asked for
    }
    // Above 2 as well: an application started with a standard stream closed hands out 0 to 2 for pipes.
    plan.report = ::fcntl(plan.report, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    if (plan.report < 0) {
        ::_exit(127);
    }
    std::array<int, 3> streams = plan.streams;
    if (streams[0] < 0) {
        streams[0] = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    }
    // Copies above 2 first, so that no placing below overwrites a stream still to be placed.
    for (int& fd : streams) {
        fd = fd < 0 ? -1 : ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
        if (fd < 0) {
            failInChild(plan.report, errno);
        }
    }
    int target = STDIN_FILENO;
    for (const int fd : streams) {
        if (::dup2(fd, target++) < 0) {
            failInChild(plan.report, errno);
        }
    }
    if (::chdir(plan.directory) != 0) {
        failInChild(plan.report, errno);
    }
    // Descriptors that other code opened without close-on-exec stay out of the child too.
    const auto report = static_cast<unsigned>(plan.report);
    static_cast<void>(::close_range(STDERR_FILENO + 1, report - 1, 0));
    static_cast<void>(::close_range(report + 1, ~0U, 0));
    ::execve(plan.program, plan.argv, plan.envp);
    failInChild(plan.report, errno);
}

/// Forks and execs; the errno of a launch that failed before the exec took.
[[nodiscard]] std::expected<pid_t, int> forkAndExec(LaunchPlan plan)
{
    auto report = makePipe();
    if (!report) {
        return std::unexpected(report.error());
    }
    plan.parent = ::getpid();
    plan.report = report->writeEnd.get();
    // Blocked across the fork, so no handler of ours runs in the child before it resets them.
    sigset_t all;
    sigfillset(&all);
    sigset_t previous;
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    const pid_t pid = ::fork();
    if (pid == 0) {
        becomeChild(plan);
    }
    const int forkError = errno;
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (pid < 0) {
        return std::unexpected(forkError);
    }
    report->writeEnd.reset();
    // Nothing arrives when the exec took: the pipe just closes.
    int error = 0;
    std::string bytes;
    while (true) {
        const auto read = readSome(report->readEnd.get(), bytes, sizeof error);
        if (!read || *read == 0 || bytes.size() >= sizeof error) {
            break;
        }
    }
    if (bytes.size() < sizeof error) {
        return pid;
    }
    std::memcpy(&error, bytes.data(), sizeof error);
    int ignored = 0;
    while (::waitpid(pid, &ignored, 0) < 0 && errno == EINTR) {}
    return std::unexpected(error);
}

/// Does every fork, for the life of the process. The kernel sends a child its
/// parent-death signal when the *thread* that forked it ends, not the process;
/// readers run on pool threads that come and go, so forking on them would kill
/// children early. posix_spawn cannot ask for the signal at all, which is why
/// this is fork and exec, with only async-signal-safe calls in between.
class Spawner
{
public:
    /// Never destroyed: the thread waits here until the process ends.
    [[nodiscard]] static Spawner& instance()
    {
        // NOLINTNEXTLINE(cppcoreguidelines-owning-memory,cppcoreguidelines-avoid-non-const-global-variables): see above
        static auto* const spawner = new Spawner();
        return *spawner;
    }

    [[nodiscard]] std::expected<pid_t, int> launch(const LaunchPlan& plan)
    {
        if (::getpid() != m_owner) {
            // A copy of the process made by fork alone has no thread here (and maybe a held lock).
            return forkAndExec(plan);
        }
        if (!m_started) {
            return std::unexpected(EAGAIN);
        }
        std::unique_lock guard(m_lock);
        m_turn.wait(guard, [this] { return m_plan == nullptr; });
        m_plan = &plan;
        m_turn.notify_all();
        m_turn.wait(guard, [this] { return m_result.has_value(); });
        const auto result = m_result.value_or(std::unexpected(EAGAIN));  // always set by now
        m_result.reset();
        m_plan = nullptr;
        m_turn.notify_all();
        return result;
    }

private:
    Spawner()
    {
        try {
            std::thread([this] { serve(); }).detach();
            m_started = true;
        } catch (const std::system_error&) {
            m_started = false;  // every launch fails with EAGAIN
        }
    }

    void serve()
    {
        std::unique_lock guard(m_lock);
        while (true) {
            m_turn.wait(guard, [this] { return m_plan != nullptr && !m_result; });
            const LaunchPlan plan = *m_plan;
            guard.unlock();
            auto result = forkAndExec(plan);
            guard.lock();
            m_result = result;
            m_turn.notify_all();
        }
    }

    std::mutex m_lock;
    std::condition_variable m_turn;
    const LaunchPlan* m_plan = nullptr;
    std::optional<std::expected<pid_t, int>> m_result;
    bool m_started = false;
    pid_t m_owner = ::getpid();  ///< the process the thread runs in
};

}  // namespace

std::expected<pid_t, int>
forkExec(const SpawnRequest& request, const Pipe& out, const Pipe& err, const std::optional<Pipe>& in)
{
    const std::string program = request.executable.string();
    CStrings argv;
    argv.add(program);
    bool malformed = holdsNul(program) || holdsNul(request.directory.native());
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
    LaunchPlan plan;
    plan.program = program.c_str();
    plan.argv = argv.data();
    plan.envp = request.environment ? envp.data() : environ;
    plan.directory = request.directory.c_str();
    plan.streams = {in ? in->readEnd.get() : -1, out.writeEnd.get(), err.writeEnd.get()};
    return Spawner::instance().launch(plan);
}

}  // namespace ostrel::posix
