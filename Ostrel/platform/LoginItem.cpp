#include "platform/LoginItem.h"

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <system_error>

#include "base/ConfigHome.h"
#include "base/ProgramPaths.h"
#include "posix/AtomicFile.h"
#include "posix/ReadOnlyFile.h"
#include "posix/UniqueFd.h"

namespace ostrel {
namespace {

constexpr mode_t privateFile = S_IRUSR | S_IWUSR;
constexpr mode_t privateFolder = S_IRWXU;
/// An entry is a few hundred bytes; anything far larger is not one to parse.
constexpr std::uint64_t largestEntry = std::uint64_t{1} << 20U;

[[nodiscard]] std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

[[nodiscard]] std::optional<std::string> readEntry(const std::filesystem::path& file)
{
    // Opened once and checked on the open descriptor: a FIFO or a device put in the entry's place is never read.
    auto text = posix::readWhole(file, largestEntry);
    if (!text) {
        return std::nullopt;
    }
    return std::move(*text);
}

}  // namespace

LoginItem::LoginItem(std::filesystem::path entryFile, std::filesystem::path executable)
    : m_entryFile(std::move(entryFile))
    , m_executable(std::move(executable))
{}

LoginItem LoginItem::forCurrentUser()
{
    // The `ostrel` command, not the application it starts: the command is what users and desktops run.
    return {currentConfigHome() / "autostart" / entryName, ProgramPaths::command()};
}

bool LoginItem::isEnabled() const
{
    const std::optional<std::string> text = readEntry(m_entryFile);
    return text && isSwitchedOn(*text);
}

std::expected<void, LoginItemFailure> LoginItem::enable() const
{
    const std::filesystem::path folder = m_entryFile.parent_path();
    if (const auto created = posix::createFolders(folder, privateFolder); !created) {
        return std::unexpected(LoginItemFailure{LoginItemFailure::Kind::cannotCreateFolder,
                                                "Cannot create the folder " + folder.string() + ": "
                                                    + posix::describeErrno(created.error())});
    }
    if (const auto written = posix::writeAtomically(m_entryFile, desktopEntry(m_executable), privateFile); !written) {
        return std::unexpected(
            LoginItemFailure{LoginItemFailure::Kind::cannotWrite,
                             "Cannot write " + m_entryFile.string() + ": " + written.error().text()});
    }
    return {};
}

std::expected<void, LoginItemFailure> LoginItem::disable() const
{
    std::error_code error;
    std::filesystem::remove(m_entryFile, error);
    if (error && error != std::errc::no_such_file_or_directory) {
        return std::unexpected(LoginItemFailure{LoginItemFailure::Kind::cannotRemove,
                                                "Cannot remove " + m_entryFile.string() + ": " + error.message()});
    }
    return {};
}

std::string LoginItem::desktopEntry(const std::filesystem::path& executable)
{
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Ostrel\n"
           "Comment=Weekly allowance pace of Claude Code and Codex, in the tray\n"
           "Exec="
           + execArgument(executable.string())
           + "\n"
             "Icon=ostrel\n"
             "Terminal=false\n"
             "StartupNotify=false\n"
             "X-GNOME-Autostart-enabled=true\n";
}

std::string LoginItem::execArgument(std::string_view argument)
{
    // Quoting comes first and the string-value escapes last, because a reader
    // undoes them in the opposite order.
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
        if (c == '%') {
            quoted += '%';
        }
    }
    quoted += '"';

    std::string escaped;
    escaped.reserve(quoted.size());
    for (const char c : quoted) {
        switch (c) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\t':
            escaped += "\\t";
            break;
        case '\r':
            escaped += "\\r";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

bool LoginItem::isSwitchedOn(std::string_view entryText)
{
    bool inMainGroup = false;
    while (!entryText.empty()) {
        const auto end = entryText.find('\n');
        const std::string_view line = trimmed(entryText.substr(0, end));
        entryText = end == std::string_view::npos ? std::string_view() : entryText.substr(end + 1);
        if (line.starts_with('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        const auto equals = line.find('=');
        if (!inMainGroup || equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = trimmed(line.substr(0, equals));
        const std::string_view value = trimmed(line.substr(equals + 1));
        if ((key == "Hidden" && value == "true") || (key == "X-GNOME-Autostart-enabled" && value == "false")) {
            return false;
        }
    }
    return true;
}

}  // namespace ostrel
