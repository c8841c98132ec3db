#pragma once
// The few named symbols the tray label shows, drawn as our own outlines so
// they can be tinted exactly and never come out blank: the icon themes found
// on Linux desktops lack an infinity sign, an hourglass and a gauge.

#include <QColor>
#include <QPainterPath>
#include <QPointF>
#include <QSizeF>
#include <QString>

class QPainter;

namespace ostrel {

enum class SymbolName
{
    gauge,                  ///< "gauge.with.dots.needle.33percent"
    infinity,               ///< "infinity"
    arrowClockwise,         ///< "arrow.clockwise"
    exclamationCircleFill,  ///< "exclamationmark.circle.fill"
    hourglass               ///< "hourglass"
};

enum class SymbolWeight
{
    regular,
    medium,
    semibold,
    bold
};

struct SymbolImage
{
    SymbolName name = SymbolName::gauge;
    double pointSize = 13;
    SymbolWeight weight = SymbolWeight::regular;

    /// The symbol's system name, as the views refer to it.
    [[nodiscard]] static QString systemName(SymbolName name);

    /// The box the symbol occupies in a layout, in points.
    [[nodiscard]] QSizeF size() const;
    /// The filled outline inside the box whose top-left is `topLeft`.
    [[nodiscard]] QPainterPath path(QPointF topLeft) const;

    void paint(QPainter& painter, QPointF topLeft, const QColor& colour) const;

private:
    [[nodiscard]] double strokeWidth() const;
};

}  // namespace ostrel
