#pragma once
// The actions Ostrel's alerts and reports offer where the desktop shows them:
// a click on the notification and "Open panel" open the panel; an alert about
// a tool signed out also offers "Sign in", the tool's login command in a
// terminal.

#include <QList>
#include <QString>

#include "platform/DesktopNotifier.h"

namespace ostrel::NotificationActions {

inline constexpr const char* openPanel = "open-panel";
inline constexpr const char* signIn = "sign-in";

/// The notification itself and "Open panel", then "Sign in" when `withSignIn`.
[[nodiscard]] inline QList<DesktopNotifier::Action> offered(bool withSignIn)
{
    QList<DesktopNotifier::Action> actions{
        {QString::fromLatin1(DesktopNotifier::defaultAction), QStringLiteral("Open")},
        {QString::fromLatin1(openPanel), QStringLiteral("Open panel")},
    };
    if (withSignIn) {
        actions.append({QString::fromLatin1(signIn), QStringLiteral("Sign in")});
    }
    return actions;
}

}  // namespace ostrel::NotificationActions
