#pragma once
// Finds a form's controls the way a screen reader does: by accessible name.

#include <QString>
#include <QWidget>

namespace ostrel::testing {

/// The first child of type `W` below `root` whose accessible name is `name`, or null.
template <class W = QWidget>
[[nodiscard]] W* named(const QWidget& root, const QString& name)
{
    for (W* widget : root.findChildren<W*>()) {
        if (widget->accessibleName() == name) {
            return widget;
        }
    }
    return nullptr;
}

}  // namespace ostrel::testing
