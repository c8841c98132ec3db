#include "readers/ToolFolder.h"

#include <array>

namespace ostrel {

std::optional<std::filesystem::path> ToolFolder::resolve(std::string_view text, const std::string& home)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    std::string trimmed(text.substr(first, text.find_last_not_of(" \t") - first + 1));
    if (trimmed == "~" || trimmed.starts_with("~/")) {
        trimmed.replace(0, 1, home);
    }
    std::filesystem::path path(std::move(trimmed));
    if (!path.is_absolute()) {
        return std::nullopt;
    }
    // "/home/ann/.claude/" and "/home/ann/.claude" are one folder.
    path = path.lexically_normal();
    if (path.has_parent_path() && !path.has_filename()) {
        path = path.parent_path();
    }
    return path;
}

std::string_view ToolFolder::variable(Provider provider)
{
    return folderVariable(provider);
}

std::string_view ToolFolder::credentialsName(Provider provider)
{
    return provider == Provider::claude ? ".credentials.json" : "auth.json";
}

std::filesystem::path ToolFolder::standardPath(Provider provider, const std::string& home)
{
    return std::filesystem::path(home) / (provider == Provider::claude ? ".claude" : ".codex");
}

ToolFolder ToolFolder::choose(Provider provider,
                              const std::optional<std::string>& setting,
                              const std::optional<std::string>& environmentValue,
                              const std::optional<std::string>& loginShellValue,
                              const std::string& home)
{
    const std::array candidates{std::pair{&setting, Source::settings},
                                std::pair{&environmentValue, Source::environment},
                                std::pair{&loginShellValue, Source::loginShell}};
    for (const auto& [candidate, source] : candidates) {
        if (auto path = *candidate ? resolve(**candidate, home) : std::nullopt) {
            return {provider, std::move(*path), source};
        }
    }
    return {provider, standardPath(provider, home), Source::standard};
}

bool ToolFolder::isStandardPlace(const std::string& home) const
{
    return path == standardPath(provider, home).lexically_normal();
}

std::optional<std::string> ToolFolder::variableValue() const
{
    if (source == Source::standard) {
        return std::nullopt;
    }
    return path.string();
}

}  // namespace ostrel
