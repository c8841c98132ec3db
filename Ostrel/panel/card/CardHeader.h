#pragma once
// The card's top row: the provider's glyph in colour, its name, the plan as
// an upper-case badge in the provider's accent, and the status badge at the
// trailing edge.

#include <QLabel>
#include <QWidget>

#include "model/Date.h"
#include "model/ProviderDisplay.h"

namespace ostrel {

class StatusBadge;

class CardHeader : public QWidget
{
    Q_OBJECT

public:
    /// A picture's header never animates.
    CardHeader(Provider provider, bool isSnapshot, QWidget* parent = nullptr);

    void set(const ProviderDisplay& display, bool refreshing, Date now);

    [[nodiscard]] StatusBadge& badge() const
    {
        return *m_badge;
    }

    /// The plan as shown, upper-cased; empty without a plan.
    [[nodiscard]] QString planText() const;

private:
    QLabel* m_name = nullptr;
    QWidget* m_plan = nullptr;
    StatusBadge* m_badge = nullptr;
};

}  // namespace ostrel
