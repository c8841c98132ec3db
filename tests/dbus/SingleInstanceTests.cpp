#include "platform/SingleInstance.h"

#include <chrono>
#include <filesystem>
#include <optional>

#include <QProcess>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include "support/EventLoop.h"
#include "support/TemporaryFolder.h"

namespace ostrel {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Claim = SingleInstance::Claim;

TEST(SingleInstance, ALaterLaunchHandsItsSwitchesToTheFirstAndEnds)
{
    QDBusConnection owner = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("owner"));
    ASSERT_TRUE(owner.isConnected()) << "no session bus: run under dbus-run-session";
    std::optional<SingleInstance> first(std::in_place, owner, fs::path());
    ASSERT_EQ(first->claim({}), Claim::first);
    QSignalSpy requested(&*first, &SingleInstance::requested);

    // The built program on this suite's bus, in a throw-away home without the tools:
    // a run that wrongly went on would read nothing.
    const testing::TemporaryFolder home;
    const QString homePath = QString::fromStdString(home.path().string());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), homePath);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), homePath + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), homePath + QStringLiteral("/data"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("PATH"), homePath);
    QProcess later;
    later.setProcessEnvironment(environment);
    later.start(QString::fromStdString((fs::path(OSTREL_BINARY_DIR) / "Ostrel" / "ostrel").string()),
                {QStringLiteral("--settings")});
    // The event loop turns meanwhile, so the first run here can answer.
    const bool ended = testing::spinUntil([&] { return later.state() == QProcess::NotRunning; }, 20s);
    if (!ended) {
        later.kill();  // started by this test
        later.waitForFinished();
    }
    ASSERT_TRUE(ended && later.exitStatus() == QProcess::NormalExit);
    EXPECT_EQ(later.exitCode(), 0);
    ASSERT_TRUE(testing::spinUntil([&] { return requested.count() == 1; }, 2s));
    EXPECT_EQ(requested.front().front().toStringList(), QStringList{QStringLiteral("--settings")});
    first.reset();
    QDBusConnection::disconnectFromBus(owner.name());
}

TEST(SingleInstance, WithoutABusTheLockFileTellsRunsApart)
{
    const testing::TemporaryFolder runtime;
    const QDBusConnection noBus(QStringLiteral("not connected"));
    ASSERT_FALSE(noBus.isConnected());

    // While the lock is held a run learns that one runs; a runtime folder that is missing guards nothing.
    for (const auto& [folder, expected] :
         {std::pair{runtime.path(), Claim::alreadyRunning}, {runtime.path() / "missing", Claim::first}}) {
        SCOPED_TRACE(folder);
        SingleInstance holder(noBus, runtime.path());
        ASSERT_EQ(holder.claim({}), Claim::first);
        SingleInstance run(noBus, folder);
        EXPECT_EQ(run.claim({}), expected);
    }
}

}  // namespace
}  // namespace ostrel
