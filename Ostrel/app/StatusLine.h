#pragma once
// `ostrel --statusline`: the command Claude Code runs for its status line. It
// reads the session's state that Claude Code passes on standard input (at most
// 1 MiB, for at most a second), prints one line of both providers' pace, with
// Claude's figures from that input when they are fresher than the readings
// file's, and leaves those figures for the running app. Whatever is missing
// or malformed, it prints what it can and exits 0: its output lands in the
// user's prompt, so it never prints errors there.

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

#include "app/StatusOutput.h"
#include "base/WallClock.h"

namespace ostrel {

class StatusLine
{
public:
    static constexpr std::size_t inputLimit = std::size_t{1024} * 1024;
    static constexpr std::chrono::milliseconds inputTime{1000};

    /// Reads `fd` until its end, `inputLimit` bytes or `inputTime`, whichever comes first.
    [[nodiscard]] static std::string readInput(int fd);

    /// Prints the line for `input` on standard output and leaves its figures; always 0.
    [[nodiscard]] static int run(std::string_view input, const StatusOutput::Places& places, const Clock& clock);
};

}  // namespace ostrel
