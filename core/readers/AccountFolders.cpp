#include "readers/AccountFolders.h"

#include <algorithm>
#include <system_error>

#include "readers/ToolFolder.h"

namespace ostrel::AccountFolders {
namespace {

/// ".claude-" or ".codex-": the standard folder's name and a '-'.
[[nodiscard]] std::string prefix(Provider provider)
{
    return ToolFolder::standardPath(provider, "/").filename().string() + "-";
}

[[nodiscard]] bool sameFolder(const std::filesystem::path& left, const std::filesystem::path& right)
{
    std::error_code error;
    return left.lexically_normal() == right.lexically_normal() || std::filesystem::equivalent(left, right, error);
}

/// A folder of the tool's sign-in: only the file's type is asked for, never its content.
[[nodiscard]] bool holdsSignIn(Provider provider, const std::filesystem::path& folder)
{
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        return false;
    }
    return std::filesystem::is_regular_file(folder / ToolFolder::credentialsName(provider), error);
}

}  // namespace

std::vector<std::filesystem::path>
suggestions(Provider provider, const std::filesystem::path& home, std::span<const std::filesystem::path> existing)
{
    const std::string start = prefix(provider);
    std::vector<std::filesystem::path> candidates;
    std::error_code error;
    for (std::filesystem::directory_iterator it(home, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() > start.size() && name.starts_with(start) && holdsSignIn(provider, it->path())) {
            candidates.push_back(it->path());
        }
    }
    std::ranges::sort(candidates);
    std::vector<std::filesystem::path> found;
    for (const auto& candidate : candidates) {
        const auto same = [&](const std::filesystem::path& other) {
            return sameFolder(candidate, other);
        };
        if (std::ranges::none_of(existing, same) && std::ranges::none_of(found, same)) {
            found.push_back(candidate);
        }
    }
    return found;
}

std::string proposedName(Provider provider, const std::filesystem::path& folder)
{
    std::string name = folder.filename().string();
    const std::string start = prefix(provider);
    if (name.size() > start.size() && name.starts_with(start)) {
        name.erase(0, start.size());
    }
    std::ranges::replace_if(
        name,
        [](char c) { return c == '-' || c == '_'; },
        ' ');
    if (!name.empty() && name.front() >= 'a' && name.front() <= 'z') {
        name.front() = static_cast<char>(name.front() - 'a' + 'A');
    }
    return name;
}

}  // namespace ostrel::AccountFolders
