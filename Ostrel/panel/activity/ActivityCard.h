#pragma once
// One account's card in the activity tab, or the card of a tool's accounts
// together: a header (glyph, title and one text: the selected bin, "Reading
// session logs…" or the peak), the bar chart of the chosen range, the row of
// fixed-span totals, the composition of the range's tokens when activity is
// known, and the note about other devices when there is one. Built from a value; the chart's selection is the
// only state it keeps.

#include <optional>
#include <string>

#include <QLabel>
#include <QString>
#include <QWidget>

#include "model/Date.h"
#include "model/Provider.h"
#include "model/ProviderActivity.h"
#include "model/RenewalText.h"
#include "settings/SettingChoices.h"

namespace ostrel {

class ActivityChart;
class ActivityTotals;
class CompositionBar;

class ActivityCard : public QWidget
{
    Q_OBJECT

public:
    struct Value
    {
        std::optional<ProviderActivity> activity;
        ActivityRange range = ActivityRange::day;
        ActivityMeasure measure = ActivityMeasure::all;
        /// A scan of the session logs is running.
        bool scanning = false;
        std::optional<std::string> note;
        Date now;
        /// The calendar and locale of the time texts; absent: the user's own.
        std::optional<RenewalText> calendar;
    };

    /// Titled with the tool's name.
    explicit ActivityCard(Provider provider, QWidget* parent = nullptr);
    /// Titled `title`: an account's, or that of a tool's accounts together.
    ActivityCard(Provider provider, const QString& title, QWidget* parent = nullptr);

    [[nodiscard]] Provider provider() const
    {
        return m_provider;
    }

    void setValue(Value value);

    /// The header's trailing text.
    [[nodiscard]] QString headerText() const;
    /// The chart's centred text; empty when there is none.
    [[nodiscard]] QString overlayText() const;
    /// The note as shown; empty when hidden.
    [[nodiscard]] QString noteText() const;

    [[nodiscard]] ActivityChart& chart() const
    {
        return *m_chart;
    }

    [[nodiscard]] ActivityTotals& totals() const
    {
        return *m_totals;
    }

    /// Shown only while activity is known.
    [[nodiscard]] CompositionBar& composition() const
    {
        return *m_composition;
    }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void showHeader();
    void showNote();

    Provider m_provider;
    Value m_value;
    QLabel* m_status = nullptr;
    ActivityChart* m_chart = nullptr;
    ActivityTotals* m_totals = nullptr;
    CompositionBar* m_composition = nullptr;
    QWidget* m_noteRow = nullptr;
    QLabel* m_noteIcon = nullptr;
    QLabel* m_note = nullptr;
};

}  // namespace ostrel
