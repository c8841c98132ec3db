#include "model/Provider.h"

namespace ostrel {

std::string_view displayName(Provider provider)
{
    return labelOf(provider);
}

std::string_view productName(Provider provider)
{
    return provider == Provider::claude ? "Claude Code" : "Codex";
}

std::string_view cliName(Provider provider)
{
    return provider == Provider::claude ? "claude" : "codex";
}

std::string_view folderVariable(Provider provider)
{
    return provider == Provider::claude ? "CLAUDE_CONFIG_DIR" : "CODEX_HOME";
}

std::string_view loginCommand(Provider provider)
{
    return provider == Provider::claude ? "claude auth login" : "codex login";
}

std::string installHint(Provider provider)
{
    if (provider == Provider::claude) {
        return "Install Claude Code: curl -fsSL " + std::string(claudeInstallScriptUrl) + " | bash";
    }
    return "Install Codex: npm install -g @openai/codex";
}

}  // namespace ostrel
