#include "platform/TerminalLauncher.h"

#include <array>
#include <csignal>
#include <filesystem>
#include <string_view>

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include "support/EventLoop.h"
#include "support/FileBytes.h"
#include "support/TemporaryFolder.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using TerminalLauncher::Environment;

const fs::path fakeTerminal = fs::path(OSTREL_FIXTURES_DIR) / "bin" / "fake-terminal";

QString qPath(const fs::path& path)
{
    return QString::fromStdString(path.string());
}

/// A folder standing for $PATH with the fake terminal under each of `names`.
void install(const fs::path& folder, const QStringList& names)
{
    for (const QString& name : names) {
        fs::create_symlink(fakeTerminal, folder / name.toStdString());
    }
}

QString qString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QStringList split(std::string_view joined)
{
    return qString(joined).split(QLatin1Char(' '));
}

TEST(TerminalLauncher, ChoosesTheFirstTerminalThatExistsInTheUsersOrder)
{
    struct Case
    {
        std::string_view name;
        std::string_view installed;  ///< program names on the path, ' ' between
        std::string_view terminal;   ///< $TERMINAL
        std::string_view desktop;    ///< $XDG_CURRENT_DESKTOP
        std::string_view chosen;
    };

    // clang-format off
    constexpr auto cases = std::to_array<Case>({
        {"TERMINAL comes first", "foot xdg-terminal-exec x-terminal-emulator xterm", "foot", "GNOME", "foot"},
        {"the desktop's own terminal before another desktop's", "gnome-terminal konsole xterm", "", "ubuntu:KDE",
         "konsole"},
    });
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const testing::TemporaryFolder folder;
        install(folder.path(), split(c.installed));
        Environment environment;
        environment.terminal = qString(c.terminal);
        environment.currentDesktop = qString(c.desktop);
        environment.searchPath = {qPath(folder.path())};
        const std::optional<QString> found = TerminalLauncher::find(environment);
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(fs::path(found->toStdString()).filename().string(), c.chosen);
    }
}

TEST(TerminalLauncher, PassesTheCommandAfterEachTerminalsConvention)
{
    struct Case
    {
        std::string_view program;  ///< as found: a name or a path
        std::string_view arguments;
    };

    constexpr auto cases = std::to_array<Case>({
        {"xterm", "-e claude auth login"},
        {"x-terminal-emulator", "-e claude auth login"},
        {"konsole", "-e claude auth login"},
        {"gnome-terminal", "-- claude auth login"},
        {"/usr/bin/kgx", "-- claude auth login"},
        {"xfce4-terminal", "-x claude auth login"},
        {"xdg-terminal-exec", "claude auth login"},
        {"/home/ann/bin/foot", "claude auth login"},
        {"some-other-terminal", "-e claude auth login"},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        EXPECT_EQ(TerminalLauncher::arguments(qString(c.program), split("claude auth login")), split(c.arguments));
    }
    EXPECT_TRUE(TerminalLauncher::arguments(QStringLiteral("gnome-terminal"), {}).isEmpty());
}

TEST(TerminalLauncher, OpensTheTerminalEmptyOrRunningACommandAndDoesNotWaitForIt)
{
    // Empty, or a command whose every word is one argument; the terminal records its arguments after their number.
    for (const auto& [command, recorded] :
         {std::pair<QStringList, std::string_view>{{}, "0\n"},
          {{QStringLiteral("/opt/my tools/codex"), QStringLiteral("login")}, "3\n-e\n/opt/my tools/codex\nlogin\n"}}) {
        SCOPED_TRACE(recorded);
        const testing::TemporaryFolder folder;
        const fs::path record = folder.path() / "record";
        qputenv("FAKE_TERMINAL_RECORD", record.string().c_str());
        install(folder.path(), {QStringLiteral("x-terminal-emulator")});
        Environment environment;
        environment.searchPath = {qPath(folder.path())};
        environment.workingFolder = qPath(folder.path());
        environment.variables.remove(QStringLiteral("CLAUDE_CONFIG_DIR"));
        environment.variables.insert(QStringLiteral("CODEX_HOME"), QStringLiteral("/srv/codex"));
        environment.variables.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));

        QElapsedTimer clock;
        clock.start();
        const std::optional<qint64> pid = TerminalLauncher::open(environment, command);
        const qint64 took = clock.elapsed();
        ASSERT_TRUE(pid.has_value());
        // The fake stays open five seconds; a launcher that waited would take that long.
        EXPECT_LT(took, 4000);
        ASSERT_TRUE(testing::spinUntil([&] { return fs::exists(record); }, std::chrono::seconds(4)));
        EXPECT_EQ(testing::contents(record),
                  std::string(recorded) + fs::canonical(folder.path()).string()
                      + "\nCODEX_HOME=/srv/codex\nPATH starts with /usr/bin\n");
        ::kill(static_cast<pid_t>(*pid), SIGTERM);
    }
    qunsetenv("FAKE_TERMINAL_RECORD");
}

}  // namespace
}  // namespace ostrel
