#include "preferences/ProviderToggleRow.h"

#include <array>
#include <string_view>

#include <QCheckBox>
#include <QTest>
#include <gtest/gtest.h>

#include "store/UsageStore.h"
#include "support/EventLoop.h"
#include "support/ScriptedReaders.h"
#include "support/TempSettings.h"

namespace ostrel {
namespace {

using Status = ProviderDisplay::Status;

ProviderDisplay displayOf(Provider provider,
                          Status status,
                          std::optional<std::string> plan = std::nullopt,
                          std::optional<FetchFailure> failure = std::nullopt)
{
    ProviderDisplay display;
    display.provider = provider;
    display.status = status;
    if (plan) {
        ProviderReading reading = testing::readingOf(provider, 10);
        reading.plan = std::move(plan);
        display.reading = reading;
    }
    display.failure = std::move(failure);
    return display;
}

TEST(ProviderToggleRow, StatusLineNamesTheWayInOrWhatIsWrong)
{
    struct Case
    {
        std::string_view name;
        Provider provider;
        Status status;
        std::optional<std::string_view> plan;
        std::optional<FetchFailure::Kind> failure;
        std::string_view failureText;
        std::string_view line;
    };

    using Kind = FetchFailure::Kind;
    using enum Provider;
    using enum Status;
    // clang-format off
    constexpr auto cases = std::to_array<Case>({
        {"loading says how it reads", claude, loading, {}, {}, "", "via Claude Code"},
        {"live with a plan puts the plan first", openai, live, "pro", {}, "", "pro · via Codex"},
        {"an empty plan counts as none", openai, live, "", {}, "", "via Codex"},
        {"enterprise", claude, enterprise, {}, {}, "", "Enterprise · no weekly allowance"},
        {"API billing", openai, apiBilling, {}, {}, "", "API billing · no weekly allowance"},
        {"Claude not signed in", claude, needsLogin, {}, {}, "", "Not signed in — run claude auth login"},
        {"Codex not signed in", openai, needsLogin, {}, {}, "", "Not signed in — run codex login"},
        {"claude missing", claude, cliMissing, {}, {}, "", "claude CLI not found"},
        {"unreachable gives its message", claude, unavailable, {}, Kind::unreachable, "timed out after 30 s",
         "timed out after 30 s"},
        {"unavailable with a failure without text", claude, unavailable, {}, Kind::unreachable, "", "Unavailable"},
    });
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<FetchFailure> failure;
        if (c.failure) {
            failure = FetchFailure{*c.failure, std::string(c.failureText)};
        }
        const auto plan = c.plan ? std::optional<std::string>(*c.plan) : std::nullopt;
        EXPECT_EQ(ProviderToggleRow::statusLine(displayOf(c.provider, c.status, plan, failure)), c.line);
    }
}

class ProviderToggleRowTest : public ::testing::Test
{
protected:
    testing::TempSettings temp;
    AppSettings& settings = temp.settings;
    std::shared_ptr<testing::Script> script = std::make_shared<testing::Script>();
    UsageStore store{settings, testing::optionsFor(script)};
    Clock clock = [this] {
        return dateFromSince1970(script->now);
    };
};

TEST_F(ProviderToggleRowTest, FollowsTheStoreAndTurnsItsProviderOnAndOff)
{
    ProviderToggleRow row(Provider::openai, settings, store, clock);
    row.setAttribute(Qt::WA_DontShowOnScreen);
    row.show();
    EXPECT_EQ(row.statusText(), QStringLiteral("via Codex"));
    EXPECT_EQ(row.toggle()->accessibleName(), QStringLiteral("OpenAI"));

    ProviderReading reading = testing::readingOf(Provider::openai, 30);
    reading.plan = "pro";
    script->add(Provider::openai, reading);
    store.refresh(std::vector{Provider::openai});
    ASSERT_TRUE(testing::spinUntil([&] { return store.refreshing().empty(); }));
    EXPECT_EQ(row.statusText(), QStringLiteral("pro · via Codex"));
    EXPECT_EQ(row.toggle()->accessibleDescription(), QStringLiteral("pro · via Codex"));

    ASSERT_TRUE(row.toggle()->isChecked());
    QTest::mouseClick(row.toggle(), Qt::LeftButton);
    EXPECT_FALSE(settings.openaiEnabled());
    EXPECT_TRUE(settings.claudeEnabled());
    // A change made elsewhere shows without writing back.
    settings.setOpenaiEnabled(true);
    EXPECT_TRUE(row.toggle()->isChecked());
}

}  // namespace
}  // namespace ostrel
