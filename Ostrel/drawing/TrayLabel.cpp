#include "drawing/TrayLabel.h"

#include <algorithm>
#include <cmath>

#include <QPainter>

#include "base/WallClock.h"
#include "drawing/ProviderMark.h"
#include "drawing/StackedRow.h"
#include "drawing/SymbolImage.h"

namespace ostrel {
namespace {

SymbolImage emptyGauge()
{
    return SymbolImage{SymbolName::gauge, 13, SymbolWeight::medium};
}

double stackedHeight(const LabelContent& content)
{
    double total = 0;
    for (const MarkState& mark : content.marks) {
        total += StackedRow(mark).size().height();
    }
    return total + TrayLabel::rowSpacing * static_cast<double>(content.marks.size() - 1);
}

}  // namespace

TrayLabel::TrayLabel(Source source, QWidget* parent)
    : QWidget(parent)
    , m_source(std::move(source))
{
    setAttribute(Qt::WA_TranslucentBackground);
    // The schedule starts now and fires every minute, so pacing that depends on
    // the time moves on even when no reading arrives.
    m_minute.setInterval(std::chrono::minutes(1));
    connect(&m_minute, &QTimer::timeout, this, [this] { reevaluate(); });
    m_minute.start();
    reevaluate();
}

QSizeF TrayLabel::contentSize(const LabelContent& content)
{
    double width = 0;
    if (content.marks.empty()) {
        width = emptyGauge().size().width();
    } else if (content.style == TrayStyle::stacked) {
        for (const MarkState& mark : content.marks) {
            width = std::max(width, StackedRow(mark).size().width());
        }
    } else {
        const bool showPercent = content.style == TrayStyle::cellsAndPercent;
        for (const MarkState& mark : content.marks) {
            width += ProviderMark(mark, showPercent).size().width();
        }
        width += markSpacing * static_cast<double>(content.marks.size() - 1);
    }
    return {width + 2 * padding, labelHeight};
}

void TrayLabel::paintContent(QPainter& painter, const LabelContent& content, const LabelColors& colors)
{
    constexpr double centre = labelHeight / 2;
    if (content.marks.empty()) {
        const SymbolImage gauge = emptyGauge();
        gauge.paint(painter, QPointF(padding, centre - gauge.size().height() / 2), colors.primary);
        return;
    }
    if (content.style == TrayStyle::stacked) {
        double top = centre - stackedHeight(content) / 2;
        for (const MarkState& mark : content.marks) {
            const StackedRow row(mark);
            row.paint(painter, QPointF(padding, top + row.size().height() / 2), colors);
            top += row.size().height() + rowSpacing;
        }
        return;
    }
    const bool showPercent = content.style == TrayStyle::cellsAndPercent;
    double left = padding;
    for (const MarkState& mark : content.marks) {
        const ProviderMark providerMark(mark, showPercent);
        providerMark.paint(painter, QPointF(left, centre), colors);
        left += providerMark.size().width() + markSpacing;
    }
}

QImage TrayLabel::renderImage(const LabelContent& content, const LabelColors& colors, qreal devicePixelRatio)
{
    const QSizeF size = contentSize(content);
    QImage image(QSize(static_cast<int>(std::ceil(size.width() * devicePixelRatio)),
                       static_cast<int>(std::ceil(size.height() * devicePixelRatio))),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    paintContent(painter, content, colors);
    return image;
}

void TrayLabel::reevaluate()
{
    reevaluate(wallClockNow());
}

void TrayLabel::reevaluate(Date now)
{
    LabelContent content = m_source ? m_source(now) : LabelContent{};
    if (content == m_content) {
        return;
    }
    const bool resized = contentSize(content) != contentSize(m_content);
    m_content = std::move(content);
    if (resized) {
        updateGeometry();
        Q_EMIT sizeChanged();
    }
    update();
}

QSize TrayLabel::sizeHint() const
{
    const QSizeF size = contentSize(m_content);
    return {static_cast<int>(std::ceil(size.width())), static_cast<int>(std::ceil(size.height()))};
}

void TrayLabel::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    // The content keeps its natural size and sits centred in whatever the host gives.
    const QSizeF size = contentSize(m_content);
    painter.translate(std::round((width() - size.width()) / 2), std::round((height() - size.height()) / 2));
    paintContent(painter, m_content, LabelColors::fromPalette(palette()));
}

}  // namespace ostrel
