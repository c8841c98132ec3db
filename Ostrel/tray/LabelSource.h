#pragma once
// What the label and the tray marks show at one moment, taken from the store's
// display states and the settings' style and enabled providers.

#include <optional>
#include <string>

#include "drawing/TrayLabel.h"
#include "model/Date.h"
#include "model/ProviderDisplay.h"
#include "settings/SettingChoices.h"

namespace ostrel {

class AppSettings;
class UsageStore;

/// The chosen style and one mark per account of each enabled tool, in the
/// store's order (each tool's default account, then its named ones).
[[nodiscard]] LabelContent labelContent(const UsageStore& store, const AppSettings& settings, Date now);

/// `display` with the pace of the window the gauge shows: the window that
/// runs out first when `gauge` asks for it and that is not the weekly one.
[[nodiscard]] ProviderDisplay gaugeDisplay(ProviderDisplay display, GaugeWindow gauge, Date now);

/// "↳ The cells show the Sonnet week, which runs out first." when the gauge
/// shows another window than the weekly one.
[[nodiscard]] std::optional<std::string> gaugeNote(const ProviderDisplay& display, GaugeWindow gauge);

}  // namespace ostrel
