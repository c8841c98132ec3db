#include "model/ToolAccount.h"

#include <algorithm>

namespace ostrel {
namespace {

[[nodiscard]] bool isIdCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

[[nodiscard]] char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string ToolAccount::title() const
{
    std::string title(displayName(provider));
    if (!isDefault()) {
        title += " \u00B7 " + name;
    }
    return title;
}

bool isAccountId(std::string_view id)
{
    return !id.empty() && std::ranges::all_of(id, [](char c) { return isIdCharacter(c) || c == '-'; });
}

std::string accountId(std::string_view name, std::span<const std::string> taken)
{
    std::string base;
    bool gap = false;
    // Letters beyond ASCII cannot be spelt in an id; what is left of such a
    // name ("Ünï" → "n") would name it worse than its place does.
    const bool spelt = std::ranges::none_of(name, [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    for (const char c : spelt ? name : std::string_view()) {
        if (isIdCharacter(lowerAscii(c))) {
            if (gap && !base.empty()) {
                base += '-';
            }
            base += lowerAscii(c);
            gap = false;
        } else {
            gap = true;
        }
    }
    const auto free = [&](const std::string& id) {
        return std::ranges::find(taken, id) == taken.end();
    };
    // The default account is the first of the tool's, so the first named one is the second.
    std::size_t number = base.empty() ? taken.size() + 2 : 1;
    const std::string stem = base.empty() ? "account" : base;
    std::string id = base.empty() ? stem + "-" + std::to_string(number) : base;
    while (!free(id)) {
        id = stem + "-" + std::to_string(++number);
    }
    return id;
}

}  // namespace ostrel
