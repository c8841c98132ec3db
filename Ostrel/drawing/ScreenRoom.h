#pragma once
// The room a window has on its screen: how tall a window with a title bar may
// be (its available height less room for the title bar the desktop adds, which
// a window cannot measure before it is first shown), and the scroll area that
// holds what does not fit: frameless and see-through, with a slim bar, so that
// where everything fits it looks and lays out as if it were not there.

#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

namespace ostrel::ScreenRoom {

inline constexpr int titleBarAllowance = 40;

/// The limit on `screen`, or on the primary screen when it is null; no limit without a screen.
[[nodiscard]] inline int titledWindowHeight(const QScreen* screen)
{
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen != nullptr ? screen->availableGeometry().height() - titleBarAllowance : QWIDGETSIZE_MAX;
}

/// A vertical scroll area for `content`, which it resizes to its own width.
[[nodiscard]] inline QScrollArea* scrollArea(QWidget* content, QWidget* parent)
{
    auto* area = new QScrollArea(parent);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setWidgetResizable(true);
    // Tab still reaches every control inside; the area scrolls to the one focused.
    area->setFocusPolicy(Qt::NoFocus);
    area->verticalScrollBar()->setStyleSheet(
        QStringLiteral("QScrollBar:vertical { width: 10px; background: transparent; margin: 0 0 0 4px; }"
                       "QScrollBar::handle:vertical { background: palette(mid); border-radius: 3px; min-height: 24px; }"
                       "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
                       "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }"));
    area->setWidget(content);
    // Both would fill themselves (setWidget turns the content's filling on); what is behind shows instead.
    area->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    return area;
}

}  // namespace ostrel::ScreenRoom
