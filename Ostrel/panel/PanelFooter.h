#pragma once
// The panel's footer: how old the last reading is (or that a snapshot was
// just copied), when the next regular refresh comes, and the Copy button, or
// the Update button when a newer version is known. A snapshot shows the
// product's name and address instead, with the time when asked.

#include <optional>
#include <string>

#include <QLabel>
#include <QToolButton>
#include <QWidget>

#include "panel/FooterText.h"

namespace ostrel {

class PanelFooter : public QWidget
{
    Q_OBJECT

public:
    explicit PanelFooter(bool isSnapshot, QWidget* parent = nullptr);

    void show(const FooterText& text);
    /// The snapshot footer's time ("Mon, Dec 7, 3:40 PM"); absent hides it.
    void setStamp(const std::optional<std::string>& stamp);

    [[nodiscard]] QString statusText() const;
    /// The "· next …" item, empty while hidden.
    [[nodiscard]] QString nextText() const;

    [[nodiscard]] QToolButton* button() const
    {
        return m_button;
    }

Q_SIGNALS:
    void copyRequested();
    void updateRequested();

private:
    void buildLive();
    void buildSnapshot();

    QLabel* m_copiedIcon = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_dot = nullptr;
    QLabel* m_next = nullptr;
    QLabel* m_stamp = nullptr;
    QToolButton* m_button = nullptr;
    bool m_offersUpdate = false;
};

}  // namespace ostrel
