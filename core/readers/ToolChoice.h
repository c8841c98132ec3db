#pragma once
// What the user chose for one tool in the settings: the executable's path and
// the tool's own folder. A blank or absent value is no choice: the locator
// searches for the executable, and the folder comes from the tool's variable
// or is the standard one.

#include <optional>
#include <string>

namespace ostrel {

struct ToolChoice
{
    std::optional<std::string> path;
    std::optional<std::string> folder;

    bool operator==(const ToolChoice&) const = default;
};

}  // namespace ostrel
