#pragma once
// How a range's tokens split into cached input, new input and output: a thin
// bar of capsules, one per part that occurs, each as wide as its share, over
// a legend that always lists all three parts with their percentages.

#include <vector>

#include <QString>
#include <QWidget>

#include "drawing/TokenPalette.h"
#include "model/TokenCounts.h"

namespace ostrel {

class CompositionBar : public QWidget
{
    Q_OBJECT

public:
    struct Capsule
    {
        TokenKind kind = TokenKind::cached;
        double width = 0;
    };

    struct LegendItem
    {
        TokenKind kind = TokenKind::cached;
        QString label;
        QString share;
    };

    /// "<0.1%" for a share above 0 under a thousandth; one decimal under 10%, none from there.
    [[nodiscard]] static QString percent(double share);
    /// The capsules across `width` points: each at least 3 points, the rest split by count.
    [[nodiscard]] static std::vector<Capsule> capsules(const TokenCounts& counts, double width);
    /// "Cached", "New input", "Output" with their shares, always all three.
    [[nodiscard]] static std::vector<LegendItem> legend(const TokenCounts& counts);

    explicit CompositionBar(Provider provider, QWidget* parent = nullptr);

    void setCounts(const TokenCounts& counts);

    [[nodiscard]] const TokenCounts& counts() const
    {
        return m_counts;
    }

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TokenPalette m_palette;
    TokenCounts m_counts;
};

}  // namespace ostrel
