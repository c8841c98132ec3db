#pragma once
// The request to the Claude usage endpoint and the meaning of its answers. The
// access token travels in the Authorization header only; no failure text
// carries it.

#include <optional>
#include <string>

#include "model/Date.h"
#include "model/Provider.h"
#include "model/ProviderReading.h"
#include "readers/ClaudeCredentials.h"

namespace ostrel::ClaudeUsageEndpoint {

struct Options
{
    std::string url = std::string(claudeUsageUrl);
    std::optional<std::string> caBundle;  ///< PEM file to trust instead of the system's store
    Seconds timeout{15};
};

/// A reading from a 200 answer; notLoggedIn for 401 and 403; unreachable for
/// rate limiting, other statuses and transport failures.
[[nodiscard]] FetchResult call(const ClaudeCredentials& credentials, const Options& options, Date now);

}  // namespace ostrel::ClaudeUsageEndpoint
