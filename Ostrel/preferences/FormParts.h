#pragma once
// The parts the settings window's form is built of: the rounded box of a
// section's rows, the preview's plate, and rows of a label, a switch or a
// picker, all in the window's type sizes.

#include <array>
#include <cstddef>
#include <type_traits>

#include <QComboBox>
#include <QWidget>

#include "base/QtText.h"
#include "drawing/Theme.h"

class QCheckBox;
class QHBoxLayout;
class QLabel;

namespace ostrel::form {

inline constexpr double headerPoints = 11;
inline constexpr double rowPoints = 13;
inline constexpr double captionPoints = 11;
inline constexpr int boxPadding = 10;
inline constexpr int rowGap = 10;
/// One width for all pickers, so their right edges and arrows line up.
inline constexpr int pickerWidth = 150;

/// The rounded box that holds one section's rows.
class SectionBox : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};

/// A live tray label on its faint rounded plate.
class PreviewPlate : public QWidget
{
public:
    PreviewPlate(QWidget* label, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

/// Text in the secondary colour: headers, footers and captions.
[[nodiscard]] QLabel* secondaryLabel(const QString& text, double points, QWidget* parent);

/// A check box named by its text.
[[nodiscard]] QCheckBox* toggle(const QString& text, QWidget* parent);

/// A row of a label, a flexible space and `control`, which takes the label's text as its name.
[[nodiscard]] QHBoxLayout* labelledRow(const QString& text, QWidget* control, QWidget* parent);

/// A picker of `choices`, each shown by `label` and carrying its value (an enumeration's as int).
template <class Choice, std::size_t Count, class Label>
[[nodiscard]] QComboBox* picker(const std::array<Choice, Count>& choices, Label label, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setFont(Theme::font(rowPoints));
    box->setMinimumWidth(pickerWidth);
    for (const Choice choice : choices) {
        if constexpr (std::is_enum_v<Choice>) {
            box->addItem(qText(label(choice)), static_cast<int>(choice));
        } else {
            box->addItem(qText(label(choice)), choice);
        }
    }
    return box;
}

/// Shows `value` in `box`, or nothing when it is none of the choices (a hand-edited interval).
void select(QComboBox* box, int value);

}  // namespace ostrel::form
