#include "preferences/SettingsWindow.h"

#include <algorithm>

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>

#include "drawing/ScreenRoom.h"

namespace ostrel {

SettingsWindow::SettingsWindow(AppSettings& settings, UsageStore& store, SettingsView::Hooks hooks, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QString::fromLatin1(title));
    // A tray application keeps running when its last window closes.
    setAttribute(Qt::WA_QuitOnClose, false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_view = new SettingsView(settings, store, std::move(hooks));
    m_scroll = ScreenRoom::scrollArea(m_view, this);
    layout->addWidget(m_scroll);
    // The window follows the form's size, also when a warning line appears.
    m_view->installEventFilter(this);

    for (const QKeySequence& keys : {QKeySequence(QKeySequence::Close), QKeySequence(Qt::Key_Escape)}) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, &QWidget::close);
    }
    fit();
}

void SettingsWindow::present()
{
    setHeightLimit(ScreenRoom::titledWindowHeight(screen()));
    if (!m_placed) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            move(screen->availableGeometry().center() - rect().center());
        }
        m_placed = true;
    }
    show();
    raise();
    activateWindow();
}

void SettingsWindow::setHeightLimit(int pixels)
{
    m_heightLimit = std::max(pixels, 0);
    fit();
}

bool SettingsWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view && event->type() == QEvent::LayoutRequest) {
        fit();
    }
    return QWidget::eventFilter(watched, event);
}

void SettingsWindow::fit()
{
    // The form has a fixed width, which its size hint does not tell.
    const QSize form = m_view->sizeHint().expandedTo(m_view->minimumSize()).boundedTo(m_view->maximumSize());
    int width = form.width();
    int height = m_view->hasHeightForWidth() ? m_view->heightForWidth(width) : form.height();
    if (height > m_heightLimit) {
        // The form scrolls; the bar takes its own width beside it.
        height = m_heightLimit;
        width += m_scroll->verticalScrollBar()->sizeHint().width();
    }
    const QSize size(width, height);
    if (size != minimumSize() || size != maximumSize()) {
        setFixedSize(size);
    }
}

}  // namespace ostrel
