#pragma once
// The user's configuration folder by the XDG rules: the settings file and the
// autostart entry both live below it.

#include <filesystem>
#include <optional>
#include <string_view>

namespace ostrel {

/// $XDG_CONFIG_HOME when it is an absolute path, else `home`/.config. An empty
/// or relative value is ignored, as the XDG rules ask.
[[nodiscard]] std::filesystem::path configHome(std::optional<std::string_view> xdgConfigHome,
                                               const std::filesystem::path& home);

/// `configHome` over this process's environment and home folder.
[[nodiscard]] std::filesystem::path currentConfigHome();

}  // namespace ostrel
