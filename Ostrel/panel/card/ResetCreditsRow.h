#pragma once
// The reset credits under a card: a neutral row with their headline, or,
// when one lapses within the week, an amber row that says when it lapses.

#include <optional>

#include <QLabel>
#include <QWidget>

#include "model/Date.h"
#include "model/ResetCreditStatus.h"

namespace ostrel {

class RenewalText;

class ResetCreditsRow : public QWidget
{
    Q_OBJECT

public:
    explicit ResetCreditsRow(QWidget* parent = nullptr);

    /// Hidden without a headline.
    void set(const ResetCreditStatus& status, Date now, const std::optional<RenewalText>& renewal);

    [[nodiscard]] bool isUrgent() const
    {
        return m_urgent;
    }

    [[nodiscard]] QString headline() const
    {
        return m_headline->text();
    }

    /// "Verified reset credit · lapses …"; empty unless urgent with a dated credit.
    [[nodiscard]] QString lapseLine() const
    {
        return m_lapse->text();
    }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_icon = nullptr;
    QLabel* m_headline = nullptr;
    QLabel* m_lapse = nullptr;
    bool m_urgent = false;
};

}  // namespace ostrel
