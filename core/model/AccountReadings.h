#pragma once
// The readings of the named accounts (ToolAccount) in the readings file. The
// default accounts keep the two keys the file always had ("snapshots",
// "history"), so that a file written with named accounts still reads, for its
// default accounts, in a release that knows none; the named ones follow under
// one key of their own, "accounts", written only when there are any:
//   "accounts":[{"provider":"claude","account":"work","snapshot":{…},"history":[…]}]

#include <map>
#include <vector>

#include "model/AllowancePoint.h"
#include "model/Json.h"
#include "model/ProviderSnapshot.h"
#include "model/ToolAccount.h"

namespace ostrel {

/// What the file keeps of one named account: what a default account keeps
/// under "snapshots" and "history".
struct AccountReadings
{
    ProviderSnapshot snapshot;
    std::vector<AllowancePoint> history;

    bool operator==(const AccountReadings&) const = default;
};

/// Keyed by named accounts alone: an empty id is never among them.
using AccountReadingsMap = std::map<AccountKey, AccountReadings>;

namespace AccountReadingsJson {

/// The top-level key the named accounts are kept under.
inline constexpr std::string_view key = "accounts";

/// The array kept under `key`, in the order of the map.
[[nodiscard]] Json::Value encode(const AccountReadingsMap& accounts);

/// The entries of `value` that read, each on its own: an entry that is not
/// an object, names a provider this release does not know, has an id that no
/// account could have or one an earlier entry had, or whose snapshot or history
/// does not read, is left out; a value that is not an array gives none.
[[nodiscard]] AccountReadingsMap decode(const Json::Value& value);

}  // namespace AccountReadingsJson
}  // namespace ostrel
