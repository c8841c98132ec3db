#pragma once
// Finds the claude and codex executables, their own folders and the
// environment they run in. The search list joins the PATH the user's login
// shell reports, the usual install folders and the application's own PATH. The
// login shell is asked once for its PATH and the tools' two folder variables,
// and its answer is kept until reset(); callers that ask while it runs wait for
// that one answer. Thread-safe; the lock is not held while the shell runs.

#include <compare>
#include <filesystem>
#include <future>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Date.h"
#include "model/Provider.h"
#include "readers/ProcessRunner.h"
#include "readers/ToolFolder.h"

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

    /// The user's home folder, without a trailing '/'.
    [[nodiscard]] const std::string& home() const
    {
        return m_system.home;
    }

    /// What the login shell reported: its PATH's folders and the tools' folder
    /// variables it sets (only those, and only when not empty).
    struct LoginShell
    {
        std::vector<std::string> path;
        std::map<std::string, std::string, std::less<>> variables;

        bool operator==(const LoginShell&) const = default;
    };

    /// The merged, de-duplicated search list, from the login shell's kept answer.
    [[nodiscard]] std::vector<std::string> searchPath();

    /// Forgets the login shell's answer, so the next search asks it again.
    void reset();

    /// The executable for `name`. A non-blank override wins outright ("~/"
    /// expanded, spaces and tabs trimmed): it is returned when it is an
    /// executable file and nothing is returned otherwise, with no search.
    [[nodiscard]] std::optional<std::filesystem::path> locate(std::string_view name,
                                                              const std::optional<std::string>& override);

    /// The provider's tool folder: the `setting` when not blank, else the
    /// variable from this process's environment or the login shell's.
    [[nodiscard]] ToolFolder folder(Provider provider, const std::optional<std::string>& setting);

    /// The application's environment with PATH = the executable's folder, then
    /// the search list; NO_COLOR=1 and TERM=dumb; the tool's folder variable
    /// set to `folder` unless that is the standard one (then unset).
    [[nodiscard]] ProcessRunner::Environment environment(const std::filesystem::path& executable,
                                                         const ToolFolder& folder);

    /// The pieces between "__OSTREL_PATH__" markers: the PATH's folders (empty
    /// ones dropped), then CLAUDE_CONFIG_DIR and CODEX_HOME. A piece without
    /// its closing marker counts as missing.
    [[nodiscard]] static LoginShell parseLoginShell(std::string_view output);

    /// Compares as people read version folders: runs of digits by their value
    /// ("v9" < "v10"), letters without regard to case.
    [[nodiscard]] static std::strong_ordering compareNumericAware(std::string_view left, std::string_view right);

    /// The fixed install folders, Node versions under ~/.nvm newest first.
    [[nodiscard]] std::vector<std::string> wellKnownFolders() const;

private:
    /// The login shell's answer, asked at most once until reset().
    [[nodiscard]] LoginShell loginShell();
    [[nodiscard]] LoginShell askLoginShell() const;
    [[nodiscard]] std::string expandTilde(std::string path) const;

    System m_system;
    std::mutex m_lock;
    std::shared_future<LoginShell> m_loginShell;
};

}  // namespace ostrel
