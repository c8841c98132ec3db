#pragma once
// The transient window that holds the panel next to the tray: opened and
// closed by a click on a tray item, closed by Escape and by a click
// elsewhere. On X11 it is a popup placed by the item; under Wayland, where a
// client cannot place its windows, it is a frameless window that the
// compositor places (sway, asked over its socket, floats it by the item) and
// that closes when it loses focus.

#include <chrono>
#include <memory>
#include <optional>

#include <QRect>
#include <QWidget>

namespace ostrel {

class PanelView;
class SwayPlacement;

class PanelWindow : public QWidget
{
    Q_OBJECT

public:
    /// Takes ownership of `view`.
    explicit PanelWindow(PanelView* view);
    ~PanelWindow() override;

    PanelWindow(const PanelWindow&) = delete;
    PanelWindow& operator=(const PanelWindow&) = delete;

    [[nodiscard]] PanelView& view() const
    {
        return *m_view;
    }

    /// Opens next to `anchor` (the tray item, when the host reports it), or closes.
    void toggle(std::optional<QRect> anchor);
    void open(std::optional<QRect> anchor);

Q_SIGNALS:
    void opened();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    /// Puts the window by the anchor it was opened for, on the screen under the pointer.
    void place();
    /// The available area of the screen under the pointer (or the primary one).
    [[nodiscard]] QRect availableArea() const;

    PanelView* m_view;
    bool m_placedByCompositor;
    std::optional<QRect> m_anchor;
    QPoint m_pointer;
    std::chrono::steady_clock::time_point m_hiddenAt;
    std::unique_ptr<SwayPlacement> m_sway;  ///< under sway only
};

}  // namespace ostrel
