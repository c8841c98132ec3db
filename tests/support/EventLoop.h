#pragma once
// Runs the Qt event loop until a condition holds, for app tests whose results
// arrive from worker threads.

#include <chrono>
#include <functional>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace ostrel::testing {

/// True once `done` holds; false when `limit` passed first.
[[nodiscard]] inline bool spinUntil(const std::function<bool()>& done,
                                    std::chrono::milliseconds limit = std::chrono::seconds(10))
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > limit.count()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

/// Keeps the event loop running for `span`, for checks that something does not happen.
inline void spinFor(std::chrono::milliseconds span)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < span.count()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
}

}  // namespace ostrel::testing
