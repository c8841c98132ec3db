#pragma once
// A full turn every 0.9 seconds, repeated for as long as it is wanted and its
// widget is shown: the refresh arrow's and the status badge's spinner. It
// redraws its widget at every step, comes to rest upright when stopped, and
// follows the widget's own show and hide events, so a closed panel or a
// minimised window runs no animation.

#include <QEvent>
#include <QObject>
#include <QVariantAnimation>
#include <QWidget>

namespace ostrel {

class Turn : public QObject
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
        widget.installEventFilter(this);
    }

    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;
    Turn(Turn&&) = delete;
    Turn& operator=(Turn&&) = delete;
    ~Turn() override = default;

    /// Whether it is turning now (never while the widget is hidden).
    [[nodiscard]] bool isRunning() const
    {
        return m_animation.state() == QAbstractAnimation::Running;
    }

    /// Whether it should turn; it does while the widget is shown.
    void setWanted(bool wanted)
    {
        m_wanted = wanted;
        follow(m_widget.isVisible());
    }

    /// Degrees clockwise from upright.
    [[nodiscard]] double angle() const
    {
        return m_angle;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A spontaneous hide (a minimised window) leaves the widget marked visible, so the event decides.
        if (watched == &m_widget && (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
            follow(event->type() == QEvent::Show);
        }
        return false;
    }

private:
    void follow(bool shown)
    {
        const bool running = m_wanted && shown;
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

    QWidget& m_widget;
    QVariantAnimation m_animation;
    double m_angle = 0;
    bool m_wanted = false;
};

}  // namespace ostrel
