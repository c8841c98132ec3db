#pragma once
// The status-line entry of Claude Code's settings file (settings.json in its folder):
// whether one is set and whether it is ours, and adding ours when none is.
// Adding keeps every byte of the file around the new entry, the file's mode and
// a copy of it beside it, and replaces it atomically; another status line, or a
// file that cannot be read as a JSON object, is never touched.

#include <expected>
#include <filesystem>
#include <string>
#include <string_view>

namespace ostrel {

class ClaudeStatusLineSetting
{
public:
    enum class State
    {
        absent,      ///< no file, or no `statusLine` in it
        ours,        ///< a command status line that runs our command
        another,     ///< any other `statusLine`
        malformed,   ///< not a JSON object
        unreadable,  ///< no regular file that can be read (or a link to nothing)
    };

    struct Inspection
    {
        State state = State::absent;
        /// One line for the user when the state is malformed or unreadable.
        std::string message;

        bool operator==(const Inspection&) const = default;
    };

    struct AddFailure
    {
        enum class Kind
        {
            alreadySet,  ///< ours or another status line is there
            unusable,    ///< the file is malformed or unreadable
            backup,      ///< the copy beside it could not be written
            write,       ///< the folder or the file could not be written
        };

        Kind kind = Kind::write;
        std::string message;  ///< one line for the user

        bool operator==(const AddFailure&) const = default;
    };

    /// Files larger than this are no settings file of Claude Code's and are left alone.
    static constexpr std::uintmax_t largestFile = std::uintmax_t{4} * 1024 * 1024;

    /// `file` is the settings file (a link is followed to the file it leads to);
    /// `command` the command line Claude Code is to run, such as "ostrel --statusline".
    ClaudeStatusLineSetting(std::filesystem::path file, std::string command);

    /// The entry as it is added, for the user to read or copy:
    /// `"statusLine": {` and the object's members two spaces in, then `}`.
    [[nodiscard]] std::string entry() const;

    /// Where the copy of the file as it was before adding goes: beside it, never
    /// beside the file a link leads to.
    [[nodiscard]] std::filesystem::path backupFile() const;

    [[nodiscard]] Inspection inspect() const;

    /// Adds the entry when no status line is set. A missing file is created with
    /// mode 0600, its missing folders with 0700; an existing one is first copied
    /// to backupFile() (mode 0600) and keeps its own mode.
    [[nodiscard]] std::expected<void, AddFailure> add() const;

    /// What `text`, a settings file's content, says about the status line of `command`.
    [[nodiscard]] static Inspection inspectText(std::string_view text, std::string_view command);

    /// The command line runs ostrel's status line: `command` itself, or any
    /// `…/ostrel --statusline` (the same program found by another path).
    [[nodiscard]] static bool runsOurs(std::string_view line, std::string_view command);

private:
    std::filesystem::path m_file;
    std::string m_command;
};

}  // namespace ostrel
