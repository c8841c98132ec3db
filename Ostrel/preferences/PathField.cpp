#include "preferences/PathField.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "base/QtText.h"
#include "drawing/Theme.h"
#include "readers/ToolFolder.h"
#include "readers/ToolLocator.h"

namespace ostrel {
namespace {

constexpr double fieldPoints = 11;
constexpr double captionPoints = 11;
constexpr int titleWidth = 48;

}  // namespace

PathField::PathField(const QString& title, std::string home, Kind kind, QWidget* parent)
    : QWidget(parent)
    , m_home(std::move(home))
    , m_kind(kind)
{
    const QString warning = QString::fromLatin1(kind == Kind::folder ? notFolder : notExecutable);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    auto* row = new QHBoxLayout();
    auto* label = new QLabel(title, this);
    label->setFont(Theme::monospaceFont(fieldPoints));
    label->setMinimumWidth(titleWidth);
    row->addWidget(label);
    m_edit = new QLineEdit(this);
    m_edit->setFont(Theme::monospaceFont(fieldPoints));
    m_edit->setAccessibleName(kind == Kind::folder ? title + QStringLiteral(" folder") : title);
    m_edit->setPlaceholderText(QString::fromLatin1(notFound));
    label->setBuddy(m_edit);
    row->addWidget(m_edit, 1);
    column->addLayout(row);

    m_warning = new QLabel(warning, this);
    m_warning->setFont(Theme::font(captionPoints));
    QPalette secondary = m_warning->palette();
    secondary.setColor(QPalette::WindowText, Theme::fromPalette(palette()).secondary);
    m_warning->setPalette(secondary);
    m_warning->setAccessibleName(warning);
    m_warning->setIndent(titleWidth + row->spacing());
    m_warning->hide();
    column->addWidget(m_warning);

    connect(m_edit, &QLineEdit::textEdited, this, [this](const QString& text) {
        updateWarning();
        Q_EMIT edited(text);
    });
}

QString PathField::placeholder(const std::optional<std::string>& detected, std::string_view home)
{
    if (!detected || detected->empty()) {
        return QString::fromLatin1(notFound);
    }
    const std::string& path = *detected;
    // Only a whole folder name counts: /home/ann2/bin is not under /home/ann.
    if (!home.empty() && path.starts_with(home) && (path.size() == home.size() || path[home.size()] == '/')) {
        return QStringLiteral("~") + qText(std::string_view{path}.substr(home.size()));
    }
    return qText(path);
}

bool PathField::needsWarning(Kind kind, std::string_view typed, const std::string& home)
{
    if (typed.find_first_not_of(" \t") == std::string_view::npos) {
        return false;
    }
    if (kind == Kind::folder) {
        const auto chosen = ToolFolder::choose(Provider::claude, std::string(typed), {}, {}, home);
        std::error_code error;
        return chosen.source != ToolFolder::Source::settings || !std::filesystem::is_directory(chosen.path, error);
    }
    // An override never searches, so this asks no shell and runs nothing.
    ToolLocator locator(ToolLocator::System{.home = home});
    return !locator.locate("", std::string(typed)).has_value();
}

void PathField::setText(const QString& text)
{
    if (m_edit->text() != text) {
        m_edit->setText(text);
    }
    updateWarning();
}

void PathField::setDetected(const std::optional<std::string>& detected)
{
    m_edit->setPlaceholderText(placeholder(detected, m_home));
}

void PathField::updateWarning()
{
    m_warning->setVisible(needsWarning(m_kind, m_edit->text().toStdString(), m_home));
}

}  // namespace ostrel
