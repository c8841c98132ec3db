// The glide-path chart: the plotted series, its day marks in a pinned
// calendar, and what it paints, sampled at known pixels.

#include "panel/card/GlidePathChart.h"

#include <array>
#include <chrono>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include <QFontMetricsF>
#include <QImage>
#include <gtest/gtest.h>

#include "drawing/MarkColors.h"
#include "drawing/Theme.h"
#include "support/SampleReadings.h"

namespace ostrel {
namespace {

using namespace std::chrono_literals;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
const QSize chartSize(356, GlidePathChart::chartHeight);

// Tuesday 12 March 2024, 2 PM in New York: a week after Tuesday 5 March, 1 PM (a clock change between).
const Date resetsAt = Date(std::chrono::sys_days{2024y / 3 / 12} + 18h);
const Date weekStart = resetsAt - Seconds(UsageWindow::week);

Date atShare(double share)
{
    return weekStart + Seconds(share * UsageWindow::week);
}

using testing::newYork;

GlidePathChart::Value chartValue(PaceTier tier, double left, double elapsed, std::vector<AllowancePoint> points = {})
{
    GlidePathChart::Value value;
    value.points = std::move(points);
    value.window = UsageWindow{100 * (1 - left), resetsAt, UsageWindow::week};
    value.pace.allowanceFraction = left;
    value.pace.tier = tier;
    value.now = atShare(elapsed);
    value.calendar = newYork();
    return value;
}

/// The placement of every mark; a value that draws nothing fails the test by throwing.
GlidePathChart::Layout layoutOf(const GlidePathChart::Value& value)
{
    const GlidePathChart::Domain week = GlidePathChart::domain(value.window).value();
    return GlidePathChart::layout(value,
                                  GlidePathChart::dayMarks(week, newYork()),
                                  QSizeF(chartSize),
                                  QFontMetricsF(Theme::font(9, QFont::DemiBold)))
        .value();
}

/// The chart painted at twice its size in points.
QImage render(const GlidePathChart::Value& value)
{
    GlidePathChart chart(value);
    chart.setPalette(Theme::palette(ColorScheme::light));
    chart.resize(chartSize);
    QImage image(chartSize * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(Qt::transparent);
    chart.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

TEST(GlidePathChart, ObservedSeriesRunsFromAFullStartThroughHistoryToNowOrIsNothingAndDrawsNothing)
{
    using Observed = GlidePathChart::Observed;

    struct Case
    {
        std::string_view name;
        std::vector<AllowancePoint> points;
        std::optional<Date> resetsAt;
        double duration;
        std::vector<Observed> expected;
    };

    constexpr double week = UsageWindow::week;
    // clang-format off
    const auto cases = std::to_array<Case>({
        {"no history falls straight from the start to now", {}, resetsAt, week, {{weekStart, 100}, {atShare(0.5), 40}}},
        {"history is sorted between the start and now",
         {{atShare(0.3), 35, resetsAt}, {atShare(0.1), 10, resetsAt}}, resetsAt, week,
         {{weekStart, 100}, {atShare(0.1), 90}, {atShare(0.3), 65}, {atShare(0.5), 40}}},
        {"more than all used plots at nothing left, less than none at all left",
         {{atShare(0.1), -20, resetsAt}, {atShare(0.2), 130, resetsAt}}, resetsAt, week,
         {{weekStart, 100}, {atShare(0.1), 100}, {atShare(0.2), 0}, {atShare(0.5), 40}}},
        {"a reading that is no number is left out", {{atShare(0.1), nan, resetsAt}}, resetsAt, week,
         {{weekStart, 100}, {atShare(0.5), 40}}},
        {"without a renewal time there is nothing", {{atShare(0.2), 40, resetsAt}}, std::nullopt, week, {}},
        {"a zero length gives nothing", {{atShare(0.2), 40, resetsAt}}, resetsAt, 0, {}},
        {"a length that is no number gives nothing", {{atShare(0.2), 40, resetsAt}}, resetsAt, nan, {}},
    });
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GlidePathChart::Value value = chartValue(PaceTier::red, 0.4, 0.5, c.points);
        value.window.resetsAt = c.resetsAt;
        value.window.duration = c.duration;
        EXPECT_EQ(GlidePathChart::observed(c.points, value.window, value.pace, value.now), c.expected);
        if (!c.expected.empty()) {
            continue;
        }
        // What has no series draws nothing at all.
        const QImage image = render(value);
        bool blank = true;
        for (int y = 0; y < image.height() && blank; ++y) {
            for (int x = 0; x < image.width() && blank; ++x) {
                blank = image.pixelColor(x, y).alpha() == 0;
            }
        }
        EXPECT_TRUE(blank);
    }
}

TEST(GlidePathChart, OneNarrowWeekdayPerCalendarDayOfTheWindow)
{
    struct Case
    {
        std::string_view name;
        std::string_view zone;
        std::string_view locale;
        QString symbols;
    };

    const auto cases = std::to_array<Case>({
        {"New York, Wednesday to Tuesday over the change to summer time",
         "America/New_York",
         "en_US",
         QStringLiteral("WTFSSMT")},
        {"Berlin in German", "Europe/Berlin", "de_DE", QStringLiteral("MDFSSMD")},
    });
    const GlidePathChart::Domain week{weekStart, resetsAt, UsageWindow::week};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<GlidePathChart::DayMark> marks =
            GlidePathChart::dayMarks(week, RenewalText::make(c.zone, c.locale).value());
        QString symbols;
        for (const GlidePathChart::DayMark& mark : marks) {
            symbols += mark.symbol;
            EXPECT_GT(mark.middle, weekStart);
            EXPECT_LT(mark.middle, resetsAt);
        }
        EXPECT_EQ(symbols, c.symbols);
    }
    // The Sunday of the change is 23 hours long: its middle is 11.5 hours after midnight.
    const std::vector<GlidePathChart::DayMark> marks = GlidePathChart::dayMarks(week, newYork());
    ASSERT_EQ(marks.size(), 7U);
    EXPECT_EQ(marks[4].middle, Date(std::chrono::sys_days{2024y / 3 / 10} + 16h + 30min));
    EXPECT_EQ(marks[5].middle, Date(std::chrono::sys_days{2024y / 3 / 11} + 16h));
}

TEST(GlidePathChart, TellsItsFiguresToAssistiveTechnology)
{
    GlidePathChart chart(chartValue(PaceTier::green, 0.62, 0.45));
    EXPECT_EQ(chart.accessibleName(), QStringLiteral("Allowance over the week compared with even pace"));
    EXPECT_EQ(chart.accessibleDescription(), QStringLiteral("62% left now, even pace 55%"));
    GlidePathChart::Value none = chartValue(PaceTier::green, 0.62, 0.45);
    none.window.resetsAt.reset();
    chart.setValue(none);
    EXPECT_EQ(chart.accessibleDescription(), QString());
}

TEST(GlidePathChart, PaintsTheDotTheAreaAndThePaceLine)
{
    // A third of the week gone, most left: the observed series ends far left of the pace line's middle.
    const GlidePathChart::Value value = chartValue(PaceTier::red, 0.9, 0.3);
    const auto layout = layoutOf(value);
    const QColor tier = MarkColors::tierColor(PaceTier::red);
    const QImage image = render(value);
    EXPECT_EQ(image.pixelColor((layout.nowPoint * 2).toPoint()), tier);

    const QColor area = image.pixelColor((QPointF(layout.nowX / 2, layout.plot.bottom() - 10) * 2).toPoint());
    EXPECT_GT(area.alpha(), 0);
    EXPECT_EQ(area.red(), tier.red());

    // The dashed pace line shows along its middle stretch.
    int covered = 0;
    for (double along = 0.45; along <= 0.55; along += 0.01) {
        covered += image.pixelColor((layout.paceLine.pointAt(along) * 2).toPoint()).alpha() > 0 ? 1 : 0;
    }
    EXPECT_GT(covered, 0);
}

}  // namespace
}  // namespace ostrel
