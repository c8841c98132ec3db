#pragma once
// The paced card's big figures: the percentage of the weekly allowance left
// (counting to a new value), and on the right the time until it renews, an
// hourglass that pulses when a surplus is about to lapse, and "renews …".

#include <optional>

#include <QString>
#include <QVariantAnimation>
#include <QWidget>

#include "model/Date.h"
#include "model/Pacing.h"

namespace ostrel {

class RenewalText;

class PaceHero : public QWidget
{
    Q_OBJECT

public:
    explicit PaceHero(QWidget* parent = nullptr);

    /// `animate` false (a picture) shows the new figures at once; so does a hidden hero.
    void set(const Pace& pace,
             std::optional<Date> resetsAt,
             Date now,
             const std::optional<RenewalText>& renewal,
             bool animate);

    [[nodiscard]] int percentLeft() const
    {
        return m_percent;
    }

    /// The figure drawn at this moment: between the old and new value while counting.
    [[nodiscard]] int shownPercent() const;

    [[nodiscard]] const QString& timeText() const
    {
        return m_time;
    }

    /// "renews …", or empty without a renewal time.
    [[nodiscard]] const QString& renewsText() const
    {
        return m_renews;
    }

    [[nodiscard]] bool showsHourglass() const
    {
        return m_warning;
    }

    [[nodiscard]] bool isCounting() const
    {
        return m_count.state() == QAbstractAnimation::Running;
    }

    [[nodiscard]] bool isPulsing() const
    {
        return m_pulse.state() == QAbstractAnimation::Running;
    }

    [[nodiscard]] QSize sizeHint() const override;

    [[nodiscard]] QSize minimumSizeHint() const override
    {
        return {0, sizeHint().height()};
    }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void updatePulse(bool shown);
    void paintFigure(QPainter& painter, double centreY) const;
    void paintTime(QPainter& painter, double centreY) const;
    /// Where the hourglass stands, in the hero's coordinates.
    [[nodiscard]] QRectF hourglassBox() const;

    int m_percent = 0;
    double m_shown = 0;
    PaceTier m_tier = PaceTier::green;
    bool m_warning = false;
    bool m_animate = true;
    /// The first figures are shown as they are; only later ones count.
    bool m_hasFigures = false;
    QString m_time;
    QString m_renews;
    QVariantAnimation m_count;
    QVariantAnimation m_pulse;
    double m_hourglassOpacity = 1;
};

}  // namespace ostrel
