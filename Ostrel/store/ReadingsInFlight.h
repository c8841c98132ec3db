#pragma once
// The readings the store has started and not yet recorded. An account is
// never read twice at once: asking again while its reading runs marks it to
// be read again once that one is recorded (it may have started with settings
// since changed), and whoever must know when a reading is recorded waits on
// the one in flight rather than starting another. Main thread only.

#include <functional>
#include <map>
#include <set>
#include <vector>

#include <QFuture>

#include "model/ToolAccount.h"

namespace ostrel {

class ReadingsInFlight
{
public:
    /// The accounts being read.
    [[nodiscard]] const std::set<AccountKey>& accounts() const
    {
        return m_accounts;
    }

    [[nodiscard]] bool contains(const AccountKey& account) const
    {
        return m_accounts.contains(account);
    }

    void start(const AccountKey& account);
    /// The account's reading ended. What waits for it is told later, by `settle`,
    /// once the store has recorded and saved the reading for them to find.
    void end(const AccountKey& account);
    /// Where the account's reading is in flight, it is read again once that one is recorded.
    void readAgainWhenRecorded(const AccountKey& account);
    /// `recorded` is called once the account's reading in flight is recorded.
    void whenRecorded(const AccountKey& account, std::function<void()> recorded);
    /// Finishes once a reading of each of `accounts` is recorded; at once for none.
    [[nodiscard]] QFuture<void> allRecorded(const std::vector<AccountKey>& accounts);
    /// Calls what waited for the account's reading; whether it is to be read again.
    [[nodiscard]] bool settle(const AccountKey& account);

private:
    std::set<AccountKey> m_accounts;
    std::set<AccountKey> m_readAgain;
    std::map<AccountKey, std::vector<std::function<void()>>> m_waiting;
};

}  // namespace ostrel
