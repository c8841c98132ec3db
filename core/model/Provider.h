#pragma once
// The two supported providers and their fixed names and commands.

#include <array>
#include <string>
#include <string_view>

#include "model/EnumRows.h"

namespace ostrel {

enum class Provider
{
    claude,
    openai
};

/// Raw values as kept in our files; labels as people read them.
[[nodiscard]] constexpr auto enumRows(Provider /*tag*/)
{
    return std::to_array<EnumRow<Provider>>({
        {Provider::claude, "claude", "Claude"},
        {Provider::openai, "openai", "OpenAI"},
    });
}

/// Every provider, in the order used wherever providers are listed.
inline constexpr auto allProviders = allCases<Provider>;

/// The address of the Claude Code install script shown in the install hint.
inline constexpr std::string_view claudeInstallScriptUrl = "https://claude.ai/install.sh";
/// The Claude usage endpoint, called with the OAuth token of the claude tool.
inline constexpr std::string_view claudeUsageUrl = "https://api.anthropic.com/api/oauth/usage";

[[nodiscard]] std::string_view displayName(Provider provider);
[[nodiscard]] std::string_view productName(Provider provider);
[[nodiscard]] std::string_view cliName(Provider provider);
[[nodiscard]] std::string_view loginCommand(Provider provider);
/// The variable the tool reads its folder from: "CLAUDE_CONFIG_DIR" or "CODEX_HOME".
[[nodiscard]] std::string_view folderVariable(Provider provider);
[[nodiscard]] std::string installHint(Provider provider);

}  // namespace ostrel
