#include "store/ActivityScans.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include <QtConcurrent>

#include "settings/AppSettings.h"

namespace ostrel {

ActivityScans::ActivityScans(const AppSettings& settings,
                             UsageReaders::Scan scan,
                             Clock clock,
                             QThreadPool& workers,
                             QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_scan(std::move(scan))
    , m_clock(std::move(clock))
    , m_workers(workers)
{}

void ActivityScans::freeze(Map activity)
{
    m_frozen = true;
    m_activity = std::move(activity);
}

void ActivityScans::refresh(double maxAge)
{
    if (m_frozen || m_scanning) {
        return;
    }
    if (m_lastScan && (m_clock() - *m_lastScan).count() < maxAge) {
        return;
    }
    m_scanning = true;
    Q_EMIT changed();
    scanNext(m_settings.enabledProviders());
}

void ActivityScans::rescan()
{
    if (m_scanning) {
        m_scanAgain = true;
        return;
    }
    refresh(0);
}

const ProviderActivity* ActivityScans::of(const AccountKey& account) const
{
    const auto found = m_activity.find(account);
    return found == m_activity.end() ? nullptr : &found->second;
}

std::optional<ProviderActivity> ActivityScans::total(Provider provider) const
{
    ProviderActivity sum;
    bool scanned = false;
    for (const auto& [account, activity] : m_activity) {
        if (account.provider != provider) {
            continue;
        }
        sum.tokens.merge(activity.tokens);
        sum.scannedAt = scanned ? std::max(sum.scannedAt, activity.scannedAt) : activity.scannedAt;
        scanned = true;
    }
    return scanned ? std::optional(std::move(sum)) : std::nullopt;
}

void ActivityScans::scanNext(std::vector<Provider> remaining)
{
    if (remaining.empty()) {
        m_lastScan = m_clock();
        m_scanning = false;
        Q_EMIT changed();
        if (std::exchange(m_scanAgain, false)) {
            refresh(0);
        }
        return;
    }
    const Provider provider = remaining.front();
    remaining.erase(remaining.begin());
    std::vector<AccountKey> keys;
    std::vector<ToolChoice> choices;
    for (const ToolAccount& account : m_settings.accounts(provider)) {
        keys.push_back(account.key());
        choices.push_back(m_settings.toolChoice(account));
    }
    // One tool after the other: the scanner works on one scan at a time.
    QtConcurrent::run(&m_workers,
                      [scan = m_scan, clock = m_clock, provider, choices = std::move(choices)] {
                          return scan(provider, choices, clock());
                      })
        .then(this,
              [this, provider, keys = std::move(keys), remaining = std::move(remaining)](
                  const std::vector<ProviderActivity>& scanned) mutable {
                  // The tool's accounts are those of this scan: a removed one's activity goes with it.
                  std::erase_if(m_activity, [provider](const auto& entry) { return entry.first.provider == provider; });
                  for (std::size_t index = 0; index < keys.size() && index < scanned.size(); ++index) {
                      m_activity.insert_or_assign(keys[index], scanned[index]);
                  }
                  Q_EMIT changed();
                  scanNext(std::move(remaining));
              });
}

}  // namespace ostrel
