#include "report/WelcomeNote.h"

#include <QDBusConnection>
#include <gtest/gtest.h>

#include "platform/DesktopNotifier.h"
#include "support/TempSettings.h"

namespace ostrel {
namespace {

TEST(WelcomeNote, PromisesOnlyWhatIsSwitchedOn)
{
    for (const bool startsAtLogin : {false, true}) {
        SCOPED_TRACE(startsAtLogin ? "the morning report is off" : "the login item could not be written");
        const QString body = WelcomeNote::body(startsAtLogin, !startsAtLogin);
        EXPECT_EQ(body.contains(QStringLiteral("morning at 6:00")), !startsAtLogin);
    }
}

TEST(WelcomeNote, IsPostedOnce)
{
    testing::TempSettings temp;
    // A bus without a notification service: delivery fails quietly, and the
    // note still counts as shown so it is never repeated.
    DesktopNotifier notifier(QDBusConnection(QStringLiteral("no bus")), nullptr);
    AppSettings& settings = temp.settings;
    EXPECT_FALSE(settings.welcomed());
    EXPECT_TRUE(WelcomeNote::postOnce(settings, notifier));
    EXPECT_TRUE(settings.welcomed());
    EXPECT_FALSE(WelcomeNote::postOnce(settings, notifier));
}

}  // namespace
}  // namespace ostrel
