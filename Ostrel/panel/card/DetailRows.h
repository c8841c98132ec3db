#pragma once
// The small print under a paced card: the session window (its length, how
// much of it is left and when it resets) and the provider's note.

#include <optional>

#include <QStringList>
#include <QWidget>

#include "model/Date.h"
#include "model/ProviderReading.h"

namespace ostrel {

class RenewalText;

class DetailRows : public QWidget
{
    Q_OBJECT

public:
    explicit DetailRows(QWidget* parent = nullptr);

    void set(const std::optional<ProviderReading>& reading, Date now, const std::optional<RenewalText>& renewal);

    /// The session line ("5-hour window · 62% left · resets in 2 hours"); empty without a session.
    [[nodiscard]] static QString
    sessionLine(const ProviderReading& reading, Date now, const std::optional<RenewalText>& renewal);

    /// The lines shown, in order.
    [[nodiscard]] const QStringList& lines() const
    {
        return m_lines;
    }

private:
    void rebuild();

    QStringList m_lines;
    bool m_hasSession = false;
};

}  // namespace ostrel
