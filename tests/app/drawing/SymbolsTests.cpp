// The vendored symbols: every one names itself after its system name, finds
// its file in the resources and draws in nothing but the colour asked for, at
// the size and pixel ratio asked for.

#include "drawing/Symbols.h"

#include <algorithm>
#include <set>
#include <string_view>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace ostrel {
namespace {

struct Drawn
{
    int opaque = 0;     ///< pixels fully covered
    int offColour = 0;  ///< clearly visible pixels of another colour
    QRect painted;      ///< bounds of every pixel with some coverage, in device pixels
    int maxAlpha = 0;
};

Drawn inspect(const QImage& drawn, const QColor& tint)
{
    const QImage image = drawn.convertToFormat(QImage::Format_ARGB32);
    Drawn result;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            const int alpha = qAlpha(pixel);
            if (alpha == 0) {
                continue;
            }
            result.painted |= QRect(x, y, 1, 1);
            result.maxAlpha = std::max(result.maxAlpha, alpha);
            result.opaque += alpha == 255 ? 1 : 0;
            // Faint edge pixels lose colour precision to premultiplication.
            const bool far = std::abs(qRed(pixel) - tint.red()) > 3 || std::abs(qGreen(pixel) - tint.green()) > 3
                             || std::abs(qBlue(pixel) - tint.blue()) > 3;
            result.offColour += alpha >= 64 && far ? 1 : 0;
        }
    }
    return result;
}

TEST(Symbols, EachHasItsOwnNameAndFileAndDrawsOnlyInItsTintAtTheAskedSize)
{
    const QColor tint(200, 60, 20);
    std::set<std::string_view> names;
    std::set<QString> files;
    for (int raw = 0; raw <= static_cast<int>(Symbol::wifiExclamationmark); ++raw) {
        const auto symbol = static_cast<Symbol>(raw);
        SCOPED_TRACE(Symbols::systemName(symbol));
        EXPECT_TRUE(names.insert(Symbols::systemName(symbol)).second);
        EXPECT_TRUE(files.insert(Symbols::resourcePath(symbol)).second);
        EXPECT_TRUE(QFile::exists(Symbols::resourcePath(symbol)));
        const QPixmap image = Symbols::pixmap(symbol, 24, tint, 2);
        EXPECT_EQ(image.size(), QSize(48, 48));
        const Drawn drawn = inspect(image.toImage(), tint);
        EXPECT_GT(drawn.opaque, 0);
        EXPECT_EQ(drawn.offColour, 0);
    }
}

TEST(Symbols, KeepTheTintsOpacityAndDimTheDisabledIcon)
{
    const QColor translucent(40, 90, 250, 128);
    const Drawn drawn =
        inspect(Symbols::pixmap(Symbol::checkmarkCircleFill, 20, translucent, 1).toImage(), translucent);
    EXPECT_NEAR(drawn.maxAlpha, 128, 1);
    EXPECT_EQ(drawn.offColour, 0);

    const QIcon icon = Symbols::icon(Symbol::checkmarkCircleFill, 20, Qt::black);
    const int normal = inspect(icon.pixmap(QSize(20, 20), 1.0, QIcon::Normal).toImage(), Qt::black).maxAlpha;
    const int disabled = inspect(icon.pixmap(QSize(20, 20), 1.0, QIcon::Disabled).toImage(), Qt::black).maxAlpha;
    EXPECT_EQ(normal, 255);
    EXPECT_LT(disabled, normal / 2);
}

TEST(Symbols, PaintFitsTheSymbolCentredInItsBoxAtTheDevicesRatio)
{
    // A wide, offset box on a fractional ratio: the square is centred across it.
    const QRectF box(5.5, 7.25, 40, 24);
    constexpr qreal ratio = 1.5;
    QImage canvas(QSize(64, 48) * ratio, QImage::Format_ARGB32_Premultiplied);
    canvas.setDevicePixelRatio(ratio);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        Symbols::paint(painter, Symbol::exclamationmarkCircleFill, box, Qt::black);
    }
    const QRectF square(box.center() - QPointF(12, 12), QSizeF(24, 24));
    const QRectF device(square.topLeft() * ratio, square.size() * ratio);
    const QRect painted = inspect(canvas, Qt::black).painted;
    // The filled disc spans nearly the whole square and stays inside it.
    EXPECT_TRUE(device.adjusted(-1, -1, 1, 1).contains(QRectF(painted)));
    EXPECT_GT(painted.width(), 0.8 * device.width());
    EXPECT_GT(painted.height(), 0.8 * device.height());
}

}  // namespace
}  // namespace ostrel
