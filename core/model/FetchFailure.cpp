#include "model/FetchFailure.h"

namespace ostrel {

std::string FetchFailure::summary() const
{
    return std::string(labelOf(kind));
}

std::optional<std::string> FetchFailure::detail() const
{
    if (kind == Kind::unreachable || kind == Kind::unexpected) {
        return text;
    }
    return std::nullopt;
}

}  // namespace ostrel
