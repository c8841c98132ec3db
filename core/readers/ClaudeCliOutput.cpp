#include "readers/ClaudeCliOutput.h"

#include <nlohmann/json.hpp>

#include "model/JsonText.h"
#include "readers/ClaudePlan.h"
#include "readers/ClaudeUsageParser.h"

namespace ostrel::ClaudeCliOutput {
namespace {

using nlohmann::json;

constexpr std::string_view whiteSpace = " \t\n\r\v\f";

[[nodiscard]] std::optional<std::string> stringMember(const json& object, std::string_view key)
{
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? std::optional(found->get<std::string>()) : std::nullopt;
}

/// The last `count` characters of UTF-8 text, never splitting a character.
[[nodiscard]] std::string_view lastCharacters(std::string_view text, std::size_t count)
{
    std::size_t start = text.size();
    for (std::size_t taken = 0; start > 0 && taken < count; ++taken) {
        do {
            --start;
        } while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80);
    }
    return text.substr(start);
}

[[nodiscard]] ProviderReading statusReading(std::string plan, AccountKind kind, std::string note, Date now)
{
    return {.provider = Provider::claude,
            .fetchedAt = now,
            .plan = std::move(plan),
            .kind = kind,
            .note = std::move(note),
            .source = "claude auth status"};
}

}  // namespace

std::expected<std::string, FetchFailure>
usageText(std::string_view standardOutput, std::string_view standardError, bool timedOut)
{
    if (timedOut) {
        return std::unexpected(FetchFailure::unreachable("`claude /usage` timed out"));
    }
    const json document = JsonText::parse(standardOutput);
    if (!document.is_discarded() && document.is_object()) {
        if (auto result = stringMember(document, "result")) {
            const auto isError = document.find("is_error");
            const bool failed = isError != document.end() && isError->is_boolean() && isError->get<bool>();
            if (failed && ClaudeUsageParser::looksSignedOut(*result)) {
                return std::unexpected(FetchFailure::notLoggedIn());
            }
            return std::move(*result);
        }
    }
    const std::string combined = std::string(standardOutput) + "\n" + std::string(standardError);
    if (ClaudeUsageParser::looksSignedOut(combined)) {
        return std::unexpected(FetchFailure::notLoggedIn());
    }
    const auto first = combined.find_first_not_of(whiteSpace);
    if (first == std::string::npos) {
        return std::unexpected(FetchFailure::unexpected("`claude /usage` printed nothing"));
    }
    const std::string_view trimmed =
        std::string_view{combined}.substr(first, combined.find_last_not_of(whiteSpace) - first + 1);
    return std::unexpected(FetchFailure::unexpected(std::string(lastCharacters(trimmed, 200))));
}

std::optional<FetchResult> authVerdict(std::string_view standardOutput, Date now)
{
    const json document = JsonText::parse(standardOutput);
    if (document.is_discarded() || !document.is_object()) {
        return std::nullopt;
    }
    const auto loggedIn = document.find("loggedIn");
    if (loggedIn != document.end() && loggedIn->is_boolean() && !loggedIn->get<bool>()) {
        return std::unexpected(FetchFailure::notLoggedIn());
    }
    const std::string apiProvider = stringMember(document, "apiProvider").value_or("firstParty");
    const std::string authMethod = stringMember(document, "authMethod").value_or("");
    const auto subscriptionType = stringMember(document, "subscriptionType");
    if (apiProvider == "gateway") {
        return statusReading("Enterprise",
                             AccountKind::enterprise,
                             "Signed in through your organisation's gateway",
                             now);
    }
    if (apiProvider != "firstParty") {
        const std::string name = providerName(apiProvider);
        return statusReading(name, AccountKind::apiBilling, "Billed through " + name, now);
    }
    if (authMethod.starts_with("api_key") || (authMethod == "oauth_token" && !subscriptionType)) {
        return statusReading("API key", AccountKind::apiBilling, "Billed per token through the Claude API", now);
    }
    const ClaudePlan plan{subscriptionType, std::nullopt};
    if (plan.isOrganisational()) {
        return statusReading(plan.displayName().value_or("Enterprise"),
                             AccountKind::enterprise,
                             "Usage is managed by your organisation",
                             now);
    }
    return std::nullopt;
}

std::string providerName(std::string_view apiProvider)
{
    if (apiProvider == "bedrock") {
        return "Amazon Bedrock";
    }
    if (apiProvider == "vertex") {
        return "Google Vertex AI";
    }
    if (apiProvider == "foundry") {
        return "Microsoft Foundry";
    }
    std::string name(apiProvider);
    bool wordStart = true;
    for (char& c : name) {
        const bool separator = c == ' ' || c == '\t' || c == '\n' || c == '\r';
        if (!separator && c >= 'a' && c <= 'z' && wordStart) {
            c = static_cast<char>(c - 'a' + 'A');
        } else if (!separator && c >= 'A' && c <= 'Z' && !wordStart) {
            c = static_cast<char>(c - 'A' + 'a');
        }
        wordStart = separator;
    }
    return name;
}

}  // namespace ostrel::ClaudeCliOutput
