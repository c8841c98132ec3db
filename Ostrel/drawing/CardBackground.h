#pragma once
// The surface every card stands on: a rounded rectangle lightly filled with
// the primary colour, warmed from its top-leading corner by the provider's
// accent, and edged with a fine line.

#include <optional>

#include <QColor>
#include <QRectF>

class QPainter;

namespace ostrel {

struct Theme;

struct CardBackground
{
    /// The accent that glows from the top-leading corner; none for neutral cards.
    std::optional<QColor> accent;
    double cornerRadius = 16;

    void paint(QPainter& painter, const QRectF& rect, const Theme& theme) const;
};

}  // namespace ostrel
