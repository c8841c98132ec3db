#pragma once
// The settings window's accounts of the tools: a row per named account (its
// title, its folder and a Remove button), a button per folder in the home
// that looks like another account of a tool, and a short form to add one by
// hand (tool, name, folder). Changes go to the settings at once; the rows
// follow the settings when they change anywhere.

#include <string>

#include <QWidget>

#include "model/Provider.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace ostrel {

class AppSettings;
struct ToolAccount;

class AccountsBox : public QWidget
{
    Q_OBJECT

public:
    static constexpr const char* addLabel = "Add Account";

    /// `home` is the folder suggestions are looked for in and "~" stands for.
    AccountsBox(AppSettings& settings, std::string home, QWidget* parent = nullptr);

    /// Shows the accounts and suggestions as the settings hold them now.
    void refresh();

private:
    void addAccountRow(const ToolAccount& account);
    /// A button that adds `proposed`, a folder found in the home.
    void addSuggestion(const ToolAccount& proposed);
    void addTyped();
    void add(Provider provider, const std::string& name, const std::string& folder);

    AppSettings& m_settings;
    std::string m_home;
    QVBoxLayout* m_rows = nullptr;  ///< the accounts and the suggestions, rebuilt by refresh()
    QComboBox* m_tool = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_folder = nullptr;
    QPushButton* m_add = nullptr;
    QLabel* m_problem = nullptr;
};

}  // namespace ostrel
