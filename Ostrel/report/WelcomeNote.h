#pragma once
// The one notification of the first live launch: where the items are, that
// Ostrel starts at login and how to stop that, and where the morning report
// comes from. Shown once per user; the "welcomed" setting remembers it.

#include <QString>

namespace ostrel {

class AppSettings;
class DesktopNotifier;

namespace WelcomeNote {

[[nodiscard]] QString title();

/// Says Ostrel starts at login only when the login item is on.
[[nodiscard]] QString body(bool startsAtLogin, bool morningReport);

/// Posts the note unless this user was welcomed before, then remembers that
/// it was shown (delivery is best effort, so it is never tried twice).
/// True when it posted.
bool postOnce(AppSettings& settings, DesktopNotifier& notifier);

}  // namespace WelcomeNote
}  // namespace ostrel
