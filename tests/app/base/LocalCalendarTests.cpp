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
    for (const char* zone : {"America/New_York", "Asia/Tokyo"}) {
        qputenv("TZ", zone);
        const std::unique_ptr<icu::Calendar> calendar = localCalendar();
        ASSERT_NE(calendar, nullptr);
        EXPECT_EQ(zoneOf(*calendar), zone);
    }
    if (wasSet) {
        qputenv("TZ", saved);
    } else {
        qunsetenv("TZ");
    }
}

}  // namespace
}  // namespace ostrel
