#pragma once
// The colour of the panel behind the tray items, where it can be known. Hosts
// do not say it, but some are known by the program holding the
// StatusNotifierWatcher and draw their default panel in one colour; on X11 the
// bar along the screen's edge can be read off the screen. Main thread only.

#include <optional>

#include <QByteArray>
#include <QColor>
#include <QDBusConnection>
#include <QImage>

namespace ostrel::PanelBehind {

/// The panel's colour: the known host's, else the X11 bar's; nothing where neither is known.
[[nodiscard]] std::optional<QColor> colour(const QDBusConnection& bus);

/// The default panel colour of the StatusNotifierItem host `program`, where it is one colour whatever the theme.
[[nodiscard]] std::optional<QColor> ofHost(const QByteArray& program);

/// The colour most of `bar`'s pixels have: the panel's, around the few items on it.
[[nodiscard]] std::optional<QColor> commonest(const QImage& bar);

}  // namespace ostrel::PanelBehind
