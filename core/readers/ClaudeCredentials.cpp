#include "readers/ClaudeCredentials.h"

#include <nlohmann/json.hpp>

#include "model/JsonText.h"
#include "readers/ClaudeUsageParser.h"
#include "readers/TokenScrubber.h"

namespace ostrel {
namespace {

using nlohmann::json;

[[nodiscard]] std::optional<std::string> stringMember(const json& object, std::string_view key)
{
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? std::optional(found->get<std::string>()) : std::nullopt;
}

}  // namespace

std::optional<ClaudeCredentials> ClaudeCredentials::parse(std::string_view bytes)
{
    const json document = JsonText::parse(bytes);
    if (document.is_discarded() || !document.is_object()) {
        return std::nullopt;
    }
    const auto oauth = document.find("claudeAiOauth");
    if (oauth == document.end() || !oauth->is_object()) {
        return std::nullopt;
    }
    auto token = stringMember(*oauth, "accessToken");
    if (!token || token->empty()) {
        return std::nullopt;
    }
    const auto expiry = oauth->find("expiresAt");
    const auto millis = ClaudeUsageParser::number(expiry == oauth->end() ? nullptr : &*expiry);
    return ClaudeCredentials{
        .accessToken = std::move(*token),
        .expiresAt = millis ? std::optional(dateFromSince1970(*millis / 1000.0)) : std::nullopt,
        .plan = {stringMember(*oauth, "subscriptionType"), stringMember(*oauth, "rateLimitTier")},
        .secrets = TokenScrubber::secretsIn(document),
    };
}

}  // namespace ostrel
