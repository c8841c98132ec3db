#pragma once
// A still picture of the panel: the panel drawn afresh in snapshot form (no
// buttons, the product in the footer, the time stamped), off screen, at a
// pixel scale; and the clipboard copy of it as PNG.

#include <QByteArray>
#include <QImage>

namespace ostrel {

class AppSettings;
class UsageStore;

namespace PanelPicture {

/// The panel in the application's current scheme, `scale` device pixels per point.
[[nodiscard]] QImage render(UsageStore& store, AppSettings& settings, double scale);

/// PNG bytes that keep the picture's scale (a 2× picture reads as 2×).
[[nodiscard]] QByteArray pngData(const QImage& image);

/// Puts the picture on the clipboard as image/png; the summary text when it cannot be drawn.
void copy(UsageStore& store, AppSettings& settings, const QString& fallbackText);

}  // namespace PanelPicture
}  // namespace ostrel
