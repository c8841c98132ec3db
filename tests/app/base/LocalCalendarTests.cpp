#include "base/LocalCalendar.h"

#include <string>

#include <QByteArray>
#include <gtest/gtest.h>
#include <unicode/timezone.h>

namespace ostrel {
namespace {

std::string zoneOf(const icu::Calendar& calendar)
{
    icu::UnicodeString id;
    calendar.getTimeZone().getID(id);
    std::string text;
    id.toUTF8String(text);
    return text;
}

TEST(LocalCalendar, FollowsAZoneChangeWhileRunning)
{
    const bool wasSet = qEnvironmentVariableIsSet("TZ");
    const QByteArray saved = qgetenv("TZ");
    qputenv("TZ", "America/New_York");
    const std::unique_ptr<icu::Calendar> before = localCalendar();
    qputenv("TZ", "Asia/Tokyo");
    const std::unique_ptr<icu::Calendar> after = localCalendar();
    if (wasSet) {
        qputenv("TZ", saved);
    } else {
        qunsetenv("TZ");
    }

    ASSERT_NE(before, nullptr);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(zoneOf(*before), "America/New_York");
    EXPECT_EQ(zoneOf(*after), "Asia/Tokyo");
}

}  // namespace
}  // namespace ostrel
