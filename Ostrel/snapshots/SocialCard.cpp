#include "snapshots/SocialCard.h"

#include <algorithm>

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "drawing/AppIcon.h"
#include "drawing/Theme.h"

namespace ostrel {
namespace {

constexpr double glowWidth = 900;
constexpr double glowHeight = 420;
constexpr double glowMargin = 120;
constexpr int glowBlur = 20;
constexpr float glowOpacity = 0.55F;
constexpr double cornerRadius = 20;
constexpr float shadowOpacity = 0.55F;
constexpr double shadowBlur = 28;
constexpr double shadowDrop = 14;
constexpr double titlePoints = 68;
constexpr double taglinePoints = 30;
constexpr float taglineOpacity = 0.72F;
constexpr double iconGap = 30;
constexpr double titleGap = 12;
constexpr double taglineLeading = 1.2;

const QColor top(7, 11, 24);
const QColor bottom(19, 32, 74);
const QColor glow(61, 139, 255);

/// A soft-edged copy of a picture: shrunk by `factor` and drawn back smoothly,
/// which spreads each edge over about `factor` pixels, enough for glows and shadows.
QImage blurred(const QImage& image, int factor)
{
    const QImage small = image.scaled(std::max(1, image.width() / factor),
                                      std::max(1, image.height() / factor),
                                      Qt::IgnoreAspectRatio,
                                      Qt::SmoothTransformation);
    return small.scaled(image.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

/// The glow in its frame, blurred beyond the frame's edges by `glowMargin` so no edge shows.
QImage glowPicture()
{
    QImage image(static_cast<int>(glowWidth + 2 * glowMargin),
                 static_cast<int>(glowHeight + 2 * glowMargin),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QColor inner = glow;
    inner.setAlphaF(glowOpacity);
    QColor outer = glow;
    outer.setAlphaF(0);
    // An ellipse that fades to nothing at the frame's edges: a round gradient
    // squeezed to the frame's proportions, so no straight edge is left to blur.
    painter.translate(glowMargin + glowWidth / 2, glowMargin + glowHeight / 2);
    painter.scale(1, glowHeight / glowWidth);
    QRadialGradient gradient(QPointF(0, 0), glowWidth / 2);
    gradient.setColorAt(0, inner);
    gradient.setColorAt(1, outer);
    painter.fillRect(QRectF(-glowWidth / 2, -glowWidth / 2, glowWidth, glowWidth), gradient);
    painter.end();
    return blurred(image, glowBlur);
}

QString tagline()
{
    return QStringLiteral("Your Claude and OpenAI weekly allowance,\npaced against time to renewal.");
}

}  // namespace

SocialCard::SocialCard(QImage panel, QWidget* parent)
    : QWidget(parent)
    , m_panel(std::move(panel))
{
    setFixedSize(cardWidth, cardHeight);
    setPalette(Theme::palette(ColorScheme::dark));
    setAccessibleName(QStringLiteral("Ostrel"));
}

QRectF SocialCard::panelRect() const
{
    const QRectF content = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    const QSizeF points = m_panel.deviceIndependentSize();
    if (points.isEmpty()) {
        return {};
    }
    QSizeF size(panelWidth, panelWidth * points.height() / points.width());
    if (size.height() > content.height()) {
        size.scale(panelWidth, content.height(), Qt::KeepAspectRatio);
    }
    return {content.right() - size.width(), content.center().y() - size.height() / 2, size.width(), size.height()};
}

void SocialCard::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing);
    paintBackground(painter);
    paintTitle(painter);
    paintPanel(painter);
}

void SocialCard::paintBackground(QPainter& painter) const
{
    QLinearGradient gradient(0, 0, 0, cardHeight);
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    painter.fillRect(rect(), gradient);
    const QRectF frame((cardWidth - glowWidth) / 2, (cardHeight - glowHeight) / 2, glowWidth, glowHeight);
    painter.drawImage(frame.adjusted(-glowMargin, -glowMargin, glowMargin, glowMargin), glowPicture());
}

void SocialCard::paintTitle(QPainter& painter)
{
    const QFont title = Theme::font(titlePoints, QFont::Bold);
    const QFont line = Theme::font(taglinePoints, QFont::Medium);
    const QFontMetricsF titleMetrics(title);
    const QFontMetricsF lineMetrics(line);
    const QStringList lines = tagline().split(QLatin1Char('\n'));
    const double lineStep = lineMetrics.height() * taglineLeading;
    const double height =
        iconSide + iconGap + titleMetrics.height() + titleGap + lineStep * static_cast<double>(lines.size());
    // The leading column sits in the middle of the content's height.
    double y = (cardHeight - height) / 2;
    const double x = inset;
    if (AppIcon::paint(painter, QRectF(x, y, iconSide, iconSide))) {
        y += iconSide + iconGap;
    } else {
        y += (iconSide + iconGap) / 2;
    }
    painter.setPen(Qt::white);
    painter.setFont(title);
    painter.drawText(QPointF(x, y + titleMetrics.ascent()), QStringLiteral("Ostrel"));
    y += titleMetrics.height() + titleGap;
    QColor faded(Qt::white);
    faded.setAlphaF(taglineOpacity);
    painter.setPen(faded);
    painter.setFont(line);
    for (const QString& text : lines) {
        painter.drawText(QPointF(x, y + lineMetrics.ascent()), text);
        y += lineStep;
    }
}

void SocialCard::paintPanel(QPainter& painter) const
{
    const QRectF target = panelRect();
    if (target.isEmpty()) {
        return;
    }
    QPainterPath outline;
    outline.addRoundedRect(target, cornerRadius, cornerRadius);
    // The shadow: the panel's outline in black, softened and dropped a little.
    const QRect spread =
        target.adjusted(-2 * shadowBlur, -2 * shadowBlur, 2 * shadowBlur, 2 * shadowBlur).toAlignedRect();
    QImage shadow(spread.size(), QImage::Format_ARGB32_Premultiplied);
    shadow.fill(Qt::transparent);
    {
        QPainter shadowPainter(&shadow);
        shadowPainter.setRenderHint(QPainter::Antialiasing);
        QColor black(Qt::black);
        black.setAlphaF(shadowOpacity);
        shadowPainter.fillPath(outline.translated(-spread.topLeft()), black);
    }
    painter.drawImage(QPointF(spread.topLeft()) + QPointF(0, shadowDrop),
                      blurred(shadow, static_cast<int>(shadowBlur / 2)));
    painter.save();
    painter.setClipPath(outline);
    painter.drawImage(target, m_panel);
    painter.restore();
}

}  // namespace ostrel
