#pragma once
// Text as one word of a POSIX shell command line, for commands Ostrel shows
// or writes for a shell to run: the status-line entry in Claude Code's
// settings, the sign-in command of an account in its own folder.

#include <string>
#include <string_view>

namespace ostrel::posix {

/// `text` as it is when it is made of plain characters only, else single-quoted.
[[nodiscard]] std::string shellWord(std::string_view text);

}  // namespace ostrel::posix
