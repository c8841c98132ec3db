#pragma once
// The appearance-dependent colours of the tray label: the primary colour of
// text and outlines and the secondary colour of status symbols, taken from a
// palette so light and dark panels both read.

#include <QColor>
#include <QPalette>

namespace ostrel {

struct LabelColors
{
    QColor primary = Qt::black;
    QColor secondary = QColor(0, 0, 0, 128);

    /// Primary is the palette's window text; secondary is the same at half strength.
    [[nodiscard]] static LabelColors fromPalette(const QPalette& palette)
    {
        const QColor primary = palette.color(QPalette::Active, QPalette::WindowText);
        QColor secondary = primary;
        secondary.setAlphaF(primary.alphaF() * 0.55F);
        return {primary, secondary};
    }
};

}  // namespace ostrel
