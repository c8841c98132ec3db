#include "report/WelcomeNote.h"

#include <array>
#include <string_view>

#include <QDBusConnection>
#include <gtest/gtest.h>

#include "platform/DesktopNotifier.h"
#include "support/TempSettings.h"

namespace ostrel {
namespace {

struct BodyCase
{
    std::string_view name;
    bool startsAtLogin;
    bool morningReport;
    bool mentionsLogin;
    bool mentionsMorning;
};

TEST(WelcomeNote, PromisesOnlyWhatIsSwitchedOn)
{
    constexpr auto cases = std::to_array<BodyCase>({
        {"the login item could not be written", false, true, false, true},
        {"the morning report is off", true, false, true, false},
    });
    for (const BodyCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString body = WelcomeNote::body(c.startsAtLogin, c.morningReport);
        EXPECT_TRUE(body.contains(QStringLiteral("weekly allowance")));
        EXPECT_EQ(body.contains(QStringLiteral("when you log in (turn this off in Settings)")), c.mentionsLogin);
        EXPECT_EQ(body.contains(QStringLiteral("morning at 6:00")), c.mentionsMorning);
    }
}

TEST(WelcomeNote, IsPostedOnceAndRememberedAcrossLaunches)
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

    AppSettings nextLaunch(settings.filePath().parent_path(), LoginItem(temp.folder.path().toStdString() + "/a", "/x"));
    EXPECT_TRUE(nextLaunch.welcomed());
    EXPECT_FALSE(WelcomeNote::postOnce(nextLaunch, notifier));
}

}  // namespace
}  // namespace ostrel
