#include "panel/EmptyProvidersView.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "drawing/CardBackground.h"
#include "drawing/Symbols.h"
#include "drawing/Theme.h"

namespace ostrel {
namespace {

constexpr double symbolPoints = 24;
constexpr int verticalPadding = 24;

}  // namespace

EmptyProvidersView::EmptyProvidersView(std::function<void()> openSettings, QWidget* parent)
    : QWidget(parent)
{
    const Theme theme = Theme::fromPalette(palette());
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(14, verticalPadding, 14, verticalPadding);
    column->setSpacing(8);
    column->setAlignment(Qt::AlignHCenter);

    auto* symbol = new QLabel(this);
    symbol->setPixmap(Symbols::pixmap(Symbol::switch2, symbolPoints, theme.secondary, devicePixelRatioF()));
    symbol->setAlignment(Qt::AlignHCenter);
    column->addWidget(symbol, 0, Qt::AlignHCenter);

    auto* text = new QLabel(QStringLiteral("No providers turned on"), this);
    text->setFont(Theme::font(13));
    QPalette secondary = text->palette();
    secondary.setColor(QPalette::WindowText, theme.secondary);
    text->setPalette(secondary);
    column->addWidget(text, 0, Qt::AlignHCenter);

    m_button = new QPushButton(QStringLiteral("Open Settings"), this);
    m_button->setFont(Theme::font(12));
    m_button->setAccessibleName(QStringLiteral("Open Settings"));
    connect(m_button, &QPushButton::clicked, this, [openSettings = std::move(openSettings)] { openSettings(); });
    column->addWidget(m_button, 0, Qt::AlignHCenter);
}

void EmptyProvidersView::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    CardBackground{}.paint(painter, QRectF(rect()), Theme::fromPalette(palette()));
}

}  // namespace ostrel
