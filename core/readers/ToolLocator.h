#pragma once
// Finds the claude and codex executables and the environment they run in. The
// search list joins the PATH the user's login shell reports, the usual install
// folders and the application's own PATH; it is built once and cached until
// reset(). Thread-safe; the lock is not held while the login shell runs.

#include <compare>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Date.h"
#include "readers/ProcessRunner.h"

namespace ostrel {

class ToolLocator
{
public:
    /// What the locator takes from the system, injectable so tests use a
    /// temporary home and a fake login shell.
    struct System
    {
        std::string home;                              ///< the user's home folder, without a trailing '/'
        std::map<std::string, std::string> variables;  ///< the application's complete environment
        /// The shell run when SHELL is unset or empty.
        std::string fallbackShell = "/bin/zsh";
        Seconds shellTimeout{6};

        /// This process's environment and home; the fallback shell is the
        /// account's login shell when the user database names one.
        [[nodiscard]] static System current();
    };

    explicit ToolLocator(System system);

    /// The instance the readers share, built from System::current() on first use.
    [[nodiscard]] static ToolLocator& shared();

    /// The merged, de-duplicated search list, computed on first use.
    [[nodiscard]] std::vector<std::string> searchPath();

    /// Forgets the search list, so the next search asks the login shell again.
    void reset();

    /// The executable for `name`. A non-blank override wins outright ("~/"
    /// expanded, spaces and tabs trimmed): it is returned when it is an
    /// executable file and nothing is returned otherwise, with no search.
    [[nodiscard]] std::optional<std::filesystem::path> locate(std::string_view name,
                                                              const std::optional<std::string>& override);

    /// The application's environment with PATH = the executable's folder, then
    /// the search list; NO_COLOR=1 and TERM=dumb.
    [[nodiscard]] ProcessRunner::Environment environment(const std::filesystem::path& executable);

    /// The folders between the first two "__OSTREL_PATH__" markers, empty pieces
    /// dropped; empty when either marker is missing.
    [[nodiscard]] static std::vector<std::string> parseLoginShellPath(std::string_view output);

    /// Compares as people read version folders: runs of digits by their value
    /// ("v9" < "v10"), letters without regard to case.
    [[nodiscard]] static std::strong_ordering compareNumericAware(std::string_view left, std::string_view right);

    /// The fixed install folders, Node versions under ~/.nvm newest first.
    [[nodiscard]] std::vector<std::string> wellKnownFolders() const;

private:
    [[nodiscard]] std::vector<std::string> loginShellPath() const;
    [[nodiscard]] std::vector<std::string> buildSearchPath() const;
    [[nodiscard]] std::string expandTilde(std::string path) const;

    System m_system;
    std::mutex m_lock;
    std::optional<std::vector<std::string>> m_cachedSearchPath;
};

}  // namespace ostrel
