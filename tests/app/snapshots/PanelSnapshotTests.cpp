#include "snapshots/PanelSnapshot.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <string_view>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <gtest/gtest.h>

#include "snapshots/SnapshotFrame.h"
#include "snapshots/SocialCard.h"
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

// A picture going on as image/png is checked through the tray's Copy Snapshot.
TEST(PanelSnapshot, CopiesTheTextWhenThereIsNoPicture)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("left over"));
    PanelSnapshot::copy(std::nullopt, QStringLiteral("Claude 18% used"));
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_FALSE(data->hasFormat(QStringLiteral("image/png")));
    EXPECT_EQ(data->text(), QStringLiteral("Claude 18% used"));
}

TEST_F(PanelSnapshotTest, FramesEachSchemeInItsOwnColoursWhateverTheDesktops)
{
    struct Case
    {
        std::string_view name;
        ColorScheme scheme;
        QColor background;
        bool borderLighter;
    };

    const auto cases = std::to_array<Case>({
        {"dark", ColorScheme::dark, QColor(28, 29, 34), true},
        {"light", ColorScheme::light, QColor(244, 244, 246), false},
    });
    // The desktop is light here; the dark picture must not follow it.
    const QPalette before = QApplication::palette();
    QApplication::setPalette(Theme::palette(ColorScheme::light));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto picture = PanelSnapshot::renderPanel(store, settings, PanelState{}, c.scheme, 2);
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->width(), 2 * 384);
        // The padding above the header shows the frame itself.
        EXPECT_EQ(picture->pixelColor(picture->width() / 2, 10), c.background);
        // The squircle corners are cut away; just inside, the frame shows.
        EXPECT_EQ(picture->pixelColor(0, 0).alpha(), 0);
        EXPECT_EQ(picture->pixelColor(picture->width() - 1, picture->height() - 1).alpha(), 0);
        EXPECT_EQ(picture->pixelColor(24, 24), c.background);
        // The one-point border inside the edge: text colour over the background.
        const QColor border = picture->pixelColor(picture->width() / 2, 0);
        EXPECT_EQ(border.alpha(), 255);
        EXPECT_EQ(border.red() > c.background.red(), c.borderLighter) << border.name().toStdString();
        EXPECT_NE(border, c.background);
    }
    QApplication::setPalette(before);
}

TEST_F(PanelSnapshotTest, ExportsTheNinePicturesIntoANewNestedFolderAndNothingIntoAFile)
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

    const std::filesystem::path file = home.path() / "not-a-folder";
    std::ofstream(file) << "kept";
    const auto refused = PanelSnapshot::exportAll(store, settings, file);
    ASSERT_FALSE(refused.has_value());
    EXPECT_EQ(refused.error().failure, ExportFailure::folderNotCreated);
    EXPECT_EQ(std::filesystem::file_size(file), 4U);
}

TEST(SocialCard, PlacesThePanel400PointsWideWithinTheContentAndPaintsTheNightGradient)
{
    struct Case
    {
        std::string_view name;
        QSize panelPoints;
        QSizeF drawn;
    };

    const auto cases = std::to_array<Case>({
        {"a short panel keeps its proportions", {384, 288}, {400, 300}},
        {"a tall panel is fitted into the content's height", {384, 960}, {188, 470}},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QImage panel(c.panelPoints * 2, QImage::Format_ARGB32_Premultiplied);
        panel.setDevicePixelRatio(2);
        panel.fill(QColor(28, 29, 34));
        SocialCard card(panel);
        const QRectF place = card.panelRect();
        EXPECT_NEAR(place.width(), c.drawn.width(), 0.5);
        EXPECT_NEAR(place.height(), c.drawn.height(), 0.5);
        EXPECT_NEAR(place.right(), SocialCard::cardWidth - SocialCard::inset, 0.5);

        const auto picture = PanelSnapshot::render(card, 1);
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->size(), QSize(1200, 630));
        // Top-left: the gradient's top colour, beyond the glow's reach.
        const QColor corner = picture->pixelColor(2, 2);
        EXPECT_NEAR(corner.red(), 7, 2);
        EXPECT_NEAR(corner.green(), 11, 2);
        EXPECT_NEAR(corner.blue(), 24, 3);
        // The panel picture itself, in the middle of its place.
        EXPECT_EQ(picture->pixelColor(place.center().toPoint()), QColor(28, 29, 34));
    }
}

}  // namespace
}  // namespace ostrel
