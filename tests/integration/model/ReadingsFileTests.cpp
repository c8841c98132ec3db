#include "model/ReadingsFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "posix/ReadOnlyFile.h"
#include "support/FileBytes.h"
#include "support/Matchers.h"
#include "support/TemporaryFolder.h"

namespace ostrel {
namespace {

using testing::contents;
using testing::modeOf;
using testing::put;

namespace fs = std::filesystem;
using ::testing::Eq;
using testing::FailsMatching;
using testing::FailsWith;
using ::testing::Field;
using testing::HoldsValue;
using testing::Succeeds;
using testing::TemporaryFolder;

/// The moment a run starts, for `load`.
const Date start = dateFromSince1970(1796601600);  // 2026-12-07 00:00:00 UTC

Saved sampleState()
{
    Saved saved;
    const ProviderReading reading{.provider = Provider::openai,
                                  .fetchedAt = dateFromReference(786000000.5),
                                  .plan = "Plus",
                                  .weekly = UsageWindow{.usedPercent = 42, .resetsAt = dateFromReference(786300000)},
                                  .source = "codex app-server"};
    ReadingsFile::record(saved, Provider::openai, reading, reading.fetchedAt);
    ReadingsFile::record(saved,
                         Provider::claude,
                         std::unexpected(FetchFailure::unreachable("offline")),
                         dateFromReference(786000001));
    ReadingsFile::record(saved, AccountKey{Provider::openai, "work"}, reading, reading.fetchedAt);
    return saved;
}

TEST(ReadingsFile, SavesIntoNewPrivateFoldersAndReadsTheStateBack)
{
    const TemporaryFolder temporary;
    const fs::path data = temporary.path() / "share" / "Ostrel";
    const fs::path file = ReadingsFile::filePath(data);

    ASSERT_THAT(ReadingsFile::save(file, sampleState()), Succeeds());
    EXPECT_EQ(ReadingsFile::load(file, start), sampleState());
    EXPECT_EQ(modeOf(file), 0600U);
    EXPECT_EQ(modeOf(data), 0700U);
    EXPECT_EQ(std::distance(fs::directory_iterator(data), fs::directory_iterator()), 1) << "no temporary file left";
    EXPECT_THAT(ReadingsFile::encode(sampleState()), HoldsValue(Eq(contents(file))));
}

TEST(ReadingsFile, TreatsAnUnreadableFileAsEmptyAndSetsTheNewestThreeAside)
{
    const TemporaryFolder temporary;
    const fs::path file = temporary.path() / "readings.json";
    ASSERT_THAT(ReadingsFile::save(file, sampleState()), Succeeds());
    const std::string good = contents(file);

    struct Case
    {
        std::string_view name;
        std::string bytes;
    };

    const auto cases = std::to_array<Case>({
        {"nested 100 000 levels deep", R"({"snapshots":)" + std::string(100000, '[') + std::string(100000, ']') + "}"},
        {"an empty file", ""},
        {"a truncated file", good.substr(0, good.size() / 2)},
        {"bytes that are not UTF-8", "{\"snapshots\":[],\"history\":[],\"\xFF\":1}"},
    });
    Date now = start;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        put(file, c.bytes);
        ASSERT_EQ(::chmod(file.c_str(), 0644), 0);
        EXPECT_THAT(ReadingsFile::read(file),
                    FailsMatching(Field(&ReadingsFileFailure::kind, ReadingsFileFailure::Kind::undecodable)));
        now += std::chrono::hours{25};
        EXPECT_EQ(ReadingsFile::load(file, now), Saved{});
        EXPECT_FALSE(fs::exists(file)) << "a save cannot replace it";
    }
    // The last three cases, moved aside 25 hours apart, readable by the user alone.
    for (const auto& [name, index] : std::to_array<std::pair<std::string_view, std::size_t>>(
             {{"20261209T020000Z", 1}, {"20261210T030000Z", 2}, {"20261211T040000Z", 3}})) {
        const fs::path aside = temporary.path() / ("readings.json.corrupt-" + std::string(name));
        EXPECT_EQ(contents(aside), cases[index].bytes);
        EXPECT_EQ(modeOf(aside), 0600U);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(temporary.path()), fs::directory_iterator()), 3);

    // Two in the same second both stay.
    put(file, "first");
    EXPECT_EQ(ReadingsFile::load(file, now), Saved{});
    EXPECT_EQ(contents(temporary.path() / "readings.json.corrupt-20261211T040000Z-2"), "first");
}

TEST(ReadingsFile, RemovesTheTemporaryFilesOfInterruptedSavesAtTheStart)
{
    const TemporaryFolder temporary;
    const fs::path file = temporary.path() / "readings.json";
    ASSERT_THAT(ReadingsFile::save(file, sampleState()), Succeeds());
    for (const std::string_view name : {".readings.json.a1B2c3",
                                        ".readings.json.longest",
                                        ".readings.json.corrupt",
                                        "readings.json.X1y2Z3",
                                        ".other.json.a1B2c3"}) {
        put(temporary.path() / name, "left");
    }

    EXPECT_EQ(ReadingsFile::load(file, start), sampleState());
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(temporary.path())) {
        left.push_back(entry.path().filename().string());
    }
    std::ranges::sort(left);
    EXPECT_EQ(left,
              (std::vector<std::string>{".other.json.a1B2c3",
                                        ".readings.json.corrupt",
                                        ".readings.json.longest",
                                        "readings.json",
                                        "readings.json.X1y2Z3"}));
}

TEST(ReadingsFile, WritesThroughASymbolicLinkAndKeepsIt)
{
    // A relative link, to a file or to nothing yet.
    const fs::path link = "elsewhere/kept.json";
    for (const bool targetExists : {true, false}) {
        SCOPED_TRACE(targetExists ? "a relative link" : "a dangling link");
        const TemporaryFolder temporary;
        fs::create_directory(temporary.path() / "elsewhere");
        if (targetExists) {
            put(temporary.path() / link, "not JSON");
        }
        const fs::path file = temporary.path() / "readings.json";
        fs::create_symlink(link, file);

        // An unreadable target is set aside, and the link waits for the next save.
        EXPECT_EQ(ReadingsFile::load(file, start), Saved{});
        EXPECT_EQ(fs::exists(temporary.path() / "elsewhere/kept.json.corrupt-20261207T000000Z"), targetExists);
        ASSERT_THAT(ReadingsFile::save(file, sampleState()), Succeeds());
        EXPECT_TRUE(fs::is_symlink(fs::symlink_status(file)));
        EXPECT_EQ(fs::read_symlink(file), link);
        EXPECT_THAT(ReadingsFile::encode(sampleState()), HoldsValue(Eq(contents(temporary.path() / link))));
        EXPECT_EQ(ReadingsFile::load(file, start), sampleState());
    }
}

TEST(ReadingsFile, NamesWhyThereIsNoStateToRead)
{
    const TemporaryFolder temporary;
    const fs::path fifo = temporary.path() / "fifo.json";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    using enum ReadingsFileFailure::Kind;
    for (const auto& [path, kind] : std::to_array<std::pair<fs::path, ReadingsFileFailure::Kind>>(
             {{temporary.path() / "readings.json", missing}, {temporary.path(), unreadable}, {fifo, unreadable}})) {
        EXPECT_THAT(ReadingsFile::read(path), FailsMatching(Field(&ReadingsFileFailure::kind, kind))) << path;
    }
    // The reader beneath refuses them on the open descriptor too: without a writer a FIFO reads as empty.
    for (const fs::path& path : {fifo, fs::path("/dev/null")}) {
        EXPECT_EQ(posix::readWhole(path, 100), std::unexpected(EINVAL)) << path;
    }
}

TEST(ReadingsFile, ReportsASaveThatFailsAndKeepsThePreviousFile)
{
    const TemporaryFolder temporary;
    const fs::path occupied = temporary.path() / "readings.json";
    fs::create_directory(occupied);
    put(occupied / "inside", "kept");
    EXPECT_THAT(ReadingsFile::save(occupied, sampleState()),
                FailsWith(ReadingsFileFailure{ReadingsFileFailure::Kind::notAFile,
                                              occupied.string()
                                                  + ": cannot replace what is in the file's place: Is a directory"}));
    EXPECT_EQ(ReadingsFile::load(occupied, start), Saved{});
    EXPECT_TRUE(fs::is_directory(occupied)) << "a folder is not set aside";
    EXPECT_EQ(contents(occupied / "inside"), "kept");
    EXPECT_EQ(std::distance(fs::directory_iterator(temporary.path()), fs::directory_iterator()), 1)
        << "no temporary file left";

    const fs::path file = temporary.path() / "good.json";
    ASSERT_THAT(ReadingsFile::save(file, sampleState()), Succeeds());
    const std::string before = contents(file);
    Saved broken = sampleState();
    broken.history[Provider::openai].front().usedPercent = std::numeric_limits<double>::infinity();
    EXPECT_THAT(ReadingsFile::save(file, broken),
                FailsWith(ReadingsFileFailure{ReadingsFileFailure::Kind::unencodable,
                                              "history[1][0].usedPercent: Cannot write a number that is not finite."}));
    EXPECT_EQ(contents(file), before);
}

}  // namespace
}  // namespace ostrel
