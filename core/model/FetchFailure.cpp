#include "model/FetchFailure.h"

namespace ostrel {

std::string FetchFailure::summary() const
{
    switch (kind) {
    case Kind::unreachable:
        return "Couldn't reach provider";
    case Kind::unexpected:
        return "Unreadable response";
    case Kind::cliMissing:
        return "CLI not found";
    case Kind::notLoggedIn:
        return "Not signed in";
    }
    return "Unreadable response";
}

std::optional<std::string> FetchFailure::detail() const
{
    if (kind == Kind::unreachable || kind == Kind::unexpected) {
        return text;
    }
    return std::nullopt;
}

}  // namespace ostrel
