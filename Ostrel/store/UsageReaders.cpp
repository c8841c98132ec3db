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

FetchResult readLive(Provider provider, const ToolChoice& choice, Date now)
{
    switch (provider) {
    case Provider::claude: {
        ClaudeFetcher::Options options;
        options.executableOverride = choice.path;
        options.folderSetting = choice.folder;
        return ClaudeFetcher(std::move(options)).fetch(now);
    }
    case Provider::openai: {
        CodexFetcher::Options options;
        options.executableOverride = choice.path;
        options.folderSetting = choice.folder;
        return CodexFetcher(std::move(options)).fetch(now);
    }
    }
    return std::unexpected(FetchFailure::unexpected("Unknown provider"));
}

}  // namespace

UsageReaders UsageReaders::live(const std::optional<std::filesystem::path>& dataFolder)
{
    std::optional<std::filesystem::path> cacheFile;
    if (dataFolder) {
        cacheFile = *dataFolder / activityCacheName;
    }
    // One scanner for the whole run: it remembers how far it read each log.
    auto scanner = std::make_shared<ActivityScanner>(ActivityScanner::Options{cacheFile});

    UsageReaders readers;
    readers.read = &readLive;
    readers.scan = [scanner](Provider provider, const std::vector<ToolChoice>& choices, Date now) {
        std::vector<std::filesystem::path> folders;
        folders.reserve(choices.size());
        for (const ToolChoice& choice : choices) {
            folders.push_back(ToolLocator::shared().folder(provider, choice.folder).path);
        }
        return scanner->scan(provider, folders, now);
    };
    readers.locate = [](const Choices& choices) {
        ToolLocator& locator = ToolLocator::shared();
        locator.reset();
        FoundTools found;
        for (const auto& [provider, choice] : choices) {
            auto location = locator.locate(cliName(provider), choice.path);
            found.emplace(provider,
                          Found{location ? std::optional(location->string()) : std::nullopt,
                                locator.folder(provider, choice.folder)});
        }
        return found;
    };
    readers.stop = [] {
        ProcessRunner::terminateAll();
    };
    return readers;
}

}  // namespace ostrel
