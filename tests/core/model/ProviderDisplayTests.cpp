#include "model/ProviderDisplay.h"

#include <array>
#include <string>
#include <string_view>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ostrel {
namespace {

using Status = ProviderDisplay::Status;

constexpr double hour = 3600;
constexpr double staleAfter = 2 * 15 * 60 + 600;
const Date now = dateFromReference(800'000'000);

// Half used and halfway through the week: on pace, three green cells.
UsageWindow halfwayWeek()
{
    return {.usedPercent = 50, .resetsAt = now + Seconds{84 * hour}, .duration = UsageWindow::week};
}

ProviderReading reading(Provider provider,
                        double secondsOld,
                        std::optional<UsageWindow> weekly = halfwayWeek(),
                        AccountKind kind = AccountKind::subscription)
{
    return {.provider = provider,
            .fetchedAt = now - Seconds{secondsOld},
            .kind = kind,
            .weekly = weekly,
            .session = UsageWindow{.usedPercent = 10, .resetsAt = now + Seconds{2 * hour}, .duration = 18000},
            .source = "usage API"};
}

ProviderSnapshot snapshot(std::optional<ProviderReading> last, std::optional<FetchFailure> failure = std::nullopt)
{
    return {.lastReading = std::move(last), .lastAttemptAt = now - Seconds{1}, .lastFailure = std::move(failure)};
}

ProviderSnapshot failed(FetchFailure failure)
{
    return snapshot(std::nullopt, std::move(failure));
}

const std::string claudeGreen = "\U0001F7E9\U0001F7E9\U0001F7E9\u2B1B\u2B1B Claude \u00B7 50% \u00B7 4d";
constexpr auto claude = Provider::claude;
constexpr auto openai = Provider::openai;
using F = FetchFailure;

TEST(ProviderDisplay, ANamedAccountSignsInWithItsOwnFolder)
{
    struct Case
    {
        Provider provider;
        std::string folder;
        std::string command;
    };

    const auto cases = std::to_array<Case>({
        {claude, "", "claude auth login"},
        {claude, "/home/ann/.claude-work", "CLAUDE_CONFIG_DIR=/home/ann/.claude-work claude auth login"},
        {Provider::openai, "/home/ann/my codex", "CODEX_HOME='/home/ann/my codex' codex login"},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        ProviderDisplay display = ProviderDisplay::make(failed(F::notLoggedIn()), c.provider, now, staleAfter);
        display.accountId = c.folder.empty() ? "" : "work";
        display.accountName = c.folder.empty() ? "" : "Work";
        display.accountFolder = c.folder;
        EXPECT_EQ(display.signInCommand(), c.command);
        EXPECT_THAT(display.summaryLine(now), ::testing::EndsWith("sign in: " + c.command));
    }
}

TEST(ProviderDisplay, DerivesTheStatusPacingAndSummaryFromTheSnapshot)
{
    struct Case
    {
        std::string_view name;
        Provider provider;
        std::optional<ProviderSnapshot> snapshot;
        Status status;
        bool paced;
        std::string summary;
    };

    using enum Status;
    const UsageWindow renewedNow{.usedPercent = 70, .resetsAt = now, .duration = UsageWindow::week};
    const auto cases = std::to_array<Case>({
        {"nothing stored", claude, std::nullopt, loading, false, "Claude \u00B7 unavailable"},
        {"tool not found", claude, failed(F::cliMissing()), cliMissing, false, "Claude \u00B7 claude CLI not found"},
        {"not signed in",
         claude,
         failed(F::notLoggedIn()),
         needsLogin,
         false,
         "Claude \u00B7 sign in: claude auth login"},
        {"a fresh reading", claude, snapshot(reading(claude, 60)), live, true, claudeGreen},
        {"read exactly at the staleness limit", claude, snapshot(reading(claude, staleAfter)), live, true, claudeGreen},
        {"read a second past the limit",
         claude,
         snapshot(reading(claude, staleAfter + 1)),
         stale,
         true,
         claudeGreen + " \u00B7 stale (40m old)"},
        {"signed out after a reading",
         claude,
         snapshot(reading(claude, 60), F::notLoggedIn()),
         needsLogin,
         true,
         "Claude \u00B7 sign in: claude auth login"},
        {"the week renewed this very second",
         claude,
         snapshot(reading(claude, 60, renewedNow)),
         renewed,
         false,
         "Claude \u00B7 renewed since last reading"},
        {"an organisation's account with a session window only",
         claude,
         snapshot(reading(claude, 60, std::nullopt, AccountKind::enterprise)),
         enterprise,
         false,
         "Claude \u00B7 enterprise plan, no weekly allowance"},
        {"billed per token",
         openai,
         snapshot(reading(openai, 60, halfwayWeek(), AccountKind::apiBilling)),
         apiBilling,
         false,
         "OpenAI/Codex \u00B7 API billing, no weekly allowance"},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ProviderDisplay display = ProviderDisplay::make(c.snapshot, c.provider, now, staleAfter);
        EXPECT_EQ(display.status, c.status);
        EXPECT_EQ(display.pace.has_value(), c.paced);
        EXPECT_EQ(display.summaryLine(now), c.summary);
    }
}

TEST(ProviderDisplay, AddsTheResetCreditLineToTheReport)
{
    struct CreditCase
    {
        std::string_view name;
        std::vector<ResetCredit> credits;
        std::optional<std::string> line;
    };

    const auto credit = [](std::optional<double> days) {
        return ResetCredit{.expiresAt = days ? std::optional{now + Seconds{*days * 86400}} : std::nullopt};
    };
    const auto cases = std::to_array<CreditCase>({
        {"one lapsing soon among others",
         {credit(-1), credit(std::nullopt), credit(2), credit(10)},
         "\u21B3 \u26A0\uFE0F 1 reset expires in 2d (3 total)"},
        {"none lapsing soon",
         {credit(12), credit(std::nullopt)},
         "\u21B3 \U0001F501 2 resets available \u00B7 next expires in 12d"},
    });
    for (const CreditCase& c : cases) {
        SCOPED_TRACE(c.name);
        ProviderReading withCredits = reading(claude, 60);
        withCredits.resetCredits = c.credits;
        const ProviderDisplay display = ProviderDisplay::make(snapshot(withCredits), claude, now, staleAfter);
        EXPECT_EQ(display.resetCreditLine(), c.line);
        std::vector<std::string> expected{claudeGreen};
        if (c.line) {
            expected.push_back(*c.line);
        }
        EXPECT_EQ(display.reportLines(now), expected);
    }
}

TEST(ProviderDisplay, SplitsResetCreditsWhateverTheStatus)
{
    ProviderReading signedOut = reading(openai, 60, std::nullopt, AccountKind::apiBilling);
    signedOut.resetCredits = {ResetCredit{.title = "bonus", .expiresAt = now + Seconds{hour}}};
    const ProviderDisplay display =
        ProviderDisplay::make(snapshot(signedOut, FetchFailure::notLoggedIn()), openai, now, staleAfter);
    EXPECT_EQ(display.resetCredits, ResetCreditStatus::make(signedOut.resetCredits, now));
    EXPECT_EQ(display.resetCreditLine(), "\u21B3 \u26A0\uFE0F 1 reset expires in 1h");
}

}  // namespace
}  // namespace ostrel
