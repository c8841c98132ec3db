#include "posix/ShellWord.h"

#include <algorithm>
#include <cctype>

namespace ostrel::posix {

std::string shellWord(std::string_view text)
{
    const bool plain = !text.empty() && std::ranges::all_of(text, [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || std::string_view("_./+-:@%,=").contains(c);
    });
    if (plain) {
        return std::string(text);
    }
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

}  // namespace ostrel::posix
