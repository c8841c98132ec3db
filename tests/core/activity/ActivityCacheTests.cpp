#include "activity/ActivityCache.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/Matchers.h"

namespace ostrel {
namespace {

using testing::HoldsValue;

TEST(ActivityCache, KeepsEveryFieldOfAFileStateThroughItsJson)
{
    ActivityCache::State state;
    FileState& file = state.files["claude:/home/me/.claude/projects/p/1.jsonl"];
    file.offset = 52311;
    file.size = 52400;
    file.modified = dateFromSince1970(1796000000.123456);
    file.tokens.buckets = {{2993333, {1200, 340, 95}}};
    file.allowance = {{dateFromSince1970(1796000000), 41.5, dateFromSince1970(1796400000)}};
    file.lastKey = "msg_01:req_01";
    file.lastCounts = TokenCounts{1200, 340, 95};
    state.files["openai:/x.jsonl"] = FileState{};
    const auto text = ActivityCache::encode(state);
    ASSERT_TRUE(text.has_value());
    EXPECT_THAT(ActivityCache::decode(*text), HoldsValue(state));
}

TEST(ActivityCache, ReadsAFileStateWrittenWithoutRememberedCounts)
{
    constexpr std::string_view older =
        R"({"version":2,"files":{"claude:/u/1.jsonl":{"offset":5,"size":5,"modified":786000000.5,)"
        R"("tokens":{"buckets":[2917123,{"cached":1200,"input":340,"output":95}]},"allowance":[],"lastKey":"msg_01:req_01"}}})";
    const auto state = ActivityCache::decode(older);
    ASSERT_TRUE(state.has_value());
    const FileState& file = state->files.at("claude:/u/1.jsonl");
    EXPECT_EQ(file.lastKey, "msg_01:req_01");
    EXPECT_EQ(file.lastCounts, std::nullopt);
    EXPECT_EQ(file.modified, dateFromReference(786000000.5));
}

}  // namespace
}  // namespace ostrel
