#include "report/MorningReporter.h"

#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPromise>
#include <gtest/gtest.h>

#include "platform/DesktopNotifier.h"
#include "support/CivilTime.h"
#include "support/EventLoop.h"
#include "support/NotificationService.h"

namespace ostrel {
namespace {

// When a report is due (the switch, the day, the morning window, the next six)
// is the MorningSchedule suite's; here, what the reporter does at each trigger.
using testing::NotificationService;
using testing::spinUntil;

// 2026-12-07, a Monday, in New York.
Date on7th(int hour, int minute, double second = 0)
{
    return testing::localDate(*testing::calendarIn("America/New_York"), {2026, 12, 7, hour, minute, second});
}

const Date sixOn8th = on7th(6, 0) + Seconds{86400};

// Runs whatever was queued, such as a report that fell due.
void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

// Everything public: the tests read and steer the hooks' state directly.
class MorningReporterTest : public testing::NotificationServiceTest
{
public:
    MorningReporter::Hooks hooks()
    {
        return {
            .refreshAndWait =
                [this] {
                    ++refreshes;
                    dayKeyAtRefresh = lastDay;
                    return refresh ? refresh() : QtFuture::makeReadyFuture();
                },
            .reportLines = [this](Date) { return lines; },
            .enabled = [] { return true; },
            .lastReportDay = [this] { return lastDay; },
            .setLastReportDay = [this](const QString& day) { lastDay = day; },
            .now = [this] { return clock ? clock() : now; },
            .calendar = [] { return testing::calendarIn("America/New_York"); },
            .openPanel = [this] { ++panelsOpened; },
        };
    }

    DesktopNotifier notifier;
    MorningReporter reporter{hooks(), notifier};

    Date now = on7th(9, 30);
    std::function<Date()> clock;
    std::function<QFuture<void>()> refresh;
    QString lastDay = QStringLiteral("2026-12-06");
    QStringList lines{QStringLiteral("Claude line"), QStringLiteral("OpenAI line")};
    int refreshes = 0;
    int panelsOpened = 0;
    QString dayKeyAtRefresh;
};

TEST_F(MorningReporterTest, StartingAtHalfPastNineReportsOnceAfterItsOwnRefresh)
{
    QPromise<void> readings;
    refresh = [&readings] {
        readings.start();
        return readings.future();
    };
    reporter.start();
    settle();
    ASSERT_EQ(refreshes, 1);
    // The day is taken before the readings arrive, so nothing else can send today.
    EXPECT_EQ(dayKeyAtRefresh, QStringLiteral("2026-12-07"));
    EXPECT_TRUE(service.calls().empty());

    now = on7th(9, 31);
    lines = QStringList{QStringLiteral("Claude fresh"), QStringLiteral("OpenAI fresh")};
    readings.finish();
    ASSERT_TRUE(spinUntil([this] { return !service.calls().empty(); }));
    settle();

    const std::vector<NotificationService::Call> calls = service.calls();
    ASSERT_EQ(calls.size(), 1U);
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(calls[0].summary, QStringLiteral("Ostrel this morning"));
    EXPECT_EQ(calls[0].body, QStringLiteral("Claude fresh\nOpenAI fresh"));
    EXPECT_EQ(reporter.nextReportAt(), sixOn8th);
}

TEST_F(MorningReporterTest, TheTimerReportsAtSixOnlyInTheMorning)
{
    // On time, then delayed into the afternoon, as after a sleep: only the first reports.
    QElapsedTimer elapsed;
    for (const double lateHours : {0.0, 7.0}) {
        SCOPED_TRACE(lateHours);
        lastDay = QStringLiteral("2026-12-06");
        elapsed.start();
        clock = [&elapsed, late = lateHours] {
            const double seconds = static_cast<double>(elapsed.elapsed()) / 1000;
            return on7th(5, 59, 59.7) + Seconds{seconds + (seconds > 0.2 ? late * 3600 : 0)};
        };
        reporter.start();
        EXPECT_EQ(reporter.nextReportAt(), on7th(6, 0));
        ASSERT_TRUE(spinUntil([this] { return reporter.nextReportAt() == sixOn8th; }));
        settle();
    }
    ASSERT_TRUE(spinUntil([this] { return !service.calls().empty(); }));
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(service.calls().size(), 1U);
}

TEST_F(MorningReporterTest, AnAbsentServiceOrAnAbandonedRefreshStillFinishes)
{
    refresh = [] {
        QPromise<void> abandoned;
        abandoned.start();
        return abandoned.future();  // cancelled as the promise goes away
    };
    QFuture<void> reported = reporter.send(QString::fromLatin1(MorningReporter::testTitle));
    ASSERT_TRUE(spinUntil([&] { return reported.isFinished(); }));
    EXPECT_EQ(service.calls().size(), 1U);

    TearDown();
    refresh = nullptr;
    QFuture<void> unheard = reporter.send(QString::fromLatin1(MorningReporter::testTitle));
    EXPECT_TRUE(spinUntil([&] { return unheard.isFinished(); }));
}

TEST_F(MorningReporterTest, TheReportOpensThePanelWhereTheServerShowsActions)
{
    service.offersActions = true;
    for (int sent = 0; sent < 2; ++sent) {
        QFuture<void> reported = reporter.send(QString::fromLatin1(MorningReporter::testTitle));
        ASSERT_TRUE(spinUntil([&] { return reported.isFinished(); }));
    }
    const std::vector<NotificationService::Call> calls = service.calls();
    ASSERT_EQ(calls.size(), 2U);
    EXPECT_EQ(service.capabilityRequests, 1);  // kept after the first answer
    EXPECT_EQ(calls[1].actions,
              (QStringList{QStringLiteral("default"),
                           QStringLiteral("Open"),
                           QStringLiteral("open-panel"),
                           QStringLiteral("Open panel")}));
    signal(2, QStringLiteral("open-panel"));
    EXPECT_TRUE(spinUntil([this] { return panelsOpened == 1; }));
}

}  // namespace
}  // namespace ostrel
