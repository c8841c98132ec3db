#pragma once
// The back-off after failed readings. An account whose reading failed for a
// reason that may pass by itself (no network, an odd reply) is read again
// after five minutes, the wait doubling with each failure in a row up to the
// refresh interval; a success, or a failure that waits for the user (signed
// out, no tool), ends its count. One timer serves every provider, set for the
// one that failed most often. Main thread only.

#include <functional>
#include <map>
#include <memory>

#include <QObject>
#include <QTimer>

#include "model/ProviderReading.h"
#include "model/ToolAccount.h"

namespace ostrel {

class RetrySchedule : public QObject
{
    Q_OBJECT

public:
    /// min(300 × 2^(failures − 1), interval) seconds.
    [[nodiscard]] static double delay(int failures, int intervalMinutes);

    /// `intervalMinutes` gives the refresh interval in effect when a retry is set.
    explicit RetrySchedule(std::function<int()> intervalMinutes, QObject* parent = nullptr);

    /// Counts the result in and sets the timer again after a failure that may pass.
    void record(const AccountKey& account, const FetchResult& result);

    /// The account's last reading failed in a way that is retried.
    [[nodiscard]] bool isFailing(const AccountKey& account) const
    {
        return m_failures.contains(account);
    }

    /// Stops the timer: a retry made now counts as the one that was due.
    void takeDue();

    [[nodiscard]] QTimer* timer() const
    {
        return m_timer.get();
    }

Q_SIGNALS:
    /// The failing providers are due to be read again.
    void due();

private:
    void schedule();

    std::function<int()> m_intervalMinutes;
    std::map<AccountKey, int> m_failures;
    std::unique_ptr<QTimer> m_timer;
};

}  // namespace ostrel
