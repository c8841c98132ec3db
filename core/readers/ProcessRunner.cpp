#include "readers/ProcessRunner.h"

#include <poll.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <climits>
#include <utility>

#include "posix/ChildProcess.h"
#include "posix/UniqueFd.h"
#include "readers/Utf8.h"

namespace ostrel {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

/// How long the output is still read after the child's exit: a grandchild that
/// inherited the pipes may keep them open for ever.
constexpr milliseconds drainAfterExit{1000};
/// How long a child asked to terminate has before it is killed.
constexpr milliseconds killGrace{2000};
/// Poll interval when the kernel gives no pidfd to wait on.
constexpr milliseconds exitCheckInterval{20};
constexpr std::size_t chunkSize = std::size_t{64} * 1024;
static_assert(ProcessRunner::outputLimit == std::size_t{16} * 1024 * 1024, "the failure text names the limit");
/// Longer time-outs (an infinite one included) are taken as this.
constexpr double longestTimeout = 1.0e7;

[[nodiscard]] Clock::time_point deadlineAfter(Clock::time_point start, Seconds timeout)
{
    const double seconds = timeout.count() > 0 ? std::min(timeout.count(), longestTimeout) : 0.0;
    return start + std::chrono::duration_cast<Clock::duration>(Seconds(seconds));
}

[[nodiscard]] int pollMilliseconds(Clock::duration left)
{
    const auto rounded = std::chrono::ceil<milliseconds>(std::max(left, Clock::duration::zero()));
    return static_cast<int>(std::min<milliseconds::rep>(rounded.count(), INT_MAX));
}

/// One launched child and what it has printed so far, driven from the caller's thread.
class ProcessRun
{
public:
    ProcessRun(posix::SpawnedChild child,
               std::string name,
               const std::optional<std::string>& input,
               const ProcessRunner::Predicate& until,
               Clock::time_point deadline)
        : m_child(std::move(child))
        , m_name(std::move(name))
        , m_until(&until)
        , m_deadline(deadline)
    {
        if (input && m_child.stdinWrite.isOpen()) {
            m_pendingInput = *input;
            // Written as the pipe takes it, so a child that prints before it reads cannot deadlock us.
            if (!posix::setNonBlocking(m_child.stdinWrite.get())) {
                m_pendingInput = {};
            }
        }
    }

    ProcessRun(const ProcessRun&) = delete;
    ProcessRun& operator=(const ProcessRun&) = delete;

    ~ProcessRun()
    {
        // Also reached when the predicate throws: the child is never left behind.
        endGroup();
    }

    [[nodiscard]] std::expected<ProcessOutput, ProcessRunner::Failure> wait()
    {
        while (true) {
            const auto now = Clock::now();
            if (auto failure = endingFailure()) {
                endGroup();
                closeStreams();
                return std::unexpected(std::move(*failure));
            }
            if (m_status) {
                const bool drained = !m_child.stdoutRead.isOpen() && !m_child.stderrRead.isOpen();
                if (drained || m_stopped || now >= std::min(m_drainUntil, m_deadline)) {
                    return output(m_status, false);
                }
            } else if (m_stopped) {
                endEarly();
                return output(std::nullopt, false);
            } else if (now >= m_deadline) {
                endEarly();
                return output(std::nullopt, true);
            }
            pumpOnce(now);
        }
    }

private:
    enum Slot : std::size_t
    {
        outSlot,
        errSlot,
        inSlot,
        exitSlot,
        quitSlot,
        slotCount
    };

    void pumpOnce(Clock::time_point now)
    {
        std::array<pollfd, slotCount> watch{};
        watch[outSlot] = {m_child.stdoutRead.get(), POLLIN, 0};
        watch[errSlot] = {m_child.stderrRead.get(), POLLIN, 0};
        watch[inSlot] = {m_pendingInput.empty() ? -1 : m_child.stdinWrite.get(), POLLOUT, 0};
        const bool watchExit = !m_status && m_child.exitNotice.isOpen();
        watch[exitSlot] = {watchExit ? m_child.exitNotice.get() : -1, POLLIN, 0};
        watch[quitSlot] = {posix::closingNotice(), POLLIN, 0};

        auto left = (m_status ? std::min(m_drainUntil, m_deadline) : m_deadline) - now;
        if (!m_status && !watchExit) {
            left = std::min<Clock::duration>(left, exitCheckInterval);
        }
        if (::poll(watch.data(), watch.size(), pollMilliseconds(left)) < 0) {
            return;  // EINTR: the loop looks again
        }
        constexpr auto readable = static_cast<decltype(pollfd::revents)>(POLLIN | POLLHUP | POLLERR);
        if ((watch[outSlot].revents & readable) != 0) {
            readFrom(m_child.stdoutRead, m_stdout);
            if (m_stdout.size() > ProcessRunner::outputLimit) {
                m_overflow = "standard output";
            } else {
                askPredicate();
            }
        }
        if ((watch[errSlot].revents & readable) != 0) {
            readFrom(m_child.stderrRead, m_stderr);
            if (m_stderr.size() > ProcessRunner::outputLimit) {
                m_overflow = "standard error";
            }
        }
        m_quitting = m_quitting || watch[quitSlot].revents != 0;
        if ((watch[inSlot].revents & (POLLOUT | POLLERR | POLLHUP)) != 0) {
            writeInput();
        }
        if (!m_status && (!watchExit || watch[exitSlot].revents != 0)) {
            if (const auto status = posix::reapIfEnded(m_child.pid)) {
                m_status = *status;
                m_reaped = true;
                m_drainUntil = Clock::now() + drainAfterExit;
            }
        }
    }

    static void readFrom(posix::UniqueFd& fd, std::string& target)
    {
        // One byte past the limit tells an overflow from output of exactly the limit.
        const std::size_t room = ProcessRunner::outputLimit + 1 - std::min(target.size(), ProcessRunner::outputLimit);
        const auto count = posix::readSome(fd.get(), target, std::min(chunkSize, room));
        if (count ? *count == 0 : count.error() != EAGAIN) {
            fd.reset();  // end of stream, or a stream that can no longer be read
        }
    }

    void askPredicate()
    {
        if (*m_until && !m_stopped && (*m_until)(m_stdout)) {
            m_stopped = true;
        }
    }

    void writeInput()
    {
        const auto written = posix::writeSome(m_child.stdinWrite.get(), m_pendingInput);
        if (written) {
            m_pendingInput.erase(0, *written);
        } else if (written.error() != EAGAIN) {
            m_pendingInput.clear();  // the child stopped reading; that is its business
        }
    }

    /// Set once the run must fail whatever the child does next.
    [[nodiscard]] std::optional<ProcessRunner::Failure> endingFailure() const
    {
        using Kind = ProcessRunner::Failure::Kind;
        if (m_quitting) {
            return ProcessRunner::Failure{Kind::quitting, 0, m_name + " was ended because the application is quitting"};
        }
        if (m_overflow) {
            return ProcessRunner::Failure{Kind::outputTooLarge,
                                          0,
                                          m_name + " printed more than 16 MiB on " + std::string(m_overflow)};
        }
        return std::nullopt;
    }

    void endEarly()
    {
        m_child.stdinWrite.reset();
        posix::terminateInBackground(m_child.pid, std::move(m_child.exitNotice), killGrace);
        m_reaped = true;
        m_groupEnded = true;
    }

    /// Ends whatever of the child's process group still runs, however the child
    /// ended: a grandchild it left behind goes with the run. Once per run.
    void endGroup()
    {
        if (!m_reaped) {
            endEarly();
        } else if (!m_groupEnded) {
            posix::terminateInBackground(m_child.pid, std::move(m_child.exitNotice), killGrace);
        }
        m_groupEnded = true;
    }

    void closeStreams()
    {
        m_child.stdinWrite.reset();
        m_child.stdoutRead.reset();
        m_child.stderrRead.reset();
    }

    [[nodiscard]] ProcessOutput output(std::optional<int> status, bool timedOut)
    {
        endGroup();
        closeStreams();
        return ProcessOutput{status, std::move(m_stdout), std::move(m_stderr), timedOut};
    }

    posix::SpawnedChild m_child;
    std::string m_name;                       ///< the program's file name, for failure texts
    const ProcessRunner::Predicate* m_until;  ///< the caller's, alive for the whole run
    Clock::time_point m_deadline;
    Clock::time_point m_drainUntil{};
    std::string m_pendingInput;
    std::string m_stdout;
    std::string m_stderr;
    std::optional<int> m_status;
    bool m_stopped = false;
    bool m_reaped = false;
    bool m_groupEnded = false;
    bool m_quitting = false;
    const char* m_overflow = nullptr;  ///< the stream that printed too much
};

[[nodiscard]] std::filesystem::path temporaryFolder()
{
    std::error_code error;
    auto folder = std::filesystem::temp_directory_path(error);
    return error ? std::filesystem::path("/tmp") : folder;
}

}  // namespace

std::string ProcessOutput::stdoutText() const
{
    return decodeUtf8Lossy(stdoutBytes);
}

std::string ProcessOutput::stderrText() const
{
    return decodeUtf8Lossy(stderrBytes);
}

namespace ProcessRunner {

// NOLINTNEXTLINE(readability-function-size): the operation's fixed signature, used by every reader
std::expected<ProcessOutput, Failure> run(const std::filesystem::path& executable,
                                          const std::vector<std::string>& arguments,
                                          const std::optional<Environment>& environment,
                                          const std::optional<std::filesystem::path>& directory,
                                          const std::optional<std::string>& input,
                                          Seconds timeout,
                                          const Predicate& until)
{
    const auto start = Clock::now();
    posix::SpawnRequest request;
    // The child changes folder before exec, so a relative program is made absolute here.
    std::error_code error;
    request.executable = std::filesystem::absolute(executable, error);
    if (error) {
        request.executable = executable;
    }
    request.arguments = arguments;
    request.environment = environment;
    request.directory = directory.value_or(temporaryFolder());
    request.pipedInput = input.has_value();

    auto child = posix::spawnChild(request);
    if (!child) {
        return std::unexpected(Failure{Failure::Kind::launch, child.error(), posix::describeErrno(child.error())});
    }
    ProcessRun processRun(std::move(*child),
                          executable.filename().string(),
                          input,
                          until,
                          deadlineAfter(start, timeout));
    return processRun.wait();
}

void terminateAll()
{
    posix::terminateAll(killGrace);
}

}  // namespace ProcessRunner
}  // namespace ostrel
