#pragma once
// The OAuth credentials that the claude tool stores (in the desktop keyring or
// in .credentials.json in its folder). The tokens are secrets: the access token goes
// into the Authorization header and nowhere else, never into a text or a file.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Date.h"
#include "readers/ClaudePlan.h"

namespace ostrel {

struct ClaudeCredentials
{
    /// A token expiring within this many seconds is not worth sending.
    static constexpr double freshnessMargin = 120;

    std::string accessToken;  ///< never empty
    std::optional<Date> expiresAt;
    ClaudePlan plan;
    /// Every secret of the stored form (the access and refresh tokens among them),
    /// for scrubbing the tool's output.
    std::vector<std::string> secrets;

    /// `{"claudeAiOauth": {"accessToken": "...", "expiresAt": <ms since 1970>, ...}}`;
    /// absent unless the token is a non-empty string.
    [[nodiscard]] static std::optional<ClaudeCredentials> parse(std::string_view bytes);

    /// No expiry, or an expiry more than two minutes after `now`.
    [[nodiscard]] bool isFresh(Date now) const
    {
        return !expiresAt || (*expiresAt - now).count() > freshnessMargin;
    }

    bool operator==(const ClaudeCredentials&) const = default;
};

}  // namespace ostrel
