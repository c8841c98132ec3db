#include "report/WelcomeNote.h"

#include "platform/DesktopNotifier.h"
#include "settings/AppSettings.h"

namespace ostrel::WelcomeNote {

QString title()
{
    return QStringLiteral("Ostrel is in your tray");
}

QString body(bool startsAtLogin, bool morningReport)
{
    QString text =
        QStringLiteral("One gauge per tool shows how much of its weekly allowance is left; click it for the details.");
    if (startsAtLogin) {
        text += QStringLiteral(" Ostrel starts when you log in (turn this off in Settings).");
    }
    if (morningReport) {
        text += QStringLiteral(" Every morning at 6:00 it sums up both allowances in a notification like this one.");
    }
    return text;
}

bool postOnce(AppSettings& settings, DesktopNotifier& notifier)
{
    if (settings.welcomed()) {
        return false;
    }
    settings.setWelcomed();
    (void)notifier.post(QStringLiteral("ostrel-welcome"),
                        title(),
                        body(settings.launchAtLogin(), settings.morningReport()));
    return true;
}

}  // namespace ostrel::WelcomeNote
