#pragma once
// Fuzz targets for what the Claude side hands us: the usage endpoint's body,
// the `claude /usage` report, `claude auth status`, the stored credentials and
// the session-log lines.

#include <array>
#include <string>
#include <string_view>

#include "Support.h"
#include "activity/FileState.h"
#include "activity/LogLines.h"
#include "readers/ClaudeCliOutput.h"
#include "readers/ClaudeCredentials.h"
#include "readers/ClaudeUsageParser.h"

namespace ostrel::fuzz {

/// A personal plan, the largest tier and an organisation, chosen by length.
[[nodiscard]] inline const ClaudePlan& planFor(std::string_view bytes)
{
    static const std::array<ClaudePlan, 3> plans{ClaudePlan{"pro", std::nullopt},
                                                 ClaudePlan{"max", "default_claude_max_20x"},
                                                 ClaudePlan{"team", std::nullopt}};
    return plans[bytes.size() % plans.size()];
}

[[nodiscard]] inline bool claudeUsageApi(std::string_view bytes)
{
    return survivesReadingsFile(Provider::claude, ClaudeUsageParser::parseAPI(bytes, planFor(bytes), now));
}

/// The report as `claude -p /usage --output-format json` prints it, and as bare text.
[[nodiscard]] inline bool claudeUsageText(std::string_view bytes)
{
    const auto& zone = zoneFor(bytes);
    if (!survivesReadingsFile(Provider::claude, ClaudeUsageParser::parseCLIText(bytes, planFor(bytes), now, zone))) {
        return false;
    }
    const auto text = ClaudeCliOutput::usageText(bytes, {}, false);
    return !text
           || survivesReadingsFile(Provider::claude, ClaudeUsageParser::parseCLIText(*text, planFor(bytes), now, zone));
}

/// `claude auth status --json`, and the plan names that the input could hold.
[[nodiscard]] inline bool claudeAuthStatus(std::string_view bytes)
{
    const auto verdict = ClaudeCliOutput::authVerdict(bytes, now);
    if (verdict && !survivesReadingsFile(Provider::claude, *verdict)) {
        return false;
    }
    const ClaudePlan plan{std::string(bytes), std::string(bytes)};
    const auto name = plan.displayName();
    (void)plan.isOrganisational();
    (void)ClaudeCliOutput::providerName(bytes);
    return bytes.empty() == !name.has_value();
}

[[nodiscard]] inline bool claudeCredentials(std::string_view bytes)
{
    const auto credentials = ClaudeCredentials::parse(bytes);
    if (!credentials) {
        return true;
    }
    (void)credentials->isFresh(now);
    (void)credentials->plan.displayName();
    (void)credentials->plan.isOrganisational();
    // The tool may print its credentials, or pieces of them, on any stream.
    return !credentials->accessToken.empty() && scrubsEverySecret(credentials->secrets, bytes);
}

/// Every line as the scanner ingests it, and the whole input as one line.
[[nodiscard]] inline bool claudeLogLines(std::string_view bytes)
{
    (void)LogLines::claudeUsage(bytes);
    FileState file;
    const auto consumed = file.consume(bytes, Provider::claude);
    return consumed <= bytes.size() && file.offset == consumed && survivesActivityCache(file);
}

}  // namespace ostrel::fuzz
