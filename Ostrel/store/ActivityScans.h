#pragma once
// The activity of each account on this computer, from the session logs in
// its folder. Scans run off the main thread one tool after the other, every
// account of a tool in one scan (the scanner reads a folder shared by two
// accounts once); a scan asked for while one runs is made when it ends.
// Demonstration runs show fixed activity and never scan. Main thread only.

#include <map>
#include <optional>
#include <vector>

#include <QObject>
#include <QThreadPool>

#include "base/WallClock.h"
#include "model/Date.h"
#include "model/Provider.h"
#include "model/ProviderActivity.h"
#include "model/ToolAccount.h"
#include "store/UsageReaders.h"

namespace ostrel {

class AppSettings;

class ActivityScans : public QObject
{
    Q_OBJECT

public:
    using Map = std::map<AccountKey, ProviderActivity>;

    ActivityScans(const AppSettings& settings,
                  UsageReaders::Scan scan,
                  Clock clock,
                  QThreadPool& workers,
                  QObject* parent = nullptr);

    /// Shows `activity` for good: no scan is ever made.
    void freeze(Map activity);
    /// Scans unless a scan runs or the last one ended less than `maxAge` seconds ago.
    void refresh(double maxAge);
    /// Scans now, or again as soon as the scan in flight ends.
    void rescan();

    [[nodiscard]] const Map& activity() const
    {
        return m_activity;
    }

    /// The account's activity; absent before its first scan.
    [[nodiscard]] const ProviderActivity* of(const AccountKey& account) const;
    /// The activity of the tool's accounts added up; absent before any of them was scanned.
    [[nodiscard]] std::optional<ProviderActivity> total(Provider provider) const;

    [[nodiscard]] bool scanning() const
    {
        return m_scanning;
    }

    [[nodiscard]] std::optional<Date> lastScan() const
    {
        return m_lastScan;
    }

Q_SIGNALS:
    /// The activity, or whether a scan runs, changed.
    void changed();

private:
    void scanNext(std::vector<Provider> remaining);

    const AppSettings& m_settings;
    UsageReaders::Scan m_scan;
    Clock m_clock;
    QThreadPool& m_workers;
    Map m_activity;
    bool m_frozen = false;
    bool m_scanning = false;
    bool m_scanAgain = false;  ///< to be scanned once the scan in flight ends
    std::optional<Date> m_lastScan;
};

}  // namespace ostrel
