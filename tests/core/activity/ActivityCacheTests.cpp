#include "activity/ActivityCache.h"

#include <cmath>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "activity/CacheWriter.h"
#include "support/Matchers.h"

namespace ostrel {
namespace {

using ::testing::HasSubstr;
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

TEST(ActivityCache, WritesEveryDateAsTheDocumentWould)
{
    // Dates of logs and resets, with a few to many decimals, around the powers
    // of ten where the digits' count changes, and beyond the range the writer
    // searches quickly.
    std::vector<double> since1970{0, 978307200, 978307200.5, 978307201, 978307199.999, -1e-7, 1e300, -5e15};
    for (int power = -3; power <= 16; ++power) {
        const double edge = std::pow(10.0, power);
        for (const double near : {edge, std::nextafter(edge, 0.0), edge * 1.0000001, edge * 0.9999999}) {
            since1970.insert(since1970.end(), {978307200 + near, 978307200 - near});
        }
    }
    std::uint64_t state = 42;
    for (int i = 0; i < 20000; ++i) {
        state = state * 6364136223846793005U + 1442695040888963407U;
        const double whole = 1.7e9 + static_cast<double>(state >> 40);
        const double scale = std::pow(10.0, static_cast<double>((state >> 20) % 10));
        since1970.push_back(whole + std::round(static_cast<double>(state % 1000000007U) / 1e9 * scale) / scale);
    }
    for (const double seconds : since1970) {
        SCOPED_TRACE(seconds);
        FileState file;
        file.modified = dateFromSince1970(seconds);
        const auto text = CacheWriter::encode(file);
        const auto expected = Json::serialize(Json::encode(file.modified));
        ASSERT_TRUE(text.has_value() && expected.has_value());
        ASSERT_THAT(*text, HasSubstr(R"("modified":)" + *expected + ","));
    }
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
