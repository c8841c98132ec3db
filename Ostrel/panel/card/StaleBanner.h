#pragma once
// The strip on top of a faded card: why the figures below are old (signed
// out, unreachable, unreadable, …), how old they are, and a Retry button
// (left out of pictures).

#include <functional>

#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include "model/Date.h"
#include "model/ProviderDisplay.h"

namespace ostrel {

class StaleBanner : public QWidget
{
    Q_OBJECT

public:
    StaleBanner(std::function<void()> retry, bool isSnapshot, QWidget* parent = nullptr);

    void set(const ProviderDisplay& display, Date now);

    [[nodiscard]] static QString titleFor(const ProviderDisplay& display);
    [[nodiscard]] static QString subtitleFor(const ProviderDisplay& display, Date now);

    [[nodiscard]] QString title() const
    {
        return m_title->text();
    }

    [[nodiscard]] QString subtitle() const
    {
        return m_subtitle->text();
    }

    /// Absent in a picture.
    [[nodiscard]] QPushButton* retryButton() const
    {
        return m_retry;
    }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_icon = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_subtitle = nullptr;
    QPushButton* m_retry = nullptr;
    bool m_signedOut = false;
};

}  // namespace ostrel
