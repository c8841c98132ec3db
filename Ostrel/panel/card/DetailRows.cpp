#include "panel/card/DetailRows.h"

#include <cmath>

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "drawing/CardLabel.h"
#include "drawing/Symbols.h"
#include "drawing/Theme.h"
#include "model/Pacing.h"
#include "model/RenewalText.h"

namespace ostrel {
namespace {

constexpr double textPoints = 11;
constexpr int iconColumn = 14;
constexpr double iconPoints = 11;

}  // namespace

DetailRows::DetailRows(QWidget* parent)
    : QWidget(parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
}

QString DetailRows::sessionLine(const ProviderReading& reading, Date now, const std::optional<RenewalText>& renewal)
{
    if (!reading.session) {
        return {};
    }
    const UsageWindow& session = *reading.session;
    const auto hours = std::llround(session.duration / 3600);
    QString line =
        QStringLiteral("%1-hour window · %2% left").arg(hours).arg(Pace::percent(session.allowanceFraction()));
    if (session.resetsAt && *session.resetsAt > now && renewal) {
        line += QStringLiteral(" · resets ") + CardLabel::qText(renewal->when(*session.resetsAt, now));
    }
    return line;
}

void DetailRows::set(const std::optional<ProviderReading>& reading, Date now, const std::optional<RenewalText>& renewal)
{
    QStringList lines;
    bool hasSession = false;
    if (reading) {
        if (const QString session = sessionLine(*reading, now, renewal); !session.isEmpty()) {
            lines.append(session);
            hasSession = true;
        }
        if (reading->note) {
            lines.append(CardLabel::qText(*reading->note));
        }
    }
    setVisible(!lines.isEmpty());
    if (lines == m_lines && hasSession == m_hasSession) {
        return;
    }
    m_lines = lines;
    m_hasSession = hasSession;
    rebuild();
}

void DetailRows::rebuild()
{
    auto* column = qobject_cast<QVBoxLayout*>(layout());
    while (QLayoutItem* item = column->takeAt(0)) {
        if (QLayout* row = item->layout()) {
            while (QLayoutItem* piece = row->takeAt(0)) {
                delete piece->widget();
                delete piece;
            }
        }
        delete item;
    }
    const Theme theme = Theme::fromPalette(palette());
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const Symbol symbol = i == 0 && m_hasSession ? Symbol::clock : Symbol::infoCircle;
        auto* row = new QHBoxLayout;
        row->setSpacing(0);
        auto* icon = new QLabel(this);
        icon->setFixedWidth(iconColumn);
        icon->setPixmap(Symbols::pixmap(symbol, iconPoints, theme.secondary, devicePixelRatioF()));
        icon->setAccessibleName(symbol == Symbol::clock ? QStringLiteral("Session") : QStringLiteral("Detail"));
        row->addWidget(icon, 0, Qt::AlignTop);
        QLabel* text = CardLabel::make(textPoints, QFont::Normal, true, this);
        text->setText(m_lines.at(i));
        CardLabel::setColor(text, theme.secondary);
        row->addWidget(text, 1);
        column->addLayout(row);
    }
}

}  // namespace ostrel
