#include "store/UsageStore.h"

#include <array>
#include <atomic>
#include <chrono>
#include <fstream>
#include <memory>
#include <string_view>
#include <thread>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/EventLoop.h"
#include "support/ScriptedReaders.h"
#include "support/TempSettings.h"

namespace ostrel {
namespace {

using namespace std::chrono_literals;
using testing::optionsFor;
using testing::readingOf;
using testing::Script;
using testing::spinFor;
using testing::spinUntil;
using testing::start;

class UsageStoreTest : public ::testing::Test
{
protected:
    /// Runs one refresh of `providers` and waits until every result is recorded.
    static void refreshAndSettle(UsageStore& store, const std::vector<Provider>& providers)
    {
        store.refresh(providers);
        ASSERT_TRUE(spinUntil([&] { return store.refreshing().empty(); }));
    }

    testing::TempSettings temp;
    AppSettings& settings = temp.settings;
    QTemporaryDir data;
    std::shared_ptr<Script> script = std::make_shared<Script>();
};

TEST(UsageStoreRetry, DoublesFromFiveMinutesAndNeverExceedsTheInterval)
{
    struct Case
    {
        std::string_view name;
        int failures;
        int intervalMinutes;
        double seconds;
    };

    constexpr auto cases = std::to_array<Case>({
        {"the first failure waits five minutes", 1, 60, 300},
        {"the fourth waits eight times as long", 4, 60, 2400},
        {"the fifth is capped at the hour's interval", 5, 60, 3600},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_DOUBLE_EQ(UsageStore::retryDelay(c.failures, c.intervalMinutes), c.seconds);
    }
}

TEST_F(UsageStoreTest, RetriesEveryFailingProviderAfterTheLargestCountButNotTheSignedOut)
{
    UsageStore store(settings, optionsFor(script));
    script->add(Provider::claude, std::unexpected(FetchFailure::notLoggedIn()));
    refreshAndSettle(store, {Provider::claude});
    EXPECT_EQ(store.retryTimer(), nullptr);

    for (int round = 0; round < 3; ++round) {
        script->add(Provider::claude, std::unexpected(FetchFailure::unexpected("odd reply")));
        refreshAndSettle(store, {Provider::claude});
    }
    script->add(Provider::openai, std::unexpected(FetchFailure::unreachable("offline")));
    refreshAndSettle(store, {Provider::openai});
    ASSERT_NE(store.retryTimer(), nullptr);
    EXPECT_EQ(store.retryTimer()->interval(), 1200 * 1000);

    script->add(Provider::claude, readingOf(Provider::claude, 20));
    script->add(Provider::openai, readingOf(Provider::openai, 30));
    store.retryTimer()->start(0);
    ASSERT_TRUE(spinUntil([&] { return script->readsOf(Provider::openai) == 2; }));
    ASSERT_TRUE(spinUntil([&] { return store.refreshing().empty(); }));
    EXPECT_EQ(script->readsOf(Provider::claude), 5);
}

TEST_F(UsageStoreTest, AFailureKeepsTheLastReadingAndEveryResultIsSaved)
{
    const std::filesystem::path folder = data.path().toStdString();
    {
        UsageStore store(settings, optionsFor(script, folder));
        script->add(Provider::openai, readingOf(Provider::openai, 42));
        refreshAndSettle(store, {Provider::openai});
        script->advance(120);
        script->add(Provider::openai, std::unexpected(FetchFailure::unreachable("offline")));
        refreshAndSettle(store, {Provider::openai});

        const ProviderSnapshot& snapshot = store.snapshots().at(Provider::openai);
        ASSERT_TRUE(snapshot.lastReading.has_value());
        EXPECT_EQ(snapshot.lastReading->weekly->usedPercent, 42);
        EXPECT_EQ(snapshot.lastFailure, FetchFailure::unreachable("offline"));
        EXPECT_EQ(snapshot.lastAttemptAt, start + Seconds{120});
        EXPECT_EQ(store.history().at(Provider::openai).size(), 1U);
    }
    // A new store (the next launch) starts from what was saved.
    UsageStore reloaded(settings, optionsFor(script, folder));
    EXPECT_EQ(reloaded.snapshots().at(Provider::openai).lastFailure, FetchFailure::unreachable("offline"));
    EXPECT_EQ(reloaded.history().at(Provider::openai).size(), 1U);
}

TEST_F(UsageStoreTest, TellsOncePerRunWhenTheReadingsCannotBeKept)
{
    struct Case
    {
        std::string_view name;
        std::string_view blocker;  ///< a file put at this place under the data folder
        std::string_view told;
    };

    constexpr auto cases = std::to_array<Case>({
        {"an unreadable file is set aside", "Ostrel/readings.json", "and set them aside as readings.json.corrupt-"},
        {"no folder can hold the file", "Ostrel", "the readings of this session will be lost when it quits"},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QTemporaryDir root;
        const std::filesystem::path folder = std::filesystem::path(root.path().toStdString()) / "Ostrel";
        std::filesystem::create_directories(folder.parent_path() / std::filesystem::path(c.blocker).parent_path());
        std::ofstream(folder.parent_path() / c.blocker) << "not readings";
        UsageStore store(settings, optionsFor(script, folder));
        std::vector<QString> told;
        QObject::connect(&store, &UsageStore::readingsNotKept, [&](const QString& text) { told.push_back(text); });
        store.start();
        ASSERT_TRUE(spinUntil([&] { return store.refreshing().empty(); }));
        refreshAndSettle(store, {Provider::openai});
        ASSERT_EQ(told.size(), 1U);
        EXPECT_TRUE(told.front().contains(QString::fromUtf8(c.told))) << told.front().toStdString();
    }
}

TEST_F(UsageStoreTest, StaleChecksReadOnlyProvidersAttemptedLongerAgoThanTheirAge)
{
    UsageStore store(settings, optionsFor(script));
    script->add(Provider::claude, readingOf(Provider::claude, 10));
    refreshAndSettle(store, {Provider::claude});

    // The panel opens with 60 s; OpenAI, never attempted, is read at the first opening.
    for (const int later : {60, 1}) {
        script->add(Provider::claude, readingOf(Provider::claude, 10));
        script->advance(later);
        store.refreshIfStale(60);
        ASSERT_TRUE(spinUntil([&] { return store.refreshing().empty(); }));
        EXPECT_EQ(script->readsOf(Provider::claude), later == 60 ? 1 : 2) << "exactly a minute is not stale yet";
    }
}

TEST_F(UsageStoreTest, DisabledProvidersAreNeitherReadNorScanned)
{
    settings.setClaudeEnabled(false);
    settings.setOpenaiEnabled(false);
    UsageStore store(settings, optionsFor(script));
    store.refresh();
    store.refreshIfStale(0);
    store.refreshActivity(0);
    ASSERT_TRUE(spinUntil([&] { return !store.scanningActivity(); }));
    EXPECT_EQ(script->readsOf(Provider::claude) + script->readsOf(Provider::openai), 0);
    EXPECT_EQ(script->scans, 0);
    EXPECT_EQ(store.lastActivityScan(), start) << "an empty scan still counts as done";
}

TEST_F(UsageStoreTest, ScansAtMostOnceWithinTheAgeAndPublishesEachProvider)
{
    // Long enough that the second call below surely finds the first scan in flight.
    script->scanMilliseconds = 100;
    UsageStore store(settings, optionsFor(script));
    store.refreshActivity(120);
    store.refreshActivity(0);
    ASSERT_TRUE(spinUntil([&] { return !store.scanningActivity(); }));
    EXPECT_EQ(script->scans, 2);
    EXPECT_EQ(store.activity().size(), 2U);

    script->advance(60);
    store.refreshActivity(120);
    EXPECT_FALSE(store.scanningActivity());
    script->advance(61);
    store.refreshActivity(120);
    ASSERT_TRUE(spinUntil([&] { return !store.scanningActivity(); }));
    EXPECT_EQ(script->scans, 4);
}

TEST_F(UsageStoreTest, RefreshAndWaitJoinsAReadingInFlightAndFinishesOnceEveryResultIsRecorded)
{
    UsageStore store(settings, optionsFor(script));
    script->add(Provider::claude, readingOf(Provider::claude, 10), 150ms);
    script->add(Provider::openai, std::unexpected(FetchFailure::notLoggedIn()), 50ms);
    script->add(Provider::claude, readingOf(Provider::claude, 99));
    // Claude is in flight: its reading is joined, OpenAI's is started.
    store.refresh(std::vector{Provider::claude});
    QFuture<void> done = store.refreshAndWait();
    // Neither a second wait nor a plain refresh may start another reading meanwhile.
    QFuture<void> again = store.refreshAndWait();
    store.refresh();
    ASSERT_TRUE(spinUntil([&] { return done.isFinished() && again.isFinished(); }));
    EXPECT_EQ(store.snapshots().at(Provider::claude).lastReading->weekly->usedPercent, 10);
    EXPECT_EQ(store.snapshots().at(Provider::openai).lastFailure, FetchFailure::notLoggedIn());
    EXPECT_TRUE(store.refreshing().empty());
    spinFor(100ms);
    EXPECT_EQ(script->readsOf(Provider::claude), 1);
    EXPECT_EQ(script->readsOf(Provider::openai), 1);
}

TEST_F(UsageStoreTest, GoingAwayEndsAHungReadingAtOnce)
{
    UsageStore::Options options = optionsFor(script);
    auto stopped = std::make_shared<std::atomic<bool>>(false);
    options.readers.read = [stopped](Provider, const std::optional<std::string>&, Date) -> FetchResult {
        // A reader that only its stop ends, or its own time-out of half a minute.
        for (int waited = 0; !*stopped && waited < 3000; ++waited) {
            std::this_thread::sleep_for(10ms);
        }
        return std::unexpected(FetchFailure::unreachable("stopped"));
    };
    options.readers.stop = [stopped] {
        *stopped = true;
    };
    QElapsedTimer timer;
    {
        UsageStore store(settings, std::move(options));
        store.refresh();
        ASSERT_EQ(store.refreshing().size(), 2U);
        spinFor(50ms);
        timer.start();
    }
    EXPECT_LT(timer.elapsed(), 2000);
}

TEST_F(UsageStoreTest, DemonstrationTouchesNoReaderTimerScannerOrFile)
{
    const std::filesystem::path folder = data.path().toStdString();
    UsageStore::Options options = optionsFor(script, folder);
    options.demo = true;
    UsageStore store(settings, std::move(options));
    store.start();
    store.refresh();
    store.refreshIfStale(0);
    store.refreshActivity(0);
    QFuture<void> done = store.refreshAndWait();
    spinFor(100ms);
    EXPECT_TRUE(done.isFinished());
    EXPECT_EQ(script->readsOf(Provider::claude) + script->readsOf(Provider::openai), 0);
    EXPECT_EQ(script->scans + script->locates, 0);
    EXPECT_EQ(store.scheduleTimer(), nullptr);
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    EXPECT_EQ(store.snapshots().size(), 2U) << "the views show the demonstration data instead";
}

TEST_F(UsageStoreTest, StartSchedulesReadsScansAndFindsTheTools)
{
    settings.setRefreshMinutes(30);
    UsageStore store(settings, optionsFor(script));
    store.start();
    ASSERT_NE(store.scheduleTimer(), nullptr);
    EXPECT_EQ(store.scheduleTimer()->interval(), 30 * 60 * 1000);
    ASSERT_TRUE(spinUntil([&] { return store.detectedPaths().size() == 2 && store.refreshing().empty(); }));
    EXPECT_EQ(store.detectedPaths().at(Provider::openai), "/usr/bin/codex");
    EXPECT_EQ(script->readsOf(Provider::claude), 1);
    EXPECT_EQ(script->readsOf(Provider::openai), 1);
}

TEST_F(UsageStoreTest, NotesOtherDevicesWhenTheAccountUsedFarMoreThanThisComputer)
{
    UsageStore store(settings, optionsFor(script));
    ProviderReading reading = readingOf(Provider::openai, 50);
    AccountTokenUsage usage;
    for (int day = 0; day < 9; ++day) {
        usage.days.push_back({"2026-05-0" + std::to_string(day + 1), 1'000'000});
    }
    reading.accountUsage = usage;
    script->add(Provider::openai, reading);
    refreshAndSettle(store, {Provider::openai});
    EXPECT_EQ(store.otherDevicesNote(Provider::openai), std::nullopt) << "no activity scanned yet";

    store.refreshActivity(0);
    ASSERT_TRUE(spinUntil([&] { return !store.scanningActivity(); }));
    EXPECT_EQ(store.otherDevicesNote(Provider::openai), "All devices: 7M in 7 days (this computer: 0)");
    EXPECT_EQ(store.otherDevicesNote(Provider::claude), std::nullopt);
}

}  // namespace
}  // namespace ostrel
