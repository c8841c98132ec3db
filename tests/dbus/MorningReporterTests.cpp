#include "report/MorningReporter.h"

#include <memory>
#include <string_view>
#include <vector>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPromise>
#include <QRegularExpression>
#include <QTimer>
#include <gtest/gtest.h>
#include <unicode/timezone.h>

#include "platform/DesktopNotifier.h"
#include "support/NotificationService.h"

namespace ostrel {
namespace {

using testing::NotificationService;

std::unique_ptr<icu::Calendar> newYork()
{
    UErrorCode status = U_ZERO_ERROR;
    return std::unique_ptr<icu::Calendar>(
        icu::Calendar::createInstance(icu::TimeZone::createTimeZone(icu::UnicodeString("America/New_York")),
                                      icu::Locale("en_US"),
                                      status));
}

// 2026-12-07, a Monday, in New York.
Date morningOf7th(int hour, int minute, double second = 0)
{
    const std::unique_ptr<icu::Calendar> calendar = newYork();
    calendar->clear();
    calendar->set(2026, UCAL_DECEMBER, 7, hour, minute, 0);
    UErrorCode status = U_ZERO_ERROR;
    return dateFromSince1970(calendar->getTime(status) / 1000 + second);
}

const Date sixOn8th = morningOf7th(6, 0) + Seconds{86400};

template <class Predicate>
bool waitFor(Predicate done, int milliseconds = 5000)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QEventLoop loop;
        QTimer tick;
        tick.setSingleShot(true);
        QObject::connect(&tick, &QTimer::timeout, &loop, &QEventLoop::quit);
        tick.start(5);
        loop.exec();
    }
    return true;
}

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
            .reportLines =
                [this](Date at) {
                    linesAskedAt = at;
                    return lines;
                },
            .enabled = [this] { return enabled; },
            .lastReportDay = [this] { return lastDay; },
            .setLastReportDay = [this](const QString& day) { lastDay = day; },
            .now = [this] { return clock ? clock() : now; },
            .calendar = newYork,
        };
    }

    DesktopNotifier notifier;
    MorningReporter reporter{hooks(), notifier};

    Date now = morningOf7th(9, 30);
    std::function<Date()> clock;
    std::function<QFuture<void>()> refresh;
    bool enabled = true;
    QString lastDay = QStringLiteral("2026-12-06");
    QStringList lines{QStringLiteral("Claude line"), QStringLiteral("OpenAI line")};
    int refreshes = 0;
    QString dayKeyAtRefresh;
    std::optional<Date> linesAskedAt;
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

    now = morningOf7th(9, 31);
    lines = QStringList{QStringLiteral("Claude fresh"), QStringLiteral("OpenAI fresh")};
    readings.finish();
    ASSERT_TRUE(waitFor([this] { return !service.calls().empty(); }));
    settle();

    const std::vector<NotificationService::Call> calls = service.calls();
    ASSERT_EQ(calls.size(), 1U);
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(calls[0].appName, QStringLiteral("Ostrel"));
    // The icon theme's name of the application's own icon.
    EXPECT_EQ(calls[0].appIcon, QStringLiteral("ostrel"));
    EXPECT_EQ(calls[0].summary, QStringLiteral("Ostrel this morning"));
    EXPECT_EQ(calls[0].body, QStringLiteral("Claude fresh\nOpenAI fresh"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^ostrel-report-[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$"))
                    .match(calls[0].hints.value(QString::fromLatin1(DesktopNotifier::identifierHint)).toString())
                    .hasMatch());
    EXPECT_EQ(linesAskedAt, morningOf7th(9, 31));
    EXPECT_EQ(reporter.nextReportAt(), sixOn8th);
}

TEST_F(MorningReporterTest, SendsNothingAtStartOrWakeWhenNotDue)
{
    struct Case
    {
        std::string_view name;
        Date now;
        bool enabled;
        QString lastDay;
        bool wake;
    };

    const std::vector<Case> cases{
        {"started again at ten the same day", morningOf7th(10, 0), true, QStringLiteral("2026-12-07"), false},
        {"started at one in the afternoon", morningOf7th(13, 0), true, QStringLiteral("2026-12-06"), false},
        {"started at 5:59", morningOf7th(5, 59), true, QStringLiteral("2026-12-06"), false},
        {"switched off", morningOf7th(9, 30), false, QStringLiteral("2026-12-06"), false},
        {"woken at noon", morningOf7th(12, 0), true, QStringLiteral("2026-12-06"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        now = c.now;
        enabled = c.enabled;
        lastDay = c.lastDay;
        if (c.wake) {
            reporter.handleWake();
        } else {
            reporter.start();
        }
        settle();
        EXPECT_EQ(refreshes, 0);
        EXPECT_EQ(lastDay, c.lastDay);
        // Always armed for the next 6:00, switched on or not.
        EXPECT_EQ(reporter.nextReportAt(), c.now < morningOf7th(6, 0) ? morningOf7th(6, 0) : sixOn8th);
    }
    EXPECT_TRUE(service.calls().empty());
}

TEST_F(MorningReporterTest, WakingAt1159AfterSleepingThroughSixReports)
{
    now = morningOf7th(5, 0);
    reporter.start();
    now = morningOf7th(11, 59);
    reporter.handleWake();
    ASSERT_TRUE(waitFor([this] { return !service.calls().empty(); }));
    reporter.handleWake();
    settle();
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(service.calls().size(), 1U);
    EXPECT_EQ(reporter.nextReportAt(), sixOn8th);
}

TEST_F(MorningReporterTest, TheTimerReportsAtSixAndRearmsForTheNextDay)
{
    QElapsedTimer elapsed;
    for (const bool on : {true, false}) {
        SCOPED_TRACE(on ? "switched on" : "switched off at 5:59");
        enabled = on;
        lastDay = QStringLiteral("2026-12-06");
        elapsed.start();
        clock = [&elapsed] {
            return morningOf7th(5, 59, 59.7) + Seconds{static_cast<double>(elapsed.elapsed()) / 1000};
        };
        reporter.start();
        EXPECT_EQ(reporter.nextReportAt(), morningOf7th(6, 0));
        ASSERT_TRUE(waitFor([this] { return reporter.nextReportAt() == sixOn8th; }));
        settle();
    }
    ASSERT_TRUE(waitFor([this] { return !service.calls().empty(); }));
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(service.calls().size(), 1U);
}

TEST_F(MorningReporterTest, TestReportsIgnoreTheSwitchAndTheDay)
{
    enabled = false;
    lastDay = QStringLiteral("2026-12-07");
    QFuture<void> first = reporter.send(QString::fromLatin1(MorningReporter::testTitle));
    QFuture<void> second = reporter.send(QString::fromLatin1(MorningReporter::testTitle));
    ASSERT_TRUE(waitFor([&] { return first.isFinished() && second.isFinished(); }));

    const std::vector<NotificationService::Call> calls = service.calls();
    ASSERT_EQ(calls.size(), 2U);
    EXPECT_EQ(calls[0].summary, QStringLiteral("Ostrel test report"));
    const QString id = QString::fromLatin1(DesktopNotifier::identifierHint);
    EXPECT_NE(calls[0].hints.value(id), calls[1].hints.value(id));
    EXPECT_EQ(lastDay, QStringLiteral("2026-12-07"));
}

TEST_F(MorningReporterTest, AnAbsentServiceOrAnAbandonedRefreshStillFinishes)
{
    refresh = [] {
        QPromise<void> abandoned;
        abandoned.start();
        return abandoned.future();  // cancelled as the promise goes away
    };
    QFuture<void> reported = reporter.send(QString::fromLatin1(MorningReporter::testTitle));
    ASSERT_TRUE(waitFor([&] { return reported.isFinished(); }));
    EXPECT_EQ(service.calls().size(), 1U);

    TearDown();
    refresh = nullptr;
    QFuture<void> unheard = reporter.send(QString::fromLatin1(MorningReporter::testTitle));
    EXPECT_TRUE(waitFor([&] { return unheard.isFinished(); }));
}

}  // namespace
}  // namespace ostrel
