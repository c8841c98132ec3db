#pragma once
// The pacing of one usage window: how much allowance is left against how much
// of the window's time is left, condensed into a tier, a five-cell gauge, a
// percentage and a short time text. Computed fresh, never stored.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "model/Date.h"
#include "model/EnumRows.h"
#include "model/UsageWindow.h"

namespace ostrel {

enum class PaceTier
{
    blue,
    green,
    yellow,
    red
};

struct PaceTierRow
{
    PaceTier value;
    std::string_view raw;
    std::string_view label;  ///< the headline
    std::string_view emoji;  ///< the coloured square of the summary text
};

[[nodiscard]] constexpr auto enumRows(PaceTier /*tag*/)
{
    return std::to_array<PaceTierRow>({
        {PaceTier::blue, "blue", "Plenty available", "\U0001F7E6"},
        {PaceTier::green, "green", "On pace", "\U0001F7E9"},
        {PaceTier::yellow, "yellow", "Getting tight", "\U0001F7E8"},
        {PaceTier::red, "red", "Very tight", "\U0001F7E5"},
    });
}

inline constexpr auto allPaceTiers = allCases<PaceTier>;

[[nodiscard]] std::string_view headline(PaceTier tier);
[[nodiscard]] std::string_view emoji(PaceTier tier);

struct Pace
{
    static constexpr int cellCount = 5;
    static constexpr double blueMinimumAllowance = 0.2;
    static constexpr double resetWarningWindow = 172800;  ///< seconds

    double allowanceFraction = 0;
    std::optional<double> timeFraction;
    std::optional<double> timeRemaining;  ///< seconds, never negative
    double ratio = 0;
    PaceTier tier = PaceTier::red;
    int litCells = 0;
    bool resetWarning = false;

    [[nodiscard]] static Pace make(const UsageWindow& window, Date now);

    [[nodiscard]] static PaceTier tierFor(double ratio, double allowance);
    [[nodiscard]] static int cells(double fraction);
    [[nodiscard]] static int percent(double fraction);
    [[nodiscard]] static std::string formatTimeRemaining(double seconds);

    [[nodiscard]] int percentLeft() const
    {
        return percent(allowanceFraction);
    }

    [[nodiscard]] std::string timeText() const;
    [[nodiscard]] std::string emojiLine(std::string_view name) const;

    bool operator==(const Pace&) const = default;
};

}  // namespace ostrel
