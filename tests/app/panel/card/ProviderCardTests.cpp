#include "panel/card/ProviderCard.h"

#include <array>
#include <cmath>
#include <string_view>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <gtest/gtest.h>

#include "drawing/Theme.h"
#include "panel/card/AdviceLine.h"
#include "panel/card/CardHeader.h"
#include "panel/card/PaceHero.h"
#include "panel/card/StatusBadge.h"
#include "support/SampleReadings.h"

namespace ostrel {
namespace {

using Status = ProviderDisplay::Status;
using testing::newYork;

constexpr double hour = 3600;
constexpr double day = 86400;
// Monday 10 March 2025, noon in New York.
const Date now = dateFromSince1970(1741622400);

ProviderReading reading(double usedPercent, std::optional<Date> resetsAt, double age = 0)
{
    return testing::weeklyReading(Provider::claude, usedPercent, resetsAt, now - Seconds{age});
}

ProviderDisplay display(Status status,
                        std::optional<ProviderReading> read,
                        std::optional<FetchFailure> failure = std::nullopt,
                        Provider provider = Provider::claude)
{
    ProviderDisplay result;
    result.provider = provider;
    result.status = status;
    if (read && read->weekly && (status == Status::live || status == Status::stale || status == Status::needsLogin)) {
        result.pace = Pace::make(*read->weekly, now);
    }
    result.reading = std::move(read);
    result.failure = std::move(failure);
    return result;
}

// The badge's dot as the design colours it; the spinner and the translucent secondary dot are checked apart.
constexpr QRgb spinner = 0;
constexpr QRgb secondary = 1;
constexpr QRgb green = qRgb(47, 203, 110);
constexpr QRgb yellow = qRgb(255, 197, 61);
constexpr QRgb orange = qRgb(255, 149, 0);
constexpr QRgb red = qRgb(255, 77, 79);

/// What the card says, in reading order: labels by their accessible name or
/// text, painted pieces by their accessible name, buttons as "[text]" (and
/// "[text:off]" when disabled).
QStringList texts(const QWidget& root)
{
    QStringList said;
    for (const QWidget* widget : root.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&root)) {
            continue;
        }
        if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            const QString text = button->text().isEmpty() ? button->accessibleName() : button->text();
            said.append(QStringLiteral("[") + text
                        + (button->isEnabled() ? QStringLiteral("]") : QStringLiteral(":off]")));
        } else if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            const QString text = label->accessibleName().isEmpty() ? label->text() : label->accessibleName();
            if (!text.isEmpty()) {
                said.append(text);
            }
        } else if (widget->children().isEmpty() && !widget->accessibleName().isEmpty()) {
            said.append(widget->accessibleName());
        }
    }
    return said;
}

/// Whether `expected` appear in `said` in this order (others may lie between).
bool saysInOrder(const QStringList& said, const QStringList& expected)
{
    qsizetype at = 0;
    for (const QString& text : expected) {
        at = said.indexOf(text, at);
        if (at < 0) {
            return false;
        }
        ++at;
    }
    return true;
}

QStringList split(std::string_view joined)
{
    if (joined.empty()) {
        return {};
    }
    return QString::fromUtf8(joined.data(), static_cast<qsizetype>(joined.size())).split(QLatin1Char('|'));
}

struct CardFixture
{
    explicit CardFixture(const ProviderDisplay& shown, bool refreshing = false, bool isSnapshot = false)
        : card(
            shown.provider,
            [] {},
            isSnapshot)
    {
        card.setPalette(Theme::palette(ColorScheme::light));
        card.setFixedWidth(356);
        card.set({shown, refreshing, {}, now, newYork()});
        // Shown off screen, so every layout has placed its pieces before a sample.
        card.setAttribute(Qt::WA_DontShowOnScreen);
        card.show();
        card.resize(356, card.heightForWidth(356));
        QCoreApplication::sendPostedEvents();
    }

    [[nodiscard]] QImage render()
    {
        QImage image(card.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Theme::forScheme(ColorScheme::light).window);
        card.render(&image);
        return image;
    }

    ProviderCard card;
};

bool closeTo(const QColor& a, const QColor& b, int tolerance = 12)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
           && std::abs(a.blue() - b.blue()) <= tolerance;
}

/// How the card is shown: settled, while its provider is read, or as a still picture.
enum class Mode
{
    settled,
    busy,
    still
};

/// Whether the figures are paced, and whether they are faded under a banner.
enum class Look
{
    lit,
    faded,
    unpaced
};

struct Case
{
    std::string_view name;
    ProviderDisplay shown;
    Mode mode;
    Look look;
    QRgb dot;
    std::string_view says;       ///< in this order, '|' between
    std::string_view neverSays;  ///< none of these, '|' between
};

std::vector<Case> cardCases()
{
    ProviderReading lastWeek = reading(40, now + Seconds{3 * day});
    lastWeek.plan = "Max";
    lastWeek.session = UsageWindow{38, now + Seconds{2 * hour}, UsageWindow::fiveHours};
    const ProviderDisplay live = display(Status::live, lastWeek);
    ProviderDisplay withCredit = live;
    withCredit.resetCredits = ResetCreditStatus::make({ResetCredit{"Weekly reset", now + Seconds{2 * day}}}, now);
    ProviderReading company = reading(0, std::nullopt);
    company.weekly.reset();
    company.kind = AccountKind::enterprise;
    company.plan = "Team Enterprise";
    company.note = "Usage is managed by your company.";
    const ProviderDisplay signedOut = display(Status::needsLogin, std::nullopt, FetchFailure::notLoggedIn());
    const auto old = [](double age) {
        return reading(40, now + Seconds{3 * day}, age);
    };
    using enum Mode;
    using enum Look;
    // clang-format off
    return {
    {"a live reading shows the figures, the plan and its age", live, settled, lit, green,
     "Claude|MAX|just now|60% left, 3d, renews Thursday at 12 PM|On pace  Roughly on pace for the week.|"
     "5-hour window · 62% left · resets today at 2 PM", "[Retry]|[Check again]"},
    {"a stale reading is faded under a banner with Retry",
     display(Status::stale, old(600), FetchFailure::unreachable("connection refused")), settled, faded, yellow,
     "Offline|Stale reading|Couldn't reach provider|"
     "Showing the reading from 10m ago. connection refused|[Retry]|60% left, 3d, renews Thursday at 12 PM",
     "[Check again]"},
    {"signed out with an earlier reading keeps the faded figures under a sign-in banner",
     display(Status::needsLogin, old(7200), FetchFailure::notLoggedIn()), settled, faded, orange,
     "Signed out|Signed out|Signed out|"
     "Showing the reading from 2h ago. Run claude auth login in Terminal.|[Retry]|"
     "60% left, 3d, renews Thursday at 12 PM",
     "[Open Terminal]"},
    {"signed out without a reading asks to sign in with the command and a terminal", signedOut,
     settled, unpaced, orange,
     "Claude|Signed out|Signed out|Claude Code isn't signed in|"
     "Sign the CLI in to a subscription, then check again.|claude auth login|[Copy command]|[Open Terminal]|"
     "[Check again]", "[Retry]"},
    {"a missing Codex CLI offers its install command and only Check again",
     display(Status::cliMissing, std::nullopt, FetchFailure::cliMissing(), Provider::openai), settled, unpaced, orange,
     "OpenAI|No CLI|Tool not installed|codex CLI not found|"
     "Ostrel reads usage through the Codex CLI. Install it, or set its path in Settings.|"
     "npm install -g @openai/codex|[Copy command]|[Check again]", "[Open Terminal]|[Retry]"},
    {"an unreadable reply shows the failure's own words",
     display(Status::unavailable, std::nullopt, FetchFailure::unexpected("usage reply had no weekly window")),
     settled, unpaced, red,
     "Unavailable|Unavailable|Couldn't read Claude Code|usage reply had no weekly window|[Check again]",
     "[Open Terminal]"},
    {"an enterprise account names its plan and shows its note, without buttons", display(Status::enterprise, company),
     settled, unpaced, secondary, "TEAM ENTERPRISE|Enterprise|Workspace account|Team Enterprise · no weekly allowance|"
     "Usage is managed by your company.", "[Check again]|[Copy command]"},
    {"while reading, the badge spins and Check again waits", signedOut, busy, unpaced, spinner,
     "Reading…|Claude Code isn't signed in|[Open Terminal]|[Checking…:off]", "[Check again]"},
    {"a window without a renewal time has no time, no renews line and renewal-free advice",
     display(Status::live, reading(85, std::nullopt)), settled, lit, green,
     "15% left, —|Very tight  Running short before renewal.", ""},
    {"a reset credit lapsing this week is urgent and says when", withCredit, settled, lit, green,
     "Reset credits expiring soon|1 reset expires in 2d|"
     "Verified reset credit · lapses Wednesday at 12 PM. Ostrel never uses it for you.", ""},
    {"a picture of a signed-out card has the command but no button", signedOut, still, unpaced,
     orange, "Claude Code isn't signed in|claude auth login", "[Copy command]|[Open Terminal]|[Check again]"},
    };
    // clang-format on
}

TEST(ProviderCard, ShowsEveryStateWithItsTextsButtonsOpacityAndBadgeColour)
{
    for (const Case& c : cardCases()) {
        SCOPED_TRACE(c.name);
        CardFixture fixture(c.shown, c.mode == Mode::busy, c.mode == Mode::still);
        const ProviderCard& card = fixture.card;
        const QStringList said = texts(card);
        EXPECT_TRUE(saysInOrder(said, split(c.says))) << said.join(QStringLiteral(" | ")).toStdString();
        for (const QString& absent : split(c.neverSays)) {
            EXPECT_FALSE(said.contains(absent)) << absent.toStdString();
        }
        EXPECT_EQ(card.isPaced(), c.look != Look::unpaced);
        EXPECT_DOUBLE_EQ(card.pacedOpacity(), c.look == Look::faded ? 0.6 : 1.0);

        const StatusBadge& badge = card.header().badge();
        EXPECT_EQ(badge.showsSpinner(), c.dot == spinner);
        if (c.dot != spinner) {
            const QImage image = fixture.render();
            const QPoint centre = badge.mapTo(&card, badge.indicatorRect().center().toPoint());
            const QColor sampled = image.pixelColor(centre);
            const QColor wanted(c.dot);
            // The secondary dot is translucent; compare it over the card's surface.
            if (c.dot == secondary) {
                EXPECT_LT(sampled.lightnessF(), 0.8F) << sampled.name().toStdString();
            } else {
                EXPECT_TRUE(closeTo(sampled, wanted))
                    << sampled.name().toStdString() << " wanted " << wanted.name().toStdString();
            }
        }
    }
}

TEST(ProviderCard, AdviceFitsTheTierAndTheRenewal)
{
    struct Row
    {
        PaceTier tier;
        bool resetWarning;
        double timeRemaining;
        std::string_view expected;
    };

    constexpr auto rows = std::to_array<Row>({
        {PaceTier::red, false, 3 * day, "Running short \u2014 renews Thursday at 12 PM."},
        {PaceTier::blue, false, 3 * day, "Well ahead of pace."},
        {PaceTier::blue,
         true,
         day + 6 * hour,
         "Surplus left \u2014 use it in the next 30 hours, before it renews tomorrow at 6 PM."},
        {PaceTier::yellow, false, 3 * day, "Ease off a little to make it to renewal."},
    });
    for (const Row& row : rows) {
        Pace pace;
        pace.tier = row.tier;
        pace.resetWarning = row.resetWarning;
        pace.timeRemaining = row.timeRemaining;
        EXPECT_EQ(advice(pace, now + Seconds{row.timeRemaining}, now, newYork()), row.expected);
    }
}

TEST(ProviderCard, FiguresCountHourglassPulsesAndSpinnerTurnsOnlyWhenMotionIsWelcome)
{
    for (const bool reduceMotion : {false, true}) {
        SCOPED_TRACE(reduceMotion ? "reduced motion jumps to the end" : "a shown live card moves");
        if (reduceMotion) {
            qputenv("OSTREL_REDUCE_MOTION", "1");
        }
        // Half left a day before renewal: a surplus about to lapse.
        CardFixture shown(display(Status::live, reading(50, now + Seconds{day})));
        shown.card.set({display(Status::live, reading(70, now + Seconds{day})), true, {}, now, newYork()});
        PaceHero& hero = shown.card.hero();
        EXPECT_EQ(hero.percentLeft(), 30);
        EXPECT_EQ(hero.isCounting(), !reduceMotion);
        EXPECT_EQ(hero.shownPercent() != 30, !reduceMotion);
        EXPECT_TRUE(hero.showsHourglass());
        EXPECT_EQ(hero.isPulsing(), !reduceMotion);
        EXPECT_EQ(shown.card.header().badge().isTurning(), !reduceMotion);
        qunsetenv("OSTREL_REDUCE_MOTION");
    }
}

}  // namespace
}  // namespace ostrel
