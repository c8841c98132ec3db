#pragma once
// One item in the desktop's tray, as the status item controller sees it,
// whichever way the tray takes it: an icon, a tooltip, a title, shown or not,
// and what the user does to it. A click carries where the item is, where the
// host says so; hover is reported only where the host lets it be seen.

#include <optional>

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>

namespace ostrel {

class TrayItem : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual void setIcon(const QIcon& icon) = 0;
    virtual void setToolTip(const QString& text) = 0;
    virtual void setTitle(const QString& title) = 0;
    /// Shown items are in the tray; a hidden one keeps its state for the next showing.
    virtual void setShown(bool shown) = 0;

    /// A new host took the tray over; a shown item that must introduce itself does so again.
    virtual void hostChanged() {}

    [[nodiscard]] virtual QIcon icon() const = 0;
    [[nodiscard]] virtual QString toolTip() const = 0;
    [[nodiscard]] virtual QString title() const = 0;

Q_SIGNALS:
    /// The primary click, by `anchor` (the item's place on the screen) where it is known.
    void clicked(std::optional<QRect> anchor);
    /// The middle click (a StatusNotifierItem host's secondary activation).
    void middleClicked();
    /// The host asks the item to pop its menu up at `at` itself.
    void menuRequested(QPoint at);
    /// The pointer rests on the item.
    void hovered();
    /// The host has read the item since it was shown or introduced again; only
    /// items that a host reads (StatusNotifierItems) say so.
    void takenIn();
};

}  // namespace ostrel
