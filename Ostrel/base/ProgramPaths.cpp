#include "base/ProgramPaths.h"

#include <unistd.h>

#include <string_view>
#include <system_error>

namespace ostrel::ProgramPaths {
namespace {

namespace fs = std::filesystem;

// Relative paths between the install's bin and libexec folders, from the build.
#ifndef OSTREL_APP_FROM_COMMAND
#define OSTREL_APP_FROM_COMMAND "../libexec/ostrel"
#endif
#ifndef OSTREL_COMMAND_FROM_APP
#define OSTREL_COMMAND_FROM_APP "../../bin"
#endif

[[nodiscard]] bool isExecutableFile(const fs::path& file)
{
    std::error_code error;
    return fs::is_regular_file(file, error) && ::access(file.c_str(), X_OK) == 0;
}

[[nodiscard]] std::optional<fs::path>
firstExecutable(const fs::path& folder, std::string_view otherFolder, std::string_view name)
{
    for (const fs::path& candidate : {folder / name, (folder / otherFolder / name).lexically_normal()}) {
        if (isExecutableFile(candidate)) {
            return candidate;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<fs::path> self()
{
    std::error_code error;
    fs::path own = fs::read_symlink("/proc/self/exe", error);
    if (error || own.empty()) {
        return std::nullopt;
    }
    return own;
}

std::optional<fs::path> appFor(const fs::path& command)
{
    return firstExecutable(command.parent_path(), OSTREL_APP_FROM_COMMAND, appName);
}

fs::path commandFor(const fs::path& app)
{
    return firstExecutable(app.parent_path(), OSTREL_COMMAND_FROM_APP, commandName).value_or(fs::path(commandName));
}

fs::path command()
{
    const std::optional<fs::path> own = self();
    return own ? commandFor(*own) : fs::path(commandName);
}

}  // namespace ostrel::ProgramPaths
