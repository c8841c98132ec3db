#pragma once
// One provider in the bar styles of the tray label: its glyph, then either a
// status symbol or the five-cell gauge with its optional percent and
// hourglass, all centred on one line.

#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include "drawing/LabelColors.h"
#include "drawing/MarkState.h"

class QPainter;

namespace ostrel {

class ProviderMark
{
public:
    static constexpr double glyphSize = 13;
    static constexpr double spacing = 4;
    static constexpr double indicatorSpacing = 3;
    static constexpr QSizeF cellsSize{28.5, 12};

    ProviderMark(MarkState state, bool showPercent);

    [[nodiscard]] QSizeF size() const;
    /// Draws the mark with its left edge at `leftCentre.x()`, centred on `leftCentre.y()`.
    void paint(QPainter& painter, QPointF leftCentre, const LabelColors& colors) const;

    /// The percent text shown after the gauge, or empty when it is not shown.
    [[nodiscard]] QString percentText() const;
    /// The semibold 11-point face of the percent text.
    [[nodiscard]] static QFont percentFont();
    /// The width of `text` with every digit in a cell of the widest digit's advance.
    [[nodiscard]] static double monospacedWidth(const QString& text, const QFont& font);
    static void drawMonospaced(QPainter& painter, QPointF leftCentre, const QString& text, const QFont& font);

private:
    [[nodiscard]] double indicatorWidth() const;
    void paintCellsRow(QPainter& painter, QPointF leftCentre, const LabelColors& colors) const;

    MarkState m_state;
    bool m_showPercent;
};

}  // namespace ostrel
