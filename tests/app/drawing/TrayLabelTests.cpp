// What the tray label shows for each status, and the label drawn for real on
// the offscreen platform: cell colours per tier at known pixels, fading and
// dots. Its widths follow the design's constants and are left to the eye.

#include "drawing/TrayLabel.h"

#include <array>
#include <cmath>
#include <string_view>

#include <QImage>
#include <gtest/gtest.h>

#include "drawing/MarkColors.h"
#include "drawing/StackedRow.h"
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

TEST(MarkState, TakesWhatTheMarkShowsFromTheDisplayState)
{
    const Date now = dateFromSince1970(1.8e9);
    ProviderReading reading;
    reading.provider = Provider::openai;
    reading.fetchedAt = now - Seconds{60};
    reading.weekly = UsageWindow{40, now + Seconds{3 * 86400.0}, UsageWindow::week};
    reading.resetCredits = {ResetCredit{std::nullopt, now + Seconds{86400.0}}};
    ProviderSnapshot snapshot{reading, now, FetchFailure{FetchFailure::Kind::notLoggedIn, {}}};

    const MarkState state = MarkState::from(ProviderDisplay::make(snapshot, Provider::openai, now, 1800));
    EXPECT_EQ(state.provider, Provider::openai);
    EXPECT_EQ(state.status, MarkStatus::needsLogin);
    ASSERT_TRUE(state.pace.has_value());
    EXPECT_EQ(state.filledCells(), 3);
    EXPECT_TRUE(state.hasReading);
    EXPECT_TRUE(state.creditsExpiringSoon);
    EXPECT_EQ(state.indicator(), MarkIndicator::cells);

    const MarkState empty = MarkState::from(ProviderDisplay::make(std::nullopt, Provider::claude, now, 1800));
    EXPECT_EQ(empty, (MarkState{Provider::claude, MarkStatus::loading, std::nullopt, false, false}));
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

TEST(TrayLabel, FadesTheGaugeAndThePercentOfAStaleReading)
{
    MarkState stale = live(Provider::claude, PaceTier::red, 5, 100);
    const QImage fresh = TrayLabel::renderImage({TrayStyle::cellsAndPercent, {stale}}, darkText, 2);
    stale.status = MarkStatus::stale;
    const QImage faded = TrayLabel::renderImage({TrayStyle::cellsAndPercent, {stale}}, darkText, 2);
    const QColor lit = at(fresh, 24.25, 11);
    const QColor dim = at(faded, 24.25, 11);
    EXPECT_EQ(lit.alpha(), 255);
    EXPECT_NEAR(dim.alpha(), 0.45 * 255, 2);
    // A whole layer fades, so the colour itself stays that of the lit cell.
    EXPECT_NEAR(dim.red(), lit.red(), 3);
    EXPECT_NEAR(dim.green(), lit.green(), 3);
    // The darkest pixel of the percent text drops to 0.55.
    auto darkestTextAlpha = [](const QImage& image) {
        int alpha = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = static_cast<int>(54 * image.devicePixelRatio()); x < image.width(); ++x) {
                alpha = std::max(alpha, image.pixelColor(x, y).alpha());
            }
        }
        return alpha;
    };
    EXPECT_EQ(darkestTextAlpha(fresh), 255);
    EXPECT_NEAR(darkestTextAlpha(faded), 0.55 * 255, 3);
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

TEST(TrayLabel, StackedRowsPutTheirDotAfterTheGauge)
{
    MarkState warned = live(Provider::claude, PaceTier::blue, 5, 90);
    warned.pace->resetWarning = true;
    warned.creditsExpiringSoon = true;
    MarkState credits = live(Provider::openai, PaceTier::green, 2, 40);
    credits.creditsExpiringSoon = true;
    EXPECT_EQ(StackedRow(warned).dotColor(), MarkColors::tierColor(PaceTier::blue));
    EXPECT_EQ(StackedRow(credits).dotColor(), MarkColors::resetCreditAmber());
    credits.creditsExpiringSoon = false;
    EXPECT_EQ(StackedRow(credits).dotColor(), std::nullopt);
    credits.creditsExpiringSoon = true;

    // Two 8-pt rows 2.5 apart are centred in 22: centres at 5.75 and 16.25; the dot sits at x 55...58.
    const QImage image = TrayLabel::renderImage({TrayStyle::stacked, {warned, credits}}, darkText, 2);
    expectNear(at(image, 56.5, 5.75), MarkColors::tierColor(PaceTier::blue), 12);
    expectNear(at(image, 56.5, 16.25), MarkColors::resetCreditAmber(), 12);
}

TEST(TrayLabel, AsksItsSourceAgainAndReportsSizeChanges)
{
    LabelContent next{TrayStyle::cells, {live(Provider::claude, PaceTier::green, 3, 60)}};
    int calls = 0;
    TrayLabel label([&](Date) {
        ++calls;
        return next;
    });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(label.sizeHint(), QSize(56, 22));
    int resized = 0;
    QObject::connect(&label, &TrayLabel::sizeChanged, [&] { ++resized; });
    label.reevaluate(dateFromSince1970(1.8e9));
    EXPECT_EQ(resized, 0);
    next.style = TrayStyle::cellsAndPercent;
    label.reevaluate(dateFromSince1970(1.8e9 + 60));
    EXPECT_EQ(resized, 1);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(label.content(), next);
}

}  // namespace
}  // namespace ostrel
