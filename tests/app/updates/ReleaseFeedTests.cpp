#include "updates/ReleaseFeed.h"

#include <array>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/FeedSigner.h"
#include "support/LocalHttpsServer.h"
#include "updates/ReleaseVersion.h"

namespace ostrel {
namespace {

using ::testing::HasSubstr;

TEST(ReleaseVersion, ComparesPartsAsNumbersAndPutsPreReleasesFirst)
{
    // A pre-release comes before its release; pre-release numbers compare as numbers.
    for (const auto& [olderText, newerText] :
         {std::pair<std::string_view, std::string_view>{"1.2.0-rc.1", "1.2.0"}, {"2.0-rc.9", "2.0-rc.10"}}) {
        SCOPED_TRACE(newerText);
        const auto older = ReleaseVersion::parse(olderText);
        const auto newer = ReleaseVersion::parse(newerText);
        ASSERT_TRUE(older && newer);
        EXPECT_LT(*older, *newer);
        EXPECT_FALSE(*newer < *older);
    }
    for (const std::string_view text : {"", "1..2", "1.2-", "99999999999999999999"}) {
        EXPECT_EQ(ReleaseVersion::parse(text), std::nullopt) << text;
    }
}

class ReleaseFeedTest : public ::testing::Test
{
protected:
    testing::LocalHttpsServer server;
    testing::FeedSigner signer;

    void publish(std::string_view document, std::string_view signature) const
    {
        std::ofstream(server.filesFolder() / "feed.json", std::ios::binary) << document;
        std::ofstream(server.filesFolder() / "feed.json.sig", std::ios::binary) << signature;
    }

    [[nodiscard]] ReleaseFeedAddress address() const
    {
        return {server.url("/file/feed.json"), signer.publicKey(), server.caBundle(), Seconds{2}};
    }
};

constexpr std::string_view release = R"({"version": "9.1.0", "date": "2026-11-30",
    "page": "https://example.org/ostrel/9.1.0", "notes": "Faster.", "package": "http://example.org/x.deb"})";

// Redirects, size limits and time-outs are the HTTPS client's, tested with it.
TEST_F(ReleaseFeedTest, BelievesOnlyASignedDocumentFetchedOverVerifiedHttps)
{
    std::string alteredDocument(release);
    alteredDocument[alteredDocument.find("9.1.0")] = '8';

    struct Case
    {
        std::string_view name;
        std::string document;
        std::string signature;
        ReleaseFeedAddress address;
        std::string_view failure;  ///< empty: accepted
    };

    const std::string doc(release);
    const std::string signature = signer.sign(release);
    const std::string plainPage = R"({"version": "9.1.0", "date": "2026-11-30", "page": "http://example.org"})";
    // clang-format off
    const auto cases = std::to_array<Case>({
        {"a signed release", doc, signature, address(), ""},
        {"one byte of the document altered", alteredDocument, signature, address(), "signature does not match"},
        {"a signed document without an https page", plainPage, signer.sign(plainPage), address(),
         "no https release page"},
        {"an http address", doc, signature, {"http://127.0.0.1/file/feed.json", signer.publicKey(), {}, Seconds{2}},
         "not an https address"},
        {"a certificate nobody vouches for", doc, signature,
         {server.url("/file/feed.json"), signer.publicKey(), std::nullopt, Seconds{2}}, "could not be reached"},
    });
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        publish(c.document, c.signature);
        const auto entry = ReleaseFeed::fetch(c.address);
        if (c.failure.empty()) {
            ASSERT_TRUE(entry.has_value()) << entry.error();
            EXPECT_EQ(entry->version, "9.1.0");
            EXPECT_EQ(entry->package, std::nullopt) << "a package address that is not https is dropped";
        } else {
            ASSERT_FALSE(entry.has_value());
            EXPECT_THAT(entry.error(), HasSubstr(std::string(c.failure)));
        }
    }
}

}  // namespace
}  // namespace ostrel
