#include "settings/SettingsWindow.h"

#include <array>
#include <string>
#include <string_view>

#include <QAbstractButton>
#include <QDBusConnection>
#include <QDate>
#include <QTest>
#include <gtest/gtest.h>

#include "app/AppDelegate.h"
#include "report/DesktopNotifier.h"
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
    struct Case
    {
        std::string_view name;
        bool morningReport;
        bool sentToday;
    };

    constexpr auto cases = std::to_array<Case>({
        {"morning report on, none sent today", true, false},
        {"morning report on, already sent today", true, true},
        {"morning report off, none sent today", false, false},
        {"morning report off, already sent today", false, true},
    });
    // Demonstration data: no readers run, and the report still goes through the real reporter.
    AppDelegate delegate({"ostrel", "--demo"});
    delegate.applicationDidFinishLaunching();
    delegate.showSettings();
    ASSERT_NE(delegate.settingsWindow(), nullptr);
    QAbstractButton* send = buttonNamed(*delegate.settingsWindow(), QStringLiteral("Send a test report now"));
    ASSERT_NE(send, nullptr);

    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    std::size_t before = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        delegate.settings().setMorningReport(c.morningReport);
        delegate.settings().setLastMorningReport(c.sentToday ? today.toStdString() : std::string("2001-01-01"));
        const auto lastDay = delegate.settings().lastMorningReport();

        QTest::mouseClick(send, Qt::LeftButton);
        ASSERT_TRUE(testing::spinUntil([&] { return service.calls().size() > before; }, 5s));
        testing::spinFor(100ms);
        const auto calls = service.calls();
        ASSERT_EQ(calls.size(), before + 1);
        EXPECT_EQ(calls.back().summary, QStringLiteral("Ostrel test report"));
        // The test leaves the daily report's bookkeeping alone.
        EXPECT_EQ(delegate.settings().lastMorningReport(), lastDay);
        EXPECT_EQ(delegate.settings().morningReport(), c.morningReport);
        before = calls.size();
    }
}

}  // namespace
}  // namespace ostrel
