#include "panel/PanelWindow.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>

#include "panel/PanelPlacement.h"
#include "panel/PanelView.h"
#include "platform/SwayPlacement.h"

namespace ostrel {
namespace {

// A click on the tray item while the panel is open first closes the panel
// (a click outside a popup), then arrives as the item's own click; within
// this time it is the same click and must not open the panel again.
constexpr auto sameClick = std::chrono::milliseconds(350);

bool compositorPlacesWindows()
{
    return QGuiApplication::platformName().startsWith(QStringLiteral("wayland"));
}

}  // namespace

PanelWindow::PanelWindow(PanelView* view)
    : m_view(view)
    , m_placedByCompositor(compositorPlacesWindows())
{
    setWindowFlags(m_placedByCompositor ? Qt::Window | Qt::FramelessWindowHint : Qt::Popup | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("Ostrel"));
    setAccessibleName(QStringLiteral("Ostrel"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    view->setParent(this);
    layout->addWidget(view);
    if (m_placedByCompositor && SwayPlacement::available()) {
        m_sway = std::make_unique<SwayPlacement>();
    }
}

PanelWindow::~PanelWindow() = default;

void PanelWindow::toggle(std::optional<QRect> anchor)
{
    if (isVisible()) {
        hide();
        return;
    }
    if (std::chrono::steady_clock::now() - m_hiddenAt < sameClick) {
        return;
    }
    open(anchor);
}

void PanelWindow::open(std::optional<QRect> anchor)
{
    m_anchor = anchor;
    m_pointer = QCursor::pos();
    m_view->setHeightLimit(availableArea().height() - 2 * PanelPlacement::gap);
    m_view->reevaluate();
    adjustSize();
    place();
    show();
    raise();
    activateWindow();
    Q_EMIT opened();
}

void PanelWindow::place()
{
    if (m_sway) {
        m_sway->place(windowTitle(), [size = size()](QRect workspace, QRect output) {
            return PanelPlacement::byBar(size, workspace, output);
        });
        return;
    }
    if (m_placedByCompositor) {
        return;
    }
    move(PanelPlacement::topLeft(size(), m_anchor, m_pointer, availableArea()));
}

QRect PanelWindow::availableArea() const
{
    QScreen* screen = QGuiApplication::screenAt(m_pointer);
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen != nullptr ? screen->availableGeometry() : QRect(QPoint(0, 0), size());
}

void PanelWindow::resizeEvent(QResizeEvent* event)
{
    // The panel's height can settle after it shows (wrapped texts); it stays by its item.
    QWidget::resizeEvent(event);
    if (isVisible()) {
        place();
    }
}

void PanelWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PanelWindow::hideEvent(QHideEvent* event)
{
    // Only a popup closed by a press elsewhere can be followed by that press's own click.
    const bool byPress = QGuiApplication::mouseButtons() != Qt::NoButton;
    m_hiddenAt = byPress ? std::chrono::steady_clock::now() : std::chrono::steady_clock::time_point{};
    QWidget::hideEvent(event);
}

void PanelWindow::changeEvent(QEvent* event)
{
    // Without a popup grab, losing focus is the click elsewhere.
    if (event->type() == QEvent::ActivationChange && m_placedByCompositor && isVisible() && !isActiveWindow()) {
        hide();
    }
    QWidget::changeEvent(event);
}

}  // namespace ostrel
