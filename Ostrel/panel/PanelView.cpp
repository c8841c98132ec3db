#include "panel/PanelView.h"

#include <algorithm>

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <unicode/locid.h>

#include "base/LocalCalendar.h"
#include "drawing/CardLabel.h"
#include "drawing/ScreenRoom.h"
#include "model/ProviderDisplay.h"
#include "model/RenewalText.h"
#include "panel/EmptyProvidersView.h"
#include "panel/PanelFooter.h"
#include "panel/PanelHeader.h"
#include "panel/activity/ActivityCard.h"
#include "panel/activity/ActivityControls.h"
#include "panel/card/ProviderCard.h"
#include "settings/AppSettings.h"
#include "store/UsageStore.h"

namespace ostrel {
namespace {

constexpr int padding = 14;
constexpr int gap = 12;
constexpr int scheduleMilliseconds = 30 * 1000;
constexpr int copiedMilliseconds = 1800;

/// The user's clock and calendar words; absent only when ICU can build no calendar.
std::optional<RenewalText> userRenewalText()
{
    const std::unique_ptr<icu::Calendar> calendar = localCalendar();
    if (!calendar) {
        return std::nullopt;
    }
    return RenewalText(*calendar, icu::Locale::getDefault());
}

}  // namespace

PanelView::PanelView(UsageStore& store, AppSettings& settings, PanelActions actions, Options options, QWidget* parent)
    : QWidget(parent)
    , m_store(store)
    , m_settings(settings)
    , m_actions(std::move(actions))
    , m_options(std::move(options))
{
    if (m_options.scheme) {
        setPalette(Theme::palette(*m_options.scheme));
    }
    setAutoFillBackground(true);
    setAccessibleName(QStringLiteral("Ostrel"));
    setFixedWidth(panelWidth);

    m_column = new QVBoxLayout(this);
    m_column->setContentsMargins(padding, padding, padding, padding);
    m_column->setSpacing(gap);

    m_header = new PanelHeader(m_options.isSnapshot, m_options.hasUpdater, this);
    m_column->addWidget(m_header);
    m_content = new QWidget;
    m_contentColumn = new QVBoxLayout(m_content);
    m_contentColumn->setContentsMargins(0, 0, 0, 0);
    m_contentColumn->setSpacing(gap);
    m_scroll = ScreenRoom::scrollArea(m_content, this);
    // A card whose text wraps anew changes the content's height, which the scroll area does not pass up.
    m_content->installEventFilter(this);
    m_column->addWidget(m_scroll);
    m_footer = new PanelFooter(m_options.isSnapshot, this);
    m_column->addWidget(m_footer);

    connect(m_header, &PanelHeader::tabChosen, this, [this](PanelTab tab) {
        // A forced tab belongs to the owner; the remembered one is left as it was.
        if (!m_options.forced.tab) {
            m_settings.setPanelTab(tab);
        }
        reevaluate();
    });
    connect(m_header, &PanelHeader::refreshRequested, this, [this] {
        m_store.refresh();
        m_store.refreshActivity(0);
    });
    connect(m_header, &PanelHeader::copySnapshotRequested, this, &PanelView::copySnapshot);
    connect(m_header, &PanelHeader::copyTextRequested, this, [this] { m_actions.copyText(); });
    connect(m_header, &PanelHeader::settingsRequested, this, [this] { m_actions.openSettings(); });
    connect(m_header, &PanelHeader::updatesRequested, this, [this] { m_actions.checkForUpdates(); });
    connect(m_header, &PanelHeader::quitRequested, this, [this] { m_actions.quit(); });
    connect(m_footer, &PanelFooter::copyRequested, this, &PanelView::copySnapshot);
    connect(m_footer, &PanelFooter::updateRequested, this, [this] { m_actions.checkForUpdates(); });

    connect(&m_store, &UsageStore::changed, this, &PanelView::reevaluateIfShown);
    connect(&m_settings, &AppSettings::changed, this, &PanelView::reevaluateIfShown);
    // Ages, pacing and the next refresh move with time alone; the schedule runs while the panel shows.
    m_schedule.setInterval(scheduleMilliseconds);
    connect(&m_schedule, &QTimer::timeout, this, &PanelView::reevaluate);
    reevaluate();
}

PanelView::~PanelView() = default;

PanelTab PanelView::effectiveTab() const
{
    return m_options.forced.tab.value_or(m_settings.panelTab());
}

ActivityRange PanelView::effectiveRange() const
{
    return m_options.forced.range.value_or(m_settings.activityRange());
}

ActivityMeasure PanelView::effectiveMeasure() const
{
    return m_options.forced.measure.value_or(m_settings.activityMeasure());
}

void PanelView::setAvailableVersion(std::optional<std::string> version)
{
    m_availableVersion = std::move(version);
    reevaluateIfShown();
}

void PanelView::reevaluate()
{
    m_outOfDate = false;
    const Date now = m_options.clock();
    const PanelTab tab = effectiveTab();
    const std::vector<ToolAccount> accounts = m_store.enabledAccounts();
    if (tab != m_builtTab || accounts != m_builtAccounts) {
        rebuildContent(tab, accounts);
    }
    const std::optional<RenewalText> renewal = userRenewalText();
    fillContent(now, renewal);
    m_header->setTab(tab);
    m_header->setRefreshing(!m_options.isSnapshot && !m_store.refreshing().empty());

    if (renewal) {
        FooterText::Inputs inputs;
        inputs.lastUpdated = m_store.lastUpdated();
        if (const QTimer* timer = m_store.scheduleTimer(); timer != nullptr && timer->isActive()) {
            inputs.nextRefresh = now + Seconds(timer->remainingTime() / 1000.0);
        }
        inputs.copied = m_copiedAt.has_value();
        inputs.availableVersion = m_availableVersion;
        m_footer->show(FooterText::make(inputs, now, *renewal));
        m_footer->setStamp(m_options.forced.timestamp ? std::optional(renewal->stamp(now)) : std::nullopt);
    }
    fitHeight();
}

void PanelView::setHeightLimit(int pixels)
{
    m_heightLimit = std::max(pixels, 0);
}

void PanelView::reevaluateIfShown()
{
    if (isVisible()) {
        reevaluate();
    } else {
        m_outOfDate = true;
    }
}

bool PanelView::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    // Wrapped texts settle their heights only once polished and laid out at the
    // panel's width; the column's height follows every such change. Qt has
    // laid the column out for this request already, so the answer only reads
    // its height: laying out again here would post the next request, and the
    // panel would never rest. A closed panel has nothing to follow.
    if (event->type() == QEvent::LayoutRequest && isVisible()) {
        followContentHeight();
    }
    return handled;
}

bool PanelView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_content && event->type() == QEvent::LayoutRequest && isVisible()) {
        followContentHeight();
    }
    return QWidget::eventFilter(watched, event);
}

void PanelView::showEvent(QShowEvent* event)
{
    if (m_outOfDate) {
        reevaluate();
    }
    m_schedule.start();
    QWidget::showEvent(event);
}

void PanelView::hideEvent(QHideEvent* event)
{
    m_schedule.stop();
    QWidget::hideEvent(event);
}

void PanelView::rebuildContent(PanelTab tab, const std::vector<ToolAccount>& accounts)
{
    m_builtTab = tab;
    m_builtAccounts = accounts;
    for (ProviderCard* card : m_cards) {
        delete card;
    }
    m_cards.clear();
    m_cardAccounts.clear();
    for (ActivityCard* card : m_activityCards) {
        delete card;
    }
    m_activityCards.clear();
    m_activityAccounts.clear();
    delete m_activityControls;
    m_activityControls = nullptr;
    delete m_empty;
    m_empty = nullptr;

    if (accounts.empty()) {
        m_empty = new EmptyProvidersView([this] { m_actions.openSettings(); }, m_content);
        m_contentColumn->addWidget(m_empty);
        return;
    }
    if (tab == PanelTab::activity) {
        addActivityControls();
    }
    for (std::size_t index = 0; index < accounts.size(); ++index) {
        const ToolAccount& account = accounts[index];
        if (tab == PanelTab::pace) {
            auto* card = new ProviderCard(
                account.provider,
                [this, key = account.key()] { m_store.readAccountsAgain({key}); },
                m_options.isSnapshot,
                m_content);
            m_contentColumn->addWidget(card);
            m_cards.push_back(card);
            m_cardAccounts.push_back(account.key());
            continue;
        }
        addActivityCard(account.provider, CardLabel::qText(account.title()), account.key());
        // A tool's accounts are listed together: after its last, their sum, where it has several.
        const bool lastOfTool = index + 1 == accounts.size() || accounts[index + 1].provider != account.provider;
        if (lastOfTool && !account.isDefault()) {
            addActivityCard(account.provider,
                            CardLabel::qText(displayName(account.provider)) + QStringLiteral(" \u00B7 All accounts"),
                            std::nullopt);
        }
    }
}

void PanelView::addActivityCard(Provider provider, const QString& title, std::optional<AccountKey> account)
{
    auto* card = new ActivityCard(provider, title, m_content);
    m_contentColumn->addWidget(card);
    m_activityCards.push_back(card);
    m_activityAccounts.push_back(std::move(account));
}

void PanelView::addActivityControls()
{
    // A forced choice belongs to the owner; the remembered one is left as it was.
    m_activityControls = new ActivityControls(
        [this](ActivityMeasure measure) {
            if (!m_options.forced.measure) {
                m_settings.setActivityMeasure(measure);
            }
            reevaluate();
        },
        [this](ActivityRange range) {
            if (!m_options.forced.range) {
                m_settings.setActivityRange(range);
            }
            reevaluate();
        },
        m_content);
    m_contentColumn->addWidget(m_activityControls);
}

void PanelView::fillContent(Date now, const std::optional<RenewalText>& renewal)
{
    for (std::size_t index = 0; index < m_cards.size(); ++index) {
        ProviderCard* card = m_cards[index];
        const AccountKey& account = m_cardAccounts[index];
        ProviderCard::Value value;
        value.display = m_store.display(account, now);
        value.refreshing = !m_options.isSnapshot && m_store.refreshing().contains(account);
        value.glidePath = m_store.glidePath(account);
        value.now = now;
        value.renewal = renewal;
        card->set(value);
    }
    if (m_activityControls != nullptr) {
        m_activityControls->setChoices(effectiveMeasure(), effectiveRange());
    }
    for (std::size_t index = 0; index < m_activityCards.size(); ++index) {
        ActivityCard* card = m_activityCards[index];
        const std::optional<AccountKey>& account = m_activityAccounts[index];
        ActivityCard::Value value;
        if (!account) {
            value.activity = m_store.activity().total(card->provider());
        } else if (const ProviderActivity* activity = m_store.activity().of(*account)) {
            value.activity = *activity;
            value.note = m_store.otherDevicesNote(*account);
        }
        value.range = effectiveRange();
        value.measure = effectiveMeasure();
        value.scanning = m_store.scanningActivity();
        value.now = now;
        value.calendar = renewal;
        card->setValue(std::move(value));
    }
}

void PanelView::fitHeight()
{
    // Texts changed by this evaluation ask their layouts to settle; those
    // requests are answered first, so the height below counts every wrapped line.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    ensurePolished();
    m_column->invalidate();
    m_column->activate();
    followContentHeight();
}

void PanelView::followContentHeight()
{
    constexpr int innerWidth = panelWidth - 2 * padding;
    const auto heightOf = [](const QLayoutItem& item) {
        return item.hasHeightForWidth() ? item.heightForWidth(innerWidth) : item.sizeHint().height();
    };
    // The header, the footer and the gaps take what they need; the content
    // gets the rest up to the limit. Each height is set once, never first to
    // one value and then another: every change posts a layout request.
    const QMargins margins = m_column->contentsMargins();
    int chrome = margins.top() + margins.bottom();
    int shown = 0;
    for (int index = 0; index < m_column->count(); ++index) {
        const QLayoutItem* item = m_column->itemAt(index);
        if (item->isEmpty()) {
            continue;
        }
        ++shown;
        if (item->widget() != m_scroll) {
            chrome += heightOf(*item);
        }
    }
    chrome += m_column->spacing() * std::max(shown - 1, 0);
    const int content = m_contentColumn->hasHeightForWidth() ? m_contentColumn->totalHeightForWidth(innerWidth)
                                                             : m_contentColumn->totalSizeHint().height();
    const int scrolled = std::max(std::min(content, m_heightLimit - chrome), 0);
    setScrolledHeight(scrolled);
    const int height = chrome + scrolled;
    // Only a new height lays the window out again; the same one is left alone.
    if (height != minimumHeight() || height != maximumHeight()) {
        setFixedHeight(height);
    }
}

void PanelView::setScrolledHeight(int pixels)
{
    if (pixels != m_scroll->minimumHeight() || pixels != m_scroll->maximumHeight()) {
        m_scroll->setFixedHeight(pixels);
    }
}

void PanelView::copySnapshot()
{
    m_actions.copySnapshot();
    m_copiedAt = m_options.clock();
    // A second copy within the 1.8 seconds starts its own wait; only the last one clears.
    const int generation = ++m_copyGeneration;
    QTimer::singleShot(copiedMilliseconds, this, [this, generation] {
        if (generation == m_copyGeneration) {
            m_copiedAt.reset();
            reevaluateIfShown();
        }
    });
    reevaluate();
}

}  // namespace ostrel
