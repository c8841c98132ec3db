#include "model/ResetCreditStatus.h"

#include <array>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

constexpr double day = 86400;
const Date now = dateFromReference(800'000'000);

ResetCredit credit(std::string title, std::optional<double> daysLeft)
{
    ResetCredit made{.title = std::move(title)};
    if (daysLeft) {
        made.expiresAt = now + Seconds{*daysLeft * day};
    }
    return made;
}

std::vector<std::string> titles(const std::vector<ResetCredit>& credits)
{
    std::vector<std::string> out;
    out.reserve(credits.size());
    for (const ResetCredit& c : credits) {
        out.push_back(c.title.value_or("?"));
    }
    return out;
}

TEST(ResetCreditStatus, KeepsUnexpiredCreditsSoonestFirstWithUndatedOnesLast)
{
    const ResetCreditStatus status = ResetCreditStatus::make({credit("undated A", std::nullopt),
                                                              credit("lapsed", -1),
                                                              credit("ten days", 10),
                                                              credit("undated B", std::nullopt),
                                                              credit("two days", 2),
                                                              credit("lapses now", 0)},
                                                             now);
    EXPECT_EQ(titles(status.available), (std::vector<std::string>{"two days", "ten days", "undated A", "undated B"}));
    EXPECT_EQ(titles(status.expiringSoon), std::vector<std::string>{"two days"});
    EXPECT_FALSE(status.isEmpty());
    EXPECT_EQ(status.nextExpiry(), now + Seconds{2 * day});
    EXPECT_EQ(status.nextExpiryText(), "2d");
}

TEST(ResetCreditStatus, SumsTheCreditsUpInOneHeadline)
{
    struct Case
    {
        std::string_view name;
        std::vector<ResetCredit> credits;
        std::optional<std::string> headline;
    };

    const auto cases = std::to_array<Case>({
        {"only lapsed credits", {credit("a", -1), credit("b", 0)}, std::nullopt},
        {"one expiring exactly a week from now", {credit("a", 7)}, "1 reset expires in 7d"},
        {"two of three expiring soon",
         {credit("a", 12), credit("b", 5.0 / 24), credit("c", 6)},
         "2 resets expire in 5h (3 total)"},
        {"none soon, the next one dated",
         {credit("a", 20), credit("b", 12)},
         "2 resets available \u00B7 next expires in 12d"},
        {"all undated", {credit("a", std::nullopt), credit("b", std::nullopt)}, "2 resets available"},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ResetCreditStatus::make(c.credits, now).headline(), c.headline);
    }
}

}  // namespace
}  // namespace ostrel
