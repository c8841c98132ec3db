#include "platform/SingleInstance.h"

#include <array>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include <QDBusConnectionInterface>
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

// A second launch of the built program on this suite's bus, in a throw-away home.
class SecondLaunch
{
public:
    explicit SecondLaunch(const QStringList& switches)
    {
        const fs::path program = fs::path(OSTREL_BINARY_DIR) / "Ostrel" / "ostrel";
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        const QString home = QString::fromStdString(m_home.path().string());
        environment.insert(QStringLiteral("HOME"), home);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // Tools that are not there: a run that wrongly went on would read nothing.
        environment.insert(QStringLiteral("PATH"), home);
        m_process.setProcessEnvironment(environment);
        m_process.start(QString::fromStdString(program.string()), switches);
    }

    /// The exit code, absent while it still runs after `limit`. The event loop
    /// keeps turning meanwhile, so the first run here can answer its call.
    [[nodiscard]] std::optional<int> exitCodeWithin(std::chrono::milliseconds limit)
    {
        if (!testing::spinUntil([this] { return m_process.state() == QProcess::NotRunning; }, limit)) {
            m_process.kill();  // started by this test
            m_process.waitForFinished();
            return std::nullopt;
        }
        return m_process.exitStatus() == QProcess::NormalExit ? std::optional(m_process.exitCode()) : std::nullopt;
    }

    [[nodiscard]] QString errorOutput()
    {
        return QString::fromUtf8(m_process.readAllStandardError());
    }

private:
    testing::TemporaryFolder m_home;
    QProcess m_process;
};

TEST(SingleInstance, ALaterLaunchEndsWithAFailureWhenTheNameOwnerDoesNotTakeTheSwitches)
{
    // A process that holds the name but serves nothing: a hung or foreign owner.
    QDBusConnection squatter = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("squatter"));
    ASSERT_TRUE(squatter.isConnected()) << "no session bus: run under dbus-run-session";
    ASSERT_TRUE(squatter.registerService(QString::fromLatin1(SingleInstance::service)));

    SingleInstance later(QDBusConnection::sessionBus(), {});
    EXPECT_EQ(later.claim({QStringLiteral("--settings")}), Claim::unanswered);

    SecondLaunch program({});
    EXPECT_EQ(program.exitCodeWithin(20s), 1);
    EXPECT_TRUE(program.errorOutput().contains(QStringLiteral("did not answer")));
    QDBusConnection::disconnectFromBus(squatter.name());
}

TEST(SingleInstance, WithoutABusTheLockFileTellsRunsApart)
{
    const testing::TemporaryFolder runtime;
    const QDBusConnection noBus(QStringLiteral("not connected"));
    ASSERT_FALSE(noBus.isConnected());

    struct Case
    {
        std::string_view name;
        fs::path folder;
        bool firstHeld;
        Claim expected;
    };

    const auto cases = std::to_array<Case>({
        {"the first run takes the lock", runtime.path(), false, Claim::first},
        {"a run while the lock is held learns that one runs", runtime.path(), true, Claim::alreadyRunning},
        {"no runtime folder guards nothing", fs::path(), true, Claim::first},
        {"a runtime folder that is missing guards nothing", runtime.path() / "missing", true, Claim::first},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<SingleInstance> holder;
        if (c.firstHeld) {
            holder.emplace(noBus, runtime.path());
            ASSERT_EQ(holder->claim({}), Claim::first);
        }
        SingleInstance run(noBus, c.folder);
        EXPECT_EQ(run.claim({}), c.expected);
    }

    // The lock goes with its holder, so a run after the first has ended is the first again.
    {
        SingleInstance gone(noBus, runtime.path());
        ASSERT_EQ(gone.claim({}), Claim::first);
    }
    SingleInstance next(noBus, runtime.path());
    EXPECT_EQ(next.claim({}), Claim::first);
}

}  // namespace
}  // namespace ostrel
