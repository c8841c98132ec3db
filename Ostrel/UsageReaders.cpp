#include "UsageReaders.h"

#include <memory>

#include "readers/ClaudeFetcher.h"
#include "readers/CodexFetcher.h"
#include "readers/ToolLocator.h"

namespace ostrel {
namespace {

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
    (void)dataFolder;
    UsageReaders readers;
    readers.read = [home](Provider provider, const std::optional<std::string>& pathOverride, Date now) {
        return readLive(home, provider, pathOverride, now);
    };
    // The session-log scanner joins here; until then a scan finds no activity.
    readers.scan = [](Provider, Date now) {
        ProviderActivity activity;
        activity.scannedAt = now;
        return activity;
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
    return readers;
}

}  // namespace ostrel
