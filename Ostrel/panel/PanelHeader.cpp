#include "panel/PanelHeader.h"

#include <QHBoxLayout>
#include <QPainter>

#include "drawing/AppMark.h"
#include "drawing/CapsuleSwitcher.h"
#include "drawing/Symbols.h"
#include "drawing/Theme.h"
#include "panel/RefreshButton.h"

namespace ostrel {
namespace {

constexpr double titlePoints = 15;
constexpr double tabPoints = 11.5;
constexpr double menuSymbolPoints = 13;
constexpr int markToTitle = 7;

/// The application's mark, drawn at its own size.
class MarkView : public QWidget
{
public:
    explicit MarkView(QWidget* parent)
        : QWidget(parent)
    {
        setFixedSize(static_cast<int>(AppMark::side), static_cast<int>(AppMark::side));
        setAccessibleName(QStringLiteral("Ostrel"));
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        AppMark::paint(painter, QPointF(0, 0));
    }
};

}  // namespace

PanelHeader::PanelHeader(bool isSnapshot, bool hasUpdater, QWidget* parent)
    : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    row->addWidget(new MarkView(this));
    row->addSpacing(markToTitle);
    auto* title = new QLabel(QStringLiteral("Ostrel"), this);
    title->setFont(Theme::font(titlePoints, QFont::Bold));
    row->addWidget(title);
    row->addStretch(1);

    m_tabs = makeSwitcher(allPanelTabs,
                          &rawValue,
                          tabPoints,
                          std::function<void(PanelTab)>([this](PanelTab tab) { Q_EMIT tabChosen(tab); }),
                          this);
    m_tabs->setAccessibleName(QStringLiteral("Panel tabs"));
    row->addWidget(m_tabs);
    if (isSnapshot) {
        return;
    }
    row->addSpacing(6);
    m_refresh = new RefreshButton(this);
    connect(m_refresh, &QToolButton::clicked, this, &PanelHeader::refreshRequested);
    row->addWidget(m_refresh);
    row->addSpacing(2);

    buildMenu(hasUpdater);
    m_menuButton = new QToolButton(this);
    m_menuButton->setAutoRaise(true);
    m_menuButton->setFixedSize(24, 24);
    m_menuButton->setIconSize(QSize(static_cast<int>(menuSymbolPoints), static_cast<int>(menuSymbolPoints)));
    m_menuButton->setIcon(
        Symbols::icon(Symbol::ellipsisCircle, menuSymbolPoints, Theme::fromPalette(palette()).primary));
    m_menuButton->setPopupMode(QToolButton::InstantPopup);
    m_menuButton->setMenu(&m_menu);
    m_menuButton->setFocusPolicy(Qt::StrongFocus);
    m_menuButton->setToolTip(QStringLiteral("More"));
    m_menuButton->setAccessibleName(QStringLiteral("More"));
    // The menu opens from the symbol alone, with no drop-down arrow beside it.
    m_menuButton->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; width: 0px; }"));
    row->addWidget(m_menuButton);
}

void PanelHeader::buildMenu(bool hasUpdater)
{
    m_menu.addAction(QStringLiteral("Copy Snapshot"), this, &PanelHeader::copySnapshotRequested);
    m_menu.addAction(QStringLiteral("Copy Summary Text"), this, &PanelHeader::copyTextRequested);
    m_menu.addSeparator();
    m_menu.addAction(QStringLiteral("Settings…"), this, &PanelHeader::settingsRequested);
    // Without an updater (a distribution's build) nothing could answer the check.
    if (hasUpdater) {
        m_menu.addAction(QStringLiteral("Check for Updates…"), this, &PanelHeader::updatesRequested);
    }
    m_menu.addSeparator();
    m_menu.addAction(QStringLiteral("Quit Ostrel"), this, &PanelHeader::quitRequested);
}

void PanelHeader::setTab(PanelTab tab)
{
    m_tabs->setSelectedIndex(indexOfCase(allPanelTabs, tab));
}

void PanelHeader::setRefreshing(bool refreshing)
{
    if (m_refresh != nullptr) {
        m_refresh->setSpinning(refreshing);
    }
}

}  // namespace ostrel
