#pragma once
// The activity card's row of totals: one equal-width cell per fixed span
// (1h, 24h, 2d, 5d, 7d) with the span's label over its measured token total,
// or "–" while no activity is known. Painted from a value.

#include <cstdint>
#include <optional>
#include <vector>

#include <QString>
#include <QWidget>

#include "model/ProviderActivity.h"
#include "settings/SettingChoices.h"

namespace ostrel {

class ActivityTotals : public QWidget
{
    Q_OBJECT

public:
    struct Cell
    {
        QString label;
        /// The measured total over the span; absent without activity.
        std::optional<std::int64_t> value;

        /// The value as shown: the compact token count, or "–".
        [[nodiscard]] QString valueText() const;

        bool operator==(const Cell&) const = default;
    };

    /// One cell per span of `ProviderActivity::windows`, in that order.
    [[nodiscard]] static std::vector<Cell>
    cells(const std::optional<ProviderActivity>& activity, ActivityMeasure measure, Date now);

    explicit ActivityTotals(QWidget* parent = nullptr);

    void setCells(std::vector<Cell> cells);

    [[nodiscard]] const std::vector<Cell>& shownCells() const
    {
        return m_cells;
    }

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<Cell> m_cells;
};

}  // namespace ostrel
