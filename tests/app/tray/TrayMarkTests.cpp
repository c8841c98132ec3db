// The tray marks rendered for real in every style, tray-icon mode and
// representative status, each pair of those meeting every slot size, and read
// back from their pixels: the lit steps can be counted, and the glyph and lit
// steps reach 3:1 against the panels the mode is for.

#include "tray/TrayMark.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include <QImage>
#include <gtest/gtest.h>

#include "drawing/Contrast.h"
#include "support/SampleReadings.h"
#include "tray/TrayLayout.h"

namespace ostrel {
namespace {

Pace pacing(PaceTier tier, int filled, bool resetWarning = false)
{
    return testing::paceOf(tier, filled, filled * 20, resetWarning);
}

// The colour a tray shows for `pixel` drawn over `panel`.
QColor over(QRgb pixel, const QColor& panel)
{
    const double alpha = qAlpha(pixel) / 255.0;
    const auto mix = [&](int premultiplied, int under) {
        return static_cast<int>(std::lround(premultiplied + under * (1 - alpha)));
    };
    return {mix(qRed(pixel), panel.red()), mix(qGreen(pixel), panel.green()), mix(qBlue(pixel), panel.blue())};
}

bool near(const QColor& a, const QColor& b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
           && std::abs(a.blue() - b.blue()) <= tolerance;
}

struct Mode
{
    std::string_view name;
    TrayIconMode mode;
    std::optional<QRgb> panel;  ///< the panel behind the items, where known
};

// The panels of real hosts' defaults among them: a panel Automatic knows must
// be the one the marks are made for, whatever its colour.
constexpr auto modes = std::to_array<Mode>({
    {"automatic, panel unknown", TrayIconMode::automatic, std::nullopt},
    {"automatic on trayer's grey", TrayIconMode::automatic, 0xdcdad5},
    {"automatic on black (lxqt-panel, GNOME)", TrayIconMode::automatic, 0x000000},
    {"automatic on waybar's blue", TrayIconMode::automatic, 0x2980b9},
    {"automatic on a mid grey", TrayIconMode::automatic, 0x777777},
    {"automatic on white", TrayIconMode::automatic, 0xffffff},
    {"colourful", TrayIconMode::colourful, 0x000000},
    {"light panel", TrayIconMode::lightPanel, 0x000000},
    {"dark panel", TrayIconMode::darkPanel, 0xffffff},
});

TrayColors colorsOf(const Mode& mode)
{
    return TrayColors::forMode(mode.mode, mode.panel ? std::optional(QColor(*mode.panel)) : std::nullopt);
}

struct Status
{
    std::string_view name;
    MarkStatus status;
    std::optional<PaceTier> tier;
    int filled;
    bool hasReading;
};

constexpr auto statuses = std::to_array<Status>({
    {"live blue, one step", MarkStatus::live, PaceTier::blue, 1, true},
    {"live red, all five", MarkStatus::live, PaceTier::red, 5, true},
    {"stale green, three steps", MarkStatus::stale, PaceTier::green, 3, true},
    {"signed out with a reading", MarkStatus::needsLogin, PaceTier::yellow, 2, true},
    {"signed out, nothing read", MarkStatus::needsLogin, std::nullopt, 0, false},
    {"no command-line tool", MarkStatus::cliMissing, std::nullopt, 0, false},
});

MarkState stateOf(const Status& s, Provider provider)
{
    return {provider, s.status, s.tier ? std::optional(pacing(*s.tier, s.filled)) : std::nullopt, s.hasReading, false};
}

// The glyph reads when a solid core of what is drawn in its box, at least a
// line of its width and a sixth of its pixels, stands out 3:1 from the panel;
// an accent or ink too close to the panel leaves none (a tiny glyph is mostly
// antialiased edge, hence the low share).
bool reads(const QImage& image, const QRect& box, const QColor& panel)
{
    int drawn = 0;
    int readable = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) < 32) {
                continue;
            }
            ++drawn;
            readable += Contrast::ratio(over(pixel, panel), panel) >= Contrast::forGraphics ? 1 : 0;
        }
    }
    return readable >= box.width() && readable * 6 >= drawn;
}

// Counts the lit steps the way an eye does: the lower part of each step in a lit colour.
int litCells(const QImage& image, const TrayLayout& place, const TrayColors& colors)
{
    int lit = 0;
    for (const QRect& step : place.cells) {
        const QRgb pixel = image.pixel(step.center().x(), step.top() + step.height() * 3 / 4);
        const bool isLit = std::ranges::any_of(allPaceTiers, [&](PaceTier tier) {
            return qAlpha(pixel) == 255 && near(QColor(pixel), colors.lit(tier), 6);
        });
        lit += isLit ? 1 : 0;
    }
    return lit;
}

void checkSteps(const QImage& image, const TrayLayout& place, TrayStyle style, int pixels)
{
    for (std::size_t i = 0; i + 1 < place.cells.size(); ++i) {
        const QRect& step = place.cells.at(i);
        ASSERT_TRUE(QRect(0, 0, pixels, pixels).contains(step));
        // A visible gap: the column after each step is left clear.
        const int gapColumn = step.right() + 1;
        ASSERT_LT(gapColumn, place.cells.at(i + 1).left() + 1);
        EXPECT_LT(qAlpha(image.pixel(gapColumn, step.center().y())), 40) << "step " << i;
        EXPECT_FALSE(step.intersects(place.glyph));
    }
    if (style == TrayStyle::cells) {
        EXPECT_GE(place.cells.front().width(), 2);
        EXPECT_GE(place.cells.front().height(), 4);
    }
}

TEST(TrayMark, ReadsInEveryStyleSlotModeAndStatus)
{
    for (std::size_t m = 0; m < modes.size(); ++m) {
        const Mode& mode = modes.at(m);
        const TrayColors colors = colorsOf(mode);
        if (mode.mode == TrayIconMode::automatic) {
            const std::vector<QColor> madeFor =
                mode.panel ? std::vector{QColor(*mode.panel)} : TrayColors::forMode(TrayIconMode::colourful, {}).panels;
            EXPECT_EQ(colors.panels, madeFor) << mode.name;
        }
        for (std::size_t st = 0; st < statuses.size(); ++st) {
            const Status& status = statuses.at(st);
            // Every mode and every status meets every slot size: pairs, not the whole product.
            const int pixels = TrayMark::slotSizes.at((m + st) % TrayMark::slotSizes.size());
            SCOPED_TRACE(::testing::Message() << mode.name << ", " << status.name << ", " << pixels << " px");
            for (const TrayStyle style : allTrayStyles) {
                SCOPED_TRACE(static_cast<int>(style));
                const MarkState claude = stateOf(status, Provider::claude);
                const MarkState openai = stateOf(status, Provider::openai);
                const std::vector<MarkState> marks =
                    style == TrayStyle::stacked ? std::vector{claude, openai} : std::vector{claude};
                const QImage image = TrayMark::image(marks, style, pixels, colors);
                ASSERT_EQ(image.size(), QSize(pixels, pixels));
                const bool symbol = style != TrayStyle::stacked && claude.indicator() != MarkIndicator::cells;
                const bool asBars = style == TrayStyle::cellsAndPercent && (!status.tier || claude.alertDot());
                const TrayLayout place = TrayLayout::forStyle(asBars ? TrayStyle::cells : style,
                                                              pixels,
                                                              0,
                                                              static_cast<int>(marks.size()),
                                                              symbol);
                if (!symbol) {
                    checkSteps(image, place, style, pixels);
                    EXPECT_EQ(litCells(image, place, colors), status.tier ? status.filled : 0);
                }
                for (const QColor& panel : colors.panels) {
                    EXPECT_TRUE(reads(image, place.glyph, panel)) << "glyph on " << panel.name().toStdString();
                    if (status.tier && !symbol) {
                        const QRect& step = place.cells.front();
                        const QColor lit = over(image.pixel(step.center().x(), step.bottom()), panel);
                        EXPECT_GE(Contrast::ratio(lit, panel), Contrast::forGraphics)
                            << "lit step on " << panel.name().toStdString();
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace ostrel
