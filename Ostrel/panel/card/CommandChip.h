#pragma once
// A command the user is asked to run: the command in monospaced text on one
// line, truncated in the middle when too long and selectable, and a copy
// button that puts it on the clipboard as plain text and shows a check for
// 1.5 seconds. A command led by a variable's assignment (an account's folder)
// that does not fit puts the assignment on a line of its own: truncating the
// middle would hide the folder, the part that tells accounts apart.

#include <QLabel>
#include <QString>
#include <QToolButton>
#include <QWidget>

namespace ostrel {

class CommandChip : public QWidget
{
    Q_OBJECT

public:
    static constexpr int copiedMilliseconds = 1500;

    /// A picture's chip has no copy button.
    explicit CommandChip(bool isSnapshot, QWidget* parent = nullptr);

    /// A new command ends the confirmation of an earlier copy.
    void setCommand(const QString& command);

    [[nodiscard]] const QString& command() const
    {
        return m_command;
    }

    /// True for 1.5 seconds after a copy.
    [[nodiscard]] bool isCopied() const
    {
        return m_copied;
    }

    /// The command as shown, its lines joined by line feeds.
    [[nodiscard]] QString shownText() const
    {
        return m_text->text();
    }

    /// Absent in a picture.
    [[nodiscard]] QToolButton* copyButton() const
    {
        return m_copy;
    }

    /// Clears the clipboard, then writes the command as plain text.
    void copy();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void setCopied(bool copied);
    void updateShownText();
    void updateIcon();

    QString m_command;
    QLabel* m_text = nullptr;
    QToolButton* m_copy = nullptr;
    bool m_copied = false;
    int m_copyGeneration = 0;
};

}  // namespace ostrel
