#pragma once
// The card's list of every window that can stop the user, under the advice:
// each with a thin bar of what is used and "42% used · renews in 3d", the one that
// runs out first (before it renews) marked and at the top, with the sentence a
// user needs under the list. Shown only where there is more to say than the
// gauge says: a window beyond the week and the session, or one of those two
// other than the week running out first.

#include <optional>
#include <string>
#include <vector>

#include <QLabel>
#include <QWidget>

#include "model/Date.h"
#include "model/WindowOutlook.h"

namespace ostrel {

class LimitsList : public QWidget
{
    Q_OBJECT

public:
    static constexpr const char* title = "Limits";

    /// One row as the list shows it, and as a screen reader reads it.
    struct Row
    {
        std::string label;
        std::string figures;  ///< "42% used · renews in 3d"
        double usedFraction = 0;
        bool binds = false;

        bool operator==(const Row&) const = default;
    };

    /// The rows for `outlooks` (in their order), or none when the list has nothing the gauge does not say.
    [[nodiscard]] static std::vector<Row>
    rows(const std::vector<WindowOutlook>& outlooks, bool hasOtherWindows, Date now);

    explicit LimitsList(QWidget* parent = nullptr);

    /// Hides the list when `rows` is empty.
    void set(std::vector<Row> rows, const std::string& sentence);

    [[nodiscard]] const std::vector<Row>& shownRows() const
    {
        return m_rows;
    }

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    [[nodiscard]] int barsTop() const;

    std::vector<Row> m_rows;
    QLabel* m_title = nullptr;
    QLabel* m_sentence = nullptr;
};

}  // namespace ostrel
