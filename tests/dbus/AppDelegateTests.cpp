#include "app/AppDelegate.h"

#include <array>
#include <chrono>
#include <string_view>

#include <QAbstractButton>
#include <QDBusConnection>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "support/Accessible.h"
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

    // The settings window's test report goes through the real reporter to the same service.
    delegate.showSettings();
    QAbstractButton* send =
        testing::named<QAbstractButton>(*delegate.settingsWindow(), QStringLiteral("Send a test report now"));
    ASSERT_NE(send, nullptr);
    QTest::mouseClick(send, Qt::LeftButton);
    ASSERT_TRUE(testing::spinUntil([&] { return service.calls().size() == 2; }, 5s));
    EXPECT_EQ(service.calls().back().summary, QStringLiteral("Ostrel test report"));

    panel.unregisterService(QString::fromLatin1(TrayHost::watcherService));
    QDBusConnection::disconnectFromBus(panel.name());
}

TEST(AppDelegate, OpensWhatALaterLaunchAsksFor)
{
    struct Case
    {
        std::string_view name;
        QStringList switches;
        bool preview;
        bool settings;
    };

    const auto cases = std::to_array<Case>({
        // No tray on this bus, so the panel comes in a window of its own.
        {"a bare launch opens the panel", {}, true, false},
        {"the settings window", {QStringLiteral("--settings")}, false, true},
        {"the preview", {QStringLiteral("--preview"), QStringLiteral("--light")}, true, false},
        {"demonstration switches are no request of their own", {QStringLiteral("--demo")}, true, false},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppDelegate delegate({"ostrel", "--demo"});
        delegate.start();
        ASSERT_EQ(delegate.previewWindow(), nullptr);
        QSignalSpy settings(&delegate, &AppDelegate::settingsRequested);

        delegate.openRequested(c.switches);
        EXPECT_EQ(delegate.previewWindow() != nullptr, c.preview);
        EXPECT_EQ(settings.count(), c.settings ? 1 : 0);
    }
}

}  // namespace
}  // namespace ostrel
