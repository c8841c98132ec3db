#pragma once
// One provider's row in the settings window: its glyph, its name, a status
// line taken from the store's display state, and the switch that turns the
// provider's readings and its place in the tray and the panel on or off.

#include <string>

#include <QWidget>

#include "base/WallClock.h"
#include "model/Provider.h"
#include "model/ProviderDisplay.h"

class QCheckBox;
class QLabel;

namespace ostrel {

class AppSettings;
class UsageStore;

class ProviderToggleRow : public QWidget
{
    Q_OBJECT

public:
    ProviderToggleRow(Provider provider,
                      AppSettings& settings,
                      const UsageStore& store,
                      Clock clock = wallClockNow,
                      QWidget* parent = nullptr);

    /// "via Codex", "pro · via Codex", "Not signed in — run codex login", …
    [[nodiscard]] static std::string statusLine(const ProviderDisplay& display);

    [[nodiscard]] QCheckBox* toggle() const
    {
        return m_toggle;
    }

    [[nodiscard]] QString statusText() const;

    /// Reads the switch and the status line again; the settings and the store call it.
    void refresh();

private:
    Provider m_provider;
    AppSettings& m_settings;
    const UsageStore& m_store;
    Clock m_clock;
    QCheckBox* m_toggle = nullptr;
    QLabel* m_status = nullptr;
};

}  // namespace ostrel
