#pragma once
// What the usage store runs off the main thread: one reading of a provider,
// one activity scan, one tool search. The live set wraps the real readers;
// tests hand the store scripted ones.

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "model/Date.h"
#include "model/Provider.h"
#include "model/ProviderActivity.h"
#include "model/ProviderReading.h"
#include "readers/ToolChoice.h"
#include "readers/ToolFolder.h"

namespace ostrel {

struct UsageReaders
{
    /// One reading; `choice` is the settings' choice for the tool taken when the refresh started.
    using Read = std::function<FetchResult(Provider, const ToolChoice& choice, Date now)>;
    /// One activity scan of the tool's accounts, in the folder of each choice:
    /// an activity per choice, in order. Never runs twice at the same time.
    using Scan =
        std::function<std::vector<ProviderActivity>(Provider, const std::vector<ToolChoice>& choices, Date now)>;

    /// What a search found for one tool: its executable, if any, and its folder.
    struct Found
    {
        std::optional<std::string> path;
        ToolFolder folder;

        bool operator==(const Found&) const = default;
    };

    using Choices = std::map<Provider, ToolChoice>;
    using FoundTools = std::map<Provider, Found>;
    /// A fresh search (earlier results forgotten) for each provider's tool.
    using Locate = std::function<FoundTools(const Choices& choices)>;

    /// Ends every reading in flight at once; the store calls it as it goes away.
    using Stop = std::function<void()>;

    Read read;
    Scan scan;
    Locate locate;
    Stop stop;

    /// The real readers, the activity scanner with its cache in `dataFolder`
    /// (none when absent) and the shared tool locator. Their `stop` ends every
    /// outside program this process runs, for good: it is meant for quitting.
    [[nodiscard]] static UsageReaders live(const std::optional<std::filesystem::path>& dataFolder);
};

}  // namespace ostrel
