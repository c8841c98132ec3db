#pragma once
// The small text pieces every part of a provider card is made of: labels in
// the design's point sizes whose colour follows the theme of their palette.

#include <string_view>

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>

#include "base/QtText.h"

namespace ostrel::CardLabel {

using ostrel::qText;

/// A plain-text label at `points` and `weight`; wrapping when `wraps`.
[[nodiscard]] QLabel* make(double points, QFont::Weight weight, bool wraps, QWidget* parent);

/// A one-line plain-text label that ends in an ellipsis where its text does
/// not fit, rather than widening its row: for names the user typed.
[[nodiscard]] QLabel* makeEliding(double points, QFont::Weight weight, QWidget* parent);

/// Sets the label's text colour (a no-op when unchanged).
void setColor(QWidget* widget, const QColor& colour);

/// Sets the text, hiding the label when it is empty.
void setTextOrHide(QLabel* label, const QString& text);

}  // namespace ostrel::CardLabel
