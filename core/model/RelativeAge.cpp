#include "model/RelativeAge.h"

#include <algorithm>
#include <cstdint>

namespace ostrel::RelativeAge {
namespace {

std::string count(double value, char unit)
{
    // Capped so that an age of an absurd size still converts to an integer.
    return std::to_string(static_cast<std::int64_t>(std::min(value, 1e15))) + unit;
}

}  // namespace

std::string text(Date date, Date now)
{
    const double age = (now - date).count();
    if (!(age >= 60)) {
        return "now";
    }
    if (age < 3600) {
        return count(age / 60, 'm');
    }
    if (age < 172800) {
        return count(age / 3600, 'h');
    }
    return count(age / 86400, 'd');
}

}  // namespace ostrel::RelativeAge
