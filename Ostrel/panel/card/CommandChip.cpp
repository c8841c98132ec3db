#include "panel/card/CommandChip.h"

#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMimeData>
#include <QStringList>
#include <QTimer>

#include "drawing/CardLabel.h"
#include "drawing/Symbols.h"
#include "drawing/Theme.h"

namespace ostrel {
namespace {

constexpr double commandPoints = 11;
constexpr double buttonPoints = 10.5;

}  // namespace

CommandChip::CommandChip(bool isSnapshot, QWidget* parent)
    : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    m_text = new QLabel(this);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setFont(Theme::monospaceFont(commandPoints));
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(m_text, 1);
    if (isSnapshot) {
        return;
    }
    m_copy = new QToolButton(this);
    m_copy->setAutoRaise(true);
    m_copy->setFocusPolicy(Qt::StrongFocus);
    m_copy->setToolTip(QStringLiteral("Copy command"));
    m_copy->setAccessibleName(QStringLiteral("Copy command"));
    m_copy->setIconSize(QSize(11, 11));
    connect(m_copy, &QToolButton::clicked, this, &CommandChip::copy);
    row->addWidget(m_copy);
    updateIcon();
}

void CommandChip::setCommand(const QString& command)
{
    if (command == m_command) {
        return;
    }
    m_command = command;
    m_text->setAccessibleName(command);
    m_text->setToolTip(command);
    setCopied(false);
    updateShownText();
}

void CommandChip::copy()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    // Only text/plain, so no program pastes a rich form of the command.
    auto* mime = new QMimeData;
    mime->setText(m_command);
    clipboard->setMimeData(mime);
    setCopied(true);
    // A second copy starts its own wait; only the last one clears the check.
    const int generation = ++m_copyGeneration;
    QTimer::singleShot(copiedMilliseconds, this, [this, generation] {
        if (generation == m_copyGeneration) {
            setCopied(false);
        }
    });
}

void CommandChip::setCopied(bool copied)
{
    if (!copied) {
        ++m_copyGeneration;
    }
    if (copied == m_copied) {
        return;
    }
    m_copied = copied;
    updateIcon();
}

void CommandChip::updateIcon()
{
    if (m_copy == nullptr) {
        return;
    }
    const Theme theme = Theme::fromPalette(palette());
    m_copy->setIcon(Symbols::icon(m_copied ? Symbol::checkmark : Symbol::docOnDoc,
                                  buttonPoints,
                                  m_copied ? Theme::green() : theme.secondary));
}

void CommandChip::updateShownText()
{
    const int width = m_text->contentsRect().width();
    if (width <= 0) {
        m_text->setText(m_command);
        return;
    }
    const QFontMetrics metrics = m_text->fontMetrics();
    QStringList lines{m_command};
    const qsizetype space = m_command.indexOf(QLatin1Char(' '));
    const qsizetype equals = m_command.indexOf(QLatin1Char('='));
    if (metrics.horizontalAdvance(m_command) > width && equals > 0 && space > equals) {
        lines = {m_command.left(space), m_command.mid(space + 1)};
    }
    for (QString& line : lines) {
        line = metrics.elidedText(line, Qt::ElideMiddle, width);
    }
    m_text->setText(lines.join(QLatin1Char('\n')));
}

void CommandChip::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    updateShownText();
}

void CommandChip::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        updateIcon();
    }
}

}  // namespace ostrel
