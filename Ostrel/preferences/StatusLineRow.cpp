#include "preferences/StatusLineRow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/QtText.h"
#include "drawing/Theme.h"
#include "preferences/PathField.h"

namespace ostrel {
namespace {

constexpr double rowPoints = 13;
constexpr double entryPoints = 11;
constexpr double captionPoints = 11;
constexpr int platePadding = 6;
constexpr double plateRadius = 6;
constexpr double plateOpacity = 0.06;

constexpr std::string_view settingsName = "settings.json";

/// Text to copy, on a faint plate so it reads as a piece of the file rather than a sentence.
class EntryLabel : public QLabel
{
public:
    EntryLabel(const QString& text, QWidget* parent)
        : QLabel(text, parent)
    {
        setContentsMargins(platePadding, platePadding, platePadding, platePadding);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        {
            QPainter painter(this);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.setBrush(Theme::fromPalette(palette()).primaryAt(plateOpacity));
            painter.drawRoundedRect(QRectF(rect()), plateRadius, plateRadius);
        }
        QLabel::paintEvent(event);
    }
};

void setTextColour(QLabel* label, const QColor& colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

}  // namespace

StatusLineRow::StatusLineRow(std::string home, std::string command, QWidget* parent)
    : QWidget(parent)
    , m_home(std::move(home))
    , m_command(std::move(command))
    , m_claudeFolder(std::filesystem::path(m_home) / ".claude")
    , m_setting(m_claudeFolder / settingsName, m_command)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);

    auto* heading = new QLabel(QString::fromUtf8(title), this);
    heading->setFont(Theme::font(rowPoints));
    column->addWidget(heading);

    m_entry = new EntryLabel(qText(m_setting.entry()), this);
    m_entry->setFont(Theme::monospaceFont(entryPoints));
    m_entry->setTextFormat(Qt::PlainText);
    // Selectable by mouse and keys, for users who would rather paste it themselves.
    m_entry->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_entry->setFocusPolicy(Qt::StrongFocus);
    m_entry->setAccessibleName(QStringLiteral("Status line entry"));
    m_entry->setAccessibleDescription(m_entry->text());
    column->addWidget(m_entry);

    m_state = new QLabel(this);
    m_state->setFont(Theme::font(captionPoints));
    m_state->setWordWrap(true);
    m_state->setTextFormat(Qt::PlainText);
    column->addWidget(m_state);

    m_add = new QPushButton(QString::fromUtf8(addLabel), this);
    m_add->setFont(Theme::font(rowPoints));
    m_add->setAccessibleName(m_add->text());
    column->addWidget(m_add, 0, Qt::AlignLeft);
    connect(m_add, &QPushButton::clicked, this, &StatusLineRow::add);

    inspect();
}

void StatusLineRow::inspect()
{
    showState(m_setting.inspect());
}

void StatusLineRow::setClaudeFolder(const std::filesystem::path& folder)
{
    if (folder == m_claudeFolder) {
        return;
    }
    m_claudeFolder = folder;
    m_setting = ClaudeStatusLineSetting(m_claudeFolder / settingsName, m_command);
    inspect();
}

void StatusLineRow::showEvent(QShowEvent* event)
{
    // The user or Claude Code may have changed the file while the window was hidden.
    inspect();
    QWidget::showEvent(event);
}

void StatusLineRow::add()
{
    const auto added = m_setting.add();
    inspect();
    if (!added) {
        m_state->setText(qText(added.error().message));
        m_state->setAccessibleName(m_state->text());
        setTextColour(m_state, Theme::red());
    }
}

void StatusLineRow::showState(const ClaudeStatusLineSetting::Inspection& inspection)
{
    using State = ClaudeStatusLineSetting::State;
    const QString command = qText(m_command);
    QString text;
    switch (inspection.state) {
    case State::absent:
        text = QStringLiteral("Adds this entry to ") + shownPath()
               + QStringLiteral(", keeping a copy of the file beside it. Claude Code then shows the pace under "
                                "its prompt and hands Ostrel the allowance.");
        break;
    case State::ours:
        text =
            QStringLiteral("Set in ") + shownPath() + QStringLiteral(": Claude Code shows the pace under its prompt.");
        break;
    case State::another:
        text = QStringLiteral("Claude Code already runs another status line, and Ostrel leaves it alone. To add the "
                              "pace, have that command feed its input to ")
               + command + QStringLiteral(" too and print the line it returns.");
        break;
    case State::malformed:
    case State::unreadable:
        text = qText(inspection.message);
        break;
    }
    m_state->setText(text);
    m_state->setAccessibleName(text);
    setTextColour(m_state, Theme::fromPalette(palette()).secondary);
    m_add->setEnabled(inspection.state == State::absent);
}

QString StatusLineRow::shownPath() const
{
    return PathField::placeholder((m_claudeFolder / settingsName).string(), m_home);
}

}  // namespace ostrel
