#pragma once
// What the panel shows in either tab when no provider is turned on: a switch
// symbol, "No providers turned on" and a way to the settings.

#include <functional>

#include <QPushButton>
#include <QWidget>

namespace ostrel {

class EmptyProvidersView : public QWidget
{
    Q_OBJECT

public:
    explicit EmptyProvidersView(std::function<void()> openSettings, QWidget* parent = nullptr);

    [[nodiscard]] QPushButton& button() const
    {
        return *m_button;
    }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPushButton* m_button = nullptr;
};

}  // namespace ostrel
