#pragma once
// Why a reading failed. Failures are values returned by the readers, never
// exceptions.

#include <optional>
#include <string>

#include "model/EnumRows.h"

namespace ostrel {

struct FetchFailure
{
    enum class Kind
    {
        unreachable,  ///< transport, time-out and tool failures; `text` says what
        unexpected,   ///< a reply of the wrong shape; `text` says what was wrong
        cliMissing,
        notLoggedIn
    };

    Kind kind = Kind::unexpected;
    std::string text;  ///< empty for cliMissing and notLoggedIn

    [[nodiscard]] static FetchFailure unreachable(std::string what)
    {
        return {Kind::unreachable, std::move(what)};
    }

    [[nodiscard]] static FetchFailure unexpected(std::string what)
    {
        return {Kind::unexpected, std::move(what)};
    }

    [[nodiscard]] static FetchFailure cliMissing()
    {
        return {Kind::cliMissing, {}};
    }

    [[nodiscard]] static FetchFailure notLoggedIn()
    {
        return {Kind::notLoggedIn, {}};
    }

    /// "Couldn't reach provider", "Unreadable response", "CLI not found", "Not signed in".
    [[nodiscard]] std::string summary() const;
    /// The associated text for unreachable and unexpected, absent otherwise.
    [[nodiscard]] std::optional<std::string> detail() const;

    bool operator==(const FetchFailure&) const = default;
};

/// Raw values as kept in our files; labels are the summaries.
[[nodiscard]] constexpr auto enumRows(FetchFailure::Kind /*tag*/)
{
    using Kind = FetchFailure::Kind;
    return std::to_array<EnumRow<Kind>>({
        {Kind::unreachable, "unreachable", "Couldn't reach provider"},
        {Kind::unexpected, "unexpected", "Unreadable response"},
        {Kind::cliMissing, "cliMissing", "CLI not found"},
        {Kind::notLoggedIn, "notLoggedIn", "Not signed in"},
    });
}

}  // namespace ostrel
