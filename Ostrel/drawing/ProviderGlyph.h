#pragma once
// A provider's glyph in a square of `size` points: the spark for Claude (in
// its accent colour, or the primary colour when monochrome) and the knot for
// OpenAI (always the primary colour).

#include <QColor>
#include <QPainterPath>
#include <QPointF>
#include <QString>

#include "model/Provider.h"

class QPainter;

namespace ostrel {

struct ProviderGlyph
{
    Provider provider = Provider::claude;
    double size = 13;
    bool monochrome = false;

    /// The line width the knot is stroked with: a tenth of the size, never under one point.
    [[nodiscard]] double knotLineWidth() const;
    /// The glyph's outline in the square whose top-left corner is `topLeft`.
    [[nodiscard]] QPainterPath path(QPointF topLeft) const;
    /// The colour the outline is filled with, given the appearance's primary colour.
    [[nodiscard]] QColor fillColor(const QColor& primary) const;
    /// "Claude" or "OpenAI", for screen readers.
    [[nodiscard]] QString accessibleName() const;

    void paint(QPainter& painter, QPointF topLeft, const QColor& primary) const;
};

}  // namespace ostrel
