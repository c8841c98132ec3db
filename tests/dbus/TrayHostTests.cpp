#include "platform/TrayHost.h"

#include <array>
#include <chrono>
#include <optional>
#include <string_view>

#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

#include "support/EventLoop.h"

namespace ostrel {
namespace {

using namespace std::chrono_literals;

TEST(TrayHost, FollowsTheStatusNotifierWatcherAndReportsEachAbsenceOnceAfterTheGracePeriod)
{
    struct Case
    {
        std::string_view name;
        bool watcherAtStart;
        std::optional<std::chrono::milliseconds> dropAt;
        std::optional<std::chrono::milliseconds> registerAt;
        int appeared;
        int missing;
        bool presentAtEnd;
    };

    constexpr auto cases = std::to_array<Case>({
        {"a watcher at the start is a host", true, std::nullopt, std::nullopt, 1, 0, true},
        {"no host at all is reported once", false, std::nullopt, std::nullopt, 0, 1, false},
        {"a host within the grace period is no absence", false, std::nullopt, 100ms, 1, 0, true},
        {"a host after the grace period comes after the report", false, std::nullopt, 700ms, 1, 1, true},
        {"a host that goes away is reported once", true, 100ms, std::nullopt, 1, 1, false},
        {"a host that restarts within the grace period is no absence", true, 100ms, 250ms, 2, 0, true},
    });
    constexpr std::chrono::milliseconds grace = 400ms;

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The watcher's name on a connection of its own, as a panel would hold it.
        QDBusConnection panel = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("panel"));
        ASSERT_TRUE(panel.isConnected()) << "no session bus: run under dbus-run-session";
        const QString watcher = QString::fromLatin1(TrayHost::watcherService);
        if (c.watcherAtStart) {
            ASSERT_TRUE(panel.registerService(watcher));
        }

        TrayHost host(QDBusConnection::sessionBus(), false, grace);
        QSignalSpy appeared(&host, &TrayHost::appeared);
        QSignalSpy missing(&host, &TrayHost::missing);
        host.start();
        if (c.dropAt) {
            QTimer::singleShot(*c.dropAt, [&] { panel.unregisterService(watcher); });
        }
        if (c.registerAt) {
            QTimer::singleShot(*c.registerAt, [&] { panel.registerService(watcher); });
        }
        // Long enough for a second report, were there one.
        testing::spinFor(3 * grace);

        EXPECT_EQ(appeared.count(), c.appeared);
        EXPECT_EQ(missing.count(), c.missing);
        EXPECT_EQ(host.present(), c.presentAtEnd);
        panel.unregisterService(watcher);
        QDBusConnection::disconnectFromBus(panel.name());
        testing::spinFor(50ms);
    }
}

}  // namespace
}  // namespace ostrel
