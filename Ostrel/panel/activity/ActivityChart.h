#pragma once
// The activity card's stacked bar chart: one bar per bin of a day (24 hours)
// or a week (28 six-hour bins), output over new input over cached input, a
// y axis with about three token values on the trailing side and time marks
// underneath. The pointer, or the arrow keys while the chart has focus,
// selects one bin: the others dim and the owner is told, so its header can
// name the bin. Painted from a value.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include <QRectF>
#include <QString>
#include <QWidget>

#include "model/Date.h"
#include "model/ProviderActivity.h"
#include "model/RenewalText.h"
#include "model/TokenSeries.h"
#include "panel/activity/ChartFigures.h"
#include "settings/SettingChoices.h"

namespace ostrel {

class ActivityChart : public QWidget
{
    Q_OBJECT

public:
    static constexpr int chartHeight = 84;
    static constexpr double dimmedOpacity = 0.35;

    using Layer = ChartFigures::Layer;
    using Mark = ChartFigures::Mark;

    struct Value
    {
        Provider provider = Provider::claude;
        /// In time order; empty without activity.
        std::vector<TokenBin> bins;
        ActivityRange range = ActivityRange::day;
        ActivityMeasure measure = ActivityMeasure::all;
        Date now;
        /// Centred over the plot; empty for none.
        QString overlay;
        /// The calendar and locale of the time marks; absent: the user's own.
        std::optional<RenewalText> calendar;
    };

    explicit ActivityChart(QWidget* parent = nullptr);

    void setValue(Value value);

    [[nodiscard]] const Value& value() const
    {
        return m_value;
    }

    /// The moment under the pointer (or chosen with the keys); kept across new values.
    [[nodiscard]] std::optional<Date> selection() const
    {
        return m_selection;
    }

    void setSelection(std::optional<Date> selection);
    [[nodiscard]] std::optional<std::size_t> selectedIndex() const;

    [[nodiscard]] const std::vector<Layer>& drawnLayers() const
    {
        return m_layers;
    }

    [[nodiscard]] const std::vector<Mark>& marks() const
    {
        return m_marks;
    }

    [[nodiscard]] const std::vector<std::int64_t>& ticks() const
    {
        return m_ticks;
    }

    /// The region the bars stand in, in the widget's coordinates.
    [[nodiscard]] QRectF plotRect() const;
    /// Where a layer is drawn.
    [[nodiscard]] QRectF layerRect(const Layer& layer) const;
    /// The moment at horizontal position `x`.
    [[nodiscard]] Date dateAt(double x) const;

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

Q_SIGNALS:
    void selectionChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void relayer();
    [[nodiscard]] double xOf(Date date) const;
    [[nodiscard]] double yOf(double tokens) const;
    [[nodiscard]] double domainStart() const;
    [[nodiscard]] double domainEnd() const;
    void paintAxes(QPainter& painter, const QRectF& plot) const;

    Value m_value;
    std::optional<Date> m_selection;
    std::vector<Layer> m_layers;
    std::vector<Mark> m_marks;
    std::vector<std::int64_t> m_ticks;
    double m_axisWidth = 0;
};

}  // namespace ostrel
