#pragma once
// The settings window: the form in a titled, closable window of the form's
// own size that the user cannot resize; on a screen too short for it, as tall
// as the screen allows, with the form scrolling. Made once per run; closing only hides
// it, and showing it again brings the same window to the front.

#include <QScrollArea>
#include <QWidget>

#include "preferences/SettingsView.h"

namespace ostrel {

class SettingsWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr const char* title = "Ostrel Settings";

    SettingsWindow(AppSettings& settings, UsageStore& store, SettingsView::Hooks hooks, QWidget* parent = nullptr);

    /// Shows the window (centred the first time, no taller than its screen), raises it and gives it the keyboard.
    void present();

    /// The tallest the window may be, in pixels; a taller form scrolls.
    void setHeightLimit(int pixels);

    [[nodiscard]] SettingsView& view() const
    {
        return *m_view;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fit();

    QScrollArea* m_scroll = nullptr;
    SettingsView* m_view = nullptr;
    bool m_placed = false;
    int m_heightLimit = QWIDGETSIZE_MAX;
};

}  // namespace ostrel
