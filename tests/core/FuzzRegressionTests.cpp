// The fuzz targets run in the normal suite too: over their seed corpora, so
// they keep compiling and their properties keep holding for known inputs, and
// over every input that once made one of them fail, kept under
// fixtures/fuzz-regressions/<target>/.

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

// The targets live beside the libFuzzer entry, outside the core's include path.
#include "../../fuzz/targets/Targets.h"
#include "posix/ReadOnlyFile.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

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
                SCOPED_TRACE(entry.path().native());
                EXPECT_TRUE(target.run(contents(entry.path())));
            }
        }
    }
}

}  // namespace
}  // namespace ostrel
