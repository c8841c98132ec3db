#pragma once
// The texts of the panel's footer, worked out from values so the footer
// widget only shows them: the age of the last reading (or the copy
// confirmation), the time of the next regular refresh, and the button.

#include <optional>
#include <string>

#include "model/Date.h"

namespace ostrel {

class RenewalText;

struct FooterText
{
    /// "Snapshot copied", "Updated just now", "Updated 5m ago" or "Waiting for first reading".
    std::string status;
    bool copied = false;
    /// "next 3:40 PM"; absent while the copy confirmation shows or without a regular refresh.
    std::optional<std::string> next;
    /// The version an update offers; the footer then shows "Update …" instead of "Copy".
    std::optional<std::string> updateVersion;

    struct Inputs
    {
        std::optional<Date> lastUpdated;
        std::optional<Date> nextRefresh;
        bool copied = false;
        std::optional<std::string> availableVersion;
    };

    [[nodiscard]] static FooterText make(const Inputs& inputs, Date now, const RenewalText& renewal);
};

}  // namespace ostrel
