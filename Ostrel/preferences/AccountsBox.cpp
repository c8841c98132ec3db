#include "preferences/AccountsBox.h"

#include <filesystem>
#include <vector>

#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/QtText.h"
#include "drawing/CardLabel.h"
#include "drawing/Theme.h"
#include "model/ToolAccount.h"
#include "preferences/FormParts.h"
#include "preferences/PathField.h"
#include "readers/AccountFolders.h"
#include "readers/ToolFolder.h"
#include "settings/AppSettings.h"

namespace ostrel {
namespace {

using form::captionPoints;
using form::rowPoints;

QPushButton* button(const QString& text, const QString& name, QWidget* parent)
{
    auto* made = new QPushButton(text, parent);
    made->setFont(Theme::font(rowPoints));
    made->setAccessibleName(name);
    return made;
}

QLineEdit* field(const QString& placeholder, const QString& name, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setFont(Theme::font(rowPoints));
    edit->setPlaceholderText(placeholder);
    edit->setAccessibleName(name);
    return edit;
}

/// Empties `layout`, deleting the widgets and rows it held.
void clear(QLayout* layout)
{
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QWidget* widget = item->widget()) {
            widget->deleteLater();
        }
        if (QLayout* inner = item->layout()) {
            clear(inner);
        }
        delete item;
    }
}

}  // namespace

AccountsBox::AccountsBox(AppSettings& settings, std::string home, QWidget* parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_home(std::move(home))
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(form::rowGap);
    m_rows = new QVBoxLayout();
    m_rows->setSpacing(form::rowGap);
    column->addLayout(m_rows);

    // The form to add an account by hand: which tool, a name, its folder.
    auto* form = new QHBoxLayout();
    m_tool = new QComboBox(this);
    m_tool->setFont(Theme::font(rowPoints));
    m_tool->setAccessibleName(QStringLiteral("Tool of the new account"));
    for (const Provider provider : allProviders) {
        m_tool->addItem(qText(displayName(provider)), static_cast<int>(provider));
    }
    m_name = field(QStringLiteral("Name, such as Work"), QStringLiteral("Name of the new account"), this);
    m_folder =
        field(QStringLiteral("Folder, such as ~/.claude-work"), QStringLiteral("Folder of the new account"), this);
    // Made in the order Tab visits them, which is the order they read in.
    form->addWidget(m_tool);
    form->addWidget(m_name, 1);
    column->addLayout(form);
    m_add = button(QString::fromLatin1(addLabel), QString::fromLatin1(addLabel), this);
    auto* second = new QHBoxLayout();
    second->addWidget(m_folder, 1);
    second->addWidget(m_add);
    column->addLayout(second);
    m_problem = form::secondaryLabel({}, captionPoints, this);
    m_problem->setWordWrap(true);
    QPalette red = m_problem->palette();
    red.setColor(QPalette::WindowText, Theme::red());
    m_problem->setPalette(red);
    m_problem->hide();
    column->addWidget(m_problem);

    connect(m_add, &QPushButton::clicked, this, &AccountsBox::addTyped);
    connect(m_name, &QLineEdit::returnPressed, this, &AccountsBox::addTyped);
    connect(m_folder, &QLineEdit::returnPressed, this, &AccountsBox::addTyped);
    connect(&m_settings, &AppSettings::accountsChanged, this, &AccountsBox::refresh);
    refresh();
}

void AccountsBox::refresh()
{
    clear(m_rows);
    // The accounts first, then what could be added.
    for (const Provider provider : allProviders) {
        for (const ToolAccount& account : m_settings.accounts(provider)) {
            if (!account.isDefault()) {
                addAccountRow(account);
            }
        }
    }
    for (const Provider provider : allProviders) {
        const std::vector<ToolAccount> accounts = m_settings.accounts(provider);
        // Offered only while the tool has room for another account.
        if (accounts.size() >= maxAccountsPerTool) {
            continue;
        }
        std::vector<std::filesystem::path> taken;
        taken.reserve(accounts.size());
        for (const ToolAccount& account : accounts) {
            taken.push_back(account.folder);
        }
        for (const auto& folder : AccountFolders::suggestions(provider, m_home, taken)) {
            const std::string name = AccountFolders::proposedName(provider, folder);
            addSuggestion({.provider = provider, .id = accountId(name, {}), .name = name, .folder = folder});
        }
    }
}

void AccountsBox::addAccountRow(const ToolAccount& account)
{
    auto* row = new QHBoxLayout();
    // The name and the folder are the user's, of any length: they end in an ellipsis rather than widen the window.
    QLabel* title = CardLabel::makeEliding(rowPoints, QFont::Normal, this);
    title->setText(qText(account.title()));
    title->setToolTip(title->text());
    row->addWidget(title);
    QLabel* folder = CardLabel::makeEliding(rowPoints, QFont::Normal, this);
    folder->setText(PathField::placeholder(account.folder.string(), m_home));
    folder->setToolTip(QFile::decodeName(account.folder.c_str()));
    CardLabel::setColor(folder, Theme::fromPalette(folder->palette()).secondary);
    row->addWidget(folder, 1);
    auto* remove = button(QStringLiteral("Remove"), QStringLiteral("Remove ") + qText(account.title()), this);
    connect(remove, &QPushButton::clicked, this, [this, provider = account.provider, id = account.id] {
        m_settings.removeAccount(provider, id);
    });
    row->addWidget(remove);
    m_rows->addLayout(row);
}

void AccountsBox::addSuggestion(const ToolAccount& proposed)
{
    // Titled as the account it would become.
    const QString text = QStringLiteral("Add ") + PathField::placeholder(proposed.folder.string(), m_home)
                         + QStringLiteral(" as ") + qText(proposed.title());
    auto* suggestion = button(text, text, this);
    connect(suggestion, &QPushButton::clicked, this, [this, proposed] {
        add(proposed.provider, proposed.name, proposed.folder.string());
    });
    m_rows->addWidget(suggestion, 0, Qt::AlignLeft);
}

void AccountsBox::addTyped()
{
    const auto provider = static_cast<Provider>(m_tool->currentData().toInt());
    add(provider, m_name->text().trimmed().toStdString(), m_folder->text().toStdString());
}

void AccountsBox::add(Provider provider, const std::string& name, const std::string& folder)
{
    const auto resolved = ToolFolder::resolve(folder, m_home);
    auto added = resolved ? m_settings.addAccount(provider, name, *resolved)
                          : std::expected<ToolAccount, std::string>(
                              std::unexpected("Type the account's folder as a full path, or one starting with ~/."));
    m_problem->setText(added ? QString() : qText(added.error()));
    m_problem->setAccessibleName(m_problem->text());
    m_problem->setVisible(!added);
    if (added) {
        m_name->clear();
        m_folder->clear();
    }
}

}  // namespace ostrel
