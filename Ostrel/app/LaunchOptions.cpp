#include "app/LaunchOptions.h"

#include <algorithm>
#include <string_view>

namespace ostrel {

LaunchOptions LaunchOptions::parse(const std::vector<std::string>& arguments)
{
    auto has = [&](std::string_view flag) {
        return std::ranges::find(arguments, flag) != arguments.end();
    };

    LaunchOptions options;
    options.isDemo = has("--demo") || has("--export-snapshots");
    if (auto it = std::ranges::find(arguments, "--export-snapshots");
        it != arguments.end() && it + 1 != arguments.end()) {
        // A relative folder is relative to the working directory at launch.
        options.exportFolder = std::filesystem::absolute(*(it + 1));
    }
    options.preview = has("--preview");
    options.light = options.preview && has("--light");
    options.settings = has("--settings");

    options.status = has("--status");
    options.watch = has("--watch");
    options.refresh = has("--refresh");
    options.statusLine = has("--statusline");
    for (auto it = arguments.begin(); it != arguments.end(); ++it) {
        constexpr std::string_view joinedForm = "--format=";
        if (*it == "--format") {
            options.statusFormat = it + 1 != arguments.end() ? *(it + 1) : std::string{};
        } else if (it->starts_with(joinedForm)) {
            options.statusFormat = it->substr(joinedForm.size());
        }
    }
    return options;
}

}  // namespace ostrel
