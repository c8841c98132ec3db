// How long one activity card takes to draw for a heavy user: a week and a
// day of ten-minute buckets, every bucket filled with the token counts of a
// busy session, built straight into a TokenSeries (what a scan of a large
// session-log tree hands the panel). Each sample gives the card its value and
// paints it into an image, as the panel does at every re-evaluation. Runs on
// Qt's offscreen platform unless another is set.
//
//   ActivityCardBench [draws]     (default 200)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <unicode/locid.h>

#include "base/LocalCalendar.h"
#include "panel/activity/ActivityCard.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double week = 604800;
constexpr double bucket = 600;

double milliseconds(Clock::duration span)
{
    return std::chrono::duration<double, std::milli>(span).count();
}

/// Eight days of buckets (the scanner's look-back), every one of them used.
ostrel::ProviderActivity heavyWeek(ostrel::Date now)
{
    ostrel::ProviderActivity activity;
    activity.scannedAt = now;
    const double first = ostrel::secondsSince1970(now) - week - 86400;
    for (std::int64_t step = 0; first + static_cast<double>(step) * bucket <= ostrel::secondsSince1970(now); ++step) {
        const double at = first + static_cast<double>(step) * bucket;
        activity.tokens.add({2'400'000 + step * 97 % 800'000, 60'000 + step * 31 % 40'000, 9'000 + step * 13 % 6'000},
                            ostrel::dateFromSince1970(at));
    }
    return activity;
}

struct Result
{
    double median = 0;
    double worst = 0;
    double valueMedian = 0;  ///< of setValue alone
};

Result drawCards(ostrel::ActivityCard& card, const ostrel::ActivityCard::Value& value, double scale, int draws)
{
    QImage image(card.size() * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    std::vector<double> samples;
    std::vector<double> valueSamples;
    samples.reserve(static_cast<std::size_t>(draws));
    valueSamples.reserve(static_cast<std::size_t>(draws));
    for (int draw = 0; draw < draws; ++draw) {
        const Clock::time_point start = Clock::now();
        card.setValue(value);
        const Clock::time_point valued = Clock::now();
        card.render(&image);
        samples.push_back(milliseconds(Clock::now() - start));
        valueSamples.push_back(milliseconds(valued - start));
    }
    std::ranges::sort(samples);
    std::ranges::sort(valueSamples);
    return {samples[samples.size() / 2], samples.back(), valueSamples[valueSamples.size() / 2]};
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

    const ostrel::Date now = ostrel::dateFromSince1970(1'796'000'000);
    ostrel::ActivityCard card(ostrel::Provider::claude);
    card.setAttribute(Qt::WA_DontShowOnScreen);
    card.resize(356, card.sizeHint().height());
    card.show();

    ostrel::ActivityCard::Value value;
    value.activity = heavyWeek(now);
    value.now = now;
    // The panel makes the user's calendar once per evaluation and hands it to every card.
    if (const std::unique_ptr<icu::Calendar> calendar = ostrel::localCalendar()) {
        value.calendar = ostrel::RenewalText(*calendar, icu::Locale::getDefault());
    }
    std::printf("platform %s, %zu buckets, %d draws each\n",
                qPrintable(QGuiApplication::platformName()),
                value.activity->tokens.buckets.size(),
                draws);
    for (const ostrel::ActivityRange range : ostrel::allActivityRanges) {
        for (const double scale : {1.0, 2.0}) {
            value.range = range;
            const Result result = drawCards(card, value, scale, draws);
            std::printf("%-8s scale %.0f: value and paint, median %6.3f ms (max %6.3f), of which the value %6.3f ms\n",
                        range == ostrel::ActivityRange::day ? "24 hours" : "7 days",
                        scale,
                        result.median,
                        result.worst,
                        result.valueMedian);
        }
    }
    return 0;
}
