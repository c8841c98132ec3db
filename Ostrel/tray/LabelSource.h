#pragma once
// What the label and the tray marks show at one moment, taken from the store's
// display states and the settings' style and enabled providers.

#include "drawing/TrayLabel.h"
#include "model/Date.h"

namespace ostrel {

class AppSettings;
class UsageStore;

/// The chosen style and one mark per enabled provider, in provider order.
[[nodiscard]] LabelContent labelContent(const UsageStore& store, const AppSettings& settings, Date now);

}  // namespace ostrel
