#include "drawing/CapsuleSwitcher.h"

#include <algorithm>

#include <QEasingCurve>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

#include "drawing/Theme.h"

namespace ostrel {
namespace {

constexpr double padding = 2;
constexpr double gap = 2;
constexpr double trackOpacity = 0.05;
constexpr double highlightOpacity = 0.1;
constexpr int slideMilliseconds = 250;

void fillCapsule(QPainter& painter, const QRectF& rect, const QColor& color)
{
    QPainterPath path;
    const double radius = rect.height() / 2;
    path.addRoundedRect(rect, radius, radius);
    painter.fillPath(path, color);
}

/// One option: its title, strong when chosen; the switcher paints the capsules behind it.
class CapsuleOption : public QAbstractButton
{
public:
    CapsuleOption(const QString& title, double textSize, QWidget* parent)
        : QAbstractButton(parent)
        , m_textSize(textSize)
    {
        setText(title);
        setAccessibleName(title);
        setCheckable(true);
        setFocusPolicy(Qt::StrongFocus);
        setCursor(Qt::PointingHandCursor);
        setFont(Theme::font(textSize, QFont::DemiBold));
    }

    [[nodiscard]] QSize sizeHint() const override
    {
        const QFontMetricsF metrics(font());
        const double width = metrics.horizontalAdvance(text()) + 2 * m_textSize * 0.85;
        const double height = metrics.height() + 2 * m_textSize * 0.34;
        return {static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height))};
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::TextAntialiasing);
        const Theme theme = Theme::fromPalette(palette());
        // The ring shows where keyboard focus is, not where the pointer last pressed.
        if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
            painter.setRenderHint(QPainter::Antialiasing);
            QPainterPath ring;
            const QRectF inner = QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75);
            ring.addRoundedRect(inner, inner.height() / 2, inner.height() / 2);
            painter.setPen(QPen(palette().color(QPalette::Highlight), 1.5));
            painter.drawPath(ring);
        }
        painter.setFont(font());
        painter.setPen(isChecked() ? theme.primary : theme.secondary);
        painter.drawText(rect(), Qt::AlignCenter, text());
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            click();
            return;
        }
        QAbstractButton::keyPressEvent(event);
    }

private:
    double m_textSize;
};

}  // namespace

CapsuleSwitcher::CapsuleSwitcher(const QStringList& titles, double textSize, QWidget* parent)
    : QWidget(parent)
    , m_textSize(textSize)
{
    for (int index = 0; index < titles.size(); ++index) {
        auto* option = new CapsuleOption(titles.at(index), textSize, this);
        option->installEventFilter(this);
        connect(option, &QAbstractButton::clicked, this, [this, index] { choose(index); });
        m_options.push_back(option);
    }
    m_slide.setDuration(slideMilliseconds);
    m_slide.setEasingCurve(QEasingCurve::OutCubic);
    connect(&m_slide, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_highlight = value.toRectF();
        update();
    });
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setSelectedIndex(0);
}

QAbstractButton* CapsuleSwitcher::option(int index) const
{
    return m_options.at(static_cast<std::size_t>(index));
}

QSize CapsuleSwitcher::sizeHint() const
{
    double width = 2 * padding;
    double height = 0;
    for (const QAbstractButton* option : m_options) {
        width += option->sizeHint().width();
        height = std::max(height, static_cast<double>(option->sizeHint().height()));
    }
    width += gap * static_cast<double>(std::max<std::size_t>(m_options.size(), 1) - 1);
    return {static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height + 2 * padding))};
}

QRectF CapsuleSwitcher::optionRect(int index) const
{
    return {option(index)->geometry()};
}

void CapsuleSwitcher::setSelectedIndex(int index)
{
    if (m_options.empty()) {
        return;
    }
    m_selected = std::clamp(index, 0, count() - 1);
    for (int each = 0; each < count(); ++each) {
        option(each)->setChecked(each == m_selected);
    }
    moveHighlight(isVisible());
}

void CapsuleSwitcher::choose(int index)
{
    const bool changed = index != m_selected;
    setSelectedIndex(index);
    if (changed) {
        Q_EMIT chosen(m_selected);
    }
}

void CapsuleSwitcher::moveHighlight(bool animated)
{
    const QRectF target = optionRect(m_selected);
    m_slide.stop();
    if (animated && !m_highlight.isEmpty() && m_highlight != target) {
        m_slide.setStartValue(m_highlight);
        m_slide.setEndValue(target);
        m_slide.start();
    } else {
        m_highlight = target;
        update();
    }
}

void CapsuleSwitcher::resizeEvent(QResizeEvent* /*event*/)
{
    double x = padding;
    for (QAbstractButton* option : m_options) {
        const QSize size = option->sizeHint();
        const double y = (height() - size.height()) / 2.0;
        option->setGeometry(static_cast<int>(std::round(x)),
                            static_cast<int>(std::round(y)),
                            size.width(),
                            size.height());
        x += size.width() + gap;
    }
    moveHighlight(false);
}

void CapsuleSwitcher::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Theme theme = Theme::fromPalette(palette());
    fillCapsule(painter, QRectF(rect()), theme.primaryAt(trackOpacity));
    if (!m_highlight.isEmpty()) {
        fillCapsule(painter, m_highlight, theme.primaryAt(highlightOpacity));
    }
}

bool CapsuleSwitcher::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        // Qt delivers every KeyPress as a QKeyEvent.
        // NOLINTNEXTLINE(cppcoreguidelines-pro-type-static-cast-downcast)
        const auto* key = static_cast<QKeyEvent*>(event);
        const int step = key->key() == Qt::Key_Right ? 1 : key->key() == Qt::Key_Left ? -1 : 0;
        if (step != 0) {
            const int next = std::clamp(m_selected + step, 0, count() - 1);
            option(next)->setFocus(Qt::TabFocusReason);
            choose(next);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace ostrel
