#include "readers/ClaudeUsageEndpoint.h"

#include <array>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/LocalHttpsServer.h"
#include "support/Matchers.h"

namespace ostrel {
namespace {

const Date now = dateFromSince1970(1772539200);
const ClaudeCredentials credentials{"secret-token", std::nullopt, {"pro", std::nullopt}};

TEST(ClaudeUsageEndpoint, MapsEachKindOfAnswer)
{
    const testing::LocalHttpsServer server;

    struct Case
    {
        std::string_view name;
        std::string path;
        FetchResult expected;
    };

    const UsageWindow weekly{42, dateFromSince1970(1772701200), UsageWindow::week};
    const std::array cases{
        Case{"200 with weekly and session windows",
             "/body/weekly",
             ProviderReading{.provider = Provider::claude,
                             .fetchedAt = now,
                             .plan = "Pro",
                             .weekly = weekly,
                             .session = UsageWindow{10, std::nullopt, UsageWindow::fiveHours},
                             .source = "usage API"}},
        Case{"200 with limits only",
             "/body/limits",
             ProviderReading{.provider = Provider::claude,
                             .fetchedAt = now,
                             .plan = "Pro",
                             .weekly = UsageWindow{30, dateFromSince1970(1772701200), UsageWindow::week},
                             .source = "usage API"}},
        Case{"200 for an organisation",
             "/body/organisation",
             ProviderReading{.provider = Provider::claude,
                             .fetchedAt = now,
                             .plan = "Pro",
                             .kind = AccountKind::enterprise,
                             .note = "Organisation spend cap: 43% used",
                             .source = "usage API"}},
        Case{"200 without a weekly window",
             "/body/empty",
             std::unexpected(FetchFailure::unexpected("Claude reported no weekly allowance"))},
        Case{"200 that is not JSON",
             "/body/garbage",
             std::unexpected(FetchFailure::unexpected("Claude usage response wasn't JSON"))},
        Case{"401", "/status/401", std::unexpected(FetchFailure::notLoggedIn())},
        Case{"403", "/status/403", std::unexpected(FetchFailure::notLoggedIn())},
        Case{"429",
             "/status/429",
             std::unexpected(FetchFailure::unreachable("Claude usage endpoint is rate limiting; will retry"))},
        Case{"500",
             "/status/500",
             std::unexpected(FetchFailure::unreachable("Claude usage endpoint returned HTTP 500"))},
        Case{"a redirect is not followed",
             "/redirect",
             std::unexpected(FetchFailure::unreachable("Claude usage endpoint returned HTTP 302"))},
        Case{"an endless body is cut off",
             "/endless",
             std::unexpected(FetchFailure::unreachable("The reply was larger than 1 MiB; its transfer was stopped"))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ClaudeUsageEndpoint::call(credentials, {server.url(c.path), server.caBundle()}, now), c.expected);
    }
}

TEST(ClaudeUsageEndpoint, TurnsTransportFailuresIntoUnreachableWithoutTheToken)
{
    const testing::LocalHttpsServer server;
    for (const std::string path : {"/hang", "/close"}) {
        SCOPED_TRACE(path);
        const auto result =
            ClaudeUsageEndpoint::call(credentials, {server.url(path), server.caBundle(), Seconds{0.5}}, now);
        ASSERT_FALSE(result);
        EXPECT_EQ(result.error().kind, FetchFailure::Kind::unreachable);
        EXPECT_THAT(result.error().text, ::testing::Not(::testing::HasSubstr("secret-token")));
    }
}

}  // namespace
}  // namespace ostrel
