#include "snapshots/PanelSnapshot.h"

#include <array>
#include <filesystem>
#include <string_view>

#include <QWidget>
#include <gtest/gtest.h>

#include "store/UsageStore.h"
#include "support/TempSettings.h"
#include "support/TemporaryFolder.h"

namespace ostrel {
namespace {

constexpr double pointsPerMetreAt1x = 72 * 39.3700787;

class PanelSnapshotTest : public ::testing::Test
{
protected:
    static UsageStore::Options demo()
    {
        UsageStore::Options options;
        options.demo = true;
        return options;
    }

    testing::TempSettings temp;
    AppSettings& settings = temp.settings;
    UsageStore store{settings, demo()};
};

/// A widget of a fixed size in one flat colour.
class Swatch : public QWidget
{
public:
    explicit Swatch(QSize size)
    {
        setFixedSize(size);
        setAutoFillBackground(true);
        QPalette flat;
        flat.setColor(QPalette::Window, QColor(10, 200, 30));
        setPalette(flat);
    }
};

TEST(PanelSnapshot, RendersAWidgetAtItsScaleAndKeepsTheScaleInThePng)
{
    struct Case
    {
        std::string_view name;
        QSize points;
        double scale;
        bool drawn;
    };

    constexpr auto cases = std::to_array<Case>({
        {"the tray label's three", {31, 22}, 3, true},
        {"nothing to draw", {0, 20}, 2, false},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Swatch swatch(c.points);
        const std::optional<QImage> picture = PanelSnapshot::render(swatch, c.scale);
        ASSERT_EQ(picture.has_value(), c.drawn);
        if (!picture) {
            continue;
        }
        EXPECT_EQ(picture->size(), c.points * c.scale);
        EXPECT_EQ(picture->deviceIndependentSize(), QSizeF(c.points));
        EXPECT_EQ(picture->pixelColor(picture->width() - 1, picture->height() - 1), QColor(10, 200, 30));
        EXPECT_FALSE(swatch.isVisible()) << "a hidden widget stays hidden";

        const std::optional<QByteArray> png = PanelSnapshot::pngData(*picture);
        ASSERT_TRUE(png);
        const QImage read = QImage::fromData(*png, "PNG");
        EXPECT_EQ(read.size(), picture->size());
        EXPECT_NEAR(read.dotsPerMeterX() / pointsPerMetreAt1x, c.scale, 0.01);
    }
}

TEST_F(PanelSnapshotTest, ExportsTheNinePicturesIntoANewNestedFolder)
{
    struct Picture
    {
        std::string_view name;
        double scale;
        QSize pixels;  ///< a zero side is not fixed by the design
        bool dark;
    };

    constexpr auto pictures = std::to_array<Picture>({
        {"ostrel-dark.png", 2, {768, 0}, true},
        {"activity-dark.png", 2, {768, 0}, true},
        {"activity-new-dark.png", 2, {768, 0}, true},
        {"menubar-dark.png", 3, {0, 66}, true},
        {"ostrel-light.png", 2, {768, 0}, false},
        {"activity-light.png", 2, {768, 0}, false},
        {"activity-new-light.png", 2, {768, 0}, false},
        {"menubar-light.png", 3, {0, 66}, false},
        {"social.png", 1, {1200, 630}, true},
    });
    const testing::TemporaryFolder home;
    const std::filesystem::path folder = home.path() / "pictures" / "of" / "today";
    const auto written = PanelSnapshot::exportAll(store, settings, folder);
    ASSERT_TRUE(written.has_value()) << written.error().description();
    ASSERT_EQ(written->size(), pictures.size());
    for (std::size_t index = 0; index < pictures.size(); ++index) {
        const Picture& c = pictures.at(index);
        SCOPED_TRACE(c.name);
        EXPECT_EQ(written->at(index), folder / c.name);
        const QImage image(QString::fromStdString((folder / c.name).string()));
        ASSERT_FALSE(image.isNull());
        EXPECT_NEAR(image.dotsPerMeterX() / pointsPerMetreAt1x, c.scale, 0.01);
        if (c.pixels.width() != 0) {
            EXPECT_EQ(image.width(), c.pixels.width());
        }
        if (c.pixels.height() != 0) {
            EXPECT_EQ(image.height(), c.pixels.height());
        }
        if (c.scale == 2) {
            // The frame shows in the padding above the header.
            EXPECT_EQ(image.pixelColor(image.width() / 2, 10), c.dark ? QColor(28, 29, 34) : QColor(244, 244, 246));
            EXPECT_EQ(image.height() % 2, 0) << "a whole number of points";
        }
    }
}

}  // namespace
}  // namespace ostrel
