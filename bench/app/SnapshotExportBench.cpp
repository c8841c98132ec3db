// How long the whole picture export takes: the demonstration store made and
// the nine pictures rendered, encoded and written into a fresh folder, as
// "--export-snapshots" does after the application has started. Runs on Qt's
// offscreen platform unless another is set.
//
//   SnapshotExportBench [runs]     (default 15)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QApplication>
#include <QTemporaryDir>

#include "settings/AppSettings.h"
#include "snapshots/PanelSnapshot.h"
#include "store/UsageStore.h"

namespace {

using Clock = std::chrono::steady_clock;

double milliseconds(Clock::duration span)
{
    return std::chrono::duration<double, std::milli>(span).count();
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // A benchmark's own count: text that is no number reads as 0, then 1.
    // NOLINTNEXTLINE(cert-err34-c,cppcoreguidelines-pro-bounds-pointer-arithmetic)
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    QApplication app(argc, argv);
    QTemporaryDir folder;
    ostrel::AppSettings settings(
        folder.path().toStdString(),
        ostrel::LoginItem(folder.path().toStdString() + "/autostart/ostrel.desktop", "ostrel"));

    std::vector<double> samples;
    for (int run = 0; run < runs; ++run) {
        const std::string target = folder.path().toStdString() + "/run-" + std::to_string(run) + "/pictures";
        const Clock::time_point start = Clock::now();
        ostrel::UsageStore::Options options;
        options.demo = true;
        ostrel::UsageStore store(settings, std::move(options));
        const auto written = ostrel::PanelSnapshot::exportAll(store, settings, target);
        samples.push_back(milliseconds(Clock::now() - start));
        if (!written || written->size() != 9) {
            std::fprintf(stderr, "the export did not write the nine pictures\n");
            return 1;
        }
    }
    const double first = samples.front();
    std::sort(samples.begin(), samples.end());
    std::printf("platform %s\n", qPrintable(QGuiApplication::platformName()));
    std::printf("first export                 %8.1f ms\n", first);
    std::printf("median of %2d exports         %8.1f ms (min %.1f, max %.1f)\n",
                runs,
                samples[samples.size() / 2],
                samples.front(),
                samples.back());
    return 0;
}
