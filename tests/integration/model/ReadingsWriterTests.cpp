#include "model/ReadingsWriter.h"

#include <array>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string_view>
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
    struct Case
    {
        std::string_view name;
        std::optional<std::chrono::milliseconds> heldFor;  ///< absent: all the while
        bool saves;
    };

    constexpr auto cases = std::to_array<Case>({
        {"a lock released while the save waits", 30ms, true},
        {"a lock held all the while", std::nullopt, false},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const testing::TemporaryFolder folder;
        const std::filesystem::path file = folder.path() / "readings.json";
        auto held = posix::lockExclusively(folder.path() / "readings.json.lock");
        ASSERT_TRUE(held.has_value());
        std::thread release;
        if (c.heldFor) {
            release = std::thread([&held, wait = *c.heldFor] {
                std::this_thread::sleep_for(wait);
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
        if (c.saves) {
            EXPECT_THAT(saved, Succeeds());
        } else {
            EXPECT_THAT(saved, FailsMatching(Field(&ReadingsFileFailure::kind, Eq(ReadingsFileFailure::Kind::locked))));
        }
        EXPECT_EQ(std::filesystem::exists(file), c.saves);
    }
}

}  // namespace
}  // namespace ostrel
