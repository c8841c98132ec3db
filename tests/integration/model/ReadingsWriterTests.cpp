#include "model/ReadingsWriter.h"

#include <chrono>
#include <filesystem>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "posix/FileLock.h"
#include "support/Matchers.h"
#include "support/TemporaryFolder.h"

namespace ostrel {
namespace {

using namespace std::chrono_literals;
using ::testing::Eq;
using testing::FailsMatching;
using ::testing::Field;
using testing::Succeeds;

TEST(ReadingsWriter, SavesOnlyOnceAnotherWritersLockIsFree)
{
    // A lock released while the save waits, or held all the while.
    for (const bool released : {true, false}) {
        SCOPED_TRACE(released ? "released" : "held");
        const testing::TemporaryFolder folder;
        const std::filesystem::path file = folder.path() / "readings.json";
        auto held = posix::lockExclusively(folder.path() / "readings.json.lock");
        ASSERT_TRUE(held.has_value());
        std::thread release;
        if (released) {
            release = std::thread([&held] {
                std::this_thread::sleep_for(30ms);
                held->reset();
            });
        }
        ReadingsWriter writer(file, 500ms);
        Saved state;
        state.snapshots[Provider::claude].lastAttemptAt = dateFromReference(786000000);

        const auto saved = writer.save(state, dateFromReference(786000000));

        if (release.joinable()) {
            release.join();
        }
        if (released) {
            EXPECT_THAT(saved, Succeeds());
        } else {
            EXPECT_THAT(saved, FailsMatching(Field(&ReadingsFileFailure::kind, Eq(ReadingsFileFailure::Kind::locked))));
        }
        EXPECT_EQ(std::filesystem::exists(file), released);
    }
}

}  // namespace
}  // namespace ostrel
