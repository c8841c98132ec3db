#include "platform/BarUnderPointer.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include "platform/XcbReply.h"

namespace ostrel::BarUnderPointer {
namespace {

// The top-level window under the pointer, in device pixels.
std::optional<QRect> windowUnderPointer()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr) {
        return std::nullopt;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const XcbReply<xcb_query_pointer_reply_t> pointer(
        xcb_query_pointer_reply(connection, xcb_query_pointer(connection, root), nullptr));
    if (!pointer || pointer->child == XCB_NONE) {
        return std::nullopt;
    }
    const XcbReply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, pointer->child), nullptr));
    if (!geometry) {
        return std::nullopt;
    }
    return QRect(geometry->x, geometry->y, geometry->width, geometry->height);
}

}  // namespace

std::optional<QRect> itemIn(QRect bar, QPoint pointer, QRect screen)
{
    const bool alongAnEdge = bar.top() <= screen.top() || bar.bottom() >= screen.bottom();
    if (!bar.contains(pointer) || bar.height() * 4 > screen.height() || !alongAnEdge) {
        return std::nullopt;
    }
    // Items are about as wide as the bar is high.
    return QRect(pointer.x() - bar.height() / 2, bar.top(), bar.height(), bar.height());
}

std::optional<QRect> itemAt(QPoint pointer, QRect screen)
{
    const std::optional<QRect> window = windowUnderPointer();
    if (!window) {
        return std::nullopt;
    }
    // X11 counts device pixels; Qt places in logical ones.
    const qreal ratio = qGuiApp->devicePixelRatio();
    const QRect bar(QPoint(qRound(window->x() / ratio), qRound(window->y() / ratio)),
                    QSize(qRound(window->width() / ratio), qRound(window->height() / ratio)));
    return itemIn(bar, pointer, screen);
}

}  // namespace ostrel::BarUnderPointer
