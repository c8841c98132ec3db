#pragma once
// Every fuzz target by name. The libFuzzer executables and the regression test
// of the normal suite run the same functions, so an input kept after a crash
// keeps exercising exactly the code that crashed.

#include <array>
#include <string_view>

#include "ClaudeTargets.h"
#include "CodexTargets.h"
#include "StoredTargets.h"
#include "Support.h"

namespace ostrel::fuzz {

inline constexpr auto targets = std::to_array<Target>({
    {"claude_usage_api", &claudeUsageApi},
    {"claude_usage_text", &claudeUsageText},
    {"claude_auth_status", &claudeAuthStatus},
    {"claude_credentials", &claudeCredentials},
    {"claude_log_lines", &claudeLogLines},
    {"codex_app_server", &codexAppServer},
    {"codex_usage", &codexUsage},
    {"codex_log_lines", &codexLogLines},
    {"dates", &dates},
    {"readings_file", &readingsFile},
    {"activity_cache", &activityCache},
});

/// The target called `name`; a name that is not in the table does not compile.
[[nodiscard]] consteval const Target& target(std::string_view name)
{
    for (const Target& candidate : targets) {
        if (candidate.name == name) {
            return candidate;
        }
    }
    throw "no fuzz target of that name";
}

}  // namespace ostrel::fuzz
