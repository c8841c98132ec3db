#include "snapshots/SnapshotFrame.h"

#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace ostrel {
namespace {

constexpr double lightBorderOpacity = 0.08;
constexpr double darkBorderOpacity = 0.12;

/// Rounded corners drawn last, over the content: what lies outside them is
/// cleared and the border is stroked inside the edge.
class FrameEdge : public QWidget
{
public:
    FrameEdge(ColorScheme scheme, QWidget* parent)
        : QWidget(parent)
        , m_scheme(scheme)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF bounds = rect();
        QPainterPath inside;
        inside.addRoundedRect(bounds, SnapshotFrame::cornerRadius, SnapshotFrame::cornerRadius);
        QPainterPath outside;
        outside.addRect(bounds);
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        painter.fillPath(outside.subtracted(inside), Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        // Half a point in from the edge, so the whole line lies inside it.
        const QRectF line = bounds.adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setPen(QPen(SnapshotFrame::border(m_scheme), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(line, SnapshotFrame::cornerRadius - 0.5, SnapshotFrame::cornerRadius - 0.5);
    }

private:
    ColorScheme m_scheme;
};

}  // namespace

SnapshotFrame::SnapshotFrame(QWidget* content, ColorScheme scheme, QWidget* parent)
    : QWidget(parent)
    , m_scheme(scheme)
{
    setPalette(Theme::palette(scheme));
    setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    content->setAutoFillBackground(false);
    layout->addWidget(content);
    auto* edge = new FrameEdge(scheme, this);
    edge->raise();
    m_edge = edge;
}

QColor SnapshotFrame::background(ColorScheme scheme)
{
    return scheme == ColorScheme::dark ? QColor(28, 29, 34) : QColor(244, 244, 246);
}

QColor SnapshotFrame::border(ColorScheme scheme)
{
    const Theme theme = Theme::forScheme(scheme);
    return theme.primaryAt(scheme == ColorScheme::dark ? darkBorderOpacity : lightBorderOpacity);
}

void SnapshotFrame::resizeEvent(QResizeEvent* event)
{
    // The edge covers the frame whatever size the content settles at.
    m_edge->setGeometry(rect());
    m_edge->raise();
    QWidget::resizeEvent(event);
}

void SnapshotFrame::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.fillRect(rect(), background(m_scheme));
}

}  // namespace ostrel
