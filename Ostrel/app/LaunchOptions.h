#pragma once
// The command-line switches, read from the process arguments exactly as
// given (whole-argument matches, anywhere in the list).

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ostrel {

struct LaunchOptions
{
    /// "--demo" or "--export-snapshots" anywhere.
    bool isDemo = false;
    /// The folder after "--export-snapshots"; absent when the switch is missing or last.
    std::optional<std::filesystem::path> exportFolder;
    bool preview = false;
    /// "--light" counts only together with "--preview".
    bool light = false;
    bool settings = false;

    /// "--status": print the providers' state for bars, terminals and scripts, then exit.
    bool status = false;
    /// The word after "--format" (or of "--format=word"); "" when "--format" is last.
    std::optional<std::string> statusFormat;
    /// "--watch": with "--status", print again whenever the state changes.
    bool watch = false;
    /// "--refresh": have the running app read the providers; with "--status", read them first and print.
    bool refresh = false;
    /// "--statusline": one line for Claude Code's status line, from what it passes on standard input.
    bool statusLine = false;

    /// `arguments` is the full argument list, program path first.
    [[nodiscard]] static LaunchOptions parse(const std::vector<std::string>& arguments);
};

}  // namespace ostrel
