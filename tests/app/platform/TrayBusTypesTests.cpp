#include "platform/TrayBusTypes.h"

#include <array>
#include <string_view>

#include <QColor>
#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(TrayBusTypes, IconPixelsGoOutAsArgbInNetworkByteOrder)
{
    struct Case
    {
        std::string_view name;
        QColor color;
        std::array<uchar, 4> bytes;
    };

    const auto cases = std::to_array<Case>({
        {"opaque orange", QColor(0xd9, 0x77, 0x57), {0xff, 0xd9, 0x77, 0x57}},
        {"half-transparent blue is not premultiplied", QColor(0x00, 0x40, 0xff, 0x80), {0x80, 0x00, 0x40, 0xff}},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QImage image(3, 2, QImage::Format_ARGB32_Premultiplied);
        image.fill(c.color);
        const IconPixmap pixmap = IconPixmap::fromImage(image);
        EXPECT_EQ(pixmap.width, 3);
        EXPECT_EQ(pixmap.height, 2);
        ASSERT_EQ(pixmap.bytes.size(), 3 * 2 * 4);
        for (qsizetype at = 0; at < pixmap.bytes.size(); at += 4) {
            for (std::size_t byte = 0; byte < 4; ++byte) {
                EXPECT_NEAR(static_cast<uchar>(pixmap.bytes[at + static_cast<qsizetype>(byte)]), c.bytes[byte], 1)
                    << "byte " << byte;
            }
        }
    }
}

}  // namespace
}  // namespace ostrel
