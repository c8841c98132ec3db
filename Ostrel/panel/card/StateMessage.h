#pragma once
// What a card shows when there is no allowance to pace: an icon, a title and
// a message that say why, the command to run when one helps, and buttons to
// open a terminal (signed out) and to check again (left out of pictures).

#include <functional>

#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include "model/ProviderDisplay.h"

namespace ostrel {

class CommandChip;

class StateMessage : public QWidget
{
    Q_OBJECT

public:
    StateMessage(std::function<void()> retry, bool isSnapshot, QWidget* parent = nullptr);

    void set(const ProviderDisplay& display, bool refreshing);

    [[nodiscard]] static QString titleFor(const ProviderDisplay& display);
    /// Empty when the status has no message.
    [[nodiscard]] static QString messageFor(const ProviderDisplay& display);
    /// The command that helps: the sign-in or install command; empty for the other statuses.
    [[nodiscard]] static QString commandFor(const ProviderDisplay& display);

    [[nodiscard]] QString title() const
    {
        return m_title->text();
    }

    [[nodiscard]] QString message() const
    {
        return m_message->text();
    }

    [[nodiscard]] CommandChip& chip() const
    {
        return *m_chip;
    }

    /// Absent in a picture.
    [[nodiscard]] QPushButton* openTerminalButton() const
    {
        return m_openTerminal;
    }

    /// Absent in a picture.
    [[nodiscard]] QPushButton* checkAgainButton() const
    {
        return m_checkAgain;
    }

private:
    void setIcon(ProviderDisplay::Status status, Provider provider);
    static void openTerminal();

    QLabel* m_icon = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_message = nullptr;
    CommandChip* m_chip = nullptr;
    QWidget* m_buttons = nullptr;
    QPushButton* m_openTerminal = nullptr;
    QPushButton* m_checkAgain = nullptr;
};

}  // namespace ostrel
