#pragma once
// The glide path of a weekly window: how the allowance left has fallen since
// the window began, against a dashed even-pace line from full at the start to
// empty at renewal, with a dot and "now" at the present and one faint mark
// per calendar day. Painted from a value; a window without a renewal time, or
// without a positive length, draws nothing.

#include <optional>
#include <vector>

#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <QWidget>

#include "model/AllowancePoint.h"
#include "model/Date.h"
#include "model/Pacing.h"
#include "model/RenewalText.h"
#include "model/UsageWindow.h"

class QFontMetricsF;

namespace ostrel {

class GlidePathChart : public QWidget
{
    Q_OBJECT

public:
    static constexpr int chartHeight = 70;

    /// What the chart shows.
    struct Value
    {
        /// The allowance history of the current window, as the store keeps it.
        std::vector<AllowancePoint> points;
        /// The weekly window.
        UsageWindow window;
        /// The pacing now.
        Pace pace;
        Date now;
        /// The calendar and locale of the day marks; absent: the user's own.
        std::optional<RenewalText> calendar;
    };

    /// One plotted point: `left` is the percentage left, 0…100.
    struct Observed
    {
        Date date;
        double left = 0;

        bool operator==(const Observed&) const = default;
    };

    /// The span the x axis covers.
    struct Domain
    {
        Date start;
        Date end;
        double duration = 0;  ///< seconds, positive
    };

    /// One calendar day: its middle, where its grid line and label go.
    struct DayMark
    {
        Date middle;
        QString symbol;  ///< the narrow weekday name
    };

    /// Where everything goes in a chart of a given size, in logical pixels.
    struct Layout
    {
        QRectF plot;  ///< the region 0…100 of the y axis over the domain
        QLineF paceLine;
        QPainterPath line;  ///< the observed series
        QPainterPath area;  ///< under the observed series, down to the floor
        double nowX = 0;
        QPointF nowPoint;
        QRectF nowLabel;
        QRectF paceLabel;
        std::vector<double> dayX;
        std::vector<QRectF> dayLabels;
    };

    static constexpr double dotDiameter = 6;

    explicit GlidePathChart(QWidget* parent = nullptr);
    explicit GlidePathChart(Value value, QWidget* parent = nullptr);

    void setValue(Value value);

    [[nodiscard]] const Value& value() const
    {
        return m_value;
    }

    /// The x domain: absent without a renewal time or a positive, finite length.
    [[nodiscard]] static std::optional<Domain> domain(const UsageWindow& window);

    /// The plotted series, earliest first: full at the window's start, each
    /// history point's allowance left (clamped to 0…100) and the present.
    /// Empty when the window has no domain.
    [[nodiscard]] static std::vector<Observed>
    observed(const std::vector<AllowancePoint>& points, const UsageWindow& window, const Pace& pace, Date now);

    /// One mark per calendar day whose middle lies in the domain.
    [[nodiscard]] static std::vector<DayMark> dayMarks(const Domain& domain, const RenewalText& calendar);

    /// The placement of every mark at `size`; absent when nothing is drawn.
    [[nodiscard]] static std::optional<Layout>
    layout(const Value& value, const std::vector<DayMark>& days, QSizeF size, const QFontMetricsF& labelMetrics);
    /// The placement at the widget's own size and label font.
    [[nodiscard]] std::optional<Layout> layout() const;

    /// "62% left now, even pace 55%"; empty when nothing is drawn.
    [[nodiscard]] static QString description(const Value& value);

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Value m_value;
    std::vector<DayMark> m_days;
};

}  // namespace ostrel
