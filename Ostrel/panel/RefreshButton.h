#pragma once
// The panel's refresh button: the clockwise arrow, turning a full circle every
// 0.9 seconds while any provider is being read and at rest otherwise. It turns
// only while shown: a closed panel runs no animation.

#include <QToolButton>

#include "drawing/Turn.h"

namespace ostrel {

class RefreshButton : public QToolButton
{
    Q_OBJECT

public:
    explicit RefreshButton(QWidget* parent = nullptr);

    void setSpinning(bool spinning);

    [[nodiscard]] bool isSpinning() const
    {
        return m_turn.isRunning();
    }

    [[nodiscard]] QSize sizeHint() const override
    {
        return {24, 24};
    }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Turn m_turn{*this};
};

}  // namespace ostrel
