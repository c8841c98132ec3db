#pragma once
// A full turn every 0.9 seconds, repeated for as long as it runs: the refresh
// arrow's and the status badge's spinner. It redraws its widget at every step
// and comes to rest upright when stopped.

#include <QVariantAnimation>
#include <QWidget>

namespace ostrel {

class Turn
{
public:
    static constexpr int turnMilliseconds = 900;

    /// `widget` owns the turn and is redrawn at every step.
    explicit Turn(QWidget& widget)
        : m_widget(widget)
    {
        m_animation.setStartValue(0.0);
        m_animation.setEndValue(360.0);
        m_animation.setDuration(turnMilliseconds);
        m_animation.setLoopCount(-1);
        QObject::connect(&m_animation, &QVariantAnimation::valueChanged, &widget, [this](const QVariant& value) {
            m_angle = value.toDouble();
            m_widget.update();
        });
    }

    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;
    ~Turn() = default;

    [[nodiscard]] bool isRunning() const
    {
        return m_animation.state() == QAbstractAnimation::Running;
    }

    /// Starts or stops the turn; a stopped turn stands at 0 degrees.
    void setRunning(bool running)
    {
        if (running == isRunning()) {
            return;
        }
        if (running) {
            m_animation.start();
        } else {
            m_animation.stop();
            m_angle = 0;
            m_widget.update();
        }
    }

    /// Degrees clockwise from upright.
    [[nodiscard]] double angle() const
    {
        return m_angle;
    }

private:
    QWidget& m_widget;
    QVariantAnimation m_animation;
    double m_angle = 0;
};

}  // namespace ostrel
