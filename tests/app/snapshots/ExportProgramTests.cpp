// The built program's picture export, run as a script would run it on the
// offscreen platform: into a new nested folder and into a path that is a
// regular file.

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string_view>

#include <QFile>
#include <QImage>
#include <QProcess>
#include <gtest/gtest.h>

#include "support/TemporaryFolder.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int runLimitMs = 60000;

/// The exported pictures in the order they are written, with what the design fixes of each.
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

struct ProgramRun
{
    int status = -1;
    QString out;
    QString err;
};

fs::path program()
{
    return fs::path(OSTREL_BINARY_DIR) / "Ostrel" / "ostrel";
}

/// Runs the program in a throw-away home with the given platform settings.
ProgramRun runExport(const fs::path& home, const fs::path& folder, const QStringList& platform)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString root = QString::fromStdString(home.string());
    environment.insert(QStringLiteral("HOME"), root);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), root + QStringLiteral("/data"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), root + QStringLiteral("/cache"));
    for (const QString& assignment : platform) {
        const qsizetype equals = assignment.indexOf(QLatin1Char('='));
        environment.insert(assignment.left(equals), assignment.mid(equals + 1));
    }
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(root);
    process.start(QString::fromStdString(program().string()),
                  {QStringLiteral("--export-snapshots"), QString::fromStdString(folder.string())});
    if (!process.waitForFinished(runLimitMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QStringList expectedPaths(const fs::path& folder)
{
    QStringList paths;
    for (const Picture& expected : pictures) {
        paths << QString::fromStdString((folder / expected.name).string());
    }
    return paths;
}

QImage picture(const fs::path& folder, std::string_view name)
{
    return QImage(QString::fromStdString((folder / name).string()));
}

/// Points per pixel as the PNG states them: 2 for a 2× picture.
double scaleOf(const QImage& image)
{
    return image.dotsPerMeterX() / (72 * 39.3700787);
}

TEST(ExportProgram, IntoARegularFileFailsOnStandardErrorWritesNothingAndExitsOne)
{
    ASSERT_TRUE(fs::exists(program())) << "build the ostrel target first";
    const testing::TemporaryFolder home;
    const fs::path file = home.path() / "not-a-folder";
    std::ofstream(file) << "kept";
    const ProgramRun run = runExport(home.path(), file, {QStringLiteral("QT_QPA_PLATFORM=offscreen")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, QString());
    // The platform may warn first; the program's own line comes last.
    const QString last = run.err.trimmed().split(QLatin1Char('\n')).last();
    EXPECT_TRUE(last.startsWith(QStringLiteral("Export failed: "))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QString::fromStdString(file.string()))) << run.err.toStdString();
    EXPECT_TRUE(run.err.endsWith(QLatin1Char('\n')));
    EXPECT_EQ(fs::file_size(file), 4U);
}

TEST(ExportProgram, WritesTheNinePicturesIntoANewNestedFolder)
{
    ASSERT_TRUE(fs::exists(program())) << "build the ostrel target first";
    const testing::TemporaryFolder home;
    const fs::path offscreen = home.path() / "pictures" / "of" / "today";
    const ProgramRun run = runExport(home.path(), offscreen, {QStringLiteral("QT_QPA_PLATFORM=offscreen")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, expectedPaths(offscreen).join(QLatin1Char('\n')) + QLatin1Char('\n'));
    EXPECT_FALSE(run.err.contains(QStringLiteral("Export failed"))) << run.err.toStdString();

    for (const Picture& c : pictures) {
        SCOPED_TRACE(c.name);
        const QImage image = picture(offscreen, c.name);
        ASSERT_FALSE(image.isNull());
        EXPECT_NEAR(scaleOf(image), c.scale, 0.01);
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
