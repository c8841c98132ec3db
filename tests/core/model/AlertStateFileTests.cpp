#include "model/AlertStateFile.h"

#include <array>
#include <cmath>
#include <string_view>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

const Date start = dateFromSince1970(1'800'000'000);

[[nodiscard]] Date at(double hours)
{
    return start + Seconds{hours * 3600};
}

TEST(AlertStateFile, ReadsBackWhatItWroteAndTakesAnythingElseForNoState)
{
    AlertState state{.evaluatedAt = at(1),
                     .providers = {{.provider = Provider::openai,
                                    .signedOut = true,
                                    .account = FiredAlert{AlertKind::signedOut, at(0.5), true},
                                    .windows = {{"weekly", "week", at(9), {{AlertKind::veryTight, at(0.25), false}}}}},
                                   {.provider = Provider::openai, .accountId = "work", .signedOut = false}}};
    const auto text = AlertStateFile::encode(state);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(AlertStateFile::decode(*text), state);
    // A default account's entry stays as files from before named accounts had it, and those still read.
    EXPECT_EQ(text->find("\"accountId\""), text->rfind("\"accountId\""));
    const auto old = AlertStateFile::decode(R"({"evaluatedAt":1,"providers":[{"provider":"claude","signedOut":true,)"
                                            R"("windows":[]}]})");
    ASSERT_TRUE(old.has_value());
    EXPECT_EQ(old->providers.at(0).accountId, "");

    struct Bad
    {
        std::string_view name;
        std::string_view text;
    };

    constexpr auto bad = std::to_array<Bad>({
        {"not JSON", "{\"evaluatedAt\":"},
        {"an unknown alert kind",
         R"({"evaluatedAt":1,"providers":[{"provider":"claude","signedOut":false,"windows":[)"
         R"({"key":"weekly","name":"week","periodEnd":2,"fired":[{"kind":"x","at":1,"delivered":true}]}]}]})"},
        {"an account id that no account could have",
         R"({"evaluatedAt":1,"providers":[{"provider":"claude","accountId":"A b","signedOut":false,"windows":[]}]})"},
        {"a provider without its sign-in state",
         R"({"evaluatedAt":1,"providers":[{"provider":"claude","windows":[]}]})"},
    });
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.name);
        EXPECT_EQ(AlertStateFile::decode(b.text), std::nullopt);
    }

    state.evaluatedAt = Date{Seconds{NAN}};
    EXPECT_FALSE(AlertStateFile::encode(state).has_value());
}

}  // namespace
}  // namespace ostrel
