#include "panel/activity/ActivityCard.h"

#include <memory>

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>
#include <unicode/locid.h>

#include "base/LocalCalendar.h"
#include "drawing/CardBackground.h"
#include "drawing/CardLabel.h"
#include "drawing/GlyphView.h"
#include "drawing/MarkColors.h"
#include "drawing/ProviderGlyph.h"
#include "drawing/Symbols.h"
#include "drawing/Theme.h"
#include "model/TokenFormat.h"
#include "panel/activity/ActivityChart.h"
#include "panel/activity/ActivityTotals.h"
#include "panel/activity/ChartFigures.h"
#include "panel/activity/CompositionBar.h"

namespace ostrel {
namespace {

constexpr int padding = 14;
constexpr int gap = 10;
constexpr int headerGap = 8;
constexpr double glyphPoints = 16;
constexpr double namePoints = 14;
constexpr double statusPoints = 11;
constexpr double notePoints = 10.5;
constexpr int noteGap = 5;

/// The card's own calendar, or the user's; absent only when ICU can build none.
std::optional<RenewalText> calendarOf(const ActivityCard::Value& value)
{
    if (value.calendar) {
        return value.calendar;
    }
    const std::unique_ptr<icu::Calendar> calendar = localCalendar();
    if (!calendar) {
        return std::nullopt;
    }
    return RenewalText(*calendar, icu::Locale::getDefault());
}

QString overlayFor(Provider provider, const ActivityCard::Value& value)
{
    if (value.scanning || !value.activity) {
        return {};
    }
    const TokenCounts inRange = value.activity->tokens.total(rangeSpan(value.range), value.now);
    if (measuredTokens(inRange, value.measure) != 0) {
        return {};
    }
    return QStringLiteral("No ") + CardLabel::qText(productName(provider)) + QStringLiteral(" sessions in this range");
}

}  // namespace

ActivityCard::ActivityCard(Provider provider, QWidget* parent)
    : ActivityCard(provider, CardLabel::qText(displayName(provider)), parent)
{}

ActivityCard::ActivityCard(Provider provider, const QString& title, QWidget* parent)
    : QWidget(parent)
    , m_provider(provider)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(title + QStringLiteral(" activity"));

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(padding, padding, padding, padding);
    column->setSpacing(gap);

    auto* header = new QHBoxLayout();
    header->setSpacing(headerGap);
    header->addWidget(new GlyphView(provider, glyphPoints, this));
    QLabel* name = CardLabel::makeEliding(namePoints, QFont::DemiBold, this);
    name->setText(title);
    header->addWidget(name);
    header->addStretch(1);
    m_status = CardLabel::make(statusPoints, QFont::Normal, false, this);
    header->addWidget(m_status);
    column->addLayout(header);

    m_chart = new ActivityChart(this);
    column->addWidget(m_chart);
    m_totals = new ActivityTotals(this);
    column->addWidget(m_totals);
    m_composition = new CompositionBar(provider, this);
    column->addWidget(m_composition);

    m_noteRow = new QWidget(this);
    auto* noteLine = new QHBoxLayout(m_noteRow);
    noteLine->setContentsMargins(0, 0, 0, 0);
    noteLine->setSpacing(noteGap);
    m_noteIcon = new QLabel(m_noteRow);
    noteLine->addWidget(m_noteIcon, 0, Qt::AlignTop);
    m_note = CardLabel::make(notePoints, QFont::Normal, true, m_noteRow);
    noteLine->addWidget(m_note, 1);
    column->addWidget(m_noteRow);

    connect(m_chart, &ActivityChart::selectionChanged, this, &ActivityCard::showHeader);
    setValue({});
}

void ActivityCard::setValue(Value value)
{
    m_value = std::move(value);
    const std::optional<RenewalText> calendar = calendarOf(m_value);
    ActivityChart::Value chart;
    chart.provider = m_provider;
    chart.bins = ChartFigures::bins(m_value.activity, m_value.range, m_value.now);
    chart.range = m_value.range;
    chart.measure = m_value.measure;
    chart.now = m_value.now;
    chart.overlay = overlayFor(m_provider, m_value);
    chart.calendar = calendar;
    m_chart->setValue(std::move(chart));

    m_totals->setCells(ActivityTotals::cells(m_value.activity, m_value.measure, m_value.now));
    m_composition->setVisible(m_value.activity.has_value());
    if (m_value.activity) {
        // The composition counts every part, whatever the measure.
        m_composition->setCounts(m_value.activity->tokens.total(rangeSpan(m_value.range), m_value.now));
    }
    showNote();
    showHeader();
}

QString ActivityCard::headerText() const
{
    return m_status->text();
}

QString ActivityCard::overlayText() const
{
    return m_chart->value().overlay;
}

QString ActivityCard::noteText() const
{
    return m_noteRow->isVisibleTo(this) ? m_note->text() : QString();
}

void ActivityCard::showHeader()
{
    const ActivityChart::Value& chart = m_chart->value();
    const std::optional<std::size_t> selected = m_chart->selectedIndex();
    QString text;
    if (selected && chart.calendar) {
        const TokenBin& bin = chart.bins[*selected];
        text = ChartFigures::binLabel(bin.start, *chart.calendar) + QStringLiteral(" · ")
               + CardLabel::qText(TokenFormat::shortText(measuredTokens(bin.counts, chart.measure)));
    } else if (m_value.scanning && !m_value.activity) {
        text = QStringLiteral("Reading session logs…");
    } else {
        text = QStringLiteral("peak ")
               + CardLabel::qText(TokenFormat::shortText(ChartFigures::peak(chart.bins, chart.measure)));
    }
    m_status->setText(text);
    CardLabel::setColor(m_status, Theme::fromPalette(palette()).secondary);
}

void ActivityCard::showNote()
{
    const Theme theme = Theme::fromPalette(palette());
    m_noteRow->setVisible(m_value.note.has_value());
    if (!m_value.note) {
        return;
    }
    m_note->setText(CardLabel::qText(*m_value.note));
    CardLabel::setColor(m_note, theme.secondary);
    m_noteIcon->setPixmap(
        Symbols::pixmap(Symbol::laptopcomputerAndIphone, notePoints, theme.secondary, devicePixelRatioF()));
}

void ActivityCard::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange) {
        showNote();
        showHeader();
    }
    QWidget::changeEvent(event);
}

void ActivityCard::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    CardBackground{MarkColors::accent(m_provider)}.paint(painter, QRectF(rect()), Theme::fromPalette(palette()));
}

}  // namespace ostrel
