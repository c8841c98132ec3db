#pragma once
// What the owner of a panel decides for it: values forced over the remembered
// choices (a snapshot forces its tab, range and measure), and the callbacks
// the panel's buttons and menu call back into.

#include <functional>
#include <optional>

#include "settings/SettingChoices.h"

namespace ostrel {

struct PanelState
{
    std::optional<PanelTab> tab;
    std::optional<ActivityRange> range;
    std::optional<ActivityMeasure> measure;
    /// The snapshot footer shows the time the picture was taken.
    bool timestamp = false;
};

struct PanelActions
{
    std::function<void()> openSettings = [] {
    };
    std::function<void()> copySnapshot = [] {
    };
    std::function<void()> copyText = [] {
    };
    std::function<void()> checkForUpdates = [] {
    };
    std::function<void()> quit = [] {
    };
};

}  // namespace ostrel
