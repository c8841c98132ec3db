#include "readers/ProcessRunner.h"

#include <sys/wait.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/Matchers.h"
#include "support/ProcessIds.h"
#include "support/TemporaryFolder.h"

namespace ostrel {
namespace {

using ostrel::testing::allEndedWithin;
using ostrel::testing::FailsWith;
using ostrel::testing::HoldsValue;
using ::testing::AllOf;
using ::testing::Field;
using ::testing::Optional;
using ::testing::SizeIs;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

const std::filesystem::path shell = "/bin/sh";

[[nodiscard]] std::expected<ProcessOutput, ProcessRunner::Failure>
runShell(const std::string& script,
         Seconds timeout = Seconds{10},
         const std::optional<std::string>& input = {},
         const ProcessRunner::Predicate& until = {})
{
    return ProcessRunner::run(shell, {"-c", script}, std::nullopt, std::nullopt, input, timeout, until);
}

[[nodiscard]] double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

/// True while this process has a child, running or a zombie; never reaps one.
[[nodiscard]] bool hasChildren()
{
    siginfo_t info{};
    return ::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == 0 || errno != ECHILD;
}

/// Waits until every child has been reaped; false when some remain after `limit`.
[[nodiscard]] bool childrenGoneWithin(Seconds limit)
{
    const auto start = Clock::now();
    while (hasChildren()) {
        if (secondsSince(start) > limit.count()) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

[[nodiscard]] std::ptrdiff_t openDescriptors()
{
    const auto entries = std::filesystem::directory_iterator("/proc/self/fd");
    return std::distance(begin(entries), end(entries));
}

TEST(ProcessRunner, ReportsTheExitStatusAndBothStreams)
{
    struct Case
    {
        std::string_view name;
        std::string_view script;
        int status;
        std::string_view out;
        std::string_view err;
        std::string_view outText;
    };

    constexpr auto cases = std::to_array<Case>({
        {"a child that prints on both streams and fails", "printf out; printf err >&2; exit 3", 3, "out", "err", "out"},
        {"a child ended by a signal", "printf partial; kill -9 $$", 128 + 9, "partial", "", "partial"},
        {"a grandchild keeping the pipes open does not hold the run", "sleep 5 & echo hi", 0, "hi\n", "", "hi\n"},
        {"bytes that are not UTF-8 are kept, their text replaced",
         R"(printf 'a\377b')",
         0,
         "a\xFF"
         "b",
         "",
         "a\uFFFDb"},
    });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto start = Clock::now();
        const auto result = runShell(std::string(c.script));
        EXPECT_LT(secondsSince(start), 3.0);
        ASSERT_TRUE(result.has_value());
        EXPECT_THAT(result->status, Optional(c.status));
        EXPECT_EQ(result->stdoutBytes, c.out);
        EXPECT_EQ(result->stderrBytes, c.err);
        EXPECT_EQ(result->stdoutText(), c.outText);
        EXPECT_FALSE(result->timedOut);
    }
}

TEST(ProcessRunner, DeliversTheInputAndKeepsStandardInputOpenUntilTheRunEnds)
{
    // Larger than a pipe holds, all three ways: a runner that wrote before reading,
    // or read one stream to its end before the other, would deadlock.
    std::string input(std::size_t{3} * 1024 * 1024, 'x');
    input.back() = 'y';
    EXPECT_THAT(runShell("head -c 5000000 /dev/zero >&2 & head -c 3145728; wait", Seconds{10}, input),
                HoldsValue(AllOf(Field(&ProcessOutput::stdoutBytes, input),
                                 Field(&ProcessOutput::stderrBytes, SizeIs(5000000U)))));
}

/// Runs the fixture that hangs, deaf to SIGTERM, after starting a grandchild; both their ids land in `pids`.
[[nodiscard]] std::expected<ProcessOutput, ProcessRunner::Failure>
runHangingTool(const std::filesystem::path& pids, Seconds timeout, bool exits = false)
{
    ProcessRunner::Environment environment{{"HANG_PIDS", pids.string()},
                                           {"PATH", "/usr/bin:/bin"},
                                           {"HANG_STUBBORN", "1"}};
    if (exits) {
        environment.emplace("HANG_EXIT", "1");
    }
    return ProcessRunner::run(std::filesystem::path(OSTREL_FIXTURES_DIR) / "bin" / "hang-with-grandchild",
                              {},
                              environment,
                              std::nullopt,
                              std::nullopt,
                              timeout);
}

/// Far below the 30 s a hung run would last, and loose enough for a loaded
/// sanitizer build: the bound tells "ended" from "left running", not speed.
constexpr auto allGoneWithin = 12000ms;

TEST(ProcessRunner, EndsTheChildsWholeProcessGroupAtTheTimeOutOrItsExit)
{
    // Both ignore SIGTERM until SIGKILL; the child either hangs too or exits at once, leaving the grandchild behind.
    for (const bool exits : {false, true}) {
        SCOPED_TRACE(exits ? "a grandchild left behind" : "a hung child and grandchild");
        const testing::TemporaryFolder folder;
        const auto pids = folder.path() / "pids";
        const auto start = Clock::now();
        const auto result = runHangingTool(pids, Seconds{0.5}, exits);
        EXPECT_LT(secondsSince(start), 1.5) << "the caller waited for the grace period";
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->timedOut, !exits);
        ASSERT_EQ(testing::readPids(pids).size(), 2U);
        EXPECT_TRUE(allEndedWithin(testing::readPids(pids), allGoneWithin)) << "the grandchild outlived the time-out";
        EXPECT_TRUE(childrenGoneWithin(Seconds{10}));
    }
}

TEST(ProcessRunner, QuittingEndsEveryRunAtOnceAndLeavesNoProcess)
{
    // terminateAll refuses every later run, so it quits in a process of its own; the
    // tool ignores SIGTERM, so the run's end waits for SIGKILL.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const testing::TemporaryFolder folder;
    const auto pids = folder.path() / "pids";
    const auto quitDuringAHungRun = [&] {
        std::expected<ProcessOutput, ProcessRunner::Failure> result;
        std::thread reader([&] { result = runHangingTool(pids, Seconds{30}); });
        const bool started = testing::pidsWrittenWithin(pids, 2, 5000ms);
        const auto start = Clock::now();
        ProcessRunner::terminateAll();
        reader.join();
        const bool prompt = secondsSince(start) < std::chrono::duration<double>(allGoneWithin).count();
        const bool quitting = !result.has_value() && result.error().kind == ProcessRunner::Failure::Kind::quitting;
        // A killed grandchild belongs to init by now, which may take a moment to reap it.
        const bool allGone = allEndedWithin(testing::readPids(pids), 5000ms) && childrenGoneWithin(Seconds{5});
        const bool refused = !runShell("exit 0").has_value();
        std::fprintf(stderr,
                     "started %d prompt %d quitting %d gone %d refused %d\n",
                     started,
                     prompt,
                     quitting,
                     allGone,
                     refused);
        std::_Exit(started && prompt && quitting && allGone && refused ? 0 : 1);
    };
    EXPECT_EXIT(quitDuringAHungRun(), ::testing::ExitedWithCode(0), "started 1 prompt 1 quitting 1 gone 1 refused 1");
}

TEST(ProcessRunner, FailsWithTheReasonAndLeavesNoChild)
{
    using Failure = ProcessRunner::Failure;
    using Kind = Failure::Kind;

    struct Case
    {
        std::string_view name;
        std::filesystem::path program;
        std::string script;  ///< for the shell
        std::optional<ProcessRunner::Environment> environment;
        std::optional<Failure> failure;  ///< none: the output up to the limit is kept
    };

    const auto cases = std::to_array<Case>({
        {"exactly the limit on standard output is kept", shell, "head -c 16777216 /dev/zero", {}, {}},
        {"one byte more on standard output",
         shell,
         "head -c 16777217 /dev/zero; exec sleep 30",
         {},
         Failure{Kind::outputTooLarge, 0, "sh printed more than 16 MiB on standard output"}},
        {"an endless standard error",
         shell,
         "exec cat /dev/zero >&2",
         {},
         Failure{Kind::outputTooLarge, 0, "sh printed more than 16 MiB on standard error"}},
        {"a missing program",
         "/nonexistent/program",
         "",
         {},
         Failure{Kind::launch, ENOENT, "No such file or directory"}},
        {"a variable name holding '='",
         "/bin/true",
         "",
         ProcessRunner::Environment{{"A=B", "c"}},
         Failure{Kind::launch, EINVAL, "Invalid argument"}},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto start = Clock::now();
        const auto result =
            ProcessRunner::run(c.program, {"-c", c.script}, c.environment, std::nullopt, std::nullopt, Seconds{20});
        EXPECT_LT(secondsSince(start), 10.0);
        if (c.failure) {
            EXPECT_THAT(result, FailsWith(*c.failure));
        } else {
            ASSERT_TRUE(result.has_value());
            EXPECT_EQ(result->stdoutBytes.size(), ProcessRunner::outputLimit);
        }
        EXPECT_TRUE(childrenGoneWithin(Seconds{10}));
    }
}

TEST(ProcessRunner, LetsTheChildInheritOnlyItsThreeStandardStreams)
{
    // A descriptor opened without close-on-exec must not reach the child either.
    std::FILE* careless = std::fopen("/dev/null", "r");
    ASSERT_NE(careless, nullptr);
    // ls itself holds its listing of the folder open as 3.
    const auto result =
        ProcessRunner::run("/bin/ls", {"/proc/self/fd"}, std::nullopt, std::nullopt, std::string("input"), Seconds{5});
    std::fclose(careless);
    EXPECT_THAT(result, HoldsValue(Field(&ProcessOutput::stdoutBytes, "0\n1\n2\n3\n")));
}

TEST(ProcessRunner, LeavesNoChildAndNoDescriptorBehind)
{
    // The first run opens what every later one shares for good.
    static_cast<void>(runShell("echo done"));
    const auto before = openDescriptors();
    const auto predicate = [](std::string_view out) {
        return !out.empty();
    };
    static_cast<void>(runShell("exec sleep 30", Seconds{0.1}));
    static_cast<void>(runShell("echo early; exec sleep 30", Seconds{10}, {}, predicate));
    static_cast<void>(runShell("cat >/dev/null", Seconds{0.1}, std::string("bytes")));
    static_cast<void>(
        ProcessRunner::run("/nonexistent/program", {}, std::nullopt, std::nullopt, std::nullopt, Seconds{1}));
    ASSERT_TRUE(childrenGoneWithin(Seconds{10}));
    // The thread that ended a child early lets go of its descriptor once the whole
    // group is gone, which waits for whoever reaps a grandchild orphaned by the kill.
    const auto start = Clock::now();
    while (openDescriptors() != before && secondsSince(start) < 3.0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(openDescriptors(), before);
}

}  // namespace
}  // namespace ostrel
