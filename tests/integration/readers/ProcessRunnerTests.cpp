#include "readers/ProcessRunner.h"

#include <sys/wait.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/Matchers.h"

namespace ostrel {
namespace {

using ostrel::testing::FailsWith;
using ostrel::testing::HoldsValue;
using ::testing::Field;
using ::testing::Optional;
using ::testing::StartsWith;
using Clock = std::chrono::steady_clock;

const std::filesystem::path shell = "/bin/sh";

[[nodiscard]] std::expected<ProcessOutput, ProcessRunner::LaunchError>
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
    };

    constexpr auto cases = std::to_array<Case>({
        {"a silent child that succeeds", "exit 0", 0, "", ""},
        {"a child that prints on both streams and fails", "printf out; printf err >&2; exit 3", 3, "out", "err"},
        {"a child ended by a signal", "printf partial; kill -9 $$", 128 + 9, "partial", ""},
    });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = runShell(std::string(c.script));
        ASSERT_TRUE(result.has_value());
        EXPECT_THAT(result->status, Optional(c.status));
        EXPECT_EQ(result->stdoutBytes, c.out);
        EXPECT_EQ(result->stderrBytes, c.err);
        EXPECT_FALSE(result->timedOut);
    }
}

TEST(ProcessRunner, CollectsSeveralMegabytesOnBothStreamsAtOnce)
{
    const auto result = runShell("head -c 6000000 /dev/zero & head -c 5000000 /dev/zero >&2; wait");
    ASSERT_TRUE(result.has_value());
    EXPECT_THAT(result->status, Optional(0));
    EXPECT_EQ(result->stdoutBytes.size(), 6000000U);
    EXPECT_EQ(result->stderrBytes.size(), 5000000U);
}

TEST(ProcessRunner, DeliversTheInputAndKeepsStandardInputOpenUntilTheRunEnds)
{
    // The second read would see end of input if the runner closed the pipe after writing.
    const auto result =
        runShell("read line; echo \"got $line\"; read more; echo closed", Seconds{0.3}, std::string("hello\n"));
    ASSERT_TRUE(result.has_value());
    EXPECT_TRUE(result->timedOut);
    EXPECT_EQ(result->stdoutBytes, "got hello\n");
}

TEST(ProcessRunner, DeliversLargeInputToAChildThatEchoesAsItReads)
{
    // Larger than a pipe holds, both ways: a runner that wrote before reading would deadlock.
    std::string input(std::size_t{3} * 1024 * 1024, 'x');
    input.back() = 'y';
    const auto result = runShell("head -c 3145728", Seconds{10}, input);
    ASSERT_TRUE(result.has_value());
    EXPECT_THAT(result->status, Optional(0));
    EXPECT_EQ(result->stdoutBytes, input);
}

TEST(ProcessRunner, EndsASleepingChildAtTheTimeOutWithWhatItPrinted)
{
    const auto start = Clock::now();
    const auto result = runShell("echo before; exec sleep 30", Seconds{0.2});
    const double elapsed = secondsSince(start);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->status, std::nullopt);
    EXPECT_TRUE(result->timedOut);
    EXPECT_EQ(result->stdoutBytes, "before\n");
    EXPECT_LT(elapsed, 1.5);
    EXPECT_TRUE(childrenGoneWithin(Seconds{3}));
}

TEST(ProcessRunner, StopsWhenThePredicateIsSatisfiedAndShowsItEverythingSoFar)
{
    std::string previous;
    bool alwaysGrew = true;
    const auto sawThirdChunk = [&](std::string_view out) {
        alwaysGrew = alwaysGrew && out.starts_with(previous);
        previous = out;
        return out.find("chunk3") != std::string_view::npos;
    };
    const auto start = Clock::now();
    const auto result = runShell("for i in 1 2 3 4 5; do echo chunk$i; sleep 0.05; done; exec sleep 30",
                                 Seconds{10},
                                 {},
                                 sawThirdChunk);
    ASSERT_TRUE(result.has_value());
    EXPECT_LT(secondsSince(start), 5.0);
    EXPECT_EQ(result->status, std::nullopt);
    EXPECT_FALSE(result->timedOut);
    EXPECT_THAT(result->stdoutBytes, StartsWith("chunk1\nchunk2\nchunk3\n"));
    EXPECT_TRUE(alwaysGrew);
    EXPECT_TRUE(childrenGoneWithin(Seconds{3}));
}

TEST(ProcessRunner, KillsAChildThatIgnoresTerminationWithoutMakingTheCallerWait)
{
    const auto start = Clock::now();
    const auto result = runShell("trap '' TERM; echo ready; while :; do sleep 0.05; done", Seconds{0.3});
    const double returnedAfter = secondsSince(start);
    ASSERT_TRUE(result.has_value());
    EXPECT_TRUE(result->timedOut);
    EXPECT_EQ(result->stdoutBytes, "ready\n");
    EXPECT_LT(returnedAfter, 1.5);
    EXPECT_TRUE(hasChildren()) << "the child should outlive SIGTERM for the grace period";
    ASSERT_TRUE(childrenGoneWithin(Seconds{5}));
    EXPECT_GT(secondsSince(start), 2.0) << "killed before the grace period ended";
}

TEST(ProcessRunner, DoesNotHangOnAGrandchildThatKeepsThePipesOpen)
{
    const auto start = Clock::now();
    const auto result = runShell("sleep 5 & echo hi", Seconds{10});
    ASSERT_TRUE(result.has_value());
    EXPECT_LT(secondsSince(start), 3.0);
    EXPECT_THAT(result->status, Optional(0));
    EXPECT_EQ(result->stdoutBytes, "hi\n");
    EXPECT_FALSE(result->timedOut);
}

TEST(ProcessRunner, FailsToLaunchWithTheSystemsDescription)
{
    const auto folder = std::filesystem::temp_directory_path() / ("ostrel-runner-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const auto plainFile = folder / "not-executable";
    std::ofstream(plainFile) << "#!/bin/sh\necho never\n";

    struct Case
    {
        std::string_view name;
        std::filesystem::path program;
        ProcessRunner::Environment environment;
        ProcessRunner::LaunchError error;
    };

    const auto cases = std::to_array<Case>({
        {"a missing program", folder / "missing", {}, {ENOENT, "No such file or directory"}},
        {"a file without the execute bit", plainFile, {}, {EACCES, "Permission denied"}},
        {"a folder", folder, {}, {EACCES, "Permission denied"}},
        {"a variable name holding '='", "/bin/true", {{"A=B", "c"}}, {EINVAL, "Invalid argument"}},
    });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THAT(ProcessRunner::run(c.program, {}, c.environment, std::nullopt, std::nullopt, Seconds{5}),
                    FailsWith(c.error));
    }
    std::filesystem::remove_all(folder);
    EXPECT_FALSE(hasChildren());
}

TEST(ProcessRunner, PassesTheGivenEnvironmentAndFolderOrTheDefaults)
{
    const auto given = ProcessRunner::run("/usr/bin/env",
                                          {},
                                          ProcessRunner::Environment{{"A", "1"}, {"B", "two words"}},
                                          std::filesystem::path("/"),
                                          std::nullopt,
                                          Seconds{5});
    EXPECT_THAT(given, HoldsValue(Field(&ProcessOutput::stdoutBytes, "A=1\nB=two words\n")));

    const auto defaults = runShell("printf '%s|%s' \"$HOME\" \"$(pwd -P)\"");
    const char* home = std::getenv("HOME");
    const auto temporary = std::filesystem::canonical(std::filesystem::temp_directory_path()).string();
    EXPECT_THAT(
        defaults,
        HoldsValue(Field(&ProcessOutput::stdoutBytes, std::string(home != nullptr ? home : "") + "|" + temporary)));
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
    const auto before = openDescriptors();
    const auto predicate = [](std::string_view out) {
        return !out.empty();
    };
    static_cast<void>(runShell("echo done"));
    static_cast<void>(runShell("exec sleep 30", Seconds{0.1}));
    static_cast<void>(runShell("echo early; exec sleep 30", Seconds{10}, {}, predicate));
    static_cast<void>(runShell("cat >/dev/null", Seconds{0.1}, std::string("bytes")));
    static_cast<void>(
        ProcessRunner::run("/nonexistent/program", {}, std::nullopt, std::nullopt, std::nullopt, Seconds{1}));
    ASSERT_TRUE(childrenGoneWithin(Seconds{3}));
    EXPECT_EQ(openDescriptors(), before);
}

TEST(ProcessRunner, ReplacesInvalidUtf8InTheTexts)
{
    const auto result = runShell(R"(printf 'a\377b'; printf 'caf\303\251 \342\202' >&2)");
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->stdoutText(), "a\uFFFDb");
    EXPECT_EQ(result->stderrText(), "caf\u00e9 \uFFFD");
    EXPECT_EQ(result->stdoutBytes,
              "a\xFF"
              "b");
}

}  // namespace
}  // namespace ostrel
