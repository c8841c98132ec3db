#include "report/AlertNotifier.h"

#include <utility>

#include <QString>

#include "model/AlertStateFile.h"
#include "platform/DesktopNotifier.h"
#include "report/NotificationActions.h"
#include "report/SignInTerminal.h"

namespace ostrel {

AlertNotifier::AlertNotifier(Hooks hooks,
                             std::optional<std::filesystem::path> stateFile,
                             DesktopNotifier& notifier,
                             QObject* parent)
    : QObject(parent)
    , m_hooks(std::move(hooks))
    , m_stateFile(std::move(stateFile))
    , m_notifier(&notifier)
{}

void AlertNotifier::start()
{
    if (m_stateFile) {
        m_state = AlertStateFile::load(*m_stateFile);
    }
    m_watchingSince = m_hooks.now();
}

void AlertNotifier::handleWake()
{
    m_watchingSince = m_hooks.now();
    check();
}

void AlertNotifier::check()
{
    const Date now = m_hooks.now();
    const std::vector<ProviderDisplay> displays = m_hooks.displays(now);
    AlertOptions options{.thresholdPercent = m_hooks.threshold(), .watchingSince = m_watchingSince};
    for (const AlertTopic topic : allCases<AlertTopic>) {
        if (!m_hooks.sends(topic)) {
            options.switchedOff.push_back(topic);
        }
    }
    AlertDecision decision = decideAlerts(m_state, displays, now, options);
    // Most looks change nothing; the file is written only when a condition was recorded.
    if (m_state && decision.state.providers == m_state->providers) {
        m_state->evaluatedAt = now;
        return;
    }
    // Kept before sending: a crash between the two loses an alert rather than repeating it.
    if (m_stateFile) {
        (void)AlertStateFile::save(*m_stateFile, decision.state);
    }
    m_state = std::move(decision.state);
    for (const Alert& alert : decision.alerts) {
        // A QString, not the builder `auto` would keep: the builder refers to temporaries gone by the next line.
        QString identifier = QStringLiteral("ostrel-alert-") + QString::fromLatin1(rawValue(alert.kind)) + u'-'
                             + QString::fromLatin1(rawValue(alert.provider));
        // Each account's alert replaces only its own earlier one.
        if (!alert.accountId.empty()) {
            identifier += u'-' + QString::fromStdString(alert.accountId);
        }
        (void)m_notifier->post(
            identifier,
            QString::fromStdString(alert.summary),
            QString::fromStdString(alert.body),
            alert.critical ? DesktopNotifier::Urgency::critical : DesktopNotifier::Urgency::normal,
            {.offered = NotificationActions::offered(alert.kind == AlertKind::signedOut),
             .context = this,
             .invoked = [this, account = AccountKey{alert.provider, alert.accountId}](const QString& key) {
                 actionInvoked(account, key);
             }});
    }
}

void AlertNotifier::actionInvoked(const AccountKey& account, const QString& key) const
{
    if (key == QLatin1String(NotificationActions::signIn)) {
        const std::filesystem::path folder =
            !account.id.empty() && m_hooks.accountFolder ? m_hooks.accountFolder(account) : std::filesystem::path();
        // Nothing to report when no terminal exists: the panel's card offers the command too.
        (void)SignInTerminal::open(account.provider,
                                   m_hooks.tools ? m_hooks.tools() : UsageReaders::FoundTools(),
                                   folder);
    } else if (m_hooks.openPanel) {
        m_hooks.openPanel();
    }
}

}  // namespace ostrel
