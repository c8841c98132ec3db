#pragma once
// The small window of "Check for Updates…": it says that it is checking, then
// that a newer Ostrel is available (with a button that opens its release
// page), that this one is up to date, or why the check failed. One per run,
// owned by the updater, hidden on close.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace ostrel {

class UpdateController;
struct UpdateCheckOutcome;

class UpdateDialog : public QDialog
{
    Q_OBJECT

public:
    explicit UpdateDialog(UpdateController& updates, QWidget* parent = nullptr);

    void showChecking();
    void showOutcome(const UpdateCheckOutcome& outcome);

    /// The headline and the sentence under it, as shown (tests).
    [[nodiscard]] QString headline() const;
    [[nodiscard]] QString detail() const;
    [[nodiscard]] bool offersReleasePage() const;

private:
    UpdateController& m_updates;
    QLabel* m_headline = nullptr;
    QLabel* m_detail = nullptr;
    QProgressBar* m_busy = nullptr;
    QPushButton* m_openPage = nullptr;
    QPushButton* m_close = nullptr;
};

}  // namespace ostrel
