#include "readers/CodexUsageParser.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include <nlohmann/json.hpp>

#include "model/JsonReading.h"
#include "readers/MessageWords.h"
#include "readers/OtherWindows.h"

namespace ostrel::CodexUsageParser {
namespace {

using nlohmann::json;

constexpr std::string_view source = "codex app-server";
constexpr double oneDay = 86400;
/// The limit whose windows are Codex's weekly allowance and session.
constexpr std::string_view ownLimit = "codex";
constexpr std::size_t maxDays = 60;

using JsonReading::integer;
using JsonReading::isTrue;
using JsonReading::member;
using JsonReading::number;
using JsonReading::object;
using JsonReading::string;
using MessageWords::lowered;

[[nodiscard]] ProviderReading reading(Date now)
{
    ProviderReading result;
    result.provider = Provider::openai;
    result.fetchedAt = now;
    result.source = std::string(source);
    return result;
}

[[nodiscard]] ProviderReading apiReading(Date now, std::string plan, std::string note)
{
    ProviderReading result = reading(now);
    result.plan = std::move(plan);
    result.kind = AccountKind::apiBilling;
    result.note = std::move(note);
    return result;
}

[[nodiscard]] std::string titleCased(std::string lower)
{
    bool startOfWord = true;
    for (char& c : lower) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            startOfWord = true;
        } else {
            if (startOfWord && c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 'a' + 'A');
            }
            startOfWord = false;
        }
    }
    return lower;
}

}  // namespace

std::optional<UsageWindow> window(const json* value)
{
    const auto used = number(member(object(value), "usedPercent"));
    if (!used) {
        return std::nullopt;
    }
    UsageWindow result;
    result.usedPercent = *used;
    result.duration = number(member(value, "windowDurationMins")).value_or(0) * 60;
    if (const auto resets = number(member(value, "resetsAt"))) {
        result.resetsAt = dateFromSince1970(*resets);
    }
    return result;
}

std::optional<std::string> planName(const std::optional<std::string>& planType)
{
    if (!planType) {
        return std::nullopt;
    }
    const std::string lower = lowered(*planType);

    struct Exact
    {
        std::string_view type;
        std::string_view name;
    };

    constexpr auto exact = std::to_array<Exact>({{"pro", "Pro"},
                                                 {"prolite", "Pro Lite"},
                                                 {"plus", "Plus"},
                                                 {"free", "Free"},
                                                 {"go", "Go"},
                                                 {"team", "Team"},
                                                 {"business", "Business"},
                                                 {"self_serve_business_prolite", "Business"},
                                                 {"self_serve_business_usage_based", "Business"}});
    if (lower == "unknown") {
        return std::nullopt;
    }
    for (const Exact& entry : exact) {
        if (lower == entry.type) {
            return std::string(entry.name);
        }
    }
    if (lower.starts_with("edu")) {
        return "Edu";
    }
    if (lower.starts_with("ent")) {
        return "Enterprise";
    }
    return titleCased(lower);
}

bool isOrganisational(const std::optional<std::string>& planType)
{
    if (!planType) {
        return false;
    }
    const std::string lower = lowered(*planType);
    for (const std::string_view prefix : {"enterprise", "ent", "business", "edu", "team"}) {
        if (lower.starts_with(prefix)) {
            return true;
        }
    }
    return lower.find("usage_based") != std::string::npos;
}

bool looksSignedOut(std::string_view text)
{
    // Whole words only, and none from a path: a home folder called
    // "author-home" says nothing of the sign-in.
    const std::string words = MessageWords::wordsOutsidePaths(text);
    constexpr auto phrases = std::to_array<std::string_view>({
        " not logged in ",
        " not signed in ",
        " logged out ",
        " signed out ",
        " log in ",
        " login ",
        " sign in ",
        " signing in ",
        " auth ",
        " oauth ",
        " authentication ",
        " authorization ",
        " unauthenticated ",
        " unauthorized ",
        " 401 ",
        " token expired ",
        " token has expired ",
        " expired token ",
    });
    return std::ranges::any_of(phrases,
                               [&](std::string_view phrase) { return words.find(phrase) != std::string::npos; });
}

std::vector<ResetCredit> verifiedResetCredits(const json* value)
{
    const json* credits = member(object(value), "credits");
    if (credits == nullptr || !credits->is_array()) {
        return {};
    }
    std::vector<ResetCredit> result;
    for (const json& entry : *credits) {
        if (!entry.is_object()) {
            return {};
        }
    }
    for (const json& entry : *credits) {
        if (string(member(&entry, "status")) != "available") {
            continue;
        }
        ResetCredit credit;
        credit.title = string(member(&entry, "title"));
        if (const auto expires = number(member(&entry, "expiresAt"))) {
            credit.expiresAt = dateFromSince1970(*expires);
        }
        result.push_back(std::move(credit));
    }
    return result;
}

std::optional<AccountTokenUsage> parseAccountTokenUsage(const json* result)
{
    if (result == nullptr) {
        return std::nullopt;
    }
    const json* summary = object(member(result, "summary"));
    AccountTokenUsage usage;
    const json* buckets = member(result, "dailyUsageBuckets");
    bool bucketsUsable = buckets != nullptr && buckets->is_array();
    if (bucketsUsable) {
        for (const json& bucket : *buckets) {
            bucketsUsable = bucketsUsable && bucket.is_object();
        }
    }
    if (bucketsUsable) {
        for (const json& bucket : *buckets) {
            const auto date = string(member(&bucket, "startDate"));
            const auto tokens = integer(member(&bucket, "tokens"));
            if (date && tokens) {
                usage.days.push_back({*date, *tokens});
            }
        }
    }
    if (usage.days.size() > maxDays) {
        usage.days.erase(usage.days.begin(), usage.days.end() - static_cast<std::ptrdiff_t>(maxDays));
    }
    usage.lifetimeTokens = integer(member(summary, "lifetimeTokens"));
    usage.peakDailyTokens = integer(member(summary, "peakDailyTokens"));
    if (const auto streak = integer(member(summary, "currentStreakDays"));
        streak && *streak >= std::numeric_limits<int>::min() && *streak <= std::numeric_limits<int>::max()) {
        usage.currentStreakDays = static_cast<int>(*streak);
    }
    if (!usage.lifetimeTokens && usage.days.empty()) {
        return std::nullopt;
    }
    return usage;
}

namespace {

/// Of the snapshot's two windows, the longest of a day or more is the weekly
/// one and the shortest under a day the session.
[[nodiscard]] std::pair<std::optional<UsageWindow>, std::optional<UsageWindow>> weeklyAndSession(const json* snapshot)
{
    std::optional<UsageWindow> weekly;
    std::optional<UsageWindow> session;
    for (const char* key : {"primary", "secondary"}) {
        const auto found = window(member(snapshot, key));
        // A window whose hours cannot be written as an integer is unusable.
        if (!found || !std::isfinite(found->duration) || found->duration / 3600 < -9.0e18) {
            continue;
        }
        if (found->duration >= oneDay) {
            if (!weekly || found->duration > weekly->duration) {
                weekly = found;
            }
        } else if (!session || found->duration < session->duration) {
            session = found;
        }
    }
    return {weekly, session};
}

}  // namespace

FetchResult
parse(const json* account, const json* rateLimits, const std::optional<std::string>& rateLimitsError, Date now)
{
    std::optional<std::string> planType;
    if (account != nullptr) {
        if (const json* signedIn = object(member(account, "account"))) {
            const auto type = string(member(signedIn, "type"));
            if (type == "apiKey") {
                return apiReading(now, "API key", "Billed per token through the OpenAI API");
            }
            if (type == "amazonBedrock") {
                return apiReading(now, "Amazon Bedrock", "Billed through Amazon Bedrock");
            }
            planType = string(member(signedIn, "planType"));
        } else if (isTrue(member(account, "requiresOpenaiAuth"))) {
            return std::unexpected(FetchFailure::notLoggedIn());
        }
    }
    if (rateLimitsError) {
        if (looksSignedOut(*rateLimitsError)) {
            return std::unexpected(FetchFailure::notLoggedIn());
        }
        return std::unexpected(FetchFailure::unreachable(*rateLimitsError));
    }
    if (rateLimits == nullptr) {
        return std::unexpected(FetchFailure::unexpected("Codex returned no rate limits"));
    }
    static const json empty = json::object();
    const json* snapshot = object(member(member(rateLimits, "rateLimitsByLimitId"), ownLimit));
    if (snapshot == nullptr) {
        snapshot = object(member(rateLimits, "rateLimits"));
    }
    if (snapshot == nullptr) {
        snapshot = &empty;
    }
    if (!planType) {
        planType = string(member(snapshot, "planType"));
    }

    const auto [weekly, session] = weeklyAndSession(snapshot);
    const auto credits = verifiedResetCredits(member(rateLimits, "rateLimitResetCredits"));

    ProviderReading result = reading(now);
    result.resetCredits = credits;
    if (!weekly && !session) {
        if (!isTrue(member(object(member(snapshot, "credits")), "unlimited")) && !isOrganisational(planType)) {
            return std::unexpected(FetchFailure::unexpected("Codex reported no usage window"));
        }
        result.plan = planName(planType).value_or("Enterprise");
        result.kind = AccountKind::enterprise;
        result.note = "Usage is managed by your workspace";
        return result;
    }
    result.plan = planName(planType);
    result.kind = AccountKind::subscription;
    result.otherWindows = OtherWindows::fromCodex(rateLimits, ownLimit);
    if (weekly) {
        result.weekly = weekly;
        result.session = session;
    } else {
        result.weekly = session;
        const auto hours = static_cast<std::int64_t>(session->duration / 3600);
        result.note = "Paced against the " + std::to_string(hours) + "-hour window (no weekly window reported)";
    }
    return result;
}

}  // namespace ostrel::CodexUsageParser
