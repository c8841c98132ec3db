#pragma once
// The place one provider takes in the panel: a card with the provider's glyph,
// its name and one line about it (the pace in the first tab, the local
// activity in the second). It paints from the values it is given.

#include <QString>
#include <QWidget>

#include "model/Provider.h"

namespace ostrel {

class ProviderSlot : public QWidget
{
    Q_OBJECT

public:
    ProviderSlot(Provider provider, QWidget* parent = nullptr);

    [[nodiscard]] Provider provider() const
    {
        return m_provider;
    }

    void setLine(const QString& line);

    [[nodiscard]] const QString& line() const
    {
        return m_line;
    }

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Provider m_provider;
    QString m_line;
};

}  // namespace ostrel
