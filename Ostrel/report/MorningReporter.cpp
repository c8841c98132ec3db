#include "report/MorningReporter.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "base/LocalCalendar.h"
#include "model/MorningSchedule.h"
#include "platform/DesktopNotifier.h"
#include "report/NotificationActions.h"

namespace ostrel {

MorningReporter::MorningReporter(Hooks hooks, DesktopNotifier& notifier, QObject* parent)
    : QObject(parent)
    , m_hooks(std::move(hooks))
    , m_notifier(&notifier)
{
    m_timer.setSingleShot(true);
    // A minute either way does not matter for a morning report; a coarse timer
    // lets the system batch the wake-up with others.
    m_timer.setTimerType(Qt::CoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, &MorningReporter::timerFired);
    // A due report is sent from the event loop, after whatever found it due.
    m_dueReport.setSingleShot(true);
    m_dueReport.setInterval(0);
    connect(&m_dueReport, &QTimer::timeout, this, &MorningReporter::sendDailyReport);
}

void MorningReporter::start()
{
    // Freedesktop notification services have no permission to ask for, so
    // there is nothing to request before the first report.
    schedule(now());
    catchUp();
}

void MorningReporter::handleWake()
{
    schedule(now());
    catchUp();
}

void MorningReporter::handleTimeChange()
{
    handleWake();
}

std::optional<Date> MorningReporter::nextReportAt() const
{
    return m_timer.isActive() ? m_nextReportAt : std::nullopt;
}

void MorningReporter::schedule(Date after)
{
    m_timer.stop();
    m_nextReportAt.reset();
    const std::unique_ptr<icu::Calendar> local = calendar();
    if (local == nullptr) {
        return;
    }
    const std::optional<Date> next = MorningSchedule::nextReportTime(after, *local, m_hooks.reportTime());
    if (!next) {
        return;
    }
    const double millis = std::ceil((*next - now()).count() * 1000);
    m_nextReportAt = next;
    m_timer.start(static_cast<int>(std::clamp(millis, 0.0, static_cast<double>(INT_MAX))));
}

void MorningReporter::timerFired()
{
    const Date current = now();
    const std::optional<Date> due = m_nextReportAt;
    if (due && current < *due) {
        // A coarse timer may fire a little early; wait for the rest.
        schedule(current);
        return;
    }
    // A firing delayed by a sleep past noon must not report in the afternoon:
    // the morning window applies to every late delivery, as it does at a wake.
    const std::unique_ptr<icu::Calendar> local = calendar();
    if (local != nullptr && MorningSchedule::isCatchUpTime(current, *local, m_hooks.reportTime())) {
        sendIfDue();
    }
    schedule(due ? std::max(current, *due) : current);
}

void MorningReporter::catchUp()
{
    const std::unique_ptr<icu::Calendar> local = calendar();
    if (local != nullptr && MorningSchedule::isCatchUpTime(now(), *local, m_hooks.reportTime())) {
        sendIfDue();
    }
}

void MorningReporter::sendIfDue()
{
    const std::unique_ptr<icu::Calendar> local = calendar();
    if (local == nullptr || !m_hooks.enabled || !m_hooks.lastReportDay || !m_hooks.setLastReportDay) {
        return;
    }
    const std::optional<std::string> key =
        MorningSchedule::dueDayKey(now(), *local, m_hooks.enabled(), m_hooks.lastReportDay().toStdString());
    if (!key) {
        return;
    }
    // Recorded before sending, so a second trigger today (timer, wake or a
    // restart) cannot report again while this one is still refreshing.
    m_hooks.setLastReportDay(QString::fromStdString(*key));
    m_dueReport.start();
}

void MorningReporter::sendDailyReport()
{
    send(QString::fromLatin1(dailyTitle));
}

QFuture<void> MorningReporter::send(const QString& title)
{
    QFuture<void> refreshed = m_hooks.refreshAndWait ? m_hooks.refreshAndWait() : QtFuture::makeReadyFuture();
    // A refresh that fails or is abandoned still lets the report go out; the
    // lines then tell what is known.
    return refreshed.onFailed(this, [] {})
        .onCanceled(this, [] {})
        .then(this,
              [this, title] {
                  const QStringList lines = m_hooks.reportLines ? m_hooks.reportLines(now()) : QStringList();
                  // Every action the report offers opens the panel.
                  DesktopNotifier::Actions actions{.offered = NotificationActions::offered(false),
                                                   .context = this,
                                                   .invoked = [this](const QString& /*key*/) {
                                                       if (m_hooks.openPanel) {
                                                           m_hooks.openPanel();
                                                       }
                                                   }};
                  return m_notifier->post(DesktopNotifier::newReportIdentifier(),
                                          title,
                                          lines.join(QLatin1Char('\n')),
                                          DesktopNotifier::Urgency::normal,
                                          std::move(actions));
              })
        .unwrap();
}

Date MorningReporter::now() const
{
    return m_hooks.now ? m_hooks.now() : wallClockNow();
}

std::unique_ptr<icu::Calendar> MorningReporter::calendar() const
{
    return m_hooks.calendar ? m_hooks.calendar() : localCalendar();
}

}  // namespace ostrel
