#pragma once

// How the desktop knows the application: the name its icon theme, desktop
// entry and notifications use.

namespace ostrel::AppIdentity {

/// The icon theme's name of the application's icon, also the notifications' app_icon.
inline constexpr const char* iconName = "ostrel";

}  // namespace ostrel::AppIdentity
