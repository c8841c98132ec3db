// The activity card: its header, overlay, totals and composition over the
// cases that matter, and the selection by keys, in a pinned calendar.

#include "panel/activity/ActivityCard.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <clocale>
#include <cstdlib>
#include <optional>
#include <string_view>

#include <QCoreApplication>
#include <QTest>
#include <gtest/gtest.h>

#include "base/QtText.h"
#include "panel/activity/ActivityChart.h"
#include "panel/activity/ActivityTotals.h"
#include "panel/activity/CompositionBar.h"
#include "support/SampleReadings.h"
#include "support/TemporaryFolder.h"

namespace ostrel {
namespace {

using namespace std::chrono_literals;

// Tuesday 12 March 2024, 3:34 PM in New York (daylight time since the Sunday before).
const Date now = Date(std::chrono::sys_days{2024y / 3 / 12} + 19h + 34min);

using testing::newYork;

enum class Tokens
{
    none,     ///< no scan has reported yet
    busy,     ///< half an hour ago, five hours ago and three days ago
    oldOnly,  ///< three days ago only
};

std::optional<ProviderActivity> activityOf(Tokens tokens)
{
    if (tokens == Tokens::none) {
        return std::nullopt;
    }
    ProviderActivity activity;
    activity.scannedAt = now;
    switch (tokens) {
    case Tokens::busy:
        activity.tokens.add({9000, 800, 200}, now - 30min);
        activity.tokens.add({4000, 1500, 500}, now - 5h);
        activity.tokens.add({100000, 0, 0}, now - 72h);
        break;
    case Tokens::oldOnly:
        activity.tokens.add({100000, 0, 0}, now - 72h);
        break;
    case Tokens::none:
        break;
    }
    return activity;
}

std::unique_ptr<ActivityCard> cardOf(Provider provider, ActivityCard::Value value)
{
    auto card = std::make_unique<ActivityCard>(provider);
    value.calendar = newYork();
    card->setValue(std::move(value));
    card->setAttribute(Qt::WA_DontShowOnScreen);
    card->resize(356, card->sizeHint().height());
    card->show();
    return card;
}

QString totalOf(const ActivityCard& card, std::string_view label)
{
    for (const ActivityTotals::Cell& cell : card.totals().shownCells()) {
        if (cell.label == qText(label)) {
            return cell.valueText();
        }
    }
    return QStringLiteral("missing");
}

long countOfKind(const ActivityCard& card, TokenKind kind)
{
    return std::ranges::count(card.chart().drawnLayers(), kind, &ActivityChart::Layer::kind);
}

/// `texts` with '|' between, as the tables spell them.
std::string joined(const QStringList& texts)
{
    return texts.join(QLatin1Char('|')).toStdString();
}

TEST(ActivityCard, ShowsWhatEachStateOfActivityCallsFor)
{
    struct Case
    {
        std::string_view name;
        Provider provider;
        Tokens tokens;
        bool scanning;
        ActivityMeasure measure;
        ActivityRange range;
        std::string_view shows;   ///< header|overlay|24h total|7d total
        std::string_view shares;  ///< cached|new input|output; empty: no composition bar
        std::size_t capsules;
        long cachedLayers;
    };

    using enum Provider;
    using enum Tokens;
    using enum ActivityMeasure;
    using enum ActivityRange;
    // clang-format off
    constexpr auto cases = std::to_array<Case>({
        {"no activity yet while scanning", claude, none, true, all, day, "Reading session logs…||–|–", "", 0, 0},
        {"a rescan keeps what is known", claude, busy, true, all, day, "peak 10K||16K|116K", "81%|14%|4.4%", 3, 2},
        {"all tokens of a day", claude, busy, false, all, day, "peak 10K||16K|116K", "81%|14%|4.4%", 3, 2},
        {"new only drops the cached layer, lowers totals and peak, keeps the composition",
         claude, busy, false, fresh, day, "peak 2K||3K|3K", "81%|14%|4.4%", 3, 0},
        {"a week counts older tokens", claude, busy, false, all, week, "peak 100K||16K|116K", "97%|2.0%|0.6%", 3, 3},
        {"nothing in the range", openai, oldOnly, false, all, day,
         "peak 0|No Codex sessions in this range|0|100K", "0.0%|0.0%|0.0%", 0, 0},
        {"cache reads alone count nothing new", claude, oldOnly, false, fresh, week,
         "peak 0|No Claude Code sessions in this range|0|0", "100%|0.0%|0.0%", 1, 0},
    });
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto card = cardOf(c.provider, {activityOf(c.tokens), c.range, c.measure, c.scanning, {}, now, {}});
        const QStringList shows{card->headerText(), card->overlayText(), totalOf(*card, "24h"), totalOf(*card, "7d")};
        EXPECT_EQ(joined(shows), c.shows);
        EXPECT_EQ(card->composition().isVisibleTo(card.get()), !c.shares.empty());
        if (!c.shares.empty()) {
            const double width = card->composition().width();
            const auto capsules = CompositionBar::capsules(card->composition().counts(), width);
            EXPECT_EQ(capsules.size(), c.capsules);
            if (c.capsules == 1) {
                EXPECT_DOUBLE_EQ(capsules.front().width, width) << "one part fills the bar";
            }
            QStringList labels;
            QStringList shares;
            for (const CompositionBar::LegendItem& item : CompositionBar::legend(card->composition().counts())) {
                labels.append(item.label);
                shares.append(item.share);
            }
            EXPECT_EQ(joined(labels), "Cached|New input|Output");
            EXPECT_EQ(joined(shares), c.shares);
        }
        EXPECT_EQ(countOfKind(*card, TokenKind::cached), c.cachedLayers);
        if (c.tokens == none) {
            // Without bins the chart still spans the last hour, empty.
            const ActivityChart& chart = card->chart();
            EXPECT_TRUE(chart.drawnLayers().empty());
            EXPECT_NEAR(secondsSince1970(chart.dateAt(chart.plotRect().left())), secondsSince1970(now - 1h), 1e-3);
            EXPECT_NEAR(secondsSince1970(chart.dateAt(chart.plotRect().right())), secondsSince1970(now), 1e-3);
        }
    }
}

TEST(ActivityCard, TheArrowKeysWalkTheBarsWithoutAPointer)
{
    const auto card = cardOf(Provider::claude,
                             {activityOf(Tokens::busy), ActivityRange::day, ActivityMeasure::all, false, {}, now, {}});
    ActivityChart& chart = card->chart();
    EXPECT_TRUE((chart.focusPolicy() & Qt::TabFocus) != 0) << "reachable with Tab";
    EXPECT_EQ(chart.accessibleName(), QStringLiteral("Tokens over the last 24 hours"));

    struct Step
    {
        std::string_view name;
        Qt::Key key;
        std::string_view header;
    };

    constexpr auto steps = std::to_array<Step>({
        {"left starts at the present", Qt::Key_Left, "Tue 3 PM · 10K"},
        {"left goes back an hour", Qt::Key_Left, "Tue 2 PM · 0"},
        {"right comes forward again", Qt::Key_Right, "Tue 3 PM · 10K"},
        {"right stops at the present", Qt::Key_Right, "Tue 3 PM · 10K"},
        {"escape lets go", Qt::Key_Escape, "peak 10K"},
        {"right starts at the oldest bar", Qt::Key_Right, "Mon 4 PM · 0"},
        {"left stops at the oldest bar", Qt::Key_Left, "Mon 4 PM · 0"},
    });
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        QTest::keyClick(&chart, step.key);
        EXPECT_EQ(card->headerText(), qText(step.header));
    }
}

TEST(CompositionBar, WritesSharesWithAPointWhateverTheLocale)
{
    // A German locale, compiled into a folder of the test's own: its decimal separator is a comma.
    const testing::TemporaryFolder locales;
    const std::string compile = "localedef -i de_DE -f UTF-8 " + (locales.path() / "de_DE.UTF-8").string();
    if (std::system(compile.c_str()) != 0) {  // NOLINT(cert-env33-c): a fixed command
        GTEST_SKIP() << "localedef cannot compile de_DE here";
    }
    ::setenv("LOCPATH", locales.path().c_str(), 1);
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr);
    const QString share = CompositionBar::percent(0.099);
    std::setlocale(LC_NUMERIC, before.c_str());
    ::unsetenv("LOCPATH");
    EXPECT_EQ(share, QStringLiteral("9.9%"));
}

}  // namespace
}  // namespace ostrel
