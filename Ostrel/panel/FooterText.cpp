#include "panel/FooterText.h"

#include "model/RelativeAge.h"
#include "model/RenewalText.h"

namespace ostrel {

FooterText FooterText::make(const Inputs& inputs, Date now, const RenewalText& renewal)
{
    FooterText footer;
    footer.copied = inputs.copied;
    footer.updateVersion = inputs.availableVersion;
    if (inputs.copied) {
        footer.status = "Snapshot copied";
        return footer;
    }
    if (inputs.lastUpdated) {
        const std::string age = RelativeAge::text(*inputs.lastUpdated, now);
        footer.status = age == "now" ? std::string("Updated just now") : "Updated " + age + " ago";
    } else {
        footer.status = "Waiting for first reading";
    }
    if (inputs.nextRefresh) {
        footer.next = "next " + renewal.clock(*inputs.nextRefresh);
    }
    return footer;
}

}  // namespace ostrel
