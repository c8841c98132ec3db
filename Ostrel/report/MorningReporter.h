#pragma once
// The daily report: at the chosen local time (6:00 unless changed), after
// fresh readings, one desktop notification with the report lines of every
// enabled provider; caught up at start and after a wake for six hours after
// that time; at most one scheduled report per local calendar day. The store
// and the settings are reached through hooks. Where the desktop shows actions,
// the report opens the panel.

#include <functional>
#include <memory>
#include <optional>

#include <QFuture>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <unicode/calendar.h>

#include "base/WallClock.h"
#include "model/ClockTime.h"
#include "model/Date.h"

namespace ostrel {

class DesktopNotifier;

class MorningReporter : public QObject
{
    Q_OBJECT

public:
    /// What the reporter needs from the store, the settings and the platform.
    /// The first five come from the store and the settings; `now` and
    /// `calendar` default to the wall clock and the user's current calendar.
    struct Hooks
    {
        /// Fresh readings of every enabled provider, recorded and saved.
        std::function<QFuture<void>()> refreshAndWait;
        std::function<QStringList(Date now)> reportLines;
        /// The `morningReport` setting, read when a report falls due.
        std::function<bool()> enabled;
        /// The `morningReportTime` setting, read whenever the next report is found.
        std::function<ClockTime()> reportTime = [] {
            return ClockTime{};
        };
        /// The "lastMorningReport" day key.
        std::function<QString()> lastReportDay;
        std::function<void(const QString&)> setLastReportDay;
        Clock now;
        /// Asked anew at each use, so a change of zone or calendar is followed.
        std::function<std::unique_ptr<icu::Calendar>()> calendar;
        /// Opens the panel: a click on the report, or its "Open panel".
        std::function<void()> openPanel;
    };

    static constexpr const char* dailyTitle = "Ostrel this morning";
    static constexpr const char* testTitle = "Ostrel test report";

    /// `notifier` is borrowed and must outlive the reporter.
    MorningReporter(Hooks hooks, DesktopNotifier& notifier, QObject* parent = nullptr);

    /// Arms the timer for the next report time and catches up a report missed
    /// this morning. Called once, in live runs only.
    void start();

    /// Refreshes, then posts one notification with `title` and the report
    /// lines of that moment. Not gated by the setting or the day key.
    QFuture<void> send(const QString& title);

    /// When the armed timer will report, if it is armed.
    [[nodiscard]] std::optional<Date> nextReportAt() const;

public Q_SLOTS:
    /// After a sleep: timers do not fire reliably across it, so the next report
    /// time is found again and a missed report is caught up.
    void handleWake();
    /// After the report time changed: the same as after a wake.
    void handleTimeChange();

private:
    void schedule(Date after);
    void sendIfDue();
    void timerFired();
    void catchUp();
    void sendDailyReport();
    [[nodiscard]] Date now() const;
    [[nodiscard]] std::unique_ptr<icu::Calendar> calendar() const;

    Hooks m_hooks;
    DesktopNotifier* m_notifier;  ///< never null
    QTimer m_timer;               ///< the next report time
    QTimer m_dueReport;           ///< zero-delay hop from "due" to sending
    std::optional<Date> m_nextReportAt;
};

}  // namespace ostrel
