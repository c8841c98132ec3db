#include "model/AlertRules.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace ostrel {
namespace {

constexpr double hour = 3600;
constexpr double soonHorizon = 3 * hour;
/// Renewal times within this many seconds belong to the same period, as servers round them.
constexpr double samePeriodTolerance = 60;

/// "Claude's week", "Claude · Work's week".
[[nodiscard]] std::string possessive(const ProviderDisplay& display, std::string_view name)
{
    return display.title() + "'s " + std::string(name);
}

[[nodiscard]] std::string leftText(const UsageWindow& window, Date now)
{
    std::string text = std::to_string(Pace::percent(window.allowanceFraction())) + "% left";
    if (window.resetsAt) {
        text += ", " + alertDuration((*window.resetsAt - now).count()) + " to renewal";
    }
    return text;
}

[[nodiscard]] bool hasFired(const WindowAlertState& window, AlertKind kind)
{
    return std::ranges::any_of(window.fired, [kind](const FiredAlert& fired) { return fired.kind == kind; });
}

/// The decision for one provider, from its previous state (absent the first time it is seen).
class ProviderDecision
{
public:
    ProviderDecision(const ProviderDisplay& display,
                     const ProviderAlertState* previous,
                     std::optional<Date> lastEvaluated,
                     Date now,
                     const AlertOptions& options)
        : m_display(display)
        , m_firstLook(previous == nullptr)
        , m_lastEvaluated(lastEvaluated)
        , m_now(now)
        , m_options(options)
    {
        m_state = previous != nullptr
                      ? *previous
                      : ProviderAlertState{.provider = display.provider, .accountId = display.accountId};
    }

    void run(std::vector<Alert>& alerts)
    {
        m_alerts = &alerts;
        account();
        renewals();
        if (m_display.status == ProviderDisplay::Status::live && m_display.reading) {
            usage(*m_display.reading);
        }
    }

    [[nodiscard]] ProviderAlertState state() &&
    {
        return std::move(m_state);
    }

private:
    /// Sent unless this is the first look at the provider or the moment fell while nobody watched.
    [[nodiscard]] bool deliverable(Date moment) const
    {
        const bool missed = m_lastEvaluated && m_options.watchingSince && *m_lastEvaluated < moment
                            && moment < *m_options.watchingSince;
        return !m_firstLook && !missed;
    }

    void send(Alert alert, Date moment, std::vector<FiredAlert>& record)
    {
        alert.accountId = m_display.accountId;
        const bool delivered =
            deliverable(moment)
            && std::ranges::find(m_options.switchedOff, alertTopic(alert.kind)) == m_options.switchedOff.end();
        record.push_back({alert.kind, m_now, delivered});
        if (delivered) {
            m_alerts->push_back(std::move(alert));
        }
    }

    void account()
    {
        using Status = ProviderDisplay::Status;
        const Provider provider = m_display.provider;
        const bool out = m_display.status == Status::needsLogin;
        const bool in = m_display.status == Status::live || m_display.status == Status::enterprise
                        || m_display.status == Status::apiBilling;
        if (out == m_state.signedOut || (!out && !in)) {
            return;
        }
        m_state.signedOut = out;
        Alert alert = out ? Alert{.kind = AlertKind::signedOut,
                                  .provider = provider,
                                  .summary = m_display.title() + " is signed out",
                                  .body = "sign in with " + m_display.signInCommand()}
                          : Alert{.kind = AlertKind::signedIn,
                                  .provider = provider,
                                  .summary = m_display.title() + " is signed in again",
                                  .body = "readings continue"};
        std::vector<FiredAlert> record;
        send(std::move(alert), m_now, record);
        m_state.account = record.front();
    }

    /// A period that is over, or that a live reading shows replaced early, ends
    /// its window's record; one that had passed the threshold says so.
    void renewals()
    {
        const bool live = m_display.status == ProviderDisplay::Status::live && m_display.reading;
        std::erase_if(m_state.windows, [&](const WindowAlertState& window) {
            const auto current = std::ranges::find(m_display.windows, window.key, &WindowOutlook::key);
            // Only a later renewal time starts a new period: one that moves back is a correction.
            const bool replaced = live && current != m_display.windows.end() && current->window.resetsAt
                                  && *current->window.resetsAt > window.periodEnd + Seconds{samePeriodTolerance};
            if (m_now < window.periodEnd && !replaced) {
                return false;
            }
            if (hasFired(window, AlertKind::passedThreshold)) {
                const Date moment = m_now >= window.periodEnd ? window.periodEnd : m_display.reading->fetchedAt;
                std::vector<FiredAlert> record;
                send({.kind = AlertKind::renewed,
                      .provider = m_display.provider,
                      .summary = possessive(m_display, window.name) + " renewed",
                      .body = "all of it is available"},
                     std::min(moment, m_now),
                     record);
            }
            return true;
        });
    }

    [[nodiscard]] WindowAlertState& windowState(const WindowOutlook& outlook, Date periodEnd)
    {
        const auto found = std::ranges::find(m_state.windows, outlook.key, &WindowAlertState::key);
        if (found != m_state.windows.end()) {
            return *found;
        }
        return m_state.windows.emplace_back(outlook.key, windowName(outlook), periodEnd, std::vector<FiredAlert>{});
    }

    void fire(WindowAlertState& window, Alert alert, Date moment)
    {
        if (!hasFired(window, alert.kind)) {
            send(std::move(alert), moment, window.fired);
        }
    }

    /// Records a condition as met without an alert of its own, when a graver one covers it.
    void cover(WindowAlertState& window, AlertKind kind)
    {
        if (!hasFired(window, kind)) {
            window.fired.push_back({kind, m_now, false});
        }
    }

    void usage(const ProviderReading& reading)
    {
        const Provider provider = m_display.provider;
        const auto binding = m_display.binding();
        for (const WindowOutlook& outlook : m_display.windows) {
            if (!outlook.window.resetsAt || *outlook.window.resetsAt <= m_now) {
                continue;
            }
            WindowAlertState& window = windowState(outlook, *outlook.window.resetsAt);
            if (outlook.key == WindowOutlook::weeklyKey && m_display.pace) {
                pace(window, *m_display.pace, outlook.window, reading.fetchedAt);
            }
            if (binding && binding->key == outlook.key) {
                runOut(window, *binding, reading.fetchedAt);
            }
            if (outlook.window.usedPercent >= m_options.thresholdPercent) {
                const auto percent = static_cast<int>(std::lround(m_options.thresholdPercent));
                fire(window,
                     {.kind = AlertKind::passedThreshold,
                      .provider = provider,
                      .summary = possessive(m_display, window.name) + " passed " + std::to_string(percent) + "% used",
                      .body = leftText(outlook.window, m_now)},
                     reading.fetchedAt);
            }
        }
    }

    void pace(WindowAlertState& window, const Pace& pace, const UsageWindow& weekly, Date moment)
    {
        if (pace.tier != PaceTier::yellow && pace.tier != PaceTier::red) {
            return;
        }
        const bool very = pace.tier == PaceTier::red;
        if (very) {
            cover(window, AlertKind::tight);
        }
        const std::string name = m_display.title();
        fire(window,
             {.kind = very ? AlertKind::veryTight : AlertKind::tight,
              .provider = m_display.provider,
              .summary = name + (very ? " is very tight" : " is getting tight"),
              .body = leftText(weekly, m_now)},
             moment);
    }

    void runOut(WindowAlertState& window, const WindowOutlook& binding, Date fetchedAt)
    {
        // Checked by binds().
        const Date runsOutAt = *binding.runsOutAt;  // NOLINT(bugprone-unchecked-optional-access)
        const double untilOut = (runsOutAt - m_now).count();
        if (untilOut > soonHorizon) {
            return;
        }
        const bool withinHour = untilOut <= hour;
        if (withinHour) {
            cover(window, AlertKind::runsOutSoon);
        }
        const std::string subject = possessive(m_display, window.name);
        std::string summary = untilOut <= 0 ? subject + " is used up"
                              : withinHour  ? subject + " runs out within the hour"
                                            : subject + " runs out within 3 hours";
        const double horizon = withinHour ? hour : soonHorizon;
        fire(window,
             {.kind = withinHour ? AlertKind::runsOutWithinHour : AlertKind::runsOutSoon,
              .provider = m_display.provider,
              .summary = std::move(summary),
              .body = runOutSentence(binding, m_now),
              .critical = withinHour},
             std::max(fetchedAt, runsOutAt - Seconds{horizon}));
    }

    const ProviderDisplay& m_display;
    bool m_firstLook;
    std::optional<Date> m_lastEvaluated;
    Date m_now;
    const AlertOptions& m_options;
    ProviderAlertState m_state;
    std::vector<Alert>* m_alerts = nullptr;
};

/// Whether a provider has been seen well enough to start its record: a
/// reading, or a sign-in failure. Before that, nothing is known to be true.
[[nodiscard]] bool seen(const ProviderDisplay& display)
{
    using Status = ProviderDisplay::Status;
    return display.reading.has_value() || display.status == Status::needsLogin;
}

}  // namespace

std::string Alert::text() const
{
    return body.empty() ? summary : summary + ": " + body;
}

AlertDecision decideAlerts(const std::optional<AlertState>& previous,
                           std::span<const ProviderDisplay> displays,
                           Date now,
                           const AlertOptions& options)
{
    AlertDecision decision;
    decision.state.evaluatedAt = now;
    if (previous) {
        decision.state.providers = previous->providers;
    }
    const std::optional<Date> lastEvaluated = previous ? std::optional{previous->evaluatedAt} : std::nullopt;
    for (const ProviderDisplay& display : displays) {
        auto& providers = decision.state.providers;
        const auto found = std::ranges::find_if(providers, [&display](const ProviderAlertState& state) {
            return state.provider == display.provider && state.accountId == display.accountId;
        });
        if (found == providers.end() && !seen(display)) {
            continue;
        }
        ProviderDecision one(display, found != providers.end() ? &*found : nullptr, lastEvaluated, now, options);
        one.run(decision.alerts);
        if (found != providers.end()) {
            *found = std::move(one).state();
        } else {
            providers.push_back(std::move(one).state());
        }
    }
    return decision;
}

std::string alertDuration(double seconds)
{
    if (!(seconds >= hour)) {
        const double minutes = std::max(std::round((std::isfinite(seconds) ? seconds : 0.0) / 60), 1.0);
        return std::to_string(static_cast<std::int64_t>(minutes)) + " min";
    }
    const auto hours = static_cast<std::int64_t>(std::min(std::round(seconds / hour), 1e15));
    if (hours < 24) {
        return std::to_string(hours) + "h";
    }
    const std::int64_t rest = hours % 24;
    return std::to_string(hours / 24) + "d" + (rest > 0 ? " " + std::to_string(rest) + "h" : "");
}

}  // namespace ostrel
