#include "panel/PanelFooter.h"

#include <QHBoxLayout>

#include "base/QtText.h"
#include "drawing/Symbols.h"
#include "drawing/Theme.h"

namespace ostrel {
namespace {

constexpr double footerPoints = 11;
constexpr int itemGap = 6;
/// The address the snapshot footer names.
constexpr auto productAddress = "ostrel.app";

QLabel* footerLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setFont(Theme::font(footerPoints));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Theme::fromPalette(parent->palette()).secondary);
    label->setPalette(palette);
    return label;
}

}  // namespace

PanelFooter::PanelFooter(bool isSnapshot, QWidget* parent)
    : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(itemGap);
    if (isSnapshot) {
        buildSnapshot();
    } else {
        buildLive();
    }
}

void PanelFooter::buildLive()
{
    auto* row = qobject_cast<QHBoxLayout*>(layout());
    m_copiedIcon = new QLabel(this);
    m_copiedIcon->setPixmap(
        Symbols::pixmap(Symbol::checkmarkCircleFill, footerPoints, Theme::green(), devicePixelRatioF()));
    m_copiedIcon->hide();
    row->addWidget(m_copiedIcon);
    m_status = footerLabel(QString(), this);
    row->addWidget(m_status);
    m_dot = footerLabel(QStringLiteral("·"), this);
    row->addWidget(m_dot);
    m_next = footerLabel(QString(), this);
    row->addWidget(m_next);
    row->addStretch(1);
    m_button = new QToolButton(this);
    m_button->setAutoRaise(true);
    m_button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_button->setFont(Theme::font(footerPoints));
    m_button->setFocusPolicy(Qt::StrongFocus);
    m_button->setIconSize(QSize(static_cast<int>(footerPoints), static_cast<int>(footerPoints)));
    connect(m_button, &QToolButton::clicked, this, [this] {
        if (m_offersUpdate) {
            Q_EMIT updateRequested();
        } else {
            Q_EMIT copyRequested();
        }
    });
    row->addWidget(m_button);
}

void PanelFooter::buildSnapshot()
{
    auto* row = qobject_cast<QHBoxLayout*>(layout());
    auto* name = footerLabel(QStringLiteral("Ostrel"), this);
    name->setFont(Theme::font(footerPoints, QFont::DemiBold));
    row->addWidget(name);
    row->addWidget(footerLabel(QStringLiteral("·"), this));
    row->addWidget(footerLabel(QString::fromLatin1(productAddress), this));
    row->addStretch(1);
    m_stamp = footerLabel(QString(), this);
    m_stamp->hide();
    row->addWidget(m_stamp);
}

void PanelFooter::show(const FooterText& text)
{
    if (m_status == nullptr) {
        return;
    }
    m_status->setText(qText(text.status));
    m_copiedIcon->setVisible(text.copied);
    m_next->setText(text.next ? qText(*text.next) : QString());
    m_dot->setVisible(text.next.has_value());
    m_next->setVisible(text.next.has_value());

    const Theme theme = Theme::fromPalette(palette());
    m_offersUpdate = text.updateVersion.has_value();
    if (m_offersUpdate) {
        const QString version = qText(*text.updateVersion);
        m_button->setText(QStringLiteral("Update ") + version);
        m_button->setIcon(Symbols::icon(Symbol::arrowDownCircleFill, footerPoints, Theme::blue()));
        m_button->setToolTip(QStringLiteral("Install Ostrel ") + version);
        m_button->setFont(Theme::font(footerPoints, QFont::DemiBold));
        // The blue capsule of the update offer; the copy button stays plain.
        m_button->setStyleSheet(QStringLiteral("QToolButton { color: rgb(61, 139, 255); "
                                               "background: rgba(61, 139, 255, 46); border: none; "
                                               "border-radius: 9px; padding: 3px 8px; }"));
    } else {
        m_button->setText(QStringLiteral("Copy"));
        m_button->setIcon(Symbols::icon(Symbol::cameraViewfinder, footerPoints, theme.secondary));
        m_button->setToolTip(QStringLiteral("Copy a picture of this panel to share"));
        m_button->setFont(Theme::font(footerPoints));
        m_button->setStyleSheet(QString());
        QPalette secondary = m_button->palette();
        secondary.setColor(QPalette::ButtonText, theme.secondary);
        m_button->setPalette(secondary);
    }
    m_button->setAccessibleName(m_button->text());
}

void PanelFooter::setStamp(const std::optional<std::string>& stamp)
{
    if (m_stamp == nullptr) {
        return;
    }
    m_stamp->setText(stamp ? qText(*stamp) : QString());
    m_stamp->setVisible(stamp.has_value());
}

QString PanelFooter::statusText() const
{
    return m_status != nullptr ? m_status->text() : QString();
}

QString PanelFooter::nextText() const
{
    return m_next != nullptr && m_next->isVisibleTo(this) ? m_next->text() : QString();
}

}  // namespace ostrel
