#include "platform/WakeMonitor.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include "support/EventLoop.h"

namespace ostrel {
namespace {

using namespace std::chrono_literals;

TEST(WakeMonitor, ClockCheckReportsASleepWhenWallTimeRunsAheadOfTheMonotonicClock)
{
    double wall = 1'000'000;
    double monotonic = 50;
    WakeMonitor::Options options;
    options.bus.reset();
    options.wallClock = [&] {
        return dateFromSince1970(wall);
    };
    options.monotonicClock = [&] {
        return monotonic;
    };
    WakeMonitor monitor(options);
    ASSERT_FALSE(monitor.usesLogind());
    QSignalSpy woke(&monitor, &WakeMonitor::woke);

    // Two hours asleep: the monotonic clock counted only the minute before the check.
    wall += 7200 + 60;
    monotonic += 60;
    monitor.checkClock();
    EXPECT_EQ(woke.count(), 1);
}

TEST(WakeMonitor, FollowsLogindsPrepareForSleepOnTheBus)
{
    // logind runs on the system bus; here a session bus plays it, with its name taken by this test.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        GTEST_SKIP() << "no session bus";
    }
    ASSERT_TRUE(bus.registerService(QStringLiteral("org.freedesktop.login1")));
    WakeMonitor::Options options;
    options.bus = bus;
    WakeMonitor monitor(options);
    ASSERT_TRUE(monitor.usesLogind());
    QSignalSpy woke(&monitor, &WakeMonitor::woke);

    const auto prepareForSleep = [&](bool starting) {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                                         QStringLiteral("org.freedesktop.login1.Manager"),
                                                         QStringLiteral("PrepareForSleep"));
        signal << starting;
        ASSERT_TRUE(bus.send(signal));
    };
    prepareForSleep(true);
    testing::spinFor(100ms);
    EXPECT_EQ(woke.count(), 0) << "going to sleep is not a wake";
    prepareForSleep(false);
    EXPECT_TRUE(testing::spinUntil([&] { return woke.count() == 1; }, 5s));
    bus.unregisterService(QStringLiteral("org.freedesktop.login1"));
}

}  // namespace
}  // namespace ostrel
