#pragma once
// The decoration every panel picture gets: the scheme's own background, the
// content clipped to rounded corners of 20 points, and a one-point border
// drawn inside the edge. The frame takes the size of what it holds.

#include <QColor>
#include <QWidget>

#include "drawing/Theme.h"

namespace ostrel {

class SnapshotFrame : public QWidget
{
    Q_OBJECT

public:
    static constexpr double cornerRadius = 20;

    /// Takes `content` (made with the same scheme) into the frame; its own background gives way to the frame's.
    SnapshotFrame(QWidget* content, ColorScheme scheme, QWidget* parent = nullptr);

    [[nodiscard]] static QColor background(ColorScheme scheme);
    /// The primary text colour at the border's strength.
    [[nodiscard]] static QColor border(ColorScheme scheme);

    [[nodiscard]] ColorScheme scheme() const
    {
        return m_scheme;
    }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    ColorScheme m_scheme;
    QWidget* m_edge = nullptr;
};

}  // namespace ostrel
