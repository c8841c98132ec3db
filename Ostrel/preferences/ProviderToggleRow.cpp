#include "preferences/ProviderToggleRow.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "base/QtText.h"
#include "drawing/GlyphView.h"
#include "drawing/ProviderGlyph.h"
#include "drawing/Theme.h"
#include "settings/AppSettings.h"
#include "store/UsageStore.h"

namespace ostrel {
namespace {

constexpr double glyphPoints = 20;
constexpr double namePoints = 13;
constexpr double captionPoints = 11;
constexpr int glyphToText = 10;
constexpr int nameToStatus = 2;

std::string failureMessage(const std::optional<FetchFailure>& failure)
{
    if (failure) {
        if (auto detail = failure->detail(); detail && !detail->empty()) {
            return *detail;
        }
    }
    return "Unavailable";
}

}  // namespace

ProviderToggleRow::ProviderToggleRow(Provider provider,
                                     AppSettings& settings,
                                     const UsageStore& store,
                                     Clock clock,
                                     QWidget* parent)
    : QWidget(parent)
    , m_provider(provider)
    , m_settings(settings)
    , m_store(store)
    , m_clock(std::move(clock))
{
    const QString name = qText(displayName(provider));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(glyphToText);
    m_toggle = new QCheckBox(this);
    m_toggle->setAccessibleName(name);
    row->addWidget(m_toggle, 0, Qt::AlignVCenter);
    row->addWidget(new GlyphView(provider, glyphPoints, this), 0, Qt::AlignVCenter);

    auto* column = new QVBoxLayout();
    column->setSpacing(nameToStatus);
    auto* title = new QLabel(name, this);
    title->setFont(Theme::font(namePoints));
    column->addWidget(title);
    m_status = new QLabel(this);
    m_status->setFont(Theme::font(captionPoints));
    QPalette secondary = m_status->palette();
    secondary.setColor(QPalette::WindowText, Theme::fromPalette(palette()).secondary);
    m_status->setPalette(secondary);
    column->addWidget(m_status);
    row->addLayout(column, 1);

    title->setBuddy(m_toggle);
    // `clicked` is the user's act alone, so a refresh from the settings never writes back.
    connect(m_toggle, &QCheckBox::clicked, this, [this](bool on) {
        if (m_provider == Provider::claude) {
            m_settings.setClaudeEnabled(on);
        } else {
            m_settings.setOpenaiEnabled(on);
        }
    });
    connect(&m_settings, &AppSettings::changed, this, &ProviderToggleRow::refresh);
    connect(&m_store, &UsageStore::changed, this, &ProviderToggleRow::refresh);
    refresh();
}

std::string ProviderToggleRow::statusLine(const ProviderDisplay& display)
{
    const auto via = [&] {
        return "via " + std::string(productName(display.provider));
    };
    using Status = ProviderDisplay::Status;
    switch (display.status) {
    case Status::loading:
    case Status::renewed:
        return via();
    case Status::live:
    case Status::stale:
        if (display.reading && display.reading->plan && !display.reading->plan->empty()) {
            return *display.reading->plan + " · " + via();
        }
        return via();
    case Status::enterprise:
        return "Enterprise · no weekly allowance";
    case Status::apiBilling:
        return "API billing · no weekly allowance";
    case Status::needsLogin:
        return "Not signed in — run " + display.signInCommand();
    case Status::cliMissing:
        return std::string(cliName(display.provider)) + " CLI not found";
    case Status::unavailable:
        return failureMessage(display.failure);
    }
    return via();
}

QString ProviderToggleRow::statusText() const
{
    return m_status->text();
}

void ProviderToggleRow::refresh()
{
    m_toggle->setChecked(m_settings.isEnabled(m_provider));
    const QString status = qText(statusLine(m_store.display(m_provider, m_clock())));
    m_status->setText(status);
    m_toggle->setAccessibleDescription(status);
}

}  // namespace ostrel
