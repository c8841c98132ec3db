#pragma once
// The full tray label: one mark per enabled provider in the chosen style, or
// the gauge symbol when none is enabled. One painter routine serves the
// widget (settings preview), still pictures at any pixel ratio, and the tray.

#include <chrono>
#include <functional>
#include <vector>

#include <QImage>
#include <QSizeF>
#include <QTimer>
#include <QWidget>

#include "drawing/LabelColors.h"
#include "drawing/MarkState.h"
#include "model/Date.h"
#include "settings/SettingChoices.h"

class QPainter;

namespace ostrel {

/// What the label shows at one moment: the style and the enabled providers' marks, in provider order.
struct LabelContent
{
    TrayStyle style = TrayStyle::cells;
    std::vector<MarkState> marks;

    bool operator==(const LabelContent&) const = default;
};

class TrayLabel : public QWidget
{
    Q_OBJECT

public:
    static constexpr double labelHeight = 22;
    static constexpr double padding = 5;
    static constexpr double markSpacing = 9;
    static constexpr double rowSpacing = 2.5;

    /// Produces the content for the given moment; the label asks it once a
    /// minute and whenever `reevaluate()` is called.
    using Source = std::function<LabelContent(Date now)>;

    explicit TrayLabel(Source source, QWidget* parent = nullptr);

    /// The natural size of the content: its width and the fixed 22-point height.
    [[nodiscard]] static QSizeF contentSize(const LabelContent& content);
    /// Draws the content with its top-left corner at the painter's origin.
    static void paintContent(QPainter& painter, const LabelContent& content, const LabelColors& colors);
    /// The content drawn on a transparent picture at `devicePixelRatio`.
    [[nodiscard]] static QImage
    renderImage(const LabelContent& content, const LabelColors& colors, qreal devicePixelRatio);

    /// Asks the source again for the current time; call it when the store or the settings change.
    void reevaluate();
    /// Asks the source for the given time (the minute schedule passes the clock).
    void reevaluate(Date now);

    [[nodiscard]] const LabelContent& content() const
    {
        return m_content;
    }

    [[nodiscard]] QSize sizeHint() const override;

Q_SIGNALS:
    /// The natural size changed, so a host can resize the item that holds the label.
    void sizeChanged();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Source m_source;
    LabelContent m_content;
    QTimer m_minute;
};

}  // namespace ostrel
