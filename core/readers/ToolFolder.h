#pragma once
// A tool's own folder, where it keeps its settings, credentials and session
// logs: ~/.claude for claude and ~/.codex for codex unless the user moved it
// with the tool's variable (CLAUDE_CONFIG_DIR, CODEX_HOME). The folder is the
// first usable of: the path in Ostrel's settings, the variable in Ostrel's
// own environment, the variable in the login shell's, the standard folder.
// Only these two variables are taken from anywhere; nothing else is guessed.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "model/Provider.h"

namespace ostrel {

struct ToolFolder
{
    enum class Source
    {
        settings,
        environment,
        loginShell,
        standard,
    };

    Provider provider = Provider::claude;
    std::filesystem::path path;
    Source source = Source::standard;

    /// The variable the tool reads its folder from: "CLAUDE_CONFIG_DIR" or "CODEX_HOME".
    [[nodiscard]] static std::string_view variable(Provider provider);

    /// The file in the folder where the tool keeps its sign-in: ".credentials.json"
    /// for claude (where no keyring holds it), "auth.json" for codex.
    [[nodiscard]] static std::string_view credentialsName(Provider provider);

    /// The folder in `home` the tool uses when the variable is unset.
    [[nodiscard]] static std::filesystem::path standardPath(Provider provider, const std::string& home);

    /// The folder `text` names, trimmed of blanks and tabs and without a
    /// trailing '/'. Blank text is none; "~" and "~/" at the start stand for
    /// `home`; a path that is still relative is none, since it would depend on
    /// the working folder.
    [[nodiscard]] static std::optional<std::filesystem::path> resolve(std::string_view text, const std::string& home);

    /// Picks the folder from the candidates in their order, the first that
    /// `resolve` takes.
    [[nodiscard]] static ToolFolder choose(Provider provider,
                                           const std::optional<std::string>& setting,
                                           const std::optional<std::string>& environmentValue,
                                           const std::optional<std::string>& loginShellValue,
                                           const std::string& home);

    /// Whether this is where the tool would look with its variable unset. The
    /// desktop keyring's Claude item belongs to that folder only.
    [[nodiscard]] bool isStandardPlace(const std::string& home) const;

    /// What the tool's variable holds for the tool to look here: the path, or
    /// nothing (the variable unset) for the standard folder. A value Ostrel
    /// could not use (blank, relative) is never passed on.
    [[nodiscard]] std::optional<std::string> variableValue() const;

    bool operator==(const ToolFolder&) const = default;
};

}  // namespace ostrel
