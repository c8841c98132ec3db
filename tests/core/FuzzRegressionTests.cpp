// The fuzz targets run in the normal suite too: over their seed corpora, so
// they keep compiling and their properties keep holding for known inputs, and
// over every input that once made one of them fail, kept under
// fixtures/fuzz-regressions/<target>/.

#include <algorithm>
#include <array>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

// The targets live beside the libFuzzer entry, outside the core's include path.
#include "../../fuzz/targets/Targets.h"
#include "posix/ReadOnlyFile.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

struct Skipped
{
    std::string_view target;
    std::string_view file;
    std::string_view why;
};

/// Kept inputs of faults still open; each leaves this list with its fix.
constexpr std::array<Skipped, 0> skipped{};

[[nodiscard]] bool isSkipped(std::string_view target, std::string_view file)
{
    return std::ranges::any_of(skipped, [&](const Skipped& s) { return s.target == target && s.file == file; });
}

/// A kept input, read as the project reads files (no stream iterators: g++ 12 at
/// -O3 warns falsely inside them); an unreadable one reads as empty.
[[nodiscard]] std::string contents(const fs::path& file)
{
    constexpr std::uint64_t largestInput = 1U << 20U;
    return posix::readWhole(file, largestInput).value_or(std::string());
}

const fs::path corpora = fs::path(OSTREL_SOURCE_DIR) / "fuzz" / "corpus";
const fs::path regressions = fs::path(OSTREL_FIXTURES_DIR) / "fuzz-regressions";

TEST(FuzzRegressions, EveryTargetHoldsOnItsSeedsAndOnEveryInputThatOnceFailed)
{
    for (const fuzz::Target& target : fuzz::targets) {
        SCOPED_TRACE(target.name);
        const fs::path seeds = corpora / target.name;
        EXPECT_TRUE(fs::is_directory(seeds)) << "every target has a seed corpus";
        for (const fs::path& folder : {seeds, regressions / target.name}) {
            if (!fs::is_directory(folder)) {
                continue;
            }
            for (const auto& entry : fs::directory_iterator(folder)) {
                if (isSkipped(target.name, entry.path().filename().native())) {
                    continue;
                }
                SCOPED_TRACE(entry.path().native());
                EXPECT_TRUE(target.run(contents(entry.path())));
            }
        }
    }
}

TEST(FuzzRegressions, KeepsInputsOnlyForKnownTargetsAndSkipsOnlyKeptOnes)
{
    std::set<std::string_view> names;
    for (const fuzz::Target& target : fuzz::targets) {
        names.insert(target.name);
    }
    for (const auto& entry : fs::directory_iterator(regressions)) {
        EXPECT_TRUE(names.contains(entry.path().filename().native())) << entry.path();
    }
    for (const Skipped& s : skipped) {
        SCOPED_TRACE(s.why);
        EXPECT_TRUE(fs::is_regular_file(regressions / s.target / s.file));
    }
}

}  // namespace
}  // namespace ostrel
