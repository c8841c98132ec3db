#include "tray/StatusItemController.h"

#include <algorithm>

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QKeySequence>
#include <QPalette>
#include <QWidget>

#include "panel/PopoverView.h"
#include "panel/PopoverWindow.h"
#include "settings/AppSettings.h"
#include "snapshots/PanelSnapshot.h"
#include "store/QtText.h"
#include "store/UsageStore.h"
#include "tray/TrayColors.h"
#include "tray/TrayMark.h"
#include "updates/UpdateController.h"

namespace ostrel {
namespace {

constexpr int minute = 60 * 1000;

QString joinedLines(const std::vector<std::string>& lines)
{
    return toQStringList(lines).join(QLatin1Char('\n'));
}

// Qt names the widget it embeds in an XEmbed tray for each item this way.
constexpr QLatin1String embeddedItemName{"QSystemTrayIconSys"};

}  // namespace

StatusItemController::StatusItemController(UsageStore& store,
                                           AppSettings& settings,
                                           Clock clock,
                                           UpdateController* updates,
                                           QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_settings(settings)
    , m_clock(std::move(clock))
    , m_updates(updates)
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
        checkForUpdates();
    };
    actions.quit = [] {
        QCoreApplication::quit();
    };
    PopoverView::Options options;
    options.clock = m_clock;
    options.hasUpdater = m_updates != nullptr;
    // The live panel stamps no time: the footer says how old the reading is instead.
    m_popover = std::make_unique<PopoverWindow>(new PopoverView(m_store, m_settings, std::move(actions), options));
    if (m_updates) {
        connect(m_updates, &UpdateController::availableVersionChanged, this, [this] {
            m_popover->view().setAvailableVersion(m_updates->availableVersion());
        });
        m_popover->view().setAvailableVersion(m_updates->availableVersion());
    }
    connect(&m_store, &UsageStore::changed, this, &StatusItemController::reevaluate);
    // Every setting change, the tray-icon mode included, redraws the marks.
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
    if (m_updates) {
        m_menu.addAction(QStringLiteral("Check for Updates…"), this, &StatusItemController::checkForUpdates);
    }
    m_menu.addSeparator();
    m_menu.addAction(QStringLiteral("Quit Ostrel"),
                     QKeySequence(Qt::CTRL | Qt::Key_Q),
                     QCoreApplication::instance(),
                     &QCoreApplication::quit);
}

void StatusItemController::checkForUpdates()
{
    if (m_updates) {
        m_updates->showCheckDialog();
    }
}

void StatusItemController::show()
{
    m_shown = true;
    showInOrder();
    applyTitles();
}

// Hosts put a newly shown item to the left of the ones they have (XEmbed
// trays do), so the items are shown last first and the first provider ends up
// leftmost.
void StatusItemController::showInOrder()
{
    for (auto item = m_items.rbegin(); item != m_items.rend(); ++item) {
        (*item)->show();
    }
}

void StatusItemController::rebuildItems(std::size_t count)
{
    if (m_items.size() == count) {
        return;
    }
    // Shown again as a whole, in order: a lone new item would land left of the others.
    for (const auto& item : m_items) {
        item->hide();
    }
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
        m_items.push_back(std::move(item));
    }
    if (m_shown) {
        showInOrder();
    }
}

void StatusItemController::reevaluate()
{
    const Date now = m_clock();
    m_content = labelContent(m_store, m_settings, now);
    const TrayColors colors = TrayColors::forMode(m_settings.trayIconMode(), QApplication::palette());
    if (m_content.marks.empty()) {
        rebuildItems(1);
        m_items.front()->setIcon(TrayMark::emptyIcon(colors));
    } else if (m_content.style == MenuBarStyle::stacked) {
        rebuildItems(1);
        m_items.front()->setIcon(TrayMark::icon(m_content.marks, m_content.style, colors));
    } else {
        rebuildItems(m_content.marks.size());
        for (std::size_t index = 0; index < m_content.marks.size(); ++index) {
            m_items[index]->setIcon(TrayMark::icon({m_content.marks[index]}, m_content.style, colors));
        }
    }
    applyToolTip();
    applyTitles();
}

std::vector<Provider> StatusItemController::providersOf(std::size_t index) const
{
    std::vector<Provider> providers;
    const bool oneEach = m_content.style != MenuBarStyle::stacked;
    for (std::size_t mark = 0; mark < m_content.marks.size(); ++mark) {
        if (!oneEach || mark == index) {
            providers.push_back(m_content.marks[mark].provider);
        }
    }
    return providers;
}

QString StatusItemController::title(std::size_t index) const
{
    const std::vector<Provider> providers = providersOf(index);
    if (providers.size() != 1) {
        return QStringLiteral("Ostrel");
    }
    return QStringLiteral("Ostrel — ") + QString::fromUtf8(displayName(providers.front()));
}

void StatusItemController::applyToolTip()
{
    for (std::size_t index = 0; index < m_items.size(); ++index) {
        m_items[index]->setToolTip(toolTip(index));
    }
}

// QSystemTrayIcon has no setter for an item's title. In an XEmbed tray each
// item is a window of Qt's, which carries the tooltip of its item; titling
// that window lets the desktop and its tools tell the items apart. Over
// StatusNotifierItem Qt reports the application's name as every item's title.
void StatusItemController::applyTitles()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() != embeddedItemName) {
            continue;
        }
        for (std::size_t index = 0; index < m_items.size(); ++index) {
            if (widget->toolTip() == m_items[index]->toolTip()) {
                widget->setWindowTitle(title(index));
            }
        }
    }
    for (std::size_t index = 0; index < m_items.size(); ++index) {
        m_items[index]->setObjectName(title(index));
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

QString StatusItemController::toolTip(std::size_t index) const
{
    const std::vector<Provider> own = providersOf(index);
    if (own.size() != 1) {
        return toolTip();
    }
    // The item's own summary line, then the other providers' lines, then the reset-credit lines.
    const Date now = m_clock();
    std::vector<Provider> order = own;
    for (const MarkState& mark : m_content.marks) {
        if (mark.provider != own.front()) {
            order.push_back(mark.provider);
        }
    }
    std::vector<std::string> lines;
    std::vector<std::string> credits;
    for (const Provider provider : order) {
        const ProviderDisplay display = m_store.display(provider, now);
        lines.push_back(display.summaryLine(now));
        if (std::optional<std::string> credit = display.resetCreditLine()) {
            credits.push_back(std::move(*credit));
        }
    }
    lines.insert(lines.end(), credits.begin(), credits.end());
    return joinedLines(lines);
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
