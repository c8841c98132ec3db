#include "panel/card/LimitsList.h"

#include <algorithm>

#include <QPainter>
#include <QVBoxLayout>

#include "drawing/CardLabel.h"
#include "drawing/MarkColors.h"
#include "drawing/Theme.h"
#include "model/Pacing.h"

namespace ostrel {
namespace {

constexpr double titlePoints = 11;
constexpr double rowPoints = 11;
constexpr double sentencePoints = 12;
constexpr int rowHeight = 24;
constexpr int textHeight = 16;
constexpr int barHeight = 3;
constexpr int markWidth = 10;
constexpr double barRadius = 1.5;
constexpr double trackOpacity = 0.12;

[[nodiscard]] QFont rowFont(bool bold)
{
    return Theme::font(rowPoints, bold ? QFont::DemiBold : QFont::Normal);
}

}  // namespace

std::vector<LimitsList::Row>
LimitsList::rows(const std::vector<WindowOutlook>& outlooks, bool hasOtherWindows, Date now)
{
    const auto binding = bindingWindow(outlooks);
    const bool moreThanTheGauge = hasOtherWindows || (binding && binding->key != WindowOutlook::weeklyKey);
    std::vector<Row> list;
    if (!moreThanTheGauge) {
        return list;
    }
    for (const WindowOutlook& outlook : outlooks) {
        std::string figures = std::to_string(Pace::percent(1 - outlook.window.allowanceFraction())) + "% used";
        if (outlook.window.resetsAt) {
            const double left = (*outlook.window.resetsAt - now).count();
            figures += left > 0 ? " \u00B7 renews in " + Pace::formatTimeRemaining(left) : " \u00B7 renewed";
        }
        list.push_back({outlook.label,
                        std::move(figures),
                        std::clamp(outlook.window.usedPercent / 100, 0.0, 1.0),
                        outlook.binds()});
    }
    return list;
}

LimitsList::LimitsList(QWidget* parent)
    : QWidget(parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_title = CardLabel::make(titlePoints, QFont::DemiBold, false, this);
    m_title->setText(QString::fromLatin1(title));
    CardLabel::setColor(m_title, Theme::fromPalette(palette()).secondary);
    column->addWidget(m_title);
    // The bars are painted in the space between the title and the sentence.
    column->addSpacing(0);
    m_sentence = CardLabel::make(sentencePoints, QFont::Normal, true, this);
    column->addWidget(m_sentence);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    hide();
}

void LimitsList::set(std::vector<Row> rows, const std::string& sentence)
{
    if (rows == m_rows && m_sentence->text() == CardLabel::qText(sentence)) {
        return;
    }
    m_rows = std::move(rows);
    CardLabel::setTextOrHide(m_sentence, CardLabel::qText(sentence));
    QStringList spoken;
    for (const Row& row : m_rows) {
        spoken.append(CardLabel::qText(row.label + ": " + row.figures + (row.binds ? ", runs out first" : "")));
    }
    setAccessibleName(QString::fromLatin1(title));
    setAccessibleDescription(spoken.join(QStringLiteral("; ")));
    // The layout's spacing item stands for the painted rows.
    auto* column = static_cast<QVBoxLayout*>(layout());  // NOLINT(cppcoreguidelines-pro-type-static-cast-downcast)
    if (auto* space = column->itemAt(1)->spacerItem()) {
        space->changeSize(0, static_cast<int>(m_rows.size()) * rowHeight, QSizePolicy::Minimum, QSizePolicy::Fixed);
        column->invalidate();
    }
    setVisible(!m_rows.empty());
    updateGeometry();
    update();
}

int LimitsList::barsTop() const
{
    return m_title->geometry().bottom() + 1;
}

QSize LimitsList::sizeHint() const
{
    return layout()->sizeHint();
}

QSize LimitsList::minimumSizeHint() const
{
    return layout()->minimumSize();
}

void LimitsList::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Theme theme = Theme::fromPalette(palette());
    const int width = this->width();
    int top = barsTop();
    for (const Row& row : m_rows) {
        const QColor ink = row.binds ? MarkColors::tierColor(PaceTier::red) : theme.secondary;
        const QRect text(markWidth, top, width - markWidth, textHeight);
        if (row.binds) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(ink);
            painter.drawEllipse(QRectF(0, top + (textHeight - 6) / 2.0, 6, 6));
        }
        painter.setFont(rowFont(row.binds));
        painter.setPen(theme.primary);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, CardLabel::qText(row.label));
        painter.setFont(rowFont(false));
        painter.setPen(theme.secondary);
        painter.drawText(text, Qt::AlignRight | Qt::AlignVCenter, CardLabel::qText(row.figures));
        const QRectF track(markWidth, top + textHeight + 1, width - markWidth, barHeight);
        painter.setPen(Qt::NoPen);
        painter.setBrush(theme.primaryAt(trackOpacity));
        painter.drawRoundedRect(track, barRadius, barRadius);
        painter.setBrush(row.binds ? ink : theme.primaryAt(0.45));
        painter.drawRoundedRect(QRectF(track.left(), track.top(), track.width() * row.usedFraction, barHeight),
                                barRadius,
                                barRadius);
        top += rowHeight;
    }
}

}  // namespace ostrel
