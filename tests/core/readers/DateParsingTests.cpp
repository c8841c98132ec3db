#include "readers/DateParsing.h"

#include <array>
#include <chrono>
#include <memory>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ostrel {
namespace {

Date utc(int y, unsigned mo, unsigned d, int h = 0, int mi = 0, double s = 0)
{
    const std::chrono::sys_days civil{std::chrono::year{y} / std::chrono::month{mo} / std::chrono::day{d}};
    const double days = static_cast<double>(civil.time_since_epoch().count());
    return Date{Seconds{days * 86400 + h * 3600 + mi * 60 + s}};
}

std::unique_ptr<icu::TimeZone> zone(const char* id)
{
    return std::unique_ptr<icu::TimeZone>(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(id)));
}

struct TimestampCase
{
    std::string_view name;
    std::string_view text;
    std::optional<Date> fast;
    std::optional<Date> general;
};

TEST(DateParsing, ReadsTimestampsOnTheFastPathAndTheGeneralOne)
{
    const auto cases = std::to_array<TimestampCase>({
        {"a whole-second UTC time", "2026-03-01T12:00:00Z", utc(2026, 3, 1, 12), utc(2026, 3, 1, 12)},
        {"any number of fraction digits",
         "2026-03-01T12:00:00.123456789012Z",
         utc(2026, 3, 1, 12, 0, 0.123456789012),
         utc(2026, 3, 1, 12, 0, 0.123456789012)},
        {"a dot without digits is refused by both", "2026-03-01T12:00:00.Z", std::nullopt, std::nullopt},
        {"an offset with a colon", "2026-03-01T12:00:00+01:00", std::nullopt, utc(2026, 3, 1, 11)},
        {"the fast path rolls a 31st of April over", "2026-04-31T00:00:00Z", utc(2026, 5, 1), utc(2026, 5, 1)},
        {"the general path refuses a 31st of April", "2026-04-31T00:00:00+00:00", std::nullopt, std::nullopt},
        {"a trailing line feed", "2026-03-01T12:00:00+01:00\n", std::nullopt, std::nullopt},
        {"digits of another script", "\u0662\u0660\u0662\u0666-03-01T12:00:00+00:00", std::nullopt, std::nullopt},
        {"nothing", "", std::nullopt, std::nullopt},
    });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto fast = DateParsing::fastUTC(c.text);
        const auto general = DateParsing::iso8601(c.text);
        ASSERT_EQ(fast.has_value(), c.fast.has_value());
        ASSERT_EQ(general.has_value(), c.general.has_value());
        if (c.fast) {
            EXPECT_NEAR((*fast - *c.fast).count(), 0, 1e-6);
        }
        if (c.general) {
            EXPECT_NEAR((*general - *c.general).count(), 0, 1e-6);
        }
    }
}

struct PhraseCase
{
    std::string_view name;
    std::string_view text;
    const char* zone;
    Date now;
    std::optional<Date> expected;
};

TEST(DateParsing, ReadsResetPhrasesInTheGivenZone)
{
    const Date morningInNewYork = utc(2026, 3, 2, 15);  // 10:00 EST on Monday 2 March 2026
    const auto cases = std::to_array<PhraseCase>({
        {"a month, day, year and hour", "Jan 5, 2027 at 3pm", "Europe/Paris", utc(2026, 12, 1), utc(2027, 1, 5, 14)},
        {"the nearest of three years wins over the current one",
         "Dec 31 at 11:30pm",
         "America/New_York",
         utc(2027, 1, 2, 12),
         utc(2027, 1, 1, 4, 30)},
        {"an unknown month name", "Foo 3 at 9am", "UTC", utc(2026, 2, 20), std::nullopt},
        {"a 29th of February falls in the one leap year among the candidates",
         "Feb 29 at 9am",
         "UTC",
         utc(2027, 6, 1),
         utc(2028, 2, 29, 9)},
        {"a month-day time skipped by the clock change moves to the next valid time",
         "Mar 8 at 2:30am",
         "America/New_York",
         utc(2026, 3, 1),
         utc(2026, 3, 8, 7)},
        {"a bare hour already past is tomorrow's", "9am", "America/New_York", morningInNewYork, utc(2026, 3, 3, 14)},
        {"today stays today even when past", "today at 9am", "America/New_York", morningInNewYork, utc(2026, 3, 2, 14)},
        {"12am is midnight", "Today at 12am", "America/New_York", morningInNewYork, utc(2026, 3, 2, 5)},
        {"a clock time without a meridiem", "9:30", "UTC", morningInNewYork, std::nullopt},
    });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Compared as seconds since 1970 so that a failure prints readable numbers.
        const auto parsed = DateParsing::claudeResetPhrase(c.text, *zone(c.zone), c.now);
        EXPECT_EQ(parsed.transform(secondsSince1970), c.expected.transform(secondsSince1970));
    }
}

TEST(DateParsing, CapturesTheGroupsOfTheFirstMatchIgnoringCase)
{
    using Groups = std::vector<std::optional<std::string>>;
    EXPECT_EQ(DateParsing::captures(R"(week:\s*(\d+)%(?: until (\w+))?)", "x\nWEEK: 37% and week: 40% until Friday"),
              (Groups{"37", std::nullopt}));
    EXPECT_EQ(DateParsing::captures("resets ([^(]+?) \\(([^)]+)\\)", "Resets Mar 3 at 9am (Europe/Berlin) ·"),
              (Groups{"Mar 3 at 9am", "Europe/Berlin"}));
    EXPECT_EQ(DateParsing::captures("unclosed (group", "unclosed (group"), std::nullopt);
}

}  // namespace
}  // namespace ostrel
