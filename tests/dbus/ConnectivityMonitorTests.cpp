#include "platform/ConnectivityMonitor.h"

#include <array>
#include <string_view>

#include <QDBusMessage>
#include <gtest/gtest.h>

#include "support/EventLoop.h"
#include "support/ScriptedReaders.h"
#include "support/TempSettings.h"

namespace ostrel {
namespace {

using namespace std::chrono_literals;

TEST(ConnectivityMonitor, TheStoreRereadsAtOnceOnlyTheProviderThatFailedWhenTheNetworkComesBack)
{
    // NetworkManager cannot run here: a connection of the test's own takes its
    // name on the session bus, which plays the system bus, and sends its signal.
    testing::TempSettings temp;
    auto script = std::make_shared<testing::Script>();
    UsageStore::Options options = testing::optionsFor(script);
    options.networkBus = QDBusConnection::sessionBus();
    UsageStore store(temp.settings, std::move(options));
    script->add(Provider::claude, std::unexpected(FetchFailure::unreachable("offline")));
    script->add(Provider::claude, std::unexpected(FetchFailure::unreachable("still no route")));
    script->add(Provider::claude, std::unexpected(FetchFailure::unreachable("slow to fail")), 500ms);
    script->add(Provider::claude, testing::readingOf(Provider::claude, 30));
    script->add(Provider::openai, testing::readingOf(Provider::openai, 30));
    store.start();
    ASSERT_TRUE(testing::spinUntil([&] { return store.refreshing().empty() && !store.scanningActivity(); }));
    QDBusConnection networkManager = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("nm"));
    ASSERT_TRUE(networkManager.registerService(QStringLiteral("org.freedesktop.NetworkManager")));

    struct Case
    {
        std::string_view name;
        uint state;
        bool claudeReadingInFlight;
        int claudeReads;
        int retryInSeconds;  ///< 0: no retry waits
    };

    constexpr auto cases = std::to_array<Case>({
        {"connecting is not back yet", 40, false, 1, 300},
        {"back: Claude, which failed, is read at once and fails again, so the retry waits longer", 70, false, 2, 600},
        {"connected again without a drop reads nothing", 70, false, 2, 600},
        {"the network drops", 20, false, 2, 600},
        {"back while a reading begun offline runs: it fails, and Claude is read again and answers", 70, true, 4, 0},
        {"down and back with nothing failing reads nothing", 20, false, 4, 0},
        {"up with nothing failing", 70, false, 4, 0},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.claudeReadingInFlight) {
            store.refresh(std::vector{Provider::claude});
        }
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/NetworkManager"),
                                                         QStringLiteral("org.freedesktop.NetworkManager"),
                                                         QStringLiteral("StateChanged"));
        signal << c.state;
        ASSERT_TRUE(networkManager.send(signal));
        testing::spinFor(100ms);
        ASSERT_TRUE(testing::spinUntil(
            [&] { return script->readsOf(Provider::claude) >= c.claudeReads && store.refreshing().empty(); }));
        EXPECT_EQ(script->readsOf(Provider::claude), c.claudeReads);
        EXPECT_EQ(script->readsOf(Provider::openai), 1) << "OpenAI's reading stands";
        EXPECT_EQ(store.retryTimer()->isActive() ? store.retryTimer()->interval() / 1000 : 0, c.retryInSeconds);
    }
    networkManager.unregisterService(QStringLiteral("org.freedesktop.NetworkManager"));
    QDBusConnection::disconnectFromBus(networkManager.name());
}

}  // namespace
}  // namespace ostrel
