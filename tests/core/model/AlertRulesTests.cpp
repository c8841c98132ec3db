#include "model/AlertRules.h"

#include <array>
#include <sstream>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "model/AlertStateFile.h"
#include "model/ReadingsFile.h"
#include "support/TemporaryFolder.h"

namespace ostrel {
namespace {

constexpr double hour = 3600;
const Date start = dateFromSince1970(1'800'000'000);

[[nodiscard]] Date at(double hours)
{
    return start + Seconds{hours * hour};
}

/// One look at Claude (its default account, or the one named "Work"): a reading taken then (or a sign-in failure), the
/// time in hours from the start of the case, renewals as hours from the start too.
struct Step
{
    double hours = -1;  ///< negative: no step
    double weeklyUsed = 0;
    double weeklyRenewsAt = 0;
    double sessionUsed = -1;  ///< negative: no session window
    double sessionRenewsAt = 0;
    bool signedOut = false;  ///< the reading fails for want of a sign-in
    bool restart = false;    ///< the state goes through the file, and the run starts at this step
    bool woke = false;       ///< the computer woke at this step
    bool work = false;       ///< a look at the account "Work" rather than the default one
};

struct Case
{
    std::string_view name;
    std::array<Step, 6> steps;
    std::string_view sent;  ///< "<hours>: <text>" per alert, "!" after the hours when critical
    std::optional<AlertTopic> switchedOff{};
};

TEST(AlertRules, SendsEachConditionOnceAcrossReadingsRenewalsSleepAndRestarts)
{
    constexpr auto cases = std::to_array<Case>({
        {"pace turning tight then very tight alerts once each; the first look and repeats stay quiet",
         {{{.hours = 0, .weeklyUsed = 30, .weeklyRenewsAt = 100},
           {.hours = 24, .weeklyUsed = 70, .weeklyRenewsAt = 100},
           {.hours = 25, .weeklyUsed = 70, .weeklyRenewsAt = 100},
           {.hours = 48, .weeklyUsed = 90, .weeklyRenewsAt = 100},
           {.hours = 49, .weeklyUsed = 91, .weeklyRenewsAt = 100}}},
         "24: Claude is getting tight: 30% left, 3d 4h to renewal\n"
         "48: Claude is very tight: 10% left, 2d 4h to renewal\n"
         "48: Claude's week passed 90% used: 10% left, 2d 4h to renewal\n"},
        {"pace switched off: only the threshold is sent",
         {{{.hours = 0, .weeklyUsed = 30, .weeklyRenewsAt = 100},
           {.hours = 24, .weeklyUsed = 70, .weeklyRenewsAt = 100},
           {.hours = 48, .weeklyUsed = 90, .weeklyRenewsAt = 100}}},
         "48: Claude's week passed 90% used: 10% left, 2d 4h to renewal\n",
         AlertTopic::pace},
        {"a week already tight and past the threshold at the first look sends nothing",
         {{{.hours = 0, .weeklyUsed = 95, .weeklyRenewsAt = 12}, {.hours = 1, .weeklyUsed = 96, .weeklyRenewsAt = 12}}},
         ""},
        {"passing the threshold alerts once, and the renewal after it says so",
         {{{.hours = 0, .weeklyUsed = 89, .weeklyRenewsAt = 12},
           {.hours = 10, .weeklyUsed = 91, .weeklyRenewsAt = 12},
           {.hours = 11, .weeklyUsed = 91, .weeklyRenewsAt = 12},
           {.hours = 13, .weeklyUsed = 5, .weeklyRenewsAt = 180},
           {.hours = 14, .weeklyUsed = 6, .weeklyRenewsAt = 180}}},
         "10: Claude's week passed 90% used: 9% left, 2h to renewal\n"
         "13: Claude's week renewed: all of it is available\n"},
        {"a period the provider renews early ends with the reading that shows it; a renewal time moved back does not",
         {{{.hours = 0, .weeklyUsed = 89, .weeklyRenewsAt = 12},
           {.hours = 10, .weeklyUsed = 91, .weeklyRenewsAt = 12},
           {.hours = 10.5, .weeklyUsed = 91, .weeklyRenewsAt = 11.5},
           {.hours = 11, .weeklyUsed = 2, .weeklyRenewsAt = 179}}},
         "10: Claude's week passed 90% used: 9% left, 2h to renewal\n"
         "11: Claude's week renewed: all of it is available\n"},
        {"a renewal slept through is dropped at the wake, not sent late",
         {{{.hours = 10, .weeklyUsed = 91, .weeklyRenewsAt = 12},
           {.hours = 11, .weeklyUsed = 92, .weeklyRenewsAt = 12},
           {.hours = 13, .weeklyUsed = 5, .weeklyRenewsAt = 180, .woke = true},
           {.hours = 14, .weeklyUsed = 6, .weeklyRenewsAt = 180}}},
         ""},
        {"a restart with the same reading repeats nothing; after the renewal the next period alerts again",
         {{{.hours = 0, .weeklyUsed = 89, .weeklyRenewsAt = 12},
           {.hours = 10, .weeklyUsed = 91, .weeklyRenewsAt = 12},
           {.hours = 10.5, .weeklyUsed = 91, .weeklyRenewsAt = 12, .restart = true},
           {.hours = 12.5, .weeklyUsed = 1, .weeklyRenewsAt = 180, .restart = true},
           {.hours = 170, .weeklyUsed = 92, .weeklyRenewsAt = 180}}},
         "10: Claude's week passed 90% used: 9% left, 2h to renewal\n"
         "170: Claude's week passed 90% used: 8% left, 10h to renewal\n"},
        {"signing out and back in alerts once each",
         {{{.hours = 0, .weeklyUsed = 30, .weeklyRenewsAt = 100},
           {.hours = 1, .weeklyUsed = 30, .weeklyRenewsAt = 100, .signedOut = true},
           {.hours = 2, .weeklyUsed = 30, .weeklyRenewsAt = 100, .signedOut = true, .restart = true},
           {.hours = 3, .weeklyUsed = 31, .weeklyRenewsAt = 100}}},
         "1: Claude is signed out: sign in with claude auth login\n"
         "3: Claude is signed in again: readings continue\n"},
        {"the session running out: within 3 hours, then within the hour, critical, each once",
         {{{.hours = 0, .weeklyUsed = 10, .weeklyRenewsAt = 100, .sessionUsed = 10, .sessionRenewsAt = 4.5},
           {.hours = 1, .weeklyUsed = 10, .weeklyRenewsAt = 100, .sessionUsed = 45, .sessionRenewsAt = 4.5},
           {.hours = 2, .weeklyUsed = 10, .weeklyRenewsAt = 100, .sessionUsed = 75, .sessionRenewsAt = 4.5},
           {.hours = 2.2, .weeklyUsed = 10, .weeklyRenewsAt = 100, .sessionUsed = 80, .sessionRenewsAt = 4.5}}},
         "1: Claude's session runs out within 3 hours: At this pace the session runs out in about 2 h, 2 h before it "
         "renews.\n"
         "2!: Claude's session runs out within the hour: At this pace the session runs out in about 50 min, 2 h "
         "before it renews.\n"},
        {"woken into a session already within the hour: only the graver alert",
         {{{.hours = 0, .weeklyUsed = 10, .weeklyRenewsAt = 100, .sessionUsed = 10, .sessionRenewsAt = 4.5},
           {.hours = 2,
            .weeklyUsed = 10,
            .weeklyRenewsAt = 100,
            .sessionUsed = 75,
            .sessionRenewsAt = 4.5,
            .woke = true}}},
         "2!: Claude's session runs out within the hour: At this pace the session runs out in about 50 min, 2 h "
         "before it renews.\n"},
        {"two accounts of one tool keep their own record, and a named one's alerts name it by its title",
         {{{.hours = 0, .weeklyUsed = 89, .weeklyRenewsAt = 12},
           {.hours = 0.5, .weeklyUsed = 89, .weeklyRenewsAt = 12, .work = true},
           {.hours = 10, .weeklyUsed = 91, .weeklyRenewsAt = 12},
           {.hours = 10.5, .weeklyUsed = 91, .weeklyRenewsAt = 12, .restart = true, .work = true},
           {.hours = 11, .signedOut = true, .work = true},
           {.hours = 13, .weeklyUsed = 5, .weeklyRenewsAt = 180}}},
         "10: Claude's week passed 90% used: 9% left, 2h to renewal\n"
         "10.5: Claude · Work's week passed 90% used: 9% left, 2h to renewal\n"
         "11: Claude · Work is signed out: sign in with claude auth login\n"
         "13: Claude's week renewed: all of it is available\n"},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const testing::TemporaryFolder folder;
        const auto file = AlertStateFile::filePath(folder.path());
        std::array<Saved, 2> accounts;  ///< the default account's, then Work's
        std::optional<AlertState> state;
        std::optional<Date> watchingSince;
        std::string sent;
        for (const Step& step : c.steps) {
            if (step.hours < 0) {
                continue;
            }
            const Date now = at(step.hours);
            ProviderReading reading{.fetchedAt = now,
                                    .weekly = UsageWindow{step.weeklyUsed, at(step.weeklyRenewsAt)},
                                    .source = "usage API"};
            if (step.sessionUsed >= 0) {
                reading.session = UsageWindow{step.sessionUsed, at(step.sessionRenewsAt), UsageWindow::fiveHours};
            }
            Saved& saved = accounts.at(step.work ? 1 : 0);
            ReadingsFile::record(saved,
                                 Provider::claude,
                                 step.signedOut ? FetchResult{std::unexpected(FetchFailure::notLoggedIn())}
                                                : FetchResult{reading},
                                 now);
            if (step.restart || step.woke) {
                watchingSince = now;
            }
            if (step.restart) {
                state = AlertStateFile::load(file);
                ASSERT_TRUE(state.has_value());
            }
            std::array displays{ProviderDisplay::make(saved.snapshots[Provider::claude],
                                                      Provider::claude,
                                                      now,
                                                      ProviderDisplay::staleAfterFor(15),
                                                      saved.history[Provider::claude])};
            if (step.work) {
                displays[0].accountId = "work";
                displays[0].accountName = "Work";
            }
            AlertOptions options{.watchingSince = watchingSince};
            if (c.switchedOff) {
                options.switchedOff.push_back(*c.switchedOff);
            }
            auto decision = decideAlerts(state, displays, now, options);
            for (const Alert& alert : decision.alerts) {
                std::ostringstream line;
                EXPECT_EQ(alert.accountId, displays[0].accountId);
                line << step.hours << (alert.critical ? "!" : "") << ": " << alert.text() << "\n";
                sent += line.str();
            }
            ASSERT_TRUE(AlertStateFile::save(file, decision.state).has_value());
            state = std::move(decision.state);
        }
        EXPECT_EQ(sent, c.sent);
    }
}

}  // namespace
}  // namespace ostrel
