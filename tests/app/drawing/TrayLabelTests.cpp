// What the tray label shows for each status, and the label drawn for real on
// the offscreen platform: cell colours per tier and dots at known pixels. Its
// widths follow the design's constants and are left to the eye.

#include "drawing/TrayLabel.h"

#include <array>
#include <string_view>

#include <QImage>
#include <gtest/gtest.h>

#include "drawing/MarkColors.h"
#include "support/SampleReadings.h"

namespace ostrel {
namespace {

const LabelColors darkText{QColor(0, 0, 0), QColor(0, 0, 0, 128)};

using testing::paceOf;

MarkState live(Provider provider, PaceTier tier, int filled, int percent)
{
    return {provider, MarkStatus::live, paceOf(tier, filled, percent), true, false};
}

// Colour of the pixel at a logical point of a picture drawn at `dpr`.
QColor at(const QImage& image, double x, double y)
{
    const qreal dpr = image.devicePixelRatio();
    return image.pixelColor(static_cast<int>(x * dpr), static_cast<int>(y * dpr));
}

void expectNear(const QColor& actual, const QColor& expected, int tolerance = 6)
{
    EXPECT_NEAR(actual.red(), expected.red(), tolerance);
    EXPECT_NEAR(actual.green(), expected.green(), tolerance);
    EXPECT_NEAR(actual.blue(), expected.blue(), tolerance);
    EXPECT_NEAR(actual.alpha(), expected.alpha(), tolerance);
}

TEST(MarkState, ChoosesTheIndicatorDotsAndFadingFromTheStatus)
{
    struct Case
    {
        std::string_view name;
        MarkStatus status;
        bool paced;
        bool hasReading;
        MarkIndicator indicator;
        bool dimmed;
        bool alertDot;
    };

    using enum MarkStatus;
    using enum MarkIndicator;
    constexpr auto cases = std::to_array<Case>({
        {"nothing read yet: plain unlit cells", loading, false, false, cells, false, false},
        {"live", live, true, true, cells, false, false},
        {"stale fades", stale, true, true, cells, true, false},
        {"renewed shows the arrow", renewed, false, true, renewedArrow, true, false},
        {"enterprise shows infinity", enterprise, false, true, infinity, false, false},
        {"signed out with pacing: faded cells and a dot", needsLogin, true, true, cells, true, true},
        {"signed out without pacing: the alert", needsLogin, false, false, loginAlert, true, true},
        {"unavailable with a reading: no dot", unavailable, false, true, cells, false, false},
        {"unavailable without a reading: the dot", unavailable, false, false, cells, false, true},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MarkState state{Provider::claude,
                              c.status,
                              c.paced ? std::optional(paceOf(PaceTier::green, 3, 60)) : std::nullopt,
                              c.hasReading,
                              false};
        EXPECT_EQ(state.indicator(), c.indicator);
        EXPECT_EQ(state.isDimmed(), c.dimmed);
        EXPECT_EQ(state.alertDot(), c.alertDot);
        EXPECT_EQ(state.filledCells(), c.paced ? 3 : 0);
        EXPECT_EQ(state.cellTier().has_value(), c.paced);
    }
}

TEST(TrayLabel, LightsCellsInTheTierGradient)
{
    // The gauge's frame starts at x = 5 + 13 + 4 and spans y 5...17; cells are 4.5 wide, 1.5 apart.
    auto cellCentre = [](int i) {
        return 22 + i * 6.0 + 2.25;
    };
    for (const PaceTier tier : allPaceTiers) {
        SCOPED_TRACE(rawValue(tier));
        const QImage image =
            TrayLabel::renderImage({TrayStyle::cells, {live(Provider::claude, tier, 2, 40)}}, darkText, 2);
        EXPECT_EQ(image.size(), QSize(111, 44));
        const QColor top = MarkColors::tierHighlight(tier);
        const QColor bottom = MarkColors::tierColor(tier);
        const QColor middle((top.red() + bottom.red()) / 2,
                            (top.green() + bottom.green()) / 2,
                            (top.blue() + bottom.blue()) / 2);
        expectNear(at(image, cellCentre(0), 11), middle, 8);
        expectNear(at(image, cellCentre(1), 11), middle, 8);
        for (int i = 2; i < 5; ++i) {
            expectNear(at(image, cellCentre(i), 11), QColor(0, 0, 0, 23), 2);
        }
        EXPECT_EQ(at(image, cellCentre(0), 3).alpha(), 0);  // above the gauge
    }
}

TEST(TrayLabel, DrawsTheAlertAndCreditDotsOnTheirCorners)
{
    MarkState state = live(Provider::openai, PaceTier::green, 3, 60);
    state.status = MarkStatus::needsLogin;
    state.creditsExpiringSoon = true;
    const QImage image = TrayLabel::renderImage({TrayStyle::cells, {state}}, darkText, 2);
    // The alert dot's centre is the gauge frame's top-right corner (50.5, 5).
    expectNear(at(image, 50.5, 5), MarkColors::alertOrange(), 10);
    expectNear(at(image, 51.5, 4), MarkColors::alertOrange(), 10);
    // The credit dot's centre is 2.5 pt left of and 1.5 pt below the glyph's top-right corner moved (2, -1).
    expectNear(at(image, 17.5, 6), QColor(255, 176, 32), 10);
    state.status = MarkStatus::live;
    state.creditsExpiringSoon = false;
    const QImage plain = TrayLabel::renderImage({TrayStyle::cells, {state}}, darkText, 1);
    EXPECT_EQ(at(plain, 51.5, 4).alpha(), 0);
}

}  // namespace
}  // namespace ostrel
