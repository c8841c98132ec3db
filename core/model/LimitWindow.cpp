#include "model/LimitWindow.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace ostrel {
namespace {

constexpr double hour = 3600;
constexpr double day = 86400;

}  // namespace

std::string periodName(double seconds)
{
    if (std::abs(seconds - UsageWindow::week) < hour) {
        return "week";
    }
    if (std::abs(seconds - day) < hour) {
        return "day";
    }
    if (seconds < day) {
        return std::to_string(static_cast<std::int64_t>(std::max(std::round(seconds / hour), 1.0))) + "-hour window";
    }
    return std::to_string(static_cast<std::int64_t>(std::min(std::round(seconds / day), 1e15))) + "-day window";
}

}  // namespace ostrel
