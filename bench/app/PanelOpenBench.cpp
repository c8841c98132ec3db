// How long a click takes to show the panel: from the tray controller's toggle
// to the first frame painted with both providers' places filled, on the
// demonstration data. Runs on Qt's offscreen platform unless another is set.
//
//   PanelOpenBench [opens]     (default 50)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QApplication>
#include <QTemporaryDir>

#include "panel/PanelView.h"
#include "panel/PanelWindow.h"
#include "settings/AppSettings.h"
#include "store/UsageStore.h"
#include "tray/StatusItemController.h"

namespace {

using Clock = std::chrono::steady_clock;

/// Notes when the view has painted a frame.
class PaintWatch : public QObject
{
public:
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            painted = true;
        }
        return QObject::eventFilter(watched, event);
    }
};

// The offscreen platform warns that it cannot raise windows or grab the keyboard at every open.
void quiet(QtMsgType /*type*/, const QMessageLogContext& /*context*/, const QString& /*message*/) {}

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
    const int opens = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    qInstallMessageHandler(quiet);
    QApplication app(argc, argv);
    QTemporaryDir folder;
    ostrel::AppSettings settings(
        folder.path().toStdString(),
        ostrel::LoginItem(folder.path().toStdString() + "/autostart/ostrel.desktop", "ostrel"));
    ostrel::UsageStore::Options options;
    options.demo = true;
    ostrel::UsageStore store(settings, std::move(options));

    const Clock::time_point made = Clock::now();
    ostrel::StatusItemController controller(store, settings);
    const double construction = milliseconds(Clock::now() - made);

    ostrel::PanelWindow& panel = controller.panel();
    PaintWatch watch;
    panel.view().installEventFilter(&watch);
    std::vector<double> samples;
    for (int open = 0; open < opens; ++open) {
        watch.painted = false;
        const Clock::time_point click = Clock::now();
        controller.togglePanel(QRect(600, 0, 22, 24));
        while (!watch.painted) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        samples.push_back(milliseconds(Clock::now() - click));
        if (panel.view().providerCards().size() != 2) {
            std::fprintf(stderr, "the panel opened without both providers\n");
            return 1;
        }
        panel.hide();
        QCoreApplication::processEvents();
    }
    const double first = samples.front();
    std::sort(samples.begin() + 1, samples.end());
    const double median = samples.size() > 1 ? samples[samples.size() / 2] : first;
    std::printf("platform %s\n", qPrintable(QGuiApplication::platformName()));
    std::printf("controller with its panel made in  %7.2f ms\n", construction);
    std::printf("first open, click to painted frame %7.2f ms\n", first);
    std::printf("later opens, median of %d          %7.2f ms (max %.2f)\n", opens - 1, median, samples.back());
    return 0;
}
