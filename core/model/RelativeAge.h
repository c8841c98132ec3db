#pragma once
// How long ago something happened, in one compact unit truncated toward zero:
// "now", "5m", "3h" (up to 48 hours), "2d".

#include <string>

#include "model/Date.h"

namespace ostrel::RelativeAge {

/// A `date` later than `now`, or an age that is not a number, reads "now".
[[nodiscard]] std::string text(Date date, Date now);

}  // namespace ostrel::RelativeAge
