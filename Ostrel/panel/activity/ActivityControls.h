#pragma once
// The row above the activity cards: what the charts count ("All" or "New
// only") at the leading edge and the range they cover ("24 hours" or
// "7 days") at the trailing edge, each a capsule switcher. A choice goes to
// the owner, which keeps it; the row shows what the owner says is chosen.

#include <functional>

#include <QWidget>

#include "settings/SettingChoices.h"

namespace ostrel {

class CapsuleSwitcher;

class ActivityControls : public QWidget
{
    Q_OBJECT

public:
    ActivityControls(std::function<void(ActivityMeasure)> chooseMeasure,
                     std::function<void(ActivityRange)> chooseRange,
                     QWidget* parent = nullptr);

    /// Shows the choices in effect without announcing them.
    void setChoices(ActivityMeasure measure, ActivityRange range);

    [[nodiscard]] CapsuleSwitcher& measureSwitcher() const
    {
        return *m_measure;
    }

    [[nodiscard]] CapsuleSwitcher& rangeSwitcher() const
    {
        return *m_range;
    }

private:
    CapsuleSwitcher* m_measure = nullptr;
    CapsuleSwitcher* m_range = nullptr;
};

}  // namespace ostrel
