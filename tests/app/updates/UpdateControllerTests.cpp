#include "updates/UpdateController.h"

#include <fstream>
#include <string>
#include <string_view>

#include <QTimer>
#include <gtest/gtest.h>

#include "support/EventLoop.h"
#include "support/FeedSigner.h"
#include "support/LocalHttpsServer.h"
#include "support/TempSettings.h"

namespace ostrel {
namespace {

using namespace std::chrono_literals;

[[nodiscard]] std::string feedFor(std::string_view version)
{
    return R"({"version": ")" + std::string(version)
           + R"(", "date": "2026-11-30", "page": "https://example.org/ostrel/release"})";
}

class UpdateControllerTest : public ::testing::Test
{
protected:
    testing::LocalHttpsServer server;
    testing::FeedSigner signer;
    testing::TempSettings temp;
    Date now = dateFromSince1970(1796000000);  // a Thursday in 2026

    void publish(const std::string& document, const std::string& signature) const
    {
        std::ofstream(server.filesFolder() / "feed.json", std::ios::binary) << document;
        std::ofstream(server.filesFolder() / "feed.json.sig", std::ios::binary) << signature;
    }

    [[nodiscard]] std::unique_ptr<UpdateController> controller(const std::string& path = "/file/feed.json")
    {
        ReleaseFeedAddress address{server.url(path), signer.publicKey(), server.caBundle(), Seconds{3}};
        return std::make_unique<UpdateController>([address] { return ReleaseFeed::fetch(address); },
                                                  "1.4.0",
                                                  temp.settings,
                                                  [this] { return now; });
    }

    static void checkAndWait(UpdateController& updates)
    {
        updates.check();
        ASSERT_TRUE(testing::spinUntil([&] { return !updates.isChecking(); }));
    }
};

TEST_F(UpdateControllerTest, AnnouncesOnlyANewerRelease)
{
    const auto updates = controller();

    // A newer release is offered; the running version, published next, clears it.
    for (const auto& [version, available] :
         {std::pair<std::string, std::optional<std::string>>{"1.10.0", "1.10.0"}, {"1.4.0", std::nullopt}}) {
        SCOPED_TRACE(version);
        publish(feedFor(version), signer.sign(feedFor(version)));
        checkAndWait(*updates);
        EXPECT_EQ(updates->availableVersion(), available);
    }
}

TEST_F(UpdateControllerTest, ACheckThatHangsLeavesTheEventLoopRunning)
{
    const auto updates = controller("/hang");
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(10);
    updates->check();
    ASSERT_TRUE(testing::spinUntil([&] { return ticks >= 20; }, 5s)) << "the main thread was blocked";
    EXPECT_TRUE(updates->isChecking());
    ASSERT_TRUE(testing::spinUntil([&] { return !updates->isChecking(); }, 20s));
    EXPECT_EQ(updates->lastOutcome()->kind, UpdateCheckOutcome::Kind::failed);
}

}  // namespace
}  // namespace ostrel
