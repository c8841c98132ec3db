#pragma once
// What the views are shown of the readings the store keeps: each account's
// display, its glide path joined by its own folder's logs and the note when
// its usage was made on other computers, and over the enabled accounts the
// report lines and the latest reading. Only reads; kept apart from the store's
// main loop, which decides when readings are taken and records them.

#include <optional>
#include <string>
#include <vector>

#include "model/AllowancePoint.h"
#include "model/Date.h"
#include "model/ProviderDisplay.h"
#include "model/ReadingsFile.h"
#include "model/ToolAccount.h"

namespace ostrel {

class ActivityScans;
class AppSettings;

namespace AccountDisplays {

/// The account's display; a named account's carries its id and the name the settings give it.
[[nodiscard]] ProviderDisplay
display(const Saved& saved, const AppSettings& settings, const AccountKey& account, Date now, double staleAfter);
/// The report lines of each enabled account in turn.
[[nodiscard]] std::vector<std::string>
reportLines(const Saved& saved, const AppSettings& settings, Date now, double staleAfter);
/// The account's readings joined by the allowance points its own folder's logs hold.
[[nodiscard]] std::vector<AllowancePoint>
glidePath(const Saved& saved, const ActivityScans& activity, const AccountKey& account, Date now);
/// Set when the account's server-side usage is far above what this computer logged for it.
[[nodiscard]] std::optional<std::string>
otherDevicesNote(const Saved& saved, const ActivityScans& activity, const AccountKey& account, Date now);
/// When the newest reading of an enabled account was taken.
[[nodiscard]] std::optional<Date> lastUpdated(const Saved& saved, const AppSettings& settings);

}  // namespace AccountDisplays
}  // namespace ostrel
