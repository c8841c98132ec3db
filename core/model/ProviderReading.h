#pragma once
// One successful reading of a provider's usage, and the result type every
// reader returns.

#include <expected>
#include <optional>
#include <string>
#include <vector>

#include "model/AccountKind.h"
#include "model/AccountTokenUsage.h"
#include "model/Date.h"
#include "model/FetchFailure.h"
#include "model/LimitWindow.h"
#include "model/Provider.h"
#include "model/ResetCredit.h"
#include "model/UsageWindow.h"

namespace ostrel {

struct ProviderReading
{
    Provider provider = Provider::claude;
    Date fetchedAt;
    std::optional<std::string> plan;
    AccountKind kind = AccountKind::subscription;
    std::optional<UsageWindow> weekly;
    std::optional<UsageWindow> session;
    /// Every further window the provider reported, in its order.
    std::vector<LimitWindow> otherWindows;
    std::vector<ResetCredit> resetCredits;
    std::optional<std::string> note;
    std::string source;  ///< "usage API", "claude /usage", "claude auth status", "codex app-server"
    std::optional<AccountTokenUsage> accountUsage;

    bool operator==(const ProviderReading&) const = default;
};

using FetchResult = std::expected<ProviderReading, FetchFailure>;

}  // namespace ostrel
