#include "platform/TrayHost.h"

#include <chrono>

#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

#include "support/EventLoop.h"

namespace ostrel {
namespace {

using namespace std::chrono_literals;

TEST(TrayHost, AHostAfterTheGracePeriodComesAfterOneReportOfItsAbsence)
{
    constexpr std::chrono::milliseconds grace = 400ms;
    // The watcher's name on a connection of its own, as a panel would hold it.
    QDBusConnection panel = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("panel"));
    ASSERT_TRUE(panel.isConnected()) << "no session bus: run under dbus-run-session";
    const QString watcher = QString::fromLatin1(TrayHost::watcherService);
    TrayHost host(QDBusConnection::sessionBus(), false, grace);
    QSignalSpy appeared(&host, &TrayHost::appeared);
    QSignalSpy missing(&host, &TrayHost::missing);
    host.start();
    QTimer::singleShot(700ms, [&] { panel.registerService(watcher); });
    // Long enough for a second report, were there one.
    testing::spinFor(3 * grace);

    EXPECT_EQ(appeared.count(), 1);
    EXPECT_EQ(missing.count(), 1);
    EXPECT_TRUE(host.present());
    panel.unregisterService(watcher);
    QDBusConnection::disconnectFromBus(panel.name());
}

}  // namespace
}  // namespace ostrel
