#pragma once
// The settings window: the form in a titled, closable window of the form's
// own size that the user cannot resize. Made once per run; closing only hides
// it, and showing it again brings the same window to the front.

#include <QWidget>

#include "preferences/SettingsView.h"

namespace ostrel {

class SettingsWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr const char* title = "Ostrel Settings";

    SettingsWindow(AppSettings& settings, UsageStore& store, SettingsView::Hooks hooks, QWidget* parent = nullptr);

    /// Shows the window (centred the first time), raises it and gives it the keyboard.
    void present();

    [[nodiscard]] SettingsView& view() const
    {
        return *m_view;
    }

private:
    SettingsView* m_view = nullptr;
    bool m_placed = false;
};

}  // namespace ostrel
