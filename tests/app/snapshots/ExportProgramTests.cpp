// The built program's picture export, run as a script would run it: on the
// offscreen platform and on a real X server, into a new nested folder and
// into a path that is a regular file.

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string_view>

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
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

/// A private X server, stopped by its own process id when the test ends.
class VirtualScreen
{
public:
    explicit VirtualScreen(const fs::path& work)
    {
        const QString displayFile = QString::fromStdString((work / "display").string());
        // The server picks a free display itself and writes its number to fd 3.
        m_server.start(QStringLiteral("/bin/sh"),
                       {QStringLiteral("-c"),
                        QStringLiteral("exec Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -auth /dev/null "
                                       "3>\"$0\""),
                        displayFile});
        if (!m_server.waitForStarted()) {
            return;
        }
        for (int tries = 0; tries < 100 && m_display.isEmpty(); ++tries) {
            QFile file(displayFile);
            if (file.open(QIODevice::ReadOnly)) {
                m_display = QString::fromUtf8(file.readLine()).trimmed();
            }
            if (m_display.isEmpty()) {
                m_server.waitForFinished(100);
            }
        }
    }

    VirtualScreen(const VirtualScreen&) = delete;
    VirtualScreen& operator=(const VirtualScreen&) = delete;

    ~VirtualScreen()
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            if (!m_server.waitForFinished(5000)) {
                m_server.kill();
                m_server.waitForFinished();
            }
        }
    }

    /// ":N", empty when the server did not start.
    [[nodiscard]] QString display() const
    {
        return m_display.isEmpty() ? QString() : QLatin1Char(':') + m_display;
    }

private:
    QProcess m_server;
    QString m_display;
};

// The offscreen run is checked against the design; a run on a real X server
// must give the same pictures in size and scheme.
TEST(ExportProgram, WritesTheNinePicturesIntoANewNestedFolderAlikeOffscreenAndOnX)
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

    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) {
        GTEST_SKIP() << "Xvfb is not installed: the offscreen pictures alone were checked";
    }
    const VirtualScreen screen(home.path());
    ASSERT_FALSE(screen.display().isEmpty()) << "Xvfb did not start";
    const fs::path onX = home.path() / "x";
    const ProgramRun second =
        runExport(home.path(),
                  onX,
                  {QStringLiteral("QT_QPA_PLATFORM=xcb"), QStringLiteral("DISPLAY=") + screen.display()});
    ASSERT_EQ(second.status, 0) << second.err.toStdString();
    EXPECT_EQ(second.out, expectedPaths(onX).join(QLatin1Char('\n')) + QLatin1Char('\n'));
    for (const Picture& c : pictures) {
        SCOPED_TRACE(c.name);
        const QImage a = picture(offscreen, c.name);
        const QImage b = picture(onX, c.name);
        ASSERT_FALSE(b.isNull());
        EXPECT_EQ(scaleOf(a), scaleOf(b));
        EXPECT_EQ(a.width(), b.width());
        // Fonts may round a line differently on the two platforms: a few points at most.
        EXPECT_NEAR(a.height(), b.height(), 4 * scaleOf(a));
        if (scaleOf(a) == 2) {
            EXPECT_EQ(a.pixelColor(a.width() / 2, 10), b.pixelColor(b.width() / 2, 10));
        }
    }
}

}  // namespace
}  // namespace ostrel
