#include "tray/LabelSource.h"

#include "settings/AppSettings.h"
#include "store/UsageStore.h"

namespace ostrel {
namespace {

/// The window the gauge shows in place of the weekly one, if any.
[[nodiscard]] std::optional<WindowOutlook> shownInstead(const ProviderDisplay& display, GaugeWindow gauge)
{
    if (gauge != GaugeWindow::binding || !display.pace) {
        return std::nullopt;
    }
    auto binding = display.binding();
    if (!binding || binding->key == WindowOutlook::weeklyKey) {
        return std::nullopt;
    }
    return binding;
}

}  // namespace

ProviderDisplay gaugeDisplay(ProviderDisplay display, GaugeWindow gauge, Date now)
{
    if (const auto window = shownInstead(display, gauge)) {
        display.pace = Pace::make(window->window, now);
    }
    return display;
}

std::optional<std::string> gaugeNote(const ProviderDisplay& display, GaugeWindow gauge)
{
    const auto window = shownInstead(display, gauge);
    if (!window) {
        return std::nullopt;
    }
    return "\u21B3 The cells show the " + windowName(*window) + ", which runs out first.";
}

LabelContent labelContent(const UsageStore& store, const AppSettings& settings, Date now)
{
    LabelContent content;
    content.style = settings.trayStyle();
    for (const ToolAccount& account : store.enabledAccounts()) {
        content.marks.push_back(
            MarkState::from(gaugeDisplay(store.display(account.key(), now), settings.gaugeWindow(), now)));
    }
    return content;
}

}  // namespace ostrel
