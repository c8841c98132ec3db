#pragma once
// The named symbols of the panel, the cards and the windows, taken from one
// vendored SVG icon set (see resources/symbols/) and tinted to the colour a
// view asks for, so they look the same on every desktop whatever its icon
// theme. The tray's tiny marks draw their own outlines (SymbolImage).

#include <array>
#include <string_view>

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QRectF>
#include <QString>

class QPainter;

namespace ostrel {

/// Each case is named after the system name the views refer to.
enum class Symbol
{
    arrowClockwise,                        ///< "arrow.clockwise"
    arrowClockwiseCircle,                  ///< "arrow.clockwise.circle"
    arrowCounterclockwiseCircle,           ///< "arrow.counterclockwise.circle"
    arrowDownCircleFill,                   ///< "arrow.down.circle.fill"
    building2,                             ///< "building.2"
    cameraViewfinder,                      ///< "camera.viewfinder"
    checkmark,                             ///< "checkmark"
    checkmarkCircleFill,                   ///< "checkmark.circle.fill"
    clock,                                 ///< "clock"
    clockBadgeExclamationmark,             ///< "clock.badge.exclamationmark"
    creditcard,                            ///< "creditcard"
    docOnDoc,                              ///< "doc.on.doc"
    ellipsisCircle,                        ///< "ellipsis.circle"
    exclamationmarkArrowCirclepath,        ///< "exclamationmark.arrow.circlepath"
    exclamationmarkCircleFill,             ///< "exclamationmark.circle.fill"
    gaugeWithDotsNeedle33percent,          ///< "gauge.with.dots.needle.33percent"
    hourglass,                             ///< "hourglass"
    infinity,                              ///< "infinity"
    infoCircle,                            ///< "info.circle"
    laptopcomputerAndIphone,               ///< "laptopcomputer.and.iphone"
    personCropCircleBadgeExclamationmark,  ///< "person.crop.circle.badge.exclamationmark"
    shippingbox,                           ///< "shippingbox"
    switch2,                               ///< "switch.2"
    wifiExclamationmark                    ///< "wifi.exclamationmark"
};

namespace Symbols {

/// The system name the views use for the symbol ("arrow.clockwise").
[[nodiscard]] std::string_view systemName(Symbol symbol);

/// The vendored SVG file in the application's resources.
[[nodiscard]] QString resourcePath(Symbol symbol);

/// The symbol tinted `colour`, `pointSize` points square, drawn for `devicePixelRatio`.
[[nodiscard]] QPixmap pixmap(Symbol symbol, double pointSize, const QColor& colour, qreal devicePixelRatio);

/// The symbol as a button icon in `colour` (its disabled form at a lower opacity).
[[nodiscard]] QIcon icon(Symbol symbol, double pointSize, const QColor& colour);

/// Paints the symbol, tinted `colour`, fitted into `box` with its aspect kept.
void paint(QPainter& painter, Symbol symbol, const QRectF& box, const QColor& colour);

}  // namespace Symbols
}  // namespace ostrel
