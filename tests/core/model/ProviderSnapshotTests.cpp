#include "model/ProviderSnapshot.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(ProviderSnapshot, KeepsTheLastReadingAcrossAFailureAndClearsTheFailureOnSuccess)
{
    ProviderReading reading{.provider = Provider::openai,
                            .fetchedAt = dateFromReference(100),
                            .source = "codex app-server"};
    ProviderSnapshot snapshot;

    snapshot.record(reading, dateFromReference(100));
    snapshot.record(std::unexpected(FetchFailure::unreachable("offline")), dateFromReference(200));
    EXPECT_EQ(snapshot.lastReading, reading);
    EXPECT_EQ(snapshot.lastFailure, FetchFailure::unreachable("offline"));
    EXPECT_EQ(snapshot.lastAttemptAt, dateFromReference(200));

    snapshot.record(reading, dateFromReference(300));
    EXPECT_FALSE(snapshot.lastFailure);
    EXPECT_EQ(snapshot.lastAttemptAt, dateFromReference(300));
}

}  // namespace
}  // namespace ostrel
