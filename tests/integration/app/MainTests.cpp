// The built program, run as a user would: quitting by a signal while both
// tools hang must end the run normally and leave none of their processes.

#include <sys/wait.h>

#include <array>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <string_view>
#include <thread>

#include <gtest/gtest.h>

#include "posix/ChildProcess.h"
#include "support/ProcessIds.h"
#include "support/TemporaryFolder.h"

namespace ostrel {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

/// A PATH folder whose claude and codex hang, each after starting a grandchild.
void makeHangingTools(const fs::path& folder)
{
    const fs::path fixtures = fs::path(OSTREL_FIXTURES_DIR) / "bin";
    fs::create_directories(folder);
    fs::create_symlink(fixtures / "hang-with-grandchild", folder / "claude");
    fs::create_symlink(fixtures / "hang-with-grandchild", folder / "codex");
    // The keyring holds nothing, without asking the desktop's.
    fs::create_symlink(fixtures / "secret-tool", folder / "secret-tool");
}

/// Waits for the child's exit: its status, absent when `limit` passed first.
[[nodiscard]] std::optional<int> exitStatusWithin(pid_t pid, std::chrono::milliseconds limit)
{
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        if (const auto status = posix::reapIfEnded(pid)) {
            return status;
        }
        std::this_thread::sleep_for(10ms);
    }
    return std::nullopt;
}

TEST(OstrelProgram, QuitsNormallyOnASignalWhileBothToolsHangAndLeavesNoneOfThem)
{
    const fs::path program = fs::path(OSTREL_BINARY_DIR) / "Ostrel" / "ostrel";
    ASSERT_TRUE(fs::exists(program)) << "build the ostrel target first";

    struct Case
    {
        std::string_view name;
        int signal;
        bool stubborn;
        std::chrono::milliseconds limit;
    };

    constexpr auto cases = std::to_array<Case>({
        {"SIGTERM with tools that end on SIGTERM", SIGTERM, false, 3000ms},
        {"SIGHUP with tools that need SIGKILL", SIGHUP, true, 6000ms},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const testing::TemporaryFolder home;
        const fs::path tools = home.path() / "tools";
        makeHangingTools(tools);
        const fs::path pids = home.path() / "pids";

        posix::SpawnRequest request;
        request.executable = program;
        request.directory = home.path();
        request.environment = std::map<std::string, std::string>{
            {"HOME", home.path().string()},
            {"XDG_CONFIG_HOME", (home.path() / "config").string()},
            {"XDG_DATA_HOME", (home.path() / "data").string()},
            {"XDG_CACHE_HOME", (home.path() / "cache").string()},
            {"PATH", tools.string() + ":/usr/bin:/bin"},
            {"SHELL", "/bin/sh"},
            {"QT_QPA_PLATFORM", "offscreen"},
            {"HANG_PIDS", pids.string()},
        };
        if (c.stubborn) {
            request.environment->emplace("HANG_STUBBORN", "1");
        }
        auto child = posix::spawnChild(request);
        ASSERT_TRUE(child.has_value());

        // Both tools and their grandchildren.
        const bool hanging = testing::pidsWrittenWithin(pids, 4, 15000ms);
        ::kill(child->pid, c.signal);
        const auto start = Clock::now();
        const auto status = exitStatusWithin(child->pid, c.limit);
        const auto took = Clock::now() - start;
        if (!status) {
            ::kill(child->pid, SIGKILL);
            static_cast<void>(exitStatusWithin(child->pid, 5000ms));
        }
        EXPECT_TRUE(hanging) << "the program never ran both tools";
        EXPECT_EQ(status, 0) << "ended after " << std::chrono::duration_cast<std::chrono::milliseconds>(took).count()
                             << " ms";
        EXPECT_TRUE(testing::allEndedWithin(testing::readPids(pids), 500ms)) << "a tool outlived the program";
        for (const pid_t pid : testing::readPids(pids)) {
            if (testing::isRunning(pid)) {
                ::kill(pid, SIGKILL);  // started by this test, through the program
            }
        }
    }
}

}  // namespace
}  // namespace ostrel
