#include "panel/PanelPlacement.h"

#include <algorithm>

namespace ostrel::PanelPlacement {

QPoint topLeft(QSize panel, std::optional<QRect> anchor, QPoint pointer, QRect screen)
{
    // StatusNotifierItem hosts report no geometry; the pointer stands in for the item.
    const QRect item = anchor && anchor->isValid() && !anchor->isEmpty() ? *anchor : QRect(pointer, QSize(1, 1));
    int x = item.center().x() - panel.width() / 2;
    int y = item.bottom() + 1 + gap;
    const bool fitsBelow = y + panel.height() <= screen.bottom() + 1;
    const bool fitsAbove = item.top() - gap - panel.height() >= screen.top();
    if (!fitsBelow && fitsAbove) {
        y = item.top() - gap - panel.height();
    }
    // Clamp into the screen; a panel taller or wider than the screen keeps its top-left corner on it.
    x = std::max(screen.left(), std::min(x, screen.right() + 1 - panel.width()));
    y = std::max(screen.top(), std::min(y, screen.bottom() + 1 - panel.height()));
    return {x, y};
}

QPoint byBar(QSize panel, QRect workspace, QRect output)
{
    const bool barAlongTheBottom = workspace.top() <= output.top() && workspace.bottom() < output.bottom();
    const QPoint corner = barAlongTheBottom ? QPoint(workspace.right(), workspace.bottom() + 1)
                                            : QPoint(workspace.right(), workspace.top() - 1);
    return topLeft(panel, QRect(corner, QSize(1, 1)), corner, workspace);
}

}  // namespace ostrel::PanelPlacement
