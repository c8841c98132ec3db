#pragma once
// The sentence under the chart: a glowing dot in the tier's colours, the
// tier's headline in semibold, then what to do about it. The advice text is
// a pure function so every row of it can be checked without a widget.

#include <optional>
#include <string>

#include <QLabel>
#include <QWidget>

#include "model/Date.h"
#include "model/Pacing.h"

namespace ostrel {

class RenewalText;

/// What to do at this pace. The renewal phrase is used only when both
/// `resetsAt` and `renewal` are present.
[[nodiscard]] std::string
advice(const Pace& pace, std::optional<Date> resetsAt, Date now, const std::optional<RenewalText>& renewal);

class AdviceLine : public QWidget
{
    Q_OBJECT

public:
    static constexpr double dotSize = 8;

    explicit AdviceLine(QWidget* parent = nullptr);

    void set(const Pace& pace, std::optional<Date> resetsAt, Date now, const std::optional<RenewalText>& renewal);

    /// The headline, two spaces and the advice, as read out.
    [[nodiscard]] QString text() const
    {
        return m_text->accessibleName();
    }

    /// Where the dot is drawn, in the line's coordinates.
    [[nodiscard]] QRectF dotRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_text = nullptr;
    PaceTier m_tier = PaceTier::green;
};

}  // namespace ostrel
