#include "tray/StatusItemController.h"

#include <algorithm>

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QKeySequence>
#include <QPalette>

#include "panel/PopoverView.h"
#include "panel/PopoverWindow.h"
#include "settings/AppSettings.h"
#include "snapshots/PanelSnapshot.h"
#include "store/QtText.h"
#include "store/UsageStore.h"
#include "tray/TrayMark.h"

namespace ostrel {
namespace {

constexpr int minute = 60 * 1000;

QString joinedLines(const std::vector<std::string>& lines)
{
    return toQStringList(lines).join(QLatin1Char('\n'));
}

}  // namespace

StatusItemController::StatusItemController(UsageStore& store, AppSettings& settings, Clock clock, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_settings(settings)
    , m_clock(std::move(clock))
{
    buildMenu();
    PopoverActions actions;
    actions.openSettings = [this] {
        m_popover->hide();
        openSettings();
    };
    actions.copySnapshot = [this] {
        copySnapshot();
    };
    actions.copyText = [this] {
        copyText();
    };
    actions.checkForUpdates = [this] {
        m_popover->hide();
    };
    actions.quit = [] {
        QCoreApplication::quit();
    };
    PopoverView::Options options;
    options.clock = m_clock;
    // The live panel stamps no time: the footer says how old the reading is instead.
    m_popover = std::make_unique<PopoverWindow>(new PopoverView(m_store, m_settings, std::move(actions), options));
    connect(&m_store, &UsageStore::changed, this, &StatusItemController::reevaluate);
    connect(&m_settings, &AppSettings::changed, this, &StatusItemController::reevaluate);
    // Pacing moves with time alone, so the marks are redrawn every minute too.
    m_minuteTimer.setInterval(minute);
    connect(&m_minuteTimer, &QTimer::timeout, this, &StatusItemController::reevaluate);
    m_minuteTimer.start();
    reevaluate();
}

StatusItemController::~StatusItemController() = default;

void StatusItemController::buildMenu()
{
    m_menu.addAction(QStringLiteral("Refresh Now"),
                     QKeySequence(Qt::CTRL | Qt::Key_R),
                     this,
                     &StatusItemController::refreshNow);
    m_menu.addAction(QStringLiteral("Copy Snapshot"),
                     QKeySequence(Qt::CTRL | Qt::Key_C),
                     this,
                     &StatusItemController::copySnapshot);
    m_menu.addAction(QStringLiteral("Copy Summary Text"), this, &StatusItemController::copyText);
    m_menu.addSeparator();
    m_menu.addAction(QStringLiteral("Settings…"), QKeySequence(Qt::CTRL | Qt::Key_Comma), this, [this] {
        openSettings();
    });
    m_menu.addSeparator();
    m_menu.addAction(QStringLiteral("Quit Ostrel"),
                     QKeySequence(Qt::CTRL | Qt::Key_Q),
                     QCoreApplication::instance(),
                     &QCoreApplication::quit);
}

void StatusItemController::show()
{
    m_shown = true;
    for (const auto& item : m_items) {
        item->show();
    }
}

void StatusItemController::rebuildItems(std::size_t count)
{
    while (m_items.size() > count) {
        m_items.pop_back();
    }
    while (m_items.size() < count) {
        auto item = std::make_unique<QSystemTrayIcon>();
        item->setContextMenu(&m_menu);
        item->installEventFilter(this);
        connect(item.get(),
                &QSystemTrayIcon::activated,
                this,
                [this, icon = item.get()](QSystemTrayIcon::ActivationReason reason) { activated(icon, reason); });
        if (m_shown) {
            item->show();
        }
        m_items.push_back(std::move(item));
    }
}

void StatusItemController::reevaluate()
{
    const Date now = m_clock();
    m_content = labelContent(m_store, m_settings, now);
    const LabelColors colors = LabelColors::fromPalette(QApplication::palette());
    if (m_content.marks.empty()) {
        rebuildItems(1);
        m_items.front()->setIcon(TrayMark::emptyIcon(colors));
    } else {
        rebuildItems(m_content.marks.size());
        for (std::size_t index = 0; index < m_content.marks.size(); ++index) {
            m_items[index]->setIcon(TrayMark::icon(m_content.marks[index], m_content.style, colors));
        }
    }
    applyToolTip();
}

void StatusItemController::applyToolTip()
{
    const QString tip = toolTip();
    for (const auto& item : m_items) {
        item->setToolTip(tip);
    }
}

bool StatusItemController::eventFilter(QObject* watched, QEvent* event)
{
    // QSystemTrayIcon has no hover signal; the tooltip request is the one sign
    // of a resting pointer, and it is let through so the fresh tip is shown.
    if (event->type() == QEvent::ToolTip) {
        const bool ours = std::ranges::any_of(m_items, [&](const auto& item) { return item.get() == watched; });
        if (ours) {
            hovered();
        }
    }
    return QObject::eventFilter(watched, event);
}

void StatusItemController::hovered()
{
    applyToolTip();
    m_store.refreshIfStale(300);
}

QString StatusItemController::toolTip() const
{
    const std::vector<std::string> lines = m_store.reportLines(m_clock());
    return lines.empty() ? QStringLiteral("Ostrel") : joinedLines(lines);
}

void StatusItemController::activated(const QSystemTrayIcon* item, QSystemTrayIcon::ActivationReason reason)
{
    // The host opens the context menu itself; a plain click is the left click.
    // A double click arrives after its first click's Trigger, so it is not a second toggle.
    if (reason == QSystemTrayIcon::Trigger) {
        togglePopover(item->geometry());
    }
}

void StatusItemController::togglePopover(std::optional<QRect> anchor)
{
    if (!m_popover->isVisible()) {
        m_store.refreshIfStale(60);
        m_store.refreshActivity(120);
    }
    m_popover->toggle(anchor);
}

void StatusItemController::copySnapshot()
{
    PanelSnapshot::copySnapshot(m_store, m_settings, joinedLines(m_store.reportLines(m_clock())));
}

void StatusItemController::refreshNow()
{
    m_store.refresh();
    m_store.refreshActivity(0);
}

void StatusItemController::copyText()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(joinedLines(m_store.reportLines(m_clock())));
}

}  // namespace ostrel
