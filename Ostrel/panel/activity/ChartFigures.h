#pragma once
// What the activity chart shows, worked out from the tokens alone, before
// any widget measures or paints it: the bins of a range, the stacked layers of
// each bin, the peak, the round values of the y axis, and the time marks and
// bin names read in the user's calendar. The card names the selected bin with
// the same label the chart gives it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include <QString>

#include "drawing/TokenPalette.h"
#include "model/Date.h"
#include "model/ProviderActivity.h"
#include "model/RenewalText.h"
#include "model/TokenSeries.h"
#include "settings/SettingChoices.h"

namespace ostrel {

/// The value a measure counts: every token under "All", input plus output under "New only".
[[nodiscard]] std::int64_t measuredTokens(const TokenCounts& counts, ActivityMeasure measure);
/// The seconds a range covers: a day or a week.
[[nodiscard]] double rangeSpan(ActivityRange range);

namespace ChartFigures {

/// One drawn rectangle, from zero up to `value`.
struct Layer
{
    Date start;
    Date end;
    std::int64_t value = 0;
    TokenKind kind = TokenKind::cached;
    bool dimmed = false;

    bool operator==(const Layer&) const = default;
};

/// One labelled place on the time axis.
struct Mark
{
    Date at;
    QString label;
};

/// The bins of `range` ending with the one holding `now`; none without activity.
[[nodiscard]] std::vector<TokenBin>
bins(const std::optional<ProviderActivity>& activity, ActivityRange range, Date now);
/// The first bin whose span holds `selection`.
[[nodiscard]] std::optional<std::size_t> selectedBin(const std::vector<TokenBin>& bins, std::optional<Date> selection);
/// The rectangles in drawing order, the larger of each bin first; layers under one token are left out.
[[nodiscard]] std::vector<Layer>
layers(const std::vector<TokenBin>& bins, ActivityMeasure measure, std::optional<std::size_t> selected);
/// The largest measured value among the bins; 0 without bins.
[[nodiscard]] std::int64_t peak(const std::vector<TokenBin>& bins, ActivityMeasure measure);
/// Round values from 0 up to at least `peak`, about three steps apart.
[[nodiscard]] std::vector<std::int64_t> yTicks(std::int64_t peak);
/// Every sixth local hour ("6 AM") for a day, every local midnight (narrow weekday) for a week.
[[nodiscard]] std::vector<Mark> xMarks(Date start, Date end, ActivityRange range, const RenewalText& calendar);
/// Abbreviated weekday and hour, "Tue 3 PM".
[[nodiscard]] QString binLabel(Date start, const RenewalText& calendar);

}  // namespace ChartFigures
}  // namespace ostrel
