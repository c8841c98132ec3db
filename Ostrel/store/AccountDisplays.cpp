#include "store/AccountDisplays.h"

#include <algorithm>
#include <iterator>
#include <span>

#include "model/OtherDevices.h"
#include "settings/AppSettings.h"
#include "store/ActivityScans.h"

namespace ostrel::AccountDisplays {

ProviderDisplay
display(const Saved& saved, const AppSettings& settings, const AccountKey& account, Date now, double staleAfter)
{
    const ProviderSnapshot* snapshot = ReadingsFile::snapshotOf(saved, account);
    ProviderDisplay shown = ProviderDisplay::make(snapshot ? std::optional(*snapshot) : std::nullopt,
                                                  account.provider,
                                                  now,
                                                  staleAfter,
                                                  ReadingsFile::historyOf(saved, account));
    if (!account.id.empty()) {
        shown.accountId = account.id;
        const ToolAccount named = settings.account(account).value_or(ToolAccount{.name = account.id});
        shown.accountName = named.name;
        shown.accountFolder = named.folder.string();
    }
    return shown;
}

std::vector<std::string> reportLines(const Saved& saved, const AppSettings& settings, Date now, double staleAfter)
{
    std::vector<std::string> lines;
    for (const ToolAccount& account : settings.enabledAccounts()) {
        std::vector<std::string> more = display(saved, settings, account.key(), now, staleAfter).reportLines(now);
        lines.insert(lines.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    }
    return lines;
}

std::vector<AllowancePoint>
glidePath(const Saved& saved, const ActivityScans& activity, const AccountKey& account, Date now)
{
    std::span<const AllowancePoint> scanned;
    if (const ProviderActivity* logged = activity.of(account)) {
        scanned = logged->allowance;
    }
    return ReadingsFile::glidePath(saved, account, scanned, now);
}

std::optional<std::string>
otherDevicesNote(const Saved& saved, const ActivityScans& activity, const AccountKey& account, Date now)
{
    const ProviderSnapshot* snapshot = ReadingsFile::snapshotOf(saved, account);
    const ProviderActivity* logged = activity.of(account);
    if (snapshot == nullptr || !snapshot->lastReading || logged == nullptr) {
        return std::nullopt;
    }
    return OtherDevices::note(*snapshot->lastReading, *logged, now);
}

std::optional<Date> lastUpdated(const Saved& saved, const AppSettings& settings)
{
    std::optional<Date> latest;
    for (const ToolAccount& account : settings.enabledAccounts()) {
        const ProviderSnapshot* snapshot = ReadingsFile::snapshotOf(saved, account.key());
        if (snapshot != nullptr && snapshot->lastReading) {
            const Date fetched = snapshot->lastReading->fetchedAt;
            latest = latest ? std::max(*latest, fetched) : fetched;
        }
    }
    return latest;
}

}  // namespace ostrel::AccountDisplays
