#include "drawing/CardLabel.h"

#include <algorithm>

#include <QPainter>

#include "drawing/Theme.h"

namespace ostrel::CardLabel {
namespace {

/// A wrapping label whose height is left to its height for the given width.
/// QLabel's own minimum assumes a very narrow label, several lines high, and
/// a card would be stretched to it.
class WrappingLabel : public QLabel
{
public:
    using QLabel::QLabel;

    [[nodiscard]] QSize minimumSizeHint() const override
    {
        return {0, fontMetrics().height()};
    }
};

/// A one-line label that ends in an ellipsis where its text does not fit. A
/// name the user typed (an account's) can be of any length, and a plain label
/// would widen its row, and the panel's column with it, to show it whole.
class ElidingLabel : public QLabel
{
public:
    using QLabel::QLabel;

    [[nodiscard]] QSize minimumSizeHint() const override
    {
        const QSize whole = QLabel::minimumSizeHint();
        return {std::min(whole.width(), fontMetrics().horizontalAdvance(QStringLiteral("Claude\u2026"))),
                whole.height()};
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.setPen(palette().color(foregroundRole()));
        const QRect room = contentsRect();
        painter.drawText(room,
                         static_cast<int>(alignment()),
                         fontMetrics().elidedText(text(), Qt::ElideRight, room.width()));
    }
};

}  // namespace

QLabel* makeEliding(double points, QFont::Weight weight, QWidget* parent)
{
    QLabel* label = new ElidingLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(Theme::font(points, weight));
    return label;
}

QLabel* make(double points, QFont::Weight weight, bool wraps, QWidget* parent)
{
    QLabel* label = wraps ? new WrappingLabel(parent) : new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(Theme::font(points, weight));
    label->setWordWrap(wraps);
    if (wraps) {
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    return label;
}

void setColor(QWidget* widget, const QColor& colour)
{
    if (widget->palette().color(QPalette::WindowText) == colour) {
        return;
    }
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

void setTextOrHide(QLabel* label, const QString& text)
{
    label->setText(text);
    label->setVisible(!text.isEmpty());
}

}  // namespace ostrel::CardLabel
