#pragma once
// A throw-away home for tests that find and run the tools: files written into
// it, and the system a ToolLocator sees there. Without a SHELL the fallback
// shell is one that cannot start, so no login shell runs unless a test names one.

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>

#include "readers/ToolLocator.h"
#include "support/TemporaryFolder.h"

namespace ostrel::testing {

class FakeHome
{
public:
    explicit FakeHome(std::string_view stem = "ostrel-home")
        : m_folder(stem)
    {}

    [[nodiscard]] const std::filesystem::path& path() const
    {
        return m_folder.path();
    }

    /// Writes a file, creating its folders; returns its whole path.
    std::string write(const std::filesystem::path& relative, std::string_view content, bool executable = false) const
    {
        const std::filesystem::path file = path() / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << content;
        if (executable) {
            std::filesystem::permissions(file, std::filesystem::perms::owner_all);
        }
        return file.string();
    }

    /// HOME, the system folders on PATH and `more`, which may replace either.
    [[nodiscard]] ToolLocator::System system(std::map<std::string, std::string> more = {}) const
    {
        ToolLocator::System system;
        system.home = path().string();
        more.insert({{"HOME", system.home}, {"PATH", "/usr/bin:/bin"}});
        system.variables = std::move(more);
        system.fallbackShell = (path() / "no-such-shell").string();
        return system;
    }

private:
    TemporaryFolder m_folder;
};

}  // namespace ostrel::testing
