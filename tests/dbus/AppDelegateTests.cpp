#include "app/AppDelegate.h"

#include <chrono>

#include <QDBusConnection>
#include <gtest/gtest.h>

#include "support/EventLoop.h"
#include "support/NotificationService.h"

namespace ostrel {
namespace {

using namespace std::chrono_literals;

using AppDelegateTest = testing::NotificationServiceTest;

TEST_F(AppDelegateTest, SaysOnceThatNoTrayIsThereAndShowsTheItemsWhenAPanelComes)
{
    AppDelegate delegate({"ostrel", "--demo"});
    delegate.start();
    EXPECT_EQ(delegate.statusItem(), nullptr);

    ASSERT_TRUE(testing::spinUntil([&] { return !service.calls().empty(); }, TrayHost::defaultGrace + 3s));
    testing::spinFor(TrayHost::defaultGrace);
    const auto calls = service.calls();
    ASSERT_EQ(calls.size(), 1U);
    EXPECT_EQ(calls[0].summary, QStringLiteral("Ostrel"));
    EXPECT_EQ(calls[0].body, QString::fromUtf8(AppDelegate::noTrayMessage));

    // A panel starts on a connection of its own and its watcher takes the name: the items are made at once.
    QDBusConnection panel = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("panel"));
    ASSERT_TRUE(panel.registerService(QString::fromLatin1(TrayHost::watcherService)));
    ASSERT_TRUE(testing::spinUntil([&] { return delegate.statusItem() != nullptr; }, 5s));
    EXPECT_EQ(delegate.statusItem()->items().size(), 2U);
    EXPECT_EQ(service.calls().size(), 1U);

    panel.unregisterService(QString::fromLatin1(TrayHost::watcherService));
    QDBusConnection::disconnectFromBus(panel.name());
}

}  // namespace
}  // namespace ostrel
