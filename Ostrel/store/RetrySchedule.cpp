#include "store/RetrySchedule.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

namespace ostrel {

double RetrySchedule::delay(int failures, int intervalMinutes)
{
    const double backOff = 300.0 * std::pow(2.0, failures - 1);
    return std::min(backOff, intervalMinutes * 60.0);
}

RetrySchedule::RetrySchedule(std::function<int()> intervalMinutes, QObject* parent)
    : QObject(parent)
    , m_intervalMinutes(std::move(intervalMinutes))
{}

void RetrySchedule::record(const AccountKey& account, const FetchResult& result)
{
    if (result) {
        m_failures.erase(account);
        return;
    }
    switch (result.error().kind) {
    case FetchFailure::Kind::cliMissing:
    case FetchFailure::Kind::notLoggedIn:
        // These wait for the user; the next regular check reads again.
        m_failures.erase(account);
        break;
    case FetchFailure::Kind::unreachable:
    case FetchFailure::Kind::unexpected:
        ++m_failures[account];
        schedule();
        break;
    }
}

void RetrySchedule::takeDue()
{
    if (m_timer) {
        m_timer->stop();
    }
}

void RetrySchedule::schedule()
{
    int most = 0;
    for (const auto& [provider, count] : m_failures) {
        most = std::max(most, count);
    }
    if (most < 1) {
        return;
    }
    m_timer = std::make_unique<QTimer>();
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    // QTimer counts in int milliseconds; a huge stored interval must not wrap around.
    const double milliseconds = std::round(delay(most, m_intervalMinutes()) * 1000);
    m_timer->setInterval(static_cast<int>(std::clamp(milliseconds, 0.0, static_cast<double>(INT_MAX))));
    connect(m_timer.get(), &QTimer::timeout, this, &RetrySchedule::due);
    m_timer->start();
}

}  // namespace ostrel
