#pragma once
// What the usage store runs off the main thread: one reading of a provider,
// one activity scan, one tool search. The live set wraps the real readers;
// tests hand the store scripted ones.

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "model/Date.h"
#include "model/Provider.h"
#include "model/ProviderActivity.h"
#include "model/ProviderReading.h"

namespace ostrel {

struct UsageReaders
{
    /// One reading; `pathOverride` is the settings' tool path taken when the refresh started.
    using Read = std::function<FetchResult(Provider, const std::optional<std::string>& pathOverride, Date now)>;
    /// One activity scan; never runs twice at the same time.
    using Scan = std::function<ProviderActivity(Provider, Date now)>;
    using Paths = std::map<Provider, std::string>;
    using Overrides = std::map<Provider, std::optional<std::string>>;
    /// A fresh search (earlier results forgotten) for each provider's tool; found ones only.
    using Locate = std::function<Paths(const Overrides& pathOverrides)>;

    /// Ends every reading in flight at once; the store calls it as it goes away.
    using Stop = std::function<void()>;

    Read read;
    Scan scan;
    Locate locate;
    Stop stop;

    /// The real readers, the activity scanner with its cache in `dataFolder`
    /// (none when absent) and the shared tool locator, for the user's `home`.
    /// Their `stop` ends every outside program this process runs, for good:
    /// it is meant for quitting.
    [[nodiscard]] static UsageReaders live(const std::filesystem::path& home,
                                           const std::optional<std::filesystem::path>& dataFolder);
};

}  // namespace ostrel
