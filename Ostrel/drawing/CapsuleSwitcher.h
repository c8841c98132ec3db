#pragma once
// The panel's segmented control: a capsule holding one plain button per
// option, the chosen one on a lighter capsule that slides between options.
// It knows its options only through their titles; `bindChoices` ties it to an
// enumeration. Each option is its own focusable button with an accessible
// name; Space or Enter chooses it, the arrow keys move the choice.

#include <array>
#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include <QAbstractButton>
#include <QRectF>
#include <QStringList>
#include <QVariantAnimation>
#include <QWidget>

namespace ostrel {

class CapsuleSwitcher : public QWidget
{
    Q_OBJECT

public:
    /// `textSize` is the titles' size in points; it also scales the padding.
    CapsuleSwitcher(const QStringList& titles, double textSize, QWidget* parent = nullptr);

    [[nodiscard]] int selectedIndex() const
    {
        return m_selected;
    }

    /// Shows `index` as chosen without announcing it (the owner's state changed).
    void setSelectedIndex(int index);

    [[nodiscard]] int count() const
    {
        return static_cast<int>(m_options.size());
    }

    [[nodiscard]] QAbstractButton* option(int index) const;

    /// Where the highlight is drawn now, in the switcher's coordinates.
    [[nodiscard]] QRectF highlightRect() const
    {
        return m_highlight;
    }

    [[nodiscard]] QSize sizeHint() const override;

Q_SIGNALS:
    /// The user chose the option at `index`.
    void chosen(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void choose(int index);
    void moveHighlight(bool animated);
    [[nodiscard]] QRectF optionRect(int index) const;

    double m_textSize;
    std::vector<QAbstractButton*> m_options;
    int m_selected = 0;
    QRectF m_highlight;
    QVariantAnimation m_slide;
};

/// Ties a switcher to the cases of an enumeration: titles from `title`, the
/// shown choice from `current`, and a choice made by the user passed to `choose`.
template <typename Value, std::size_t N>
CapsuleSwitcher* makeSwitcher(const std::array<Value, N>& cases,
                              std::string_view (*title)(Value),
                              double textSize,
                              std::function<void(Value)> choose,
                              QWidget* parent)
{
    QStringList titles;
    for (Value value : cases) {
        const std::string_view text = title(value);
        titles.append(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    }
    auto* switcher = new CapsuleSwitcher(titles, textSize, parent);
    QObject::connect(switcher, &CapsuleSwitcher::chosen, switcher, [cases, choose = std::move(choose)](int index) {
        choose(cases.at(static_cast<std::size_t>(index)));
    });
    return switcher;
}

/// The position of `value` among `cases` (0 when it is not one of them).
template <typename Value, std::size_t N>
[[nodiscard]] int indexOfCase(const std::array<Value, N>& cases, Value value)
{
    int index = 0;
    for (const Value& each : cases) {
        if (each == value) {
            return index;
        }
        ++index;
    }
    return 0;
}

}  // namespace ostrel
