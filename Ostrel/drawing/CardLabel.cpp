#include "drawing/CardLabel.h"

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

}  // namespace

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
