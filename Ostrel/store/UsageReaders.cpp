#include "store/UsageReaders.h"

#include <memory>

#include "activity/ActivityScanner.h"
#include "readers/ClaudeFetcher.h"
#include "readers/CodexFetcher.h"
#include "readers/ProcessRunner.h"
#include "readers/ToolLocator.h"

namespace ostrel {
namespace {

constexpr std::string_view activityCacheName = "activity-cache.json";

FetchResult
readLive(const std::filesystem::path& home, Provider provider, const std::optional<std::string>& pathOverride, Date now)
{
    switch (provider) {
    case Provider::claude: {
        ClaudeFetcher::Options options;
        options.executableOverride = pathOverride;
        options.home = home;
        return ClaudeFetcher(std::move(options)).fetch(now);
    }
    case Provider::openai: {
        CodexFetcher::Options options;
        options.executableOverride = pathOverride;
        return CodexFetcher(std::move(options)).fetch(now);
    }
    }
    return std::unexpected(FetchFailure::unexpected("Unknown provider"));
}

}  // namespace

UsageReaders UsageReaders::live(const std::filesystem::path& home,
                                const std::optional<std::filesystem::path>& dataFolder)
{
    std::optional<std::filesystem::path> cacheFile;
    if (dataFolder) {
        cacheFile = *dataFolder / activityCacheName;
    }
    // One scanner for the whole run: it remembers how far it read each log.
    auto scanner = std::make_shared<ActivityScanner>(ActivityScanner::Options::forHome(home, cacheFile));

    UsageReaders readers;
    readers.read = [home](Provider provider, const std::optional<std::string>& pathOverride, Date now) {
        return readLive(home, provider, pathOverride, now);
    };
    readers.scan = [scanner](Provider provider, Date now) {
        return scanner->scan(provider, now);
    };
    readers.locate = [](const Overrides& pathOverrides) {
        ToolLocator& locator = ToolLocator::shared();
        locator.reset();
        Paths found;
        for (const auto& [provider, pathOverride] : pathOverrides) {
            if (auto location = locator.locate(cliName(provider), pathOverride)) {
                found.emplace(provider, location->string());
            }
        }
        return found;
    };
    readers.stop = [] {
        ProcessRunner::terminateAll();
    };
    return readers;
}

}  // namespace ostrel
