#pragma once
// The panel's header row: the mark and "Ostrel", the tab switcher, and, except
// in a snapshot, the refresh button and the menu.

#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QWidget>

#include "settings/SettingChoices.h"

namespace ostrel {

class CapsuleSwitcher;
class RefreshButton;

class PanelHeader : public QWidget
{
    Q_OBJECT

public:
    PanelHeader(bool isSnapshot, bool hasUpdater, QWidget* parent = nullptr);

    void setTab(PanelTab tab);
    void setRefreshing(bool refreshing);

    [[nodiscard]] CapsuleSwitcher& tabs() const
    {
        return *m_tabs;
    }

    /// Absent in a snapshot.
    [[nodiscard]] RefreshButton* refreshButton() const
    {
        return m_refresh;
    }

    /// Absent in a snapshot.
    [[nodiscard]] QToolButton* menuButton() const
    {
        return m_menuButton;
    }

    [[nodiscard]] QMenu& menu()
    {
        return m_menu;
    }

Q_SIGNALS:
    void tabChosen(ostrel::PanelTab tab);
    void refreshRequested();
    void copySnapshotRequested();
    void copyTextRequested();
    void settingsRequested();
    void updatesRequested();
    void quitRequested();

private:
    void buildMenu(bool hasUpdater);

    CapsuleSwitcher* m_tabs = nullptr;
    RefreshButton* m_refresh = nullptr;
    QToolButton* m_menuButton = nullptr;
    QMenu m_menu;
};

}  // namespace ostrel
