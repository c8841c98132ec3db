#include "preferences/FormParts.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace ostrel::form {
namespace {

constexpr double boxRadius = 8;
constexpr double boxFillOpacity = 0.04;
constexpr double boxEdgeOpacity = 0.1;
constexpr double previewRadius = 6;
constexpr double previewFillOpacity = 0.06;
constexpr int previewPadding = 6;

}  // namespace

void SectionBox::paintEvent(QPaintEvent* /*event*/)
{
    const Theme theme = Theme::fromPalette(palette());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(theme.primaryAt(boxEdgeOpacity), 1));
    painter.setBrush(theme.primaryAt(boxFillOpacity));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), boxRadius, boxRadius);
}

PreviewPlate::PreviewPlate(QWidget* label, QWidget* parent)
    : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(previewPadding, 0, previewPadding, 0);
    row->addWidget(label);
}

void PreviewPlate::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::fromPalette(palette()).primaryAt(previewFillOpacity));
    painter.drawRoundedRect(QRectF(rect()), previewRadius, previewRadius);
}

QLabel* secondaryLabel(const QString& text, double points, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setFont(Theme::font(points));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Theme::fromPalette(palette).secondary);
    label->setPalette(palette);
    return label;
}

QCheckBox* toggle(const QString& text, QWidget* parent)
{
    auto* box = new QCheckBox(text, parent);
    box->setFont(Theme::font(rowPoints));
    box->setAccessibleName(text);
    return box;
}

QHBoxLayout* labelledRow(const QString& text, QWidget* control, QWidget* parent)
{
    auto* row = new QHBoxLayout();
    auto* label = new QLabel(text, parent);
    label->setFont(Theme::font(rowPoints));
    label->setBuddy(control);
    control->setAccessibleName(text);
    row->addWidget(label);
    row->addStretch(1);
    row->addWidget(control);
    return row;
}

void select(QComboBox* box, int value)
{
    box->setCurrentIndex(box->findData(value));
}

}  // namespace ostrel::form
