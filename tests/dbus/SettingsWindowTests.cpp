#include "preferences/SettingsWindow.h"

#include <array>
#include <string>
#include <string_view>

#include <QAbstractButton>
#include <QDBusConnection>
#include <QDate>
#include <QTest>
#include <gtest/gtest.h>

#include "app/AppDelegate.h"
#include "platform/DesktopNotifier.h"
#include "support/EventLoop.h"
#include "support/NotificationService.h"

namespace ostrel {
namespace {

using namespace std::chrono_literals;

using SettingsWindowTest = testing::NotificationServiceTest;

QAbstractButton* buttonNamed(const QWidget& root, const QString& name)
{
    for (auto* button : root.findChildren<QAbstractButton*>()) {
        if (button->accessibleName() == name) {
            return button;
        }
    }
    return nullptr;
}

TEST_F(SettingsWindowTest, TestReportPostsOneNotificationWhateverTheSwitchAndTheLastDay)
{
    // Demonstration data: no readers run, and the report still goes through the real reporter.
    AppDelegate delegate({"ostrel", "--demo"});
    delegate.start();
    delegate.showSettings();
    ASSERT_NE(delegate.settingsWindow(), nullptr);
    QAbstractButton* send = buttonNamed(*delegate.settingsWindow(), QStringLiteral("Send a test report now"));
    ASSERT_NE(send, nullptr);

    // Switched off and already sent today: a test report goes all the same.
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    delegate.settings().setMorningReport(false);
    delegate.settings().setLastMorningReport(today.toStdString());

    QTest::mouseClick(send, Qt::LeftButton);
    ASSERT_TRUE(testing::spinUntil([&] { return !service.calls().empty(); }, 5s));
    testing::spinFor(100ms);
    const auto calls = service.calls();
    ASSERT_EQ(calls.size(), 1U);
    EXPECT_EQ(calls.back().summary, QStringLiteral("Ostrel test report"));
    // The test leaves the daily report's bookkeeping alone.
    EXPECT_EQ(delegate.settings().lastMorningReport(), today.toStdString());
}

}  // namespace
}  // namespace ostrel
