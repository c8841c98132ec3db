#include "tray/StatusItemController.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QKeySequence>
#include <QScreen>

#include "base/QtText.h"
#include "drawing/TrayColors.h"
#include "panel/PanelView.h"
#include "panel/PanelWindow.h"
#include "platform/BarUnderPointer.h"
#include "platform/PanelBehind.h"
#include "platform/StatusNotifierItem.h"
#include "platform/SystemTrayItem.h"
#include "platform/TrayHost.h"
#include "settings/AppSettings.h"
#include "store/UsageStore.h"
#include "tray/TrayMark.h"
#include "updates/UpdateController.h"

namespace ostrel {
namespace {

constexpr int minute = 60 * 1000;
// How long an item waits for a host to read the one shown before it.
constexpr int introductionPause = 1000;

QString joinedLines(const std::vector<std::string>& lines)
{
    return toQStringList(lines).join(QLatin1Char('\n'));
}

// Hosts that say only where the click was (StatusNotifierItem hosts) leave the
// item's size unknown; the bar under the pointer gives it, so the panel opens
// off the bar rather than over it.
std::optional<QRect> itemAnchor(std::optional<QRect> anchor)
{
    if (anchor && anchor->width() > 1 && anchor->height() > 1) {
        return anchor;
    }
    const QPoint pointer = anchor ? anchor->topLeft() : QCursor::pos();
    const QScreen* screen = QGuiApplication::screenAt(pointer);
    if (screen == nullptr) {
        return anchor;
    }
    if (std::optional<QRect> item = BarUnderPointer::itemAt(pointer, screen->geometry())) {
        return item;
    }
    return anchor;
}

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
    , m_statusNotifier(TrayHost::watcherRegistered(QDBusConnection::sessionBus()))
{
    buildMenu();
    PanelActions actions;
    actions.openSettings = [this] {
        m_panel->hide();
        openSettings();
    };
    actions.copySnapshot = [this] {
        copySnapshot();
    };
    actions.copyText = [this] {
        copyText();
    };
    actions.checkForUpdates = [this] {
        m_panel->hide();
        checkForUpdates();
    };
    actions.quit = [] {
        QCoreApplication::quit();
    };
    PanelView::Options options;
    options.clock = m_clock;
    options.hasUpdater = m_updates != nullptr;
    // The live panel stamps no time: the footer says how old the reading is instead.
    m_panel = std::make_unique<PanelWindow>(new PanelView(m_store, m_settings, std::move(actions), options));
    if (m_updates) {
        connect(m_updates, &UpdateController::availableVersionChanged, this, [this] {
            m_panel->view().setAvailableVersion(m_updates->availableVersion());
        });
        m_panel->view().setAvailableVersion(m_updates->availableVersion());
    }
    connect(&m_store, &UsageStore::changed, this, &StatusItemController::reevaluate);
    // Every setting change, the tray-icon mode included, redraws the marks.
    connect(&m_settings, &AppSettings::changed, this, &StatusItemController::reevaluate);
    // Pacing moves with time alone, so the marks are redrawn every minute too.
    m_minuteTimer.setInterval(minute);
    connect(&m_minuteTimer, &QTimer::timeout, this, &StatusItemController::reevaluate);
    m_minuteTimer.start();
    m_introductionPause.setSingleShot(true);
    m_introductionPause.setInterval(introductionPause);
    connect(&m_introductionPause, &QTimer::timeout, this, &StatusItemController::introduceNext);
    reevaluate();
    followWatcher();
}

// A panel that restarts brings a new watcher, which knows no items: the shown
// ones register again, in the order they were first shown.
void StatusItemController::followWatcher()
{
    if (!m_statusNotifier) {
        return;
    }
    m_trayWatcher = std::make_unique<QDBusServiceWatcher>(QString::fromLatin1(TrayHost::watcherService),
                                                          QDBusConnection::sessionBus(),
                                                          QDBusServiceWatcher::WatchForOwnerChange);
    connect(m_trayWatcher.get(),
            &QDBusServiceWatcher::serviceOwnerChanged,
            this,
            [this](const QString& /*name*/, const QString& /*before*/, const QString& owner) {
                if (owner.isEmpty() || !m_shown) {
                    return;
                }
                // Another host may draw another panel.
                reevaluate();
                showInOrder(true);
            });
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
}

// Most hosts put a newly shown item to the left of the ones they have (XEmbed
// trays do, and so do xfce4-panel and mate-panel), so the items are shown last
// first and the first provider ends up leftmost; lxqt-panel and waybar put it
// to the right, so there they are shown first first. A StatusNotifierItem
// host places an item only once it has read it, and reads run side by side,
// so each item waits until the host has read the one before (or a pause has
// passed, for a host that reads nothing). Hosts that sort by id find
// "Ostrel — Claude" before "Ostrel — OpenAI" anyway.
void StatusItemController::showInOrder(bool again)
{
    m_toIntroduce.clear();
    m_introducingAgain = again;
    const bool lastGoesRight = m_statusNotifier && TrayHost::newItemsGoLast(QDBusConnection::sessionBus());
    for (const auto& item : m_items) {
        if (lastGoesRight) {
            m_toIntroduce.push_back(item.get());
        } else {
            m_toIntroduce.push_front(item.get());
        }
    }
    introduceNext();
}

void StatusItemController::introduceNext()
{
    m_introductionPause.stop();
    m_awaitedItem = nullptr;
    while (!m_toIntroduce.empty()) {
        TrayItem* item = m_toIntroduce.front();
        m_toIntroduce.pop_front();
        if (m_introducingAgain) {
            item->hostChanged();
        } else {
            item->setShown(true);
        }
        if (m_statusNotifier && !m_toIntroduce.empty()) {
            m_awaitedItem = item;
            m_introductionPause.start();
            return;
        }
    }
}

std::unique_ptr<TrayItem> StatusItemController::makeItem()
{
    std::unique_ptr<TrayItem> item;
    if (m_statusNotifier) {
        item = std::make_unique<StatusNotifierItem>(m_menu);
    } else {
        item = std::make_unique<SystemTrayItem>(m_menu);
    }
    connect(item.get(), &TrayItem::clicked, this, [this](std::optional<QRect> anchor) { togglePanel(anchor); });
    connect(item.get(), &TrayItem::middleClicked, this, &StatusItemController::refreshNow);
    connect(item.get(), &TrayItem::menuRequested, this, [this](QPoint at) { m_menu.popup(at); });
    connect(item.get(), &TrayItem::hovered, this, &StatusItemController::hovered);
    connect(item.get(), &TrayItem::takenIn, this, [this, taken = item.get()] {
        if (taken == m_awaitedItem) {
            introduceNext();
        }
    });
    return item;
}

bool StatusItemController::rebuildItems(std::size_t count)
{
    if (m_items.size() == count) {
        return false;
    }
    // Shown again as a whole, in order: a lone new item would land left of the others.
    m_toIntroduce.clear();
    m_awaitedItem = nullptr;
    for (const auto& item : m_items) {
        item->setShown(false);
    }
    while (m_items.size() > count) {
        m_items.pop_back();
    }
    while (m_items.size() < count) {
        m_items.push_back(makeItem());
    }
    return true;
}

void StatusItemController::reevaluate()
{
    const Date now = m_clock();
    m_content = labelContent(m_store, m_settings, now);
    const TrayIconMode mode = m_settings.trayIconMode();
    const TrayColors colors = TrayColors::forMode(
        mode,
        mode == TrayIconMode::automatic ? PanelBehind::colour(QDBusConnection::sessionBus()) : std::nullopt);
    bool rebuilt = false;
    if (m_content.marks.empty()) {
        rebuilt = rebuildItems(1);
        m_items.front()->setIcon(TrayMark::emptyIcon(colors));
    } else if (m_content.style == TrayStyle::stacked) {
        rebuilt = rebuildItems(1);
        m_items.front()->setIcon(TrayMark::icon(m_content.marks, m_content.style, colors));
    } else {
        rebuilt = rebuildItems(m_content.marks.size());
        for (std::size_t index = 0; index < m_content.marks.size(); ++index) {
            m_items[index]->setIcon(TrayMark::icon({m_content.marks[index]}, m_content.style, colors));
        }
    }
    // Titled before they show: hosts that sort by id read it as an item arrives.
    applyToolTip();
    applyTitles();
    if (rebuilt && m_shown) {
        showInOrder();
    }
}

std::vector<AccountKey> StatusItemController::accountsOf(std::size_t index) const
{
    std::vector<AccountKey> accounts;
    const bool oneEach = m_content.style != TrayStyle::stacked;
    for (std::size_t mark = 0; mark < m_content.marks.size(); ++mark) {
        if (!oneEach || mark == index) {
            accounts.push_back({m_content.marks[mark].provider, m_content.marks[mark].accountId});
        }
    }
    return accounts;
}

QString StatusItemController::title(std::size_t index) const
{
    const std::vector<AccountKey> accounts = accountsOf(index);
    if (accounts.size() != 1) {
        return QStringLiteral("Ostrel");
    }
    return QStringLiteral("Ostrel — ") + QString::fromStdString(m_store.display(accounts.front(), m_clock()).title());
}

void StatusItemController::applyToolTip()
{
    for (std::size_t index = 0; index < m_items.size(); ++index) {
        m_items[index]->setToolTip(toolTip(index));
    }
}

void StatusItemController::applyTitles()
{
    for (std::size_t index = 0; index < m_items.size(); ++index) {
        m_items[index]->setTitle(title(index));
    }
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
    const std::vector<AccountKey> own = accountsOf(index);
    if (own.size() != 1) {
        return toolTip();
    }
    // The item's own summary line, then the other accounts' lines, then the reset-credit lines.
    const Date now = m_clock();
    std::vector<AccountKey> order = own;
    for (const MarkState& mark : m_content.marks) {
        const AccountKey key{mark.provider, mark.accountId};
        if (key != own.front()) {
            order.push_back(key);
        }
    }
    std::vector<std::string> lines;
    std::vector<std::string> credits;
    for (const AccountKey& account : order) {
        const ProviderDisplay display = m_store.display(account, now);
        lines.push_back(display.summaryLine(now));
        if (std::optional<std::string> note = gaugeNote(display, m_settings.gaugeWindow())) {
            lines.push_back(std::move(*note));
        }
        if (std::optional<std::string> credit = display.resetCreditLine()) {
            credits.push_back(std::move(*credit));
        }
    }
    lines.insert(lines.end(), credits.begin(), credits.end());
    return joinedLines(lines);
}

void StatusItemController::togglePanel(std::optional<QRect> anchor)
{
    if (!m_panel->isVisible()) {
        m_store.refreshIfStale(60);
        m_store.refreshActivity(120);
    }
    m_panel->toggle(itemAnchor(anchor));
}

void StatusItemController::copySnapshot()
{
    copyPicture(joinedLines(m_store.reportLines(m_clock())));
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
