#include "model/DemoData.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "model/TokenSeries.h"

namespace ostrel::DemoData {
namespace {

constexpr double week = 604800;
constexpr double historyStep = 1800;
constexpr double activitySpan = 691200;  // eight days
constexpr double activityStep = 600;
constexpr double readingAge = 120;

// xorshift64*: tiny, fast and the same on every platform, which is all the
// demonstration needs from a generator.
class Random
{
public:
    explicit Random(std::uint64_t state)
        : m_state(state)
    {}

    /// Uniform in [0, 1).
    double next()
    {
        m_state ^= m_state >> 12U;
        m_state ^= m_state << 25U;
        m_state ^= m_state >> 27U;
        const std::uint64_t scrambled = m_state * 2685821657736338717ULL;
        return static_cast<double>(scrambled >> 11U) / 9007199254740992.0;  // 2^53
    }

private:
    std::uint64_t m_state;
};

// ICU reports success as a small integer; this keeps the tests boolean.
bool succeeded(UErrorCode status)
{
    return status <= U_ZERO_ERROR;
}

Date hourFloored(Date date)
{
    return dateFromSince1970(std::trunc(secondsSince1970(date) / 3600) * 3600);
}

// `calendar` is a private working copy: setting its time is the only change.
double intensity(Date at, icu::Calendar& calendar)
{
    UErrorCode status = U_ZERO_ERROR;
    calendar.setTime(secondsSince1970(at) * 1000.0, status);
    const int32_t hour = calendar.get(UCAL_HOUR_OF_DAY, status);
    const int32_t minute = calendar.get(UCAL_MINUTE, status);
    const bool weekend = succeeded(status) && calendar.isWeekend() != 0;
    const double h = succeeded(status) ? hour + minute / 60.0 : 0.0;

    const double morning = std::exp(-std::pow((h - 10.5) / 1.6, 2));
    const double afternoon = std::exp(-std::pow((h - 15) * 0.5, 2));
    const double evening = 0.45 * std::exp(-std::pow((h - 21) / 1.3, 2));
    return std::max({morning, afternoon, evening}) * (weekend ? 0.45 : 1.0);
}

// The allowance history of the current week, rising from near 0 to `target`
// at the last half-hour before `now`.
std::vector<AllowancePoint> burn(double target, Date resetsAt, Date now, Random& random, icu::Calendar& calendar)
{
    const Date weekStart = resetsAt - Seconds{week};
    std::vector<Date> times;
    std::vector<double> weights;
    for (int i = 0;; ++i) {
        const Date t = weekStart + Seconds{historyStep * i};
        if (!(t < now)) {
            break;
        }
        times.push_back(t);
        weights.push_back(intensity(t, calendar) * (0.6 + 0.8 * random.next()));
    }
    double total = 0;
    for (const double w : weights) {
        total += w;
    }
    total = std::max(total, 1.0);

    std::vector<AllowancePoint> points;
    points.reserve(times.size());
    double cumulative = 0;
    for (std::size_t i = 0; i < times.size(); ++i) {
        cumulative += weights[i];
        // The fraction first: at the last sample it is exactly 1, so the curve
        // ends exactly on the target.
        points.push_back({.date = times[i], .usedPercent = target * (cumulative / total), .resetsAt = resetsAt});
    }
    return points;
}

// Eight days of token use in ten-minute steps, in moods that change now and then.
ProviderActivity activity(double peak, Date now, Random& random, icu::Calendar& calendar)
{
    TokenSeries series;
    double mood = 1.0;
    const Date first = now - Seconds{activitySpan};
    for (int i = 0;; ++i) {
        const Date t = first + Seconds{activityStep * i};
        if (!(t <= now)) {
            break;
        }
        if (random.next() < 0.04) {
            mood = 0.6 + 1.8 * random.next();
        }
        const double amount = (0.25 + 0.75 * random.next()) * mood * peak * intensity(t, calendar);
        if (amount > 0.04 * peak) {
            const double newPart = amount * (0.025 + 0.025 * random.next());
            const double cached = amount - newPart;
            const double output = newPart * (0.12 + 0.08 * random.next());
            const double input = newPart - output;
            series.add({.cached = static_cast<std::int64_t>(cached),
                        .input = static_cast<std::int64_t>(input),
                        .output = static_cast<std::int64_t>(output)},
                       t);
        }
    }
    return {.tokens = std::move(series), .allowance = {}, .scannedAt = now};
}

ProviderReading claudeReading(Date now)
{
    return {
        .provider = Provider::claude,
        .fetchedAt = now - Seconds{readingAge},
        .plan = "Max 20\u00D7",
        .kind = AccountKind::subscription,
        .weekly = UsageWindow{.usedPercent = 18, .resetsAt = hourFloored(now + Seconds{72000}), .duration = week},
        .session = UsageWindow{.usedPercent = 36,
                               .resetsAt = hourFloored(now + Seconds{7200}) + Seconds{1800},
                               .duration = UsageWindow::fiveHours},
        .resetCredits = {},
        .note = std::nullopt,
        .source = "usage API",
        .accountUsage = std::nullopt,
    };
}

ProviderReading openaiReading(Date now)
{
    return {
        .provider = Provider::openai,
        .fetchedAt = now - Seconds{readingAge},
        .plan = "Pro",
        .kind = AccountKind::subscription,
        .weekly = UsageWindow{.usedPercent = 41, .resetsAt = hourFloored(now + Seconds{356400}), .duration = week},
        .session = std::nullopt,
        .resetCredits = {{.title = "Full reset", .expiresAt = hourFloored(now + Seconds{277200})},
                         {.title = "Full reset", .expiresAt = hourFloored(now + Seconds{1641600})}},
        .note = std::nullopt,
        .source = "codex app-server",
        .accountUsage = std::nullopt,
    };
}

}  // namespace

double workIntensity(Date at, const icu::Calendar& calendar)
{
    const std::unique_ptr<icu::Calendar> working(calendar.clone());
    return working ? intensity(at, *working) : 0.0;
}

DemoSample make(Date now, const icu::Calendar& calendar)
{
    DemoSample sample;
    const std::unique_ptr<icu::Calendar> working(calendar.clone());
    if (!working) {
        return sample;
    }
    const ProviderReading claude = claudeReading(now);
    const ProviderReading openai = openaiReading(now);
    for (const ProviderReading& reading : {claude, openai}) {
        sample.snapshots[reading.provider] = {.lastReading = reading,
                                              .lastAttemptAt = now - Seconds{readingAge},
                                              .lastFailure = std::nullopt};
    }

    // One generator, drawn in this fixed order, so the sample depends only on
    // `now` and the seed.
    Random random(seed);
    sample.history[Provider::claude] = burn(18, *claude.weekly->resetsAt, now, random, *working);
    sample.history[Provider::openai] = burn(41, *openai.weekly->resetsAt, now, random, *working);
    sample.activity[Provider::claude] = activity(9'000'000, now, random, *working);
    sample.activity[Provider::openai] = activity(22'000'000, now, random, *working);
    return sample;
}

}  // namespace ostrel::DemoData
