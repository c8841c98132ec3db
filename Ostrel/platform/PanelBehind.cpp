#include "platform/PanelBehind.h"

#include <xcb/xcb.h>

#include <cstring>
#include <span>
#include <unordered_map>

#include <QGuiApplication>
#include <QRect>
#include <QtGui/qguiapplication_platform.h>

#include "platform/TrayHost.h"
#include "platform/XcbReply.h"

namespace ostrel::PanelBehind {
namespace {

// Narrower strips along an edge are struts and borders, not bars.
constexpr int minimumBarHeight = 12;

// The widest shown window along the top or bottom edge of the screen, no
// higher than a quarter of it: the bar the tray is on. The window that owns
// the tray selection would say which, but trayer's is an unmapped one of its own.
std::optional<QRect> widestBar(xcb_connection_t* connection, const xcb_screen_t* screen)
{
    const XcbReply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, screen->root), nullptr));
    if (!tree) {
        return std::nullopt;
    }
    std::optional<QRect> widest;
    const std::span<const xcb_window_t> children(xcb_query_tree_children(tree.get()),
                                                 static_cast<std::size_t>(xcb_query_tree_children_length(tree.get())));
    for (const xcb_window_t window : children) {
        const XcbReply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window), nullptr));
        const XcbReply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
        // Menus and tooltips bypass the window manager; bars do not.
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE || attributes->override_redirect != 0
            || !geometry) {
            continue;
        }
        const QRect rect(geometry->x, geometry->y, geometry->width, geometry->height);
        const bool alongAnEdge = rect.top() == 0 || rect.bottom() == screen->height_in_pixels - 1;
        if (alongAnEdge && rect.height() >= minimumBarHeight && rect.height() * 4 <= screen->height_in_pixels
            && rect.right() < screen->width_in_pixels && rect.left() >= 0
            && (!widest || rect.width() > widest->width())) {
            widest = rect;
        }
    }
    return widest;
}

// What the screen shows where the bar is.
std::optional<QImage> barPicture()
{
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr) {
        return std::nullopt;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const std::optional<QRect> bar = widestBar(connection, screen);
    if (!bar) {
        return std::nullopt;
    }
    // Read from the root, as it shows: a bar drawn translucent shows what is under it.
    const XcbReply<xcb_get_image_reply_t> picture(
        xcb_get_image_reply(connection,
                            xcb_get_image(connection,
                                          XCB_IMAGE_FORMAT_Z_PIXMAP,
                                          screen->root,
                                          static_cast<std::int16_t>(bar->x()),
                                          static_cast<std::int16_t>(bar->y()),
                                          static_cast<std::uint16_t>(bar->width()),
                                          static_cast<std::uint16_t>(bar->height()),
                                          ~0U),
                            nullptr));
    const auto bytes = static_cast<std::size_t>(bar->width()) * static_cast<std::size_t>(bar->height()) * 4;
    if (!picture || picture->depth != 24
        || static_cast<std::size_t>(xcb_get_image_data_length(picture.get())) != bytes) {
        return std::nullopt;
    }
    QImage image(bar->width(), bar->height(), QImage::Format_RGB32);
    std::memcpy(image.bits(), xcb_get_image_data(picture.get()), bytes);
    return image;
}

}  // namespace

std::optional<QColor> ofHost(const QByteArray& program)
{
    // lxqt-panel's default theme and GNOME's top bar are black; waybar's
    // default style sets the tray on a blue of its own.
    if (program == "lxqt-panel" || program == "gnome-shell") {
        return QColor(0, 0, 0);
    }
    if (program == "waybar") {
        return QColor(0x29, 0x80, 0xb9);
    }
    return std::nullopt;
}

std::optional<QColor> commonest(const QImage& bar)
{
    if (bar.isNull()) {
        return std::nullopt;
    }
    std::unordered_map<QRgb, int> counts;
    QRgb best = 0;
    int bestCount = 0;
    for (int y = 0; y < bar.height(); ++y) {
        for (int x = 0; x < bar.width(); ++x) {
            const QRgb pixel = bar.pixel(x, y) | 0xff000000U;
            const int count = ++counts[pixel];
            if (count > bestCount) {
                bestCount = count;
                best = pixel;
            }
        }
    }
    return QColor::fromRgb(best);
}

std::optional<QColor> colour(const QDBusConnection& bus)
{
    if (TrayHost::watcherRegistered(bus)) {
        if (std::optional<QColor> known = ofHost(TrayHost::watcherProgram(bus))) {
            return known;
        }
    }
    if (std::optional<QImage> bar = barPicture()) {
        return commonest(*bar);
    }
    return std::nullopt;
}

}  // namespace ostrel::PanelBehind
