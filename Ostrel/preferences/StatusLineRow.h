#pragma once
// The settings row that puts the pace into Claude Code's status line: the exact
// entry for its settings file (selectable, to copy by hand), what the file holds
// now, and a button that adds the entry where no status line is set. It looks
// at the file again each time it is shown, and when claude's folder moves.

#include <filesystem>
#include <string>

#include <QWidget>

#include "readers/ClaudeStatusLineSetting.h"

class QLabel;
class QPushButton;

namespace ostrel {

class StatusLineRow : public QWidget
{
    Q_OBJECT

public:
    static constexpr const char* title = "Show the pace in Claude Code's status line";
    static constexpr const char* addLabel = "Add to Claude Code";

    /// `home` is shown as "~", and its `.claude` is claude's folder until told
    /// otherwise; `command` is the command line Claude Code is to run.
    StatusLineRow(std::string home, std::string command, QWidget* parent = nullptr);

    /// Reads the settings file again and shows what it holds.
    void inspect();

    /// The folder whose `settings.json` Claude Code reads; a new one is inspected at once.
    void setClaudeFolder(const std::filesystem::path& folder);

    [[nodiscard]] QLabel* stateLabel() const
    {
        return m_state;
    }

    [[nodiscard]] QPushButton* addButton() const
    {
        return m_add;
    }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void add();
    void showState(const ClaudeStatusLineSetting::Inspection& inspection);
    [[nodiscard]] QString shownPath() const;

    std::string m_home;
    std::string m_command;
    std::filesystem::path m_claudeFolder;
    ClaudeStatusLineSetting m_setting;
    QLabel* m_entry = nullptr;
    QLabel* m_state = nullptr;
    QPushButton* m_add = nullptr;
};

}  // namespace ostrel
