#include "readers/ToolLocator.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <utility>

#include "posix/ChildProcess.h"

namespace ostrel {
namespace {

constexpr std::string_view marker = "__OSTREL_PATH__";
/// PATH, then the two tools' folder variables, each closed by the marker.
constexpr std::string_view shellCommand = "printf '__OSTREL_PATH__%s__OSTREL_PATH__%s__OSTREL_PATH__%s__OSTREL_PATH__' "
                                          "\"$PATH\" \"$CLAUDE_CONFIG_DIR\" \"$CODEX_HOME\"";

[[nodiscard]] std::vector<std::string> splitFolders(std::string_view text)
{
    std::vector<std::string> folders;
    while (!text.empty()) {
        const auto colon = text.find(':');
        if (const auto piece = text.substr(0, colon); !piece.empty()) {
            folders.emplace_back(piece);
        }
        text = colon == std::string_view::npos ? std::string_view{} : text.substr(colon + 1);
    }
    return folders;
}

[[nodiscard]] std::string trimBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

[[nodiscard]] bool isExecutableFile(const std::filesystem::path& path)
{
    // A folder carries the execute bit too, but cannot be run.
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

[[nodiscard]] std::optional<std::string> variable(const std::map<std::string, std::string>& variables,
                                                  const std::string& name)
{
    const auto found = variables.find(name);
    if (found == variables.end() || found->second.empty()) {
        return std::nullopt;
    }
    return found->second;
}

/// The account's entry in the user database: home folder and login shell.
[[nodiscard]] std::pair<std::string, std::string> accountEntry()
{
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
        return {};
    }
    return {found->pw_dir != nullptr ? found->pw_dir : "", found->pw_shell != nullptr ? found->pw_shell : ""};
}

/// The length of the run of digits at the start of `text`.
[[nodiscard]] std::size_t digitRun(std::string_view text)
{
    std::size_t length = 0;
    while (length < text.size() && std::isdigit(static_cast<unsigned char>(text[length])) != 0) {
        ++length;
    }
    return length;
}

[[nodiscard]] std::strong_ordering compareDigits(std::string_view left, std::string_view right)
{
    // Leading zeros do not change a number's value.
    const auto trim = [](std::string_view digits) {
        const auto first = digits.find_first_not_of('0');
        return first == std::string_view::npos ? std::string_view{} : digits.substr(first);
    };
    left = trim(left);
    right = trim(right);
    if (left.size() != right.size()) {
        return left.size() <=> right.size();
    }
    return left.compare(right) <=> 0;
}

}  // namespace

ToolLocator::System ToolLocator::System::current()
{
    System system;
    system.variables = posix::processEnvironment();
    const auto [accountHome, accountShell] = accountEntry();
    system.home = variable(system.variables, "HOME").value_or(accountHome);
    while (system.home.size() > 1 && system.home.ends_with('/')) {
        system.home.pop_back();
    }
    if (!accountShell.empty()) {
        system.fallbackShell = accountShell;
    }
    return system;
}

ToolLocator::ToolLocator(System system)
    : m_system(std::move(system))
{}

ToolLocator& ToolLocator::shared()
{
    static ToolLocator instance(System::current());
    return instance;
}

std::vector<std::string> ToolLocator::searchPath()
{
    std::vector<std::string> all = loginShell().path;
    const auto known = wellKnownFolders();
    all.insert(all.end(), known.begin(), known.end());
    const auto own = splitFolders(variable(m_system.variables, "PATH").value_or(""));
    all.insert(all.end(), own.begin(), own.end());

    std::vector<std::string> unique;
    std::set<std::string_view> seen;
    for (const auto& folder : all) {
        if (!folder.empty() && seen.insert(folder).second) {
            unique.push_back(folder);
        }
    }
    return unique;
}

void ToolLocator::reset()
{
    const std::lock_guard guard(m_lock);
    m_loginShell = {};
}

ToolLocator::LoginShell ToolLocator::loginShell()
{
    std::optional<std::promise<LoginShell>> asking;
    std::shared_future<LoginShell> answer;
    {
        const std::lock_guard guard(m_lock);
        if (!m_loginShell.valid()) {
            asking.emplace();
            m_loginShell = asking->get_future().share();
        }
        answer = m_loginShell;
    }
    // Asked without the lock: the shell may take seconds. Callers meanwhile
    // wait for this answer rather than start shells of their own.
    if (asking) {
        asking->set_value(askLoginShell());
    }
    return answer.get();
}

std::optional<std::filesystem::path> ToolLocator::locate(std::string_view name,
                                                         const std::optional<std::string>& override)
{
    if (const std::string trimmed = trimBlanks(override.value_or("")); !trimmed.empty()) {
        std::error_code error;
        // Absolute, because the runner starts children in another folder.
        const auto path = std::filesystem::absolute(expandTilde(trimmed), error);
        if (error || !isExecutableFile(path)) {
            return std::nullopt;
        }
        return path;
    }
    if (name.empty() || name.find('/') != std::string_view::npos) {
        return std::nullopt;
    }
    for (const auto& folder : searchPath()) {
        // A relative entry would depend on whatever folder the application runs in.
        if (!folder.starts_with('/')) {
            continue;
        }
        std::string candidate = folder;
        if (!candidate.ends_with('/')) {
            candidate += '/';
        }
        candidate += name;
        if (isExecutableFile(candidate)) {
            return std::filesystem::path(candidate);
        }
    }
    return std::nullopt;
}

ToolFolder ToolLocator::folder(Provider provider, const std::optional<std::string>& setting)
{
    const std::string name(ToolFolder::variable(provider));
    auto chosen =
        ToolFolder::choose(provider, setting, variable(m_system.variables, name), std::nullopt, m_system.home);
    if (chosen.source != ToolFolder::Source::standard) {
        return chosen;
    }
    const auto shell = loginShell();
    const auto found = shell.variables.find(name);
    return ToolFolder::choose(provider,
                              std::nullopt,
                              std::nullopt,
                              found == shell.variables.end() ? std::nullopt : std::optional(found->second),
                              m_system.home);
}

ProcessRunner::Environment ToolLocator::environment(const std::filesystem::path& executable, const ToolFolder& folder)
{
    ProcessRunner::Environment environment = m_system.variables;
    // The tool looks where Ostrel looked.
    const std::string name(ToolFolder::variable(folder.provider));
    if (const auto value = folder.variableValue()) {
        environment[name] = *value;
    } else {
        environment.erase(name);
    }
    std::string path = executable.parent_path().string();
    for (const auto& searched : searchPath()) {
        path += ':';
        path += searched;
    }
    environment["PATH"] = path;
    environment["NO_COLOR"] = "1";
    environment["TERM"] = "dumb";
    return environment;
}

ToolLocator::LoginShell ToolLocator::parseLoginShell(std::string_view output)
{
    std::vector<std::string_view> pieces;
    auto start = output.find(marker);
    while (start != std::string_view::npos) {
        start += marker.size();
        const auto end = output.find(marker, start);
        if (end == std::string_view::npos) {
            break;
        }
        pieces.push_back(output.substr(start, end - start));
        start = end;
    }
    LoginShell answer;
    if (!pieces.empty()) {
        answer.path = splitFolders(pieces[0]);
    }
    // In the order the shell command prints them.
    for (const auto& [provider, index] : {std::pair{Provider::claude, 1UZ}, std::pair{Provider::openai, 2UZ}}) {
        if (index < pieces.size() && !pieces[index].empty()) {
            answer.variables.emplace(ToolFolder::variable(provider), pieces[index]);
        }
    }
    return answer;
}

std::strong_ordering ToolLocator::compareNumericAware(std::string_view left, std::string_view right)
{
    const std::string_view wholeLeft = left;
    const std::string_view wholeRight = right;
    while (!left.empty() && !right.empty()) {
        const auto leftDigits = digitRun(left);
        const auto rightDigits = digitRun(right);
        if (leftDigits > 0 && rightDigits > 0) {
            if (const auto order = compareDigits(left.substr(0, leftDigits), right.substr(0, rightDigits));
                std::is_neq(order)) {
                return order;
            }
            left.remove_prefix(leftDigits);
            right.remove_prefix(rightDigits);
            continue;
        }
        const auto leftChar = std::tolower(static_cast<unsigned char>(left.front()));
        const auto rightChar = std::tolower(static_cast<unsigned char>(right.front()));
        if (leftChar != rightChar) {
            return leftChar <=> rightChar;
        }
        left.remove_prefix(1);
        right.remove_prefix(1);
    }
    if (left.size() != right.size()) {
        return left.size() <=> right.size();
    }
    // Equal as read ("v09" and "v9", "A" and "a"): the bytes decide, so the order is total.
    return wholeLeft.compare(wholeRight) <=> 0;
}

std::vector<std::string> ToolLocator::wellKnownFolders() const
{
    const std::string& home = m_system.home;
    std::vector<std::string> folders{
        home + "/.local/bin",
        home + "/.claude/local",
        "/opt/homebrew/bin",
        // Linux homes of the same installers: Homebrew on Linux and pnpm's XDG folder.
        "/home/linuxbrew/.linuxbrew/bin",
        "/usr/local/bin",
        home + "/.npm-global/bin",
        home + "/.bun/bin",
        home + "/.volta/bin",
        home + "/Library/pnpm",
        home + "/.local/share/pnpm",
        home + "/.yarn/bin",
    };
    const std::string nodeVersions = home + "/.nvm/versions/node";
    std::vector<std::string> versions;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(nodeVersions, error), end; !error && entry != end;
         entry.increment(error)) {
        versions.push_back(entry->path().filename().string());
    }
    std::sort(versions.begin(), versions.end(), [](const std::string& left, const std::string& right) {
        return std::is_gt(compareNumericAware(left, right));
    });
    for (const auto& version : versions) {
        std::string folder = nodeVersions;
        folder += '/';
        folder += version;
        folder += "/bin";
        folders.push_back(std::move(folder));
    }
    folders.insert(folders.end(), {"/usr/bin", "/bin", "/usr/sbin", "/sbin"});
    return folders;
}

ToolLocator::LoginShell ToolLocator::askLoginShell() const
{
    const std::string shell = variable(m_system.variables, "SHELL").value_or(m_system.fallbackShell);
    // The application's own environment, as the shell would inherit it.
    const auto output = ProcessRunner::run(shell,
                                           {"-ilc", std::string(shellCommand)},
                                           m_system.variables,
                                           std::nullopt,
                                           std::nullopt,
                                           m_system.shellTimeout);
    if (!output) {
        return {};
    }
    // Status, errors and a time-out do not matter: what came between the markers does.
    return parseLoginShell(output->stdoutText());
}

std::string ToolLocator::expandTilde(std::string path) const
{
    if (path == "~" || path.starts_with("~/")) {
        path.replace(0, 1, m_system.home);
    }
    return path;
}

}  // namespace ostrel
