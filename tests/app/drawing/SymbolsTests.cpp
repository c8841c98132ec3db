// The vendored symbols: every one names itself after its system name, finds
// its file in the resources and draws in nothing but the colour asked for, at
// the size asked for.

#include "drawing/Symbols.h"

#include <cstdlib>
#include <set>
#include <string_view>

#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

namespace ostrel {
namespace {

struct Drawn
{
    int opaque = 0;     ///< pixels fully covered
    int offColour = 0;  ///< clearly visible pixels of another colour
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

}  // namespace
}  // namespace ostrel
