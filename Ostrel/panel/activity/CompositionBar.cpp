#include "panel/activity/CompositionBar.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include "drawing/Theme.h"

namespace ostrel {
namespace {

constexpr double barHeight = 5;
constexpr double capsuleGap = 2;
constexpr double capsuleMinimum = 3;
constexpr double rowGap = 6;
constexpr double itemGap = 12;
constexpr double partGap = 4;
constexpr double dotSize = 6;
constexpr double legendPoints = 10;

QFont legendFont()
{
    return Theme::font(legendPoints, QFont::Medium);
}

std::int64_t countOf(const TokenCounts& counts, TokenKind kind)
{
    switch (kind) {
    case TokenKind::cached:
        return counts.cached;
    case TokenKind::input:
        return counts.input;
    case TokenKind::output:
        break;
    }
    return counts.output;
}

QString kindLabel(TokenKind kind)
{
    switch (kind) {
    case TokenKind::cached:
        return QStringLiteral("Cached");
    case TokenKind::input:
        return QStringLiteral("New input");
    case TokenKind::output:
        break;
    }
    return QStringLiteral("Output");
}

/// Never under one, so a range without tokens divides safely.
double sumOf(const TokenCounts& counts)
{
    return static_cast<double>(std::max<std::int64_t>(counts.total(), 1));
}

}  // namespace

QString CompositionBar::percent(double share)
{
    const double p = share * 100;
    if (p > 0 && p < 0.1) {
        return QStringLiteral("<0.1%");
    }
    // to_chars, not printf: a German locale would write "9,9" here and "9.9" everywhere else.
    std::array<char, 32> text{};
    const auto written =
        std::to_chars(text.data(), text.data() + text.size() - 1, p, std::chars_format::fixed, p < 10 ? 1 : 0);
    return QString::fromLatin1(text.data(), written.ptr - text.data()) + QLatin1Char('%');
}

std::vector<CompositionBar::Capsule> CompositionBar::capsules(const TokenCounts& counts, double width)
{
    std::vector<TokenKind> present;
    for (const TokenKind kind : allTokenKinds) {
        if (countOf(counts, kind) > 0) {
            present.push_back(kind);
        }
    }
    const auto n = static_cast<double>(present.size());
    const double free = std::max(0.0, width - capsuleGap * (n - 1) - capsuleMinimum * n);
    std::vector<Capsule> capsules;
    capsules.reserve(present.size());
    for (const TokenKind kind : present) {
        capsules.push_back({kind, capsuleMinimum + free * static_cast<double>(countOf(counts, kind)) / sumOf(counts)});
    }
    return capsules;
}

std::vector<CompositionBar::LegendItem> CompositionBar::legend(const TokenCounts& counts)
{
    std::vector<LegendItem> items;
    items.reserve(allTokenKinds.size());
    for (const TokenKind kind : allTokenKinds) {
        items.push_back({kind, kindLabel(kind), percent(static_cast<double>(countOf(counts, kind)) / sumOf(counts))});
    }
    return items;
}

CompositionBar::CompositionBar(Provider provider, QWidget* parent)
    : QWidget(parent)
    , m_palette{provider}
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(QStringLiteral("Token composition"));
    setToolTip(QStringLiteral("Cached input is conversation history re-read from the prompt cache on every turn."));
    setCounts({});
}

void CompositionBar::setCounts(const TokenCounts& counts)
{
    m_counts = counts;
    QStringList parts;
    for (const LegendItem& item : legend(counts)) {
        parts.append(item.label + QLatin1Char(' ') + item.share);
    }
    setAccessibleDescription(parts.join(QStringLiteral(", ")));
    update();
}

QSize CompositionBar::sizeHint() const
{
    return {328, static_cast<int>(std::ceil(barHeight + rowGap + QFontMetricsF(legendFont()).height()))};
}

QSize CompositionBar::minimumSizeHint() const
{
    return {0, sizeHint().height()};
}

void CompositionBar::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    double x = 0;
    for (const Capsule& capsule : capsules(m_counts, width())) {
        const QRectF rect(x, 0, capsule.width, barHeight);
        QPainterPath shape;
        shape.addRoundedRect(rect, barHeight / 2, barHeight / 2);
        painter.fillPath(shape, m_palette.barFill(capsule.kind, rect));
        x += capsule.width + capsuleGap;
    }

    const Theme theme = Theme::fromPalette(palette());
    const QFontMetricsF metrics(legendFont());
    painter.setFont(legendFont());
    const double top = barHeight + rowGap;
    x = 0;
    for (const LegendItem& item : legend(m_counts)) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_palette.legendColor(item.kind));
        painter.drawEllipse(QRectF(x, top + (metrics.height() - dotSize) / 2, dotSize, dotSize));
        x += dotSize + partGap;
        painter.setPen(theme.secondary);
        const double labelWidth = metrics.horizontalAdvance(item.label);
        painter.drawText(QRectF(x, top, labelWidth + 1, metrics.height()),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         item.label);
        x += labelWidth + partGap;
        const double shareWidth = metrics.horizontalAdvance(item.share);
        painter.drawText(QRectF(x, top, shareWidth + 1, metrics.height()),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         item.share);
        x += shareWidth + itemGap;
    }
}

}  // namespace ostrel
