// How long one provider card takes to be given its value and painted when the
// provider reports many windows: the week, the session and six more (per-model
// weeks, other limits), one of them running out first, as the panel does at
// every re-evaluation. Runs on Qt's offscreen platform unless another is set.
//
//   ProviderCardBench [draws]     (default 200)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QApplication>
#include <QImage>

#include "panel/card/ProviderCard.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double day = 86400;

double milliseconds(Clock::duration span)
{
    return std::chrono::duration<double, std::milli>(span).count();
}

/// A reading with eight windows in all; the Sonnet week runs out first.
ostrel::ProviderSnapshot manyWindows(ostrel::Date now)
{
    using ostrel::Seconds;
    using ostrel::UsageWindow;
    ostrel::ProviderReading reading{.provider = ostrel::Provider::claude,
                                    .fetchedAt = now - Seconds{60},
                                    .plan = "Max"};
    reading.weekly = UsageWindow{40, now + Seconds{3.5 * day}, UsageWindow::week};
    reading.session = UsageWindow{30, now + Seconds{3 * 3600}, UsageWindow::fiveHours};
    reading.otherWindows = {{"seven_day_opus", "Opus · week", {20, now + Seconds{3.5 * day}, UsageWindow::week}},
                            {"seven_day_sonnet", "Sonnet · week", {80, now + Seconds{3.5 * day}, UsageWindow::week}},
                            {"seven_day_oauth_apps", "Apps · week", {3, now + Seconds{3.5 * day}, UsageWindow::week}},
                            {"model:Opus 4.1", "Opus 4.1", {5, now + Seconds{2 * day}, UsageWindow::week}},
                            {"model:Haiku", "Haiku", {1, now + Seconds{2 * day}, UsageWindow::week}},
                            {"model:Fable", "Fable", {60, now + Seconds{5 * day}, UsageWindow::week}}};
    return {reading, now - Seconds{60}, std::nullopt};
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // A benchmark's own count: text that is no number reads as 0, then 1.
    // NOLINTNEXTLINE(cert-err34-c,cppcoreguidelines-pro-bounds-pointer-arithmetic)
    const int draws = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    QApplication app(argc, argv);

    const ostrel::Date now = ostrel::dateFromSince1970(1'800'000'000);
    ostrel::ProviderCard card(
        ostrel::Provider::claude,
        [] {},
        true);
    card.setAttribute(Qt::WA_DontShowOnScreen);
    card.setFixedWidth(356);
    const ostrel::ProviderSnapshot snapshot = manyWindows(now);
    ostrel::ProviderCard::Value value{ostrel::ProviderDisplay::make(snapshot, ostrel::Provider::claude, now, 7800),
                                      false,
                                      {},
                                      now,
                                      std::nullopt};
    card.set(value);
    card.adjustSize();
    card.show();
    std::printf("platform %s, %zu windows, %d draws each\n",
                qPrintable(QGuiApplication::platformName()),
                value.display.windows.size(),
                draws);
    for (const double scale : {1.0, 2.0}) {
        QImage image(card.size() * scale, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(scale);
        std::vector<double> samples;
        for (int draw = 0; draw < draws; ++draw) {
            const Clock::time_point start = Clock::now();
            // The panel's re-evaluation: the display worked out again, then given and painted.
            value.display = ostrel::ProviderDisplay::make(snapshot, ostrel::Provider::claude, now, 7800);
            card.set(value);
            card.render(&image);
            samples.push_back(milliseconds(Clock::now() - start));
        }
        std::ranges::sort(samples);
        std::printf("scale %.0f: display, value and paint, median %6.3f ms (max %6.3f)\n",
                    scale,
                    samples[samples.size() / 2],
                    samples.back());
    }
    return 0;
}
