#pragma once
// The promotional card around a panel picture: 1200 × 630 points in the dark
// scheme, a night-blue gradient with a soft blue glow, the application's
// icon, name and tagline on the leading side and the panel, with its shadow,
// on the trailing side.

#include <QImage>
#include <QWidget>

namespace ostrel {

class SocialCard : public QWidget
{
    Q_OBJECT

public:
    static constexpr int cardWidth = 1200;
    static constexpr int cardHeight = 630;
    static constexpr double inset = 80;
    static constexpr double iconSide = 132;
    static constexpr double panelWidth = 400;

    explicit SocialCard(QImage panel, QWidget* parent = nullptr);

    /// Where the panel picture is drawn: 400 points wide at its own proportions,
    /// lowered to fit the content's height when it is taller.
    [[nodiscard]] QRectF panelRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintBackground(QPainter& painter) const;
    static void paintTitle(QPainter& painter);
    void paintPanel(QPainter& painter) const;

    QImage m_panel;
};

}  // namespace ostrel
