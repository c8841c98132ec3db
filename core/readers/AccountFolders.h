#pragma once
// Folders in the home that look like another account of a tool: people start
// a second account as `CLAUDE_CONFIG_DIR=~/.claude-work claude` or
// `CODEX_HOME=~/.codex-work codex`, so a folder named ".claude-…" holding
// ".credentials.json", or ".codex-…" holding "auth.json", is offered when an
// account is added. Only the names and types of files are looked at: no
// credentials are ever read.

#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "model/Provider.h"

namespace ostrel::AccountFolders {

/// The folders directly in `home` named after the tool's own folder and a
/// '-' and holding a regular file by the name of the tool's sign-in, sorted,
/// without those that are (or lead to) one of `existing`, and each folder once
/// however many links lead to it. Entries that cannot be looked at, such as
/// links that lead nowhere or in a circle, are passed over.
[[nodiscard]] std::vector<std::filesystem::path>
suggestions(Provider provider, const std::filesystem::path& home, std::span<const std::filesystem::path> existing);

/// A name for the account in `folder`: what follows the tool's prefix, with
/// '-' and '_' as spaces and the first letter capitalised (".claude-work" →
/// "Work"); the folder's own name where that leaves nothing.
[[nodiscard]] std::string proposedName(Provider provider, const std::filesystem::path& folder);

}  // namespace ostrel::AccountFolders
