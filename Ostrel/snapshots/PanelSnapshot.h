#pragma once
// Still pictures of the panel: any widget drawn off screen at a pixel scale,
// PNG bytes that keep that scale, the clipboard copy (PNG, or the summary
// text when no picture can be made), and the export of the fixed picture set
// (three panel variants and the tray label per scheme, then the social card).

#include <expected>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QByteArray>
#include <QImage>
#include <QString>

#include "drawing/Theme.h"
#include "panel/PanelState.h"

class QWidget;

namespace ostrel {

class AppSettings;
class SnapshotFrame;
class UsageStore;

enum class ExportFailure
{
    folderNotCreated,
    pictureNotEncoded,
    fileNotWritten,
};

struct ExportError
{
    ExportFailure failure = ExportFailure::fileNotWritten;
    std::filesystem::path path;
    /// The system's words for what went wrong, when it gave any.
    std::string reason;

    /// One line for "Export failed: …".
    [[nodiscard]] std::string description() const;
};

namespace PanelSnapshot {

/// One panel picture of the exported set: its file-name stem and what it forces.
struct Variant
{
    std::string_view name;
    PanelState state;
};

/// The panel variants of each scheme, in the order they are written.
[[nodiscard]] std::vector<Variant> variants();

/// Draws `widget` off screen: pixels = its size in points × `scale`, device
/// pixel ratio `scale`. Absent when the widget has no area or no picture could be made.
[[nodiscard]] std::optional<QImage> render(QWidget& widget, double scale);

/// PNG bytes whose physical size marks the picture's scale (a 2× picture reads as 2×); absent when encoding fails.
[[nodiscard]] std::optional<QByteArray> pngData(const QImage& image);

/// The panel in `state`, made for a still picture (no buttons) in `scheme`'s own palette, in the snapshot frame.
[[nodiscard]] std::unique_ptr<SnapshotFrame>
framedPanel(UsageStore& store, AppSettings& settings, const PanelState& state, ColorScheme scheme);

/// `framedPanel` drawn at `scale`.
[[nodiscard]] std::optional<QImage>
renderPanel(UsageStore& store, AppSettings& settings, const PanelState& state, ColorScheme scheme, double scale);

/// True when the application's palette is the dark one.
[[nodiscard]] bool systemIsDark();

/// Puts the picture on the clipboard as image/png; `fallbackText` as plain text when there is no PNG.
void copy(const std::optional<QImage>& picture, const QString& fallbackText);

/// "Copy Snapshot": the live panel's tab, stamped, in the desktop's scheme at 2×.
void copySnapshot(UsageStore& store, AppSettings& settings, const QString& fallbackText);

/// Writes the picture set into `folder` (made with its parents) and returns
/// the written paths in order. The first failure ends it; files written before stay.
[[nodiscard]] std::expected<std::vector<std::filesystem::path>, ExportError>
exportAll(UsageStore& store, AppSettings& settings, const std::filesystem::path& folder);

}  // namespace PanelSnapshot
}  // namespace ostrel
