// `ostrel --status` run as a bar or a script runs it: a plain process with no
// display and no desktop bus, reading the readings file that the app keeps.

#include <sys/stat.h>
#include <sys/wait.h>

#include <array>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <future>
#include <ranges>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/ReadingsFile.h"
#include "posix/ChildProcess.h"
#include "readers/ProcessRunner.h"
#include "support/FileBytes.h"
#include "support/Matchers.h"
#include "support/ProcessIds.h"
#include "support/TemporaryFolder.h"

namespace ostrel {
namespace {

using testing::contents;

using namespace std::chrono_literals;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using testing::Succeeds;
namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;

[[nodiscard]] fs::path program()
{
    return fs::path(OSTREL_BINARY_DIR) / "Ostrel" / "ostrel";
}

[[nodiscard]] Date wallNow()
{
    return std::chrono::time_point_cast<Seconds>(std::chrono::system_clock::now());
}

/// A user with a home of their own, no display, no desktop bus and no Qt platform.
struct User
{
    testing::TemporaryFolder home;

    [[nodiscard]] fs::path readings() const
    {
        return home.path() / "data" / "Ostrel" / "readings.json";
    }

    [[nodiscard]] std::map<std::string, std::string> environment(const std::string& path = "/usr/bin:/bin",
                                                                 std::map<std::string, std::string> more = {}) const
    {
        more.insert({
            {"HOME", home.path().string()},
            {"XDG_CONFIG_HOME", (home.path() / "config").string()},
            {"XDG_DATA_HOME", (home.path() / "data").string()},
            {"XDG_CACHE_HOME", (home.path() / "cache").string()},
            {"PATH", path},
            {"SHELL", "/bin/sh"},
        });
        return more;
    }

    [[nodiscard]] ProcessOutput run(std::vector<std::string> arguments,
                                    const std::string& path = "/usr/bin:/bin",
                                    std::map<std::string, std::string> more = {}) const
    {
        auto output = ProcessRunner::run(program(),
                                         arguments,
                                         environment(path, std::move(more)),
                                         home.path(),
                                         std::nullopt,
                                         Seconds{30});
        EXPECT_TRUE(output.has_value());
        return output.value_or(ProcessOutput{});
    }
};

/// Both providers read a minute ago; Claude has used `claudeUsed` percent of its week.
[[nodiscard]] Saved readingsOf(double claudeUsed, Date now)
{
    Saved saved;
    for (const Provider provider : allProviders) {
        ProviderReading reading;
        reading.provider = provider;
        reading.fetchedAt = now - Seconds{60};
        reading.source = provider == Provider::claude ? "usage API" : "codex app-server";
        reading.weekly = UsageWindow{provider == Provider::claude ? claudeUsed : 20, now + Seconds{259200}};
        reading.session = UsageWindow{12, now + Seconds{7200}, UsageWindow::fiveHours};
        reading.resetCredits = {ResetCredit{"one", now + Seconds{86400}}, ResetCredit{"two", std::nullopt}};
        ReadingsFile::record(saved, provider, reading, reading.fetchedAt);
    }
    return saved;
}

[[nodiscard]] std::size_t lineCount(std::string_view text)
{
    return static_cast<std::size_t>(std::ranges::count(text, '\n'));
}

TEST(StatusCommand, AnswersWithTheDocumentedExitStatusAndLeavesABadFileAlone)
{
    enum class File
    {
        none,
        good,
        corrupt
    };

    struct Case
    {
        std::string_view name;
        File file;
        std::vector<std::string> arguments;
        int status;
        std::string_view stdoutStart;  ///< empty: nothing on standard output
        std::string_view stderrPart;   ///< empty: nothing on standard error
    };

    const auto cases = std::to_array<Case>({
        {"readings as text", File::good, {"--status"}, 0, "🟩🟩🟩⬛⬛ Claude · 50% · 3d", ""},
        {"no readings yet", File::none, {"--status"}, 1, "", "start Ostrel, or run ostrel --status --refresh"},
        {"an unreadable file", File::corrupt, {"--status", "--format", "json"}, 1, "", "cannot read "},
        {"an unreadable file is not replaced by a refresh",
         File::corrupt,
         {"--status", "--refresh"},
         1,
         "",
         "(left as it is)"},
        {"an unknown format", File::good, {"--status", "--format", "yaml"}, 2, "", "unknown format \"yaml\""},
        {"a refresh asked of an app that does not run", File::good, {"--refresh"}, 1, "", "Ostrel is not running"},
    });
    ASSERT_TRUE(fs::exists(program())) << "build the ostrel target first";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const User user;
        fs::create_directories(user.readings().parent_path());
        if (c.file == File::good) {
            ASSERT_THAT(ReadingsFile::save(user.readings(), readingsOf(50, wallNow())), Succeeds());
        } else if (c.file == File::corrupt) {
            std::ofstream(user.readings()) << "{\"snapshots\": [\"claude\"";
        }
        const std::string before = contents(user.readings());

        const ProcessOutput output = user.run(c.arguments);

        EXPECT_EQ(output.status, c.status);
        if (c.stdoutStart.empty()) {
            EXPECT_EQ(output.stdoutText(), "");
        } else {
            EXPECT_THAT(output.stdoutText(), StartsWith(std::string{c.stdoutStart}));
        }
        if (c.stderrPart.empty()) {
            EXPECT_EQ(output.stderrText(), "");
        } else {
            EXPECT_THAT(output.stderrText(), HasSubstr(std::string{c.stderrPart}));
            EXPECT_EQ(lineCount(output.stderrText()), 1U) << output.stderrText();
        }
        EXPECT_EQ(contents(user.readings()), before);
        EXPECT_EQ(std::distance(fs::directory_iterator(user.readings().parent_path()), fs::directory_iterator()),
                  c.file == File::none ? 0 : 1)
            << "nothing set aside, nothing left behind";
    }
}

TEST(StatusCommand, StatusLinePrintsOneLineWhateverItIsGivenAndLeavesOnlyRealFigures)
{
    const auto renews = static_cast<std::int64_t>(secondsSince1970(wallNow())) + 200000;
    const std::string subscriber = R"({"model":{"id":"m"},"rate_limits":{"five_hour":{"used_percentage":23,)"
                                   R"("resets_at":)"
                                   + std::to_string(renews - 190000)
                                   + R"(},"seven_day":{"used_percentage":41,"resets_at":)" + std::to_string(renews)
                                   + "}}}";

    struct Case
    {
        std::string_view name;
        std::optional<std::string> input;                        ///< absent: standard input closed
        std::string_view drop;                                   ///< the drop left, if any
        std::optional<std::string> configFolder = std::nullopt;  ///< CLAUDE_CONFIG_DIR, as Claude Code passes it
        std::string_view begins = "Claude \u25B0";
    };

    const auto cases = std::to_array<Case>({
        {"a subscriber's windows", subscriber, "claude-status-line.json"},
        {"2 MiB of garbage", std::string(2U << 20U, '\x7f'), ""},
        {"closed", std::nullopt, ""},
        {"run with the Work account's folder",
         subscriber,
         "claude-status-line-work.json",
         "~/.claude-work/",
         "Claude \u00B7 Work \u25B0"},
        {"run with a folder no account has", subscriber, "claude-status-line.json", "~/.claude-other"},
    });
    ASSERT_TRUE(fs::exists(program())) << "build the ostrel target first";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const User user;
        // Claude's last reading is an hour old: fresher figures from the status line win.
        ASSERT_THAT(ReadingsFile::save(user.readings(), readingsOf(80, wallNow() - Seconds{3600})), Succeeds());
        fs::create_directories(user.home.path() / ".claude-work");
        fs::create_directories(user.home.path() / "config" / "Ostrel");
        std::ofstream(user.home.path() / "config" / "Ostrel" / "Ostrel.conf")
            << "[claudeAccounts]\n1\\id=work\n1\\name=Work\n1\\folder=" << (user.home.path() / ".claude-work").string()
            << "\nsize=1\n";
        auto environment = user.environment();
        if (c.configFolder) {
            environment["CLAUDE_CONFIG_DIR"] = *c.configFolder;
        }
        // Claude Code may close the command's standard input instead of writing to it.
        const auto output = ProcessRunner::run(
            "/bin/sh",
            {"-c", c.input ? "exec \"$0\" --statusline" : "exec \"$0\" --statusline <&-", program().string()},
            environment,
            user.home.path(),
            c.input,
            Seconds{30});
        ASSERT_TRUE(output.has_value());
        EXPECT_EQ(output->status, 0);
        EXPECT_EQ(lineCount(output->stdoutText()), 1U) << output->stdoutText();
        EXPECT_THAT(output->stdoutText(), StartsWith(std::string{c.begins}));
        // Only the running account's Claude shows: with figures, its own; without, the default's last reading.
        EXPECT_THAT(output->stdoutText(), HasSubstr(c.drop.empty() ? " 20% " : " 59% "));
        EXPECT_EQ(std::ranges::distance(std::views::split(output->stdoutText(), std::string_view{"Claude"})), 2)
            << "one Claude account only";
        EXPECT_EQ(output->stderrText(), "");
        std::vector<std::string> drops;
        for (const auto& entry : fs::directory_iterator(user.readings().parent_path())) {
            if (entry.path().filename() != "readings.json") {
                drops.push_back(entry.path().filename().string());
            }
        }
        EXPECT_EQ(drops, c.drop.empty() ? std::vector<std::string>{} : std::vector<std::string>{std::string{c.drop}});
    }
}

/// A running command, ended by a signal; killed at the end of the test should it still run.
class RunningCommand
{
public:
    RunningCommand(const User& user, std::vector<std::string> arguments, std::map<std::string, std::string> environment)
    {
        auto child = posix::spawnChild({program(), std::move(arguments), std::move(environment), user.home.path()});
        EXPECT_TRUE(child.has_value());
        if (child) {
            m_child = std::move(*child);
        }
    }

    RunningCommand(const RunningCommand&) = delete;
    RunningCommand& operator=(const RunningCommand&) = delete;

    ~RunningCommand()
    {
        if (!m_status && m_child.pid > 0) {
            ::kill(m_child.pid, SIGKILL);  // started by this test
            static_cast<void>(exitWithin(5s));
        }
    }

    [[nodiscard]] std::optional<int> exitWithin(std::chrono::milliseconds limit)
    {
        const auto deadline = SteadyClock::now() + limit;
        while (!m_status && SteadyClock::now() < deadline) {
            m_status = posix::reapIfEnded(m_child.pid);
            std::this_thread::sleep_for(10ms);
        }
        return m_status;
    }

    /// Holds its output pipes open: a closed one would end the command by SIGPIPE.
    posix::SpawnedChild m_child;

private:
    std::optional<int> m_status;
};

/// A folder of stand-ins for the tools: each name links to one of the fixtures.
[[nodiscard]] fs::path toolsFor(const User& user, const std::map<std::string, std::string>& fixtures)
{
    const fs::path tools = user.home.path() / "tools";
    fs::create_directories(tools);
    for (const auto& [tool, fixture] : fixtures) {
        fs::create_symlink(fs::path(OSTREL_FIXTURES_DIR) / "bin" / fixture, tools / tool);
    }
    return tools;
}

TEST(StatusCommand, RefreshEndsAtAQuitSignalAndLeavesNoToolRunning)
{
    const User user;
    // Both tools hang with a grandchild, all of them deaf to SIGTERM.
    const fs::path tools = toolsFor(
        user,
        {{"claude", "hang-with-grandchild"}, {"codex", "hang-with-grandchild"}, {"secret-tool", "secret-tool"}});
    const fs::path pids = user.home.path() / "pids";
    RunningCommand command(
        user,
        {"--status", "--refresh"},
        user.environment(tools.string() + ":/usr/bin:/bin", {{"HANG_PIDS", pids.string()}, {"HANG_STUBBORN", "1"}}));
    ASSERT_TRUE(testing::pidsWrittenWithin(pids, 4, 10s));

    ::kill(command.m_child.pid, SIGINT);
    EXPECT_EQ(command.exitWithin(6s), 128 + SIGINT) << "grace, SIGKILL, then the exit";
    EXPECT_TRUE(testing::allEndedWithin(testing::readPids(pids), 2s)) << "a tool outlived the command";
    EXPECT_FALSE(fs::exists(user.readings())) << "nothing saved";
}

TEST(StatusCommand, TwoRefreshesAtOnceBothKeepTheirReadings)
{
    const User user;
    const fs::path tools = toolsFor(user, {{"codex", "codex"}, {"secret-tool", "secret-tool"}});
    // A slow claude, so that both commands have read the file before either saves.
    std::ofstream(tools / "claude") << "#!/bin/sh\nsleep 0.5\nexec " << OSTREL_FIXTURES_DIR << "/bin/claude \"$@\"\n";
    fs::permissions(tools / "claude", fs::perms::owner_all);
    const auto refresh = [&] {
        return user.run({"--status", "--refresh"}, tools.string() + ":/usr/bin:/bin");
    };
    auto first = std::async(std::launch::async, refresh);
    auto second = std::async(std::launch::async, refresh);
    EXPECT_EQ(first.get().status, 0);
    EXPECT_EQ(second.get().status, 0);

    const auto saved = ReadingsFile::read(user.readings());
    ASSERT_TRUE(saved.has_value());
    for (const Provider provider : allProviders) {
        EXPECT_EQ(saved->history.at(provider).size(), 2U) << "one point of each command";
    }
}

TEST(StatusCommand, EveryEntryEndsWithAFifoInPlaceOfTheSettings)
{
    constexpr auto entries = std::to_array<std::string_view>({"--statusline", "--status"});
    for (const std::string_view entry : entries) {
        SCOPED_TRACE(entry);
        const User user;
        const fs::path settings = user.home.path() / "config" / "Ostrel" / "Ostrel.conf";
        fs::create_directories(settings.parent_path());
        ASSERT_EQ(::mkfifo(settings.c_str(), 0600), 0);
        const auto output =
            ProcessRunner::run(program(), {std::string(entry)}, user.environment(), user.home.path(), "", Seconds{10});
        ASSERT_TRUE(output.has_value());
        EXPECT_FALSE(output->timedOut) << "it waited for a writer to the FIFO";
    }
}

}  // namespace
}  // namespace ostrel
