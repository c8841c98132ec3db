#include "panel/activity/ActivityControls.h"

#include <QHBoxLayout>

#include "drawing/CapsuleSwitcher.h"

namespace ostrel {
namespace {

constexpr double textSize = 10.5;

}  // namespace

ActivityControls::ActivityControls(std::function<void(ActivityMeasure)> chooseMeasure,
                                   std::function<void(ActivityRange)> chooseRange,
                                   QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    m_measure = makeSwitcher<ActivityMeasure>(allActivityMeasures,
                                              static_cast<std::string_view (*)(ActivityMeasure)>(&rawValue),
                                              textSize,
                                              std::move(chooseMeasure),
                                              this);
    m_measure->setAccessibleName(QStringLiteral("Tokens counted"));
    row->addWidget(m_measure);
    row->addStretch(1);
    m_range = makeSwitcher<ActivityRange>(allActivityRanges,
                                          static_cast<std::string_view (*)(ActivityRange)>(&rawValue),
                                          textSize,
                                          std::move(chooseRange),
                                          this);
    m_range->setAccessibleName(QStringLiteral("Range"));
    row->addWidget(m_range);
}

void ActivityControls::setChoices(ActivityMeasure measure, ActivityRange range)
{
    m_measure->setSelectedIndex(indexOfCase(allActivityMeasures, measure));
    m_range->setSelectedIndex(indexOfCase(allActivityRanges, range));
}

}  // namespace ostrel
