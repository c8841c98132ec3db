// The built program's picture export as a script meets it: a failure is told
// on standard error and in the exit status. What is written on success is
// checked through PanelSnapshot::exportAll.

#include <filesystem>
#include <fstream>

#include <QProcess>
#include <gtest/gtest.h>

#include "support/TemporaryFolder.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

TEST(ExportProgram, IntoARegularFileFailsOnStandardErrorWritesNothingAndExitsOne)
{
    const fs::path program = fs::path(OSTREL_BINARY_DIR) / "Ostrel" / "ostrel";
    ASSERT_TRUE(fs::exists(program)) << "build the ostrel target first";
    const testing::TemporaryFolder home;
    const fs::path file = home.path() / "not-a-folder";
    std::ofstream(file) << "kept";

    // A throw-away home, so nothing of the user's is read or written.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString root = QString::fromStdString(home.path().string());
    environment.insert(QStringLiteral("HOME"), root);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), root + QStringLiteral("/data"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), root + QStringLiteral("/cache"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(root);
    process.start(QString::fromStdString(program.string()),
                  {QStringLiteral("--export-snapshots"), QString::fromStdString(file.string())});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_EQ(process.readAllStandardOutput(), QByteArray());
    const QString err = QString::fromUtf8(process.readAllStandardError());
    // The platform may warn first; the program's own line comes last.
    const QString last = err.trimmed().split(QLatin1Char('\n')).last();
    EXPECT_TRUE(last.startsWith(QStringLiteral("Export failed: "))) << err.toStdString();
    EXPECT_TRUE(err.contains(QString::fromStdString(file.string()))) << err.toStdString();
    EXPECT_TRUE(err.endsWith(QLatin1Char('\n')));
    EXPECT_EQ(fs::file_size(file), 4U);
}

}  // namespace
}  // namespace ostrel
