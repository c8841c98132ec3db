// `--refresh` while the app runs: the real programs on this suite's own bus,
// the app reading through stand-ins for the tools.

#include <chrono>
#include <filesystem>
#include <string>

#include <QDBusConnectionInterface>
#include <QProcess>
#include <gtest/gtest.h>

#include "model/ReadingsFile.h"
#include "platform/SingleInstance.h"
#include "support/EventLoop.h"
#include "support/FileBytes.h"
#include "support/TemporaryFolder.h"

namespace ostrel {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

[[nodiscard]] QString program()
{
    return QString::fromStdString((fs::path(OSTREL_BINARY_DIR) / "Ostrel" / "ostrel").string());
}

/// How often the fake claude ran, as it logs its runs one a line.
[[nodiscard]] std::size_t runsIn(const fs::path& log)
{
    return testing::linesOf(log).size();
}

TEST(RefreshHandOver, TheRunningAppReadsForTheCommandsAndTheirToolsStayUnused)
{
    const testing::TemporaryFolder home;
    const fs::path tools = home.path() / "tools";
    fs::create_directories(tools);
    for (const char* tool : {"claude", "codex", "secret-tool"}) {
        fs::create_symlink(fs::path(OSTREL_FIXTURES_DIR) / "bin" / tool, tools / tool);
    }
    const fs::path claudeLog = home.path() / "claude.log";
    const fs::path readings = home.path() / "data" / "Ostrel" / "readings.json";
    // A user without a display; the tools reachable only from the app, which logs claude's runs.
    QProcessEnvironment user;
    for (const auto& [name, value] :
         std::initializer_list<std::pair<const char*, fs::path>>{{"HOME", home.path()},
                                                                 {"XDG_CONFIG_HOME", home.path() / "config"},
                                                                 {"XDG_DATA_HOME", home.path() / "data"},
                                                                 {"XDG_CACHE_HOME", home.path() / "cache"},
                                                                 {"SHELL", "/bin/sh"},
                                                                 {"PATH", "/usr/bin:/bin"}}) {
        user.insert(QString::fromLatin1(name), QString::fromStdString(value.string()));
    }
    user.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"));
    QProcessEnvironment appEnvironment = user;
    appEnvironment.insert(QStringLiteral("PATH"), QString::fromStdString(tools.string() + ":/usr/bin:/bin"));
    appEnvironment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    appEnvironment.insert(QStringLiteral("FAKE_CLAUDE_LOG"), QString::fromStdString(claudeLog.string()));

    QProcess app;
    app.setProcessEnvironment(appEnvironment);
    app.start(program(), {});
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    ASSERT_TRUE(testing::spinUntil(
        [&] { return bus->isServiceRegistered(QString::fromLatin1(SingleInstance::service)).value(); },
        20s));
    // The app's first readings, the scan and the tool search are done.
    ASSERT_TRUE(testing::spinUntil(
        [&] {
            const auto saved = ReadingsFile::read(readings);
            return saved && saved->snapshots.size() == 2;
        },
        20s));

    const auto run = [&](const QStringList& arguments) {
        QProcess command;
        command.setProcessEnvironment(user);
        command.start(program(), arguments);
        EXPECT_TRUE(command.waitForFinished(30'000));
        return std::pair(command.exitCode(), QString::fromUtf8(command.readAllStandardOutput()));
    };
    // Counted once the app is quiet: its own first reading may still be finishing when the file shows it.
    std::size_t before = runsIn(claudeLog);
    for (int look = 0; look < 10; ++look) {
        testing::spinFor(1500ms);
        const std::size_t later = runsIn(claudeLog);
        if (later == before) {
            break;
        }
        before = later;
    }
    const auto [status, printed] = run({QStringLiteral("--status"), QStringLiteral("--refresh")});
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(printed.contains(QStringLiteral("Claude · 63%"))) << printed.toStdString();
    EXPECT_EQ(runsIn(claudeLog), before + 1) << "the app read Claude again before the command printed";

    EXPECT_EQ(run({QStringLiteral("--refresh")}).first, 0);
    EXPECT_TRUE(testing::spinUntil([&] { return runsIn(claudeLog) == before + 2; }, 10s));

    app.terminate();  // started by this test
    ASSERT_TRUE(app.waitForFinished(10'000));
    EXPECT_EQ(app.exitCode(), 0);
}

}  // namespace
}  // namespace ostrel
