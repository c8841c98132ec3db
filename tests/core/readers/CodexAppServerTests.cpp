#include "readers/CodexAppServer.h"

#include <array>
#include <string_view>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

using CodexAppServer::Response;
using nlohmann::json;
using Replies = std::map<std::int64_t, Response>;

[[nodiscard]] Response result(std::string_view object)
{
    return Response{json::parse(object), std::nullopt};
}

[[nodiscard]] Response error(std::string message)
{
    return Response{std::nullopt, std::move(message)};
}

TEST(CodexAppServer, SendsTheFiveRequestsAsCompactLines)
{
    // The usage request's params is an object, not null: the server refuses null.
    EXPECT_EQ(
        CodexAppServer::requests(),
        R"({"id":1,"method":"initialize","params":{"clientInfo":{"name":"ostrel","title":"Ostrel","version":"1.0"}}}
{"method":"initialized"}
{"id":2,"method":"account/read","params":{"refreshToken":false}}
{"id":3,"method":"account/rateLimits/read","params":{"excludeResetCreditDetails":false}}
{"id":4,"method":"account/usage/read","params":{}}
)");
}

TEST(CodexAppServer, ReadsRepliesByNumericIdAndSkipsEverythingElse)
{
    struct Case
    {
        std::string_view name;
        std::string_view output;
        Replies replies;
    };

    const auto cases = std::to_array<Case>({
        {"notifications, noise and blank lines between replies",
         "{\"method\":\"configWarning\",\"params\":{}}\n\nnot json\n{\"id\":2,\"result\":{\"a\":1}}\n[3]\n\"text\"\n",
         {{2, result(R"({"a":1})")}}},
        {"an error with its id after it",
         R"({"error":{"code":-32600,"message":"denied"},"id":3})",
         {{3, error("denied")}}},
        {"ids that are no whole number",
         "{\"id\":\"3\",\"result\":{}}\n{\"id\":true,\"result\":{}}\n{\"id\":3.5,\"result\":{}}\n"
         "{\"id\":18446744073709551615,\"result\":{}}\n{\"id\":null,\"result\":{}}\n",
         {}},
        {"carriage returns and a last line without a line feed",
         "{\"id\":2,\"result\":{}}\r\n{\"id\":4,\"result\":{}}",
         {{2, result("{}")}, {4, result("{}")}}},
        {"an invalid byte inside a message",
         "{\"id\":3,\"error\":{\"message\":\"caf\xE9\"}}",
         {{3, error("caf\uFFFD")}}},
    });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CodexAppServer::responses(c.output), c.replies);
    }
}

TEST(CodexAppServer, WatchesForTheAccountRateLimitsAndUsageRepliesAsTheOutputGrows)
{
    struct Case
    {
        std::string_view name;
        std::string_view output;
        bool complete;
    };

    constexpr auto cases = std::to_array<Case>({
        {"nothing yet", "", false},
        {"all three, errors counting as answers",
         "{\"id\":1,\"result\":{}}\n{\"id\":4,\"error\":{}}\n{\"id\":3,\"error\":{}}\n{\"id\":2,\"result\":{}}\n",
         true},
        {"the usage reply still arriving",
         "{\"id\":2,\"result\":{}}\n{\"id\":3,\"result\":{}}\n{\"id\":4,\"res",
         false},
        {"the usage reply without its line feed yet",
         "{\"id\":2,\"result\":{}}\n{\"id\":3,\"result\":{}}\n{\"id\":4,\"result\":{}}",
         false},
    });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CodexAppServer::ReplyWatch{}(c.output), c.complete) << "all at once";
        // As a pipe hands it over: in pieces of every size, each piece seen once.
        for (std::size_t piece = 1; piece <= 7; ++piece) {
            CodexAppServer::ReplyWatch watch;
            bool complete = watch({});
            for (std::size_t end = piece; end < c.output.size() + piece; end += piece) {
                complete = watch(c.output.substr(0, end));
            }
            EXPECT_EQ(complete, c.complete) << "in pieces of " << piece << " bytes";
        }
    }
}

}  // namespace
}  // namespace ostrel
