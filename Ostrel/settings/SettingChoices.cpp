#include "settings/SettingChoices.h"

namespace ostrel {

std::string refreshIntervalLabel(int minutes)
{
    if (minutes == 60) {
        return "hour";
    }
    // Whole hours above an hour read as hours; anything else stays in minutes
    // so an odd stored value is never shown rounded.
    if (minutes > 60 && minutes % 60 == 0) {
        return std::to_string(minutes / 60) + " hours";
    }
    return std::to_string(minutes) + " minutes";
}

}  // namespace ostrel
