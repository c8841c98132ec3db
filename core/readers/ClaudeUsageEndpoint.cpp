#include "readers/ClaudeUsageEndpoint.h"

#include "readers/ClaudeUsageParser.h"
#include "readers/HttpsGet.h"

namespace ostrel::ClaudeUsageEndpoint {

FetchResult call(const ClaudeCredentials& credentials, const Options& options, Date now)
{
    const auto reply = httpsGet({
        .url = options.url,
        .headers = {{"Authorization", "Bearer " + credentials.accessToken},
                    {"anthropic-beta", "oauth-2025-04-20"},
                    {"Accept", "application/json"},
                    {"User-Agent", "Ostrel/1.0"}},
        .timeout = options.timeout,
        .caBundle = options.caBundle,
    });
    if (!reply) {
        return std::unexpected(FetchFailure::unreachable(reply.error()));
    }
    switch (reply->status) {
    case 200:
        return ClaudeUsageParser::parseAPI(reply->body, credentials.plan, now);
    case 401:
    case 403:
        return std::unexpected(FetchFailure::notLoggedIn());
    case 429:
        return std::unexpected(FetchFailure::unreachable("Claude usage endpoint is rate limiting; will retry"));
    default:
        return std::unexpected(
            FetchFailure::unreachable("Claude usage endpoint returned HTTP " + std::to_string(reply->status)));
    }
}

}  // namespace ostrel::ClaudeUsageEndpoint
