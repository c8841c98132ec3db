#include "panel/FooterText.h"

#include <array>
#include <string_view>

#include <gtest/gtest.h>

#include "support/SampleReadings.h"

namespace ostrel {
namespace {

TEST(FooterText, WordsTheAgeTheNextRefreshAndTheButton)
{
    struct Case
    {
        std::string_view name;
        FooterText::Inputs inputs;
        std::string_view status;
        std::optional<std::string_view> next;
    };

    // 2026-12-07 15:00 in New York.
    const Date now = dateFromSince1970(1796673600);
    const Date nextRefresh = now + Seconds(40 * 60);
    const auto cases = std::to_array<Case>({
        {"before any reading", {std::nullopt, std::nullopt, false, std::nullopt}, "Waiting for first reading", {}},
        {"within the minute",
         {now - Seconds(20), nextRefresh, false, std::nullopt},
         "Updated just now",
         "next 3:40 PM"},
        {"five minutes ago", {now - Seconds(310), nextRefresh, false, std::nullopt}, "Updated 5m ago", "next 3:40 PM"},
        {"just copied", {now - Seconds(310), nextRefresh, true, std::nullopt}, "Snapshot copied", {}},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FooterText footer = FooterText::make(c.inputs, now, testing::newYork());
        EXPECT_EQ(footer.status, c.status);
        EXPECT_EQ(footer.next, c.next ? std::optional<std::string>(*c.next) : std::nullopt);
        EXPECT_EQ(footer.copied, c.inputs.copied);
    }
}

}  // namespace
}  // namespace ostrel
