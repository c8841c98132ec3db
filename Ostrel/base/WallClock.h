#pragma once
// The one place the application reads the wall clock; everything below it
// takes the time as a parameter.

#include <chrono>
#include <functional>

#include "model/Date.h"

namespace ostrel {

using Clock = std::function<Date()>;

[[nodiscard]] inline Date wallClockNow()
{
    return std::chrono::time_point_cast<Seconds>(std::chrono::system_clock::now());
}

}  // namespace ostrel
