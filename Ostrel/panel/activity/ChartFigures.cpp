#include "panel/activity/ChartFigures.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include <unicode/dtfmtsym.h>

#include "base/QtText.h"

namespace ostrel {
namespace {

constexpr double dayBinSeconds = 3600;
constexpr int dayBins = 24;
constexpr double weekBinSeconds = 21600;
constexpr int weekBins = 28;
constexpr double barInset = 0.12;  // each bar leaves this share of its bin free on either side
constexpr int tickSteps = 3;
constexpr int hourMarkStride = 6;
constexpr int markLimit = 32;

double udate(Date date)
{
    return secondsSince1970(date) * 1000.0;
}

QString qString(const icu::UnicodeString& text)
{
    return QString::fromUtf16(text.getBuffer(), text.length());
}

/// The weekday name of `date` in the calendar's zone, narrow ("T") or abbreviated ("Tue").
QString weekdayName(Date date, const RenewalText& calendar, icu::DateFormatSymbols::DtWidthType width)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::DateFormatSymbols symbols(calendar.locale(), status);
    const std::unique_ptr<icu::Calendar> local(calendar.calendar().clone());
    if (status > U_ZERO_ERROR || local == nullptr) {
        return {};
    }
    local->setTime(udate(date), status);
    const int32_t weekday = local->get(UCAL_DAY_OF_WEEK, status);
    int32_t count = 0;
    const icu::UnicodeString* names = symbols.getWeekdays(count, icu::DateFormatSymbols::STANDALONE, width);
    if (status > U_ZERO_ERROR || names == nullptr || weekday < 0 || weekday >= count) {
        return {};
    }
    return qString(names[weekday]);  // NOLINT(cppcoreguidelines-pro-bounds-pointer-arithmetic): ICU hands out a C array
}

/// A round step near `raw`: 1, 2 or 5 times a power of ten, never under one token.
std::int64_t roundStep(double raw)
{
    if (!(raw > 1)) {
        return 1;
    }
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double share = raw / magnitude;
    const double nice = share <= 1 ? 1 : share <= 2 ? 2 : share <= 5 ? 5 : 10;
    return static_cast<std::int64_t>(std::llround(nice * magnitude));
}

}  // namespace

std::int64_t measuredTokens(const TokenCounts& counts, ActivityMeasure measure)
{
    return measure == ActivityMeasure::all ? counts.total() : counts.fresh();
}

double rangeSpan(ActivityRange range)
{
    return range == ActivityRange::day ? 86400 : 604800;
}

namespace ChartFigures {

std::vector<TokenBin> bins(const std::optional<ProviderActivity>& activity, ActivityRange range, Date now)
{
    if (!activity) {
        return {};
    }
    return range == ActivityRange::day ? activity->tokens.bins(dayBins, dayBinSeconds, now)
                                       : activity->tokens.bins(weekBins, weekBinSeconds, now);
}

std::optional<std::size_t> selectedBin(const std::vector<TokenBin>& bins, std::optional<Date> selection)
{
    if (!selection) {
        return std::nullopt;
    }
    for (std::size_t index = 0; index < bins.size(); ++index) {
        const TokenBin& bin = bins[index];
        if (bin.start <= *selection && *selection < bin.start + Seconds(bin.width)) {
            return index;
        }
    }
    return std::nullopt;
}

std::vector<Layer>
layers(const std::vector<TokenBin>& bins, ActivityMeasure measure, std::optional<std::size_t> selected)
{
    std::vector<Layer> layers;
    layers.reserve(bins.size() * 3);
    for (std::size_t index = 0; index < bins.size(); ++index) {
        const TokenBin& bin = bins[index];
        const Date start = bin.start + Seconds(barInset * bin.width);
        const Date end = bin.start + Seconds((1 - barInset) * bin.width);
        const bool dimmed = selected.has_value() && *selected != index;
        const TokenCounts& counts = bin.counts;
        const auto add = [&](std::int64_t value, TokenKind kind) {
            if (value >= 1) {
                layers.push_back({start, end, value, kind, dimmed});
            }
        };
        if (measure == ActivityMeasure::all) {
            add(counts.total(), TokenKind::cached);
        }
        add(counts.fresh(), TokenKind::input);
        add(counts.output, TokenKind::output);
    }
    return layers;
}

std::int64_t peak(const std::vector<TokenBin>& bins, ActivityMeasure measure)
{
    std::int64_t largest = 0;
    for (const TokenBin& bin : bins) {
        largest = std::max(largest, measuredTokens(bin.counts, measure));
    }
    return largest;
}

std::vector<std::int64_t> yTicks(std::int64_t peak)
{
    if (peak <= 0) {
        return {0};
    }
    const std::int64_t step = roundStep(static_cast<double>(peak) / tickSteps);
    std::vector<std::int64_t> ticks{0};
    while (ticks.back() < peak) {
        ticks.push_back(ticks.back() + step);
    }
    return ticks;
}

std::vector<Mark> xMarks(Date start, Date end, ActivityRange range, const RenewalText& calendar)
{
    const std::unique_ptr<icu::Calendar> local(calendar.calendar().clone());
    if (local == nullptr) {
        return {};
    }
    UErrorCode status = U_ZERO_ERROR;
    local->setTime(udate(start), status);
    for (const UCalendarDateFields field : {UCAL_MINUTE, UCAL_SECOND, UCAL_MILLISECOND}) {
        local->set(field, 0);
    }
    if (range == ActivityRange::week) {
        local->set(UCAL_HOUR_OF_DAY, 0);
    }
    std::vector<Mark> marks;
    for (int step = 0; step < markLimit * hourMarkStride && status <= U_ZERO_ERROR; ++step) {
        const Date at = dateFromSince1970(local->getTime(status) / 1000.0);
        const int32_t hour = local->get(UCAL_HOUR_OF_DAY, status);
        if (at > end || status > U_ZERO_ERROR) {
            break;
        }
        if (at >= start && range == ActivityRange::week) {
            marks.push_back({at, weekdayName(at, calendar, icu::DateFormatSymbols::NARROW)});
        } else if (at >= start && hour % hourMarkStride == 0) {
            marks.push_back({at, qText(calendar.clock(at))});
        }
        // A day is added by the calendar, so a 23- or 25-hour day still ends at midnight.
        local->add(range == ActivityRange::week ? UCAL_DATE : UCAL_HOUR_OF_DAY, 1, status);
    }
    return marks;
}

QString binLabel(Date start, const RenewalText& calendar)
{
    return weekdayName(start, calendar, icu::DateFormatSymbols::ABBREVIATED) + QLatin1Char(' ')
           + qText(calendar.clock(start));
}

}  // namespace ChartFigures
}  // namespace ostrel
