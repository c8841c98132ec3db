#include "panel/card/StateMessage.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "drawing/CardLabel.h"
#include "drawing/MarkColors.h"
#include "drawing/Symbols.h"
#include "drawing/Theme.h"
#include "panel/card/CommandChip.h"
#include "platform/TerminalLauncher.h"

namespace ostrel {
namespace {

constexpr double iconPoints = 22;
constexpr int iconColumn = 30;
constexpr double titlePoints = 13;
constexpr double messagePoints = 11.5;
constexpr double buttonPoints = 11;

using Status = ProviderDisplay::Status;

QString name(Provider provider)
{
    return CardLabel::qText(productName(provider));
}

QString failureMessage(const ProviderDisplay& display)
{
    if (display.failure) {
        if (const std::optional<std::string> detail = display.failure->detail()) {
            return CardLabel::qText(*detail);
        }
    }
    return QStringLiteral("The provider didn't answer. Ostrel will retry shortly.");
}

/// The plan (or `fallback`) and " · no weekly allowance".
QString noAllowanceTitle(const ProviderDisplay& display, const QString& fallback)
{
    const QString plan = display.reading && display.reading->plan ? CardLabel::qText(*display.reading->plan) : fallback;
    return plan + QStringLiteral(" · no weekly allowance");
}

QString noteOr(const ProviderDisplay& display, const QString& fallback)
{
    return display.reading && display.reading->note ? CardLabel::qText(*display.reading->note) : fallback;
}

struct Look
{
    Symbol symbol{};
    QColor colour;
    const char* spoken = "";  ///< what a screen reader says for the icon
};

Look lookFor(Status status, Provider provider, const Theme& theme)
{
    switch (status) {
    case Status::renewed:
        return {Symbol::arrowClockwiseCircle, theme.secondary, "Renewed"};
    case Status::enterprise:
        return {Symbol::building2, MarkColors::accent(provider), "Workspace account"};
    case Status::apiBilling:
        return {Symbol::creditcard, MarkColors::accent(provider), "Billed per token"};
    case Status::needsLogin:
        return {Symbol::personCropCircleBadgeExclamationmark, Theme::orange(), "Signed out"};
    case Status::cliMissing:
        return {Symbol::shippingbox, Theme::orange(), "Tool not installed"};
    case Status::unavailable:
        return {Symbol::wifiExclamationmark, Theme::red(), "Unavailable"};
    case Status::loading:
    case Status::live:
    case Status::stale:
        break;
    }
    return {Symbol::hourglass, theme.secondary, "Reading"};
}

QPushButton* smallButton(const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setFont(Theme::font(buttonPoints));
    return button;
}

}  // namespace

StateMessage::StateMessage(std::function<void()> retry, bool isSnapshot, QWidget* parent)
    : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    m_icon = new QLabel(this);
    m_icon->setFixedWidth(iconColumn);
    row->addWidget(m_icon, 0, Qt::AlignTop);

    auto* column = new QVBoxLayout;
    column->setSpacing(6);
    m_title = CardLabel::make(titlePoints, QFont::DemiBold, true, this);
    m_message = CardLabel::make(messagePoints, QFont::Normal, true, this);
    m_chip = new CommandChip(isSnapshot, this);
    column->addWidget(m_title);
    column->addWidget(m_message);
    column->addWidget(m_chip);
    row->addLayout(column, 1);

    if (isSnapshot) {
        return;
    }
    m_buttons = new QWidget(this);
    auto* buttons = new QHBoxLayout(m_buttons);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(8);
    m_openTerminal = smallButton(QStringLiteral("Open Terminal"), m_buttons);
    connect(m_openTerminal, &QPushButton::clicked, this, &StateMessage::openTerminal);
    buttons->addWidget(m_openTerminal);
    m_checkAgain = smallButton(QStringLiteral("Check again"), m_buttons);
    connect(m_checkAgain, &QPushButton::clicked, this, [retry = std::move(retry)] { retry(); });
    buttons->addWidget(m_checkAgain);
    buttons->addStretch(1);
    column->addWidget(m_buttons);
}

QString StateMessage::titleFor(const ProviderDisplay& display)
{
    switch (display.status) {
    case Status::renewed:
        return QStringLiteral("Renewed since the last reading");
    case Status::enterprise:
        return noAllowanceTitle(display, QStringLiteral("Enterprise"));
    case Status::apiBilling:
        return noAllowanceTitle(display, QStringLiteral("API"));
    case Status::needsLogin:
        return name(display.provider) + QStringLiteral(" isn't signed in");
    case Status::cliMissing:
        return CardLabel::qText(cliName(display.provider)) + QStringLiteral(" CLI not found");
    case Status::unavailable:
        return QStringLiteral("Couldn't read ") + name(display.provider);
    case Status::loading:
    case Status::live:
    case Status::stale:
        break;
    }
    return QStringLiteral("Reading ") + name(display.provider) + QStringLiteral("…");
}

QString StateMessage::messageFor(const ProviderDisplay& display)
{
    switch (display.status) {
    case Status::renewed:
        return QStringLiteral("The weekly allowance has renewed; fetching the new numbers.");
    case Status::enterprise:
        return noteOr(display,
                      QStringLiteral("Your organisation manages usage, so there's no personal allowance to pace."));
    case Status::apiBilling:
        return noteOr(display, QStringLiteral("Pay-as-you-go billing has no weekly allowance."));
    case Status::needsLogin:
        return QStringLiteral("Sign the CLI in to a subscription, then check again.");
    case Status::cliMissing:
        return QStringLiteral("Ostrel reads usage through the ") + name(display.provider)
               + QStringLiteral(" CLI. Install it, or set its path in Settings.");
    case Status::unavailable:
        return failureMessage(display);
    case Status::loading:
    case Status::live:
    case Status::stale:
        break;
    }
    return {};
}

QString StateMessage::commandFor(const ProviderDisplay& display)
{
    if (display.status == Status::needsLogin) {
        return CardLabel::qText(display.signInCommand());
    }
    if (display.status != Status::cliMissing) {
        return {};
    }
    if (display.provider == Provider::openai) {
        return QStringLiteral("npm install -g @openai/codex");
    }
    return QStringLiteral("curl -fsSL ") + CardLabel::qText(claudeInstallScriptUrl) + QStringLiteral(" | bash");
}

void StateMessage::set(const ProviderDisplay& display, bool refreshing)
{
    const Theme theme = Theme::fromPalette(palette());
    setIcon(display.status, display.provider);
    m_title->setText(titleFor(display));
    CardLabel::setTextOrHide(m_message, messageFor(display));
    CardLabel::setColor(m_title, theme.primary);
    CardLabel::setColor(m_message, theme.secondary);
    const QString command = commandFor(display);
    m_chip->setCommand(command);
    m_chip->setVisible(!command.isEmpty());

    if (m_buttons == nullptr) {
        return;
    }
    const bool offersButtons = display.status == Status::renewed || display.status == Status::needsLogin
                               || display.status == Status::cliMissing || display.status == Status::unavailable;
    m_buttons->setVisible(offersButtons);
    m_openTerminal->setVisible(display.status == Status::needsLogin);
    if (display.status == Status::needsLogin) {
        const bool found = TerminalLauncher::find(TerminalLauncher::Environment::current()).has_value();
        m_openTerminal->setToolTip(found ? QString() : QStringLiteral("No terminal application was found"));
    }
    m_checkAgain->setText(refreshing ? QStringLiteral("Checking…") : QStringLiteral("Check again"));
    m_checkAgain->setEnabled(!refreshing);
}

void StateMessage::setIcon(Status status, Provider provider)
{
    const Look look = lookFor(status, provider, Theme::fromPalette(palette()));
    m_icon->setPixmap(Symbols::pixmap(look.symbol, iconPoints, look.colour, devicePixelRatioF()));
    m_icon->setAccessibleName(QString::fromUtf8(look.spoken));
}

void StateMessage::openTerminal()
{
    // Nothing to report when none exists: the tooltip already says so.
    (void)TerminalLauncher::open(TerminalLauncher::Environment::current());
}

}  // namespace ostrel
