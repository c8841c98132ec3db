#pragma once
// One reading of the user's Codex usage: runs `codex app-server`, sends the
// request batch, collects the replies and hands them to the usage parser.
// Blocks the calling thread for at most the time-out; never throws. Every
// secret of the credentials codex keeps is scrubbed from what the result tells.

#include <optional>
#include <string>

#include "model/Date.h"
#include "model/ProviderReading.h"

namespace ostrel {

class TokenScrubber;
class ToolLocator;

class CodexFetcher
{
public:
    struct Options
    {
        std::optional<std::string> executableOverride;  ///< the user's path for codex, if any
        Seconds timeout{30};
        ToolLocator* locator = nullptr;  ///< null: ToolLocator::shared()
        /// The user's folder for codex; blank: the tool's variable or ~/.codex.
        std::optional<std::string> folderSetting;
    };

    explicit CodexFetcher(Options options);

    /// `now` becomes the reading's fetchedAt. Safe to call from several threads.
    [[nodiscard]] FetchResult fetch(Date now) const;

private:
    [[nodiscard]] FetchResult fetch(Date now, TokenScrubber& tokens) const;

    Options m_options;
};

}  // namespace ostrel
