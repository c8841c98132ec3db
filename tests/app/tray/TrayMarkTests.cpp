// A provider's mark fitted into a square tray slot, rendered for real at
// pixel ratios 1 and 2 and checked at known pixels.

#include "tray/TrayMark.h"

#include <array>
#include <string_view>
#include <vector>

#include <QImage>
#include <QPainter>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "drawing/MarkColors.h"

namespace ostrel {
namespace {

const LabelColors whiteText{QColor(255, 255, 255), QColor(255, 255, 255, 140)};

Ostrel pacing(PaceTier tier, int filled, bool resetWarning = false)
{
    Ostrel o;
    o.allowanceFraction = filled / 5.0;
    o.tier = tier;
    o.filledSquares = filled;
    o.resetWarning = resetWarning;
    return o;
}

// The colour at a point of the 22-point design square, in a slot of any size.
QColor at(const QPixmap& pixmap, int slot, double x, double y)
{
    const QImage image = pixmap.toImage();
    const double scale = slot / TrayMark::designSide * pixmap.devicePixelRatio();
    return image.pixelColor(static_cast<int>(x * scale), static_cast<int>(y * scale));
}

bool near(const QColor& a, const QColor& b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
           && std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

// Compared as composited: colours of nearly transparent pixels do not count.
bool nearOnScreen(QRgb a, QRgb b)
{
    const QRgb pa = qPremultiply(a);
    const QRgb pb = qPremultiply(b);
    constexpr int tolerance = 16;
    return std::abs(qRed(pa) - qRed(pb)) <= tolerance && std::abs(qGreen(pa) - qGreen(pb)) <= tolerance
           && std::abs(qBlue(pa) - qBlue(pb)) <= tolerance && std::abs(qAlpha(pa) - qAlpha(pb)) <= tolerance;
}

int countNear(const QPixmap& pixmap, const QColor& colour, int tolerance)
{
    const QImage image = pixmap.toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += near(image.pixelColor(x, y), colour, tolerance) ? 1 : 0;
        }
    }
    return count;
}

void saveForViewing(const QPixmap& pixmap, const QString& name)
{
    if (const QByteArray folder = qgetenv("OSTREL_PICTURES_DIR"); !folder.isEmpty()) {
        QImage onDark(pixmap.size(), QImage::Format_ARGB32_Premultiplied);
        onDark.setDevicePixelRatio(pixmap.devicePixelRatio());
        onDark.fill(QColor(40, 40, 44));
        QPainter(&onDark).drawImage(QPoint(0, 0), pixmap.toImage());
        onDark.save(QString::fromUtf8(folder) + QLatin1Char('/') + name + QStringLiteral(".png"));
    }
}

TEST(TrayMark, FillsASquareSlotAtEachPixelRatio)
{
    const MarkState state{Provider::claude, MarkStatus::live, pacing(PaceTier::green, 3), true, false};
    for (const int slot : {16, 22, 24, 32}) {
        for (const qreal dpr : {1.0, 2.0}) {
            SCOPED_TRACE(testing::Message() << slot << " at " << dpr);
            const QPixmap pixmap = TrayMark::pixmap(state, MenuBarStyle::bars, slot, dpr, whiteText);
            EXPECT_EQ(pixmap.size(), QSize(slot, slot) * dpr);
            EXPECT_EQ(pixmap.devicePixelRatio(), dpr);
            EXPECT_EQ(at(pixmap, slot, 0.5, 0.5).alpha(), 0);  // the corner stays clear
        }
    }
}

TEST(TrayMark, IconDrawsAfreshForTheSlotTheHostGives)
{
    // An XEmbed panel 16 pixels high gives 22 by 14; a scaled 16-pixel picture would blur there.
    const MarkState state{Provider::openai, MarkStatus::live, pacing(PaceTier::yellow, 4), true, false};
    const QIcon icon = TrayMark::icon(state, MenuBarStyle::bars, whiteText);
    for (const qreal dpr : {1.0, 2.0}) {
        SCOPED_TRACE(dpr);
        const QImage exact = TrayMark::pixmap(state, MenuBarStyle::bars, 14, dpr, whiteText).toImage();
        const QPixmap fromIcon = icon.pixmap(QSize(22, 14), dpr);
        EXPECT_EQ(fromIcon.size(), QSize(14, 14) * dpr);
        EXPECT_EQ(fromIcon.toImage().convertToFormat(exact.format()), exact);

        // Painted the way the tray paints it: into the whole slot, centred.
        QImage slot(QSize(22, 14) * dpr, QImage::Format_ARGB32_Premultiplied);
        slot.setDevicePixelRatio(dpr);
        slot.fill(Qt::transparent);
        QPainter painter(&slot);
        icon.paint(&painter, QRect(0, 0, 22, 14));
        painter.end();
        const QImage square = slot.copy(QRect(QPoint(4, 0) * dpr, exact.size()));
        int differing = 0;
        int marked = 0;
        for (int y = 0; y < slot.height(); ++y) {
            for (int x = 0; x < slot.width(); ++x) {
                const bool margin = x < 4 * dpr || x >= 18 * dpr;
                marked += margin && slot.pixelColor(x, y).alpha() > 16 ? 1 : 0;
                const QPoint inSquare(x - static_cast<int>(4 * dpr), y);
                differing += !margin && !nearOnScreen(square.pixel(inSquare), exact.pixel(inSquare)) ? 1 : 0;
            }
        }
        EXPECT_EQ(differing, 0);
        EXPECT_EQ(marked, 0) << "the margins stay clear";
    }
    EXPECT_FALSE(icon.isNull());
    EXPECT_FALSE(TrayMark::emptyIcon(whiteText).pixmap(QSize(22, 24), 2).isNull());
}

TEST(TrayMark, CellsSitOnWholePixelsInEverySlot)
{
    // Cell edges between pixels would smear five lit cells into one bar.
    struct Slot
    {
        int side;
        qreal dpr;
    };

    const MarkState state{Provider::openai, MarkStatus::live, pacing(PaceTier::green, 5), true, false};
    for (const MenuBarStyle style : {MenuBarStyle::bars, MenuBarStyle::stacked}) {
        for (const Slot slot : {Slot{14, 1}, Slot{18, 1}, Slot{22, 1}, Slot{24, 1}, Slot{22, 2}, Slot{30, 1.5}}) {
            SCOPED_TRACE(testing::Message()
                         << (style == MenuBarStyle::bars ? "bars " : "stacked ") << slot.side << " at " << slot.dpr);
            const QImage image = TrayMark::pixmap(state, style, slot.side, slot.dpr, whiteText).toImage();
            const double middle = style == MenuBarStyle::bars ? 18 : 16.5 + 10.0 / 6;
            const int row = static_cast<int>(middle * slot.side / TrayMark::designSide * slot.dpr);
            std::vector<int> runs;
            int partial = 0;
            bool inside = false;
            for (int x = 0; x < image.width(); ++x) {
                const int alpha = image.pixelColor(x, row).alpha();
                // The rasteriser's rounding leaves a few per cent in the gaps; a smeared edge is half.
                partial += alpha > 30 && alpha < 225 ? 1 : 0;
                const bool solid = alpha >= 225;
                if (solid && !inside) {
                    runs.push_back(0);
                }
                if (solid) {
                    ++runs.back();
                }
                inside = solid;
            }
            EXPECT_EQ(partial, 0);
            ASSERT_EQ(runs.size(), 5U);
            EXPECT_GE(runs.front(), 2);
            EXPECT_THAT(runs, ::testing::Each(runs.front()));
        }
    }
}

TEST(TrayMark, ShowsTheGlyphAboveTheCells)
{
    for (const MenuBarStyle style : {MenuBarStyle::bars, MenuBarStyle::stacked}) {
        SCOPED_TRACE(style == MenuBarStyle::stacked ? "stacked" : "bars");
        const MarkState state{Provider::claude, MarkStatus::live, pacing(PaceTier::blue, 2), true, false};
        const QPixmap pixmap = TrayMark::pixmap(state, style, 44, 1, whiteText);
        saveForViewing(pixmap, QStringLiteral("tray-%1").arg(static_cast<int>(style)));
        // The glyph's centre is the spark's disc, in the primary colour.
        EXPECT_TRUE(near(at(pixmap, 44, 11, style == MenuBarStyle::stacked ? 8 : 7), Qt::white, 10));
        // Cells are 20 wide from x = 1; the first two are lit in the tier, the third is not.
        const double cellsMiddle = style == MenuBarStyle::stacked ? 16.5 + 10.0 / 6 : 18;
        const QColor lit = at(pixmap, 44, 2.5, cellsMiddle);
        EXPECT_GT(lit.blue(), 240);
        EXPECT_LT(lit.red(), 150);
        EXPECT_LT(at(pixmap, 44, 13, cellsMiddle).alpha(), 40);
    }
}

TEST(TrayMark, CarriesTheLabelsDotsSymbolsAndFading)
{
    const QColor orange = MarkColors::alertOrange();
    const QColor amber = MarkColors::resetCreditAmber();

    struct Case
    {
        std::string_view name;
        MarkState state;
        MenuBarStyle style;
        QColor colour;
        bool shown;
    };

    const auto cases = std::to_array<Case>({
        {"signed out with pacing: the orange dot",
         {Provider::openai, MarkStatus::needsLogin, pacing(PaceTier::red, 1), true, false},
         MenuBarStyle::bars,
         orange,
         true},
        {"signed out without pacing: the orange symbol",
         {Provider::openai, MarkStatus::needsLogin, std::nullopt, false, false},
         MenuBarStyle::bars,
         orange,
         true},
        {"stacked never shows the symbol",
         {Provider::openai, MarkStatus::needsLogin, std::nullopt, false, false},
         MenuBarStyle::stacked,
         orange,
         false},
        {"credits expiring: the amber dot",
         {Provider::claude, MarkStatus::live, pacing(PaceTier::green, 3), true, true},
         MenuBarStyle::bars,
         amber,
         true},
        {"stacked credits: the amber dot",
         {Provider::claude, MarkStatus::live, pacing(PaceTier::green, 3), true, true},
         MenuBarStyle::stacked,
         amber,
         true},
        {"a reset warning in the tier colour",
         {Provider::claude, MarkStatus::live, pacing(PaceTier::blue, 5, true), true, false},
         MenuBarStyle::stacked,
         MarkColors::tierColor(PaceTier::blue),
         true},
        {"live without credits has no amber",
         {Provider::claude, MarkStatus::live, pacing(PaceTier::green, 3), true, false},
         MenuBarStyle::bars,
         amber,
         false},
    });
    QPixmap strip(QSize(24 * 8, 22) * 4);
    strip.setDevicePixelRatio(4);
    strip.fill(Qt::transparent);
    QPainter stripPainter(&strip);
    stripPainter.drawPixmap(QPointF(24.0 * 7, 0), TrayMark::emptyPixmap(22, 4, whiteText));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QPixmap pixmap = TrayMark::pixmap(c.state, c.style, 22, 2, whiteText);
        stripPainter.drawPixmap(QPointF(24.0 * static_cast<double>(&c - cases.data()), 0),
                                TrayMark::pixmap(c.state, c.style, 22, 4, whiteText));
        EXPECT_EQ(countNear(pixmap, c.colour, 12) > 4, c.shown);
    }

    stripPainter.end();
    saveForViewing(strip, QStringLiteral("tray-strip"));

    MarkState stale{Provider::claude, MarkStatus::live, pacing(PaceTier::green, 5), true, false};
    const QColor fresh = at(TrayMark::pixmap(stale, MenuBarStyle::bars, 22, 2, whiteText), 22, 2.5, 18);
    stale.status = MarkStatus::stale;
    const QColor faded = at(TrayMark::pixmap(stale, MenuBarStyle::bars, 22, 2, whiteText), 22, 2.5, 18);
    EXPECT_EQ(fresh.alpha(), 255);
    EXPECT_NEAR(faded.alpha(), 0.45 * 255, 3);
}

TEST(TrayMark, NoProviderIsTheGaugeSymbolAlone)
{
    const QPixmap pixmap = TrayMark::emptyPixmap(22, 2, whiteText);
    saveForViewing(pixmap, QStringLiteral("tray-empty"));
    EXPECT_EQ(pixmap.size(), QSize(44, 44));
    EXPECT_GT(countNear(pixmap, Qt::white, 20), 60);
    EXPECT_EQ(at(pixmap, 22, 0.5, 0.5).alpha(), 0);
    EXPECT_FALSE(TrayMark::emptyIcon(whiteText).isNull());
}

}  // namespace
}  // namespace ostrel
