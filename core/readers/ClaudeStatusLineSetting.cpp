#include "readers/ClaudeStatusLineSetting.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "model/JsonText.h"
#include "posix/AtomicFile.h"
#include "posix/ReadOnlyFile.h"
#include "posix/UniqueFd.h"

namespace ostrel {
namespace {

// Order kept: the entry is compared with the file member by member.
using nlohmann::ordered_json;

constexpr std::string_view key = "statusLine";
constexpr std::string_view whiteSpace = " \t\n\r";
constexpr std::string_view leftUnchanged = "; Ostrel left it unchanged.";
constexpr mode_t privateFile = 0600;
constexpr mode_t privateFolder = 0700;

[[nodiscard]] ordered_json entryObject(std::string_view command)
{
    return ordered_json{{"type", "command"}, {"command", command}};
}

/// Line and column (both from 1) of the byte at `offset`.
[[nodiscard]] std::pair<std::size_t, std::size_t> lineAndColumn(std::string_view text, std::size_t offset)
{
    const std::string_view before = text.substr(0, std::min(offset, text.size()));
    const auto lines = static_cast<std::size_t>(std::ranges::count(before, '\n'));
    const auto lastBreak = before.rfind('\n');
    return {lines + 1, before.size() - (lastBreak == std::string_view::npos ? 0 : lastBreak + 1) + 1};
}

/// The document, or the one-line reason it is none; whitespace alone counts as an empty object.
[[nodiscard]] std::expected<ordered_json, std::string> parseSettings(std::string_view text)
{
    if (text.find_first_not_of(whiteSpace) == std::string_view::npos) {
        return ordered_json::object();
    }
    // Checked as JsonText::parse checks it; the parse itself throws, for the error's position.
    if (!JsonText::nestsWithin(text)) {
        return std::unexpected("Claude Code's settings file is nested too deeply to read" + std::string(leftUnchanged));
    }
    try {
        ordered_json document = ordered_json::parse(text);
        if (!document.is_object()) {
            return std::unexpected("Claude Code's settings file holds no JSON object" + std::string(leftUnchanged));
        }
        return document;
    } catch (const ordered_json::parse_error& error) {
        // The error's byte is the one after the last one read, counted from 1.
        const auto [line, column] = lineAndColumn(text, error.byte > 0 ? error.byte - 1 : 0);
        return std::unexpected("Claude Code's settings file is not valid JSON (line " + std::to_string(line)
                               + ", column " + std::to_string(column) + ")" + std::string(leftUnchanged));
    }
}

/// `text` with the entry added as the object's last member: the bytes before and
/// after it stay as they were, so the user's layout, number spellings and escapes survive.
[[nodiscard]] std::string withEntry(std::string_view text, const ordered_json& document, std::string_view command)
{
    const std::string member = "\"" + std::string(key) + "\": " + entryObject(command).dump(2);
    std::string indented = "  ";
    for (const char c : member) {
        indented += c;
        if (c == '\n') {
            indented += "  ";
        }
    }
    const auto close = text.rfind('}');
    if (close == std::string_view::npos) {  // nothing but white space
        return "{\n" + indented + "\n}\n";
    }
    if (document.empty()) {
        const auto open = text.rfind('{', close);
        return std::string(text.substr(0, open + 1)) + "\n" + indented + "\n" + std::string(text.substr(close));
    }
    const auto last = text.find_last_not_of(whiteSpace, close - 1) + 1;
    return std::string(text.substr(0, last)) + ",\n" + indented + std::string(text.substr(last));
}

[[nodiscard]] std::string unreadableMessage(int code)
{
    return "Claude Code's settings file cannot be read (" + posix::describeErrno(code) + ")"
           + std::string(leftUnchanged);
}

[[nodiscard]] std::unexpected<ClaudeStatusLineSetting::AddFailure>
failure(ClaudeStatusLineSetting::AddFailure::Kind kind, std::string message)
{
    return std::unexpected(ClaudeStatusLineSetting::AddFailure{kind, std::move(message)});
}

[[nodiscard]] std::expected<void, ClaudeStatusLineSetting::AddFailure>
writeSettings(const std::filesystem::path& file, std::string_view bytes, mode_t mode)
{
    // A link is followed: the file it leads to is replaced, and the link stays.
    if (const auto written = posix::writeAtomically(file, bytes, mode); !written) {
        return failure(ClaudeStatusLineSetting::AddFailure::Kind::write,
                       "Could not write Claude Code's settings file (" + written.error().text() + ").");
    }
    return {};
}

/// What a file that is there holds: its bytes, or why it is unusable (an absent file holds nothing).
struct Content
{
    bool exists = false;
    std::string bytes;
};

[[nodiscard]] std::expected<Content, std::string> readSettings(const std::filesystem::path& file)
{
    std::error_code error;
    const bool isLink = std::filesystem::is_symlink(std::filesystem::symlink_status(file, error));
    auto bytes = posix::readWhole(file, ClaudeStatusLineSetting::largestFile);
    if (bytes) {
        return Content{true, std::move(*bytes)};
    }
    if (bytes.error() != ENOENT) {
        return std::unexpected(unreadableMessage(bytes.error()));
    }
    if (isLink) {
        // Writing would create the file the link names, wherever that is: the user should decide.
        return std::unexpected("Claude Code's settings file is a link to a file that does not exist"
                               + std::string(leftUnchanged));
    }
    return Content{};
}

}  // namespace

ClaudeStatusLineSetting::ClaudeStatusLineSetting(std::filesystem::path file, std::string command)
    : m_file(std::move(file))
    , m_command(std::move(command))
{}

std::string ClaudeStatusLineSetting::entry() const
{
    return "\"" + std::string(key) + "\": " + entryObject(m_command).dump(2);
}

std::filesystem::path ClaudeStatusLineSetting::backupFile() const
{
    // Beside the name, not the target of a link, which may lie in a repository of the user's.
    return m_file.parent_path() / (m_file.filename().string() + ".ostrel-backup");
}

bool ClaudeStatusLineSetting::runsOurs(std::string_view line, std::string_view command)
{
    const auto first = line.find_first_not_of(whiteSpace);
    if (first == std::string_view::npos) {
        return false;
    }
    line = line.substr(first, line.find_last_not_of(whiteSpace) - first + 1);
    if (line == command) {
        return true;
    }
    std::vector<std::string_view> words;
    for (std::size_t start = 0; start < line.size();) {
        const auto end = std::min(line.find_first_of(whiteSpace, start), line.size());
        words.push_back(line.substr(start, end - start));
        start = std::min(line.find_first_not_of(whiteSpace, end), line.size());
    }
    if (words.size() != 2) {
        return false;
    }
    const std::string_view program = words[0].substr(words[0].rfind('/') + 1);
    return program == "ostrel" && words[1] == "--statusline";
}

ClaudeStatusLineSetting::Inspection ClaudeStatusLineSetting::inspectText(std::string_view text,
                                                                         std::string_view command)
{
    auto document = parseSettings(text);
    if (!document) {
        return {State::malformed, std::move(document.error())};
    }
    const auto found = document->find(key);
    if (found == document->end()) {
        return {State::absent, {}};
    }
    const auto type = found->is_object() ? found->find("type") : found->end();
    const auto line = found->is_object() ? found->find("command") : found->end();
    const bool ours = type != found->end() && *type == "command" && line != found->end() && line->is_string()
                      && runsOurs(line->get<std::string>(), command);
    return {ours ? State::ours : State::another, {}};
}

ClaudeStatusLineSetting::Inspection ClaudeStatusLineSetting::inspect() const
{
    const auto content = readSettings(m_file);
    if (!content) {
        return {State::unreadable, content.error()};
    }
    return content->exists ? inspectText(content->bytes, m_command) : Inspection{};
}

std::expected<void, ClaudeStatusLineSetting::AddFailure> ClaudeStatusLineSetting::add() const
{
    using Kind = AddFailure::Kind;
    const auto content = readSettings(m_file);
    if (!content) {
        return failure(Kind::unusable, content.error());
    }
    if (!content->exists) {
        if (const auto made = posix::createFolders(m_file.parent_path(), privateFolder); !made) {
            return failure(Kind::write,
                           "Could not create the folder of Claude Code's settings ("
                               + posix::describeErrno(made.error()) + ").");
        }
        return writeSettings(m_file, withEntry({}, ordered_json::object(), m_command), privateFile);
    }
    const auto inspection = inspectText(content->bytes, m_command);
    switch (inspection.state) {
    case State::absent:
        break;
    case State::ours:
        return failure(Kind::alreadySet, "Claude Code's status line already shows Ostrel.");
    case State::another:
        return failure(Kind::alreadySet, "Claude Code already has another status line" + std::string(leftUnchanged));
    case State::malformed:
    case State::unreadable:
        return failure(Kind::unusable, inspection.message);
    }
    const auto document = parseSettings(content->bytes);
    const std::string updated = withEntry(content->bytes, *document, m_command);
    // The text was spliced, not written from the document: check it says what it should.
    ordered_json expected = *document;
    expected[key] = entryObject(m_command);
    if (const auto written = parseSettings(updated); !written || *written != expected) {
        return failure(Kind::write,
                       "Could not place the entry in Claude Code's settings file" + std::string(leftUnchanged));
    }

    std::error_code error;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(backupFile(), error))) {
        return failure(Kind::backup,
                       "A link is where the copy of Claude Code's settings file would go" + std::string(leftUnchanged));
    }
    if (const auto saved = posix::writeAtomically(backupFile(), content->bytes, privateFile); !saved) {
        return failure(Kind::backup,
                       "Could not save a copy of Claude Code's settings file (" + saved.error().text() + ")"
                           + std::string(leftUnchanged));
    }
    const auto permissions = std::filesystem::status(m_file, error).permissions();
    const mode_t mode = error ? privateFile : static_cast<mode_t>(permissions) & 07777;
    return writeSettings(m_file, updated, mode);
}

}  // namespace ostrel
