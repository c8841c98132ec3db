#pragma once
// The application's icon: one SVG (the three-bar mark on a rounded tile),
// compiled into the resources and installed into the icon theme as "ostrel".
// Windows, notifications and the social card all show this one picture.

#include <QIcon>
#include <QRectF>
#include <QString>

class QPainter;

namespace ostrel::AppIcon {

/// The compiled-in copy, for when the theme has none installed.
inline constexpr const char* resourcePath = ":/icons/ostrel.svg";

/// The theme's icon when installed, the compiled-in one otherwise.
[[nodiscard]] QIcon icon();

/// Draws the compiled-in SVG into `target`; false when it cannot be read.
bool paint(QPainter& painter, const QRectF& target);

}  // namespace ostrel::AppIcon
