#pragma once
// The two programs of an install. `ostrel`, the command on PATH, answers
// status requests itself with nothing but the core and Qt Core loaded, so a
// bar or a prompt that runs it every few seconds pays little; for everything
// else it becomes `ostrel-app`, the tray application, which lives beside it
// in a build tree and in the install's libexec folder otherwise.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace ostrel::ProgramPaths {

inline constexpr std::string_view commandName = "ostrel";
inline constexpr std::string_view appName = "ostrel-app";

/// The running program's own file; absent when the system does not say.
[[nodiscard]] std::optional<std::filesystem::path> self();

/// The tray application that `command` starts; absent when neither place holds one.
[[nodiscard]] std::optional<std::filesystem::path> appFor(const std::filesystem::path& command);

/// The command that starts the application at `app`, for entries that start
/// Ostrel again (the login item, Claude Code's status line); the bare name,
/// found on PATH, when neither place holds one.
[[nodiscard]] std::filesystem::path commandFor(const std::filesystem::path& app);

/// `commandFor` the running program.
[[nodiscard]] std::filesystem::path command();

}  // namespace ostrel::ProgramPaths
