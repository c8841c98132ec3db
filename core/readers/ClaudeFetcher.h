#pragma once
// One reading of the user's Claude usage. The usage endpoint, called with the
// OAuth token the claude tool stored, comes first; the tool itself (its usage
// report, and its sign-in status to explain failures) is the fallback. The
// token is sent in the Authorization header only and kept by nothing.

#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>

#include "model/Date.h"
#include "model/ProviderReading.h"
#include "readers/ClaudeCredentials.h"
#include "readers/ClaudeUsageEndpoint.h"
#include "readers/ProcessRunner.h"
#include "readers/TokenScrubber.h"
#include "readers/ToolFolder.h"

namespace ostrel {

class ToolLocator;

class ClaudeFetcher
{
public:
    struct Options
    {
        /// The user's path for claude; a non-blank one is used as it is, with no search.
        std::optional<std::string> executableOverride;
        /// Never call the usage endpoint, only the tool.
        bool cliOnly = false;
        /// The user's folder for claude; blank: the tool's variable or ~/.claude.
        /// The credentials file is `.credentials.json` in the folder.
        std::optional<std::string> folderSetting;
        ClaudeUsageEndpoint::Options endpoint;
        /// The desktop keyring's lookup tool: a name searched like the providers'
        /// tools, or a path (holding a '/') used as it is.
        std::string keyringTool = "secret-tool";
        Seconds keyringTimeout{10};
        Seconds commandTimeout{45};  ///< `claude -p /usage`
        Seconds statusTimeout{15};   ///< `claude auth status`
        /// The IANA zone a reset phrase without one is read in; absent: the system's.
        std::optional<std::string> timeZone;
        ToolLocator* locator = nullptr;  ///< null: ToolLocator::shared()
    };

    /// How the usage command can fail: a failure of the reading, or no launch.
    using CommandFailure = std::variant<FetchFailure, ProcessRunner::Failure>;

    explicit ClaudeFetcher(Options options);

    /// A reading (provider claude) or the failure that explains why there is
    /// none. `now` is the reading's time and the time a token's expiry is
    /// judged against.
    [[nodiscard]] FetchResult fetch(Date now) const;

    /// The desktop keyring's item when the lookup exits 0 with usable
    /// credentials, else `file`, the credentials file in `folder` as read;
    /// absent when neither has any. The keyring item is the standard folder's:
    /// a moved folder has only its file.
    [[nodiscard]] std::optional<ClaudeCredentials> readCredentials(const ToolFolder& folder,
                                                                   std::optional<ClaudeCredentials> file) const;

    /// `claude -p /usage` with JSON output, stdin the null device: the report
    /// text, whose output is read with the `tokens` scrubbed out of it.
    [[nodiscard]] static std::expected<std::string, CommandFailure>
    runUsageCommand(const std::filesystem::path& executable,
                    const ProcessRunner::Environment& environment,
                    Seconds timeout,
                    const TokenScrubber& tokens);

    /// `claude auth status --json`: notLoggedIn, a reading for accounts without
    /// a personal allowance, or absent when it gives no verdict.
    [[nodiscard]] static std::optional<FetchResult> authStatus(const std::filesystem::path& executable,
                                                               const ProcessRunner::Environment& environment,
                                                               Seconds timeout,
                                                               Date now);

private:
    [[nodiscard]] ToolLocator& locator() const;
    [[nodiscard]] std::optional<ClaudeCredentials> keyringCredentials() const;
    [[nodiscard]] static std::optional<ClaudeCredentials> fileCredentials(const ToolFolder& folder);
    /// The endpoint's answer, or nothing when the token may not be sent.
    [[nodiscard]] std::optional<FetchResult> callEndpoint(const std::optional<ClaudeCredentials>& credentials,
                                                          Date now) const;
    [[nodiscard]] FetchResult parseReport(const std::string& text, const ClaudePlan& plan, Date now) const;

    Options m_options;
};

}  // namespace ostrel
