// The shared marks: spark, knot, provider glyphs and the application mark,
// checked on their outlines and on real offscreen renderings.

#include <array>
#include <cmath>
#include <numbers>
#include <string_view>

#include <QImage>
#include <QPainter>
#include <QTransform>
#include <gtest/gtest.h>

#include "drawing/KnotShape.h"
#include "drawing/MarkColors.h"
#include "drawing/OstrelMark.h"
#include "drawing/ProviderGlyph.h"
#include "drawing/SparkShape.h"

namespace ostrel {
namespace {

QPointF rayPoint(QPointF centre, double radius, int index, int rays, double distance)
{
    const double angle = -std::numbers::pi / 2 + 2 * std::numbers::pi * index / rays + 0.11;
    return centre + distance * radius * QPointF(std::cos(angle), std::sin(angle));
}

QImage transparentImage(int side, qreal dpr)
{
    QImage image(QSize(side, side) * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    return image;
}

TEST(SparkShape, WithoutRaysIsOnlyTheCentralDiscAndScalesWithItsFrame)
{
    const QPainterPath path = SparkShape{0}.path(QRectF(0, 0, 100, 60));
    const QRectF box = path.boundingRect();
    EXPECT_NEAR(box.center().x(), 50, 1e-6);
    EXPECT_NEAR(box.center().y(), 30, 1e-6);
    EXPECT_NEAR(box.width(), 2 * 0.22 * 30, 1e-6);
    EXPECT_NEAR(box.height(), 2 * 0.22 * 30, 1e-6);
    // With rays too, the shape grows with its frame.
    const QRectF small = SparkShape{12}.path(QRectF(0, 0, 10, 10)).boundingRect();
    const QRectF large = SparkShape{12}.path(QRectF(0, 0, 40, 40)).boundingRect();
    EXPECT_NEAR(large.width(), 4 * small.width(), 1e-3);
    EXPECT_NEAR(large.left(), 4 * small.left(), 1e-3);
}

TEST(SparkShape, RaysAlternateInLengthAndStayInsideTheFrame)
{
    const QRectF frame(0, 0, 100, 100);
    const QPointF centre = frame.center();
    const QPainterPath path = SparkShape{12}.path(frame);
    EXPECT_TRUE(frame.adjusted(-0.5, -0.5, 0.5, 0.5).contains(path.boundingRect()));

    struct Case
    {
        std::string_view name;
        int ray;
        double distance;  ///< along the ray, in radii
        bool filled;
    };

    constexpr auto cases = std::to_array<Case>({
        {"a long ray shortened at a multiple of three reaches 0.96", 0, 0.94, true},
        {"and ends there", 0, 1.005, false},
        {"a short ray reaches 0.82", 1, 0.80, true},
        {"and ends there", 1, 0.86, false},
        {"a long ray that is no multiple of three reaches further", 2, 0.98, true},
        {"where the disc and a ray overlap the union has no hole", 5, 0.19, true},
        {"the disc itself is filled", 0, 0.0, true},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(path.contains(rayPoint(centre, 50, c.ray, 12, c.distance)), c.filled);
    }
    // Halfway between the first two rays, outside the disc, is empty.
    EXPECT_FALSE(path.contains(rayPoint(centre, 50, 1, 24, 0.6)));
}

TEST(KnotShape, IsSixLinksWithAClearCentre)
{
    const QRectF frame(0, 0, 100, 100);
    const QPainterPath path = KnotShape{10.5}.path(frame);
    EXPECT_FALSE(path.contains(frame.center()));
    QTransform sixth;
    sixth.translate(50, 50);
    sixth.rotate(60);
    sixth.translate(-50, -50);
    // The first link's top edge runs through (c.x + 0.18 s, c.y - 0.43 s); each
    // sixth of a turn carries it onto the next link, and the whole knot onto itself.
    QPointF onEdge(68, 7);
    for (int step = 0; step < 6; ++step) {
        SCOPED_TRACE(step);
        EXPECT_TRUE(path.contains(onEdge));
        onEdge = sixth.map(onEdge);
    }
    int differing = 0;
    for (int y = 5; y < 100; y += 10) {
        for (int x = 5; x < 100; x += 10) {
            const QPointF point(x, y);
            differing += path.contains(point) != path.contains(sixth.map(point)) ? 1 : 0;
        }
    }
    EXPECT_LE(differing, 3);  // only points within rounding of an edge may differ
}

TEST(KnotShape, OutlineWidensWithTheLineWidth)
{
    const QRectF frame(0, 0, 100, 100);
    const QRectF thin = KnotShape{2}.path(frame).boundingRect();
    const QRectF thick = KnotShape{10}.path(frame).boundingRect();
    EXPECT_NEAR(thick.width() - thin.width(), 8, 0.2);
    EXPECT_NEAR(thin.center().x(), 50, 1.0);
}

TEST(ProviderGlyph, OnlyClaudeChangesColourWhenMonochrome)
{
    const QColor primary(20, 20, 20);
    EXPECT_EQ((ProviderGlyph{Provider::claude, 13, false}.fillColor(primary)), MarkColors::accent(Provider::claude));
    EXPECT_EQ((ProviderGlyph{Provider::claude, 13, true}.fillColor(primary)), primary);
    EXPECT_EQ((ProviderGlyph{Provider::openai, 13, false}.fillColor(primary)), primary);
    EXPECT_EQ((ProviderGlyph{Provider::openai, 13, true}.fillColor(primary)), primary);
    EXPECT_EQ((ProviderGlyph{Provider::claude, 13, true}.accessibleName()), QStringLiteral("Claude"));
    EXPECT_EQ((ProviderGlyph{Provider::openai, 13, true}.accessibleName()), QStringLiteral("OpenAI"));
}

TEST(ProviderGlyph, DrawsTheSparkInTheAccentAtBothPixelRatios)
{
    for (const qreal dpr : {1.0, 2.0}) {
        SCOPED_TRACE(dpr);
        QImage image = transparentImage(26, dpr);
        {
            QPainter painter(&image);
            ProviderGlyph{Provider::claude, 26, false}.paint(painter, QPointF(0, 0), Qt::black);
        }
        const QPoint centre = QPoint(13, 13) * dpr;
        EXPECT_EQ(image.pixelColor(centre), MarkColors::accent(Provider::claude));
        EXPECT_EQ(image.pixelColor(QPoint(1, 1)).alpha(), 0);
    }
}

TEST(OstrelMark, ThreeRisingBarsShadeFromTheTierHighlightToTheTierColour)
{
    QImage image = transparentImage(16, 4);
    {
        QPainter painter(&image);
        OstrelMark::paint(painter, QPointF(0, 0));
    }
    // The blue, green and yellow tier colours of the design, at the foot of each bar.
    const std::array tiers{QColor(61, 139, 255), QColor(47, 203, 110), QColor(255, 197, 61)};
    // Each bar, 7, 11 and 15 points tall, stands on the bottom edge.
    constexpr std::array heights{7, 11, 15};
    for (std::size_t i = 0; i < tiers.size(); ++i) {
        SCOPED_TRACE(i);
        const int x = (static_cast<int>(i) * 6 + 2) * 4;
        int lit = 0;
        for (int y = 0; y < image.height(); ++y) {
            lit += image.pixelColor(x, y).alpha() > 128 ? 1 : 0;
        }
        EXPECT_NEAR(lit, heights.at(i) * 4, 2);
        const QColor bottom = image.pixelColor(x, 16 * 4 - 1);
        const QColor& colour = tiers.at(i);
        EXPECT_NEAR(bottom.red(), colour.red(), 4);
        EXPECT_NEAR(bottom.green(), colour.green(), 4);
        EXPECT_NEAR(bottom.blue(), colour.blue(), 4);
    }
}

}  // namespace
}  // namespace ostrel
