#include "panel/ProviderSlot.h"

#include <QPainter>

#include "drawing/CardBackground.h"
#include "drawing/MarkColors.h"
#include "drawing/ProviderGlyph.h"
#include "drawing/Theme.h"

namespace ostrel {
namespace {

constexpr double padding = 14;
constexpr double glyphPoints = 16;
constexpr double namePoints = 13;
constexpr double linePoints = 11.5;
constexpr int slotHeight = 78;

}  // namespace

ProviderSlot::ProviderSlot(Provider provider, QWidget* parent)
    : QWidget(parent)
    , m_provider(provider)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(
        QString::fromUtf8(productName(provider).data(), static_cast<qsizetype>(productName(provider).size())));
}

void ProviderSlot::setLine(const QString& line)
{
    if (line == m_line) {
        return;
    }
    m_line = line;
    setAccessibleDescription(line);
    update();
}

QSize ProviderSlot::sizeHint() const
{
    return {356, slotHeight};
}

void ProviderSlot::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const Theme theme = Theme::fromPalette(palette());
    CardBackground{MarkColors::accent(m_provider)}.paint(painter, QRectF(rect()), theme);

    const ProviderGlyph glyph{m_provider, glyphPoints, false};
    glyph.paint(painter, QPointF(padding, padding), theme.primary);

    painter.setFont(Theme::font(namePoints, QFont::DemiBold));
    painter.setPen(theme.primary);
    const QRectF nameBox(padding + glyphPoints + 7, padding - 2, width() - 2 * padding, glyphPoints + 4);
    painter.drawText(nameBox, Qt::AlignLeft | Qt::AlignVCenter, accessibleName());

    painter.setFont(Theme::font(linePoints));
    painter.setPen(theme.secondary);
    const QRectF lineBox(padding,
                         padding + glyphPoints + 8,
                         width() - 2 * padding,
                         height() - 2 * padding - glyphPoints - 8);
    painter.drawText(lineBox, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_line);
}

}  // namespace ostrel
