#pragma once
// The card's status in its top-right corner: a small dot in the status's
// colour and a short text ("just now", "Offline", "Signed out"), or a
// turning spinner and "Reading…" while the provider is being read.

#include <QColor>
#include <QString>
#include <QWidget>

#include "drawing/Turn.h"
#include "model/Date.h"
#include "model/ProviderDisplay.h"

namespace ostrel {

struct Theme;

class StatusBadge : public QWidget
{
    Q_OBJECT

public:
    static constexpr double dotSize = 6;

    /// A still badge (in a picture) never turns its spinner.
    explicit StatusBadge(bool still, QWidget* parent = nullptr);

    void set(const ProviderDisplay& display, bool refreshing, Date now);

    [[nodiscard]] const QString& text() const
    {
        return m_text;
    }

    [[nodiscard]] bool showsSpinner() const
    {
        return m_refreshing;
    }

    /// Whether the spinner is turning now (never while hidden or with reduced motion).
    [[nodiscard]] bool isTurning() const
    {
        return m_turn.isRunning();
    }

    /// Where the dot or spinner is drawn, in the badge's coordinates.
    [[nodiscard]] QRectF indicatorRect() const;

    /// The badge text for a display; "Reading…" while refreshing.
    [[nodiscard]] static QString textFor(const ProviderDisplay& display, bool refreshing, Date now);
    /// The dot's colour for a status.
    [[nodiscard]] static QColor dotColor(ProviderDisplay::Status status, const Theme& theme);

    [[nodiscard]] QSize sizeHint() const override;

    [[nodiscard]] QSize minimumSizeHint() const override
    {
        return sizeHint();
    }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void updateTurning();

    ProviderDisplay::Status m_status = ProviderDisplay::Status::loading;
    bool m_refreshing = false;
    QString m_text;
    Turn m_turn{*this};
    bool m_still = false;
};

}  // namespace ostrel
