#include "preferences/SettingsWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

namespace ostrel {

SettingsWindow::SettingsWindow(AppSettings& settings, UsageStore& store, SettingsView::Hooks hooks, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QString::fromLatin1(title));
    // A tray application keeps running when its last window closes.
    setAttribute(Qt::WA_QuitOnClose, false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // The window follows the form's size, also when a warning line appears, and cannot be resized.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_view = new SettingsView(settings, store, std::move(hooks), this);
    layout->addWidget(m_view);

    for (const QKeySequence& keys : {QKeySequence(QKeySequence::Close), QKeySequence(Qt::Key_Escape)}) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, &QWidget::close);
    }
}

void SettingsWindow::present()
{
    if (!m_placed) {
        adjustSize();
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            move(screen->availableGeometry().center() - rect().center());
        }
        m_placed = true;
    }
    show();
    raise();
    activateWindow();
}

}  // namespace ostrel
