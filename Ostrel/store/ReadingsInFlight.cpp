#include "store/ReadingsInFlight.h"

#include <memory>
#include <utility>

#include <QPromise>

namespace ostrel {

void ReadingsInFlight::start(const AccountKey& account)
{
    m_accounts.insert(account);
}

void ReadingsInFlight::end(const AccountKey& account)
{
    m_accounts.erase(account);
}

void ReadingsInFlight::readAgainWhenRecorded(const AccountKey& account)
{
    if (m_accounts.contains(account)) {
        m_readAgain.insert(account);
    }
}

void ReadingsInFlight::whenRecorded(const AccountKey& account, std::function<void()> recorded)
{
    m_waiting[account].push_back(std::move(recorded));
}

QFuture<void> ReadingsInFlight::allRecorded(const std::vector<AccountKey>& accounts)
{
    auto promise = std::make_shared<QPromise<void>>();
    promise->start();
    QFuture<void> done = promise->future();
    if (accounts.empty()) {
        promise->finish();
        return done;
    }
    auto remaining = std::make_shared<std::size_t>(accounts.size());
    for (const AccountKey& account : accounts) {
        // A reading already in flight started no earlier than the caller's own would: it is joined.
        whenRecorded(account, [promise, remaining] {
            if (--*remaining == 0) {
                promise->finish();
            }
        });
    }
    return done;
}

bool ReadingsInFlight::settle(const AccountKey& account)
{
    const auto waiting = m_waiting.extract(account);
    if (!waiting.empty()) {
        for (const auto& recorded : waiting.mapped()) {
            recorded();
        }
    }
    return m_readAgain.erase(account) > 0;
}

}  // namespace ostrel
