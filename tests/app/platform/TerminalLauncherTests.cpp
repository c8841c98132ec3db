#include "platform/TerminalLauncher.h"

#include <array>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include "support/EventLoop.h"
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

QStringList split(std::string_view joined)
{
    return QString::fromUtf8(joined.data(), static_cast<qsizetype>(joined.size())).split(QLatin1Char(' '));
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
        environment.terminal = QString::fromUtf8(c.terminal.data(), static_cast<qsizetype>(c.terminal.size()));
        environment.currentDesktop = QString::fromUtf8(c.desktop.data(), static_cast<qsizetype>(c.desktop.size()));
        environment.searchPath = {qPath(folder.path())};
        const std::optional<QString> found = TerminalLauncher::find(environment);
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(fs::path(found->toStdString()).filename().string(), c.chosen);
    }
}

TEST(TerminalLauncher, OpensTheTerminalWithoutArgumentsAndDoesNotWaitForIt)
{
    const testing::TemporaryFolder folder;
    const fs::path record = folder.path() / "record";
    qputenv("FAKE_TERMINAL_RECORD", record.string().c_str());
    install(folder.path(), {QStringLiteral("x-terminal-emulator")});
    Environment environment;
    environment.searchPath = {qPath(folder.path())};
    environment.workingFolder = qPath(folder.path());

    QElapsedTimer clock;
    clock.start();
    const std::optional<qint64> pid = TerminalLauncher::open(environment);
    const qint64 took = clock.elapsed();
    ASSERT_TRUE(pid.has_value());
    // The fake stays open five seconds; a launcher that waited would take that long.
    EXPECT_LT(took, 4000);
    ASSERT_TRUE(testing::spinUntil([&] { return fs::exists(record); }, std::chrono::seconds(4)));
    std::ifstream file(record);
    std::stringstream content;
    content << file.rdbuf();
    EXPECT_EQ(content.str(), "0\n" + fs::canonical(folder.path()).string() + "\n");
    ::kill(static_cast<pid_t>(*pid), SIGTERM);
    qunsetenv("FAKE_TERMINAL_RECORD");
}

}  // namespace
}  // namespace ostrel
