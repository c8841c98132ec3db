#include "readers/HttpsGet.h"

#include <array>
#include <optional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "support/LocalHttpsServer.h"

namespace ostrel {
namespace {

using ::testing::HasSubstr;

class HttpsGetTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        server = new testing::LocalHttpsServer();
    }

    static void TearDownTestSuite()
    {
        delete server;
        server = nullptr;
    }

    [[nodiscard]] static HttpsRequest request(const std::string& path, Seconds timeout = Seconds{15})
    {
        return {.url = server->url(path),
                .headers = {{"Authorization", "Bearer secret-token"}, {"Accept", "application/json"}},
                .timeout = timeout,
                .caBundle = server->caBundle()};
    }

    static inline testing::LocalHttpsServer* server = nullptr;
};

TEST_F(HttpsGetTest, SendsTheHeaderFieldsAndReturnsStatusAndBodyWithoutFollowingRedirects)
{
    const auto reply = httpsGet(request("/headers"));
    ASSERT_TRUE(reply) << reply.error();
    EXPECT_EQ(reply->status, 200);
    const auto headers = nlohmann::json::parse(reply->body);
    EXPECT_EQ(headers.value("authorization", ""), "Bearer secret-token");

    const auto redirect = httpsGet(request("/redirect"));
    ASSERT_TRUE(redirect) << redirect.error();
    EXPECT_EQ(redirect->status, 302) << "a redirect is handed back, not followed";
}

TEST_F(HttpsGetTest, TakesABodyUpTo1MiBAndStopsTheTransferOfALargerOne)
{
    struct Case
    {
        std::string_view name;
        std::string path;
        std::optional<std::size_t> bodySize;  ///< absent: the reply is refused
    };

    constexpr std::size_t mebibyte = std::size_t{1024} * 1024;
    const auto cases = std::to_array<Case>({
        {"a body of exactly 1 MiB", "/size/" + std::to_string(mebibyte), mebibyte},
        {"one byte more", "/size/" + std::to_string(mebibyte + 1), std::nullopt},
        {"a body announced as 1 GiB and sent without end", "/endless", std::nullopt},
    });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto reply = httpsGet(request(c.path));
        if (c.bodySize) {
            ASSERT_TRUE(reply) << reply.error();
            EXPECT_EQ(reply->body.size(), *c.bodySize);
        } else {
            ASSERT_FALSE(reply.has_value()) << "a body of " << reply->body.size() << " bytes was taken";
            EXPECT_EQ(reply.error(), "The reply was larger than 1 MiB; its transfer was stopped");
        }
    }
}

TEST_F(HttpsGetTest, ReportsTransportFailuresWithoutTheHeaderValues)
{
    struct Case
    {
        std::string_view name;
        HttpsRequest request;
    };

    HttpsRequest untrusted = request("/body/weekly");
    untrusted.caBundle.reset();  // the system store does not know the throw-away certificate
    HttpsRequest plain = request("/body/weekly");
    plain.url.replace(0, 5, "http");
    const std::array cases{
        Case{"a hang past the time-out", request("/hang", Seconds{0.5})},
        Case{"a certificate that is not trusted", untrusted},
        Case{"plain HTTP", plain},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto reply = httpsGet(c.request);
        ASSERT_FALSE(reply);
        EXPECT_FALSE(reply.error().empty());
        EXPECT_THAT(reply.error(), ::testing::Not(HasSubstr("secret-token")));
    }
}

}  // namespace
}  // namespace ostrel
